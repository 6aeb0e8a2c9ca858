#include "gif/lzw_encoder.h"

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

void TLZWEncoder::CompressPixels()
{
    struct Release {
        std::unique_ptr<THashTable>& table;
        ~Release() { table.reset(); }
    } release{hashTable_};
    hashTable_ = std::make_unique<THashTable>();
    Clear();
    THashTable& table = *hashTable_;
    bool first = true;
    int prefix = 0;
    const int limit = colorLimit_;
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
            const int slot = table.FindSlot(key);
            const std::uint32_t entry = table.Entry(slot);
            if (entry != THashTable::EmptyEntry) {
                prefix = int(entry & 0xFFF);
                continue;
            }
            outputCode(prefix);
            prefix = pixel;
            if (firstFreeCode_ < 4095) {
                table.Store(slot, key, firstFreeCode_);
                ++firstFreeCode_;
            } else {
                Clear();
            }
        }
    });
    prefix_ = prefix;
    outputCode(prefix);
}
