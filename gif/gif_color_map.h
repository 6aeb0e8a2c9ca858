#pragma once
// GIF colour tables: at most 256 entries of red, green, blue. TGIFGlobalColorMap belongs to
// the header (and serves every frame without a table of its own), TGIFLocalColorMap to one frame.

#include "gif/gif_types.h"
#include "platform/color.h"

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class Bitmap;
class Palette;
class Stream;
class TGIFHeader;
class TGIFSubImage;

// One entry of a usage count: the colour's index and how many pixels use it.
struct TUsageCount {
    int Index = 0;
    std::int64_t Count = 0;
};

class TGIFColorMap : public TGIFObject {
public:
    static constexpr int MaxColors = 256;

    ~TGIFColorMap() override = default;

    // Copies entries, Count, Capacity and Sorted from another table, then Changed.
    virtual void Assign(const TGIFColorMap& source);
    virtual void Warning(int severity, const std::string& message) const = 0;
    // One (index, count) pair per entry, counting the pixels that use this table.
    virtual void CountUsage(std::vector<TUsageCount>& table) = 0;
    // Replaces every pixel that uses this table by translation[pixel].
    virtual void RemapPixels(const std::uint8_t (&translation)[256]) = 0;
    // Sorts the table by decreasing use and drops unused colours; false if nothing was done.
    virtual bool Optimize() = 0;
    virtual void Changed() = 0;

    void Clear();
    void GrowTo(int n);
    // Colour at index (red + green*256 + blue*65536). An index outside the table reports
    // "Invalid color index" and uses index 0; an empty table throws "Color table is empty".
    TColor Colors(int index);
    void SetColors(int index, TColor color);
    int IndexOf(TColor color) const;
    int Add(TColor color);
    int AddUnique(TColor color);
    void Delete(int index);
    int BitsPerPixel() const;

    void ImportPalette(const Palette& palette);
    // n triples of red, green, blue.
    void ImportRGB(const std::uint8_t* triples, int n);
    // n quads of blue, green, red, reserved.
    void ImportQuads(const std::uint8_t* quads, int n);
    // The colour table of an indexed bitmap.
    void ImportDIBColors(const Bitmap& bitmap);
    // A new palette of Count entries with the no-collapse flag; null for an empty table.
    std::unique_ptr<Palette> ExportPalette() const;

    void SaveToStream(Stream& stream) const;
    void LoadFromStream(Stream& stream, int count);

    int Count() const { return count_; }
    int Capacity() const { return capacity_; }
    bool Sorted() const { return sorted_; }
    void SetSorted(bool value) { sorted_ = value; }
    // Count x 3 bytes, red, green, blue per entry.
    const std::uint8_t* Data() const { return entries_.data(); }

protected:
    TGIFColorMap() = default;
    // The shared sort by use (Optimize of both descendants).
    bool SortByUse();
    void Destroyed();

private:
    std::vector<std::uint8_t> entries_;
    int count_ = 0;
    int capacity_ = 0;
    bool sorted_ = false;
};

class TGIFGlobalColorMap : public TGIFColorMap {
public:
    explicit TGIFGlobalColorMap(TGIFHeader* header) : header_(header) {}
    ~TGIFGlobalColorMap() override;
    TGIFGlobalColorMap(const TGIFGlobalColorMap&) = delete;
    TGIFGlobalColorMap& operator=(const TGIFGlobalColorMap&) = delete;

    void Warning(int severity, const std::string& message) const override;
    void CountUsage(std::vector<TUsageCount>& table) override;
    void RemapPixels(const std::uint8_t (&translation)[256]) override;
    bool Optimize() override;
    void Changed() override;

    TGIFHeader* Header() const { return header_; }

private:
    TGIFHeader* header_;
};

class TGIFLocalColorMap : public TGIFColorMap {
public:
    explicit TGIFLocalColorMap(TGIFSubImage* subImage) : subImage_(subImage) {}
    ~TGIFLocalColorMap() override;
    TGIFLocalColorMap(const TGIFLocalColorMap&) = delete;
    TGIFLocalColorMap& operator=(const TGIFLocalColorMap&) = delete;

    void Warning(int severity, const std::string& message) const override;
    void CountUsage(std::vector<TUsageCount>& table) override;
    void RemapPixels(const std::uint8_t (&translation)[256]) override;
    bool Optimize() override;
    void Changed() override;

    TGIFSubImage* SubImage() const { return subImage_; }

private:
    TGIFSubImage* subImage_;
};

// The quicksort of the colour table sort and the optimizer's list sorts: before (a, b) is true
// when a sorts before b.
template <class T, class Before>
void GIFQuickSort(std::vector<T>& items, int low, int high, Before before)
{
    if (low >= high)
        return;
    do {
        int i = low;
        int j = high;
        const T pivot = items[std::size_t((low + high) / 2)];
        do {
            while (before(items[std::size_t(i)], pivot))
                ++i;
            while (before(pivot, items[std::size_t(j)]))
                --j;
            if (i <= j) {
                std::swap(items[std::size_t(i)], items[std::size_t(j)]);
                ++i;
                --j;
            }
        } while (i <= j);
        if (low < j)
            GIFQuickSort(items, low, j, before);
        low = i;
    } while (low < high);
}
