#include "gif/gif_histogram.h"

#include "gif/gif_color_map.h"
#include "gif/gif_graphic_control_extension.h"
#include "gif/gif_messages.h"
#include "gif/gif_sub_image.h"

#include <limits>

THistogram::THistogram(TGIFColorMap& map) : map_(&map), count_(map.Count()), entries_(std::size_t(map.Count()))
{
    const std::uint8_t* colors = map.Data();
    list_.reserve(entries_.size());
    for (int i = 0; i < count_; ++i) {
        THistogramEntry& e = entries_[std::size_t(i)];
        e.OldIndex = i;
        e.Red = colors[3 * i];
        e.Green = colors[3 * i + 1];
        e.Blue = colors[3 * i + 2];
        list_.push_back(&e);
    }
}

bool THistogram::ProcessSubImage(TGIFSubImage& frame)
{
    images_.push_back(&frame);
    const bool transparent = frame.Transparent && frame.GraphicControl;
    const int t = transparent ? frame.GraphicControl->TransparentColorIndex() : -1;
    bool usesTransparency = false;
    bool warned = false;
    for (std::uint8_t& pixel : frame.Data()) {
        if (pixel == t) {
            usesTransparency = true;
            continue;
        }
        if (pixel >= count_) {
            pixel = 0;
            if (!warned) // one warning per frame is enough to tell
                frame.Warning(1, gifmsg::ColorNotInTable);
            warned = true;
            if (count_ == 0)
                continue;
        }
        THistogramEntry& e = entries_[pixel];
        if (e.Count == std::numeric_limits<std::uint32_t>::max())
            break;
        ++e.Count;
    }
    if (transparent && !usesTransparency) {
        frame.GraphicControl->SetTransparentColorIndex(0);
        frame.GraphicControl->SetTransparent(false);
    }
    return usesTransparency;
}

void THistogram::Prune()
{
    if (list_.empty())
        return;
    GIFQuickSort(list_, 0, int(list_.size()) - 1,
                 [](const THistogramEntry* a, const THistogramEntry* b) { return a->Count > b->Count; });
    std::size_t kept = 0;
    while (kept < list_.size() && list_[kept]->Count > 0)
        ++kept;
    list_.resize(kept);
}

void THistogram::MapImages(bool useTransparency, int newTransparent)
{
    std::uint8_t translation[256];
    for (int i = 0; i < 256; ++i)
        translation[i] = std::uint8_t(i);
    for (const THistogramEntry* e : list_)
        translation[e->OldIndex] = std::uint8_t(e->NewIndex);
    for (TGIFSubImage* frame : images_) {
        int t = -1;
        if (frame->Transparent && useTransparency && frame->GraphicControl) {
            t = frame->GraphicControl->TransparentColorIndex();
            frame->GraphicControl->SetTransparentColorIndex(newTransparent);
        }
        for (std::uint8_t& pixel : frame->Data())
            pixel = pixel == t ? std::uint8_t(newTransparent) : translation[pixel];
    }
}
