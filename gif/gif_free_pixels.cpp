#include "gif/gif_free_pixels.h"

#include "gif/gif_graphic_control_extension.h"
#include "gif/gif_image.h"
#include "gif/gif_image_list.h"
#include "gif/gif_sub_image.h"
#include "gif/lzw_hash_table.h"
#include "platform/stream.h"

#include <algorithm>
#include <memory>

namespace {

// A screen pixel no frame has painted, or one a frame's disposal made unknown.
constexpr int Unknown = -1;

// Rows in the order the encoder sends them.
std::vector<int> rowOrder(int height, bool interlaced)
{
    std::vector<int> rows;
    rows.reserve(std::size_t(height));
    if (!interlaced) {
        for (int row = 0; row < height; ++row)
            rows.push_back(row);
        return rows;
    }
    static constexpr int start[4] = {0, 4, 2, 1};
    static constexpr int step[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
        for (int row = start[pass]; row < height; row += step[pass])
            rows.push_back(row);
    return rows;
}

// The screen of global-table indexes the frames have drawn so far.
class IndexScreen {
public:
    IndexScreen(int width, int height) : width_(width), height_(height), pixels_(std::size_t(width) * height, Unknown) {}

    int at(int x, int y) const
    {
        if (x < 0 || y < 0 || x >= width_ || y >= height_)
            return Unknown;
        return pixels_[std::size_t(y) * width_ + std::size_t(x)];
    }

    // Draws the frame's visible pixels, or, for a frame with its own table, forgets its area.
    void draw(const TGIFSubImage& frame, int transparent, bool ownTable)
    {
        const Rect r = frame.BoundsRect();
        for (int y = std::max(r.top, 0); y < std::min(r.bottom, height_); ++y)
            for (int x = std::max(r.left, 0); x < std::min(r.right, width_); ++x) {
                const int p = frame.Data()[std::size_t(y - r.top) * frame.Width() + std::size_t(x - r.left)];
                int& s = pixels_[std::size_t(y) * width_ + std::size_t(x)];
                if (ownTable)
                    s = Unknown;
                else if (p != transparent)
                    s = p;
            }
    }

    void forget(const Rect& r)
    {
        for (int y = std::max(r.top, 0); y < std::min(r.bottom, height_); ++y)
            for (int x = std::max(r.left, 0); x < std::min(r.right, width_); ++x)
                pixels_[std::size_t(y) * width_ + std::size_t(x)] = Unknown;
    }

private:
    int width_;
    int height_;
    std::vector<int> pixels_;
};

struct FreePixels {
    int width = 0;
    int height = 0;
    bool interlaced = false;
    int transparent = 0;
    int clearCode = 0;
    // Per pixel of the frame: the screen's colour under it, or Unknown.
    std::vector<int> screen;

    // Whether pixel value p at position at shows what value q shows.
    bool same(std::size_t at, int p, int q) const
    {
        if (p == q)
            return true;
        const int s = screen[at];
        return s != Unknown && (p == transparent || p == s) && (q == transparent || q == s);
    }
};

// Walks the pixels as the LZW encoder does, growing its dictionary the same way. A free pixel
// keeps its value when that continues the current string, else takes the other choice when
// that does, or when it repeats the pixel before it (runs stay runs).
void chooseGreedily(std::vector<std::uint8_t>& data, const FreePixels& free)
{
    auto table = std::make_unique<THashTable>();
    int next = free.clearCode + 2;
    int prefix = -1;
    int previous = -1;
    for (int row : rowOrder(free.height, free.interlaced)) {
        for (int x = 0; x < free.width; ++x) {
            const std::size_t at = std::size_t(row) * free.width + std::size_t(x);
            int pixel = data[at];
            const int s = free.screen[at];
            if (s != Unknown && (pixel == free.transparent || pixel == s)) {
                const int other = pixel == s ? free.transparent : s;
                const auto extends = [&](int p) {
                    return prefix >= 0 && table->Lookup((std::uint32_t(prefix) << 8) | std::uint32_t(p)) >= 0;
                };
                if (!extends(pixel) && (extends(other) || other == previous))
                    pixel = other;
                data[at] = std::uint8_t(pixel);
            }
            previous = pixel;
            if (prefix < 0) {
                prefix = pixel;
                continue;
            }
            const std::uint32_t key = (std::uint32_t(prefix) << 8) | std::uint32_t(pixel);
            const int code = table->Lookup(key);
            if (code >= 0) {
                prefix = code;
                continue;
            }
            if (next < 4095) {
                table->Insert(key, next++);
            } else {
                table->Clear();
                next = free.clearCode + 2;
            }
            prefix = pixel;
        }
    }
}

// The snapshot's pixels inside the frame's present rectangle, if every one of them shows what
// the present pixel shows.
bool snapshotChoice(const TFrameSnapshot& before, const Rect& bounds, const std::vector<std::uint8_t>& data,
                    const FreePixels& free, std::vector<std::uint8_t>& out)
{
    const Rect& b = before.bounds;
    if (bounds.left < b.left || bounds.top < b.top || bounds.right > b.right || bounds.bottom > b.bottom)
        return false;
    const int beforeWidth = b.right - b.left;
    out.resize(data.size());
    for (int y = 0; y < free.height; ++y)
        for (int x = 0; x < free.width; ++x) {
            const std::size_t at = std::size_t(y) * free.width + std::size_t(x);
            const int p =
                before.data[std::size_t(y + bounds.top - b.top) * beforeWidth + std::size_t(x + bounds.left - b.left)];
            if (!free.same(at, p, data[at]))
                return false;
            out[at] = std::uint8_t(p);
        }
    return true;
}

std::int64_t codedSize(const TGIFSubImage& frame)
{
    MemoryStream stream;
    frame.SaveToStream(stream);
    return stream.size();
}

// Gives the frame the smallest-coding of its equivalent choices; returns whether it changed.
bool packFrame(TGIFSubImage& frame, FreePixels& free, const TFrameSnapshot* before)
{
    std::vector<std::uint8_t>& data = frame.Data();
    const std::vector<std::uint8_t> present = data;
    std::vector<std::vector<std::uint8_t>> choices;
    std::vector<std::uint8_t> earlier;
    if (before && snapshotChoice(*before, frame.BoundsRect(), present, free, earlier) && earlier != present) {
        choices.push_back(earlier);
        chooseGreedily(earlier, free);
        choices.push_back(std::move(earlier));
    }
    std::vector<std::uint8_t> improved = present;
    chooseGreedily(improved, free);
    choices.push_back(std::move(improved));

    // A tie keeps the present pixels, then the earlier choice.
    const std::vector<std::uint8_t>* best = &present;
    std::int64_t bestSize = codedSize(frame);
    for (const auto& choice : choices) {
        if (choice == *best)
            continue;
        data = choice;
        const std::int64_t size = codedSize(frame);
        if (size < bestSize) {
            best = &choice;
            bestSize = size;
        }
    }
    data = *best;
    return best != &present;
}

} // namespace

int PackFreePixels(TGIFImage& image, const TFrameSnapshots& earlier)
{
    TGIFImageList& frames = image.Images();
    IndexScreen screen(image.GetWidth(), image.GetHeight());
    const int clearCode = 1 << std::max(2, image.BitsPerPixel());
    int changed = 0;
    for (int i = 0; i < frames.Count(); ++i) {
        TGIFSubImage& frame = frames.Items(i);
        if (frame.Empty())
            continue;
        const bool transparent = frame.Transparent && frame.GraphicControl;
        const int t = transparent ? frame.GraphicControl->TransparentColorIndex() : Unknown;
        const bool ownTable = frame.ColorMap().Count() > 0;
        const int disposal = frame.GraphicControl ? frame.GraphicControl->Disposal() : 0;
        const IndexScreen saved = disposal == 3 ? screen : IndexScreen(0, 0);

        if (transparent && !ownTable) {
            FreePixels free;
            free.width = frame.Width();
            free.height = frame.Height();
            free.interlaced = frame.Interlaced();
            free.transparent = t;
            free.clearCode = clearCode;
            free.screen.resize(frame.Data().size());
            bool any = false;
            const Rect r = frame.BoundsRect();
            for (int y = 0; y < free.height; ++y)
                for (int x = 0; x < free.width; ++x) {
                    const std::size_t at = std::size_t(y) * free.width + std::size_t(x);
                    int s = screen.at(r.left + x, r.top + y);
                    if (s == t)
                        s = Unknown; // that colour cannot be shown by this frame
                    free.screen[at] = s;
                    any = any || (s != Unknown && (frame.Data()[at] == t || frame.Data()[at] == s));
                }
            const auto found = earlier.find(&frame);
            if (any && packFrame(frame, free, found == earlier.end() ? nullptr : &found->second)) {
                frame.FreeBitmap();
                frame.FreeMask();
                ++changed;
            }
        }

        screen.draw(frame, t, ownTable);
        if (disposal == 2)
            screen.forget(frame.BoundsRect());
        else if (disposal == 3)
            screen = saved;
    }
    return changed;
}
