// Making an animation smaller: one merged colour table, and the optimizer steps that sort
// tables, clean up extensions, make repeated pixels transparent and crop transparent borders.

#include "gif/gif_application_extension.h"
#include "gif/gif_color_map_optimizer.h"
#include "gif/gif_comment_extension.h"
#include "gif/gif_free_pixels.h"
#include "gif/gif_graphic_control_extension.h"
#include "gif/gif_image.h"
#include "gif/gif_messages.h"
#include "gif/gif_sub_image.h"
#include "gif/gif_text_extension.h"
#include "platform/palette.h"

#include <algorithm>
#include <mutex>

namespace {

int disposalOf(const TGIFSubImage& frame)
{
    return frame.GraphicControl ? frame.GraphicControl->Disposal() : 0;
}

bool intersects(const Rect& a, const Rect& b)
{
    return std::max(a.left, b.left) < std::min(a.right, b.right) && std::max(a.top, b.top) < std::min(a.bottom, b.bottom);
}

bool sameColor(TGIFColorMap& a, int i, TGIFColorMap& b, int j)
{
    if (&a == &b && i == j)
        return true;
    if (i >= a.Count() || j >= b.Count())
        return false;
    const std::uint8_t* ca = a.Data() + 3 * i;
    const std::uint8_t* cb = b.Data() + 3 * j;
    return ca[0] == cb[0] && ca[1] == cb[1] && ca[2] == cb[2];
}

bool usesIndex(const TGIFSubImage& frame, int index)
{
    return std::find(frame.Data().begin(), frame.Data().end(), std::uint8_t(index)) != frame.Data().end();
}

} // namespace

void TGIFImage::MergeColorMaps()
{
    StopPainters();
    std::lock_guard<std::recursive_mutex> lock(PaintersLock);
    TColorMapOptimizer optimizer(*this);
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
    if (!wasTransparent) {
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

    // Pixels that repeat the frame below, found before a colour is added to any table.
    const int x0 = std::max(mine.left, theirs.left), x1 = std::min(mine.right, theirs.right);
    const int y0 = std::max(mine.top, theirs.top), y1 = std::min(mine.bottom, theirs.bottom);
    std::vector<std::size_t> repeated;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const std::size_t at = std::size_t(y - top_) * width_ + std::size_t(x - left_);
            const int pf = data_[at];
            const int pb = below->data_[std::size_t(y - below->top_) * below->width_ + std::size_t(x - below->left_)];
            if (pf == t || pb == tb)
                continue;
            if (sameColor(mapF, pf, mapB, pb))
                repeated.push_back(at);
        }
    if (repeated.empty())
        return;
    if (t < 0) {
        if (colorMap_.Count() == 0 && image) {
            // Another frame's transparent index serves only when this frame shows no pixel in
            // that index: reusing a visible colour would erase those pixels too.
            TGIFImageList& frames = image->Images();
            for (int i = 0; i < frames.Count() && t < 0; ++i) {
                TGIFSubImage& other = frames.Items(i);
                if (&other == this || !other.Transparent || !other.GraphicControl || other.ColorMap().Count() > 0)
                    continue;
                const int candidate = other.GraphicControl->TransparentColorIndex();
                if (!usesIndex(*this, candidate))
                    t = candidate;
            }
            if (t < 0)
                t = image->GlobalColorMap().Add(clBlack);
        } else {
            t = colorMap_.Add(clBlack);
        }
    }
    for (std::size_t at : repeated)
        data_[at] = std::uint8_t(t);
    if (!wasTransparent) {
        if (!GraphicControl)
            extensions_.Add(std::make_unique<TGIFGraphicControlExtension>(this));
        GraphicControl->SetTransparent(true);
        GraphicControl->SetTransparentColorIndex(t);
    }
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
        for (int x = 0; x < width_; ++x)
            if (row[x] != t) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
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
        // The frame whose pixels are on the screen under frame i: the one before it, skipping
        // back over frames that restore the previous screen, but never past the first.
        auto belowIndex = [this](int i) {
            int j = i - 1;
            while (j > 0 && disposalOf(images_.Items(j)) == 3)
                --j;
            return j;
        };

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

        TFrameSnapshots unmerged;
        if (has(osMerge)) {
            for (int i = 1; i < images_.Count(); ++i) {
                const TGIFSubImage& frame = images_.Items(i);
                unmerged[&frame] = TFrameSnapshot{frame.BoundsRect(), frame.Data()};
            }
            for (int i = images_.Count() - 1; i >= 1; --i) {
                images_.Items(i).MergeWith(&images_.Items(belowIndex(i)));
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
            // Transparent pixels over a colour already on the screen may show either; take
            // whichever codes shorter. Done after cropping, which wants them transparent.
            PackFreePixels(*this, unmerged);
            unmerged.clear();
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
