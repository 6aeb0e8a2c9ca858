// Making an animation smaller: one merged colour table, and the optimizer steps that sort
// tables, clean up extensions, make repeated pixels transparent and crop transparent borders.

#include "gif/gif_application_extension.h"
#include "gif/gif_color_map_optimizer.h"
#include "gif/gif_comment_extension.h"
#include "gif/gif_encoder.h"
#include "gif/gif_graphic_control_extension.h"
#include "gif/gif_image.h"
#include "gif/gif_messages.h"
#include "gif/gif_sub_image.h"
#include "gif/gif_text_extension.h"
#include "platform/palette.h"
#include "platform/stream.h"

#include <algorithm>
#include <mutex>
#include <unordered_map>

namespace {

int disposalOf(const TGIFSubImage& frame)
{
    return frame.GraphicControl ? frame.GraphicControl->Disposal() : 0;
}

bool intersects(const Rect& a, const Rect& b)
{
    return std::max(a.left, b.left) < std::min(a.right, b.right) && std::max(a.top, b.top) < std::min(a.bottom, b.bottom);
}

// The packed colour of each index of the table, -1 for indexes past its end.
void colorKeys(TGIFColorMap& map, std::int32_t (&keys)[256])
{
    for (int i = 0; i < 256; ++i) {
        if (i < map.Count()) {
            const std::uint8_t* c = map.Data() + 3 * i;
            keys[i] = std::int32_t(c[0]) | (std::int32_t(c[1]) << 8) | (std::int32_t(c[2]) << 16);
        } else {
            keys[i] = -1;
        }
    }
}

bool usesIndex(const TGIFSubImage& frame, int index)
{
    return std::find(frame.Data().begin(), frame.Data().end(), std::uint8_t(index)) != frame.Data().end();
}

} // namespace

void TGIFImage::MergeColorMaps(bool keepFreeEntry)
{
    StopPainters();
    std::lock_guard<std::recursive_mutex> lock(PaintersLock);
    TColorMapOptimizer optimizer(*this, keepFreeEntry);
    optimizer.Optimize();
    FreeBitmap();
    SetPalette(nullptr);
}

