// The writer: block order, sub-block buffering, the LZW and RLE encoders, interlaced order.

#include "gif/gif_comment_extension.h"
#include "gif/gif_graphic_control_extension.h"
#include "gif/gif_image.h"
#include "gif/gif_sub_image.h"
#include "gif/gif_writer.h"
#include "gif/lzw_hash_table.h"
#include "gif/rle_encoder.h"
#include "gif_test_support.h"
#include "platform/random.h"
#include "platform/stream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

using namespace giftest;

namespace {

std::vector<std::uint8_t> noise(int count, int colors, std::uint32_t seed)
{
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(count));
    std::uint32_t x = seed;
    for (auto& p : pixels) {
        x = x * 1664525u + 1013904223u;
        p = std::uint8_t((x >> 24) % std::uint32_t(colors));
    }
    return pixels;
}

// The codes of a textbook LZW encoder over pixels in sending order: a map of (prefix, pixel)
// strings, a clear code first and whenever code 4095 would be assigned, the end code last.
std::vector<int> plainLzwCodes(const std::vector<std::uint8_t>& pixels, int bitsPerPixel)
{
    const int clear = 1 << std::max(bitsPerPixel, 2);
    std::map<std::pair<int, int>, int> strings;
    std::vector<int> codes{clear};
    int next = clear + 2;
    int prefix = pixels[0];
    for (std::size_t i = 1; i < pixels.size(); ++i) {
        const auto found = strings.find({prefix, pixels[i]});
        if (found != strings.end()) {
            prefix = found->second;
            continue;
        }
        codes.push_back(prefix);
        if (next < 4095) {
            strings[{prefix, pixels[i]}] = next++;
        } else {
            codes.push_back(clear);
            strings.clear();
            next = clear + 2;
        }
        prefix = pixels[i];
    }
    codes.push_back(prefix);
    codes.push_back(clear + 1);
    return codes;
}

std::vector<std::uint8_t> interlacedOrder(const std::vector<std::uint8_t>& pixels, int width, int height)
{
    std::vector<std::uint8_t> sent;
    for (const auto& [start, step] : {std::pair{0, 8}, {4, 8}, {2, 4}, {1, 2}})
        for (int row = start; row < height; row += step)
            sent.insert(sent.end(), pixels.begin() + std::ptrdiff_t(row) * width,
                        pixels.begin() + std::ptrdiff_t(row + 1) * width);
    return sent;
}

} // namespace

TEST(Writer, OnePixelFrameBytes)
{
    // One colour: minimum code size 2, then clear code 4, the pixel 0 and end code 5 at width 3
    // (bits 100 000 101, least significant first: 0x44 0x01) in one sub-block, then the 0.
    auto image = makeImage(1, 1, 1, {0});
    const Bytes expected = text("GIF87a") + Bytes{1, 0, 1, 0, 0x00, 0, 0} +
                           Bytes{0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0x80} + Bytes{0, 0, 255, 0, 0, 0} +
                           Bytes{2, 2, 0x44, 0x01, 0} + Bytes{0x3B};
    EXPECT_EQ(writeGif(*image), expected);
}

TEST(Writer, ClearCodeBeforeCode4095AndWidthAtMost12)
{
    const int width = 300, height = 300;
    auto image = makeImage(width, height, 256, noise(width * height, 256, 7));
    const Bytes file = writeGif(*image);
    const CodeStream codes = parseCodes(file, imageDataOffset(file));
    ASSERT_EQ(codes.minSize, 8);
    int clears = 0;
    int next = 258;
    bool afterClear = true;
    for (std::size_t i = 0; i < codes.codes.size(); ++i) {
        EXPECT_LE(codes.widths[i], 12);
        const int c = codes.codes[i];
        if (c == 256) {
            ++clears;
            if (i > 0) {
                EXPECT_EQ(next, 4095) << "clear at code " << i;
            }
            next = 258;
            afterClear = true;
            continue;
        }
        if (c == 257)
            break;
        EXPECT_LE(c, next) << i;
        if (!afterClear)
            ++next;
        afterClear = false;
    }
    EXPECT_GT(clears, 2);
    // Every sub-block but the last is full.
    for (std::size_t i = 0; i + 1 < codes.subBlockSizes.size(); ++i)
        EXPECT_EQ(codes.subBlockSizes[i], 255);
    ReadResult back = readGif(file);
    ASSERT_EQ(back.error, "");
    EXPECT_EQ(back.image->Images().Items(0).Data(), image->Images().Items(0).Data());
}

