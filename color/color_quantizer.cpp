#include "color/color_quantizer.h"

#include "color/fixed_palettes.h"
#include "color/reduction_error.h"

#include <algorithm>

TOctreeNode::~TOctreeNode()
{
    for (int i = 7; i >= 0; --i)
        Children[std::size_t(i)].reset();
}

TColorQuantizer::TColorQuantizer(int leafLimit, int leafDepth)
    : leafLimit_(std::max(leafLimit, 1)), leafDepth_(std::clamp(leafDepth, 1, 8))
{
}

TColorQuantizer::~TColorQuantizer()
{
    FreeTree();
}

void TColorQuantizer::FreeTree()
{
    root_.reset();
    leaves_ = 0;
    reducible_.fill(nullptr);
}

void TColorQuantizer::InsertColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue)
{
    std::unique_ptr<TOctreeNode>* link = &root_;
    for (int level = 0;; ++level) {
        if (!*link) {
            *link = std::make_unique<TOctreeNode>();
            TOctreeNode* created = link->get();
            if (level == leafDepth_) {
                created->Leaf = true;
                ++leaves_;
            } else {
                created->NextReducible = reducible_[std::size_t(level)];
                reducible_[std::size_t(level)] = created;
            }
        }
        TOctreeNode* node = link->get();
        if (node->Leaf) {
            node->PixelTotal += 1;
            node->SumRed += red;
            node->SumGreen += green;
            node->SumBlue += blue;
            return;
        }
        const int shift = 7 - level;
        const int index = (((red >> shift) & 1) << 2) | (((green >> shift) & 1) << 1) | ((blue >> shift) & 1);
        link = &node->Children[std::size_t(index)];
    }
}

bool TColorQuantizer::ReduceOnce()
{
    int level = leafDepth_ - 1;
    while (level > 0 && !reducible_[std::size_t(level)])
        --level;
    TOctreeNode* node = reducible_[std::size_t(level)];
    if (!node)
        return false;
    reducible_[std::size_t(level)] = node->NextReducible;
    node->NextReducible = nullptr;
    std::int64_t red = 0, green = 0, blue = 0;
    int children = 0;
    for (auto& child : node->Children) {
        if (!child)
            continue;
        red += child->SumRed;
        green += child->SumGreen;
        blue += child->SumBlue;
        node->PixelTotal += child->PixelTotal;
        child.reset();
        ++children;
    }
    node->Leaf = true;
    node->SumRed = red;
    node->SumGreen = green;
    node->SumBlue = blue;
    leaves_ -= children - 1;
    return true;
}

void TColorQuantizer::AddColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue)
{
    InsertColor(red, green, blue);
    while (leaves_ > leafLimit_ && ReduceOnce()) {
    }
}

void TColorQuantizer::AddImage(TDIB& reader)
{
    if (reader.layout() != pf24bit)
        throw EColorReductionError("Unsupported PixelFormat");
    const int width = reader.bitmap().width();
    const int height = reader.bitmap().height();
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* p = reader.RowPointer(y);
        for (int x = 0; x < width; ++x, p += 3)
            AddColor(p[2], p[1], p[0]);
    }
}

namespace {

void exportNode(const TOctreeNode* node, std::vector<PaletteEntry>& out)
{
    if (!node || out.size() >= 256)
        return;
    if (node->Leaf) {
        PaletteEntry e;
        if (node->PixelTotal > 0) {
            e.red = std::uint8_t(node->SumRed / node->PixelTotal);
            e.green = std::uint8_t(node->SumGreen / node->PixelTotal);
            e.blue = std::uint8_t(node->SumBlue / node->PixelTotal);
        }
        out.push_back(e);
        return;
    }
    for (const auto& child : node->Children)
        exportNode(child.get(), out);
}

} // namespace

std::vector<PaletteEntry> TColorQuantizer::ExportColors() const
{
    std::vector<PaletteEntry> colors;
    colors.reserve(256);
    exportNode(root_.get(), colors);
    return colors;
}

Palette MakeOptimizedPalette(TDIB& reader, int count, int leafDepth, bool withSystemColors)
{
    count = std::clamp(count, 1, 256);
    int limit = count;
    int firstFree = 0;
    Palette palette;
    if (withSystemColors) {
        const Palette system = MakeSystemPalette20();
        palette.resize(256);
        for (int i = 0; i < 10; ++i) {
            palette[i] = system[i];
            palette[246 + i] = system[10 + i];
        }
        limit = 236;
        firstFree = 10;
    } else {
        palette.resize(count);
    }

    std::vector<PaletteEntry> colors;
    {
        TColorQuantizer quantizer(limit, leafDepth);
        quantizer.AddImage(reader);
        colors = quantizer.ExportColors();
    }
    const PaletteEntry filler = colors.empty() ? PaletteEntry{} : colors.front();
    for (int i = 0; i < limit; ++i) {
        PaletteEntry e = i < int(colors.size()) ? colors[std::size_t(i)] : filler;
        e.flags = 0;
        palette[firstFree + i] = e;
    }
    return palette;
}

Palette MakeOptimizedPaletteOfBitmap(Bitmap& bitmap, int count, int leafDepth, bool withSystemColors)
{
    TDIBReader reader(bitmap, pf24bit);
    return MakeOptimizedPalette(reader, count, leafDepth, withSystemColors);
}
