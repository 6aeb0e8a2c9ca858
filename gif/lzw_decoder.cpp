#include "gif/lzw_decoder.h"

#include "gif/gif_item.h"
#include "gif/gif_limits.h"
#include "gif/gif_messages.h"
#include "gif/gif_types.h"
#include "platform/stream.h"

#include <algorithm>
#include <bit>
#include <cstring>

TLZWDecoder::TLZWDecoder(Stream& stream, int minimumCodeSize, const TGIFItem& item)
    : stream_(stream), item_(item), minimumCodeSize_(minimumCodeSize)
{
    if (minimumCodeSize < 0 || minimumCodeSize > giflimits::MaxMinimumCodeSize)
        throw GIFException(gifmsg::InvalidCodeSize);
    clearCode_ = 1 << minimumCodeSize;
    endCode_ = clearCode_ + 1;
    codeSize_ = minimumCodeSize + 1;
    nextCode_ = clearCode_ + 2;
    widthLimit_ = 2 * clearCode_;
    std::memset(prefix_, 0, sizeof prefix_);
    std::memset(length_, 0, sizeof length_);
    std::memset(suffix_, 0, sizeof suffix_);
    std::memset(buffer_, 0, sizeof buffer_);
}

// Four bytes of the buffer from byte on, the first in the lowest bits (the buffer has room for
// them at any byte a code starts in).
inline std::uint32_t TLZWDecoder::bitsAt(int byte) const
{
    if constexpr (std::endian::native == std::endian::little) {
        std::uint32_t bits;
        std::memcpy(&bits, buffer_ + byte, sizeof bits);
        return bits;
    } else {
        return std::uint32_t(buffer_[byte]) | (std::uint32_t(buffer_[byte + 1]) << 8) |
               (std::uint32_t(buffer_[byte + 2]) << 16) | (std::uint32_t(buffer_[byte + 3]) << 24);
    }
}

void TLZWDecoder::underrun()
{
    // Once per frame: asking again after the data ran out tells nothing new.
    if (!underrunReported_)
        item_.Warning(1, gifmsg::BitBufferUnderrun);
    underrunReported_ = true;
}

bool TLZWDecoder::refill()
{
    if (done_) {
        if (currentBit_ >= lastBit_)
            underrun();
        return false;
    }
    // The bytes not yet consumed (at most three) move to the start of the buffer.
    const int first = std::min(currentBit_ >> 3, lastByte_);
    const int keep = lastByte_ - first;
    std::memmove(buffer_, buffer_ + first, std::size_t(keep));
    currentBit_ -= first * 8;
    lastByte_ = keep;
    lastBit_ = keep * 8;
    const int length = stream_.readByte();
    if (length < 0)
        return false;
    int count = 0;
    if (length == 0) {
        done_ = true;
        zeroBlockSeen_ = true;
    } else {
        count = int(stream_.read(buffer_ + keep, length));
        if (count < length)
            item_.Warning(1, gifmsg::PrematureEnd);
    }
    lastByte_ = keep + count;
    lastBit_ = lastByte_ * 8;
    // Nothing of an earlier block stays behind the data.
    std::memset(buffer_ + lastByte_, 0, sizeof buffer_ - std::size_t(lastByte_));
    return true;
}

inline int TLZWDecoder::getCode()
{
    if (firstCall_) {
        // Data that does not begin with a clear code still starts from a clean table.
        firstCall_ = false;
        return clearCode_;
    }
    if (currentBit_ + codeSize_ >= lastBit_) {
        if (!refill())
            return -1;
        // Sub-blocks shorter than a code: keep reading until the code is complete.
        while (currentBit_ + codeSize_ > lastBit_ && !done_)
            if (!refill())
                break;
        if (currentBit_ >= lastBit_) {
            // Not a single bit of this code is left.
            underrun();
            return -1;
        }
        // A code cut short by the end of the data reads its missing bits as 0.
    }
    const int code = int((bitsAt(currentBit_ >> 3) >> (currentBit_ & 7)) & ((1u << codeSize_) - 1));
    currentBit_ += codeSize_;
    return code;
}

void TLZWDecoder::skipSubBlocks()
{
    std::uint8_t block[255];
    for (;;) {
        const int length = stream_.readByte();
        if (length <= 0)
            break;
        if (stream_.read(block, length) < length)
            break;
    }
    done_ = true;
    zeroBlockSeen_ = true;
}

