// The reader: tolerance (signature, stray bytes, missing trailer), warnings, errors, LZW
// decoding corner cases and the safety limits.

#include "gif/gif_comment_extension.h"
#include "gif/gif_graphic_control_extension.h"
#include "gif/gif_image.h"
#include "gif/gif_limits.h"
#include "gif/gif_sub_image.h"
#include "gif_test_support.h"
#include "platform/stream.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

using namespace giftest;

namespace {

const Bytes kFrame = descriptor(0, 0, 2, 2) + literalImageData({0, 1, 1, 0}, 2);
const std::vector<std::uint8_t> kPixels = {0, 1, 1, 0};

} // namespace

TEST(Reader, SignatureVariants)
{
    const Bytes lowerCase = screen(2, 2, 1);
    const struct {
        const char* name;
        Bytes file;
    } cases[] = {
        {"plain", screen(2, 2, 1) + kFrame + Bytes{0x3B}},
        {"four bytes in front", text("MACB") + screen(2, 2, 1) + kFrame + Bytes{0x3B}},
        {"lower case", text("gif") + Bytes(lowerCase.begin() + 3, lowerCase.end()) + kFrame + Bytes{0x3B}},
        {"any version", screen(2, 2, 1, "9z!") + kFrame + Bytes{0x3B}},
    };
    for (const auto& c : cases) {
        ReadResult r = readGif(c.file);
        ASSERT_EQ(r.error, "") << c.name;
        EXPECT_TRUE(r.warnings.empty()) << c.name;
        ASSERT_EQ(r.image->Images().Count(), 1) << c.name;
        EXPECT_EQ(r.image->Images().Items(0).Data(), kPixels) << c.name;
        EXPECT_EQ(r.image->GlobalColorMap().Count(), 2) << c.name;
    }
    for (const Bytes& bad : {text("PNG89a") + screen(2, 2, 1), text("12345GIF89a") + screen(2, 2, 1)}) {
        MemoryStream stream(bad);
        stream.setPosition(0);
        ReadResult r = readGif(bad);
        EXPECT_EQ(r.error, "Invalid GIF signature");
    }
    EXPECT_EQ(readGif(text("GIF8")).error, "Premature end of data");
}

TEST(Reader, ErrorRewindsTheStreamAndKeepsCompleteFrames)
{
    const Bytes file = screen(2, 2, 1) + kFrame + kFrame + Bytes{0x21, 0x44, 0};
    auto image = std::make_unique<TGIFImage>();
    MemoryStream stream(file);
    stream.setPosition(0);
    try {
        image->LoadFromStream(stream);
        FAIL();
    } catch (const GIFException& e) {
        EXPECT_STREQ(e.what(), "Unknown extension type");
    }
    EXPECT_EQ(stream.position(), 0);
    EXPECT_EQ(image->Images().Count(), 2);
}

TEST(Reader, StrayBytesTrailerAndBlockTypes)
{
    const struct {
        const char* name;
        Bytes tail;
        int frames;
        std::vector<std::string> warnings;
    } cases[] = {
        {"zero bytes between frames and before the trailer", Bytes{0, 0} + kFrame + Bytes{0, 0x3B}, 2, {}},
        {"no trailer", Bytes{}, 1, {}},
        {"wrong trailer byte", Bytes{0x3C}, 1, {"Unknown GIF block type", "Invalid Image trailer"}},
        {"graphic control before the trailer", gce(5, 0) + Bytes{0x3B}, 2, {}},
        {"zero byte after an extension", gce(5, 0) + Bytes{0} + kFrame + Bytes{0x3B}, 3, {"Invalid extension introducer"}},
    };
    for (const auto& c : cases) {
        ReadResult r = readGif(screen(2, 2, 1) + kFrame + c.tail);
        ASSERT_EQ(r.error, "") << c.name;
        EXPECT_EQ(r.image->Images().Count(), c.frames) << c.name;
        EXPECT_EQ(r.warnings, c.warnings) << c.name;
    }
    ReadResult r = readGif(screen(2, 2, 1) + kFrame + gce(5, 0) + Bytes{0x3B});
    const TGIFSubImage& last = r.image->Images().Items(1);
    EXPECT_TRUE(last.Empty());
    ASSERT_TRUE(last.GraphicControl);
    EXPECT_EQ(last.GraphicControl->Delay(), 5);
}

TEST(Reader, ZeroSizedFrameTakesTheScreenSize)
{
    ReadResult r = readGif(screen(3, 2, 1) + descriptor(0, 0, 0, 5) + literalImageData({1, 1, 1, 1, 1, 1}, 2) +
                           Bytes{0x3B});
    ASSERT_EQ(r.error, "");
    EXPECT_EQ(r.warnings, std::vector<std::string>{"Image exceeds Logical Screen size"});
    const TGIFSubImage& f = r.image->Images().Items(0);
    EXPECT_EQ(f.Width(), 3);
    EXPECT_EQ(f.Height(), 2);
    EXPECT_EQ(f.Data(), std::vector<std::uint8_t>(6, 1));
}

