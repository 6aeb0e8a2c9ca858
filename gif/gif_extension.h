#pragma once
// TGIFExtension: base of the extension blocks, and the two registries that map a label (and,
// for application extensions, an 11-byte identifier) to the class that reads the block.

#include "gif/gif_item.h"

#include <cstdint>
#include <memory>
#include <string>

class TGIFSubImage;
class TGIFExtension;

// A class of extension, as the registries hold it: how to make an instance and how to find
// the class that should really read the block at the stream position.
struct TGIFExtensionClass {
    const char* Name;
    std::unique_ptr<TGIFExtension> (*Create)(TGIFSubImage* frame);
    // Returns the class that should read the block (this class to stop looking), or null.
    const TGIFExtensionClass* (*ResolveClass)(const TGIFExtensionClass* self, Stream& stream);
};

class TGIFExtension : public TGIFItem {
public:
    explicit TGIFExtension(TGIFSubImage* frame);
    // The frame keeps no reference to a destroyed extension (see the graphic control extension).
    ~TGIFExtension() override;

    virtual std::uint8_t Label() const = 0;
    virtual const TGIFExtensionClass& Class() const = 0;
    TGIFFormatVersion RequiredVersion() const override { return fv89a; }
    // Reads "!" and the label, checking both.
    void LoadFromStream(Stream& stream) override;
    // Writes "!" and the label.
    void SaveToStream(Stream& stream) const override;

    TGIFSubImage* SubImage() const { return subImage_; }

    // The default class resolution: the class asked.
    static const TGIFExtensionClass* DefaultResolve(const TGIFExtensionClass* self, Stream& stream);

private:
    TGIFSubImage* subImage_;
};

// Registries, searched from the last entry to the first.
void RegisterExtension(std::uint8_t label, const TGIFExtensionClass* cls);
const TGIFExtensionClass* FindExtension(std::uint8_t label);
void RegisterAppExtension(const std::string& identifier, const TGIFExtensionClass* cls);
// identifier: the 11 bytes of application identifier and authentication code.
const TGIFExtensionClass* FindAppExtension(const std::uint8_t* identifier);
