#include "gif/gif_header.h"

#include "gif/gif_image.h"
#include "gif/gif_messages.h"
#include "gif/gif_stream_io.h"
#include "platform/stream.h"

#include <algorithm>
#include <cctype>
#include <cstring>

TGIFHeader::TGIFHeader(TGIFImage* image) : TGIFItem(image), colorMap_(this) {}

TGIFHeader::~TGIFHeader() = default;

void TGIFHeader::Clear()
{
    colorMap_.Clear();
    ScreenWidth = 0;
    ScreenHeight = 0;
    PackedFields = 0;
    BackgroundIndex = 0;
    AspectRatio = 0;
}

void TGIFHeader::Assign(const TGIFHeader& source)
{
    if (&source == this)
        return;
    colorMap_.Assign(source.colorMap_);
    ScreenWidth = source.ScreenWidth;
    ScreenHeight = source.ScreenHeight;
    PackedFields = source.PackedFields;
    BackgroundIndex = source.BackgroundIndex;
    AspectRatio = source.AspectRatio;
}

void TGIFHeader::Assign(const TGIFColorMap& source)
{
    Clear();
    colorMap_.Assign(source);
}

void TGIFHeader::UpdatePackedFields() const
{
    std::uint8_t packed = 0;
    const bool present = colorMap_.Count() > 0;
    if (present) {
        packed |= 0x80;
        if (colorMap_.Sorted())
            packed |= 0x08;
    }
    const TGIFImage* image = Image();
    const int resolution = image ? image->ColorResolution() : colorMap_.BitsPerPixel() - 1;
    packed |= std::uint8_t((std::max(resolution, 0) & 7) << 4);
    const int bits = present ? colorMap_.BitsPerPixel() : (image ? image->BitsPerPixel() : 0);
    packed |= std::uint8_t((bits - 1) & 7);
    PackedFields = packed;
}

TGIFFormatVersion TGIFHeader::RequiredVersion() const
{
    return colorMap_.Sorted() || AspectRatio != 0 ? fv89a : fv87a;
}

void TGIFHeader::SaveToStream(Stream& stream) const
{
    TGIFFormatVersion version = Image() ? Image()->RequiredVersion() : fvUnknown;
    if (version == fvUnknown)
        throw GIFException(gifmsg::UnsupportedVersion);
    version = std::max(version, RequiredVersion());
    UpdatePackedFields();
    std::uint8_t bytes[13];
    std::memcpy(bytes, "GIF", 3);
    std::memcpy(bytes + 3, versionText(version), 3);
    gifio::writeWord(bytes + 6, ScreenWidth);
    gifio::writeWord(bytes + 8, ScreenHeight);
    bytes[10] = PackedFields;
    bytes[11] = BackgroundIndex;
    bytes[12] = AspectRatio;
    stream.writeBuffer(bytes, 13);
    if (PackedFields & 0x80)
        colorMap_.SaveToStream(stream);
}

void TGIFHeader::LoadFromStream(Stream& stream)
{
    auto isSignature = [](const std::uint8_t* b) {
        return std::toupper(b[0]) == 'G' && std::toupper(b[1]) == 'I' && std::toupper(b[2]) == 'F';
    };
    const std::int64_t start = stream.position();
    std::uint8_t signature[6];
    gifio::readExact(stream, signature, 6);
    if (!isSignature(signature)) {
        // Some files carry four bytes of other data in front of the signature.
        stream.setPosition(start);
        gifio::skip(stream, 4);
        gifio::readExact(stream, signature, 6);
        if (!isSignature(signature))
            throw GIFException(gifmsg::InvalidSignature);
    }
    std::uint8_t descriptor[7];
    gifio::readExact(stream, descriptor, 7);
    ScreenWidth = gifio::readWord(descriptor);
    ScreenHeight = gifio::readWord(descriptor + 2);
    PackedFields = descriptor[4];
    BackgroundIndex = descriptor[5];
    AspectRatio = descriptor[6];
    if (PackedFields & 0x80)
        colorMap_.LoadFromStream(stream, 2 << (PackedFields & 7));
    else
        colorMap_.Clear();
}
