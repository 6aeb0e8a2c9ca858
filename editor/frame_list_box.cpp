#include "editor/frame_list_box.h"

#include "platform/bitmap.h"

#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QImage>
#include <QPainter>

#include <cmath>

Rect ListThumbnailRect(const Rect& itemRect, int w, int h)
{
    const int lineHeight = itemRect.bottom - itemRect.top;
    const double ratio = h > 32 ? double(w) / double(h) : 2.0;
    const int a = ratio >= 2.0 ? 2 * lineHeight : int(std::nearbyint(lineHeight * ratio));
    return Rect{itemRect.left + 2, itemRect.top + 2, itemRect.left + 2 + a - 4, itemRect.bottom - 2};
}

TFrameListBox::TFrameListBox(QWidget* parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setUniformItemSizes(true);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::MoveAction);
    setItemDelegate(new TFrameListDelegate(this));
}

bool TFrameListBox::moveCurrentTo(int row)
{
    const int from = currentRow();
    if (from < 0 || row < 0 || row >= count())
        return false;
    if (from == row)
        return true;
    const bool wasSelected = item(from)->isSelected();
    QListWidgetItem* moved = takeItem(from);
    insertItem(row, moved);
    moved->setSelected(wasSelected);
    setCurrentItem(moved, QItemSelectionModel::NoUpdate);
    return true;
}

void TFrameListBox::dragEnterEvent(QDragEnterEvent* event)
{
    // Only lines of this list are taken.
    if (event->source() == this)
        event->acceptProposedAction();
    else
        event->ignore();
}

void TFrameListBox::dragMoveEvent(QDragMoveEvent* event)
{
    if (event->source() == this)
        event->acceptProposedAction();
    else
        event->ignore();
}

void TFrameListBox::dropEvent(QDropEvent* event)
{
    if (event->source() != this) {
        event->ignore();
        return;
    }
    const QModelIndex target = indexAt(event->position().toPoint());
    // The list itself moves the text; the drag must not remove anything afterwards.
    event->setDropAction(Qt::IgnoreAction);
    event->accept();
    if (target.isValid() && moveCurrentTo(target.row()))
        emit currentMoved();
}

TFrameListDelegate::TFrameListDelegate(TFrameListBox* list) : QStyledItemDelegate(list), list_(list) {}

QSize TFrameListDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setHeight(kItemHeight);
    return size;
}

void TFrameListDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const QRect r = option.rect;
    const bool selected = option.state & QStyle::State_Selected;
    painter->save();
    painter->fillRect(r, selected ? option.palette.highlight() : option.palette.base());
    const Bitmap* bitmap = list_->frameBitmap ? list_->frameBitmap(index.row()) : nullptr;
    const int h = r.height();
    if (bitmap != nullptr && !bitmap->empty()) {
        const Rect t = ListThumbnailRect(Rect{r.left(), r.top(), r.left() + r.width(), r.top() + h}, bitmap->width(),
                                         bitmap->height());
        if (!t.isEmpty())
            painter->drawImage(QRect(t.left, t.top, t.width(), t.height()), bitmap->toQImage());
    }
    painter->setPen(selected ? option.palette.highlightedText().color() : option.palette.text().color());
    painter->setFont(option.font);
    const QRect textRect(r.left() + 2 * h + 4, r.top(), std::max(0, r.right() - (r.left() + 2 * h + 4)), h);
    painter->drawText(textRect, Qt::AlignLeft | Qt::AlignTop, index.data(Qt::DisplayRole).toString());
    painter->restore();
}
