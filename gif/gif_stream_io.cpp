#include "gif/gif_stream_io.h"

#include "gif/gif_messages.h"
#include "gif/gif_types.h"
#include "platform/stream.h"

#include <algorithm>

namespace gifio {

void readExact(Stream& stream, void* buffer, std::int64_t count)
{
    if (count <= 0)
        return;
    if (stream.read(buffer, count) != count)
        throw GIFException(gifmsg::PrematureEnd);
}

void skip(Stream& stream, std::int64_t count)
{
    if (count <= 0)
        return;
    const std::int64_t pos = stream.position();
    stream.setPosition(pos + std::min(count, std::max<std::int64_t>(0, stream.size() - pos)));
}

void stepBack(Stream& stream)
{
    stream.seek(-1, SeekOrigin::Current);
}

void readTextLines(Stream& stream, std::vector<std::string>& lines)
{
    lines.clear();
    std::uint8_t block[255];
    for (;;) {
        const int length = stream.readByte();
        if (length <= 0)
            break;
        const std::int64_t got = stream.read(block, length);
        const auto* end = std::find(block, block + got, std::uint8_t(0));
        lines.emplace_back(reinterpret_cast<const char*>(block), std::size_t(end - block));
        if (got < length)
            break;
    }
}

void writeTextLines(Stream& stream, const std::vector<std::string>& lines)
{
    std::uint8_t block[256];
    for (const auto& line : lines) {
        std::size_t pos = 0;
        while (pos < line.size()) {
            const std::size_t n = std::min<std::size_t>(255, line.size() - pos);
            block[0] = std::uint8_t(n);
            std::copy_n(reinterpret_cast<const std::uint8_t*>(line.data()) + pos, n, block + 1);
            stream.writeBuffer(block, std::int64_t(n + 1));
            pos += n;
        }
    }
    stream.writeByte(0);
}

void writeWord(std::uint8_t* p, std::uint16_t value)
{
    p[0] = std::uint8_t(value & 0xFF);
    p[1] = std::uint8_t(value >> 8);
}

std::uint16_t readWord(const std::uint8_t* p)
{
    return std::uint16_t(p[0] | (p[1] << 8));
}

} // namespace gifio
