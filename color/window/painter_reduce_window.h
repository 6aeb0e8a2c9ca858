#pragma once
// TPainterReduceF, "GIF Optimizer": the palette and dithering every frame is reduced with. The
// choice is the checked state of the window's menus; ReduceFrame applies it. The window also
// converts one frame to show the result and the size of the GIF it makes.

#include "color/reduction_types.h"
#include "platform/bitmap.h"
#include "platform/graphic.h"

#include <QDialog>

#include <optional>

class QAction;
class QActionGroup;
class QLabel;
class QMenu;
class QMenuBar;
class QProgressBar;
class QPushButton;
class QScrollArea;
class QWidget;

// What ReduceFrame last applied (rdNone and dtNearest until it first runs).
extern TReductionMethod ChosenPaletteMethod;
extern TDitherMethod ChosenDitherMethod;

class TPainterReduceF : public QDialog {
    Q_OBJECT
public:
    explicit TPainterReduceF(QWidget* parent = nullptr);
    ~TPainterReduceF() override;

    // Replaces bitmap's picture by its reduced version, with the menus' choice (which becomes
    // the process-wide default and the chosen method).
    void ReduceFrame(Bitmap& bitmap);

    // The picture to convert (the main window draws the frame here before showing the window);
    // an empty optional: none.
    void setSourcePicture(std::optional<Bitmap> picture);
    const std::optional<Bitmap>& sourcePicture() const { return source_; }
    const std::optional<Bitmap>& convertedPicture() const { return converted_; }

    // Shows an information message; replaceable for tests.
    std::function<void(const QString& text)> message;

    QMenuBar* MainMenu = nullptr;
    QMenu* MenuPalette = nullptr;
    QAction* MenuPaletteNone = nullptr;
    QAction* MenuPaletteWindows20 = nullptr;
    QAction* MenuPaletteWindows256 = nullptr;
    QAction* MenuPaletteWindowsGray4 = nullptr;
    QAction* MenuPaletteMonochrome = nullptr;
    QAction* MenuPaletteGrayScale256 = nullptr;
    QAction* MenuPaletteNetscape216 = nullptr;
    QMenu* MenuPaletteOptimizedMenu = nullptr;
    QAction* MenuPaletteOptimized = nullptr; // the submenu's own item
    QAction* MenuPaletteOptimized8 = nullptr;
    QAction* MenuPaletteOptimized16 = nullptr;
    QAction* MenuPaletteOptimized32 = nullptr;
    QAction* MenuPaletteOptimized64 = nullptr;
    QAction* MenuPaletteOptimized128 = nullptr;
    QAction* MenuPaletteOptimized256 = nullptr;
    QAction* MenuPaletteOptimizedWindows256 = nullptr;
    QMenu* MenuDithering = nullptr;
    QAction* MenuDitheringFloydSteinberg = nullptr;
    QAction* MenuDitheringNearest = nullptr;
    QAction* MenuDitheringStucki = nullptr;
    QAction* MenuDitheringBurkes = nullptr;
    QAction* MenuDitheringSierra = nullptr;
    QAction* MenuDitheringJaJuNi = nullptr;
    QAction* MenuDitheringSteveArche = nullptr;

    QWidget* PanelSource = nullptr;
    QWidget* PanelDestination = nullptr;
    QLabel* ImageBitmap = nullptr;
    QLabel* ImageGIF = nullptr;
    QPushButton* BitBtn1 = nullptr; // OK
    QPushButton* BitBtn2 = nullptr; // Cancel
    QPushButton* ButtonConvert = nullptr;
    QLabel* sizecap = nullptr;
    QProgressBar* ProgressBar = nullptr;

public slots:
    void ButtonConvertClick();
    void MenuPaletteHalftoneClick();
    void MenuPaletteOptimizedBitsClick(QAction* item);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    // The menus' choice into the process-wide defaults; returns the palette and dither methods.
    void readSettings(TReductionMethod& method, TDitherMethod& dither);
    void ReduceProgress(ProgressStage stage, int percent);
    Graphic::ProgressEvent progressHandler();
    void showPicture(QLabel* image, const std::optional<Bitmap>& picture);

    QActionGroup* paletteGroup_ = nullptr;
    QActionGroup* bitsGroup_ = nullptr;
    QActionGroup* ditherGroup_ = nullptr;
    std::optional<Bitmap> source_;
    std::optional<Bitmap> converted_;
};
