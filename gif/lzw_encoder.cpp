#include "gif/lzw_encoder.h"

#include <algorithm>
#include <iterator>

inline void TLZWEncoder::outputCode(int code)
{
    OutputBits(code);
    if (firstFreeCode_ > largestCode_ || justCleared_) {
        if (justCleared_) {
            codeWidth_ = initialWidth_;
            largestCode_ = (1 << codeWidth_) - 1;
            justCleared_ = false;
        } else {
            ++codeWidth_;
            largestCode_ = codeWidth_ == 12 ? 4096 : (1 << codeWidth_) - 1;
        }
    }
}

void TLZWEncoder::Output(int code)
{
    outputCode(code);
}

void TLZWEncoder::Clear()
{
    justCleared_ = true;
    outputCode(clearCode_);
    hashTable_->Clear();
    firstFreeCode_ = clearCode_ + 2;
}

namespace {

// The code output of the compressor's inner loop, with all of its state in locals so that
// the compiler keeps it in registers: the bytes written cannot alias it. Codes go into a
// 64-bit bucket, whole bytes into a local buffer that is handed to the writer when nearly full.
// It sends exactly the bytes that Output would send.
class CodeSink {
public:
    CodeSink(TGIFWriter& writer, std::uint32_t bucket, int bitCount) : writer_(writer), bucket_(bucket), bits_(bitCount)
    {
    }

    void put(int code, int width)
    {
        bucket_ |= std::uint64_t(code) << bits_;
        bits_ += width;
        if (bits_ >= 32) {
            const auto word = std::uint32_t(bucket_);
            out_[count_] = std::uint8_t(word);
            out_[count_ + 1] = std::uint8_t(word >> 8);
            out_[count_ + 2] = std::uint8_t(word >> 16);
            out_[count_ + 3] = std::uint8_t(word >> 24);
            count_ += 4;
            bucket_ >>= 32;
            bits_ -= 32;
            if (count_ > int(sizeof out_) - 4)
                drain();
        }
    }

    // Hands every whole byte to the writer and returns the bits of a partial byte (fewer than 8).
    void finish(std::uint32_t& bucket, int& bitCount)
    {
        while (bits_ >= 8) {
            out_[count_++] = std::uint8_t(bucket_);
            bucket_ >>= 8;
            bits_ -= 8;
        }
        drain();
        bucket = std::uint32_t(bucket_);
        bitCount = bits_;
    }

private:
    void drain()
    {
        writer_.write(out_, count_);
        count_ = 0;
    }

    TGIFWriter& writer_;
    std::uint64_t bucket_;
    int bits_;
    int count_ = 0;
    std::uint8_t out_[4096];
};

} // namespace

void TLZWEncoder::CompressPixels()
{
    struct Release {
        std::unique_ptr<THashTable>& table;
        ~Release() { table.reset(); }
    } release{hashTable_};
    hashTable_ = std::make_unique<THashTable>();
    Clear();
    THashTable& table = *hashTable_;

    // The whole-byte output so far goes to the writer; the partial byte moves into the sink.
    CodeSink sink(*writer_, bucket_ & ((1u << bitCount_) - 1), bitCount_);
    int width = codeWidth_;
    int largest = largestCode_;
    int freeCode = firstFreeCode_;
    const int clearCode = clearCode_;
    const int initialWidth = initialWidth_;
    const int limit = colorLimit_;
    bool first = true;
    int prefix = 0;
    // Per code, the entry of the string it was last extended to (or empty).
    std::uint32_t recentChild[4096];
    std::fill(std::begin(recentChild), std::end(recentChild), THashTable::EmptyEntry);

    const auto output = [&](int code) {
        sink.put(code, width);
        if (freeCode > largest) {
            ++width;
            largest = width == 12 ? 4096 : (1 << width) - 1;
        }
    };

    try {
        ForEachSpan([&](const std::uint8_t* p, std::int64_t count) {
            const std::uint8_t* end = p + count;
            if (first) {
                prefix = *p++;
                if (prefix >= limit)
                    ColorError();
                first = false;
            }
            for (; p < end; ++p) {
                const int pixel = *p;
                if (pixel >= limit)
                    ColorError();
                const std::uint32_t key = (std::uint32_t(prefix) << 8) | std::uint32_t(pixel);
                // Pictures repeat themselves: the string a prefix was last extended to is the
                // likeliest next one, and it is found without hashing.
                // (A single pixel has too many extensions for that guess to pay.)
                if (prefix >= clearCode) {
                    const std::uint32_t recent = recentChild[prefix];
                    if ((recent >> 12) == key) {
                        prefix = int(recent & 0xFFF);
                        continue;
                    }
                }
                const int slot = table.FindSlot(key);
                const std::uint32_t entry = table.Entry(slot);
                if (entry != THashTable::EmptyEntry) {
                    recentChild[prefix] = entry;
                    prefix = int(entry & 0xFFF);
                    continue;
                }
                output(prefix);
                prefix = pixel;
                if (freeCode < 4095) {
                    table.Store(slot, key, freeCode);
                    recentChild[key >> 8] = table.Entry(slot);
                    ++freeCode;
                } else {
                    // A clear code at the current width, then the table starts again.
                    sink.put(clearCode, width);
                    width = initialWidth;
                    largest = (1 << width) - 1;
                    table.Clear();
                    std::fill(std::begin(recentChild), std::end(recentChild), THashTable::EmptyEntry);
                    freeCode = clearCode + 2;
                }
            }
        });
    } catch (const GIFException&) {
        // A pixel outside the table: what was coded before it still reaches the stream.
        sink.finish(bucket_, bitCount_);
        throw;
    }
    output(prefix);

    sink.finish(bucket_, bitCount_);
    codeWidth_ = width;
    largestCode_ = largest;
    firstFreeCode_ = freeCode;
    justCleared_ = false;
    prefix_ = prefix;
}