TEST(Reader, ShortDataKeepsTheFillValue)
{
    // 2 x 4 frame, data for 5 pixels only (no end code, no padding bits); the transparent frame
    // fills with its index.
    const Bytes data = codesAtWidth({8, 1, 2, 3, 1, 2}, 3, 4);
    for (bool transparent : {false, true}) {
        const Bytes ext = transparent ? gce(0, 0, 3) : Bytes{};
        ReadResult r = readGif(screen(2, 4, 3) + ext + descriptor(0, 0, 2, 4) + data + Bytes{0x3B});
        ASSERT_EQ(r.error, "");
        const std::uint8_t fill = transparent ? 3 : 0;
        EXPECT_EQ(r.image->Images().Items(0).Data(),
                  (std::vector<std::uint8_t>{1, 2, 3, 1, 2, fill, fill, fill}));
        EXPECT_EQ(r.warnings, std::vector<std::string>{"Decoder bit buffer under-run"});
    }
    // The same data cut inside its sub-block: the stream ends.
    Bytes cut = screen(2, 4, 3) + descriptor(0, 0, 2, 4) + data;
    cut.erase(cut.end() - 2, cut.end());
    cut[cut.size() - 2] = 10; // length byte claims more than is there
    ReadResult r = readGif(cut);
    EXPECT_EQ(r.error, "");
    ASSERT_FALSE(r.warnings.empty());
    EXPECT_EQ(r.warnings[0], "Premature end of data");
}

TEST(Reader, EarlyEndCodeLeavesTheRestAndReadsOn)
{
    // End code after two pixels of four; the next frame must still be found.
    const Bytes early = descriptor(0, 0, 2, 2) + codesAtWidth({4, 1, 1, 5}, 2, 3);
    ReadResult r = readGif(screen(2, 2, 2) + early + kFrame + Bytes{0x3B});
    ASSERT_EQ(r.error, "");
    ASSERT_EQ(r.image->Images().Count(), 2);
    EXPECT_EQ(r.image->Images().Items(0).Data(), (std::vector<std::uint8_t>{1, 1, 0, 0}));
    EXPECT_EQ(r.image->Images().Items(1).Data(), kPixels);
}

TEST(Reader, ExtraCodesAfterThePixelsAreSkipped)
{
    // Eight pixels of data for a four-pixel frame, then another frame.
    const Bytes extra = descriptor(0, 0, 2, 2) + literalImageData({1, 1, 1, 1, 2, 2, 2, 2}, 2);
    ReadResult r = readGif(screen(2, 2, 2) + extra + kFrame + Bytes{0x3B});
    ASSERT_EQ(r.error, "");
    ASSERT_EQ(r.image->Images().Count(), 2);
    EXPECT_EQ(r.image->Images().Items(0).Data(), (std::vector<std::uint8_t>{1, 1, 1, 1}));
    EXPECT_EQ(r.image->Images().Items(1).Data(), kPixels);
    EXPECT_TRUE(r.warnings.empty());
}

TEST(Reader, DataWithoutLeadingClearCode)
{
    ReadResult r = readGif(screen(2, 2, 1) + descriptor(0, 0, 2, 2) + codesAtWidth({0, 1, 1, 0, 9}, 3, 4) +
                           Bytes{0x3B});
    ASSERT_EQ(r.error, "");
    EXPECT_EQ(r.image->Images().Items(0).Data(), kPixels);
}

TEST(Reader, StringCodesAndKwKwK)
{
    // clear, 1, 10 (= "1 1", the code not yet in the table), 10, end: pixels 1 1 1 1 1.
    ReadResult r = readGif(screen(5, 1, 2) + descriptor(0, 0, 5, 1) + codesAtWidth({8, 1, 10, 10, 9}, 3, 4) +
                           Bytes{0x3B});
    ASSERT_EQ(r.error, "");
    EXPECT_EQ(r.image->Images().Items(0).Data(), std::vector<std::uint8_t>(5, 1));
}

TEST(Reader, CorruptTablesStopWithAnError)
{
    // Codes beyond the next free code make table entries that point back to themselves, or
    // to each other (11 -> 12 -> 11).
    const struct {
        const char* name;
        std::vector<int> codes;
    } cases[] = {
        {"self-pointing code", {8, 1, 11, 11, 11}},
        {"loop through two entries", {8, 1, 12, 11, 12, 11}},
    };
    for (const auto& c : cases) {
        ReadResult r = readGif(screen(8, 8, 3) + descriptor(0, 0, 8, 8) + codesAtWidth(c.codes, 3, 4) + Bytes{0x3B});
        EXPECT_EQ(r.error, "Circular decoder table entry") << c.name;
        EXPECT_EQ(r.image->Images().Count(), 0) << c.name;
    }
}