void TGIFSubImage::MergeWith(TGIFSubImage* below)
{
    if (Empty() || !below || below->Empty())
        return;
    const int belowDisposal = disposalOf(*below);
    if (belowDisposal == 2 || belowDisposal == 3)
        return;
    const Rect mine = BoundsRect();
    const Rect theirs = below->BoundsRect();
    if (!intersects(mine, theirs))
        return;
    TGIFImage* image = Image();
    const bool wasTransparent = Transparent && GraphicControl;
    int t = wasTransparent ? GraphicControl->TransparentColorIndex() : -1;
    // Another frame's transparent index serves only when this frame shows no pixel in that
    // index: reusing a visible colour would erase those pixels too. Reusing one needs no room
    // in the table, so a table filled by the first frame that needed a transparent colour
    // still lets every later frame merge.
    int reusable = -1;
    if (!wasTransparent && colorMap_.Count() == 0 && image) {
        bool used[256] = {};
        for (std::uint8_t p : data_)
            used[p] = true;
        TGIFImageList& frames = image->Images();
        for (int i = 0; i < frames.Count() && reusable < 0; ++i) {
            TGIFSubImage& other = frames.Items(i);
            if (&other == this || !other.Transparent || !other.GraphicControl || other.ColorMap().Count() > 0)
                continue;
            const int candidate = other.GraphicControl->TransparentColorIndex();
            if (!used[candidate & 0xFF])
                reusable = candidate;
        }
    }
    if (!wasTransparent && reusable < 0) {
        const int local = colorMap_.Count();
        const int global = image ? image->GlobalColorMap().Count() : 0;
        const int room = local > 0 ? local : global;
        if (room < 1 || room > 255)
            return;
    }
    const bool belowTransparent = below->Transparent && below->GraphicControl;
    const int tb = belowTransparent ? below->GraphicControl->TransparentColorIndex() : -1;
    TGIFColorMap& mapF = ActiveColorMap();
    TGIFColorMap& mapB = below->ActiveColorMap();

    // Pixels that repeat the frame below: the same index of the same table, or the same
    // colour. The colours are taken before a colour is added to any table.
    std::int32_t keyF[256], keyB[256];
    colorKeys(mapF, keyF);
    colorKeys(mapB, keyB);
    const bool sameTable = &mapF == &mapB;
    const int own = t; // the frame's own transparent index (or -1): those pixels stay
    const int x0 = std::max(mine.left, theirs.left), x1 = std::min(mine.right, theirs.right);
    const int y0 = std::max(mine.top, theirs.top), y1 = std::min(mine.bottom, theirs.bottom);
    const auto forEachRepeated = [&](auto&& f) {
        for (int y = y0; y < y1; ++y) {
            std::uint8_t* rowF = data_.data() + std::size_t(y - top_) * width_ + std::size_t(x0 - left_);
            const std::uint8_t* rowB =
                below->data_.data() + std::size_t(y - below->top_) * below->width_ + std::size_t(x0 - below->left_);
            for (int i = 0; i < x1 - x0; ++i) {
                const int pf = rowF[i];
                const int pb = rowB[i];
                if (pf == own || pb == tb)
                    continue;
                if ((sameTable && pf == pb) || (keyF[pf] >= 0 && keyF[pf] == keyB[pb])) {
                    if (!f(rowF[i]))
                        return;
                }
            }
        }
    };
    bool any = false;
    forEachRepeated([&](std::uint8_t&) {
        any = true;
        return false;
    });
    if (!any)
        return;
    if (t < 0) {
        if (reusable >= 0)
            t = reusable;
        else if (colorMap_.Count() == 0 && image)
            t = image->GlobalColorMap().Add(clBlack);
        else
            t = colorMap_.Add(clBlack);
    }
    forEachRepeated([&](std::uint8_t& pixel) {
        pixel = std::uint8_t(t);
        return true;
    });
    if (!wasTransparent) {
        if (!GraphicControl)
            extensions_.Add(std::make_unique<TGIFGraphicControlExtension>(this));
        GraphicControl->SetTransparent(true);
        GraphicControl->SetTransparentColorIndex(t);
    }
    FreeBitmap();
    FreeMask();
}

void TGIFSubImage::keepShorterCoding(const std::vector<std::uint8_t>& before, const Rect& beforeBounds)
{
    const Rect now = BoundsRect();
    if (now.left < beforeBounds.left || now.top < beforeBounds.top || now.right > beforeBounds.right ||
        now.bottom > beforeBounds.bottom)
        return;
    const int beforeWidth = beforeBounds.right - beforeBounds.left;
    std::vector<std::uint8_t> earlier(data_.size());
    for (int y = 0; y < height_; ++y)
        std::copy_n(before.data() + std::size_t(y + now.top - beforeBounds.top) * beforeWidth +
                        std::size_t(now.left - beforeBounds.left),
                    width_, earlier.data() + std::size_t(y) * width_);
    if (earlier == data_)
        return;
    // The two are compared on a sample of the rows (bands of 8 out of every 32) when the frame
    // is large: the choice only decides the size, never what the frame shows.
    const bool sample = std::int64_t(width_) * height_ > 262144;
    std::vector<std::uint8_t> rows;
    const auto codedSize = [&](const std::vector<std::uint8_t>& pixels) {
        const std::uint8_t* p = pixels.data();
        int h = height_;
        if (sample) {
            rows.clear();
            for (int y = 0; y < height_; ++y)
                if ((y / 8) % 4 == 0)
                    rows.insert(rows.end(), pixels.begin() + std::ptrdiff_t(y) * width_,
                                pixels.begin() + std::ptrdiff_t(y + 1) * width_);
            p = rows.data();
            h = int(rows.size() / std::size_t(width_));
        }
        // The code size the writer would choose for these pixels; any index fits it, so a
        // stray index past the table cannot stop the optimizer here.
        const int bits = std::max(2, BitsForPixels(pixels.data(), pixels.size()));
        MemoryStream stream;
        CreateEncoder(enLZW)->Compress(stream, bits, 1 << bits, p, false, h, width_);
        return stream.size();
    };
    if (codedSize(earlier) >= codedSize(data_))
        return;
    data_ = std::move(earlier);
    FreeBitmap();
    FreeMask();
}

