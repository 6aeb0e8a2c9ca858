#include "gif/gif_color_map_optimizer.h"

#include "gif/gif_color_map.h"
#include "gif/gif_image.h"
#include "gif/gif_sub_image.h"

#include <cstdlib>

TColorMapOptimizer::TColorMapOptimizer(TGIFImage& image, bool keepFreeEntry) : image_(&image), keepFreeEntry_(keepFreeEntry)
{
}

void TColorMapOptimizer::processImage()
{
    TGIFImageList& frames = image_->Images();
    TGIFGlobalColorMap& global = image_->GlobalColorMap();
    if (global.Count() > 0) {
        auto histogram = std::make_unique<THistogram>(global);
        for (int i = 0; i < frames.Count(); ++i) {
            TGIFSubImage& frame = frames.Items(i);
            if (!frame.Empty() && frame.ColorMap().Count() == 0)
                transparencyUsed_ |= histogram->ProcessSubImage(frame);
        }
        if (!histogram->Images().empty())
            histograms_.push_back(std::move(histogram));
    }
    for (int i = 0; i < frames.Count(); ++i) {
        TGIFSubImage& frame = frames.Items(i);
        if (frame.Empty() || frame.ColorMap().Count() == 0)
            continue;
        auto histogram = std::make_unique<THistogram>(frame.ColorMap());
        transparencyUsed_ |= histogram->ProcessSubImage(frame);
        histograms_.push_back(std::move(histogram));
    }
    for (auto& histogram : histograms_) {
        histogram->Prune();
        list_.insert(list_.end(), histogram->List().begin(), histogram->List().end());
    }
}

void TColorMapOptimizer::mergeEqualColors()
{
    if (list_.empty())
        return;
    GIFQuickSort(list_, 0, int(list_.size()) - 1,
                 [](const THistogramEntry* a, const THistogramEntry* b) { return a->Packed() > b->Packed(); });
    THistogramEntry* first = list_[0];
    for (std::size_t i = 1; i < list_.size(); ++i) {
        THistogramEntry* e = list_[i];
        if (e->Packed() == first->Packed()) {
            first->Count += e->Count;
            e->Count = 0;
            e->Mapped = first;
        } else {
            first = e;
        }
    }
}

void TColorMapOptimizer::chooseColors()
{
    if (list_.empty())
        return;
    GIFQuickSort(list_, 0, int(list_.size()) - 1,
                 [](const THistogramEntry* a, const THistogramEntry* b) { return a->Count > b->Count; });
    const int limit = transparencyUsed_ || keepFreeEntry_ ? 255 : 256;
    int count = 0;
    while (count < int(list_.size()) && list_[std::size_t(count)]->Count > 0)
        ++count;
    if (count > limit)
        count = limit;
    colorCount_ = count;
    for (int i = 0; i < count; ++i) {
        THistogramEntry* e = list_[std::size_t(i)];
        e->NewIndex = i;
        newMap_[i][0] = e->Red;
        newMap_[i][1] = e->Green;
        newMap_[i][2] = e->Blue;
    }
    // Colours that did not fit go to the kept colour of the nearest brightness sum.
    for (std::size_t i = std::size_t(count); i < list_.size(); ++i) {
        THistogramEntry* e = list_[i];
        if (e->Count == 0)
            continue;
        const int sum = e->Red + e->Green + e->Blue;
        int best = 765 + 1;
        for (int k = 0; k < count; ++k) {
            const THistogramEntry* c = list_[std::size_t(k)];
            const int d = std::abs(c->Red + c->Green + c->Blue - sum);
            if (d < best) {
                best = d;
                e->NewIndex = c->NewIndex;
            }
        }
    }
    // Duplicates take the index their colour ended up with.
    for (std::size_t i = std::size_t(count); i < list_.size(); ++i) {
        THistogramEntry* e = list_[i];
        if (e->Count == 0 && e->Mapped)
            e->NewIndex = e->Mapped->NewIndex;
    }
}

void TColorMapOptimizer::applyTable()
{
    if (transparencyUsed_) {
        transparentIndex_ = colorCount_;
        newMap_[colorCount_][0] = newMap_[colorCount_][1] = newMap_[colorCount_][2] = 0;
        ++colorCount_;
    }
    TGIFImageList& frames = image_->Images();
    for (int i = 0; i < frames.Count(); ++i)
        frames.Items(i).ColorMap().Clear();
    TGIFGlobalColorMap& global = image_->GlobalColorMap();
    global.Clear();
    global.ImportRGB(&newMap_[0][0], colorCount_);
    global.SetSorted(true);
    for (auto& histogram : histograms_)
        histogram->MapImages(transparencyUsed_, transparentIndex_);
    for (int i = 0; i < frames.Count(); ++i) {
        TGIFSubImage& frame = frames.Items(i);
        frame.FreeBitmap();
        frame.FreeMask();
        frame.ResetPalette();
    }
}

void TColorMapOptimizer::Optimize()
{
    processImage();
    mergeEqualColors();
    chooseColors();
    applyTable();
}
