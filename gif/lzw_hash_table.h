#pragma once
// THashTable: the LZW encoder's string table, 8009 entries of 32 bits in one fixed block.
// An entry holds key * 4096 + code, the key being prefix * 256 + pixel; an empty entry has all
// bits set.

#include <cstdint>
#include <cstring>

class THashTable {
public:
    static constexpr int Size = 8009;
    static constexpr std::uint32_t EmptyEntry = 0xFFFFFFFF;

    THashTable() { Clear(); }

    void Clear() { std::memset(entries_, 0xFF, sizeof entries_); }

    void Insert(std::uint32_t key, int code)
    {
        const int slot = FindSlot(key);
        entries_[slot] = (key << 12) | std::uint32_t(code & 0xFFF);
    }

    // The code stored for key, or -1.
    int Lookup(std::uint32_t key) const
    {
        const std::uint32_t entry = entries_[FindSlot(key)];
        return entry == EmptyEntry ? -1 : int(entry & 0xFFF);
    }

    // The slot holding key, or the empty slot where it would be inserted.
    int FindSlot(std::uint32_t key) const
    {
        int slot = int((key ^ (key >> 4)) % std::uint32_t(Size));
        const int displacement = slot == 0 ? 1 : Size - slot;
        for (;;) {
            const std::uint32_t entry = entries_[slot];
            if (entry == EmptyEntry || (entry >> 12) == key)
                return slot;
            slot -= displacement;
            if (slot < 0)
                slot += Size;
        }
    }

    std::uint32_t Entry(int slot) const { return entries_[slot]; }
    void Store(int slot, std::uint32_t key, int code) { entries_[slot] = (key << 12) | std::uint32_t(code & 0xFFF); }

private:
    std::uint32_t entries_[Size];
};
