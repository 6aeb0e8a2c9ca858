#pragma once
// giflib, the reference GIF codec of the benchmark: decoding from memory with DGifSlurp,
// encoding to memory with EGifSpew, and writing the synthetic animations.

#include "bench/synthetic_animations.h"

#include <cstdint>
#include <memory>
#include <vector>

struct GifFileType;

// A GIF file as giflib slurped it (frames, tables and extensions).
class GiflibImage {
public:
    // Throws std::runtime_error with giflib's error text when the bytes do not decode.
    explicit GiflibImage(const std::vector<std::uint8_t>& bytes);
    ~GiflibImage();
    GiflibImage(const GiflibImage&) = delete;
    GiflibImage& operator=(const GiflibImage&) = delete;

    const GifFileType& file() const { return *file_; }
    int frameCount() const;
    // Sum of width x height of all frames.
    std::int64_t pixelBytes() const;

private:
    GifFileType* file_ = nullptr;
};

// Seconds for one DGifOpen + DGifSlurp + DGifCloseFile of bytes held in memory; pixelBytes
// receives the decoded pixel count.
double giflibDecodeSeconds(const std::vector<std::uint8_t>& bytes, std::int64_t& pixelBytes);

// Seconds for one EGifSpew of a copy of image (same screen, tables, frames, indexes and
// extensions) into memory; output receives the file. The copy is made before the clock starts.
double giflibEncodeSeconds(const GiflibImage& image, std::vector<std::uint8_t>& output);

// The animation as a GIF89a file: global table, full frames, a graphic control extension with a
// delay of 10 hundredths before each.
std::vector<std::uint8_t> writeWithGiflib(const IndexedAnimation& animation);
