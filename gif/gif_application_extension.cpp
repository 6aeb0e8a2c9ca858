#include "gif/gif_application_extension.h"

#include "gif/gif_messages.h"
#include "gif/gif_stream_io.h"
#include "platform/stream.h"

#include <algorithm>
#include <cstring>

const TGIFExtensionClass TGIFApplicationExtension::ClassInfo = {
    "TGIFApplicationExtension",
    [](TGIFSubImage* frame) -> std::unique_ptr<TGIFExtension> { return std::make_unique<TGIFApplicationExtension>(frame); },
    &TGIFApplicationExtension::Resolve,
};

const TGIFExtensionClass TGIFUnknownAppExtension::ClassInfo = {
    "TGIFUnknownAppExtension",
    [](TGIFSubImage* frame) -> std::unique_ptr<TGIFExtension> { return std::make_unique<TGIFUnknownAppExtension>(frame); },
    &TGIFApplicationExtension::Resolve,
};

const TGIFExtensionClass TGIFAppExtNSLoop::ClassInfo = {
    "TGIFAppExtNSLoop",
    [](TGIFSubImage* frame) -> std::unique_ptr<TGIFExtension> { return std::make_unique<TGIFAppExtNSLoop>(frame); },
    &TGIFApplicationExtension::Resolve,
};

TGIFApplicationExtension::TGIFApplicationExtension(TGIFSubImage* frame) : TGIFExtension(frame) {}

std::string TGIFApplicationExtension::ApplicationIdentifier() const
{
    return std::string(reinterpret_cast<const char*>(Identifier.data()), 8);
}

std::string TGIFApplicationExtension::AuthenticationCode() const
{
    return std::string(reinterpret_cast<const char*>(Identifier.data()) + 8, 3);
}

void TGIFApplicationExtension::SetIdentifier(const std::string& text)
{
    Identifier.fill(0);
    std::copy_n(text.begin(), std::min<std::size_t>(text.size(), 11), Identifier.begin());
}

const TGIFExtensionClass* TGIFApplicationExtension::Resolve(const TGIFExtensionClass* self, Stream& stream)
{
    const std::int64_t start = stream.position();
    const int size = stream.readByte();
    if (size < 0)
        return nullptr;
    if (size == 10) {
        std::uint8_t bytes[10];
        if (stream.read(bytes, 10) == 10)
            return &TGIFUnknownAppExtension::ClassInfo;
        return nullptr;
    }
    if (size == 11) {
        std::uint8_t identifier[11];
        if (stream.read(identifier, 11) == 11) {
            const TGIFExtensionClass* found = FindAppExtension(identifier);
            return found ? found : &TGIFUnknownAppExtension::ClassInfo;
        }
    }
    stream.setPosition(start);
    return self;
}

void TGIFApplicationExtension::SaveToStream(Stream& stream) const
{
    TGIFExtension::SaveToStream(stream);
    std::uint8_t bytes[12];
    bytes[0] = 11;
    std::memcpy(bytes + 1, Identifier.data(), 11);
    stream.writeBuffer(bytes, 12);
    SaveData(stream);
}

void TGIFApplicationExtension::LoadFromStream(Stream& stream)
{
    TGIFExtension::LoadFromStream(stream);
    std::uint8_t size = 0;
    gifio::readExact(stream, &size, 1);
    if (size == 10) {
        // A ten-byte identifier block: the byte after it completes the identifier and is also
        // read again as the length of the first data sub-block.
        Identifier.fill(0);
        gifio::readExact(stream, Identifier.data(), 11);
        gifio::stepBack(stream);
    } else if (size < 11) {
        throw GIFException(gifmsg::UnsupportedAppExtSize);
    } else {
        gifio::readExact(stream, Identifier.data(), 11);
        gifio::skip(stream, size - 11);
    }
    LoadData(stream);
}

void TGIFApplicationExtension::SaveData(Stream& stream) const
{
    stream.writeByte(0);
}

void TGIFApplicationExtension::LoadData(Stream&)
{
    // Only the descendants know the layout of their data.
    throw GIFException(gifmsg::UnsupportedAppExtSize);
}

// Unknown application extension ------------------------------------------------------------

void TGIFUnknownAppExtension::SaveData(Stream& stream) const
{
    // Blocks as read are 1..255 bytes and go out unchanged; a longer one made in memory is cut
    // into sub-blocks of 255, an empty one writes nothing (it would end the data).
    for (const auto& block : Blocks)
        for (std::size_t pos = 0; pos < block.Data.size(); pos += 255) {
            const std::size_t n = std::min<std::size_t>(255, block.Data.size() - pos);
            stream.writeByte(std::uint8_t(n));
            stream.writeBuffer(block.Data.data() + pos, std::int64_t(n));
        }
    stream.writeByte(0);
}

void TGIFUnknownAppExtension::LoadData(Stream& stream)
{
    Blocks.clear();
    for (;;) {
        const int size = stream.readByte();
        if (size <= 0)
            break;
        TGIFBlock block;
        block.Data.resize(std::size_t(size));
        gifio::readExact(stream, block.Data.data(), size);
        Blocks.push_back(std::move(block));
    }
}

// Loop extension ---------------------------------------------------------------------------

TGIFAppExtNSLoop::TGIFAppExtNSLoop(TGIFSubImage* frame) : TGIFApplicationExtension(frame)
{
    SetIdentifier("NETSCAPE2.0");
}

void TGIFAppExtNSLoop::SaveData(Stream& stream) const
{
    std::uint8_t loop[4] = {3, 1, 0, 0};
    gifio::writeWord(loop + 2, Loops);
    stream.writeBuffer(loop, 4);
    if (BufferSize != 0) {
        const std::uint8_t buffer[6] = {5,
                                        2,
                                        std::uint8_t(BufferSize & 0xFF),
                                        std::uint8_t((BufferSize >> 8) & 0xFF),
                                        std::uint8_t((BufferSize >> 16) & 0xFF),
                                        std::uint8_t(BufferSize >> 24)};
        stream.writeBuffer(buffer, 6);
    }
    stream.writeByte(0);
}

void TGIFAppExtNSLoop::LoadData(Stream& stream)
{
    for (;;) {
        // The end of the stream ends the data like a 0 length byte.
        const int size = stream.readByte();
        if (size <= 0)
            break;
        std::uint8_t kind = 0;
        gifio::readExact(stream, &kind, 1);
        int remaining;
        if (kind % 8 == 1) {
            if (size < 3)
                throw GIFException(gifmsg::InvalidData);
            std::uint8_t bytes[2];
            gifio::readExact(stream, bytes, 2);
            Loops = gifio::readWord(bytes);
            remaining = size - 3;
        } else if (kind % 8 == 2) {
            if (size < 5)
                throw GIFException(gifmsg::InvalidData);
            std::uint8_t bytes[4];
            gifio::readExact(stream, bytes, 4);
            BufferSize = std::uint32_t(bytes[0]) | (std::uint32_t(bytes[1]) << 8) | (std::uint32_t(bytes[2]) << 16) |
                         (std::uint32_t(bytes[3]) << 24);
            remaining = size - 5;
        } else {
            remaining = size - 1;
        }
        gifio::skip(stream, remaining);
    }
}
