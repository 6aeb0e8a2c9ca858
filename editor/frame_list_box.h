#pragma once
// The frame list box: one line per frame ("name=delay") with the frame's thumbnail, several
// lines selectable, the current line moved by dragging it onto another.

#include "platform/geometry.h"

#include <QListWidget>
#include <QStyledItemDelegate>

#include <functional>

class Bitmap;

// Where a line of item rectangle itemRect draws the thumbnail of a bitmap of w by h: the height
// of the line less 2 pixels at top and bottom; twice the line height less 4 wide for pictures at
// least twice as wide as tall or not higher than 32, else the line height times the aspect
// (rounded) less 4.
Rect ListThumbnailRect(const Rect& itemRect, int w, int h);

class TFrameListBox : public QListWidget {
    Q_OBJECT
public:
    explicit TFrameListBox(QWidget* parent = nullptr);

    // The bitmap of the frame of a line (null when there is none).
    std::function<const Bitmap*(int row)> frameBitmap;

    // Moves the current line to row (the others shift); false when there is no current line
    // or row is no line.
    bool moveCurrentTo(int row);

signals:
    // A line was moved by dragging.
    void currentMoved();

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
};

// Draws a line: the thumbnail stretched into ListThumbnailRect and the text at twice the line
// height plus 4; selected lines in the highlight colours.
class TFrameListDelegate : public QStyledItemDelegate {
public:
    explicit TFrameListDelegate(TFrameListBox* list);
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    static constexpr int kItemHeight = 32;

private:
    TFrameListBox* list_;
};
