#include "editor/assembly/frame_source.h"
#include "editor/frame_list_box.h"
#include "editor/frame_picture.h"
#include "editor/main_window.h"
#include "tests/support/scripted_main_window_test.h"
#include "platform/bitmap.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QStyleOptionViewItem>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <array>
#include <deque>
#include <memory>

namespace {

class FrameListTest : public ScriptedMainWindowTest {
protected:
    void SetUp() override
    {
        checkEnvironment();
        if (HasFatalFailure())
            return;
        window_ = std::make_unique<TZoetraF>(dir_.filePath("zoetra.ini"), scriptedHooks());
    }

    // A BMP file of one colour.
    QString writeBmp(const QString& name, int width, int height, TColor color)
    {
        Bitmap bitmap(width, height, pf24bit);
        bitmap.fill(color);
        const QString path = dir_.filePath(name);
        bitmap.saveToFile(path.toStdString());
        return path;
    }

    // Blank frames of w by h made through the new-frame prompts.
    void addBlankFrames(int count, int width = 30, int height = 20)
    {
        for (int i = 0; i < count; ++i) {
            if (window_->frameCount() == 0)
                answers_ = {QString::number(width), QString::number(height)};
            window_->goNewClick();
        }
    }

    QStringList lines() const
    {
        QStringList result;
        for (int i = 0; i < window_->List->count(); ++i)
            result << window_->List->item(i)->text();
        return result;
    }

    std::unique_ptr<TZoetraF> window_;
};

TEST(FitRectTest, FitsByThePicturesOrientation)
{
    struct Case {
        Rect frame;
        int w, h;
        Rect expected;
    };
    const Case cases[] = {
        // Taller than wide: full height, d = (100 - round(40 / 80 * 50)) div 2 = 37.
        {{0, 0, 100, 50}, 40, 80, {37, 0, 63, 50}},
        // Wider than tall: full width.
        {{0, 0, 100, 50}, 200, 50, {0, 12, 100, 38}},
        // A negative margin cuts top and bottom: (20 - 67) div 2 = -23, truncated toward zero.
        {{0, 0, 100, 20}, 60, 40, {0, -23, 100, 43}},
        // Square counts as "not wider": full height.
        {{0, 0, 100, 50}, 10, 10, {25, 0, 75, 50}},
        // round(2.5) is 2 (halves to even).
        {{0, 0, 5, 10}, 2, 1, {0, 4, 5, 6}},
        // The rectangle's offset is kept.
        {{10, 20, 110, 70}, 40, 80, {47, 20, 73, 70}},
    };
    for (const Case& c : cases) {
        const Rect r = FitRect(c.frame, c.w, c.h);
        EXPECT_EQ((std::array<int, 4>{r.left, r.top, r.right, r.bottom}),
                  (std::array<int, 4>{c.expected.left, c.expected.top, c.expected.right, c.expected.bottom}))
            << c.w << "x" << c.h;
    }
}

TEST(ListThumbnailTest, ThumbnailSizes)
{
    struct Case {
        int w, h, thumbWidth, thumbHeight;
    };
    // A line is 32 high; pictures not higher than 32 count as twice as wide as tall.
    const Case cases[] = {{16, 16, 60, 28}, {300, 100, 60, 28}, {100, 100, 28, 28}, {60, 100, 15, 28}};
    for (const Case& c : cases) {
        const Rect r = ListThumbnailRect(Rect{0, 64, 180, 96}, c.w, c.h);
        EXPECT_EQ(r.left, 2);
        EXPECT_EQ(r.top, 66);
        EXPECT_EQ(r.width(), c.thumbWidth) << c.w << "x" << c.h;
        EXPECT_EQ(r.height(), c.thumbHeight) << c.w << "x" << c.h;
    }
}

TEST_F(FrameListTest, AddedPicturesTakeTheFirstFramesSizeStretchedIntoFitRect)
{
    window_->AddImageFile(writeBmp("wide.bmp", 100, 50, clRed));
    window_->AddImageFile(writeBmp("tall.bmp", 40, 80, clBlue));
    ASSERT_EQ(window_->frameCount(), 2);
    EXPECT_EQ(window_->FrameWidth, 100);
    EXPECT_EQ(window_->FrameHeight, 50);
    EXPECT_EQ(lines(), (QStringList{"Frame1=10", "Frame2=10"}));
    EXPECT_EQ(window_->List->currentRow(), -1);
    EXPECT_TRUE(window_->List->selectedItems().isEmpty());

    const TFramePicture* second = window_->FrameImage(1);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->objectName(), "Frame2");
    EXPECT_EQ(second->geometry(), QRect(105, 0, 100, 50));
    const Bitmap& pixels = second->picture();
    ASSERT_EQ(pixels.width(), 100);
    ASSERT_EQ(pixels.height(), 50);
    for (int y : {0, 25, 49}) {
        EXPECT_EQ(pixels.pixel(36, y), clWhite);
        EXPECT_EQ(pixels.pixel(37, y), clBlue);
        EXPECT_EQ(pixels.pixel(62, y), clBlue);
        EXPECT_EQ(pixels.pixel(63, y), clWhite);
    }
}

