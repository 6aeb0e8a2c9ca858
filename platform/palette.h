#pragma once
// A logical palette: entries of red, green, blue and flags in pixel-value order.

#include "platform/color.h"

#include <cstdint>
#include <vector>

struct PaletteEntry {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    std::uint8_t flags = 0;

    TColor color() const { return rgbColor(red, green, blue); }
    static PaletteEntry fromColor(TColor c) { return {redOf(c), greenOf(c), blueOf(c), 0}; }
    friend bool operator==(const PaletteEntry&, const PaletteEntry&) = default;
};

class Palette {
public:
    static constexpr std::uint16_t kVersion = 0x300;

    Palette() = default;
    explicit Palette(std::vector<PaletteEntry> entries) : entries_(std::move(entries)) {}

    std::uint16_t version() const { return kVersion; }
    int count() const { return int(entries_.size()); }
    bool empty() const { return entries_.empty(); }
    const PaletteEntry& operator[](int i) const { return entries_[std::size_t(i)]; }
    PaletteEntry& operator[](int i) { return entries_[std::size_t(i)]; }
    const std::vector<PaletteEntry>& entries() const { return entries_; }
    std::vector<PaletteEntry>& entries() { return entries_; }
    void resize(int n) { entries_.resize(std::size_t(n)); }
    void append(const PaletteEntry& e) { entries_.push_back(e); }

    // Index of the entry nearest to c (squared RGB distance); the lowest index wins ties.
    // -1 for an empty palette.
    int nearestIndex(TColor c) const;

    friend bool operator==(const Palette&, const Palette&) = default;

private:
    std::vector<PaletteEntry> entries_;
};
