// zoetra-cli render [--background RRGGBB] FILE DIR: the frames of an animation as the preview
// plays them, each a PNG of the whole logical screen.

#include "cli/command.h"
#include "gif/gif_animation_render.h"
#include "gif/gif_image.h"
#include "platform/stream.h"

#include <QBuffer>
#include <QByteArray>
#include <QGuiApplication>
#include <QImage>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

bool parseColor(const std::string& text, TColor& color)
{
    if (text.size() != 6 || text.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        return false;
    const unsigned long v = std::strtoul(text.c_str(), nullptr, 16);
    color = rgbColor(std::uint8_t(v >> 16), std::uint8_t(v >> 8), std::uint8_t(v));
    return true;
}

// Painting goes through QPainter, which wants a GUI application; none needs a display.
std::unique_ptr<QGuiApplication> ensureGuiApplication()
{
    if (QCoreApplication::instance())
        return nullptr;
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "zoetra-cli";
    static char* argv[] = {name, nullptr};
    return std::make_unique<QGuiApplication>(argc, argv);
}

int runRender(const std::vector<std::string>& args)
{
    TColor background = clNone;
    std::vector<std::string> files;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--background") {
            if (i + 1 >= args.size() || !parseColor(args[i + 1], background))
                return cliUsageError("render: --background needs a colour RRGGBB");
            ++i;
        } else if (args[i] == "--") {
            files.insert(files.end(), args.begin() + std::ptrdiff_t(i) + 1, args.end());
            break;
        } else if (args[i].size() > 1 && args[i][0] == '-') {
            return cliUsageError("render: unknown option " + args[i]);
        } else {
            files.push_back(args[i]);
        }
    }
    if (files.size() != 2)
        return cliUsageError("render: expected FILE and DIR");
    const auto app = ensureGuiApplication();

    const std::vector<std::uint8_t> bytes = readFileBytes(files[0]);
    TGIFImage image;
    MemoryStream stream(bytes);
    image.LoadFromStream(stream);
    const TGIFAnimationRender render = RenderAnimation(image, background);

    const std::filesystem::path dir = files[1];
    std::filesystem::create_directories(dir);
    for (std::size_t n = 0; n < render.frames.size(); ++n) {
        const TGIFRenderedFrame& frame = render.frames[n];
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        if (!frame.screen.toQImage().save(&buffer, "PNG"))
            throw EWriteError("Cannot encode frame " + std::to_string(n) + " as PNG");
        char name[32];
        std::snprintf(name, sizeof name, "%03zu.png", n);
        writeFileAtomically(dir / name, png.constData(), std::size_t(png.size()));
        std::printf("%03zu: image %d, delay %d (%d ms)\n", n, frame.index, frame.delayUnits, frame.delayMilliseconds);
    }
    if (render.loops < 0)
        std::printf("loops: none\n");
    else if (render.loops == 0)
        std::printf("loops: 0 (without end), from image %d\n", render.loopStart);
    else
        std::printf("loops: %d, from image %d\n", render.loops, render.loopStart);
    return 0;
}

const CommandRegistration registration{CliCommand{
    "render",
    "render [--background RRGGBB] FILE DIR",
    "Plays the GIF file FILE once as the preview does (disposal, transparency, placement) onto a\n"
    "canvas of the logical screen's size filled with the background colour (by default the one\n"
    "the player chooses: the GIF's background colour, white without a global colour table), and\n"
    "writes the screen after each frame shown as DIR/NNN.png, NNN counted from 0. Prints one line\n"
    "per frame with the wait that follows it (hundredths of a second and milliseconds at speed\n"
    "100) and the loop count.",
    runRender,
}};

} // namespace