void TGIFSubImage::Crop()
{
    if (Empty() || !Transparent || !GraphicControl)
        return;
    const std::uint8_t t = GraphicControl->TransparentColorIndex();
    int left = width_, right = -1, top = height_, bottom = -1;
    for (int y = 0; y < height_; ++y) {
        const std::uint8_t* row = data_.data() + std::size_t(y) * width_;
        int first = 0;
        while (first < width_ && row[first] == t)
            ++first;
        if (first == width_)
            continue;
        int last = width_ - 1;
        while (row[last] == t)
            --last;
        left = std::min(left, first);
        right = std::max(right, last);
        top = std::min(top, y);
        bottom = y;
    }
    if (right < 0) {
        Clear();
        return;
    }
    const int w = right - left + 1;
    const int h = bottom - top + 1;
    if (w == width_ && h == height_)
        return;
    std::vector<std::uint8_t> cropped(std::size_t(w) * h);
    for (int y = 0; y < h; ++y)
        std::copy_n(data_.data() + std::size_t(y + top) * width_ + left, w, cropped.data() + std::size_t(y) * w);
    left_ = std::uint16_t(left_ + left);
    top_ = std::uint16_t(top_ + top);
    width_ = std::uint16_t(w);
    height_ = std::uint16_t(h);
    data_ = std::move(cropped);
    FreeBitmap();
    FreeMask();
}

