#include "color/window/painter_reduce_window.h"
#include "editor/assembly/animation_assembly.h"
#include "editor/assembly/gif_operations.h"
#include "editor/frame_list_box.h"
#include "editor/frame_picture.h"
#include "editor/main_window.h"
#include "tests/support/scripted_main_window_test.h"
#include "gif/gif_application_extension.h"
#include "gif/gif_extension_list.h"
#include "gif/gif_graphic_control_extension.h"
#include "gif/gif_image.h"
#include "gif/gif_image_list.h"
#include "gif/gif_sub_image.h"
#include "platform/bitmap.h"
#include "platform/bmp_file.h"
#include "platform/stream.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QToolButton>

#include <gtest/gtest.h>

#include <deque>
#include <memory>

namespace {

// The loop count and the delays of a GIF, as the extensions of its images carry them.
struct Timing {
    int images = 0;
    std::vector<int> loopCountOnImage; // per image: loop count, -1 without a looping extension
    std::vector<int> delays;           // per image: delay of the last graphic control extension
};

Timing timingOf(TGIFImage& gif)
{
    Timing t;
    t.images = gif.Images().Count();
    for (int i = 0; i < t.images; ++i) {
        TGIFSubImage& image = gif.Images().Items(i);
        int loops = -1;
        int delay = -1;
        for (int e = 0; e < image.Extensions().Count(); ++e) {
            auto& extension = image.Extensions().Items(e);
            if (auto* loop = dynamic_cast<TGIFAppExtNSLoop*>(&extension))
                loops = loop->Loops;
            if (auto* control = dynamic_cast<TGIFGraphicControlExtension*>(&extension))
                delay = control->Delay();
        }
        t.loopCountOnImage.push_back(loops);
        t.delays.push_back(delay);
    }
    return t;
}

std::unique_ptr<TGIFImage> readGIF(const QString& path)
{
    auto gif = std::make_unique<TGIFImage>();
    FileStream stream(path.toStdString(), FileStream::Mode::Read);
    gif->LoadFromStream(stream);
    return gif;
}

class AnimationAssemblyTest : public ScriptedMainWindowTest {
protected:
    void SetUp() override
    {
        checkEnvironment();
        if (HasFatalFailure())
            return;
        TZoetraF::Hooks hooks = scriptedHooks();
        hooks.chooseFile = [this](QFileDialog* dialog) {
            dialogSuffix_ = dialog->defaultSuffix();
            dialogFilters_ = dialog->nameFilters();
            return chosenFile_;
        };
        reduce_ = std::make_unique<TPainterReduceF>();
        window_ = std::make_unique<TZoetraF>(dir_.filePath("zoetra.ini"), hooks);
        window_->setReduceWindow(reduce_.get());
    }

    // A frame of one colour with a differently coloured bottom-left pixel.
    void addFrame(TColor color, int width = 20, int height = 10, TColor corner = clNone)
    {
        Bitmap bitmap(width, height, pf24bit);
        bitmap.fill(color);
        if (corner != clNone)
            bitmap.setPixel(0, height - 1, corner);
        const QString path = dir_.filePath(QStringLiteral("frame%1.bmp").arg(++files_));
        bitmap.saveToFile(path.toStdString());
        window_->AddImageFile(path);
    }

    void setDelay(int row, const QString& delay)
    {
        window_->List->setCurrentRow(row);
        answers_ = {delay};
        window_->Delay1Click();
    }

