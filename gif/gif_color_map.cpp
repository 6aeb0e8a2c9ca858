#include "gif/gif_color_map.h"

#include "gif/gif_graphic_control_extension.h"
#include "gif/gif_header.h"
#include "gif/gif_image.h"
#include "gif/gif_messages.h"
#include "gif/gif_stream_io.h"
#include "gif/gif_sub_image.h"
#include "platform/bitmap.h"
#include "platform/palette.h"
#include "platform/stream.h"

#include <algorithm>
#include <cstring>

void TGIFColorMap::Clear()
{
    entries_.clear();
    entries_.shrink_to_fit();
    count_ = 0;
    capacity_ = 0;
    sorted_ = false;
}

void TGIFColorMap::GrowTo(int n)
{
    if (n < capacity_)
        return;
    if (n <= 16)
        capacity_ = 16;
    else
        capacity_ = (n + 31) / 32 * 32;
    capacity_ = std::min(capacity_, MaxColors);
    entries_.resize(std::size_t(capacity_) * 3);
}

TColor TGIFColorMap::Colors(int index)
{
    if (index < 0 || index >= count_) {
        Warning(1, gifmsg::InvalidColorIndex);
        if (count_ == 0)
            throw GIFException(gifmsg::ColorTableEmpty);
        index = 0;
    }
    const std::uint8_t* e = &entries_[std::size_t(index) * 3];
    return rgbColor(e[0], e[1], e[2]);
}

void TGIFColorMap::SetColors(int index, TColor color)
{
    if (index < 0 || index >= count_)
        throw GIFException(gifmsg::InvalidColorIndex);
    std::uint8_t* e = &entries_[std::size_t(index) * 3];
    e[0] = redOf(color);
    e[1] = greenOf(color);
    e[2] = blueOf(color);
    Changed();
}

int TGIFColorMap::IndexOf(TColor color) const
{
    const std::uint8_t r = redOf(color), g = greenOf(color), b = blueOf(color);
    auto matches = [&](int i) {
        const std::uint8_t* e = &entries_[std::size_t(i) * 3];
        return e[0] == r && e[1] == g && e[2] == b;
    };
    if (sorted_) {
        for (int i = 0; i < count_; ++i)
            if (matches(i))
                return i;
    } else {
        for (int i = count_ - 1; i >= 0; --i)
            if (matches(i))
                return i;
    }
    return -1;
}

int TGIFColorMap::Add(TColor color)
{
    if (count_ >= MaxColors)
        throw GIFException(gifmsg::ColorTableOverflow);
    GrowTo(count_ + 1);
    std::uint8_t* e = &entries_[std::size_t(count_) * 3];
    e[0] = redOf(color);
    e[1] = greenOf(color);
    e[2] = blueOf(color);
    ++count_;
    sorted_ = false;
    Changed();
    return count_ - 1;
}

int TGIFColorMap::AddUnique(TColor color)
{
    const int index = IndexOf(color);
    return index >= 0 ? index : Add(color);
}

void TGIFColorMap::Delete(int index)
{
    if (index < 0 || index >= count_)
        throw GIFException(gifmsg::InvalidColorIndex);
    auto first = entries_.begin() + std::ptrdiff_t(index) * 3;
    std::copy(first + 3, entries_.begin() + std::ptrdiff_t(count_) * 3, first);
    --count_;
    sorted_ = false;
    Changed();
}

int TGIFColorMap::BitsPerPixel() const
{
    if (count_ == 0)
        return 0;
    int n = 1;
    while ((1 << n) < count_)
        ++n;
    return n;
}

void TGIFColorMap::ImportPalette(const Palette& palette)
{
    Clear();
    const int n = std::min(palette.count(), MaxColors);
    if (n == 0)
        return;
    GrowTo(n);
    for (int i = 0; i < n; ++i) {
        entries_[std::size_t(i) * 3] = palette[i].red;
        entries_[std::size_t(i) * 3 + 1] = palette[i].green;
        entries_[std::size_t(i) * 3 + 2] = palette[i].blue;
    }
    count_ = n;
    Changed();
}

