#pragma once
// The comment extension (label 0xFE): lines of text.

#include "gif/gif_extension.h"

#include <string>
#include <vector>

class TGIFCommentExtension : public TGIFExtension {
public:
    static const TGIFExtensionClass ClassInfo;

    explicit TGIFCommentExtension(TGIFSubImage* frame) : TGIFExtension(frame) {}

    std::uint8_t Label() const override { return 0xFE; }
    const TGIFExtensionClass& Class() const override { return ClassInfo; }
    void SaveToStream(Stream& stream) const override;
    void LoadFromStream(Stream& stream) override;

    std::vector<std::string> Text;
};
