#pragma once
// Helpers of the GIF tests: GIF files built byte by byte, reading and writing images through
// memory, and a code-level view of LZW image data.

#include "gif/gif_image.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace giftest {

using Bytes = std::vector<std::uint8_t>;

Bytes operator+(Bytes a, const Bytes& b);
Bytes text(const std::string& s);

// Data sub-blocks of at most 255 bytes and the 0 terminator.
Bytes subBlocks(const Bytes& data);
// Image data coded with literal codes only (a clear code before the code width would grow),
// preceded by the minimum code size.
Bytes literalImageData(const std::vector<int>& pixels, int minSize);
// Codes packed at a fixed width into sub-blocks, preceded by the minimum code size.
Bytes codesAtWidth(const std::vector<int>& codes, int minSize, int width);
// A colour table of 2^bits entries: entry i is (i, 2i, 3i) modulo 256.
Bytes colorTable(int bits);
// Header and logical screen descriptor, with a global table of 2^gctBits entries when gctBits > 0.
Bytes screen(int w, int h, int gctBits, const char* version = "89a", int background = 0, int aspect = 0);
// Image descriptor, local table of 2^lctBits entries when lctBits > 0, then data.
Bytes descriptor(int x, int y, int w, int h, int lctBits = 0, bool interlaced = false);
Bytes gce(int delay, int disposal, int transparentIndex = -1);
Bytes appExtension(const std::string& identifier, const std::vector<Bytes>& blocks);

struct ReadResult {
    std::unique_ptr<TGIFImage> image;
    std::vector<std::string> warnings;
    std::string error; // text of the exception, empty if none
};
ReadResult readGif(const Bytes& bytes);
Bytes writeGif(const TGIFImage& image);

// An image of one frame with the given local table size, size and pixels.
std::unique_ptr<TGIFImage> makeImage(int width, int height, int colors, const std::vector<std::uint8_t>& pixels);

// The image data of one frame as codes, parsed with a decoder's view of the code width.
struct CodeStream {
    int minSize = 0;
    std::vector<int> codes;
    std::vector<int> widths;
    std::vector<int> subBlockSizes;
    std::size_t endOffset = 0; // offset after the 0 terminator
};
CodeStream parseCodes(const Bytes& file, std::size_t offset);
// Offset of the first image descriptor's minimum code size byte in a file we wrote.
std::size_t imageDataOffset(const Bytes& file);

// An empty folder zoetra-gif-tests-NAME in the temporary folder (emptied if it was there).
std::filesystem::path tempDir(const std::string& name);

} // namespace giftest
