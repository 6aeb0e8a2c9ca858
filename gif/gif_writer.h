#pragma once
// TGIFStream, a stream adapter over a target stream, and TGIFWriter, which cuts everything
// written to it into GIF data sub-blocks of 255 bytes (the last one shorter).

#include "gif/gif_types.h"
#include "platform/stream.h"

#include <cstdint>

class TGIFStream : public Stream {
public:
    explicit TGIFStream(Stream& target) : target_(target) {}

    // The adapter itself cannot be read, written or positioned: "Invalid stream operation".
    std::int64_t read(void* buffer, std::int64_t count) override;
    std::int64_t write(const void* buffer, std::int64_t count) override;
    std::int64_t seek(std::int64_t offset, SeekOrigin origin) override;
    std::int64_t size() const override;

    TGIFWarning OnWarning;

protected:
    Stream& target_;
    // Byte 0 receives the sub-block length, bytes 1..255 the data.
    std::uint8_t buffer_[256] = {};
    int count_ = 1;
};

class TGIFWriter : public TGIFStream {
public:
    explicit TGIFWriter(Stream& target) : TGIFStream(target) {}
    // Flushes a partly filled sub-block (errors are dropped here: the destructor only runs
    // with unflushed data while another exception is already passing).
    ~TGIFWriter() override;

    std::int64_t write(const void* buffer, std::int64_t count) override;
    void WriteByte(std::uint8_t b)
    {
        dirty_ = true;
        buffer_[count_++] = b;
        if (count_ == 256)
            Flush();
    }
    // Writes the buffered bytes as one sub-block (nothing when the buffer is empty).
    void Flush();

private:
    bool dirty_ = false;
};
