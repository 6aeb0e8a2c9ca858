#include "gif/gif_graphic_control_extension.h"

#include "gif/gif_messages.h"
#include "gif/gif_stream_io.h"
#include "gif/gif_sub_image.h"
#include "platform/stream.h"

const TGIFExtensionClass TGIFGraphicControlExtension::ClassInfo = {
    "TGIFGraphicControlExtension",
    [](TGIFSubImage* frame) -> std::unique_ptr<TGIFExtension> { return std::make_unique<TGIFGraphicControlExtension>(frame); },
    &TGIFExtension::DefaultResolve,
};

TGIFGraphicControlExtension::TGIFGraphicControlExtension(TGIFSubImage* frame) : TGIFExtension(frame)
{
    if (frame && !frame->GraphicControl)
        frame->GraphicControl = this;
}

TGIFGraphicControlExtension::~TGIFGraphicControlExtension()
{
    TGIFSubImage* frame = SubImage();
    if (!frame)
        return;
    if (Transparent())
        frame->Transparent = false;
    if (frame->GraphicControl == this)
        frame->GraphicControl = nullptr;
}

void TGIFGraphicControlExtension::SetTransparent(bool value)
{
    packed_ = std::uint8_t(value ? packed_ | 0x01 : packed_ & ~0x01);
    if (SubImage())
        SubImage()->Transparent = value;
}

void TGIFGraphicControlExtension::SetPackedFields(std::uint8_t value)
{
    packed_ = value;
    if (SubImage())
        SubImage()->Transparent = (value & 0x01) != 0;
}

void TGIFGraphicControlExtension::SetTransparentColorIndex(int index)
{
    if (TGIFSubImage* frame = SubImage()) {
        const TGIFColorMap& map = frame->ActiveColorMap();
        if (map.Count() > 0 && index >= map.Count()) {
            Warning(1, gifmsg::InvalidColorIndex);
            index = 0;
        }
    }
    transparentIndex_ = std::uint8_t(index);
}

void TGIFGraphicControlExtension::SaveToStream(Stream& stream) const
{
    TGIFExtension::SaveToStream(stream);
    std::uint8_t bytes[6];
    bytes[0] = blockSize_;
    bytes[1] = packed_;
    gifio::writeWord(bytes + 2, delay_);
    bytes[4] = transparentIndex_;
    bytes[5] = terminator_;
    stream.writeBuffer(bytes, 6);
}

void TGIFGraphicControlExtension::LoadFromStream(Stream& stream)
{
    TGIFExtension::LoadFromStream(stream);
    std::uint8_t bytes[6] = {blockSize_, packed_, std::uint8_t(delay_ & 0xFF), std::uint8_t(delay_ >> 8),
                             transparentIndex_, terminator_};
    const std::int64_t got = stream.read(bytes, 6);
    blockSize_ = bytes[0];
    packed_ = bytes[1];
    delay_ = gifio::readWord(bytes + 2);
    transparentIndex_ = bytes[4];
    terminator_ = bytes[5];
    if (got < 6) {
        Warning(1, gifmsg::PrematureEnd);
        return;
    }
    if ((packed_ & 0x01) && SubImage())
        SubImage()->Transparent = true;
}
