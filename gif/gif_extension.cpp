#include "gif/gif_extension.h"

#include "gif/gif_application_extension.h"
#include "gif/gif_comment_extension.h"
#include "gif/gif_graphic_control_extension.h"
#include "gif/gif_messages.h"
#include "gif/gif_stream_io.h"
#include "gif/gif_sub_image.h"
#include "gif/gif_text_extension.h"
#include "platform/stream.h"

#include <cstring>
#include <utility>
#include <vector>

TGIFExtension::TGIFExtension(TGIFSubImage* frame) : TGIFItem(frame ? frame->Image() : nullptr), subImage_(frame) {}

TGIFExtension::~TGIFExtension() = default;

const TGIFExtensionClass* TGIFExtension::DefaultResolve(const TGIFExtensionClass* self, Stream&)
{
    return self;
}

void TGIFExtension::LoadFromStream(Stream& stream)
{
    std::uint8_t bytes[2];
    gifio::readExact(stream, bytes, 2);
    if (bytes[0] != 0x21)
        throw GIFException(gifmsg::InvalidExtensionIntroducer);
    if (bytes[1] != Label())
        throw GIFException(gifmsg::ExtensionLabelMismatch);
}

void TGIFExtension::SaveToStream(Stream& stream) const
{
    const std::uint8_t bytes[2] = {0x21, Label()};
    stream.writeBuffer(bytes, 2);
}

// Registries -------------------------------------------------------------------------------

namespace {

std::vector<std::pair<std::uint8_t, const TGIFExtensionClass*>>& extensionRegistry()
{
    static std::vector<std::pair<std::uint8_t, const TGIFExtensionClass*>> registry = {
        {0x01, &TGIFTextExtension::ClassInfo},
        {0xF9, &TGIFGraphicControlExtension::ClassInfo},
        {0xFE, &TGIFCommentExtension::ClassInfo},
        {0xFF, &TGIFApplicationExtension::ClassInfo},
    };
    return registry;
}

std::vector<std::pair<std::string, const TGIFExtensionClass*>>& appExtensionRegistry()
{
    static std::vector<std::pair<std::string, const TGIFExtensionClass*>> registry = {
        {"NETSCAPE2.0", &TGIFAppExtNSLoop::ClassInfo},
        {"ANIMEXTS1.0", &TGIFAppExtNSLoop::ClassInfo},
    };
    return registry;
}

} // namespace

void RegisterExtension(std::uint8_t label, const TGIFExtensionClass* cls)
{
    extensionRegistry().emplace_back(label, cls);
}

const TGIFExtensionClass* FindExtension(std::uint8_t label)
{
    const auto& registry = extensionRegistry();
    for (auto it = registry.rbegin(); it != registry.rend(); ++it)
        if (it->first == label)
            return it->second;
    return nullptr;
}

void RegisterAppExtension(const std::string& identifier, const TGIFExtensionClass* cls)
{
    appExtensionRegistry().emplace_back(identifier.substr(0, 11), cls);
}

const TGIFExtensionClass* FindAppExtension(const std::uint8_t* identifier)
{
    const auto& registry = appExtensionRegistry();
    for (auto it = registry.rbegin(); it != registry.rend(); ++it)
        if (it->first.size() == 11 && std::memcmp(it->first.data(), identifier, 11) == 0)
            return it->second;
    return nullptr;
}

// Extension list ---------------------------------------------------------------------------

TGIFExtension& TGIFExtensionList::Items(int index) const
{
    return static_cast<TGIFExtension&>(TGIFList::Items(index));
}

int TGIFExtensionList::Add(std::unique_ptr<TGIFExtension> extension)
{
    return TGIFList::Add(std::move(extension));
}

void TGIFExtensionList::LoadFromStream(Stream& stream, TGIFSubImage* parent)
{
    int b = stream.readByte();
    if (b < 0)
        return;
    while (b != 0x2C && b != 0x3B) {
        if (b != 0x21) {
            Warning(1, gifmsg::InvalidExtensionIntroducer);
            break;
        }
        const std::int64_t position = stream.position();
        const int label = stream.readByte();
        const TGIFExtensionClass* cls = label >= 0 ? FindExtension(std::uint8_t(label)) : nullptr;
        while (cls) {
            const TGIFExtensionClass* resolved = cls->ResolveClass(cls, stream);
            if (resolved == cls)
                break;
            cls = resolved;
        }
        stream.setPosition(position);
        if (!cls)
            throw GIFException(gifmsg::UnknownExtension);
        gifio::stepBack(stream);
        std::unique_ptr<TGIFExtension> extension = cls->Create(parent);
        extension->LoadFromStream(stream);
        Add(std::move(extension));
        b = stream.readByte();
        if (b < 0)
            return;
    }
    gifio::stepBack(stream);
}
