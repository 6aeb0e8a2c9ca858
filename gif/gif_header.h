#pragma once
// TGIFHeader: the signature, the logical screen descriptor and the global colour table.

#include "gif/gif_color_map.h"
#include "gif/gif_item.h"

#include <cstdint>

class TGIFHeader : public TGIFItem {
public:
    explicit TGIFHeader(TGIFImage* image);
    ~TGIFHeader() override;

    // Copies the global table, screen size, packed byte, background index and aspect ratio.
    void Assign(const TGIFHeader& source);
    // Clears the header and copies the table into the global table.
    void Assign(const TGIFColorMap& source);

    TGIFFormatVersion RequiredVersion() const override;
    // Writes "GIF", the version the image requires, the logical screen descriptor and the
    // global colour table.
    void SaveToStream(Stream& stream) const override;
    void LoadFromStream(Stream& stream) override;

    // Empties the global table and zeroes the seven descriptor bytes.
    void Clear();
    // Recomputes the packed byte from the tables (done before every write).
    void UpdatePackedFields() const;

    TGIFGlobalColorMap& ColorMap() { return colorMap_; }
    const TGIFGlobalColorMap& ColorMap() const { return colorMap_; }

    std::uint16_t ScreenWidth = 0;
    std::uint16_t ScreenHeight = 0;
    // Bit 7 global table present; bits 6-4 colour resolution; bit 3 sorted; bits 2-0 size.
    mutable std::uint8_t PackedFields = 0;
    std::uint8_t BackgroundIndex = 0;
    std::uint8_t AspectRatio = 0;

private:
    TGIFGlobalColorMap colorMap_;
};
