// Assembly of the frames into the preview animation, saving the preview, stopping it, the loop
// count, and opening a GIF file as frames.

#include "editor/main_window.h"

#include "color/window/painter_reduce_window.h"
#include "editor/assembly/animation_assembly.h"
#include "editor/assembly/frame_reduction.h"
#include "editor/assembly/gif_operations.h"
#include "editor/busy_cursor.h"
#include "editor/frame_list_box.h"
#include "editor/frame_picture.h"
#include "editor/preview_image.h"
#include "gif/gif_extension_list.h"
#include "gif/gif_graphic_control_extension.h"
#include "gif/gif_image.h"
#include "gif/gif_image_list.h"
#include "gif/gif_sub_image.h"
#include "platform/bitmap.h"
#include "platform/graphic.h"
#include "platform/stream.h"

#include <QAction>
#include <QCheckBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPixmap>
#include <QProgressBar>
#include <QToolButton>

#include <vector>

namespace {

std::filesystem::path toFsPath(const QString& file) { return std::filesystem::path(file.toStdString()); }

// "Description (*.ext)" of the registered format for ext, or fallback as description.
QString filterFor(const char* ext, const char* fallback)
{
    const GraphicFormat* format = GraphicFormats::instance().find(ext);
    const QString description = format ? QString::fromStdString(format->description) : QString::fromLatin1(fallback);
    return QStringLiteral("%1 (*.%2)").arg(description, QString::fromLatin1(ext));
}

} // namespace

void TZoetraF::setReduceWindow(TPainterReduceF* reduceWindow) { reduceWindow_ = reduceWindow; }

void TZoetraF::reduceFrame(Bitmap& bitmap)
{
    if (reduceWindow_) {
        reduceWindow_->ReduceFrame(bitmap);
        return;
    }
    // The reduction window's start-up choice.
    ChosenPaletteMethod = rdQuantizeWindows;
    ChosenDitherMethod = dtFloydSteinberg;
    reduceFrameBitmap(bitmap, rdQuantizeWindows, DefaultReductionBits, dtFloydSteinberg);
}

void TZoetraF::showPreviewPicture(const Bitmap& bitmap)
{
    stopPreview();
    ImageAnimate->showBitmap(bitmap);
}

void TZoetraF::stopPreview()
{
    if (previewGIF_)
        previewGIF_->StopPainters();
    if (ImageAnimate)
        ImageAnimate->clearPicture();
}

void TZoetraF::Create1Click()
{
    if (List->count() > 0)
        CreateAnimation(true);
}

void TZoetraF::CreateSelection1Click()
{
    if (!List->selectedItems().isEmpty())
        CreateAnimation(false);
}

void TZoetraF::CreateAnimation(bool all)
{
    const BusyCursor busy;
    std::vector<AssemblyFrame> frames;
    for (int i = 0; i < List->count(); ++i) {
        if (!all && !List->item(i)->isSelected())
            continue;
        if (const TFramePicture* picture = FrameImage(i))
            frames.push_back(AssemblyFrame{&picture->picture(), picture->isTransparent(), GetFrameDelay(i)});
    }

    AssemblyOptions options;
    options.loopCount = LoopCount;
    options.merge = CheckBoxMerge->isChecked();
    options.crop = CheckBoxCrop->isChecked();
    options.reduce = [this](Bitmap& work) { reduceFrame(work); };
    options.chosenPaletteMethod = [] { return ChosenPaletteMethod; };
    options.chosenDitherMethod = [] { return ChosenDitherMethod; };
    int done = 0;
    AssemblyProgress->setValue(0);
    AssemblyProgress->show();
    options.frameReduced = [&](const Bitmap& reduced) {
        // The user sees each frame while it is added.
        showPreviewPicture(reduced);
        ImageAnimate->repaint();
        ++done;
        AssemblyProgress->setValue(int(std::int64_t(done) * 100 / std::int64_t(frames.size())));
        AssemblyProgress->repaint();
    };

    auto gif = std::make_unique<TGIFImage>();
    QString error;
    try {
        assembleAnimation(*gif, frames, options, *WorkBitmap);
    } catch (const std::exception& e) {
        error = QString::fromUtf8(e.what());
    }
    AssemblyProgress->hide();
    // The size of what was built, also after a failure.
    try {
        anisize->setText(QString::number(gifStreamSize(*gif)));
    } catch (const std::exception& e) {
        if (error.isEmpty())
            error = QString::fromUtf8(e.what());
    }
    if (!error.isEmpty()) {
        // The preview goes back to what it showed before.
        if (previewState() == PreviewState::Stopped && previewStill_)
            showPreviewPicture(*previewStill_);
        else
            startPreview();
        reportError(error);
        return;
    }
    stopPreview();
    previewGIF_ = std::move(gif);
    previewStill_.reset();
    startPreview();
    showPreviewAnimating();
}

