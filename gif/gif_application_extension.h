#pragma once
// Application extensions (label 0xFF): the abstract base with its 11-byte identifier, the
// looping extension "NETSCAPE2.0" (also read as "ANIMEXTS1.0") and the extension kept byte for
// byte when no class knows its identifier.

#include "gif/gif_extension.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class TGIFApplicationExtension : public TGIFExtension {
public:
    static const TGIFExtensionClass ClassInfo;

    explicit TGIFApplicationExtension(TGIFSubImage* frame);

    std::uint8_t Label() const override { return 0xFF; }
    const TGIFExtensionClass& Class() const override { return ClassInfo; }
    void SaveToStream(Stream& stream) const override;
    void LoadFromStream(Stream& stream) override;
    // The data sub-blocks after the identifier. A plain application extension cannot read
    // them: its LoadData fails with "Unsupported Application Extension block size".
    virtual void SaveData(Stream& stream) const;
    virtual void LoadData(Stream& stream);

    // 8 bytes application identifier and 3 bytes authentication code.
    std::array<std::uint8_t, 11> Identifier{};
    std::string ApplicationIdentifier() const;
    std::string AuthenticationCode() const;
    void SetIdentifier(const std::string& text);

    static const TGIFExtensionClass* Resolve(const TGIFExtensionClass* self, Stream& stream);
};

// One data sub-block kept as it was read.
struct TGIFBlock {
    std::vector<std::uint8_t> Data; // 1..255 bytes
    int Size() const { return int(Data.size()); }
};

class TGIFUnknownAppExtension : public TGIFApplicationExtension {
public:
    static const TGIFExtensionClass ClassInfo;

    explicit TGIFUnknownAppExtension(TGIFSubImage* frame) : TGIFApplicationExtension(frame) {}

    const TGIFExtensionClass& Class() const override { return ClassInfo; }
    void SaveData(Stream& stream) const override;
    void LoadData(Stream& stream) override;

    std::vector<TGIFBlock> Blocks;
};

class TGIFAppExtNSLoop : public TGIFApplicationExtension {
public:
    static const TGIFExtensionClass ClassInfo;

    // Identifier "NETSCAPE2.0", loop count 0 (loop without end), buffer size 0.
    explicit TGIFAppExtNSLoop(TGIFSubImage* frame);

    const TGIFExtensionClass& Class() const override { return ClassInfo; }
    void SaveData(Stream& stream) const override;
    void LoadData(Stream& stream) override;

    std::uint16_t Loops = 0;
    std::uint32_t BufferSize = 0;
};