    std::unique_ptr<TPainterReduceF> reduce_;
    std::unique_ptr<TZoetraF> window_;
    QString chosenFile_;
    QString dialogSuffix_;
    QStringList dialogFilters_;
    int files_ = 0;
};

TEST_F(AnimationAssemblyTest, ThreeFramesCarryTheirDelaysAndTheLoopOnTheFirst)
{
    addFrame(clRed);
    addFrame(clLime);
    addFrame(clBlue);
    setDelay(1, "50");
    window_->Create1->trigger();
    ASSERT_TRUE(messages_.isEmpty()) << messages_.join("\n").toStdString();
    EXPECT_EQ(window_->previewState(), PreviewState::Animating);
    EXPECT_EQ(window_->SaveAs1->text(), "Save GIF &As...");
    EXPECT_TRUE(window_->SaveAs1->isEnabled());
    EXPECT_EQ(window_->btnsaveani->text(), "GIF");
    EXPECT_TRUE(window_->Stop1->isEnabled());
    EXPECT_TRUE(window_->btnstop->isEnabled());

    chosenFile_ = dir_.filePath("three.gif");
    window_->ButtonSaveClick();
    EXPECT_EQ(dialogSuffix_, "gif");
    ASSERT_TRUE(QFile::exists(chosenFile_));
    EXPECT_EQ(window_->anisize->text(), QString::number(QFileInfo(chosenFile_).size()));

    auto gif = readGIF(chosenFile_);
    const Timing t = timingOf(*gif);
    EXPECT_EQ(t.images, 3);
    EXPECT_EQ(t.loopCountOnImage, (std::vector<int>{0, -1, -1}));
    EXPECT_EQ(t.delays, (std::vector<int>{10, 50, 10}));
    // The looping extension comes before the graphic control extension.
    EXPECT_NE(dynamic_cast<TGIFAppExtNSLoop*>(&gif->Images().Items(0).Extensions().Items(0)), nullptr);
    const Bitmap second = frameBitmap(*gif, 1);
    EXPECT_EQ(second.pixel(5, 5), clLime);
}

TEST_F(AnimationAssemblyTest, CreateSelectionTakesTheSelectedFramesInListOrder)
{
    for (TColor color : {clRed, clLime, clBlue, clYellow, clBlack})
        addFrame(color);
    window_->List->item(1)->setSelected(true);
    window_->List->item(3)->setSelected(true);
    window_->CreateSelection1->trigger();
    ASSERT_NE(window_->previewGIF(), nullptr);
    TGIFImage& gif = const_cast<TGIFImage&>(*window_->previewGIF());
    const Timing t = timingOf(gif);
    EXPECT_EQ(t.images, 2);
    EXPECT_EQ(t.loopCountOnImage, (std::vector<int>{0, -1}));
    EXPECT_EQ(frameBitmap(gif, 0).pixel(3, 3), clLime);
    EXPECT_EQ(frameBitmap(gif, 1).pixel(3, 3), clYellow);
}

TEST_F(AnimationAssemblyTest, TransparentFramesUseTheirBottomLeftIndex)
{
    window_->DefTrans->setChecked(true);
    addFrame(clRed, 20, 10, clBlue); // bottom-left blue
    window_->DefTrans->setChecked(false);
    addFrame(clLime, 20, 10, clBlue);
    window_->Create1->trigger();
    ASSERT_NE(window_->previewGIF(), nullptr);
    TGIFImage& gif = const_cast<TGIFImage&>(*window_->previewGIF());
    TGIFSubImage& first = gif.Images().Items(0);
    ASSERT_NE(first.GraphicControl, nullptr);
    EXPECT_TRUE(first.GraphicControl->Transparent());
    EXPECT_EQ(int(first.GraphicControl->TransparentColorIndex()), BottomLeftIndex(first));
    EXPECT_EQ(int(first.Pixels(0, 9)), BottomLeftIndex(first));
    EXPECT_NE(int(first.Pixels(5, 5)), BottomLeftIndex(first));
    TGIFSubImage& second = gif.Images().Items(1);
    ASSERT_NE(second.GraphicControl, nullptr);
    EXPECT_FALSE(second.GraphicControl->Transparent());
}

TEST_F(AnimationAssemblyTest, LoopCountTakesTheLow16Bits)
{
    const std::pair<QString, int> cases[] = {{"70000", 4464}, {"3", 3}, {"forever", 0}};
    addFrame(clRed);
    for (const auto& [answer, loops] : cases) {
        answers_ = {answer};
        window_->SetLoops1Click();
        window_->Create1Click();
        ASSERT_NE(window_->previewGIF(), nullptr);
        EXPECT_EQ(timingOf(const_cast<TGIFImage&>(*window_->previewGIF())).loopCountOnImage.front(), loops)
            << answer.toStdString();
    }
    EXPECT_EQ(window_->LoopCount, 0);
    answers_.clear(); // a cancelled box keeps the count
    window_->LoopCount = 70000;
    window_->SetLoops1Click();
    EXPECT_EQ(window_->LoopCount, 70000);
}

TEST_F(AnimationAssemblyTest, StopShowsTheLastFrameAndSavesItAsBMP)
{
    addFrame(clRed);
    addFrame(clBlue);
    window_->Create1Click();
    window_->Stop1->trigger();
    EXPECT_EQ(window_->previewState(), PreviewState::Stopped);
    EXPECT_EQ(window_->SaveAs1->text(), "Save BMP &As...");
    EXPECT_EQ(window_->btnsaveani->text(), "BMP");
    EXPECT_TRUE(window_->SaveAs1->isEnabled());
    EXPECT_FALSE(window_->Stop1->isEnabled());
    EXPECT_FALSE(window_->btnstop->isEnabled());
    EXPECT_EQ(window_->previewGIF(), nullptr);

    chosenFile_ = dir_.filePath("still.bmp");
    window_->btnsaveani->click();
    EXPECT_EQ(dialogSuffix_, "bmp");
    ASSERT_TRUE(QFile::exists(chosenFile_)) << messages_.join("\n").toStdString();
    Bitmap saved;
    saved.loadFromFile(chosenFile_.toStdString());
    EXPECT_EQ(saved.width(), 20);
    EXPECT_EQ(saved.pixel(4, 4), clBlue); // the last frame as reduced
}

TEST_F(AnimationAssemblyTest, AFailedSaveKeepsTheOldFile)
{
    addFrame(clRed);
    window_->Create1Click();
    // The target is a folder: the finished temporary file cannot replace it.
    chosenFile_ = dir_.filePath("taken");
    ASSERT_TRUE(QDir(dir_.path()).mkdir("taken"));
    QFile keep(dir_.filePath("taken/old.txt"));
    ASSERT_TRUE(keep.open(QIODevice::WriteOnly));
    keep.write("old");
    keep.close();
    window_->ButtonSaveClick();
    EXPECT_EQ(messages_.size(), 1);
    EXPECT_TRUE(QFileInfo(chosenFile_).isDir());
    EXPECT_TRUE(QFile::exists(dir_.filePath("taken/old.txt")));
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files).filter(".gif").size(), 0); // no leftovers
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files).filter("taken").size(), 0);
}