void TZoetraF::startPreview()
{
    stopPreview();
    if (previewGIF_)
        ImageAnimate->play(*previewGIF_);
}

void TZoetraF::Stop1Click()
{
    stopPreview(); // ends the animation
    previewGIF_.reset();
    previewStill_ = std::make_unique<Bitmap>(*WorkBitmap);
    showPreviewPicture(*previewStill_);
    showPreviewStopped();
}

void TZoetraF::ButtonSaveClick()
{
    if (previewState() == PreviewState::Start)
        return;
    const bool gif = previewState() == PreviewState::Animating;
    SaveDialog->setDefaultSuffix(gif ? "gif" : "bmp");
    SaveDialog->setNameFilter(gif ? filterFor("gif", "GIF Image") : filterFor("bmp", "Bitmaps"));
    const QString file = hooks_.chooseFile(SaveDialog);
    if (file.isEmpty())
        return;
    const BusyCursor busy;
    guarded([&] { SavePreview(file); });
}

void TZoetraF::SavePreview(const QString& path)
{
    // Both go through a temporary file renamed over the target, so a failed save keeps the
    // old file.
    if (previewState() == PreviewState::Animating && previewGIF_) {
        FileStream stream(toFsPath(path), FileStream::Mode::Write);
        previewGIF_->SaveToStream(stream);
        stream.commit();
    } else if (previewState() == PreviewState::Stopped && previewStill_) {
        previewStill_->saveToFile(toFsPath(path));
    }
}

void TZoetraF::SetLoops1Click()
{
    const QString answer =
        askInput("GIF animation settings", "Enter number of loops (0 = forever):", QString::number(LoopCount));
    bool ok = false;
    const int value = answer.toInt(&ok);
    LoopCount = ok ? value : 0;
}

void TZoetraF::Open2Click()
{
    const QString file = hooks_.chooseFile(OpenDialog1);
    if (file.isEmpty())
        return;
    OpenDialog1InitialDir = QFileInfo(file).absolutePath();
    OpenDialog1->setDirectory(OpenDialog1InitialDir);
    const BusyCursor busy;
    guarded([&] { OpenGIF(file); });
}

void TZoetraF::OpenGIF(const QString& path)
{
    // The file is read and every image converted before the frames are replaced, so a file
    // that cannot be read leaves the frames as they were.
    TGIFImage gif;
    {
        FileStream stream(toFsPath(path), FileStream::Mode::Read);
        gif.LoadFromStream(stream);
    }
    std::vector<Bitmap> pictures;
    const int count = gif.Images().Count();
    pictures.reserve(std::size_t(count));
    for (int i = 0; i < count; ++i)
        pictures.push_back(frameBitmap(gif, i));
    ClearFrames();
    for (int i = 0; i < count; ++i)
        appendGIFFrame(gif, i, std::move(pictures[std::size_t(i)]));
}

void TZoetraF::AddGIFFrame(TGIFImage& gif, int index) { appendGIFFrame(gif, index, frameBitmap(gif, index)); }

void TZoetraF::appendGIFFrame(TGIFImage& gif, int index, Bitmap picture)
{
    int delay = DefaultDelay;
    bool transparent = DefTrans->isChecked();
    *WorkBitmap = std::move(picture);
    const int n = List->count();
    if (n == 0) {
        FrameWidth = WorkBitmap->width();
        FrameHeight = WorkBitmap->height();
    }
    TGIFSubImage& image = gif.Images().Items(index);
    for (int e = 0; e < image.Extensions().Count(); ++e)
        if (auto* control = dynamic_cast<TGIFGraphicControlExtension*>(&image.Extensions().Items(e))) {
            delay = control->Delay();
            transparent = control->Transparent();
        }
    // Images of another size than the frames are left out and take no frame number.
    if (WorkBitmap->width() != FrameWidth || WorkBitmap->height() != FrameHeight)
        return;
    TFramePicture* frame = createFramePicture();
    frame->setPicture(*WorkBitmap);
    frame->setTransparent(transparent);
    frame->move(n * (FrameWidth + 5), 0);
    insertFrameLine(n, frame, delay);
}
