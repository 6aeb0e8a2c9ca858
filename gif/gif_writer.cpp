#include "gif/gif_writer.h"

#include "gif/gif_messages.h"

#include <algorithm>
#include <cstring>

std::int64_t TGIFStream::read(void*, std::int64_t)
{
    throw EStreamError(gifmsg::InvalidStreamOperation);
}

std::int64_t TGIFStream::write(const void*, std::int64_t)
{
    throw EStreamError(gifmsg::InvalidStreamOperation);
}

std::int64_t TGIFStream::seek(std::int64_t, SeekOrigin)
{
    throw EStreamError(gifmsg::InvalidStreamOperation);
}

std::int64_t TGIFStream::size() const
{
    throw EStreamError(gifmsg::InvalidStreamOperation);
}

TGIFWriter::~TGIFWriter()
{
    if (!dirty_)
        return;
    try {
        Flush();
    } catch (...) {
    }
}

std::int64_t TGIFWriter::write(const void* buffer, std::int64_t count)
{
    const auto* p = static_cast<const std::uint8_t*>(buffer);
    std::int64_t left = count;
    while (left > 0) {
        dirty_ = true;
        const int n = int(std::min<std::int64_t>(left, 256 - count_));
        std::memcpy(buffer_ + count_, p, std::size_t(n));
        count_ += n;
        p += n;
        left -= n;
        if (count_ == 256)
            Flush();
    }
    return count;
}

void TGIFWriter::Flush()
{
    dirty_ = false;
    if (count_ <= 1)
        return;
    buffer_[0] = std::uint8_t(count_ - 1);
    const int n = count_;
    count_ = 1;
    target_.writeBuffer(buffer_, n);
}
