// A person's session with the program's windows: pictures added from the "Files" page, the
// reduction window opened on a frame, the animation created, played, saved and reopened. With ZOETRA_SCREENSHOT_DIR set, pictures of the windows
// are saved there (run under Xvfb for the documentation's screenshots).

#include "app/application.h"
#include "color/window/painter_reduce_window.h"
#include "editor/controls/tab_bar.h"
#include "editor/frame_list_box.h"
#include "editor/frame_picture.h"
#include "editor/preview_image.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QListView>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

void saveScreenshot(QWidget* window, const char* name)
{
    const QString dir = qEnvironmentVariable("ZOETRA_SCREENSHOT_DIR");
    if (dir.isEmpty())
        return;
    QCoreApplication::processEvents();
    QTest::qWait(300);
    EXPECT_TRUE(window->grab().save(QDir(dir).filePath(QString::fromLatin1(name)))) << name;
}

// Sample photos as the picture files a person adds (BMP and JPEG copies of the PNG photos).
QStringList writeSamplePictures(const QString& folder)
{
    const char* const photos[][2] = {
        {"hat.png", "1-hat.bmp"}, {"bricks-color.png", "2-bricks.jpg"}, {"hibiscus.regular.png", "3-hibiscus.bmp"}};
    QStringList files;
    for (const auto& photo : photos) {
        QImage image(QDir(QStringLiteral(ZOETRA_SAMPLE_DIR)).filePath(QString::fromLatin1(photo[0])));
        if (image.isNull())
            return {};
        const QString file = QDir(folder).filePath(QString::fromLatin1(photo[1]));
        if (!image.convertToFormat(QImage::Format_RGB888).save(file))
            return {};
        files << file;
    }
    return files;
}

TEST(PersonsSession, AddsPicturesCreatesSavesAndReopensTheAnimation)
{
    ASSERT_NE(qobject_cast<QApplication*>(QCoreApplication::instance()), nullptr);
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString pictures = dir.filePath("pictures");
    ASSERT_TRUE(QDir().mkpath(pictures));
    const QStringList files = writeSamplePictures(pictures);
    ASSERT_EQ(files.size(), 3);

    TZoetraF::Hooks hooks;
    QStringList messages;
    hooks.message = [&](const QString&, const QString& text) { messages << text; };
    QString chosenFile;
    hooks.chooseFile = [&](QFileDialog*) { return chosenFile; };
    auto windows = createZoetraWindows(dir.filePath("zoetra.ini"), hooks);
    TZoetraF& main = *windows->ZoetraF;
    main.resize(760, 520);
    main.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));

    main.setDirboxDirectory(pictures);
    auto* model = qobject_cast<QFileSystemModel*>(main.Files->model());
    ASSERT_NE(model, nullptr);
    const QModelIndex root = main.Files->rootIndex();
    for (int i = 0; i < 100 && model->rowCount(root) < 3; ++i)
        QTest::qWait(50);
    ASSERT_EQ(model->rowCount(root), 3);
    model->sort(0);

    // Double-clicking each file adds it as a frame.
    for (int row = 0; row < 3; ++row) {
        const QModelIndex index = model->index(row, 0, root);
        const QPoint at = main.Files->visualRect(index).center();
        QTest::mouseClick(main.Files->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(main.Files->viewport(), Qt::LeftButton, {}, at);
    }
    ASSERT_TRUE(messages.isEmpty()) << messages.join("\n").toStdString();
    ASSERT_EQ(main.frameCount(), 3);
    EXPECT_EQ(main.List->item(0)->text(), "Frame1=10");
    EXPECT_EQ(main.List->item(2)->text(), "Frame3=10");
    const TFramePicture* first = main.FrameImage(0);
    ASSERT_NE(first, nullptr);
    const QImage hat(QDir(QStringLiteral(ZOETRA_SAMPLE_DIR)).filePath("hat.png"));
    EXPECT_EQ(main.FrameWidth, hat.width());
    EXPECT_EQ(main.FrameHeight, hat.height());
    for (int i = 1; i < 3; ++i) {
        EXPECT_EQ(main.FrameImage(i)->picture().width(), main.FrameWidth);
        EXPECT_EQ(main.FrameImage(i)->pos(), QPoint(i * (main.FrameWidth + 5), 0));
    }

    // The frames page shows the lines; a click on the second picture makes it current.
    main.velTabBar1->setActiveSection(main.velTabSection1);
    QTest::mouseClick(main.FrameImage(1), Qt::LeftButton, {}, QPoint(4, 4));
    EXPECT_EQ(main.List->currentRow(), 1);
    EXPECT_EQ(main.FramePointer->text(), "Frame2=10");
    EXPECT_TRUE(main.FramePointer->isVisible());
    saveScreenshot(&main, "main-window-frames.png");

    // The reduction window on the second frame.
    TPainterReduceF& reduce = *windows->PainterReduceF;
    reduce.setSourcePicture(main.FrameImage(1)->picture());
    reduce.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&reduce));
    EXPECT_FALSE(reduce.ImageBitmap->pixmap().isNull());
    reduce.ButtonConvertClick();
    EXPECT_TRUE(reduce.sizecap->text().startsWith("Size= "));
    saveScreenshot(&reduce, "reduction-window.png");
    reduce.close();

    // "Animate": the preview plays and the size shows; the animation is saved and reopened.
    QTest::mouseClick(main.btnanimate, Qt::LeftButton);
    ASSERT_TRUE(messages.isEmpty()) << messages.join("\n").toStdString();
    EXPECT_EQ(main.previewState(), PreviewState::Animating);
    EXPECT_GT(main.anisize->text().toLongLong(), 0);
    EXPECT_TRUE(main.ImageAnimate->hasPicture());
    QTest::qWait(400);
    saveScreenshot(&main, "main-window-preview.png");

    chosenFile = dir.filePath("session.gif");
    QTest::mouseClick(main.btnsaveani, Qt::LeftButton);
    ASSERT_TRUE(QFileInfo(chosenFile).isFile()) << messages.join("\n").toStdString();
    EXPECT_EQ(QFileInfo(chosenFile).size(), main.anisize->text().toLongLong());

    QTest::mouseClick(main.btnopen, Qt::LeftButton);
    ASSERT_TRUE(messages.isEmpty()) << messages.join("\n").toStdString();
    ASSERT_EQ(main.frameCount(), 3);
    EXPECT_EQ(main.List->item(0)->text(), "Frame1=10");
    EXPECT_EQ(main.FrameImage(2)->picture().width(), main.FrameWidth);
    EXPECT_EQ(main.previewState(), PreviewState::Animating); // the preview keeps what it showed
}

} // namespace
