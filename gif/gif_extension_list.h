#pragma once
// TGIFExtensionList: the extension blocks in front of one frame, in file order.

#include "gif/gif_item.h"

#include <memory>

class TGIFExtension;
class TGIFSubImage;

class TGIFExtensionList : public TGIFList {
public:
    TGIFExtensionList(TGIFImage* image, TGIFSubImage* subImage) : TGIFList(image), subImage_(subImage) {}

    TGIFExtension& Items(int index) const;
    int Add(std::unique_ptr<TGIFExtension> extension);
    // Reads the extensions in front of a frame; the byte that ends them is left to be read again.
    void LoadFromStream(Stream& stream, TGIFSubImage* parent);

    TGIFSubImage* SubImage() const { return subImage_; }

private:
    TGIFSubImage* subImage_;
};
