#pragma once
// The LZW decoder of GIF image data: the classic table-and-stack design, reading whole data
// sub-blocks from the stream into its bit buffer. The bits of a code may span any number of
// sub-blocks (even sub-blocks of one byte).
//
// Corrupt data is handled safely: a minimum code size above 11 is refused before decoding
// starts, and a table chain that loops (directly or through several entries) stops with
// "Circular decoder table entry" before the expansion stack can overflow.

#include <cstdint>

class Stream;
class TGIFItem;

class TLZWDecoder {
public:
    static constexpr int TableSize = 4096;
    static constexpr int StackSize = 8192;

    // minimumCodeSize: the byte in front of the data sub-blocks (0..11; larger values throw
    // GIFException "Invalid LZW minimum code size"). Warnings go to item.
    TLZWDecoder(Stream& stream, int minimumCodeSize, const TGIFItem& item);

    // Next pixel value (as the byte it becomes), or -1 (no more data), or -2 (end code).
    int NextValue();
    // Stores up to count values; returns how many were stored. Stops early at the first
    // value below 0 (then LastResult() holds it).
    std::int64_t Decode(std::uint8_t* out, std::int64_t count);
    int LastResult() const { return lastResult_; }
    // Asks for one more value (normally the end code) and skips whatever is left of the data
    // sub-blocks, so that the stream stands right after the image data.
    void Finish();

private:
    int decodeStep();
    // Decodes the common codes into out[n..count) and returns the new n; stops before the
    // first code that needs the general step.
    std::int64_t decodeRun(std::uint8_t* out, std::int64_t n, std::int64_t count);
    // Pushes the string of code (after a code not yet in the table: of the old code) and
    // adds the new table entry.
    void expand(int incoming, int code);
    void addEntry();
    // Adds the entry old + first at next while the table has room, widening the codes when
    // next reaches the width limit.
    void addEntry(int& next, int& limit, int& size, int old, int first);
    int getCode();
    std::uint32_t bitsAt(int byte) const;
    bool refill();
    void underrun();
    void skipSubBlocks();

    Stream& stream_;
    const TGIFItem& item_;
    int minimumCodeSize_;
    int codeSize_;
    int clearCode_;
    int endCode_;
    int nextCode_;
    int widthLimit_;
    int firstCode_ = 0;
    int oldCode_ = 0;
    int sp_ = 0;
    int currentBit_ = 0;
    int lastBit_ = 0;
    int lastByte_ = 0;
    bool done_ = false;
    bool zeroBlockSeen_ = false;
    bool firstCall_ = true;
    bool underrunReported_ = false;
    int lastResult_ = 0;
    // Values are kept as the bytes they become in the frame's pixels.
    std::uint16_t prefix_[TableSize];
    std::uint8_t suffix_[TableSize];
    std::uint8_t stack_[StackSize];
    // Length of each entry's string as it was when the entry was made.
    std::uint16_t length_[TableSize];
    // The unconsumed bytes of the last sub-block (at most three), one sub-block, and room
    // for reading four bytes at any byte a code starts in.
    std::uint8_t buffer_[3 + 255 + 6];
};