void TGIFColorMap::ImportRGB(const std::uint8_t* triples, int n)
{
    Clear();
    n = std::min(n, MaxColors);
    if (n <= 0)
        return;
    GrowTo(n);
    std::memcpy(entries_.data(), triples, std::size_t(n) * 3);
    count_ = n;
    Changed();
}

void TGIFColorMap::ImportQuads(const std::uint8_t* quads, int n)
{
    Clear();
    n = std::min(n, MaxColors);
    if (n <= 0)
        return;
    GrowTo(n);
    for (int i = 0; i < n; ++i) {
        entries_[std::size_t(i) * 3] = quads[i * 4 + 2];
        entries_[std::size_t(i) * 3 + 1] = quads[i * 4 + 1];
        entries_[std::size_t(i) * 3 + 2] = quads[i * 4];
    }
    count_ = n;
    Changed();
}

void TGIFColorMap::ImportDIBColors(const Bitmap& bitmap)
{
    Clear();
    const Palette& palette = bitmap.palette();
    const int n = std::min(palette.count(), MaxColors);
    std::vector<std::uint8_t> quads(std::size_t(MaxColors) * 4);
    for (int i = 0; i < n; ++i) {
        quads[std::size_t(i) * 4] = palette[i].blue;
        quads[std::size_t(i) * 4 + 1] = palette[i].green;
        quads[std::size_t(i) * 4 + 2] = palette[i].red;
    }
    ImportQuads(quads.data(), n);
    Changed();
}

std::unique_ptr<Palette> TGIFColorMap::ExportPalette() const
{
    if (count_ == 0)
        return nullptr;
    auto palette = std::make_unique<Palette>();
    palette->resize(count_);
    for (int i = 0; i < count_; ++i)
        (*palette)[i] = PaletteEntry{entries_[std::size_t(i) * 3], entries_[std::size_t(i) * 3 + 1],
                                     entries_[std::size_t(i) * 3 + 2], 4};
    return palette;
}

void TGIFColorMap::SaveToStream(Stream& stream) const
{
    if (count_ == 0)
        return;
    std::vector<std::uint8_t> bytes(std::size_t(3) << BitsPerPixel(), 0);
    std::memcpy(bytes.data(), entries_.data(), std::size_t(count_) * 3);
    stream.writeBuffer(bytes.data(), std::int64_t(bytes.size()));
}

void TGIFColorMap::LoadFromStream(Stream& stream, int count)
{
    Clear();
    count = std::clamp(count, 0, MaxColors);
    GrowTo(count);
    gifio::readExact(stream, entries_.data(), std::int64_t(count) * 3);
    count_ = count;
}

void TGIFColorMap::Assign(const TGIFColorMap& source)
{
    if (&source == this)
        return;
    entries_ = source.entries_;
    count_ = source.count_;
    capacity_ = source.capacity_;
    sorted_ = source.sorted_;
    Changed();
}

void TGIFColorMap::Destroyed()
{
    // The owner (header or frame) is being destroyed itself, so nobody is left to be told of
    // the change.
    Clear();
}

bool TGIFColorMap::SortByUse()
{
    if (count_ <= 1)
        return false;
    sorted_ = true;
    std::vector<TUsageCount> usage;
    CountUsage(usage);
    GIFQuickSort(usage, 0, int(usage.size()) - 1,
                 [](const TUsageCount& a, const TUsageCount& b) { return a.Count > b.Count; });
    bool moved = false;
    for (std::size_t i = 0; i < usage.size(); ++i)
        if (usage[i].Index != int(i))
            moved = true;
    if (moved) {
        std::uint8_t translation[256];
        for (int i = 0; i < 256; ++i)
            translation[i] = std::uint8_t(i);
        for (std::size_t i = 0; i < usage.size(); ++i)
            translation[usage[i].Index] = std::uint8_t(i);
        RemapPixels(translation);
        std::vector<std::uint8_t> old = entries_;
        int used = count_;
        for (std::size_t i = 0; i < usage.size(); ++i) {
            std::memcpy(&entries_[i * 3], &old[std::size_t(usage[i].Index) * 3], 3);
            if (usage[i].Count == 0 && used == count_)
                used = int(i);
        }
        count_ = used;
    }
    Changed();
    return true;
}

