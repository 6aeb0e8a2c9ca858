#pragma once
// TGIFTrailer: the one-byte end of a GIF file; exists only while reading or writing.

#include "gif/gif_item.h"

class TGIFTrailer : public TGIFItem {
public:
    explicit TGIFTrailer(TGIFImage* image) : TGIFItem(image) {}
    // Writes 0x3B.
    void SaveToStream(Stream& stream) const override;
    // Reads one byte; anything but 0x3B reports "Invalid Image trailer".
    void LoadFromStream(Stream& stream) override;
};
