#pragma once
// TGIFImageList: the frames of an image.

#include "gif/gif_item.h"

#include <memory>

class TGIFSubImage;

class TGIFImageList : public TGIFList {
public:
    explicit TGIFImageList(TGIFImage* image) : TGIFList(image) {}

    TGIFSubImage& Items(int index) const;
    int Add(std::unique_ptr<TGIFSubImage> frame);
    // Writes every frame, reporting progress "Saving..." after each.
    void SaveToStream(Stream& stream) const override;
    // Reads frames up to the trailer; the trailer byte is left to be read again.
    void LoadFromStream(Stream& stream, TGIFImage* parent);
};
