#pragma once
// THistogram: how often each colour of one colour table is used by the frames that use it.

#include <cstdint>
#include <vector>

class TGIFColorMap;
class TGIFSubImage;

struct THistogramEntry {
    std::uint32_t Count = 0;
    int OldIndex = 0;
    int NewIndex = 256;
    std::uint8_t Red = 0, Green = 0, Blue = 0;
    // The entry of the same colour this one was merged into; null if none.
    THistogramEntry* Mapped = nullptr;

    std::uint32_t Packed() const { return std::uint32_t(Red) + std::uint32_t(Green) * 256u + std::uint32_t(Blue) * 65536u; }
};

class THistogram {
public:
    explicit THistogram(TGIFColorMap& map);
    THistogram(const THistogram&) = delete;
    THistogram& operator=(const THistogram&) = delete;

    // Counts the frame's pixels (transparent ones apart); a pixel beyond the table becomes 0
    // with the warning "Color not in color table". A transparent frame without transparent
    // pixels loses its transparency. Returns whether the frame shows transparent pixels.
    bool ProcessSubImage(TGIFSubImage& frame);
    // Keeps the used entries, most used first.
    void Prune();
    // Rewrites the pixels of every frame counted: kept entries through their new index,
    // transparent pixels to newTransparent when useTransparency.
    void MapImages(bool useTransparency, int newTransparent);

    TGIFColorMap& Map() { return *map_; }
    std::vector<TGIFSubImage*>& Images() { return images_; }
    std::vector<THistogramEntry*>& List() { return list_; }

private:
    TGIFColorMap* map_;
    int count_;
    std::vector<TGIFSubImage*> images_;
    std::vector<THistogramEntry> entries_;
    std::vector<THistogramEntry*> list_;
};
