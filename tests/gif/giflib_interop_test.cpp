// Interoperability: every file the writer produces decodes with giflib to the same pixels, and
// the reader decodes real-world files to the pixels giflib gives. giflib is used only here.

#include "gif/gif_graphic_control_extension.h"
#include "gif/gif_image.h"
#include "gif/gif_sub_image.h"
#include "gif_test_support.h"
#include "platform/stream.h"

#include <gif_lib.h>
#include <gtest/gtest.h>

#include <cstring>

using namespace giftest;

namespace {

struct Source {
    const Bytes* bytes;
    std::size_t pos = 0;
};

int readFromMemory(GifFileType* file, GifByteType* buffer, int count)
{
    auto* source = static_cast<Source*>(file->UserData);
    const std::size_t n = std::min<std::size_t>(std::size_t(count), source->bytes->size() - source->pos);
    std::memcpy(buffer, source->bytes->data() + source->pos, n);
    source->pos += n;
    return int(n);
}

struct GiflibFrame {
    int left, top, width, height;
    bool interlaced;
    std::vector<std::uint8_t> pixels;
};

// Decodes with giflib; fails the test if giflib refuses the file.
std::vector<GiflibFrame> giflibDecode(const Bytes& bytes)
{
    Source source{&bytes};
    int error = 0;
    GifFileType* file = DGifOpen(&source, readFromMemory, &error);
    EXPECT_TRUE(file) << GifErrorString(error);
    if (!file)
        return {};
    std::vector<GiflibFrame> frames;
    if (DGifSlurp(file) != GIF_OK) {
        ADD_FAILURE() << "giflib: " << GifErrorString(file->Error);
    } else {
        for (int i = 0; i < file->ImageCount; ++i) {
            const SavedImage& image = file->SavedImages[i];
            const GifImageDesc& d = image.ImageDesc;
            GiflibFrame f{d.Left, d.Top, d.Width, d.Height, d.Interlace != 0, {}};
            f.pixels.assign(image.RasterBits, image.RasterBits + std::size_t(d.Width) * std::size_t(d.Height));
            frames.push_back(std::move(f));
        }
    }
    DGifCloseFile(file, &error);
    return frames;
}

std::vector<std::uint8_t> pattern(int count, int colors, int kind)
{
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(count));
    std::uint32_t x = 12345u + std::uint32_t(kind);
    for (int i = 0; i < count; ++i) {
        x = x * 1103515245u + 12345u;
        switch (kind) {
        case 0: // noise
            pixels[std::size_t(i)] = std::uint8_t((x >> 16) % std::uint32_t(colors));
            break;
        case 1: // long runs
            pixels[std::size_t(i)] = std::uint8_t((i / 97) % colors);
            break;
        case 2: // one colour
            pixels[std::size_t(i)] = std::uint8_t(colors - 1);
            break;
        default: // runs of random length
            pixels[std::size_t(i)] = std::uint8_t(((i / (1 + (x >> 28))) * 3) % std::uint32_t(colors));
            break;
        }
    }
    return pixels;
}

} // namespace

TEST(GiflibInterop, WrittenFilesDecodeToTheSamePixels)
{
    const struct {
        int w, h, colors;
    } sizes[] = {{1, 1, 2}, {10000, 1, 4}, {100, 100, 2}, {257, 33, 16}, {300, 200, 256}, {17, 1000, 128}, {64, 64, 3}, {50, 40, 8}, {31, 29, 5}};
    for (TGIFEncoding encoding : {enLZW, enRLE})
        for (bool interlaced : {false, true})
            for (const auto& s : sizes)
                for (int kind = 0; kind < 4; ++kind) {
                    const auto pixels = pattern(s.w * s.h, s.colors, kind);
                    auto image = makeImage(s.w, s.h, s.colors, pixels);
                    image->Encoding = encoding;
                    image->Images().Items(0).SetInterlaced(interlaced);
                    const Bytes file = writeGif(*image);
                    const auto frames = giflibDecode(file);
                    ASSERT_EQ(frames.size(), 1u);
                    EXPECT_EQ(frames[0].pixels, pixels) << s.w << "x" << s.h << " colours " << s.colors << " kind "
                                                        << kind << " encoding " << int(encoding) << " interlaced "
                                                        << interlaced;
                }
}

TEST(GiflibInterop, RleOfTenThousandEqualPixels)
{
    auto image = makeImage(100, 100, 4, std::vector<std::uint8_t>(10000, 2));
    image->Encoding = enRLE;
    const Bytes file = writeGif(*image);
    const auto frames = giflibDecode(file);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].pixels, std::vector<std::uint8_t>(10000, 2));
    EXPECT_LT(file.size(), 1000u);
}

TEST(GiflibInterop, AnimationWithExtensionsAndGlobalTable)
{
    auto image = std::make_unique<TGIFImage>();
    for (int i = 0; i < 16; ++i)
        image->GlobalColorMap().Add(rgbColor(std::uint8_t(i * 16), 0, 0));
    for (int n = 0; n < 3; ++n) {
        auto frame = std::make_unique<TGIFSubImage>(image.get());
        frame->SetBounds(n * 3, n, 20 - n * 3, 10 - n);
        frame->Data() = pattern(frame->Width() * frame->Height(), 16, n);
        auto gce = std::make_unique<TGIFGraphicControlExtension>(frame.get());
        gce->SetDelay(std::uint16_t(10 * (n + 1)));
        gce->SetDisposal(2);
        gce->SetTransparent(true);
        gce->SetTransparentColorIndex(n);
        frame->Extensions().Add(std::move(gce));
        image->Add(std::move(frame));
    }
    const Bytes file = writeGif(*image);
    const auto frames = giflibDecode(file);
    ASSERT_EQ(frames.size(), 3u);
    for (int n = 0; n < 3; ++n) {
        const TGIFSubImage& ours = image->Images().Items(n);
        EXPECT_EQ(frames[std::size_t(n)].left, ours.Left());
        EXPECT_EQ(frames[std::size_t(n)].top, ours.Top());
        EXPECT_EQ(frames[std::size_t(n)].pixels, ours.Data()) << n;
    }
}

TEST(GiflibInterop, SampleFilesDecodeLikeGiflib)
{
    for (const char* name : {"bricks-dither.gif", "hibiscus.regular.gif", "gifplayer-muybridge.gif", "harvesters.gif"}) {
        const Bytes file = readFileBytes(std::string(ZOETRA_SAMPLE_DIR) + "/" + name);
        const auto reference = giflibDecode(file);
        ReadResult ours = readGif(file);
        ASSERT_EQ(ours.error, "") << name;
        // giflib keeps only frames with image data.
        std::vector<const TGIFSubImage*> frames;
        for (int i = 0; i < ours.image->Images().Count(); ++i)
            if (!ours.image->Images().Items(i).Empty())
                frames.push_back(&ours.image->Images().Items(i));
        ASSERT_EQ(frames.size(), reference.size()) << name;
        for (std::size_t i = 0; i < frames.size(); ++i) {
            ASSERT_EQ(frames[i]->Width(), reference[i].width) << name << " " << i;
            ASSERT_EQ(frames[i]->Data(), reference[i].pixels) << name << " " << i;
        }
        // And our rewrite of it decodes with giflib to the same pixels.
        const auto rewritten = giflibDecode(writeGif(*ours.image));
        ASSERT_EQ(rewritten.size(), reference.size()) << name;
        for (std::size_t i = 0; i < rewritten.size(); ++i)
            ASSERT_EQ(rewritten[i].pixels, reference[i].pixels) << name << " " << i;
    }
}
