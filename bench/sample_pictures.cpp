#include "bench/sample_pictures.h"

#include <QImage>
#include <QString>

#include <cstring>
#include <stdexcept>

Bitmap loadPhoto(const std::filesystem::path& path, int width, int height)
{
    QImage image(QString::fromStdString(path.string()));
    if (image.isNull())
        throw std::runtime_error("cannot read the picture " + path.string());
    if (width > 0 && height > 0)
        image = image.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    image = image.convertToFormat(QImage::Format_RGB888);
    Bitmap bitmap(image.width(), image.height(), pf24bit);
    for (int y = 0; y < image.height(); ++y) {
        const std::uint8_t* in = image.constScanLine(y);
        std::uint8_t* out = bitmap.scanLine(y);
        for (int x = 0; x < image.width(); ++x) {
            out[3 * x] = in[3 * x + 2];
            out[3 * x + 1] = in[3 * x + 1];
            out[3 * x + 2] = in[3 * x];
        }
    }
    return bitmap;
}

std::vector<std::uint8_t> rgbPixels(const Bitmap& bitmap)
{
    const int w = bitmap.width();
    const int h = bitmap.height();
    std::vector<std::uint8_t> rgb(std::size_t(w) * std::size_t(h) * 3);
    std::uint8_t* out = rgb.data();
    if (bitmap.pixelFormat() == pf24bit) {
        for (int y = 0; y < h; ++y) {
            const std::uint8_t* in = bitmap.scanLine(y);
            for (int x = 0; x < w; ++x, out += 3) {
                out[0] = in[3 * x + 2];
                out[1] = in[3 * x + 1];
                out[2] = in[3 * x];
            }
        }
    } else if (bitmap.pixelFormat() == pf8bit) {
        const Palette& palette = bitmap.palette();
        for (int y = 0; y < h; ++y) {
            const std::uint8_t* in = bitmap.scanLine(y);
            for (int x = 0; x < w; ++x, out += 3) {
                const int i = in[x];
                if (i < palette.count()) {
                    out[0] = palette[i].red;
                    out[1] = palette[i].green;
                    out[2] = palette[i].blue;
                } else {
                    out[0] = out[1] = out[2] = 0;
                }
            }
        }
    } else {
        throw std::runtime_error("rgbPixels: only 8- and 24-bit bitmaps");
    }
    return rgb;
}
