// zoetra-cli frames FILE DIR: every image of a GIF file that has pixels, on its own, as a PNG.

#include "cli/command.h"
#include "gif/gif_graphic_control_extension.h"
#include "gif/gif_image.h"
#include "gif/gif_sub_image.h"
#include "platform/stream.h"

#include <QBuffer>
#include <QImage>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

// The frame as 8-bit RGBA: each pixel the colour of its index in the frame's active colour
// table (opaque black for an index the table does not hold), alpha 0 for the transparent index.
QImage frameImage(TGIFSubImage& frame)
{
    QImage out(frame.Width(), frame.Height(), QImage::Format_RGBA8888);
    TGIFColorMap& map = frame.ActiveColorMap();
    const std::uint8_t* table = map.Data();
    const int count = map.Count();
    const bool transparent = frame.Transparent && frame.GraphicControl;
    const int transparentIndex = transparent ? frame.GraphicControl->TransparentColorIndex() : -1;
    const std::uint8_t* pixels = frame.Data().data();
    for (int y = 0; y < frame.Height(); ++y) {
        std::uint8_t* row = out.scanLine(y);
        for (int x = 0; x < frame.Width(); ++x) {
            const int index = pixels[std::size_t(y) * std::size_t(frame.Width()) + std::size_t(x)];
            std::uint8_t* p = row + x * 4;
            if (index < count) {
                p[0] = table[index * 3];
                p[1] = table[index * 3 + 1];
                p[2] = table[index * 3 + 2];
            } else {
                p[0] = p[1] = p[2] = 0;
            }
            p[3] = index == transparentIndex ? 0 : 255;
        }
    }
    return out;
}

int runFrames(const std::vector<std::string>& args)
{
    if (args.size() != 2)
        return cliUsageError("frames: expected FILE and DIR");
    const std::filesystem::path file = args[0];
    const std::filesystem::path dir = args[1];

    const std::vector<std::uint8_t> bytes = readFileBytes(file);
    TGIFImage image;
    std::string error;
    MemoryStream stream(bytes);
    try {
        image.LoadFromStream(stream);
    } catch (const GIFException& e) {
        error = e.what(); // the images read before the error are still written
    }

    std::filesystem::create_directories(dir);
    for (int i = 0; i < image.Images().Count(); ++i) {
        TGIFSubImage& frame = image.Images().Items(i);
        if (frame.Empty())
            continue;
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        if (!frameImage(frame).save(&buffer, "PNG"))
            throw EWriteError("Cannot encode image " + std::to_string(i) + " as PNG");
        char name[32];
        std::snprintf(name, sizeof name, "%03d.png", i);
        writeFileAtomically(dir / name, png.constData(), std::size_t(png.size()));
    }
    if (!error.empty()) {
        std::fprintf(stderr, "error: %s\n", error.c_str());
        return 1;
    }
    return 0;
}

const CommandRegistration registration{CliCommand{
    "frames",
    "frames FILE DIR",
    "Writes every image of the GIF file FILE that has pixels, on its own (not composed with the\n"
    "images before it), as DIR/NNN.png: NNN is the image's index in the file counted from 0,\n"
    "8-bit RGBA, alpha 0 where a transparent image has its transparent index.",
    runFrames,
}};

} // namespace
