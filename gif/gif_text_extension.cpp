#include "gif/gif_text_extension.h"

#include "gif/gif_stream_io.h"
#include "platform/stream.h"

const TGIFExtensionClass TGIFTextExtension::ClassInfo = {
    "TGIFTextExtension",
    [](TGIFSubImage* frame) -> std::unique_ptr<TGIFExtension> { return std::make_unique<TGIFTextExtension>(frame); },
    &TGIFExtension::DefaultResolve,
};

void TGIFTextExtension::SaveToStream(Stream& stream) const
{
    TGIFExtension::SaveToStream(stream);
    std::uint8_t bytes[13];
    bytes[0] = BlockSize;
    gifio::writeWord(bytes + 1, Left);
    gifio::writeWord(bytes + 3, Top);
    gifio::writeWord(bytes + 5, GridWidth);
    gifio::writeWord(bytes + 7, GridHeight);
    bytes[9] = CharWidth;
    bytes[10] = CharHeight;
    bytes[11] = ForegroundColorIndex;
    bytes[12] = BackgroundColorIndex;
    stream.writeBuffer(bytes, 13);
    gifio::writeTextLines(stream, Text);
}

void TGIFTextExtension::LoadFromStream(Stream& stream)
{
    TGIFExtension::LoadFromStream(stream);
    std::uint8_t bytes[13];
    gifio::readExact(stream, bytes, 13);
    BlockSize = bytes[0];
    Left = gifio::readWord(bytes + 1);
    Top = gifio::readWord(bytes + 3);
    GridWidth = gifio::readWord(bytes + 5);
    GridHeight = gifio::readWord(bytes + 7);
    CharWidth = bytes[9];
    CharHeight = bytes[10];
    ForegroundColorIndex = bytes[11];
    BackgroundColorIndex = bytes[12];
    gifio::readTextLines(stream, Text);
}
