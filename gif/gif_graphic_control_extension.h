#pragma once
// The graphic control extension (label 0xF9): delay, disposal, user input and transparency of
// the frame it precedes.

#include "gif/gif_extension.h"

#include <cstdint>

class TGIFGraphicControlExtension : public TGIFExtension {
public:
    static const TGIFExtensionClass ClassInfo;

    // Block size 4, everything else 0; becomes the frame's GraphicControl if it has none.
    explicit TGIFGraphicControlExtension(TGIFSubImage* frame);
    ~TGIFGraphicControlExtension() override;

    std::uint8_t Label() const override { return 0xF9; }
    const TGIFExtensionClass& Class() const override { return ClassInfo; }
    void SaveToStream(Stream& stream) const override;
    void LoadFromStream(Stream& stream) override;

    bool Transparent() const { return (packed_ & 0x01) != 0; }
    // Also sets the frame's Transparent.
    void SetTransparent(bool value);
    std::uint8_t TransparentColorIndex() const { return transparentIndex_; }
    // An index not below the Count of a non-empty active colour table of the frame reports
    // "Invalid color index" and stores 0.
    void SetTransparentColorIndex(int index);
    std::uint16_t Delay() const { return delay_; }
    void SetDelay(std::uint16_t value) { delay_ = value; }
    bool UserInput() const { return (packed_ & 0x02) != 0; }
    void SetUserInput(bool value) { packed_ = std::uint8_t(value ? packed_ | 0x02 : packed_ & ~0x02); }
    // 0 unspecified, 1 leave in place, 2 restore to background, 3 restore to previous; 4..7 kept.
    int Disposal() const { return (packed_ >> 2) & 7; }
    void SetDisposal(int value) { packed_ = std::uint8_t((packed_ & ~0x1C) | ((value & 7) << 2)); }

    std::uint8_t BlockSize() const { return blockSize_; }
    std::uint8_t PackedFields() const { return packed_; }
    void SetPackedFields(std::uint8_t value);
    std::uint8_t Terminator() const { return terminator_; }

private:
    std::uint8_t blockSize_ = 4;
    std::uint8_t packed_ = 0;
    std::uint16_t delay_ = 0;
    std::uint8_t transparentIndex_ = 0;
    std::uint8_t terminator_ = 0;
};
