#include "color/window/painter_reduce_window.h"

#include "editor/assembly/frame_reduction.h"
#include "editor/assembly/gif_operations.h"
#include "gif/gif_image.h"
#include "platform/stream.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QResizeEvent>
#include <QScrollArea>
#include <QVBoxLayout>

#include <algorithm>

TReductionMethod ChosenPaletteMethod = rdNone;
TDitherMethod ChosenDitherMethod = dtNearest;

namespace {

QAction* addRadioItem(QMenu* menu, QActionGroup* group, const char* name, const QString& caption)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    action->setCheckable(true);
    group->addAction(action);
    return action;
}

// A titled panel with a scroll box holding a centred picture.
QWidget* makePicturePanel(QWidget* parent, const char* name, const QString& title, const char* imageName,
                          QLabel*& image)
{
    auto* panel = new QWidget(parent);
    panel->setObjectName(QString::fromLatin1(name));
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(2, 2, 2, 2);
    auto* caption = new QLabel(title, panel);
    caption->setAlignment(Qt::AlignCenter);
    layout->addWidget(caption);
    auto* scroll = new QScrollArea(panel);
    scroll->setAlignment(Qt::AlignCenter);
    image = new QLabel;
    image->setObjectName(QString::fromLatin1(imageName));
    image->setAlignment(Qt::AlignCenter);
    scroll->setWidget(image);
    scroll->setWidgetResizable(true);
    layout->addWidget(scroll, 1);
    return panel;
}

} // namespace

