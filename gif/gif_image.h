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
class Palette;
class TGIFPainter;
class TGIFSubImage;

class TGIFImage : public Graphic, public TGIFObject {
public:
    using TGIFPaintEvent = std::function<void(TGIFImage& sender)>;

    // Copies the library defaults; the image is empty.
    TGIFImage();
    ~TGIFImage() override;
    TGIFImage(const TGIFImage&) = delete;
    TGIFImage& operator=(const TGIFImage&) = delete;

    // Graphic
    int width() const override { return GetWidth(); }
    int height() const override { return GetHeight(); }
    bool empty() const override { return GetEmpty(); }
    // Frames are not rendered to bitmaps by this library yet, so drawing paints nothing.
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
    // Other graphics become frames through bitmap conversion, which this library does not
    // offer yet: fails with "Object type not supported for operation".
    int Add(const Graphic& source);

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

    // Attached painters and the cached picture. Painters are not part of this library yet, so
    // with none attached stopping them changes nothing; FreeBitmap drops the cached picture.
    void StopPainters();
    void StopDrawing();
    void FreeBitmap();
    const Palette* GetPalette() const { return GlobalPalette.get(); }
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
    std::mutex PaintersLock;
    std::vector<TGIFPainter*> Painters;
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

    // Reports progress through the graphic's progress event.
    void Progress(ProgressStage stage, int percent, bool redrawNow, const std::string& message) const;

private:
    friend class TGIFSubImage;
    friend class TGIFImageList;

    TGIFImageList images_;
    std::unique_ptr<TGIFHeader> header_;
    int animationSpeed_;
    // Pixels allocated for frames during the current read (bounded by giflimits).
    std::int64_t pixelsRead_ = 0;
};

// Registers TGIFImage for the extension "gif" ("GIF Image"); done once per process.
void RegisterGIFFormat();