void TGIFImage::Optimize(TGIFOptimizeSteps steps, TReductionMethod reduction, TDitherMethod dither, int bits)
{
    (void)dither;
    (void)bits;
    if (GetEmpty())
        return;
    StopPainters();
    std::lock_guard<std::recursive_mutex> lock(PaintersLock);
    auto has = [steps](TGIFOptimizeStep s) { return (steps & (1u << s)) != 0; };
    Progress(ProgressStage::Starting, 0, false, gifmsg::Optimizing);
    try {
        int counter = 0;
        auto total = [this] { return std::int64_t(6) * std::max(1, images_.Count()); };
        auto step = [&](bool changed) {
            ++counter;
            if (changed)
                Progress(ProgressStage::Running, int(std::int64_t(counter) * 100 / total()), false, gifmsg::Optimizing);
        };
        auto skip = [&] { counter += images_.Count(); };

        if (has(osSortColorMaps)) {
            if (header_->ColorMap().Count() > 0 && images_.Count() > 0)
                header_->ColorMap().Optimize();
            for (int i = 0; i < images_.Count(); ++i) {
                TGIFSubImage& frame = images_.Items(i);
                step(frame.ColorMap().Count() > 0 && frame.ColorMap().Optimize());
            }
        } else {
            skip();
        }

        if (has(osCleanup)) {
            for (int i = 0; i < images_.Count(); ++i) {
                TGIFSubImage& frame = images_.Items(i);
                if (frame.Transparent && frame.GraphicControl &&
                    !usesIndex(frame, frame.GraphicControl->TransparentColorIndex())) {
                    frame.GraphicControl->SetTransparent(false);
                    frame.FreeBitmap();
                    frame.FreeMask();
                }
            }
            for (int i = 0; i + 1 < images_.Count(); ++i) {
                TGIFSubImage& frame = images_.Items(i);
                TGIFSubImage& next = images_.Items(i + 1);
                const int d = disposalOf(frame);
                bool changed = false;
                if ((d == 2 || d == 3) && !next.Transparent) {
                    const Rect a = frame.BoundsRect(), b = next.BoundsRect();
                    if (intersects(a, b) && std::max(a.left, b.left) == b.left && std::max(a.top, b.top) == b.top &&
                        std::min(a.right, b.right) == b.right && std::min(a.bottom, b.bottom) == b.bottom) {
                        frame.GraphicControl->SetDisposal(0);
                        changed = true;
                    }
                }
                step(changed);
            }
            ++counter;
        } else {
            skip();
        }

        // Each frame's place and pixels before merging, to fall back on where merging codes
        // longer.
        struct Unmerged {
            Rect bounds;
            std::vector<std::uint8_t> data;
        };
        std::unordered_map<const TGIFSubImage*, Unmerged> unmerged;
        if (has(osMerge)) {
            for (int i = 1; i < images_.Count(); ++i) {
                const TGIFSubImage& frame = images_.Items(i);
                unmerged[&frame] = Unmerged{frame.BoundsRect(), frame.Data()};
            }
            for (int i = images_.Count() - 1; i >= 1; --i) {
                int j = i - 1;
                while (j > 0 && disposalOf(images_.Items(j)) == 3)
                    --j;
                images_.Items(i).MergeWith(&images_.Items(j));
                step(true);
            }
            ++counter;
        } else {
            skip();
        }

        if (has(osCrop)) {
            for (int i = images_.Count() - 1; i >= 0; --i) {
                TGIFSubImage& frame = images_.Items(i);
                if (frame.Empty() || !frame.Transparent) {
                    step(false);
                    continue;
                }
                const std::uint16_t delay = frame.GraphicControl ? frame.GraphicControl->Delay() : 0;
                frame.Crop();
                if (frame.Empty()) {
                    if (i > 0) {
                        TGIFSubImage& previous = images_.Items(i - 1);
                        if (previous.Transparent && previous.GraphicControl)
                            previous.GraphicControl->SetDelay(std::uint16_t(previous.GraphicControl->Delay() + delay));
                    }
                    images_.Delete(i);
                }
                step(true);
            }
        } else {
            skip();
        }

        if (has(osMerge)) {
            // Transparent pixels scattered among visible ones can code longer than the pixels
            // they replaced: such a frame gets its own pixels back, inside its (cropped)
            // rectangle. Every pixel it gives back shows what its transparent pixel showed.
            for (int i = 1; i < images_.Count(); ++i) {
                TGIFSubImage& frame = images_.Items(i);
                const auto found = unmerged.find(&frame);
                if (found != unmerged.end() && !frame.Empty())
                    frame.keepShorterCoding(found->second.data, found->second.bounds);
            }
        }

        if (has(osCleanup)) {
            const bool single = images_.Count() == 1;
            for (int i = images_.Count() - 1; i >= 0; --i) {
                TGIFSubImage& frame = images_.Items(i);
                TGIFExtensionList& list = frame.Extensions();
                for (int k = list.Count() - 1; k >= 0; --k) {
                    TGIFExtension& e = list.Items(k);
                    const bool loop = dynamic_cast<TGIFAppExtNSLoop*>(&e) != nullptr;
                    if (dynamic_cast<TGIFCommentExtension*>(&e) || dynamic_cast<TGIFTextExtension*>(&e) ||
                        dynamic_cast<TGIFUnknownAppExtension*>(&e) || (loop && (i != 0 || single)))
                        list.Delete(k);
                }
                if (TGIFGraphicControlExtension* gce = frame.GraphicControl) {
                    if ((gce->Delay() == 0 || single) && !gce->Transparent() && !gce->UserInput() &&
                        (gce->Disposal() < 2 || single))
                        list.Delete(list.IndexOf(gce));
                }
                if (frame.Empty() && list.Count() == 0)
                    images_.Delete(i);
                step(true);
            }
        } else {
            skip();
            if (has(osReduceColors) && reduction == rdPalette)
                throw GIFException(gifmsg::InvalidReductionMethod);
        }
    } catch (...) {
        Progress(ProgressStage::Ending, 0, false, gifmsg::Optimizing);
        throw;
    }
    Progress(ProgressStage::Ending, 100, false, gifmsg::Optimizing);
    FreeBitmap();
    changed();
}
