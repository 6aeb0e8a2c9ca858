#include "bench/giflib_reference.h"

#include "bench/timing.h"

#include <gif_lib.h>

#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>

namespace {

struct MemoryReader {
    const std::vector<std::uint8_t>* bytes;
    std::size_t pos = 0;
};

int readFromMemory(GifFileType* gif, GifByteType* buffer, int count)
{
    auto* reader = static_cast<MemoryReader*>(gif->UserData);
    const std::size_t left = reader->bytes->size() - reader->pos;
    const std::size_t n = std::min(left, std::size_t(count < 0 ? 0 : count));
    std::memcpy(buffer, reader->bytes->data() + reader->pos, n);
    reader->pos += n;
    return int(n);
}

int writeToMemory(GifFileType* gif, const GifByteType* buffer, int count)
{
    auto* out = static_cast<std::vector<std::uint8_t>*>(gif->UserData);
    out->insert(out->end(), buffer, buffer + count);
    return count;
}

std::string giflibError(const char* what, int code)
{
    const char* text = GifErrorString(code);
    return std::string(what) + ": " + (text ? text : "giflib error " + std::to_string(code));
}

GifFileType* openForWriting(std::vector<std::uint8_t>& output)
{
    int error = 0;
    GifFileType* gif = EGifOpen(&output, writeToMemory, &error);
    if (gif == nullptr)
        throw std::runtime_error(giflibError("EGifOpen", error));
    return gif;
}

void closeUnwritten(GifFileType* gif)
{
    int error = 0;
    EGifCloseFile(gif, &error);
}

// EGifSpew writes the file and closes it; giflib 5.2 then frees neither the frames nor the
// global table of a file opened for writing, so they are taken first and freed after.
bool spew(GifFileType* gif)
{
    GifFileType frames{};
    frames.SavedImages = gif->SavedImages;
    frames.ImageCount = gif->ImageCount;
    ColorMapObject* globalMap = gif->SColorMap;
    const bool ok = EGifSpew(gif) == GIF_OK;
    GifFreeSavedImages(&frames);
    GifFreeMapObject(globalMap);
    return ok;
}

} // namespace

GiflibImage::GiflibImage(const std::vector<std::uint8_t>& bytes)
{
    MemoryReader reader{&bytes};
    int error = 0;
    file_ = DGifOpen(&reader, readFromMemory, &error);
    if (file_ == nullptr)
        throw std::runtime_error(giflibError("DGifOpen", error));
    if (DGifSlurp(file_) != GIF_OK) {
        const int code = file_->Error;
        DGifCloseFile(file_, &error);
        file_ = nullptr;
        throw std::runtime_error(giflibError("DGifSlurp", code));
    }
    file_->UserData = nullptr;
}

GiflibImage::~GiflibImage()
{
    int error = 0;
    if (file_ != nullptr)
        DGifCloseFile(file_, &error);
}

int GiflibImage::frameCount() const { return file_->ImageCount; }

std::int64_t GiflibImage::pixelBytes() const
{
    std::int64_t n = 0;
    for (int i = 0; i < file_->ImageCount; ++i)
        n += std::int64_t(file_->SavedImages[i].ImageDesc.Width) * file_->SavedImages[i].ImageDesc.Height;
    return n;
}

double giflibDecodeSeconds(const std::vector<std::uint8_t>& bytes, std::int64_t& pixelBytes)
{
    const Stopwatch clock;
    MemoryReader reader{&bytes};
    int error = 0;
    GifFileType* gif = DGifOpen(&reader, readFromMemory, &error);
    if (gif == nullptr)
        throw std::runtime_error(giflibError("DGifOpen", error));
    if (DGifSlurp(gif) != GIF_OK) {
        const int code = gif->Error;
        DGifCloseFile(gif, &error);
        throw std::runtime_error(giflibError("DGifSlurp", code));
    }
    std::int64_t n = 0;
    for (int i = 0; i < gif->ImageCount; ++i)
        n += std::int64_t(gif->SavedImages[i].ImageDesc.Width) * gif->SavedImages[i].ImageDesc.Height;
    DGifCloseFile(gif, &error);
    const double seconds = clock.seconds();
    pixelBytes = n;
    return seconds;
}

