// The LZW decoder's bulk decoding gives exactly what value-by-value decoding gives, on valid
// and on random (mostly corrupt) data.

#include "gif/gif_image.h"
#include "gif/gif_trailer.h"
#include "gif/lzw_decoder.h"
#include "gif_test_support.h"
#include "platform/stream.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace giftest;

namespace {

struct Decoded {
    std::vector<int> values; // pixel values, then the final result (< 0) or 1000 for "full";
                             // after an error only the pixel values decoded before it
    std::string error;
};

Decoded decodeOneByOne(const Bytes& data, int minSize, int count, const TGIFItem& item)
{
    Decoded d;
    MemoryStream stream(data);
    try {
        TLZWDecoder decoder(stream, minSize, item);
        for (int i = 0; i < count; ++i) {
            const int v = decoder.NextValue();
            if (v < 0) {
                d.values.push_back(v);
                return d;
            }
            d.values.push_back(v & 0xFF);
        }
        d.values.push_back(1000);
    } catch (const GIFException& e) {
        d.error = e.what();
    }
    return d;
}

Decoded decodeInBulk(const Bytes& data, int minSize, int count, const TGIFItem& item, int chunk)
{
    Decoded d;
    MemoryStream stream(data);
    try {
        TLZWDecoder decoder(stream, minSize, item);
        std::vector<std::uint8_t> out(static_cast<std::size_t>(count));
        std::int64_t done = 0;
        while (done < count) {
            const std::int64_t want = std::min<std::int64_t>(chunk, count - done);
            const std::int64_t got = decoder.Decode(out.data() + done, want);
            for (std::int64_t i = 0; i < got; ++i)
                d.values.push_back(out[std::size_t(done + i)]);
            done += got;
            if (got < want) {
                d.values.push_back(decoder.LastResult());
                return d;
            }
        }
        d.values.push_back(1000);
    } catch (const GIFException& e) {
        d.error = e.what();
    }
    return d;
}

} // namespace

TEST(LzwDecoder, BulkDecodingEqualsValueByValue)
{
    TGIFImage image;
    TGIFTrailer item(&image);
    std::uint32_t x = 99;
    auto rnd = [&x] {
        x = x * 1664525u + 1013904223u;
        return x >> 8;
    };
    int corrupt = 0;
    for (int round = 0; round < 400; ++round) {
        const int minSize = 2 + int(rnd() % 7);
        Bytes data;
        if (round % 2 == 0) {
            // Valid data from our encoder.
            std::vector<std::uint8_t> pixels(200 + rnd() % 3000);
            const int colors = 1 << minSize;
            for (auto& p : pixels)
                p = std::uint8_t(rnd() % 5 == 0 ? rnd() % std::uint32_t(colors) : (&p == pixels.data() ? 0 : *(&p - 1)));
            auto gif = makeImage(int(pixels.size()), 1, colors, pixels);
            const Bytes file = writeGif(*gif);
            data.assign(file.begin() + std::ptrdiff_t(imageDataOffset(file)) + 1, file.end());
        } else {
            // Random sub-blocks.
            const int blocks = 1 + int(rnd() % 6);
            for (int b = 0; b < blocks; ++b) {
                const int n = 1 + int(rnd() % 255);
                data.push_back(std::uint8_t(n));
                for (int i = 0; i < n; ++i)
                    data.push_back(std::uint8_t(rnd()));
            }
            data.push_back(0);
        }
        const int count = 100 + int(rnd() % 5000);
        const Decoded one = decodeOneByOne(data, minSize, count, item);
        for (int chunk : {1, 7, 4096}) {
            const Decoded bulk = decodeInBulk(data, minSize, count, item, chunk);
            ASSERT_EQ(bulk.error, one.error) << "round " << round << " chunk " << chunk;
            if (one.error.empty()) {
                ASSERT_EQ(bulk.values, one.values) << "round " << round << " chunk " << chunk;
            } else {
                // The values of the call that failed are not counted: the bulk result is a prefix.
                ASSERT_LE(bulk.values.size(), one.values.size()) << "round " << round;
                ASSERT_TRUE(std::equal(bulk.values.begin(), bulk.values.end(), one.values.begin()))
                    << "round " << round << " chunk " << chunk;
            }
        }
        corrupt += !one.error.empty();
    }
    EXPECT_GT(corrupt, 0); // some random data ran into a looping table
}
