#pragma once
// TColorMapOptimizer: replaces the global and every local colour table of an image by one
// global table of at most 256 colours, most used first, and rewrites the pixels.

#include "gif/gif_histogram.h"

#include <cstdint>
#include <memory>
#include <vector>

class TGIFImage;

class TColorMapOptimizer {
public:
    // keepFreeEntry: the new table holds at most 255 colours even when no frame is transparent,
    // so that merging frames later finds room for a transparent colour.
    explicit TColorMapOptimizer(TGIFImage& image, bool keepFreeEntry = false);
    TColorMapOptimizer(const TColorMapOptimizer&) = delete;
    TColorMapOptimizer& operator=(const TColorMapOptimizer&) = delete;

    // The caller keeps the image's painters stopped while this runs.
    void Optimize();

private:
    void processImage();
    void mergeEqualColors();
    void chooseColors();
    void applyTable();

    TGIFImage* image_;
    std::vector<std::unique_ptr<THistogram>> histograms_;
    std::vector<THistogramEntry*> list_;
    std::uint8_t newMap_[256][3] = {};
    int colorCount_ = 0;
    bool transparencyUsed_ = false;
    bool keepFreeEntry_ = false;
    int transparentIndex_ = 0;
};
