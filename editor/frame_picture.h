#pragma once
// One frame's picture in the frame strip: the frame's bitmap shown at its own size, with the
// frame's transparency flag (the bitmap's colour of its bottom-left pixel is left out).

#include "platform/bitmap.h"

#include <QWidget>

class TFramePicture : public QWidget {
    Q_OBJECT
public:
    // name: the frame's name ("Frame" and a number), also the object name.
    TFramePicture(const QString& name, QWidget* parent);

    const Bitmap& picture() const { return picture_; }
    // Takes a copy of bitmap; the frame's transparency flag stays.
    void setPicture(const Bitmap& bitmap);
    void setPicture(Bitmap&& bitmap);

    bool isTransparent() const { return picture_.transparent(); }
    void setTransparent(bool value);

signals:
    void mouseDown(TFramePicture* picture);
    void doubleClicked(TFramePicture* picture);
    void contextMenu(TFramePicture* picture, const QPoint& globalPos);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    Bitmap picture_;
};