TEST_F(FrameListTest, FilesThatCannotBeReadAddNoFrame)
{
    QFile damaged(dir_.filePath("damaged.bmp"));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write("BM this is not a bitmap");
    damaged.close();
    EXPECT_ANY_THROW(window_->AddImageFile(damaged.fileName()));
    EXPECT_ANY_THROW(window_->AddImageFile(dir_.filePath("missing.bmp")));
    window_->AddImageFile(dir_.filePath("notes.txt")); // no loader: nothing happens
    EXPECT_EQ(window_->frameCount(), 0);
    EXPECT_EQ(window_->FrameCounter, 1);
    EXPECT_EQ(window_->FrameWidth, 0);
}

TEST_F(FrameListTest, DeletingSelectedFramesKeepsNamesAndLaysOutTheRest)
{
    addBlankFrames(5, 30, 20);
    ASSERT_EQ(lines(), (QStringList{"Frame1=10", "Frame2=10", "Frame3=10", "Frame4=10", "Frame5=10"}));
    window_->DeselectAll();
    window_->List->item(1)->setSelected(true);
    window_->List->item(3)->setSelected(true);
    window_->Delete1Click();
    EXPECT_EQ(lines(), (QStringList{"Frame1=10", "Frame3=10", "Frame5=10"}));
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(window_->FrameImage(i)->pos(), QPoint(i * 35, 0)) << i;
    EXPECT_EQ(window_->FrameStrip->findChildren<TFramePicture*>().size(), 3);
    window_->List->setCurrentRow(2);
    window_->goNewClick();
    EXPECT_EQ(window_->frameName(3), "Frame6");
}

TEST_F(FrameListTest, NewBlankFramesAskForTheSizeOnlyForAnEmptyList)
{
    answers_ = {"30", "20"};
    window_->goNewClick();
    EXPECT_EQ(prompts_, (QStringList{"Zoetra Frames|Enter Width|120", "Zoetra Frames|Enter Height|60"}));
    ASSERT_EQ(window_->frameCount(), 1);
    const Bitmap& blank = window_->FrameImage(0)->picture();
    EXPECT_EQ(blank.width(), 30);
    EXPECT_EQ(blank.height(), 20);
    EXPECT_EQ(blank.pixel(29, 19), clWhite);
    EXPECT_EQ(window_->List->currentRow(), 0);

    prompts_.clear();
    window_->goNewClick();
    EXPECT_TRUE(prompts_.isEmpty());
    EXPECT_EQ(window_->List->currentRow(), 1); // inserted after the current frame, made current

    window_->ClearFrames();
    EXPECT_EQ(window_->frameCount(), 0);
    EXPECT_EQ(window_->FramePointer->pos(), QPoint(40, 80));
    EXPECT_EQ(window_->FrameWidth, 30); // the size survives until the next first frame
    answers_.clear();                   // cancelled boxes: their initial text
    window_->goNewClick();
    EXPECT_EQ(prompts_, (QStringList{"Zoetra Frames|Enter Width|30", "Zoetra Frames|Enter Height|20"}));
    EXPECT_EQ(lines(), (QStringList{"Frame1=10"}));
}

