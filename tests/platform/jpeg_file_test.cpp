#include "platform/jpeg_file.h"
#include "platform/exceptions.h"
#include "platform/stream.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include <jpeglib.h>

namespace {

enum class Kind { Rgb, Progressive, Gray, AdobeCmyk, Ycck, PlainCmyk };

// Colour of the reference picture at (x, y): four solid quadrants, red, green, blue and white.
TColor quadrant(int x, int y, int width, int height)
{
    const bool right = x >= width / 2;
    const bool bottom = y >= height / 2;
    if (!bottom)
        return right ? clLime : clRed;
    return right ? clWhite : clBlue;
}

// Compresses the reference picture (or a grey ramp for Kind::Gray) with libjpeg.
std::vector<std::uint8_t> makeJpeg(Kind kind, int width, int height)
{
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = JDIMENSION(width);
    cinfo.image_height = JDIMENSION(height);
    const bool fourChannels = kind == Kind::AdobeCmyk || kind == Kind::Ycck || kind == Kind::PlainCmyk;
    cinfo.input_components = kind == Kind::Gray ? 1 : fourChannels ? 4 : 3;
    cinfo.in_color_space = kind == Kind::Gray ? JCS_GRAYSCALE : fourChannels ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 95, TRUE);
    if (kind == Kind::Ycck)
        jpeg_set_colorspace(&cinfo, JCS_YCCK);
    if (kind == Kind::PlainCmyk)
        cinfo.write_Adobe_marker = FALSE;
    if (kind == Kind::Progressive)
        jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<std::uint8_t> row(std::size_t(width) * 4);
    while (cinfo.next_scanline < cinfo.image_height) {
        const int y = int(cinfo.next_scanline);
        for (int x = 0; x < width; ++x) {
            const TColor c = quadrant(x, y, width, height);
            const int r = redOf(c), g = greenOf(c), b = blueOf(c);
            switch (kind) {
            case Kind::Gray:
                row[std::size_t(x)] = std::uint8_t(x * 255 / (width - 1));
                break;
            case Kind::AdobeCmyk:
            case Kind::Ycck: {
                // Inverted: 255 = no ink. Pure colours need no black.
                std::uint8_t* p = &row[std::size_t(x) * 4];
                p[0] = std::uint8_t(r);
                p[1] = std::uint8_t(g);
                p[2] = std::uint8_t(b);
                p[3] = 255;
                break;
            }
            case Kind::PlainCmyk: {
                std::uint8_t* p = &row[std::size_t(x) * 4];
                p[0] = std::uint8_t(255 - r);
                p[1] = std::uint8_t(255 - g);
                p[2] = std::uint8_t(255 - b);
                p[3] = 0;
                break;
            }
            default:
                row[std::size_t(x) * 3] = std::uint8_t(r);
                row[std::size_t(x) * 3 + 1] = std::uint8_t(g);
                row[std::size_t(x) * 3 + 2] = std::uint8_t(b);
            }
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::vector<std::uint8_t> file(buffer, buffer + size);
    std::free(buffer);
    return file;
}

Bitmap decode(const std::vector<std::uint8_t>& bytes)
{
    MemoryStream stream(bytes);
    return readJpeg(stream);
}

::testing::AssertionResult near(TColor actual, TColor expected, int tolerance)
{
    const int d[3] = {redOf(actual) - redOf(expected), greenOf(actual) - greenOf(expected),
                      blueOf(actual) - blueOf(expected)};
    for (int v : d)
        if (v > tolerance || v < -tolerance)
            return ::testing::AssertionFailure() << std::hex << "0x" << actual << " is not near 0x" << expected;
    return ::testing::AssertionSuccess();
}

} // namespace

TEST(JpegFile, DecodesColourModelsToTwentyFourBits)
{
    struct Case {
        const char* label;
        Kind kind;
    };
    const Case cases[] = {{"baseline rgb", Kind::Rgb},        {"progressive", Kind::Progressive},
                          {"adobe cmyk", Kind::AdobeCmyk},    {"ycck", Kind::Ycck},
                          {"plain cmyk", Kind::PlainCmyk}};
    const int w = 34, h = 21; // not multiples of the block size
    for (const Case& c : cases) {
        const Bitmap b = decode(makeJpeg(c.kind, w, h));
        ASSERT_EQ(b.width(), w) << c.label;
        ASSERT_EQ(b.height(), h) << c.label;
        EXPECT_EQ(b.pixelFormat(), pf24bit) << c.label;
        // Away from the edges between quadrants the colours come back closely.
        const Point probes[] = {{3, 3}, {w - 4, 3}, {3, h - 3}, {w - 4, h - 3}};
        for (const Point& p : probes)
            EXPECT_TRUE(near(b.pixel(p.x, p.y), quadrant(p.x, p.y, w, h), 24)) << c.label << " at " << p.x << "," << p.y;
    }
}

TEST(JpegFile, GreyscaleBecomesEqualChannels)
{
    const Bitmap b = decode(makeJpeg(Kind::Gray, 64, 8));
    for (int x : {0, 20, 40, 63}) {
        const TColor c = b.pixel(x, 4);
        EXPECT_EQ(redOf(c), greenOf(c));
        EXPECT_EQ(redOf(c), blueOf(c));
        EXPECT_NEAR(redOf(c), x * 255 / 63, 8) << x;
    }
}

TEST(JpegFile, GarbageAndEmptyInputRaiseInvalidGraphic)
{
    std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', 13, 10, 26, 10, 0, 0, 0, 13};
    std::vector<std::uint8_t> soiOnly = {0xFF, 0xD8};
    std::vector<std::uint8_t> noise(300);
    for (std::size_t i = 0; i < noise.size(); ++i)
        noise[i] = std::uint8_t((i * 7919u) ^ 0xA5);
    noise[0] = 0xFF;
    noise[1] = 0xD8;
    for (const auto& bytes : {std::vector<std::uint8_t>{}, png, soiOnly, noise}) {
        try {
            decode(bytes);
            ADD_FAILURE() << "no exception for " << bytes.size() << " bytes";
        } catch (const EInvalidGraphic& e) {
            EXPECT_EQ(std::string(e.what()).rfind("JPEG error: ", 0), 0u) << e.what();
        }
    }
}

TEST(JpegFile, TruncatedFilesRaiseInvalidGraphic)
{
    for (Kind kind : {Kind::Rgb, Kind::Progressive}) {
        const std::vector<std::uint8_t> file = makeJpeg(kind, 24, 16);
        // Every cut that loses more than the end-of-image marker is an error.
        for (std::size_t n = 0; n + 2 < file.size(); ++n) {
            const std::vector<std::uint8_t> cut(file.begin(), file.begin() + std::ptrdiff_t(n));
            EXPECT_THROW(decode(cut), EInvalidGraphic) << n << " of " << file.size();
        }
    }
}

TEST(JpegFile, DamagedDataDecodesOrFailsButNeverCrashes)
{
    const std::vector<std::uint8_t> file = makeJpeg(Kind::Progressive, 40, 24);
    int decoded = 0;
    for (std::size_t i = 2; i < file.size(); i += 3) {
        std::vector<std::uint8_t> damaged = file;
        damaged[i] ^= 0x5A;
        try {
            const Bitmap b = decode(damaged);
            ++decoded;
            EXPECT_GT(b.width(), 0);
        } catch (const EInvalidGraphic&) {
        }
    }
    // Damage in the entropy-coded data is stepped over with warnings.
    EXPECT_GT(decoded, 0);
}

TEST(JpegFile, HugeDimensionsAreRefusedBeforeDecoding)
{
    std::vector<std::uint8_t> file = makeJpeg(Kind::Rgb, 16, 16);
    // Start-of-frame: FF C0, length, precision, height, width.
    std::size_t sof = 0;
    for (std::size_t i = 0; i + 1 < file.size(); ++i)
        if (file[i] == 0xFF && file[i + 1] == 0xC0) {
            sof = i;
            break;
        }
    ASSERT_GT(sof, 0u);
    for (std::size_t k : {sof + 5, sof + 7}) {
        file[k] = 0xFD; // 65000
        file[k + 1] = 0xE8;
    }
    try {
        decode(file);
        ADD_FAILURE() << "no exception";
    } catch (const EInvalidGraphic& e) {
        EXPECT_STREQ(e.what(), "JPEG image is too large");
    }
}

TEST(JpegFile, JpegImageKeepsItsFileAndStaysUnchangedOnError)
{
    const std::vector<std::uint8_t> file = makeJpeg(Kind::Rgb, 40, 24);
    JpegImage image;
    EXPECT_TRUE(image.empty());
    MemoryStream in(file);
    image.loadFromStream(in);
    EXPECT_EQ(image.width(), 40);
    EXPECT_EQ(image.height(), 24);
    EXPECT_TRUE(near(image.bitmap().pixel(3, 3), clRed, 24));

    MemoryStream bad(std::vector<std::uint8_t>(file.begin(), file.begin() + 40));
    EXPECT_THROW(image.loadFromStream(bad), EInvalidGraphic);
    EXPECT_EQ(image.width(), 40);

    MemoryStream out;
    image.saveToStream(out);
    EXPECT_EQ(out.data(), file);
    const auto copy = image.clone();
    EXPECT_EQ(copy->width(), 40);
}