// A GIF of images of the given sizes (first: the logical screen) and delays.
QString writeGIF(const QString& path, const std::vector<std::pair<int, int>>& sizes, const std::vector<int>& delays)
{
    TGIFImage gif;
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        auto frame = std::make_unique<TGIFSubImage>(&gif);
        frame->SetBounds(0, 0, sizes[i].first, sizes[i].second);
        frame->ColorMap().Add(clRed);
        frame->ColorMap().Add(i % 2 == 0 ? clBlue : clLime);
        for (auto& pixel : frame->Data())
            pixel = std::uint8_t(1);
        auto control = std::make_unique<TGIFGraphicControlExtension>(frame.get());
        control->SetDelay(std::uint16_t(delays[i]));
        frame->Extensions().Add(std::move(control));
        gif.Add(std::move(frame));
    }
    FileStream stream(path.toStdString(), FileStream::Mode::Write);
    gif.SaveToStream(stream);
    stream.commit();
    return path;
}

TEST_F(AnimationAssemblyTest, OpeningAGIFKeepsItsDelaysAndSkipsSmallerImages)
{
    addFrame(clRed); // replaced by the opened file
    chosenFile_ = writeGIF(dir_.filePath("open.gif"), {{8, 6}, {8, 6}, {4, 3}, {8, 6}}, {0, 500, 20, 7});
    window_->Open2->trigger();
    ASSERT_TRUE(messages_.isEmpty()) << messages_.join("\n").toStdString();
    EXPECT_EQ(dialogFilters_, QStringList{"GIF Files (*.gif)"});
    EXPECT_EQ(window_->OpenDialog1InitialDir, dir_.path());
    ASSERT_EQ(window_->frameCount(), 3);
    EXPECT_EQ(window_->List->item(0)->text(), "Frame1=0");
    EXPECT_EQ(window_->List->item(1)->text(), "Frame2=500");
    EXPECT_EQ(window_->List->item(2)->text(), "Frame3=7");
    EXPECT_EQ(window_->FrameWidth, 8);
    EXPECT_EQ(window_->FrameHeight, 6);
    EXPECT_EQ(window_->FrameImage(2)->pos(), QPoint(26, 0));
    EXPECT_EQ(window_->FrameImage(1)->picture().pixel(2, 2), clLime);
}

