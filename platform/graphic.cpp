#include "platform/graphic.h"

#include "platform/stream.h"

#include <algorithm>
#include <cctype>

void Graphic::loadFromFile(const std::filesystem::path& path)
{
    FileStream stream(path, FileStream::Mode::Read);
    loadFromStream(stream);
}

void Graphic::saveToFile(const std::filesystem::path& path) const
{
    FileStream stream(path, FileStream::Mode::Write);
    saveToStream(stream);
    stream.commit();
}

void Graphic::setTransparent(bool value)
{
    if (transparent_ == value)
        return;
    transparent_ = value;
    changed();
}

namespace {
std::string normalizedExtension(std::string ext)
{
    if (!ext.empty() && ext[0] == '.')
        ext.erase(0, 1);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return ext;
}
} // namespace

GraphicFormats& GraphicFormats::instance()
{
    static GraphicFormats formats;
    return formats;
}

void GraphicFormats::registerFormat(GraphicFormat format)
{
    format.extension = normalizedExtension(format.extension);
    unregisterFormat(format.extension);
    formats_.push_back(std::move(format));
}

void GraphicFormats::unregisterFormat(const std::string& extension)
{
    const auto ext = normalizedExtension(extension);
    std::erase_if(formats_, [&](const GraphicFormat& f) { return f.extension == ext; });
}

const GraphicFormat* GraphicFormats::find(const std::string& extension) const
{
    const auto ext = normalizedExtension(extension);
    for (const auto& f : formats_)
        if (f.extension == ext)
            return &f;
    return nullptr;
}