TEST_F(FrameListTest, RefusedFrameSizesEndTheCommand)
{
    struct Case {
        QString width, height;
        int frameWidth;
    };
    // A width already accepted stays.
    const Case cases[] = {{"abc", "20", 0}, {"50", "abc", 50}, {"0", "20", 0}, {"50", "-3", 50},
                          {"70000", "20", 0}, {"65535", "65535", 65535}};
    for (const Case& c : cases) {
        window_->FrameWidth = 0;
        answers_ = {c.width, c.height};
        window_->goNewClick();
        EXPECT_EQ(window_->frameCount(), 0) << c.width.toStdString() << " " << c.height.toStdString();
        EXPECT_EQ(window_->FrameWidth, c.frameWidth) << c.width.toStdString();
    }
    EXPECT_TRUE(messages_.isEmpty());
}

TEST_F(FrameListTest, DelayPrompts)
{
    addBlankFrames(1);
    window_->List->setCurrentRow(0);
    prompts_.clear();
    struct Case {
        QString answer;
        QString line;
        int delay;
    };
    const Case cases[] = {
        {"050", "Frame1=050", 50}, // stored as typed, read as a number
        {"300", "Frame1=050", 50}, // outside 10..255: unchanged
        {"9", "Frame1=050", 50},
        {"255", "Frame1=255", 255},
        {"soon", "Frame1=soon", 30}, // no integer counts as 30, which is in range
    };
    for (const Case& c : cases) {
        answers_ = {c.answer};
        window_->Delay1Click();
        EXPECT_EQ(window_->List->item(0)->text(), c.line) << c.answer.toStdString();
        EXPECT_EQ(window_->GetFrameDelay(0), c.delay) << c.answer.toStdString();
        EXPECT_EQ(window_->FramePointer->text(), c.line);
    }
    EXPECT_EQ(prompts_.front().toStdString(), "Zoetra Frame Delays|Enter Delay (10..255)|10");

    const std::pair<QString, int> defaults[] = {{"5", 10}, {"300", 255}, {"abc", 10}, {"42", 42}};
    for (const auto& [answer, expected] : defaults) {
        answers_ = {answer};
        window_->FrameDelay1Click();
        EXPECT_EQ(window_->DefaultDelay, expected) << answer.toStdString();
    }
    EXPECT_EQ(prompts_.back().toStdString(), "Zoetra Transitions|Enter Default Frame Delay (10..255):|10");
    EXPECT_EQ(window_->List->item(0)->text(), "Frame1=soon"); // existing frames keep theirs
    window_->goNewClick();
    EXPECT_EQ(window_->List->item(1)->text(), "Frame2=42");
}

TEST_F(FrameListTest, DuplicateCopiesPixelsWithTheDefaultsAndKeepsTheCurrentFrame)
{
    window_->AddImageFile(writeBmp("a.bmp", 20, 10, clRed));
    window_->AddImageFile(writeBmp("b.bmp", 20, 10, clBlue));
    window_->List->setCurrentRow(0);
    answers_ = {"77"};
    window_->Delay1Click();
    window_->DefTrans->setChecked(true);
    window_->DuplicateFrame();
    EXPECT_EQ(lines(), (QStringList{"Frame1=77", "Frame3=10", "Frame2=10"}));
    EXPECT_EQ(window_->List->currentRow(), 0);
    EXPECT_EQ(window_->FrameImage(1)->picture().pixel(5, 5), clRed);
    EXPECT_TRUE(window_->FrameImage(1)->isTransparent());
    EXPECT_FALSE(window_->FrameImage(0)->isTransparent());
    EXPECT_EQ(window_->FrameImage(2)->pos(), QPoint(50, 0));
}

