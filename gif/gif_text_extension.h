#pragma once
// The plain text extension (label 0x01): a text grid and its lines.

#include "gif/gif_extension.h"

#include <cstdint>
#include <string>
#include <vector>

class TGIFTextExtension : public TGIFExtension {
public:
    static const TGIFExtensionClass ClassInfo;

    explicit TGIFTextExtension(TGIFSubImage* frame) : TGIFExtension(frame) {}

    std::uint8_t Label() const override { return 0x01; }
    const TGIFExtensionClass& Class() const override { return ClassInfo; }
    void SaveToStream(Stream& stream) const override;
    void LoadFromStream(Stream& stream) override;

    std::vector<std::string> Text;

    std::uint8_t BlockSize = 12;
    std::uint16_t Left = 0;
    std::uint16_t Top = 0;
    std::uint16_t GridWidth = 0;
    std::uint16_t GridHeight = 0;
    std::uint8_t CharWidth = 0;
    std::uint8_t CharHeight = 0;
    std::uint8_t ForegroundColorIndex = 0;
    std::uint8_t BackgroundColorIndex = 0;
};
