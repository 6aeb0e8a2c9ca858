#include "color/reduce_to_palette.h"
#include "color/window/painter_reduce_window.h"
#include "platform/bitmap.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

// The process-wide reduction defaults, restored after each test.
class ReduceWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(qobject_cast<QApplication*>(QCoreApplication::instance()), nullptr);
        window_ = std::make_unique<TPainterReduceF>();
        window_->message = [this](const QString& text) { messages_ << text; };
    }
    void TearDown() override
    {
        DefaultReductionMethod = method_;
        DefaultReductionBits = bits_;
        DefaultDitherMethod = dither_;
        ChosenPaletteMethod = chosenPalette_;
        ChosenDitherMethod = chosenDither_;
    }

    std::unique_ptr<TPainterReduceF> window_;
    QStringList messages_;
    TReductionMethod method_ = DefaultReductionMethod;
    int bits_ = DefaultReductionBits;
    TDitherMethod dither_ = DefaultDitherMethod;
    TReductionMethod chosenPalette_ = ChosenPaletteMethod;
    TDitherMethod chosenDither_ = ChosenDitherMethod;
};

QStringList captions(const QMenu* menu)
{
    QStringList result;
    for (const QAction* action : menu->actions())
        if (!action->isSeparator())
            result << action->text();
    return result;
}

TEST_F(ReduceWindowTest, StartUpStateOfTheMenusAndTheWindow)
{
    EXPECT_EQ(window_->objectName(), "PainterReduceF");
    EXPECT_EQ(window_->windowTitle(), "GIF Optimizer");
    EXPECT_FALSE(window_->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(window_->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(window_->MenuPalette->title(), "&Palette");
    EXPECT_EQ(captions(window_->MenuPalette),
              (QStringList{"&None", "&Windows system (20 colors)", "W&indows halftone (256 colors)",
                           "W&in&dows grayscale (4 colors)", "&Monochrome (black/white)", "&Grayscale (256 shades)",
                           "N&etscape (216 colors)", "&Optimized (256 colors)", "&Optimized Windows (256 colors)"}));
    EXPECT_EQ(captions(window_->MenuPaletteOptimizedMenu),
              (QStringList{"8 colors", "16 colors", "32 colors", "64 colors", "128 colors", "256 colors"}));
    EXPECT_EQ(window_->MenuDithering->title(), "&Dithering");
    EXPECT_EQ(captions(window_->MenuDithering), (QStringList{"&Floyd Steinberg", "&Nearest color", "Stucki", "Burkes",
                                                             "Sierra", "JaJuNi", "SteveArche"}));

    // Exactly one item of each radio group is checked.
    auto checked = [](const QMenu* menu) {
        QStringList result;
        for (const QAction* action : menu->actions())
            if (action->isChecked())
                result << action->objectName();
        return result;
    };
    EXPECT_EQ(checked(window_->MenuPalette), QStringList{"MenuPaletteOptimizedWindows256"});
    EXPECT_EQ(checked(window_->MenuPaletteOptimizedMenu), QStringList{"MenuPaletteOptimized256"});
    EXPECT_EQ(checked(window_->MenuDithering), QStringList{"MenuDitheringFloydSteinberg"});
    EXPECT_EQ(window_->MenuPaletteOptimized8->data().toInt(), 3);
    EXPECT_EQ(window_->MenuPaletteOptimized128->data().toInt(), 7);

    EXPECT_EQ(window_->sizecap->text(), "size=");
    EXPECT_EQ(window_->ButtonConvert->text(), "Convert");
    EXPECT_EQ(window_->ProgressBar->minimum(), 0);
    EXPECT_EQ(window_->ProgressBar->maximum(), 100);
    window_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    window_->resize(613, 331);
    QCoreApplication::processEvents();
    ASSERT_EQ(window_->width(), 613);
    EXPECT_EQ(window_->PanelSource->width(), 306); // half the width, rounded toward zero
}

TEST_F(ReduceWindowTest, RadioGroupsAndTheBitsOfTheOptimizedPalette)
{
    DefaultReductionBits = 8;
    window_->MenuPaletteOptimized16->trigger();
    EXPECT_EQ(DefaultReductionBits, 4);
    EXPECT_TRUE(window_->MenuPaletteOptimized16->isChecked());
    EXPECT_FALSE(window_->MenuPaletteOptimized256->isChecked());
    window_->MenuPaletteMonochrome->trigger();
    EXPECT_TRUE(window_->MenuPaletteMonochrome->isChecked());
    EXPECT_FALSE(window_->MenuPaletteOptimizedWindows256->isChecked());
    EXPECT_EQ(DefaultReductionBits, 4); // the bits stay

    // Opening the Optimized submenu checks its item.
    emit window_->MenuPaletteOptimizedMenu->aboutToShow();
    EXPECT_TRUE(window_->MenuPaletteOptimized->isChecked());
    EXPECT_FALSE(window_->MenuPaletteMonochrome->isChecked());

    // The halftone item never shows the palette display notice here.
    window_->MenuPaletteWindows256->trigger();
    EXPECT_TRUE(window_->MenuPaletteWindows256->isChecked());
    EXPECT_TRUE(messages_.isEmpty());

    window_->MenuDitheringSierra->trigger();
    EXPECT_TRUE(window_->MenuDitheringSierra->isChecked());
    EXPECT_FALSE(window_->MenuDitheringFloydSteinberg->isChecked());
}

TEST_F(ReduceWindowTest, ConvertWithoutAPictureOnlySaysSo)
{
    window_->ButtonConvertClick();
    EXPECT_EQ(messages_, QStringList{"No bitmap to convert!"});
    EXPECT_EQ(window_->sizecap->text(), "size=");
    EXPECT_TRUE(window_->ButtonConvert->isEnabled());
}

} // namespace
