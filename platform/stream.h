#pragma once
// Byte streams: an interface with memory and file implementations.
//
// FileStream opened for writing writes to a temporary file beside the target; commit()
// renames it over the target. A stream destroyed without commit() removes the temporary
// file, so a failed save never touches the old file.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

enum class SeekOrigin { Begin, Current, End };

class Stream {
public:
    virtual ~Stream() = default;

    // Reads up to count bytes; returns the number read (0 at the end).
    virtual std::int64_t read(void* buffer, std::int64_t count) = 0;
    // Writes count bytes; returns the number written.
    virtual std::int64_t write(const void* buffer, std::int64_t count) = 0;
    // Moves the position; returns the new position.
    virtual std::int64_t seek(std::int64_t offset, SeekOrigin origin) = 0;
    virtual std::int64_t size() const = 0;

    std::int64_t position() { return seek(0, SeekOrigin::Current); }
    void setPosition(std::int64_t pos) { seek(pos, SeekOrigin::Begin); }
    std::int64_t remaining() { return size() - position(); }

    // Reads exactly count bytes or throws EReadError ("Stream read error").
    void readBuffer(void* buffer, std::int64_t count);
    // Writes exactly count bytes or throws EWriteError ("Stream write error").
    void writeBuffer(const void* buffer, std::int64_t count);

    // Single bytes and little-endian words; readByte gives -1 at the end.
    int readByte();
    void writeByte(std::uint8_t b) { writeBuffer(&b, 1); }
    std::uint16_t readWord();
    void writeWord(std::uint16_t w);
    std::uint32_t readDWord();
    void writeDWord(std::uint32_t d);

    // Copies count bytes from source (all that remains when count is 0).
    std::int64_t copyFrom(Stream& source, std::int64_t count);
};

class MemoryStream : public Stream {
public:
    MemoryStream() = default;
    explicit MemoryStream(std::vector<std::uint8_t> data) : data_(std::move(data)) {}

    std::int64_t read(void* buffer, std::int64_t count) override;
    std::int64_t write(const void* buffer, std::int64_t count) override;
    std::int64_t seek(std::int64_t offset, SeekOrigin origin) override;
    std::int64_t size() const override { return std::int64_t(data_.size()); }

    void clear() { data_.clear(); pos_ = 0; }
    void setSize(std::int64_t n);
    const std::vector<std::uint8_t>& data() const { return data_; }
    std::vector<std::uint8_t> takeData() { pos_ = 0; return std::move(data_); }
    const std::uint8_t* memory() const { return data_.data(); }

private:
    std::vector<std::uint8_t> data_;
    std::int64_t pos_ = 0;
};

class FileStream : public Stream {
public:
    enum class Mode { Read, Write };

    // Read: opens an existing file (EFOpenError naming the file if it cannot).
    // Write: creates a temporary file in the target's folder (EFCreateError if it cannot).
    FileStream(const std::filesystem::path& path, Mode mode);
    ~FileStream() override;
    FileStream(const FileStream&) = delete;
    FileStream& operator=(const FileStream&) = delete;

    std::int64_t read(void* buffer, std::int64_t count) override;
    std::int64_t write(const void* buffer, std::int64_t count) override;
    std::int64_t seek(std::int64_t offset, SeekOrigin origin) override;
    std::int64_t size() const override;

    // Write mode: flushes, closes and renames the temporary file over the target.
    // Throws EWriteError if any of that fails; the old target then stays as it was.
    void commit();

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
    std::filesystem::path tempPath_;
    std::FILE* file_ = nullptr;
    Mode mode_;
    bool failed_ = false;
};

// Whole-file helpers built on FileStream.
std::vector<std::uint8_t> readFileBytes(const std::filesystem::path& path);
void writeFileAtomically(const std::filesystem::path& path, const void* data, std::size_t size);
