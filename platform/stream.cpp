#include "platform/stream.h"

#include "platform/exceptions.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <unistd.h>

void Stream::readBuffer(void* buffer, std::int64_t count)
{
    if (count < 0 || read(buffer, count) != count)
        throw EReadError();
}

void Stream::writeBuffer(const void* buffer, std::int64_t count)
{
    if (count < 0 || write(buffer, count) != count)
        throw EWriteError();
}

int Stream::readByte()
{
    std::uint8_t b;
    return read(&b, 1) == 1 ? b : -1;
}

std::uint16_t Stream::readWord()
{
    std::uint8_t b[2];
    readBuffer(b, 2);
    return std::uint16_t(b[0] | (b[1] << 8));
}

void Stream::writeWord(std::uint16_t w)
{
    const std::uint8_t b[2] = {std::uint8_t(w), std::uint8_t(w >> 8)};
    writeBuffer(b, 2);
}

std::uint32_t Stream::readDWord()
{
    std::uint8_t b[4];
    readBuffer(b, 4);
    return std::uint32_t(b[0]) | (std::uint32_t(b[1]) << 8) | (std::uint32_t(b[2]) << 16) | (std::uint32_t(b[3]) << 24);
}

void Stream::writeDWord(std::uint32_t d)
{
    const std::uint8_t b[4] = {std::uint8_t(d), std::uint8_t(d >> 8), std::uint8_t(d >> 16), std::uint8_t(d >> 24)};
    writeBuffer(b, 4);
}

std::int64_t Stream::copyFrom(Stream& source, std::int64_t count)
{
    if (count == 0) {
        source.setPosition(0);
        count = source.size();
    }
    std::uint8_t buffer[65536];
    std::int64_t left = count;
    while (left > 0) {
        const std::int64_t n = std::min<std::int64_t>(left, sizeof buffer);
        source.readBuffer(buffer, n);
        writeBuffer(buffer, n);
        left -= n;
    }
    return count;
}

// Memory stream ------------------------------------------------------------------------------

std::int64_t MemoryStream::read(void* buffer, std::int64_t count)
{
    if (count <= 0 || pos_ >= size())
        return 0;
    const std::int64_t n = std::min(count, size() - pos_);
    std::memcpy(buffer, data_.data() + pos_, std::size_t(n));
    pos_ += n;
    return n;
}

std::int64_t MemoryStream::write(const void* buffer, std::int64_t count)
{
    if (count <= 0)
        return 0;
    const std::int64_t end = pos_ + count;
    if (end > size())
        data_.resize(std::size_t(end));
    std::memcpy(data_.data() + pos_, buffer, std::size_t(count));
    pos_ = end;
    return count;
}

std::int64_t MemoryStream::seek(std::int64_t offset, SeekOrigin origin)
{
    std::int64_t base = 0;
    switch (origin) {
    case SeekOrigin::Begin: base = 0; break;
    case SeekOrigin::Current: base = pos_; break;
    case SeekOrigin::End: base = size(); break;
    }
    pos_ = std::max<std::int64_t>(0, base + offset);
    return pos_;
}

void MemoryStream::setSize(std::int64_t n)
{
    data_.resize(std::size_t(std::max<std::int64_t>(0, n)));
    pos_ = std::min(pos_, size());
}

// File stream --------------------------------------------------------------------------------

namespace {

std::string systemReason()
{
    return std::strerror(errno);
}

std::filesystem::path temporaryPathFor(const std::filesystem::path& target)
{
    static std::atomic<unsigned> counter{0};
    auto name = target.filename().string();
    name = "." + name + ".tmp" + std::to_string(::getpid()) + "_" + std::to_string(counter++);
    return target.parent_path() / name;
}

} // namespace

FileStream::FileStream(const std::filesystem::path& path, Mode mode) : path_(path), mode_(mode)
{
    if (mode == Mode::Read) {
        std::error_code ec;
        if (std::filesystem::is_directory(path, ec))
            throw EFOpenError("Cannot open file \"" + path.string() + "\". It is a folder.");
        file_ = std::fopen(path.c_str(), "rb");
        if (!file_)
            throw EFOpenError("Cannot open file \"" + path.string() + "\". " + systemReason());
    } else {
        tempPath_ = temporaryPathFor(path);
        file_ = std::fopen(tempPath_.c_str(), "w+b");
        if (!file_)
            throw EFCreateError("Cannot create file \"" + path.string() + "\". " + systemReason());
    }
}

FileStream::~FileStream()
{
    if (file_)
        std::fclose(file_);
    if (mode_ == Mode::Write && !tempPath_.empty()) {
        std::error_code ec;
        std::filesystem::remove(tempPath_, ec);
    }
}

std::int64_t FileStream::read(void* buffer, std::int64_t count)
{
    if (!file_ || count <= 0)
        return 0;
    return std::int64_t(std::fread(buffer, 1, std::size_t(count), file_));
}

std::int64_t FileStream::write(const void* buffer, std::int64_t count)
{
    if (!file_ || mode_ != Mode::Write || count <= 0)
        return 0;
    const auto n = std::int64_t(std::fwrite(buffer, 1, std::size_t(count), file_));
    if (n != count)
        failed_ = true;
    return n;
}

std::int64_t FileStream::seek(std::int64_t offset, SeekOrigin origin)
{
    if (!file_)
        return 0;
    const int whence = origin == SeekOrigin::Begin ? SEEK_SET : origin == SeekOrigin::Current ? SEEK_CUR : SEEK_END;
    if (origin == SeekOrigin::Begin && offset < 0)
        offset = 0;
    std::fseek(file_, long(offset), whence);
    return std::int64_t(std::ftell(file_));
}

std::int64_t FileStream::size() const
{
    if (!file_)
        return 0;
    const long here = std::ftell(file_);
    std::fseek(file_, 0, SEEK_END);
    const long end = std::ftell(file_);
    std::fseek(file_, here, SEEK_SET);
    return end;
}

void FileStream::commit()
{
    if (mode_ != Mode::Write || !file_)
        throw EWriteError("Cannot write file \"" + path_.string() + "\". The file is not open for writing.");
    bool ok = !failed_ && std::fflush(file_) == 0 && ::fsync(::fileno(file_)) == 0;
    const std::string reason = ok ? std::string() : systemReason();
    ok = (std::fclose(file_) == 0) && ok;
    file_ = nullptr;
    if (!ok)
        throw EWriteError("Cannot write file \"" + path_.string() + "\". " + (reason.empty() ? systemReason() : reason));
    std::error_code ec;
    // A replaced file keeps its permissions.
    const auto status = std::filesystem::status(path_, ec);
    if (!ec && std::filesystem::exists(status))
        std::filesystem::permissions(tempPath_, status.permissions(), ec);
    std::filesystem::rename(tempPath_, path_, ec);
    if (ec)
        throw EWriteError("Cannot write file \"" + path_.string() + "\". " + ec.message());
    tempPath_.clear();
}

std::vector<std::uint8_t> readFileBytes(const std::filesystem::path& path)
{
    FileStream f(path, FileStream::Mode::Read);
    std::vector<std::uint8_t> data(std::size_t(f.size()));
    if (!data.empty())
        f.readBuffer(data.data(), std::int64_t(data.size()));
    return data;
}

void writeFileAtomically(const std::filesystem::path& path, const void* data, std::size_t size)
{
    FileStream f(path, FileStream::Mode::Write);
    f.writeBuffer(data, std::int64_t(size));
    f.commit();
}