TEST(Writer, InterlacedRowOrder)
{
    const struct {
        int height;
        std::vector<int> order;
    } cases[] = {{3, {0, 2, 1}}, {10, {0, 8, 4, 2, 6, 1, 3, 5, 7, 9}}, {1, {0}}, {2, {0, 1}}};
    for (const auto& c : cases) {
        // Row r holds pixel value r; one column, so the code stream lists the rows in order.
        std::vector<std::uint8_t> pixels;
        for (int r = 0; r < c.height; ++r)
            pixels.push_back(std::uint8_t(r));
        auto image = makeImage(1, c.height, 16, pixels);
        image->Encoding = enRLE; // no strings: every pixel is one code
        image->Images().Items(0).SetInterlaced(true);
        const Bytes file = writeGif(*image);
        CodeStream codes = parseCodes(file, imageDataOffset(file));
        std::vector<int> rows(codes.codes.begin() + 1, codes.codes.end() - 1);
        EXPECT_EQ(rows, c.order) << c.height;
        ReadResult back = readGif(file);
        EXPECT_EQ(back.image->Images().Items(0).Data(), pixels) << c.height;
    }
}

TEST(Writer, MinimumCodeSizeFitsTheLargestIndexUsed)
{
    // A frame that uses only the first few entries of a large table codes with narrower codes;
    // it reads back unchanged.
    const struct {
        int colors;
        std::uint8_t largest;
        int minSize;
    } cases[] = {{256, 3, 2}, {256, 4, 3}, {256, 127, 7}, {256, 255, 8}, {16, 1, 2}, {2, 1, 2}};
    for (const auto& c : cases) {
        std::vector<std::uint8_t> pixels = noise(40 * 30, c.largest + 1, 21);
        pixels[77] = c.largest;
        for (TGIFEncoding encoding : {enLZW, enRLE}) {
            auto image = makeImage(40, 30, c.colors, pixels);
            image->Encoding = encoding;
            const Bytes file = writeGif(*image);
            EXPECT_EQ(file[imageDataOffset(file)], c.minSize) << c.colors << " colours, largest " << int(c.largest);
            ReadResult back = readGif(file);
            ASSERT_EQ(back.error, "");
            EXPECT_EQ(back.image->Images().Items(0).Data(), pixels);
        }
    }
}

TEST(Writer, PixelOutsideTheTableFails)
{
    for (TGIFEncoding encoding : {enLZW, enRLE}) {
        auto image = makeImage(3, 1, 3, {0, 1, 3});
        image->Encoding = encoding;
        MemoryStream out;
        try {
            image->SaveToStream(out);
            FAIL();
        } catch (const GIFException& e) {
            EXPECT_STREQ(e.what(), "Color not in color table");
        }
        EXPECT_GT(out.size(), 13); // the frame's bytes so far stay in the stream
    }
    // Everything coded before the bad pixel reaches the stream: nearly as many bytes as the
    // same frame without it.
    std::vector<std::uint8_t> pixels = noise(20000, 200, 9);
    const std::size_t whole = writeGif(*makeImage(20000, 1, 200, pixels)).size();
    pixels.push_back(250);
    auto bad = makeImage(20001, 1, 200, pixels);
    MemoryStream out;
    EXPECT_THROW(bad->SaveToStream(out), GIFException);
    EXPECT_GE(out.size(), std::int64_t(whole) - 8);
}

TEST(Writer, PixelBufferOfTheWrongSizeIsRefused)
{
    auto image = makeImage(4, 4, 2, {});
    image->Images().Items(0).Data().resize(5);
    MemoryStream out;
    try {
        image->SaveToStream(out);
        FAIL();
    } catch (const GIFException& e) {
        EXPECT_STREQ(e.what(), "Pixel data does not match the image size");
    }
}