namespace {

// Counts the pixels of one frame into the table.
void countFramePixels(const TGIFSubImage& frame, std::vector<TUsageCount>& table)
{
    std::int64_t counts[256] = {};
    for (std::uint8_t p : frame.Data())
        ++counts[p];
    for (std::size_t i = 0; i < table.size(); ++i)
        table[i].Count += counts[i];
}

void remapFramePixels(TGIFSubImage& frame, const std::uint8_t (&translation)[256])
{
    for (std::uint8_t& p : frame.Data())
        p = translation[p];
}

void initUsage(std::vector<TUsageCount>& table, int count)
{
    table.assign(std::size_t(count), TUsageCount{});
    for (int i = 0; i < count; ++i)
        table[std::size_t(i)].Index = i;
}

} // namespace

// Global table -----------------------------------------------------------------------------

TGIFGlobalColorMap::~TGIFGlobalColorMap()
{
    Destroyed();
}

void TGIFGlobalColorMap::Warning(int severity, const std::string& message) const
{
    if (header_ && header_->Image())
        header_->Image()->Warning(this, severity, message);
}

void TGIFGlobalColorMap::CountUsage(std::vector<TUsageCount>& table)
{
    initUsage(table, Count());
    if (!header_ || !header_->Image())
        return;
    TGIFImageList& frames = header_->Image()->Images();
    for (int i = 0; i < frames.Count(); ++i)
        if (&frames.Items(i).ActiveColorMap() == this)
            countFramePixels(frames.Items(i), table);
}

void TGIFGlobalColorMap::RemapPixels(const std::uint8_t (&translation)[256])
{
    if (!header_ || !header_->Image())
        return;
    TGIFImageList& frames = header_->Image()->Images();
    for (int i = 0; i < frames.Count(); ++i) {
        TGIFSubImage& frame = frames.Items(i);
        if (&frame.ActiveColorMap() != this)
            continue;
        remapFramePixels(frame, translation);
        if (frame.Transparent && frame.GraphicControl)
            frame.GraphicControl->SetTransparentColorIndex(translation[frame.GraphicControl->TransparentColorIndex()]);
    }
}

bool TGIFGlobalColorMap::Optimize()
{
    if (!header_ || !header_->Image() || header_->Image()->Images().Count() == 0)
        return false;
    return SortByUse();
}

void TGIFGlobalColorMap::Changed()
{
    if (header_ && header_->Image())
        header_->Image()->SetPalette(nullptr);
}

// Local table ------------------------------------------------------------------------------

TGIFLocalColorMap::~TGIFLocalColorMap()
{
    Destroyed();
}

void TGIFLocalColorMap::Warning(int severity, const std::string& message) const
{
    if (subImage_ && subImage_->Image())
        subImage_->Image()->Warning(this, severity, message);
}

void TGIFLocalColorMap::CountUsage(std::vector<TUsageCount>& table)
{
    initUsage(table, Count());
    if (subImage_)
        countFramePixels(*subImage_, table);
}

void TGIFLocalColorMap::RemapPixels(const std::uint8_t (&translation)[256])
{
    if (!subImage_)
        return;
    remapFramePixels(*subImage_, translation);
    if (subImage_->Transparent && subImage_->GraphicControl)
        subImage_->GraphicControl->SetTransparentColorIndex(
            translation[subImage_->GraphicControl->TransparentColorIndex()]);
}

bool TGIFLocalColorMap::Optimize()
{
    return SortByUse();
}

void TGIFLocalColorMap::Changed()
{
    if (subImage_)
        subImage_->ResetPalette();
}
