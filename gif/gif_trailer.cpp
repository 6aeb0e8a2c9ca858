#include "gif/gif_trailer.h"

#include "gif/gif_messages.h"
#include "platform/stream.h"

void TGIFTrailer::SaveToStream(Stream& stream) const
{
    stream.writeByte(0x3B);
}

void TGIFTrailer::LoadFromStream(Stream& stream)
{
    const int b = stream.readByte();
    if (b >= 0 && b != 0x3B)
        Warning(1, gifmsg::InvalidTrailer);
}
