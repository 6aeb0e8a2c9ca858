// zoetra-cli info [--json] FILE: the block structure of a GIF file as the GIF library reads it.

#include "cli/command.h"
#include "gif/gif_application_extension.h"
#include "gif/gif_comment_extension.h"
#include "gif/gif_graphic_control_extension.h"
#include "gif/gif_image.h"
#include "gif/gif_sub_image.h"
#include "gif/gif_text_extension.h"
#include "platform/stream.h"

#include <cctype>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// A quoted string: printable ASCII as it is (with " and \ escaped), every other byte written
// with escapeFormat (which takes the byte).
std::string escapedString(const std::string& s, const char* escapeFormat)
{
    std::string out = "\"";
    for (unsigned char c : s) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c >= 0x20 && c < 0x7F) {
            out += char(c);
        } else {
            char buf[8];
            std::snprintf(buf, sizeof buf, escapeFormat, c);
            out += buf;
        }
    }
    return out + "\"";
}

// JSON string literal; bytes outside printable ASCII are escaped as \u00XX (Latin-1).
std::string jsonString(const std::string& s) { return escapedString(s, "\\u%04x"); }

// Text for the plain listing: printable ASCII as it is, other bytes as \xNN.
std::string quoted(const std::string& s) { return escapedString(s, "\\x%02x"); }

std::string identifierOf(const TGIFApplicationExtension& e)
{
    return std::string(reinterpret_cast<const char*>(e.Identifier.data()), e.Identifier.size());
}

std::string lines(const std::vector<std::string>& text, bool json)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (i)
            out += ", ";
        out += json ? jsonString(text[i]) : quoted(text[i]);
    }
    return out;
}

// The version text of the file: the three bytes after the signature "GIF" (at offset 0, or 4
// when other data stands in front of it). Empty when there is no signature.
std::string versionOf(const std::vector<std::uint8_t>& bytes)
{
    for (std::size_t offset : {std::size_t(0), std::size_t(4)}) {
        if (bytes.size() < offset + 6)
            continue;
        if (std::toupper(bytes[offset]) == 'G' && std::toupper(bytes[offset + 1]) == 'I' &&
            std::toupper(bytes[offset + 2]) == 'F')
            return std::string(bytes.begin() + std::ptrdiff_t(offset + 3), bytes.begin() + std::ptrdiff_t(offset + 6));
    }
    return "";
}

std::string describeExtension(const TGIFExtension& e, bool json)
{
    char buf[256];
    if (const auto* gce = dynamic_cast<const TGIFGraphicControlExtension*>(&e)) {
        if (json)
            std::snprintf(buf, sizeof buf,
                          "{\"type\": \"graphic_control\", \"delay\": %d, \"disposal\": %d, \"user_input\": %s, "
                          "\"transparent\": %s, \"transparent_index\": %d}",
                          gce->Delay(), gce->Disposal(), gce->UserInput() ? "true" : "false",
                          gce->Transparent() ? "true" : "false", gce->TransparentColorIndex());
        else
            std::snprintf(buf, sizeof buf,
                          "graphic control: delay %d, disposal %d, user input %s, transparent %s, transparent index %d",
                          gce->Delay(), gce->Disposal(), gce->UserInput() ? "yes" : "no",
                          gce->Transparent() ? "yes" : "no", gce->TransparentColorIndex());
        return buf;
    }
    if (const auto* loop = dynamic_cast<const TGIFAppExtNSLoop*>(&e)) {
        if (json)
            return "{\"type\": \"loop\", \"identifier\": " + jsonString(identifierOf(*loop)) +
                   ", \"loops\": " + std::to_string(loop->Loops) + ", \"buffer_size\": " + std::to_string(loop->BufferSize) +
                   "}";
        return "loop: identifier " + quoted(identifierOf(*loop)) + ", loops " + std::to_string(loop->Loops) +
               (loop->BufferSize ? ", buffer size " + std::to_string(loop->BufferSize) : "");
    }
    if (const auto* app = dynamic_cast<const TGIFUnknownAppExtension*>(&e)) {
        std::string sizes;
        for (std::size_t i = 0; i < app->Blocks.size(); ++i)
            sizes += (i ? ", " : "") + std::to_string(app->Blocks[i].Size());
        if (json)
            return "{\"type\": \"application\", \"identifier\": " + jsonString(identifierOf(*app)) +
                   ", \"block_sizes\": [" + sizes + "]}";
        return "application: identifier " + quoted(identifierOf(*app)) + ", block sizes [" + sizes + "]";
    }
    if (const auto* comment = dynamic_cast<const TGIFCommentExtension*>(&e)) {
        if (json)
            return "{\"type\": \"comment\", \"lines\": [" + lines(comment->Text, true) + "]}";
        return "comment: [" + lines(comment->Text, false) + "]";
    }
    if (const auto* text = dynamic_cast<const TGIFTextExtension*>(&e)) {
        if (json)
            return "{\"type\": \"plain_text\", \"lines\": [" + lines(text->Text, true) + "]}";
        return "plain text: [" + lines(text->Text, false) + "]";
    }
    if (const auto* app = dynamic_cast<const TGIFApplicationExtension*>(&e)) {
        if (json)
            return "{\"type\": \"application\", \"identifier\": " + jsonString(identifierOf(*app)) + ", \"block_sizes\": []}";
        return "application: identifier " + quoted(identifierOf(*app));
    }
    std::snprintf(buf, sizeof buf, json ? "{\"type\": \"label_%02x\"}" : "extension 0x%02X", e.Label());
    return buf;
}

