#pragma once
// Octree colour quantizer: an optimized palette for one image.
//
// Every pixel is inserted into an octree whose leaves sit at LeafDepth (8 for every caller in
// this program: one leaf per distinct 24-bit colour until pruning begins). Right after each
// pixel, while the tree holds more than LeafLimit leaves, the most recently created inner node
// of the deepest level that still has one is folded into a leaf carrying the pixel counts and
// colour sums of its children. The averaged leaf colours, in depth-first order with children
// 0..7, make the palette. One fold removes up to seven leaves, so the palette may hold fewer
// colours than the limit even when the image has more.
//
// Child index at level L: bit (7 - L) of red x 4 + of green x 2 + of blue, so at the root blue
// contributes 1, green 2 and red 4.
//
// Pixel counts and colour sums are 64-bit, so images of any size the bitmap allows (up to 2^28
// pixels of 255) sum without overflow.

#include "color/dib.h"
#include "platform/palette.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

struct TOctreeNode {
    bool Leaf = false;
    std::int64_t PixelTotal = 0;
    std::int64_t SumRed = 0;
    std::int64_t SumGreen = 0;
    std::int64_t SumBlue = 0;
    TOctreeNode* NextReducible = nullptr; // next inner node of the same level (not owned)
    std::array<std::unique_ptr<TOctreeNode>, 8> Children;

    TOctreeNode() = default;
    TOctreeNode(const TOctreeNode&) = delete;
    TOctreeNode& operator=(const TOctreeNode&) = delete;
    // Destroys the children from index 7 down to 0.
    ~TOctreeNode();
};

class TColorQuantizer {
public:
    // LeafLimit below 1 is taken as 1; LeafDepth is kept within 1..8.
    TColorQuantizer(int leafLimit, int leafDepth);
    ~TColorQuantizer();
    TColorQuantizer(const TColorQuantizer&) = delete;
    TColorQuantizer& operator=(const TColorQuantizer&) = delete;

    // Inserts every pixel of a 24-bit reader's bitmap, top row first, each row left to right,
    // pruning after every pixel. "Unsupported PixelFormat" for a reader of another layout.
    void AddImage(TDIB& reader);
    // Inserts one colour and prunes back to LeafLimit leaves.
    void AddColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue);
    // The leaf colours in tree order (each component = sum div pixel count; black for a leaf
    // without pixels), at most 256 of them.
    std::vector<PaletteEntry> ExportColors() const;

    int Leaves() const { return leaves_; }
    int LeafLimit() const { return leafLimit_; }
    int LeafDepth() const { return leafDepth_; }
    const TOctreeNode* Root() const { return root_.get(); }
    // Head of the reducible list of a level (0..7): its most recently created inner node.
    const TOctreeNode* ReducibleByLevel(int level) const { return reducible_[std::size_t(level)]; }

private:
    void InsertColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue);
    // Folds one node into a leaf; false when there is nothing left to fold.
    bool ReduceOnce();
    void FreeTree();

    std::unique_ptr<TOctreeNode> root_;
    int leaves_ = 0;
    std::array<TOctreeNode*, 8> reducible_{};
    int leafLimit_;
    int leafDepth_;
};

// An optimized palette of count entries (kept within 1..256) for the reader's 24-bit image.
// With system colours it has 256 entries: the 20 static system colours at 0..9 and 246..255
// and 236 optimized colours at 10..245 (count is then not used). Optimized entries have flags 0.
// When the image yields fewer colours than the optimized range holds, the remaining entries
// repeat the first optimized colour (black for an image without pixels): no colour that is
// not in the image enters the palette, and the nearest-colour lookup, where the lowest index
// wins ties, never chooses the repeats.
Palette MakeOptimizedPalette(TDIB& reader, int count, int leafDepth, bool withSystemColors);
// The same over a bitmap, which is switched to 24 bits per pixel first.
Palette MakeOptimizedPaletteOfBitmap(Bitmap& bitmap, int count, int leafDepth, bool withSystemColors);