double giflibEncodeSeconds(const GiflibImage& image, std::vector<std::uint8_t>& output)
{
    output.clear();
    const GifFileType& src = image.file();
    GifFileType* gif = openForWriting(output);
    gif->SWidth = src.SWidth;
    gif->SHeight = src.SHeight;
    gif->SColorResolution = src.SColorResolution;
    gif->SBackGroundColor = src.SBackGroundColor;
    gif->AspectByte = src.AspectByte;
    if (src.SColorMap != nullptr)
        gif->SColorMap = GifMakeMapObject(src.SColorMap->ColorCount, src.SColorMap->Colors);
    // Frames copied field by field: giflib's own copy shares the extension bytes with the source.
    for (int i = 0; i < src.ImageCount; ++i) {
        const SavedImage& from = src.SavedImages[i];
        SavedImage* to = GifMakeSavedImage(gif, nullptr);
        if (to == nullptr) {
            closeUnwritten(gif);
            throw std::runtime_error("GifMakeSavedImage: out of memory");
        }
        to->ImageDesc = from.ImageDesc;
        to->ImageDesc.ColorMap = nullptr;
        if (from.ImageDesc.ColorMap != nullptr)
            to->ImageDesc.ColorMap = GifMakeMapObject(from.ImageDesc.ColorMap->ColorCount, from.ImageDesc.ColorMap->Colors);
        const std::size_t n = std::size_t(from.ImageDesc.Width) * std::size_t(from.ImageDesc.Height);
        to->RasterBits = static_cast<GifByteType*>(std::malloc(n == 0 ? 1 : n));
        if (to->RasterBits == nullptr) {
            closeUnwritten(gif);
            throw std::runtime_error("out of memory");
        }
        std::memcpy(to->RasterBits, from.RasterBits, n);
        for (int k = 0; k < from.ExtensionBlockCount; ++k) {
            const ExtensionBlock& e = from.ExtensionBlocks[k];
            GifAddExtensionBlock(&to->ExtensionBlockCount, &to->ExtensionBlocks, e.Function, unsigned(e.ByteCount),
                                 e.Bytes);
        }
    }
    for (int i = 0; i < src.ExtensionBlockCount; ++i) {
        const ExtensionBlock& e = src.ExtensionBlocks[i];
        GifAddExtensionBlock(&gif->ExtensionBlockCount, &gif->ExtensionBlocks, e.Function, unsigned(e.ByteCount),
                             e.Bytes);
    }
    const Stopwatch clock;
    if (!spew(gif))
        throw std::runtime_error("EGifSpew failed");
    return clock.seconds();
}

std::vector<std::uint8_t> writeWithGiflib(const IndexedAnimation& animation)
{
    std::vector<std::uint8_t> output;
    GifFileType* gif = openForWriting(output);
    gif->SWidth = animation.width;
    gif->SHeight = animation.height;
    gif->SColorResolution = 8;
    gif->SBackGroundColor = 0;
    GifColorType colors[256];
    for (int i = 0; i < 256; ++i)
        colors[i] = {animation.palette[std::size_t(3 * i)], animation.palette[std::size_t(3 * i + 1)],
                     animation.palette[std::size_t(3 * i + 2)]};
    gif->SColorMap = GifMakeMapObject(256, colors);
    for (std::size_t k = 0; k < animation.frames.size(); ++k) {
        SavedImage* image = GifMakeSavedImage(gif, nullptr);
        if (image == nullptr) {
            closeUnwritten(gif);
            throw std::runtime_error("GifMakeSavedImage: out of memory");
        }
        image->ImageDesc.Left = 0;
        image->ImageDesc.Top = 0;
        image->ImageDesc.Width = animation.width;
        image->ImageDesc.Height = animation.height;
        image->ImageDesc.Interlace = false;
        image->ImageDesc.ColorMap = nullptr;
        const std::size_t n = animation.frames[k].size();
        image->RasterBits = static_cast<GifByteType*>(std::malloc(n));
        if (image->RasterBits == nullptr) {
            closeUnwritten(gif);
            throw std::runtime_error("out of memory");
        }
        std::memcpy(image->RasterBits, animation.frames[k].data(), n);
        GraphicsControlBlock control{};
        control.DisposalMode = DISPOSAL_UNSPECIFIED;
        control.DelayTime = 10;
        control.TransparentColor = NO_TRANSPARENT_COLOR;
        EGifGCBToSavedExtension(&control, gif, int(k));
    }
    if (!spew(gif))
        throw std::runtime_error("EGifSpew failed");
    return output;
}
