#include "platform/image_file.h"

#include "platform/bmp_file.h"
#include "platform/canvas.h"
#include "platform/exceptions.h"
#include "platform/graphic.h"
#include "platform/ico_file.h"
#include "platform/jpeg_file.h"
#include "platform/stream.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace {

std::string lowerExtension(const std::filesystem::path& path)
{
    std::string ext = path.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return ext;
}

} // namespace

Bitmap loadImageFile(const std::filesystem::path& path)
{
    const std::string ext = lowerExtension(path);
    if (ext == ".bmp") {
        FileStream stream(path, FileStream::Mode::Read);
        return readBmp(stream);
    }
    if (ext == ".jpg" || ext == ".jpeg") {
        FileStream stream(path, FileStream::Mode::Read);
        return readJpeg(stream);
    }
    if (ext == ".ico") {
        FileStream stream(path, FileStream::Mode::Read);
        return readIcon(stream).toBitmap();
    }

    const GraphicFormat* format = ext.empty() ? nullptr : GraphicFormats::instance().find(ext);
    if (!format || !format->create)
        throw EInvalidGraphic("Unknown picture file extension (" + ext + ")");
    std::unique_ptr<Graphic> graphic = format->create();
    if (!graphic)
        throw EInvalidGraphic("Unknown picture file extension (" + ext + ")");
    graphic->loadFromFile(path);
    if (const auto* bitmap = dynamic_cast<const Bitmap*>(graphic.get()))
        return *bitmap;
    Bitmap result(std::max(graphic->width(), 0), std::max(graphic->height(), 0), pf24bit);
    if (!result.empty())
        result.canvas().stretchDraw(Rect{0, 0, result.width(), result.height()}, *graphic);
    return result;
}

void registerImageFileFormats()
{
    auto& formats = GraphicFormats::instance();
    formats.registerFormat({"bmp", "Bitmaps", [] { return std::make_unique<Bitmap>(); }});
    formats.registerFormat({"ico", "Icons", [] { return std::make_unique<Icon>(); }});
    formats.registerFormat({"jpg", "JPEG Image File", [] { return std::make_unique<JpegImage>(); }});
    formats.registerFormat({"jpeg", "JPEG Image File", [] { return std::make_unique<JpegImage>(); }});
}