TEST(Writer, EmptyFrameWritesOnlyItsExtensions)
{
    auto image = makeImage(1, 1, 2, {1});
    auto empty = std::make_unique<TGIFSubImage>(image.get());
    auto gce = std::make_unique<TGIFGraphicControlExtension>(empty.get());
    gce->SetDelay(0x1234);
    empty->Extensions().Add(std::move(gce));
    image->Add(std::move(empty));
    const Bytes file = writeGif(*image);
    const Bytes tail(file.end() - 9, file.end());
    EXPECT_EQ(tail, (Bytes{0x21, 0xF9, 4, 0, 0x34, 0x12, 0, 0, 0x3B}));
}

TEST(Writer, SubBlockBuffering)
{
    const struct {
        int bytes;
        std::vector<int> blocks;
    } cases[] = {{0, {}}, {1, {1}}, {255, {255}}, {256, {255, 1}}, {510, {255, 255}}, {600, {255, 255, 90}}};
    for (const auto& c : cases) {
        MemoryStream target;
        {
            TGIFWriter writer(target);
            const Bytes data(std::size_t(c.bytes), 0xAB);
            writer.write(data.data(), std::int64_t(data.size()) / 2);
            for (std::size_t i = data.size() / 2; i < data.size(); ++i)
                writer.WriteByte(data[i]);
        } // destruction flushes
        std::vector<int> blocks;
        std::size_t pos = 0;
        while (pos < target.data().size()) {
            const int n = target.data()[pos];
            blocks.push_back(n);
            pos += std::size_t(n) + 1;
        }
        EXPECT_EQ(pos, target.data().size());
        EXPECT_EQ(blocks, c.blocks) << c.bytes;
    }
    MemoryStream target;
    TGIFWriter writer(target);
    std::uint8_t b = 0;
    try {
        writer.read(&b, 1);
        FAIL();
    } catch (const EStreamError& e) {
        EXPECT_STREQ(e.what(), "Invalid stream operation");
    }
    EXPECT_THROW(writer.seek(0, SeekOrigin::Begin), EStreamError);
}

TEST(Writer, DataOfExactly255BytesIsOneFullSubBlock)
{
    // Alternating pixels give one code per pixel; some pixel count codes to exactly 255 bytes.
    bool found = false;
    for (int n = 300; n < 700 && !found; ++n) {
        std::vector<std::uint8_t> pixels;
        for (int i = 0; i < n; ++i)
            pixels.push_back(std::uint8_t(i % 2));
        auto image = makeImage(n, 1, 16, pixels);
        image->Encoding = enRLE;
        const Bytes file = writeGif(*image);
        const CodeStream codes = parseCodes(file, imageDataOffset(file));
        int total = 0;
        for (int size : codes.subBlockSizes)
            total += size;
        if (total != 255)
            continue;
        found = true;
        EXPECT_EQ(codes.subBlockSizes, std::vector<int>{255});
        // The full block is followed directly by the terminator, then the trailer.
        EXPECT_EQ(codes.endOffset, file.size() - 1);
        EXPECT_EQ(file[codes.endOffset - 1], 0);
        EXPECT_EQ(file.back(), 0x3B);
    }
    EXPECT_TRUE(found);
}

TEST(Writer, RleOfManyEqualPixelsUsesFewCodes)
{
    auto image = makeImage(100, 100, 4, std::vector<std::uint8_t>(10000, 3));
    image->Encoding = enRLE;
    const Bytes file = writeGif(*image);
    const CodeStream codes = parseCodes(file, imageDataOffset(file));
    EXPECT_LT(codes.codes.size(), 400u);
    ReadResult back = readGif(file);
    ASSERT_EQ(back.error, "");
    EXPECT_TRUE(back.warnings.empty());
    EXPECT_EQ(back.image->Images().Items(0).Data(), std::vector<std::uint8_t>(10000, 3));
}