TPainterReduceF::TPainterReduceF(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setObjectName("PainterReduceF");
    setWindowTitle("GIF Optimizer");
    setSizeGripEnabled(true);
    message = [this](const QString& text) { QMessageBox::information(this, windowTitle(), text); };

    MainMenu = new QMenuBar(this);
    MainMenu->setObjectName("MainMenu");
    MenuPalette = MainMenu->addMenu("&Palette");
    MenuPalette->setObjectName("MenuPalette");
    paletteGroup_ = new QActionGroup(this);
    paletteGroup_->setExclusive(true);
    MenuPaletteNone = addRadioItem(MenuPalette, paletteGroup_, "MenuPaletteNone", "&None");
    MenuPaletteWindows20 =
        addRadioItem(MenuPalette, paletteGroup_, "MenuPaletteWindows20", "&Windows system (20 colors)");
    MenuPaletteWindows256 =
        addRadioItem(MenuPalette, paletteGroup_, "MenuPaletteWindows256", "W&indows halftone (256 colors)");
    MenuPaletteWindowsGray4 =
        addRadioItem(MenuPalette, paletteGroup_, "MenuPaletteWindowsGray4", "W&in&dows grayscale (4 colors)");
    MenuPaletteMonochrome =
        addRadioItem(MenuPalette, paletteGroup_, "MenuPaletteMonochrome", "&Monochrome (black/white)");
    MenuPaletteGrayScale256 =
        addRadioItem(MenuPalette, paletteGroup_, "MenuPaletteGrayScale256", "&Grayscale (256 shades)");
    MenuPaletteNetscape216 =
        addRadioItem(MenuPalette, paletteGroup_, "MenuPaletteNetscape216", "N&etscape (216 colors)");
    MenuPaletteOptimizedMenu = MenuPalette->addMenu("&Optimized (256 colors)");
    MenuPaletteOptimizedMenu->setObjectName("MenuPaletteOptimizedMenu");
    MenuPaletteOptimized = MenuPaletteOptimizedMenu->menuAction();
    MenuPaletteOptimized->setObjectName("MenuPaletteOptimized");
    MenuPaletteOptimized->setCheckable(true);
    paletteGroup_->addAction(MenuPaletteOptimized);
    bitsGroup_ = new QActionGroup(this);
    bitsGroup_->setExclusive(true);
    const struct {
        const char* name;
        const char* caption;
        int bits;
        QAction** item;
    } bitsItems[] = {
        {"MenuPaletteOptimized8", "8 colors", 3, &MenuPaletteOptimized8},
        {"MenuPaletteOptimized16", "16 colors", 4, &MenuPaletteOptimized16},
        {"MenuPaletteOptimized32", "32 colors", 5, &MenuPaletteOptimized32},
        {"MenuPaletteOptimized64", "64 colors", 6, &MenuPaletteOptimized64},
        {"MenuPaletteOptimized128", "128 colors", 7, &MenuPaletteOptimized128},
        {"MenuPaletteOptimized256", "256 colors", 8, &MenuPaletteOptimized256},
    };
    for (const auto& entry : bitsItems) {
        *entry.item = addRadioItem(MenuPaletteOptimizedMenu, bitsGroup_, entry.name, entry.caption);
        (*entry.item)->setData(entry.bits); // the tag: reduction bits
    }
    MenuPaletteOptimizedWindows256 = addRadioItem(MenuPalette, paletteGroup_, "MenuPaletteOptimizedWindows256",
                                                  "&Optimized Windows (256 colors)");
    MenuPaletteOptimizedWindows256->setChecked(true);
    MenuPaletteOptimized256->setChecked(true);
    // The platform calls the palette item's handler when its submenu opens, which checks it.
    connect(MenuPaletteOptimizedMenu, &QMenu::aboutToShow, this, [this] { MenuPaletteOptimized->setChecked(true); });
    connect(bitsGroup_, &QActionGroup::triggered, this, &TPainterReduceF::MenuPaletteOptimizedBitsClick);
    connect(MenuPaletteWindows256, &QAction::triggered, this, &TPainterReduceF::MenuPaletteHalftoneClick);

    MenuDithering = MainMenu->addMenu("&Dithering");
    MenuDithering->setObjectName("MenuDithering");
    ditherGroup_ = new QActionGroup(this);
    ditherGroup_->setExclusive(true);
    MenuDitheringFloydSteinberg =
        addRadioItem(MenuDithering, ditherGroup_, "MenuDitheringFloydSteinberg", "&Floyd Steinberg");
    MenuDitheringNearest = addRadioItem(MenuDithering, ditherGroup_, "MenuDitheringNearest", "&Nearest color");
    MenuDitheringStucki = addRadioItem(MenuDithering, ditherGroup_, "MenuDitheringStucki", "Stucki");
    MenuDitheringBurkes = addRadioItem(MenuDithering, ditherGroup_, "MenuDitheringBurkes", "Burkes");
    MenuDitheringSierra = addRadioItem(MenuDithering, ditherGroup_, "MenuDitheringSierra", "Sierra");
    MenuDitheringJaJuNi = addRadioItem(MenuDithering, ditherGroup_, "MenuDitheringJaJuNi", "JaJuNi");
    MenuDitheringSteveArche = addRadioItem(MenuDithering, ditherGroup_, "MenuDitheringSteveArche", "SteveArche");
    MenuDitheringFloydSteinberg->setChecked(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setMenuBar(MainMenu);

    auto* pictures = new QHBoxLayout;
    pictures->setSpacing(0);
    PanelSource = makePicturePanel(this, "PanelSource", "Bitmap", "ImageBitmap", ImageBitmap);
    PanelDestination = makePicturePanel(this, "PanelDestination", "GIF <= 256 colors", "ImageGIF", ImageGIF);
    pictures->addWidget(PanelSource);
    pictures->addWidget(PanelDestination, 1);
    layout->addLayout(pictures, 1);

    auto* bottom = new QWidget(this);
    bottom->setObjectName("PanelBottom");
    auto* bottomLayout = new QHBoxLayout(bottom);
    bottomLayout->setContentsMargins(6, 4, 6, 4);
    BitBtn1 = new QPushButton("OK", bottom);
    BitBtn1->setObjectName("BitBtn1");
    BitBtn2 = new QPushButton("Cancel", bottom);
    BitBtn2->setObjectName("BitBtn2");
    ButtonConvert = new QPushButton("Convert", bottom);
    ButtonConvert->setObjectName("ButtonConvert");
    ButtonConvert->setFlat(true);
    sizecap = new QLabel("size=", bottom);
    sizecap->setObjectName("sizecap");
    bottomLayout->addWidget(BitBtn1);
    bottomLayout->addWidget(BitBtn2);
    bottomLayout->addWidget(ButtonConvert);
    bottomLayout->addWidget(sizecap, 1);
    layout->addWidget(bottom);

    ProgressBar = new QProgressBar(this);
    ProgressBar->setObjectName("ProgressBar");
    ProgressBar->setRange(0, 100);
    ProgressBar->setValue(0);
    ProgressBar->setTextVisible(false);
    ProgressBar->setMaximumHeight(12);
    layout->addWidget(ProgressBar);

    // OK and Cancel both only close the window; the menus' choice stays either way.
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
    connect(ButtonConvert, &QPushButton::clicked, this, &TPainterReduceF::ButtonConvertClick);

    resize(612, 331);
}

TPainterReduceF::~TPainterReduceF() = default;

void TPainterReduceF::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    PanelSource->setFixedWidth(width() / 2);
}