TEST_F(FrameListTest, ClickingAFramePictureMakesItTheOnlySelectedCurrentFrame)
{
    addBlankFrames(3, 60, 20);
    window_->List->item(0)->setSelected(true);
    window_->List->item(2)->setSelected(true);
    window_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    QTest::mouseClick(window_->FrameImage(1), Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_EQ(window_->List->currentRow(), 1);
    ASSERT_EQ(window_->List->selectedItems().size(), 1);
    EXPECT_EQ(window_->List->selectedItems().front()->text(), "Frame2=10");
    EXPECT_EQ(window_->FramePointer->text(), "Frame2=10");
    EXPECT_EQ(window_->FramePointer->x(), 65 + 30 - window_->FramePointer->width() / 2);
    EXPECT_EQ(window_->FramePointer->y(), 80);
}

TEST_F(FrameListTest, DroppingMovesTheCurrentLineAndLaysOutTheStrip)
{
    addBlankFrames(4);
    window_->List->setCurrentRow(0);
    window_->ListDragDrop(2);
    EXPECT_EQ(lines(), (QStringList{"Frame2=10", "Frame3=10", "Frame1=10", "Frame4=10"}));
    EXPECT_EQ(window_->FrameStrip->findChild<TFramePicture*>("Frame1")->pos(), QPoint(70, 0));
    EXPECT_EQ(window_->FrameStrip->findChild<TFramePicture*>("Frame2")->pos(), QPoint(0, 0));
    window_->ListDragDrop(9); // no line there
    EXPECT_EQ(lines(), (QStringList{"Frame2=10", "Frame3=10", "Frame1=10", "Frame4=10"}));
}

TEST_F(FrameListTest, TransparencyFlagsFollowTheDefaultAndThePopup)
{
    addBlankFrames(1);
    window_->DefTrans->trigger(); // checks itself
    EXPECT_TRUE(window_->DefTrans->isChecked());
    EXPECT_FALSE(window_->FrameImage(0)->isTransparent()); // existing frames keep theirs
    window_->goNewClick();
    TFramePicture* second = window_->FrameImage(1);
    EXPECT_TRUE(second->isTransparent());
    EXPECT_TRUE(second->picture().transparent());

    window_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    emit second->contextMenu(second, second->mapToGlobal(QPoint(2, 2)));
    EXPECT_TRUE(window_->Transparent1->isChecked());
    window_->framepop->hide();
    window_->Transparent1->trigger();
    EXPECT_FALSE(second->isTransparent());

    TFramePicture* first = window_->FrameImage(0);
    emit first->contextMenu(first, first->mapToGlobal(QPoint(2, 2)));
    EXPECT_FALSE(window_->Transparent1->isChecked());
    window_->framepop->hide();
    window_->Transparent1->trigger();
    EXPECT_TRUE(first->isTransparent());
    EXPECT_FALSE(second->isTransparent());
}

TEST_F(FrameListTest, InsertedWorkFramesRunInOrderAfterTheCurrentOneSelected)
{
    addBlankFrames(2, 10, 10);
    window_->List->setCurrentRow(0);
    window_->DeselectAll();
    for (TColor color : {clRed, clBlue}) {
        window_->ClearWorkBitmap();
        window_->WorkBitmap->fill(color);
        window_->InsertWorkFrame();
    }
    EXPECT_EQ(lines(), (QStringList{"Frame1=10", "Frame3=10", "Frame4=10", "Frame2=10"}));
    EXPECT_EQ(window_->List->currentRow(), 2);
    EXPECT_EQ(window_->List->selectedItems().size(), 2);
    EXPECT_EQ(window_->FrameImage(1)->picture().pixel(0, 0), clRed);
    EXPECT_EQ(window_->FrameImage(2)->picture().pixel(9, 9), clBlue);
    EXPECT_EQ(window_->FrameImage(3)->pos(), QPoint(45, 0));

    window_->GetWorkBitmap(1);
    EXPECT_EQ(window_->WorkBitmap->width(), 10);
    EXPECT_EQ(window_->WorkBitmap->pixel(4, 4), clRed);
}

TEST_F(FrameListTest, ListLinesDrawThumbnailAndText)
{
    window_->AddImageFile(writeBmp("red.bmp", 300, 100, clRed));
    window_->List->resize(180, 100);
    QImage image(180, 32, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        QStyleOptionViewItem option;
        option.initFrom(window_->List);
        option.rect = QRect(0, 0, 180, 32);
        option.state &= ~QStyle::State_Selected;
        window_->List->itemDelegate()->paint(&painter, option, window_->List->model()->index(0, 0));
    }
    EXPECT_EQ(image.pixel(2, 2), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(61, 29), qRgb(255, 0, 0));
    EXPECT_NE(image.pixel(62, 16), qRgb(255, 0, 0));
    EXPECT_NE(image.pixel(30, 30), qRgb(255, 0, 0));
    bool textDrawn = false; // the text starts at x = 68
    for (int y = 0; y < 32 && !textDrawn; ++y)
        for (int x = 68; x < 180 && !textDrawn; ++x)
            textDrawn = qGray(image.pixel(x, y)) < 128;
    EXPECT_TRUE(textDrawn);
}

} // namespace
