#pragma once
// TGIFImage: a whole GIF file in memory, a graphic of the platform.

#include "gif/gif_defaults.h"
#include "gif/gif_header.h"
#include "gif/gif_image_list.h"
#include "gif/gif_types.h"
#include "platform/graphic.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class Bitmap;
class Canvas;
class Palette;
class TGIFPainter;
class TGIFSubImage;

class TGIFImage : public Graphic, public TGIFObject {
public:
    // Events of the painters, with the painter as sender.
    using TGIFPaintEvent = std::function<void(TGIFPainter& sender)>;

    // Copies the library defaults; the image is empty.
    TGIFImage();
    ~TGIFImage() override;
    TGIFImage(const TGIFImage&) = delete;
    TGIFImage& operator=(const TGIFImage&) = delete;

    // Graphic
    int width() const override { return GetWidth(); }
    int height() const override { return GetHeight(); }
    bool empty() const override { return GetEmpty(); }
    // The platform's drawing entry: Draw.
    void draw(Canvas& canvas, const Rect& rect) const override;
    void loadFromStream(Stream& stream) override { LoadFromStream(stream); }
    void saveToStream(Stream& stream) const override { SaveToStream(stream); }
    std::unique_ptr<Graphic> clone() const override;

    // Reads a GIF stream. On an error the stream goes back to where reading began, the frames
    // read completely stay in the image and the error passes on.
    void LoadFromStream(Stream& stream);
    // Writes the image as a GIF stream ("Unsupported GIF version" without frames).
    void SaveToStream(Stream& stream) const;
    // The platform's storing of graphic data: SaveToStream.
    void WriteData(Stream& stream) const { SaveToStream(stream); }

    // Header, options (not ReductionBits, Encoding, AnimationSpeed) and copies of all frames.
    void Assign(const TGIFImage& source);
    void Clear();
    // Appends the frame (made for this image) and takes ownership; returns its index.
    int Add(std::unique_ptr<TGIFSubImage> frame);
    // A new frame converted from a bitmap or another graphic (TGIFSubImage::Assign); a GIF
    // image adds copies of its frames' first frame.
    int Add(const Graphic& source);
    // Clears and takes a single frame made from the graphic (another TGIFImage: Assign).
    void AssignGraphic(const Graphic& source);
    // Receives GetBitmap.
    void AssignTo(::Bitmap& destination);

    // The logical screen with frame 0 (none without frames), cached in CachedBitmap.
    ::Bitmap* GetBitmap();
    // CachedBitmap, or a new one of the logical screen's size with the image's palette.
    ::Bitmap* NewBitmap();
    // Draws one frame still, or starts the image's painter for an animation.
    void Draw(Canvas& canvas, const Rect& rect);
    // poDither set, and poAutoDither unset or a low-colour display.
    bool DitherNeeded() const;

    // Clipboard: the GIF file bytes under GIFClipboardMimeType plus an image of GetBitmap.
    // Nothing for an empty image.
    void SaveToClipboard() const;
    // GIF bytes, or else an image, from the clipboard; "Unsupported clipboard format" otherwise.
    void LoadFromClipboard();

    TGIFFormatVersion RequiredVersion() const;
    int BitsPerPixel() const;
    int ColorResolution() const;
    // Colour of BackgroundIndex in the global table.
    TColor BackgroundColor();

    int GetWidth() const { return header_->ScreenWidth; }
    int GetHeight() const { return header_->ScreenHeight; }
    // Every frame must fit; otherwise "Image width (height) too small for contained frames".
    void SetWidth(int value);
    void SetHeight(int value);
    bool GetEmpty() const { return images_.IsEmpty(); }

    // Raises OnWarning when assigned.
    virtual void Warning(const TGIFObject* sender, int severity, const std::string& message) const;

    // Painters (gif_painter.cpp). Starts a painter of the frames on canvas and rect; none for
    // an empty image or rectangle. A threaded painter is returned suspended (Resume starts it);
    // an unthreaded one plays at once, frees itself and none is returned. *reference (when
    // given) names the painter while it runs.
    TGIFPainter* StartPainter(TGIFPainter** reference, Canvas& canvas, TGIFPaintOptions options, const Rect& rect);
    // Stops every painter and waits for the threaded ones, serving their calls to this thread.
    void StopPainters();
    // Stops the DrawPainter and waits for it; then drops the cached picture.
    void StopDrawing();
    // Asks the DrawPainter to stop (without waiting) and drops the cached picture.
    void FreeBitmap();
    // Stops the DrawPainter, stores the options and drops every rendered bitmap and palette.
    void SetPaintOptions(TGIFPaintOptions value);
    // The cached bitmap's palette, GlobalPalette, the web palette while dithering, the first
    // frame's palette (global table empty) or the global table's. Re-entry fails with "No global
    // or local color table defined".
    const Palette* GetPalette();
    // Replaces the cached palette (null: none) and drops the cached picture.
    void SetPalette(std::unique_ptr<Palette> palette);

    TGIFImageList& Images() { return images_; }
    const TGIFImageList& Images() const { return images_; }
    TGIFHeader& Header() { return *header_; }
    const TGIFHeader& Header() const { return *header_; }
    TGIFGlobalColorMap& GlobalColorMap() { return header_->ColorMap(); }

    int AnimationSpeed() const { return animationSpeed_; }
    // Clamped to 0..1000.
    void SetAnimationSpeed(int value);

    std::unique_ptr<Palette> GlobalPalette;
    // Held while painters are added, removed, stopped or given a speed, and through
    // MergeColorMaps and Optimize (which may drop cached pictures meanwhile).
    std::recursive_mutex PaintersLock;
    std::vector<TGIFPainter*> Painters;
    // The painter of Draw, null when none plays.
    TGIFPainter* DrawPainter = nullptr;
    TGIFPaintOptions PaintOptions;
    TReductionMethod ReductionMethod;
    int ReductionBits;
    TDitherMethod DitherMethod;
    TGIFEncoding Encoding;
    TGIFWarning OnWarning;
    std::unique_ptr<Bitmap> CachedBitmap;
    TThreadPriority ThreadPriority;
    TColor BackgroundPaintColor;
    TGIFPaintEvent OnPaintStart, OnPaintFrame, OnAfterPaintFrame, OnPaintLoop, OnPaintEnd;

    // One table for all frames, ordered by use (gif_optimizer.cpp). keepFreeEntry limits it to
    // 255 colours, leaving room for the transparent colour merging frames needs.
    void MergeColorMaps(bool keepFreeEntry = false);
    // Sorting, clean-up, merging and cropping of the frames; "Invalid reduction method" for
    // osReduceColors with rdPalette without osCleanup. No colour reduction is done.
    void Optimize(TGIFOptimizeSteps steps, TReductionMethod reduction, TDitherMethod dither, int bits);

    // Reports progress through the graphic's progress event.
    void Progress(ProgressStage stage, int percent, bool redrawNow, const std::string& message) const;

private:
    friend class TGIFSubImage;
    friend class TGIFImageList;

    TGIFImageList images_;
    std::unique_ptr<TGIFHeader> header_;
    int animationSpeed_;
    bool gettingPalette_ = false;
    bool drawing_ = false;
    bool paletteModified_ = false;
    // Pixels allocated for frames during the current read (bounded by giflimits).
    std::int64_t pixelsRead_ = 0;
};

// MIME type of the GIF bytes on the clipboard.
inline constexpr const char* GIFClipboardMimeType = "image/gif";

// Registers TGIFImage for the extension "gif" ("GIF Image"); done once per process.
void RegisterGIFFormat();