int TLZWDecoder::decodeStep()
{
    int code = getCode();
    if (code < 0)
        return code;
    if (code == clearCode_) {
        for (int i = 0; i < clearCode_; ++i) {
            prefix_[i] = 0;
            suffix_[i] = std::uint8_t(i);
            length_[i] = 1;
        }
        std::memset(length_ + clearCode_, 0, sizeof length_[0] * std::size_t(TableSize - clearCode_));
        std::memset(prefix_ + clearCode_, 0, sizeof prefix_[0] * std::size_t(TableSize - clearCode_));
        std::memset(suffix_ + clearCode_, 0, sizeof suffix_[0] * std::size_t(TableSize - clearCode_));
        codeSize_ = minimumCodeSize_ + 1;
        widthLimit_ = 2 * clearCode_;
        nextCode_ = clearCode_ + 2;
        sp_ = 0;
        do
            code = getCode();
        while (code == clearCode_);
        if (code < 0)
            return code;
        if (code != endCode_) {
            firstCode_ = oldCode_ = code;
            return code;
        }
        // A clear code followed by the end code: the data ends here.
    }
    if (code == endCode_) {
        if (!zeroBlockSeen_)
            skipSubBlocks();
        done_ = true;
        return -2;
    }
    if (code >= nextCode_) {
        stack_[sp_++] = std::uint8_t(firstCode_);
        expand(code, oldCode_);
    } else {
        expand(code, code);
    }
    return stack_[--sp_];
}

inline void TLZWDecoder::expand(int incoming, int code)
{
    // A chain longer than the table has entries must pass an entry twice: the table loops
    // (a code that points to itself is the shortest such loop).
    int budget = TableSize;
    while (code >= clearCode_) {
        if (--budget < 0)
            throw GIFException(gifmsg::CircularTableEntry);
        stack_[sp_++] = suffix_[code];
        code = prefix_[code];
    }
    firstCode_ = suffix_[code];
    stack_[sp_++] = std::uint8_t(firstCode_);
    addEntry();
    oldCode_ = incoming;
}

inline void TLZWDecoder::addEntry(int& next, int& limit, int& size, int old, int first)
{
    if (next < TableSize) {
        prefix_[next] = std::uint16_t(old);
        suffix_[next] = std::uint8_t(first);
        length_[next] = std::uint16_t(std::min(length_[old] + 1, TableSize + 1));
        ++next;
        if (next >= limit && limit < TableSize) {
            limit *= 2;
            ++size;
        }
    }
}

inline void TLZWDecoder::addEntry()
{
    addEntry(nextCode_, widthLimit_, codeSize_, oldCode_, firstCode_);
}

int TLZWDecoder::NextValue()
{
    if (sp_ > 0)
        return stack_[--sp_];
    return decodeStep();
}

std::int64_t TLZWDecoder::decodeRun(std::uint8_t* out, std::int64_t n, std::int64_t count)
{
    // The decoder's state lives in locals here: stores into the output bytes could alias the
    // members and would make the compiler reload them for every pixel.
    int bit = currentBit_;
    const int lastBit = lastBit_;
    int size = codeSize_;
    int next = nextCode_;
    int limit = widthLimit_;
    int old = oldCode_;
    int first = firstCode_;
    const int clearCode = clearCode_;
    const int endCode = endCode_;

    const auto addEntry = [&] { TLZWDecoder::addEntry(next, limit, size, old, first); };

    while (n < count && bit + size < lastBit) {
        const int code = int((bitsAt(bit >> 3) >> (bit & 7)) & ((1u << size) - 1));
        if (code < clearCode) {
            bit += size;
            first = code; // a literal is its own first pixel
            addEntry();
            old = code;
            out[n++] = std::uint8_t(code);
            continue;
        }
        if (code <= endCode || code >= next)
            break;
        // A string whose length is known and fits is written straight into place, last pixel
        // first. The length is only a hint in corrupt data: unless the chain ends on a literal
        // after exactly that many steps, the general step decides.
        const int length = length_[code];
        if (length < 2 || length > count - n)
            break;
        std::uint8_t* p = out + n + length - 1;
        int c = code;
        int k = length;
        while (--k > 0 && c >= clearCode) {
            *p-- = suffix_[c];
            c = prefix_[c];
        }
        if (k != 0 || c >= clearCode)
            break;
        *p = std::uint8_t(c);
        bit += size;
        first = c;
        addEntry();
        old = code;
        n += length;
    }

    currentBit_ = bit;
    codeSize_ = size;
    nextCode_ = next;
    widthLimit_ = limit;
    oldCode_ = old;
    firstCode_ = first;
    return n;
}

std::int64_t TLZWDecoder::Decode(std::uint8_t* out, std::int64_t count)
{
    std::int64_t n = 0;
    while (n < count) {
        if (sp_ > 0) {
            std::int64_t take = sp_ < count - n ? sp_ : count - n;
            while (take-- > 0)
                out[n++] = stack_[--sp_];
            continue;
        }
        // The common case: codes that lie wholly in the buffer and are literals or strings
        // already in the table. Everything else takes the general step, one code at a time.
        if (!firstCall_) {
            n = decodeRun(out, n, count);
            if (n >= count)
                break;
        }
        const int value = decodeStep();
        if (value < 0) {
            lastResult_ = value;
            return n;
        }
        out[n++] = std::uint8_t(value);
    }
    lastResult_ = 0;
    return n;
}

void TLZWDecoder::Finish()
{
    NextValue();
    // Codes beyond the frame's pixels (or a missing end code) would otherwise leave the stream
    // inside the image data and make the blocks after it unreadable.
    if (!zeroBlockSeen_)
        skipSubBlocks();
}
