#include "editor/image_list.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygon>

#include <array>

namespace {

constexpr std::array<const char*, kImageListSize> kThemeNames = {
    "document-new",          // 0
    "media-playback-start",  // 1
    "media-skip-forward",    // 2
    "document-edit",         // 3
    "list-add",              // 4
    "edit-delete",           // 5
    "document-open",         // 6
    "document-save",         // 7
    "media-playback-stop",   // 8
    "edit-copy",             // 9
    "appointment-soon",      // 10
    "tools-wizard",          // 11
    "insert-image",          // 12
    "system-run",            // 13
    "object-flip-vertical",  // 14
    "object-flip-horizontal", // 15
    "object-rotate-right",   // 16
    "applications-graphics", // 17
    "draw-freehand",         // 18
};

const QColor kOutline(40, 40, 40);
const QColor kFrameFill(255, 255, 255);
const QColor kGreen(0, 150, 40);
const QColor kRed(200, 20, 20);
const QColor kBlue(30, 70, 180);
const QColor kYellow(250, 210, 40);

// A small picture frame: white with a dark border and a blue "sky" band.
void drawFrame(QPainter& p, const QRect& r)
{
    p.setPen(kOutline);
    p.setBrush(kFrameFill);
    p.drawRect(r.adjusted(0, 0, -1, -1));
    p.fillRect(QRect(r.left() + 1, r.top() + 1, r.width() - 2, std::max(1, r.height() / 3)), QColor(150, 190, 240));
}

void drawPlus(QPainter& p, int cx, int cy, const QColor& color)
{
    p.fillRect(QRect(cx - 3, cy - 1, 7, 3), color);
    p.fillRect(QRect(cx - 1, cy - 3, 3, 7), color);
}

void drawPlay(QPainter& p, const QRect& r, const QColor& color)
{
    p.setPen(kOutline);
    p.setBrush(color);
    p.drawPolygon(QPolygon({r.topLeft(), QPoint(r.right(), r.center().y()), r.bottomLeft()}));
}

void drawStar(QPainter& p, int cx, int cy, const QColor& color)
{
    p.setPen(QPen(color, 1));
    p.drawLine(cx - 3, cy, cx + 3, cy);
    p.drawLine(cx, cy - 3, cx, cy + 3);
    p.drawLine(cx - 2, cy - 2, cx + 2, cy + 2);
    p.drawLine(cx - 2, cy + 2, cx + 2, cy - 2);
}

void drawWand(QPainter& p, const QColor& starColor)
{
    p.setPen(QPen(kOutline, 2));
    p.drawLine(5, 6, 14, 15);
    drawStar(p, 4, 4, starColor);
}

void drawImage(QPainter& p, int index)
{
    switch (index) {
    case 0: // new animation: a blank page with a star
        p.setPen(kOutline);
        p.setBrush(kFrameFill);
        p.drawPolygon(QPolygon({QPoint(3, 1), QPoint(10, 1), QPoint(13, 4), QPoint(13, 14), QPoint(3, 14)}));
        p.drawLine(10, 1, 10, 4);
        p.drawLine(10, 4, 13, 4);
        drawStar(p, 11, 11, QColor(220, 150, 0));
        break;
    case 1: // animate
        drawPlay(p, QRect(4, 2, 9, 12), kGreen);
        break;
    case 2: // animate the selection: play over a dotted selection box
        p.setPen(QPen(kBlue, 1, Qt::DotLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(1, 1, 13, 13);
        drawPlay(p, QRect(5, 4, 6, 8), kGreen);
        break;
    case 3: // edit frame: a pencil over a frame
        drawFrame(p, QRect(1, 4, 11, 11));
        p.setPen(QPen(QColor(170, 110, 30), 3));
        p.drawLine(7, 10, 13, 3);
        p.setPen(QPen(kOutline, 1));
        p.drawLine(6, 11, 7, 10);
        break;
    case 4: // new frame
        drawFrame(p, QRect(1, 3, 11, 10));
        drawPlus(p, 12, 12, kGreen);
        break;
    case 5: // delete frames
        drawFrame(p, QRect(1, 3, 11, 10));
        p.setPen(QPen(kRed, 2));
        p.drawLine(8, 8, 14, 14);
        p.drawLine(14, 8, 8, 14);
        break;
    case 6: // open: a folder
        p.setPen(kOutline);
        p.setBrush(kYellow);
        p.drawPolygon(QPolygon({QPoint(1, 4), QPoint(6, 4), QPoint(7, 5), QPoint(14, 5), QPoint(14, 13), QPoint(1, 13)}));
        p.setBrush(QColor(255, 235, 130));
        p.drawPolygon(QPolygon({QPoint(3, 7), QPoint(15, 7), QPoint(13, 13), QPoint(1, 13)}));
        break;
    case 7: // save: a diskette
        p.setPen(kOutline);
        p.setBrush(kBlue);
        p.drawRect(1, 1, 13, 13);
        p.fillRect(QRect(4, 2, 7, 5), Qt::white);
        p.fillRect(QRect(4, 9, 8, 5), QColor(200, 200, 200));
        break;
    case 8: // stop
        p.setPen(kOutline);
        p.setBrush(kRed);
        p.drawRect(3, 3, 10, 10);
        break;
    case 9: // duplicate frame
        drawFrame(p, QRect(1, 1, 10, 9));
        drawFrame(p, QRect(5, 6, 10, 9));
        break;
    case 10: // frame delay: a clock
        p.setPen(kOutline);
        p.setBrush(Qt::white);
        p.drawEllipse(1, 1, 13, 13);
        p.drawLine(8, 8, 8, 3);
        p.drawLine(8, 8, 11, 10);
        break;
    case 11: // wizards
        drawWand(p, QColor(220, 150, 0));
        break;
    case 12: // insert wizard frames: frames with an arrow pointing in
        drawFrame(p, QRect(0, 8, 7, 7));
        drawFrame(p, QRect(9, 8, 7, 7));
        p.setPen(kOutline);
        p.setBrush(kGreen);
        p.drawPolygon(QPolygon({QPoint(5, 1), QPoint(10, 1), QPoint(10, 4), QPoint(12, 4), QPoint(8, 8), QPoint(3, 4),
                                QPoint(5, 4)}));
        break;
    case 13: // wizards, lit: the pointer is on the drop-down part
        drawWand(p, kRed);
        drawStar(p, 12, 4, kRed);
        break;
    case 14: // flip up-down
        p.setPen(kOutline);
        p.setBrush(kBlue);
        p.drawPolygon(QPolygon({QPoint(8, 1), QPoint(13, 6), QPoint(3, 6)}));
        p.setBrush(Qt::white);
        p.drawPolygon(QPolygon({QPoint(8, 14), QPoint(13, 9), QPoint(3, 9)}));
        p.setPen(QPen(kRed, 1, Qt::DashLine));
        p.drawLine(0, 7, 15, 7);
        break;
    case 15: // flip left-right
        p.setPen(kOutline);
        p.setBrush(kBlue);
        p.drawPolygon(QPolygon({QPoint(1, 8), QPoint(6, 3), QPoint(6, 13)}));
        p.setBrush(Qt::white);
        p.drawPolygon(QPolygon({QPoint(14, 8), QPoint(9, 3), QPoint(9, 13)}));
        p.setPen(QPen(kRed, 1, Qt::DashLine));
        p.drawLine(7, 0, 7, 15);
        break;
    case 16: { // rotate: a circular arrow
        p.setPen(QPen(kBlue, 2));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRect(2, 2, 11, 11), 90 * 16, 270 * 16);
        p.setPen(kOutline);
        p.setBrush(kBlue);
        p.drawPolygon(QPolygon({QPoint(7, 0), QPoint(11, 2), QPoint(7, 5)}));
        break;
    }
    case 17: // frame effects: a painter's palette
        p.setPen(kOutline);
        p.setBrush(QColor(230, 200, 150));
        p.drawEllipse(1, 2, 14, 12);
        p.fillRect(QRect(4, 5, 3, 3), kRed);
        p.fillRect(QRect(8, 4, 3, 3), kGreen);
        p.fillRect(QRect(10, 8, 3, 3), kBlue);
        p.fillRect(QRect(5, 9, 3, 3), kYellow);
        break;
    case 18: { // trace: an outline drawn round a shape
        p.setPen(QPen(kOutline, 1));
        p.setBrush(QColor(210, 210, 210));
        p.drawEllipse(3, 3, 9, 9);
        p.setPen(QPen(kRed, 1, Qt::DotLine));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(1, 1, 13, 13);
        break;
    }
    default:
        break;
    }
}

} // namespace

QIcon drawnToolImage(int index)
{
    if (index < 0 || index >= kImageListSize)
        return {};
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    {
        QPainter p(&pixmap);
        drawImage(p, index);
    }
    return QIcon(pixmap);
}

QIcon toolImage(int index)
{
    if (index < 0 || index >= kImageListSize)
        return {};
    const QString name = QString::fromLatin1(kThemeNames[std::size_t(index)]);
    if (QIcon::hasThemeIcon(name))
        return QIcon::fromTheme(name);
    return drawnToolImage(index);
}

std::vector<QIcon> makeImageList()
{
    std::vector<QIcon> list;
    list.reserve(kImageListSize);
    for (int i = 0; i < kImageListSize; ++i)
        list.push_back(toolImage(i));
    return list;
}