TEST(Reader, CodeSizeAboveElevenIsRefused)
{
    for (int size : {12, 13, 255}) {
        ReadResult r = readGif(screen(2, 2, 1) + descriptor(0, 0, 2, 2) + Bytes{std::uint8_t(size), 1, 0, 0} +
                               Bytes{0x3B});
        EXPECT_EQ(r.error, "Invalid LZW minimum code size") << size;
    }
    // Eleven is still read (literal codes of 12 bits).
    ReadResult r = readGif(screen(2, 2, 1) + descriptor(0, 0, 2, 2) + codesAtWidth({2048, 1, 0, 1, 0, 2049}, 11, 12) +
                           Bytes{0x3B});
    EXPECT_EQ(r.error, "");
    EXPECT_EQ(r.image->Images().Items(0).Data(), (std::vector<std::uint8_t>{1, 0, 1, 0}));
}

TEST(Reader, HugeFramesAreRefusedBeforeAllocation)
{
    // 65535 x 65535 declared in ten bytes.
    ReadResult one = readGif(screen(10, 10, 1) + descriptor(0, 0, 65535, 65535) + Bytes{2, 0, 0x3B});
    EXPECT_EQ(one.error, "Image dimensions exceed the supported size");

    // Many frames below the frame limit, together beyond the image limit.
    const TGIFLimits saved = GIFLimits();
    GIFLimits().MaxFramePixels = 10000;
    GIFLimits().MaxImagePixels = 25000;
    Bytes file = screen(100, 100, 1);
    for (int i = 0; i < 3; ++i)
        file = file + descriptor(0, 0, 100, 100) + Bytes{2, 0};
    ReadResult many = readGif(file + Bytes{0x3B});
    GIFLimits() = saved;
    EXPECT_EQ(many.error, "Image holds more pixels than supported");
    EXPECT_EQ(many.image->Images().Count(), 2);
}

TEST(Reader, InterlacedRowsOfSmallFrames)
{
    // Height 2: row 0 in the first pass, row 1 in the last.
    ReadResult two = readGif(screen(1, 2, 2) + descriptor(0, 0, 1, 2, 0, true) + literalImageData({1, 2}, 2) + Bytes{0x3B});
    ASSERT_EQ(two.error, "");
    EXPECT_EQ(two.image->Images().Items(0).Data(), (std::vector<std::uint8_t>{1, 2}));
    EXPECT_TRUE(two.image->Images().Items(0).Interlaced());
    // Height 5: passes give rows 0; 4; 2; 1, 3.
    ReadResult five = readGif(screen(1, 5, 3) + descriptor(0, 0, 1, 5, 0, true) + literalImageData({0, 4, 2, 1, 3}, 3) +
                              Bytes{0x3B});
    ASSERT_EQ(five.error, "");
    EXPECT_EQ(five.image->Images().Items(0).Data(), (std::vector<std::uint8_t>{0, 1, 2, 3, 4}));
}

TEST(Reader, RoundTripKeepsTheModel)
{
    const Bytes loop = appExtension("NETSCAPE2.0", {Bytes{1, 2, 0}});
    const Bytes comment = Bytes{0x21, 0xFE} + subBlocks(text("made by hand"));
    const Bytes file = screen(4, 4, 2, "89a", 3, 0) + loop + gce(10, 2, 3) + comment +
                       descriptor(0, 0, 4, 4, 0, true) + literalImageData({0, 1, 2, 3, 3, 2, 1, 0, 0, 0, 1, 1, 2, 2, 3, 3}, 2) +
                       gce(20, 1) + descriptor(1, 1, 2, 2, 3) + literalImageData({7, 6, 5, 4}, 3) + Bytes{0x3B};
    ReadResult first = readGif(file);
    ASSERT_EQ(first.error, "");
    const Bytes written = writeGif(*first.image);
    ReadResult second = readGif(written);
    ASSERT_EQ(second.error, "");
    EXPECT_TRUE(second.warnings.empty());
    EXPECT_EQ(writeGif(*second.image), written);

    const TGIFImage& a = *first.image;
    const TGIFImage& b = *second.image;
    EXPECT_EQ(b.Header().BackgroundIndex, 3);
    EXPECT_EQ(b.Header().ScreenWidth, a.Header().ScreenWidth);
    ASSERT_EQ(b.Images().Count(), 2);
    for (int i = 0; i < 2; ++i) {
        const TGIFSubImage& fa = a.Images().Items(i);
        const TGIFSubImage& fb = b.Images().Items(i);
        EXPECT_EQ(fa.Data(), fb.Data());
        EXPECT_EQ(fa.BoundsRect(), fb.BoundsRect());
        EXPECT_EQ(fa.Interlaced(), fb.Interlaced());
        EXPECT_EQ(fa.Transparent, fb.Transparent);
        EXPECT_EQ(fa.ColorMap().Count(), fb.ColorMap().Count());
        ASSERT_EQ(fa.Extensions().Count(), fb.Extensions().Count());
        for (int e = 0; e < fa.Extensions().Count(); ++e) {
            MemoryStream sa, sb;
            fa.Extensions().Items(e).SaveToStream(sa);
            fb.Extensions().Items(e).SaveToStream(sb);
            EXPECT_EQ(sa.data(), sb.data()) << i << "/" << e;
        }
    }
    EXPECT_EQ(b.Images().Items(0).GraphicControl->TransparentColorIndex(), 3);
    EXPECT_EQ(b.Images().Items(1).ColorMap().Count(), 8);
    EXPECT_EQ(std::memcmp(b.Header().ColorMap().Data(), a.Header().ColorMap().Data(), 12), 0);
}

