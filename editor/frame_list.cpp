// The frame list of the main window: the frame pictures in the strip and their lines in List,
// adding, deleting, ordering and selecting frames, delays and transparency, and the moves of
// pixels between a frame and the work bitmap.

#include "editor/main_window.h"

#include "editor/assembly/frame_source.h"
#include "editor/frame_list_box.h"
#include "editor/frame_picture.h"
#include "platform/bitmap.h"
#include "platform/canvas.h"

#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QScrollArea>
#include <QScrollBar>

#include <algorithm>
#include <limits>

namespace {

// The answer of an input box as an integer; fallback when it is not one.
int toIntOr(const QString& text, int fallback)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok ? value : fallback;
}

} // namespace

QString TZoetraF::askInput(const QString& title, const QString& prompt, const QString& initial)
{
    return hooks_.input(title, prompt, initial);
}

void TZoetraF::guarded(const std::function<void()>& command)
{
    try {
        command();
    } catch (const std::exception& e) {
        reportError(QString::fromUtf8(e.what()));
    }
}

int TZoetraF::frameCount() const { return List->count(); }

QString TZoetraF::frameName(int index) const
{
    if (index < 0 || index >= List->count())
        return {};
    const QString text = List->item(index)->text();
    const int equals = text.indexOf('=');
    return equals < 0 ? text : text.left(equals);
}

TFramePicture* TZoetraF::FrameImage(int index) const
{
    const QString name = frameName(index);
    if (name.isEmpty())
        return nullptr;
    return FrameStrip->findChild<TFramePicture*>(name, Qt::FindDirectChildrenOnly);
}

int TZoetraF::GetFrameDelay(int index) const
{
    if (index < 0 || index >= List->count())
        return 30;
    const QString text = List->item(index)->text();
    const int equals = text.indexOf('=');
    return equals < 0 ? 30 : toIntOr(text.mid(equals + 1), 30);
}

TFramePicture* TZoetraF::createFramePicture()
{
    const QString name = QStringLiteral("Frame%1").arg(FrameCounter);
    ++FrameCounter;
    auto* picture = new TFramePicture(name, FrameStrip);
    picture->setGeometry(0, 0, FrameWidth, FrameHeight);
    picture->setTransparent(DefTrans->isChecked());
    picture->setMouseTracking(true);
    picture->installEventFilter(this);
    connect(picture, &TFramePicture::mouseDown, this, &TZoetraF::IFrameMouseDown);
    connect(picture, &TFramePicture::doubleClicked, this, [this](TFramePicture* p) {
        IFrameMouseDown(p);
        Edit1Click();
    });
    connect(picture, &TFramePicture::contextMenu, this,
            [this](TFramePicture* p, const QPoint& globalPos) { popupFramepop(p, globalPos); });
    picture->show();
    return picture;
}

QListWidgetItem* TZoetraF::insertFrameLine(int row, TFramePicture* picture, int delay)
{
    auto* item = new QListWidgetItem(picture->objectName() + '=' + QString::number(delay < 0 ? DefaultDelay : delay));
    List->insertItem(row, item);
    updateStripExtent();
    return item;
}

void TZoetraF::updateStripExtent()
{
    int right = FramePointer->x() + FramePointer->width();
    for (const TFramePicture* picture : FrameStrip->findChildren<TFramePicture*>(Qt::FindDirectChildrenOnly))
        right = std::max(right, picture->x() + picture->width());
    FrameStrip->setMinimumWidth(right);
}

void TZoetraF::Add1Click()
{
    const QString file = FilesFileName();
    if (file.isEmpty())
        return;
    guarded([&] { AddImageFile(file); });
}