void TPainterReduceF::readSettings(TReductionMethod& method, TDitherMethod& dither)
{
    // The first checked item wins, in this order.
    const std::pair<QAction*, TReductionMethod> palettes[] = {
        {MenuPaletteNetscape216, rdWebPalette},     {MenuPaletteMonochrome, rdMonochrome},
        {MenuPaletteGrayScale256, rdGrayScale},     {MenuPaletteWindowsGray4, rdWindowsGray},
        {MenuPaletteWindows20, rdWindows20},        {MenuPaletteWindows256, rdWindows256},
        {MenuPaletteOptimized, rdQuantize},         {MenuPaletteOptimizedWindows256, rdQuantizeWindows},
    };
    method = rdNone;
    for (const auto& [item, value] : palettes)
        if (item->isChecked()) {
            method = value;
            break;
        }
    DefaultReductionMethod = method;

    const std::pair<QAction*, TDitherMethod> dithers[] = {
        {MenuDitheringFloydSteinberg, dtFloydSteinberg}, {MenuDitheringStucki, dtStucki},
        {MenuDitheringSierra, dtSierra},                 {MenuDitheringJaJuNi, dtJaJuNi},
        {MenuDitheringSteveArche, dtSteveArche},         {MenuDitheringBurkes, dtBurkes},
        {MenuDitheringNearest, dtNearest},
    };
    dither = DefaultDitherMethod; // kept when nothing is checked
    for (const auto& [item, value] : dithers)
        if (item->isChecked()) {
            dither = value;
            break;
        }
    DefaultDitherMethod = dither;
}

void TPainterReduceF::ReduceFrame(Bitmap& bitmap)
{
    TReductionMethod method;
    TDitherMethod dither;
    readSettings(method, dither);
    ChosenPaletteMethod = method;
    ChosenDitherMethod = dither;
    reduceFrameBitmap(bitmap, progressHandler());
}

void TPainterReduceF::setSourcePicture(std::optional<Bitmap> picture)
{
    source_ = std::move(picture);
    showPicture(ImageBitmap, source_);
}

void TPainterReduceF::showPicture(QLabel* image, const std::optional<Bitmap>& picture)
{
    if (!picture || picture->empty()) {
        image->clear();
        return;
    }
    image->setPixmap(QPixmap::fromImage(picture->toQImage().copy()));
}

void TPainterReduceF::ButtonConvertClick()
{
    if (!source_ || source_->empty()) {
        message("No bitmap to convert!");
        return;
    }
    ButtonConvert->setEnabled(false);
    struct Reenable {
        QPushButton* button;
        ~Reenable() { button->setEnabled(true); }
    } reenable{ButtonConvert};
    converted_.reset();
    showPicture(ImageGIF, converted_);

    TReductionMethod method;
    TDitherMethod dither;
    readSettings(method, dither);
    TGIFImage gif; // takes the defaults just read
    gif.onProgress = progressHandler();
    gif.Add(*source_);
    MemoryStream stream;
    gif.SaveToStream(stream);
    sizecap->setText(QStringLiteral("Size= %1 bytes").arg(stream.size()));
    converted_ = imageBitmap(gif);
    showPicture(ImageGIF, converted_);
}

void TPainterReduceF::MenuPaletteHalftoneClick()
{
    // The halftone palette only differs from the system colours on a display that shows
    // palette colours (8 bits per pixel or fewer). Displays on this platform always show true
    // colour, so the notice about it is never needed here; the item is checked like the others.
    MenuPaletteWindows256->setChecked(true);
}

void TPainterReduceF::MenuPaletteOptimizedBitsClick(QAction* item)
{
    DefaultReductionBits = item->data().toInt();
    item->setChecked(true);
}

Graphic::ProgressEvent TPainterReduceF::progressHandler()
{
    return [this](Graphic&, ProgressStage stage, int percent, bool, const Rect&, const std::string&) {
        ReduceProgress(stage, percent);
    };
}

void TPainterReduceF::ReduceProgress(ProgressStage stage, int percent)
{
    ProgressBar->setValue(stage == ProgressStage::Ending ? 0 : std::clamp(percent, 0, 100));
}
