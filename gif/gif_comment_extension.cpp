#include "gif/gif_comment_extension.h"

#include "gif/gif_stream_io.h"
#include "platform/stream.h"

const TGIFExtensionClass TGIFCommentExtension::ClassInfo = {
    "TGIFCommentExtension",
    [](TGIFSubImage* frame) -> std::unique_ptr<TGIFExtension> { return std::make_unique<TGIFCommentExtension>(frame); },
    &TGIFExtension::DefaultResolve,
};

void TGIFCommentExtension::SaveToStream(Stream& stream) const
{
    TGIFExtension::SaveToStream(stream);
    gifio::writeTextLines(stream, Text);
}

void TGIFCommentExtension::LoadFromStream(Stream& stream)
{
    TGIFExtension::LoadFromStream(stream);
    gifio::readTextLines(stream, Text);
}