void TZoetraF::AddImageFile(const QString& path)
{
    std::optional<Bitmap> loaded = loadFrameImage(std::filesystem::path(path.toStdString()));
    if (!loaded)
        return;
    const int n = List->count();
    const int frameWidth = n == 0 ? loaded->width() : FrameWidth;
    const int frameHeight = n == 0 ? loaded->height() : FrameHeight;
    fitToFrame(*loaded, frameWidth, frameHeight);
    // Nothing has changed until the picture is ready.
    FrameWidth = frameWidth;
    FrameHeight = frameHeight;
    *WorkBitmap = std::move(*loaded);
    TFramePicture* picture = createFramePicture();
    picture->setPicture(*WorkBitmap);
    picture->move(n * (FrameWidth + 5), 0);
    insertFrameLine(List->count(), picture);
}

void TZoetraF::Append(const Bitmap& bitmap)
{
    const int n = List->count();
    if (n == 0) {
        FrameWidth = bitmap.width();
        FrameHeight = bitmap.height();
    }
    TFramePicture* picture = createFramePicture();
    picture->setPicture(bitmap);
    picture->move(n * (FrameWidth + 5), 0);
    QListWidgetItem* item = insertFrameLine(n, picture);
    List->setCurrentItem(item, QItemSelectionModel::NoUpdate);
}

void TZoetraF::goNewClick()
{
    if (List->count() == 0) {
        // A size that is no integer, not positive or beyond the bitmap limits ends the command.
        const auto acceptable = [](const QString& answer, int& value) {
            bool ok = false;
            value = answer.toInt(&ok);
            return ok && value > 0 && value <= Bitmap::kMaxDimension;
        };
        int width = 0;
        if (!acceptable(askInput("Zoetra Frames", "Enter Width", QString::number(NewFrameWidth)), width))
            return;
        FrameWidth = width;
        int height = 0;
        if (!acceptable(askInput("Zoetra Frames", "Enter Height", QString::number(NewFrameHeight)), height))
            return;
        if (std::int64_t(width) * height > Bitmap::kMaxPixels)
            return;
        FrameHeight = height;
    }
    NewFrameWidth = FrameWidth;
    NewFrameHeight = FrameHeight;
    guarded([&] {
        ClearWorkBitmap();
        const int current = List->currentRow();
        const int row = (List->count() > 0 && current >= 0) ? current + 1 : List->count();
        TFramePicture* picture = createFramePicture();
        QListWidgetItem* item = insertFrameLine(row, picture);
        List->setCurrentItem(item, QItemSelectionModel::NoUpdate);
        PutWorkBitmap(row);
        ArrangeFrames();
    });
}

void TZoetraF::DuplicateFrame()
{
    const int current = List->currentRow();
    if (current < 0)
        return;
    guarded([&] {
        GetWorkBitmap(current);
        TFramePicture* picture = createFramePicture();
        insertFrameLine(current + 1, picture);
        PutWorkBitmap(current + 1);
        ArrangeFrames();
    });
}

void TZoetraF::InsertWorkFrame()
{
    const int current = List->currentRow();
    if (current < 0)
        return;
    TFramePicture* picture = createFramePicture();
    QListWidgetItem* item = insertFrameLine(current + 1, picture);
    item->setSelected(true);
    PutWorkBitmap(current + 1);
    List->setCurrentItem(item, QItemSelectionModel::NoUpdate);
    ArrangeFrames();
}

void TZoetraF::Delete1Click()
{
    for (;;) {
        const QList<QListWidgetItem*> selected = List->selectedItems();
        if (selected.isEmpty())
            break;
        int first = List->count();
        for (QListWidgetItem* item : selected)
            first = std::min(first, List->row(item));
        delete FrameImage(first);
        delete List->takeItem(first);
    }
    ArrangeFrames();
    updateStripExtent();
}

void TZoetraF::ClearFrames()
{
    for (TFramePicture* picture : FrameStrip->findChildren<TFramePicture*>(Qt::FindDirectChildrenOnly))
        delete picture;
    List->clear();
    FrameCounter = 1;
    FramePointer->move(40, 80);
    ScrollBoxSource->horizontalScrollBar()->setValue(0);
    updateStripExtent();
}

void TZoetraF::ArrangeFrames()
{
    for (int i = 0; i < List->count(); ++i)
        if (TFramePicture* picture = FrameImage(i))
            picture->move(i * (FrameWidth + 5), 0);
    updateStripExtent();
}

