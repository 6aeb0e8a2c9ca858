#include "gif/gif_image_list.h"

#include "gif/gif_defaults.h"
#include "gif/gif_image.h"
#include "gif/gif_messages.h"
#include "gif/gif_stream_io.h"
#include "gif/gif_sub_image.h"
#include "platform/stream.h"

TGIFSubImage& TGIFImageList::Items(int index) const
{
    return static_cast<TGIFSubImage&>(TGIFList::Items(index));
}

int TGIFImageList::Add(std::unique_ptr<TGIFSubImage> frame)
{
    return TGIFList::Add(std::move(frame));
}

void TGIFImageList::SaveToStream(Stream& stream) const
{
    const int count = Count();
    for (int i = 0; i < count; ++i) {
        Items(i).SaveToStream(stream);
        if (Image())
            Image()->Progress(ProgressStage::Running, RoundedPercent(i + 1, count), false,
                              gifmsg::Saving);
    }
}

namespace {

// Skips 0 bytes; returns the first other byte, or -1 at the end of the stream.
int readBlockByte(Stream& stream)
{
    int b;
    do
        b = stream.readByte();
    while (b == 0);
    return b;
}

} // namespace

void TGIFImageList::LoadFromStream(Stream& stream, TGIFImage* parent)
{
    int b = readBlockByte(stream);
    if (b < 0)
        return;
    const std::int64_t size = stream.size();
    while (b != 0x3B) {
        gifio::stepBack(stream);
        if (b != 0x21 && b != 0x2C) {
            Warning(1, gifmsg::UnknownBlockType);
            break;
        }
        auto frame = std::make_unique<TGIFSubImage>(parent);
        frame->LoadFromStream(stream);
        Add(std::move(frame));
        if (parent && size > 0)
            parent->Progress(ProgressStage::Running, RoundedPercent(stream.position(), size),
                             GIFDefaults().RenderOnLoad, gifmsg::Loading);
        b = readBlockByte(stream);
        if (b < 0)
            return;
    }
    gifio::stepBack(stream);
}
