#pragma once
// The animation preview: a picture control that owns the bitmap it shows. An animated GIF plays
// by painting onto that bitmap (its painter draws there), and every change of the bitmap
// repaints the control.

#include "platform/bitmap.h"

#include <QLabel>

class TGIFImage;

class TPreviewImage : public QLabel {
    Q_OBJECT
public:
    explicit TPreviewImage(QWidget* parent = nullptr);
    ~TPreviewImage() override;

    // Shows a still copy of bitmap, centred.
    void showBitmap(const Bitmap& bitmap);
    // Draws gif onto the control's own bitmap of the logical screen's size; an animated image
    // keeps painting there until its painters are stopped.
    void play(TGIFImage& gif);
    // Shows nothing. Any painter drawing here must have been stopped first.
    void clearPicture();

    // What the control shows now (empty when nothing).
    const Bitmap& surface() const { return surface_; }
    bool hasPicture() const { return hasSurface_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Bitmap surface_;
    bool hasSurface_ = false;
};