TEST(Reader, SampleFilesReadWithoutWarnings)
{
    for (const char* name : {"bricks-dither.gif", "hibiscus.regular.gif", "gifplayer-muybridge.gif", "harvesters.gif"}) {
        const Bytes file = readFileBytes(std::string(ZOETRA_SAMPLE_DIR) + "/" + name);
        ReadResult r = readGif(file);
        ASSERT_EQ(r.error, "") << name;
        EXPECT_TRUE(r.warnings.empty()) << name << ": " << (r.warnings.empty() ? "" : r.warnings[0]);
        EXPECT_GE(r.image->Images().Count(), 1) << name;
        // Our own output of it reads back to the same pixels.
        ReadResult back = readGif(writeGif(*r.image));
        ASSERT_EQ(back.error, "") << name;
        ASSERT_EQ(back.image->Images().Count(), r.image->Images().Count()) << name;
        for (int i = 0; i < r.image->Images().Count(); ++i)
            ASSERT_EQ(back.image->Images().Items(i).Data(), r.image->Images().Items(i).Data()) << name << " " << i;
    }
}

TEST(Reader, CodesSpanningTinySubBlocks)
{
    // Our own 8-bit data cut into sub-blocks of one and two bytes: codes of up to 12 bits then
    // span several sub-blocks.
    std::vector<std::uint8_t> pixels(60 * 40);
    for (std::size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = std::uint8_t((i * 7919) % 251);
    auto image = makeImage(60, 40, 256, pixels);
    const Bytes file = writeGif(*image);
    const std::size_t offset = imageDataOffset(file);
    const CodeStream codes = parseCodes(file, offset);
    Bytes data;
    std::size_t pos = offset + 1;
    while (file[pos] != 0) {
        data.insert(data.end(), file.begin() + std::ptrdiff_t(pos + 1), file.begin() + std::ptrdiff_t(pos + 1 + file[pos]));
        pos += std::size_t(file[pos]) + 1;
    }
    Bytes reblocked(file.begin(), file.begin() + std::ptrdiff_t(offset + 1));
    for (std::size_t i = 0; i < data.size();) {
        const std::size_t n = std::min<std::size_t>(1 + i % 2, data.size() - i);
        reblocked.push_back(std::uint8_t(n));
        reblocked.insert(reblocked.end(), data.begin() + std::ptrdiff_t(i), data.begin() + std::ptrdiff_t(i + n));
        i += n;
    }
    reblocked = reblocked + Bytes{0, 0x3B};
    ReadResult r = readGif(reblocked);
    ASSERT_EQ(r.error, "");
    EXPECT_TRUE(r.warnings.empty());
    EXPECT_EQ(r.image->Images().Items(0).Data(), pixels);
    EXPECT_GT(codes.codes.size(), 500u);
}

TEST(Reader, FilesThroughTheGraphicInterface)
{
    const auto dir = tempDir("files");
    TGIFImage image;
    image.loadFromFile(std::string(ZOETRA_SAMPLE_DIR) + "/bricks-dither.gif");
    ASSERT_EQ(image.width(), 160);
    ASSERT_EQ(image.height(), 120);
    image.saveToFile(dir / "copy.gif");
    TGIFImage copy;
    copy.loadFromFile(dir / "copy.gif");
    ASSERT_EQ(copy.Images().Count(), 1);
    EXPECT_EQ(copy.Images().Items(0).Data(), image.Images().Items(0).Data());
    std::filesystem::remove_all(dir);
}