TEST(Writer, BothEncodersRoundTripAssortedImages)
{
    struct Case {
        int w, h, colors;
        bool interlaced;
        std::vector<std::uint8_t> pixels;
    };
    std::vector<Case> cases;
    cases.push_back({64, 64, 2, false, noise(64 * 64, 2, 1)});
    cases.push_back({33, 17, 7, true, noise(33 * 17, 7, 2)});
    cases.push_back({200, 150, 256, false, noise(200 * 150, 256, 3)});
    std::vector<std::uint8_t> runs;
    for (int i = 0; i < 5000; ++i)
        runs.push_back(std::uint8_t((i / 37) % 16));
    cases.push_back({100, 50, 16, true, runs});
    std::vector<std::uint8_t> mixed = noise(4000, 256, 4);
    for (int i = 1000; i < 3500; ++i)
        mixed[std::size_t(i)] = 9;
    cases.push_back({80, 50, 256, false, mixed});
    for (TGIFEncoding encoding : {enLZW, enRLE})
        for (const auto& c : cases) {
            auto image = makeImage(c.w, c.h, c.colors, c.pixels);
            image->Encoding = encoding;
            image->Images().Items(0).SetInterlaced(c.interlaced);
            ReadResult back = readGif(writeGif(*image));
            ASSERT_EQ(back.error, "");
            EXPECT_TRUE(back.warnings.empty());
            EXPECT_EQ(back.image->Images().Items(0).Data(), c.pixels) << c.w << "x" << c.h << " enc " << int(encoding);
        }
}

TEST(Writer, LzwCodesEqualThoseOfAPlainDictionaryEncoder)
{
    // The encoder's string table is tuned for speed; the codes it sends must stay exactly those
    // of the plain algorithm, through clears, width changes and interlaced order.
    struct Case {
        int w, h, colors, bits;
        bool interlaced;
        std::vector<std::uint8_t> pixels;
    };
    std::vector<Case> cases;
    cases.push_back({1, 1, 2, 1, false, {1}});
    cases.push_back({3, 5, 2, 1, false, noise(15, 2, 11)});
    cases.push_back({300, 200, 256, 8, false, noise(300 * 200, 256, 12)});
    cases.push_back({37, 29, 16, 4, true, noise(37 * 29, 16, 13)});
    std::vector<std::uint8_t> runs;
    for (int i = 0; i < 60000; ++i)
        runs.push_back(std::uint8_t((i / 53 + i / 1000) % 5));
    cases.push_back({400, 150, 5, 3, false, runs});
    std::vector<std::uint8_t> stripes = noise(640 * 120, 256, 14);
    for (std::size_t i = 0; i < stripes.size(); ++i)
        if ((i / 640) % 3 != 0)
            stripes[i] = std::uint8_t(i % 7);
    cases.push_back({640, 120, 256, 8, true, stripes});
    for (const auto& c : cases) {
        auto image = makeImage(c.w, c.h, c.colors, c.pixels);
        image->Images().Items(0).SetInterlaced(c.interlaced);
        const Bytes file = writeGif(*image);
        const CodeStream codes = parseCodes(file, imageDataOffset(file));
        EXPECT_EQ(codes.minSize, std::max(c.bits, 2));
        const auto sent = c.interlaced ? interlacedOrder(c.pixels, c.w, c.h) : c.pixels;
        EXPECT_EQ(codes.codes, plainLzwCodes(sent, c.bits)) << c.w << "x" << c.h << " colours " << c.colors;
    }
}

TEST(Writer, TriangleCost)
{
    // Runs of 1, 2, 3... pixels from a fresh table: n codes send n(n+1)/2 pixels.
    const struct {
        std::int64_t count, codes, cost;
    } cases[] = {{1, 100, 1}, {3, 100, 2}, {4, 100, 3}, {6, 100, 3}, {7, 100, 4}, {5050, 100, 100}, {5051, 100, 101},
                 {10100, 100, 200}};
    for (const auto& c : cases)
        EXPECT_EQ(TRLEEncoder::TriangleCost(c.count, c.codes), c.cost) << c.count;
}

TEST(Writer, HashTableProbing)
{
    THashTable table;
    EXPECT_EQ(table.Lookup(0x12345), -1);
    // Keys with the same home slot are found after probing.
    std::vector<std::uint32_t> keys;
    for (std::uint32_t k = 0; keys.size() < 5 && k < (1u << 20); ++k)
        if (THashTable::HomeSlot(k) == 17)
            keys.push_back(k);
    for (std::size_t i = 0; i < keys.size(); ++i)
        table.Insert(keys[i], int(300 + i));
    for (std::size_t i = 0; i < keys.size(); ++i)
        EXPECT_EQ(table.Lookup(keys[i]), int(300 + i));
    table.Clear();
    EXPECT_EQ(table.Lookup(keys[0]), -1);
}
