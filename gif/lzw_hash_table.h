#pragma once
// THashTable: the LZW encoder's string table. An entry holds key * 4096 + code, the key being
// prefix * 256 + pixel (20 bits) and the code 12 bits; an empty entry has all bits set.
//
// The table has 32768 slots of 32 bits (128 KiB, in the second-level cache), at most an eighth
// of them used (an LZW table holds under 4096 strings), with a multiplicative home slot and
// linear probing: a lookup nearly always decides on its first slot (at a quarter full, runs of
// occupied slots made dithered pictures code measurably slower). The layout is internal; only
// the codes the encoder sends depend on the table's contents.

#include <cstdint>
#include <cstring>

class THashTable {
public:
    static constexpr int SlotBits = 15;
    static constexpr int Size = 1 << SlotBits;
    static constexpr std::uint32_t EmptyEntry = 0xFFFFFFFF;

    THashTable() { Clear(); }

    void Clear() { std::memset(entries_, 0xFF, sizeof entries_); }

    void Insert(std::uint32_t key, int code) { Store(FindSlot(key), key, code); }

    // The code stored for key, or -1.
    int Lookup(std::uint32_t key) const
    {
        const std::uint32_t entry = entries_[FindSlot(key)];
        return entry == EmptyEntry ? -1 : int(entry & 0xFFF);
    }

    static int HomeSlot(std::uint32_t key) { return int((key * 0x9E3779B1u) >> (32 - SlotBits)); }

    // The slot holding key, or the empty slot where it would be inserted.
    int FindSlot(std::uint32_t key) const
    {
        int slot = HomeSlot(key);
        for (;;) {
            const std::uint32_t entry = entries_[slot];
            if (entry == EmptyEntry || (entry >> 12) == key)
                return slot;
            slot = (slot + 1) & (Size - 1);
        }
    }

    std::uint32_t Entry(int slot) const { return entries_[slot]; }
    void Store(int slot, std::uint32_t key, int code) { entries_[slot] = (key << 12) | std::uint32_t(code & 0xFFF); }

private:
    std::uint32_t entries_[Size];
};