int runInfo(const std::vector<std::string>& args)
{
    bool json = false;
    std::string path;
    for (const auto& a : args) {
        if (a == "--json")
            json = true;
        else if (!a.empty() && a[0] == '-')
            return cliUsageError("info: unknown option '" + a + "'");
        else if (path.empty())
            path = a;
        else
            return cliUsageError("info: more than one file given");
    }
    if (path.empty())
        return cliUsageError("info: no file given");

    const std::vector<std::uint8_t> bytes = readFileBytes(path);
    TGIFImage image;
    std::vector<std::string> warnings;
    image.OnWarning = [&](const TGIFObject*, int, const std::string& m) { warnings.push_back(m); };
    std::string error;
    MemoryStream stream(bytes);
    try {
        image.LoadFromStream(stream);
    } catch (const GIFException& e) {
        error = e.what();
    }

    const TGIFHeader& h = image.Header();
    const TGIFImageList& frames = image.Images();
    if (json) {
        std::printf("{\n  \"version\": %s,\n  \"width\": %d,\n  \"height\": %d,\n  \"packed_fields\": %d,\n"
                    "  \"background_index\": %d,\n  \"aspect_ratio\": %d,\n  \"global_colors\": %d,\n  \"images\": [",
                    jsonString(versionOf(bytes)).c_str(), h.ScreenWidth, h.ScreenHeight, h.PackedFields,
                    h.BackgroundIndex, h.AspectRatio, h.ColorMap().Count());
        for (int i = 0; i < frames.Count(); ++i) {
            const TGIFSubImage& f = frames.Items(i);
            std::printf("%s\n    {\"left\": %d, \"top\": %d, \"width\": %d, \"height\": %d, \"interlaced\": %s, "
                        "\"local_colors\": %d, \"empty\": %s, \"extensions\": [",
                        i ? "," : "", f.Left(), f.Top(), f.Width(), f.Height(), f.Interlaced() ? "true" : "false",
                        f.ColorMap().Count(), f.Empty() ? "true" : "false");
            for (int e = 0; e < f.Extensions().Count(); ++e)
                std::printf("%s\n      %s", e ? "," : "", describeExtension(f.Extensions().Items(e), true).c_str());
            std::printf("%s]}", f.Extensions().Count() ? "\n    " : "");
        }
        std::printf("%s],\n  \"warnings\": [", frames.Count() ? "\n  " : "");
        for (std::size_t i = 0; i < warnings.size(); ++i)
            std::printf("%s%s", i ? ", " : "", jsonString(warnings[i]).c_str());
        std::printf("],\n  \"error\": %s\n}\n", error.empty() ? "null" : jsonString(error).c_str());
    } else {
        std::printf("version: %s\n", versionOf(bytes).c_str());
        std::printf("logical screen: width %d, height %d, packed fields 0x%02X, background index %d, aspect ratio %d\n",
                    h.ScreenWidth, h.ScreenHeight, h.PackedFields, h.BackgroundIndex, h.AspectRatio);
        std::printf("global colors: %d\n", h.ColorMap().Count());
        for (int i = 0; i < frames.Count(); ++i) {
            const TGIFSubImage& f = frames.Items(i);
            std::printf("image %d: left %d, top %d, width %d, height %d, interlaced %s, local colors %d, empty %s\n", i,
                        f.Left(), f.Top(), f.Width(), f.Height(), f.Interlaced() ? "yes" : "no", f.ColorMap().Count(),
                        f.Empty() ? "yes" : "no");
            for (int e = 0; e < f.Extensions().Count(); ++e)
                std::printf("  %s\n", describeExtension(f.Extensions().Items(e), false).c_str());
        }
        for (const auto& w : warnings)
            std::printf("warning: %s\n", w.c_str());
    }
    if (!error.empty()) {
        std::fflush(stdout);
        std::fprintf(stderr, "error: %s\n", error.c_str());
        return 1;
    }
    return 0;
}

const CommandRegistration registration{CliCommand{
    "info",
    "info [--json] FILE",
    "Prints the block structure of the GIF file FILE: version, logical screen, global colour table,\n"
    "every image with its extensions, and the warnings reported while reading. --json prints the\n"
    "same as one JSON object. A read error still prints what was read (exit status 1).",
    runInfo,
}};

} // namespace