TEST_F(AnimationAssemblyTest, AFileThatCannotBeOpenedLeavesTheFrames)
{
    addFrame(clRed);
    addFrame(clBlue);
    QFile damaged(dir_.filePath("damaged.gif"));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write("GIF89a\x10\x00");
    damaged.close();
    chosenFile_ = damaged.fileName();
    window_->Open2Click();
    EXPECT_EQ(messages_.size(), 1);
    EXPECT_EQ(window_->frameCount(), 2);
    EXPECT_EQ(window_->List->item(1)->text(), "Frame2=10");
}

TEST_F(AnimationAssemblyTest, AddingAGIFFileTakesItsFirstImageAtTheScreenSize)
{
    const QString path = writeGIF(dir_.filePath("first.gif"), {{8, 6}, {8, 6}}, {10, 10});
    window_->AddImageFile(path);
    ASSERT_EQ(window_->frameCount(), 1);
    EXPECT_EQ(window_->FrameWidth, 8);
    EXPECT_EQ(window_->FrameImage(0)->picture().pixel(3, 3), clBlue);
}

TEST_F(AnimationAssemblyTest, ReduceFrameAppliesTheStartUpChoice)
{
    Bitmap bitmap(30, 20, pf24bit);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 30; ++x)
            bitmap.setPixel(x, y, TColor(x * 8 | (y * 12) << 8 | 0x400000));
    reduce_->ReduceFrame(bitmap);
    EXPECT_EQ(DefaultReductionMethod, rdQuantizeWindows);
    EXPECT_EQ(DefaultReductionBits, 8);
    EXPECT_EQ(DefaultDitherMethod, dtFloydSteinberg);
    EXPECT_EQ(ChosenPaletteMethod, rdQuantizeWindows);
    EXPECT_EQ(ChosenDitherMethod, dtFloydSteinberg);
    EXPECT_EQ(bitmap.pixelFormat(), pf8bit);
    EXPECT_EQ(bitmap.palette().count(), 256);
    EXPECT_EQ(bitmap.width(), 30);

    // A frame of 256 colours or fewer keeps its colours; a true-colour one takes the new choice.
    Bitmap photo(30, 20, pf24bit);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 30; ++x)
            photo.setPixel(x, y, TColor(x * 8 | (y * 12) << 8 | 0x400000));
    reduce_->MenuPaletteMonochrome->trigger();
    reduce_->ReduceFrame(photo);
    EXPECT_EQ(ChosenPaletteMethod, rdMonochrome);
    EXPECT_EQ(DefaultReductionMethod, rdMonochrome);
    for (int x = 0; x < 30; ++x) {
        const TColor c = photo.pixel(x, 10);
        EXPECT_TRUE(c == clBlack || c == clWhite) << std::hex << c;
    }
}

TEST_F(AnimationAssemblyTest, ConvertShowsTheSizeOfTheGIF)
{
    Bitmap bitmap(100, 100, pf24bit);
    bitmap.fill(clRed);
    reduce_->setSourcePicture(bitmap);
    reduce_->ButtonConvertClick();
    ASSERT_TRUE(reduce_->convertedPicture().has_value());
    TGIFImage gif;
    gif.Add(bitmap);
    MemoryStream stream;
    gif.SaveToStream(stream);
    EXPECT_EQ(reduce_->sizecap->text(), QStringLiteral("Size= %1 bytes").arg(stream.size()));
    EXPECT_TRUE(reduce_->ButtonConvert->isEnabled());
    EXPECT_EQ(reduce_->ProgressBar->value(), 0);
}

} // namespace
