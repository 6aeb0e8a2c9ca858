#include "editor/assembly/frame_source.h"

#include "editor/assembly/gif_operations.h"
#include "gif/gif_image.h"
#include "platform/canvas.h"
#include "platform/image_file.h"
#include "platform/stream.h"

#include <cmath>
#include <string>

namespace {

// round(numerator / denominator * length), halves to even.
int roundedScale(int numerator, int denominator, int length)
{
    const double value = double(numerator) / double(denominator) * double(length);
    return int(std::nearbyint(value));
}

std::string upperExtension(const std::filesystem::path& path)
{
    std::string ext = path.extension().string();
    for (char& c : ext)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    return ext;
}

} // namespace

Rect FitRect(const Rect& rect, int w, int h)
{
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (w <= 0 || h <= 0)
        return rect;
    if (h < w) {
        const int d = (height - roundedScale(h, w, width)) / 2;
        return Rect{rect.left, rect.top + d, rect.right, rect.bottom - d};
    }
    const int d = (width - roundedScale(w, h, height)) / 2;
    return Rect{rect.left + d, rect.top, rect.right - d, rect.bottom};
}

std::optional<Bitmap> loadFrameImage(const std::filesystem::path& path)
{
    const std::string ext = upperExtension(path);
    if (ext == ".GIF") {
        TGIFImage gif;
        FileStream stream(path, FileStream::Mode::Read);
        gif.LoadFromStream(stream);
        return firstImageAtScreenSize(gif);
    }
    if (ext == ".JPG" || ext == ".JPEG" || ext == ".ICO" || ext == ".BMP")
        return loadImageFile(path);
    return std::nullopt;
}

void fitToFrame(Bitmap& picture, int frameWidth, int frameHeight)
{
    if (picture.width() == frameWidth && picture.height() == frameHeight)
        return;
    Bitmap fitted(frameWidth, frameHeight, pf24bit);
    fitted.fill(clWhite);
    const Rect target = FitRect(Rect{0, 0, frameWidth, frameHeight}, picture.width(), picture.height());
    if (picture.width() > 0 && picture.height() > 0 && target.right > target.left && target.bottom > target.top) {
        Bitmap source = picture;
        source.setTransparent(false);
        fitted.canvas().copyRect(target, source, Rect{0, 0, source.width(), source.height()});
    }
    fitted.setTransparent(picture.transparent());
    picture = std::move(fitted);
}
