// Fuzz target of the GIF reader: reads arbitrary bytes, writes back whatever was read and
// reads that again, with lowered pixel limits. Only GIFException may come out of the library; the frames written must
// read back with the same pixels.

#include "gif/gif_image.h"
#include "gif/gif_limits.h"
#include "gif/gif_sub_image.h"
#include "platform/stream.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

std::vector<const TGIFSubImage*> framesWithPixels(const TGIFImage& image)
{
    std::vector<const TGIFSubImage*> frames;
    for (int i = 0; i < image.Images().Count(); ++i)
        if (!image.Images().Items(i).Empty())
            frames.push_back(&image.Images().Items(i));
    return frames;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // Frames of millions of pixels only make each run slow; the limit checks are the same.
    GIFLimits().MaxFramePixels = std::int64_t(1) << 20;
    GIFLimits().MaxImagePixels = std::int64_t(1) << 22;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    MemoryStream input(std::vector<std::uint8_t>(data, data + size));
    TGIFImage image;
    image.OnWarning = [](const TGIFObject*, int, const std::string&) {};
    try {
        image.LoadFromStream(input);
    } catch (const GIFException&) {
    }

    MemoryStream output;
    try {
        image.SaveToStream(output);
    } catch (const GIFException&) {
        return 0; // no frames, or pixels outside their colour table
    }

    output.setPosition(0);
    TGIFImage again;
    again.LoadFromStream(output); // our own output must read without error
    const auto before = framesWithPixels(image);
    const auto after = framesWithPixels(again);
    if (before.size() != after.size())
        std::abort();
    for (std::size_t i = 0; i < before.size(); ++i)
        if (before[i]->Data() != after[i]->Data() || before[i]->Width() != after[i]->Width() ||
            before[i]->Height() != after[i]->Height())
            std::abort();
    return 0;
}