void TZoetraF::Arrange1Click() { ArrangeFrames(); }

void TZoetraF::ListClick()
{
    const int current = List->currentRow();
    if (current < 0)
        return;
    TFramePicture* picture = FrameImage(current);
    FramePointer->setText(List->item(current)->text());
    FramePointer->adjustSize();
    const int frameLeft = picture ? picture->x() : current * (FrameWidth + 5);
    FramePointer->move(frameLeft + FrameWidth / 2 - FramePointer->width() / 2, 80);
    updateStripExtent();
    if (picture)
        ScrollBoxSource->ensureWidgetVisible(picture, 0, 0);
    FramePointer->raise();
}

void TZoetraF::IFrameMouseDown(TFramePicture* picture)
{
    for (int i = 0; i < List->count(); ++i) {
        if (frameName(i) != picture->objectName())
            continue;
        List->setCurrentRow(i, QItemSelectionModel::NoUpdate);
        DeselectAll();
        List->item(i)->setSelected(true);
        ListClick();
        return;
    }
}

void TZoetraF::DeselectAll() { List->clearSelection(); }

void TZoetraF::ListDragDrop(int row)
{
    if (List->moveCurrentTo(row))
        ArrangeFrames();
}

void TZoetraF::GetWorkBitmap(int index)
{
    const TFramePicture* picture = FrameImage(index);
    if (picture == nullptr)
        return;
    Bitmap work(FrameWidth, FrameHeight, pf24bit);
    work.fill(clWhite);
    Bitmap source = picture->picture();
    source.setTransparent(false);
    const Rect rect{0, 0, FrameWidth, FrameHeight};
    work.canvas().copyRect(rect, source, rect);
    *WorkBitmap = std::move(work);
}

void TZoetraF::PutWorkBitmap(int index)
{
    TFramePicture* picture = FrameImage(index);
    if (picture == nullptr)
        return;
    Bitmap frame = picture->picture();
    frame.setTransparent(false);
    frame.setSize(FrameWidth, FrameHeight);
    Bitmap source = *WorkBitmap;
    source.setTransparent(false);
    const Rect rect{0, 0, FrameWidth, FrameHeight};
    frame.canvas().copyRect(rect, source, rect);
    picture->setPicture(std::move(frame));
    picture->resize(FrameWidth, FrameHeight);
    List->viewport()->update();
}

void TZoetraF::ClearWorkBitmap()
{
    Bitmap work(FrameWidth, FrameHeight, pf24bit);
    work.fill(clWhite);
    *WorkBitmap = std::move(work);
}

void TZoetraF::Delay1Click()
{
    const int current = List->currentRow();
    if (current < 0)
        return;
    QListWidgetItem* item = List->item(current);
    const QString text = item->text();
    const int equals = text.indexOf('=');
    const QString name = equals < 0 ? text : text.left(equals);
    const QString value = equals < 0 ? QString() : text.mid(equals + 1);
    const QString answer = askInput("Zoetra Frame Delays", "Enter Delay (10..255)", value);
    const int delay = toIntOr(answer, 30);
    if (delay >= 10 && delay <= 255)
        item->setText(name + '=' + answer);
    ListClick();
}

void TZoetraF::FrameDelay1Click()
{
    const QString answer =
        askInput("Zoetra Transitions", "Enter Default Frame Delay (10..255):", QString::number(DefaultDelay));
    DefaultDelay = std::clamp(toIntOr(answer, 10), 10, 255);
}

// The check mark of DefTrans toggles itself; frames made from now on take it.
void TZoetraF::DefTransClick() {}

TFramePicture* TZoetraF::framepopFrame() const
{
    if (framepopSource_ == List)
        return FrameImage(List->currentRow());
    return qobject_cast<TFramePicture*>(framepopSource_.data());
}

void TZoetraF::Transparent1Click()
{
    TFramePicture* frame = framepopFrame();
    if (frame == nullptr)
        return;
    // The action has toggled its check already.
    frame->setTransparent(Transparent1->isChecked());
    List->viewport()->update();
}
