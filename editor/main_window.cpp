#include "editor/main_window.h"

#include "editor/controls/tab_bar.h"
#include "editor/drive_combo_box.h"
#include "editor/frame_list_box.h"
#include "editor/frame_picture.h"
#include "editor/preview_image.h"
#include "gif/gif_defaults.h"
#include "gif/gif_image.h"
#include "editor/image_list.h"
#include "editor/settings_path.h"
#include "platform/bitmap.h"
#include "platform/ini_file.h"

#include "version.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QColorDialog>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QFontDialog>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QListView>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QProgressBar>
#include <QScrollArea>
#include <QScreen>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStandardItemModel>
#include <QStyledItemDelegate>
#include <QToolBar>
#include <QToolButton>
#include <QTimer>
#include <QTreeView>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <iostream>

namespace {

// Design position and client size of the window (the client height counts from under the
// menu bar).
constexpr int kDesignLeft = 127;
constexpr int kDesignTop = 79;
constexpr int kDesignClientWidth = 618;
constexpr int kDesignClientHeight = 462;

// Limits of window bounds read from the settings file.
constexpr int kMaxWindowExtent = 16384;
constexpr int kMaxWindowOffset = 1 << 20;

constexpr int kButtonWidth = 27;
constexpr int kButtonHeight = 25;
constexpr int kDropDownArrowWidth = 12;
constexpr int kSaveButtonWidth = 66;

const char* const kFilesMask = "*.bmp;*.gif;*.jpg;*.jpeg;*.ico";

// Rows of one fixed height.
class FixedRowHeightDelegate : public QStyledItemDelegate {
public:
    FixedRowHeightDelegate(int height, QObject* parent) : QStyledItemDelegate(parent), height_(height) {}
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(height_);
        return size;
    }

private:
    int height_;
};

void defaultMessage(const QString& title, const QString& text)
{
    if (qobject_cast<QApplication*>(QCoreApplication::instance()))
        QMessageBox::information(QApplication::activeWindow(), title, text);
    else
        std::cerr << title.toStdString() << ": " << text.toStdString() << std::endl;
}

bool defaultConfirm(const QString& title, const QString& question)
{
    return QMessageBox::question(QApplication::activeWindow(), title, question, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::Yes) == QMessageBox::Yes;
}

std::filesystem::path toPath(const QString& file) { return std::filesystem::path(file.toStdString()); }

QAction* addItem(QMenu* menu, const char* name, const QString& caption, const QKeySequence& shortcut = {})
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    if (!shortcut.isEmpty())
        action->setShortcut(shortcut);
    return action;
}

QMenu* addSubMenu(QMenu* parent, const char* name, const QString& caption)
{
    QMenu* menu = parent->addMenu(caption);
    menu->setObjectName(QString::fromLatin1(name));
    menu->menuAction()->setObjectName(QString::fromLatin1(name));
    return menu;
}

} // namespace

TZoetraF::TZoetraF(const QString& settingsFile, Hooks hooks, QWidget* parent)
    : QMainWindow(parent), hooks_(std::move(hooks)), settingsFile_(settingsFile)
{
    if (!hooks_.message)
        hooks_.message = defaultMessage;
    if (!hooks_.confirm)
        hooks_.confirm = defaultConfirm;
    if (!hooks_.openUrl)
        hooks_.openUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    if (!hooks_.input)
        hooks_.input = [this](const QString& title, const QString& prompt, const QString& initial) {
            bool ok = false;
            const QString answer = QInputDialog::getText(this, title, prompt, QLineEdit::Normal, initial, &ok);
            return ok ? answer : initial;
        };
    if (!hooks_.chooseFile)
        hooks_.chooseFile = [](QFileDialog* dialog) {
            if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
                return QString();
            return dialog->selectedFiles().first();
        };
    if (settingsFile_.isEmpty())
        settingsFile_ = settingsFilePath();

    setObjectName("ZoetraF");
    setWindowTitle("Vels Zoetra 12");
    QFont font("Arial");
    font.setPixelSize(14);
    setFont(font);

    ImageList1 = makeImageList();
    buildPopupMenus();
    buildMenus();
    buildToolBar();
    buildClientArea();
    buildDialogs();
    setPreviewState(PreviewState::Start);

    designHeight_ = kDesignClientHeight + menuBar()->sizeHint().height();
    setGeometry(kDesignLeft, kDesignTop, kDesignClientWidth, designHeight_);

    FormCreate();
}

TZoetraF::~TZoetraF() { FormDestroy(); }

void TZoetraF::FormCreate()
{
    // Every GIF image made from now on, the preview included, paints straight onto its target.
    GIFDefaults().PaintOptions |= paintOption(poDirect);
    ExeDirectory = QCoreApplication::applicationDirPath() + '/';
    FrameCounter = 1;
    LoopCount = 0;
    RotationAngle = 90;
    WorkBitmap = std::make_unique<Bitmap>();
    TextWizardFont = QFont("Arial", 12);
    TextWizardLines = QStringList{"Zoetra"};
    AccentColor = clRed;
    try {
        LoadSettings();
    } catch (const std::exception& e) {
        // An unreadable settings file leaves the defaults in place.
        reportError(QString::fromStdString(e.what()));
    }
}

void TZoetraF::FormClose()
{
    // Emptying the preview ends a running animation.
    stopPreview();
    previewGIF_.reset();
}

void TZoetraF::FormDestroy()
{
    if (destroyed_)
        return;
    destroyed_ = true;
    stopPreview();
    previewGIF_.reset();
    WorkBitmap.reset();
    TextWizardFont = QFont();
    TextWizardLines.clear();
    try {
        SaveSettings();
    } catch (const std::exception& e) {
        reportError("The settings could not be saved.\n" + QString::fromStdString(e.what()));
    }
}

void TZoetraF::reportError(const QString& text) { hooks_.message("Zoetra", text); }

void TZoetraF::closeEvent(QCloseEvent* event)
{
    FormClose();
    event->accept();
    emit closed();
}

// ---------------------------------------------------------------------------------------
// Building the window

void TZoetraF::buildMenus()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName("MainMenu1");

    Animation1 = bar->addMenu("&Animation");
    Animation1->setObjectName("Animation1");
    Animation1->menuAction()->setObjectName("Animation1");
    New2 = addItem(Animation1, "New2", "&New", QKeySequence(Qt::CTRL | Qt::Key_N));
    Create1 = addItem(Animation1, "Create1", "&Create");
    CreateSelection1 = addItem(Animation1, "CreateSelection1", "Create Se&lection");
    Open2 = addItem(Animation1, "Open2", "&Open...");
    Open2->setIcon(ImageList1[6]);
    SaveAs1 = addItem(Animation1, "SaveAs1", "Save &As...");
    Animation1->addSeparator();
    Stop1 = addItem(Animation1, "Stop1", "Stop", QKeySequence(Qt::Key_F2));
    Stop1->setIcon(ImageList1[8]);
    connect(New2, &QAction::triggered, this, &TZoetraF::New2Click);
    connect(Create1, &QAction::triggered, this, &TZoetraF::Create1Click);
    connect(CreateSelection1, &QAction::triggered, this, &TZoetraF::CreateSelection1Click);
    connect(Open2, &QAction::triggered, this, &TZoetraF::Open2Click);
    connect(SaveAs1, &QAction::triggered, this, &TZoetraF::ButtonSaveClick);
    connect(Stop1, &QAction::triggered, this, &TZoetraF::Stop1Click);

    mnuFrame = bar->addMenu("&Frame");
    mnuFrame->setObjectName("mnuFrame");
    mnuFrame->menuAction()->setObjectName("mnuFrame");
    Delete2 = addItem(mnuFrame, "Delete2", "&Delete", QKeySequence(Qt::CTRL | Qt::Key_F3));
    Delete2->setIcon(ImageList1[5]);
    Edit1 = addItem(mnuFrame, "Edit1", "&Edit", QKeySequence(Qt::Key_F4));
    Edit1->setIcon(ImageList1[3]);
    New1 = addItem(mnuFrame, "New1", "&New", QKeySequence(Qt::Key_F3));
    New1->setIcon(ImageList1[4]);
    mnuFrame->addSeparator();
    Arrange1 = addItem(mnuFrame, "Arrange1", "&Arrange", QKeySequence(Qt::Key_F5));
    Image1 = addSubMenu(mnuFrame, "Image1", "&Image");
    Blur2 = addItem(Image1, "Blur2", "&Blur", QKeySequence(Qt::Key_F9));
    FlipLeftRight2 = addItem(Image1, "FlipLeftRight2", "Flip Left Right", QKeySequence(Qt::Key_F10));
    FlipLeftRight2->setIcon(ImageList1[15]);
    FlipTopDown1 = addItem(Image1, "FlipTopDown1", "Flip Top Down", QKeySequence(Qt::SHIFT | Qt::Key_F10));
    FlipTopDown1->setIcon(ImageList1[14]);
    Mirror1 = addSubMenu(Image1, "Mirror1", "Mirror");
    Right8 = addItem(Mirror1, "Right8", "Right");
    Down3 = addItem(Mirror1, "Down3", "Down");
    Scroll1 = addSubMenu(Image1, "Scroll1", "&Scroll");
    Up1 = addItem(Scroll1, "Up1", "&Up", QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_U));
    Down1 = addItem(Scroll1, "Down1", "&Down", QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_D));
    Left1 = addItem(Scroll1, "Left1", "&Left", QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_L));
    Right1 = addItem(Scroll1, "Right1", "&Right", QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_R));
    Duplicate1 = addItem(mnuFrame, "Duplicate1", "&Duplicate", QKeySequence(Qt::CTRL | Qt::Key_D));
    Duplicate1->setIcon(ImageList1[9]);
    Invert1 = addItem(mnuFrame, "Invert1", "&Invert", QKeySequence(Qt::CTRL | Qt::Key_I));
    connect(Delete2, &QAction::triggered, this, &TZoetraF::Delete2Click);
    connect(Edit1, &QAction::triggered, this, &TZoetraF::Edit1Click);
    connect(New1, &QAction::triggered, this, &TZoetraF::goNewClick);
    connect(Arrange1, &QAction::triggered, this, &TZoetraF::Arrange1Click);
    connect(Blur2, &QAction::triggered, this, &TZoetraF::Blur2Click);
    connect(FlipLeftRight2, &QAction::triggered, this, &TZoetraF::FlipLeftRight2Click);
    connect(FlipTopDown1, &QAction::triggered, this, &TZoetraF::FlipTopDown1Click);
    connect(Right8, &QAction::triggered, this, &TZoetraF::Right8Click);
    connect(Down3, &QAction::triggered, this, &TZoetraF::Down3Click);
    connect(Up1, &QAction::triggered, this, &TZoetraF::Up1Click);
    connect(Down1, &QAction::triggered, this, &TZoetraF::Down1Click);
    connect(Left1, &QAction::triggered, this, &TZoetraF::Left1Click);
    connect(Right1, &QAction::triggered, this, &TZoetraF::Right1Click);
    connect(Duplicate1, &QAction::triggered, this, &TZoetraF::DuplicateFrame);
    connect(Invert1, &QAction::triggered, this, &TZoetraF::Invert1Click);

    Options1 = bar->addMenu("&Options");
    Options1->setObjectName("Options1");
    Options1->menuAction()->setObjectName("Options1");
    FrameDelay1 = addItem(Options1, "FrameDelay1", "Frame Delay...");
    FrameDelay1->setIcon(ImageList1[10]);
    SetFrames1 = addItem(Options1, "SetFrames1", "Set Frames...");
    SetLoops1 = addItem(Options1, "SetLoops1", "Set &Loops...");
    DefTrans = addItem(Options1, "DefTrans", "Default Transparent");
    DefTrans->setCheckable(true);
    Options1->addSeparator();
    RotationAngle2 = addItem(Options1, "RotationAngle2", "Rotation Angle...");
    TextWizard1 = addSubMenu(Options1, "TextWizard1", "&Text Wizard");
    TextWizardFont1 = addItem(TextWizard1, "TextWizardFont1", "&Font...");
    TextWizardText1 = addItem(TextWizard1, "TextWizardText1", "&Text...");
    TextWizardColor1 = addItem(TextWizard1, "TextWizardColor1", "&Color...");
    AccentColor1 = addItem(TextWizard1, "AccentColor1", "&Accent Color...");
    connect(FrameDelay1, &QAction::triggered, this, &TZoetraF::FrameDelay1Click);
    connect(SetFrames1, &QAction::triggered, this, &TZoetraF::SetFrames1Click);
    connect(SetLoops1, &QAction::triggered, this, &TZoetraF::SetLoops1Click);
    connect(DefTrans, &QAction::triggered, this, &TZoetraF::DefTransClick);
    connect(RotationAngle2, &QAction::triggered, this, &TZoetraF::RotationAngle1Click);
    connect(TextWizardFont1, &QAction::triggered, this, &TZoetraF::TextWizardFont1Click);
    connect(TextWizardText1, &QAction::triggered, this, &TZoetraF::TextWizardText1Click);
    connect(TextWizardColor1, &QAction::triggered, this, &TZoetraF::TextWizardColor1Click);
    connect(AccentColor1, &QAction::triggered, this, &TZoetraF::AccentColor1Click);

    Tools1 = bar->addMenu("&Tools");
    Tools1->setObjectName("Tools1");
    Tools1->menuAction()->setObjectName("Tools1");
    GIFExplorer1 = addItem(Tools1, "GIFExplorer1", "&GIF Explorer");
    AVItoGIFconverter1 = addItem(Tools1, "AVItoGIFconverter1", "AVI to GIF converter");
    GIFtoAVIconverter1 = addItem(Tools1, "GIFtoAVIconverter1", "GIF to AVI converter");
    connect(GIFExplorer1, &QAction::triggered, this, &TZoetraF::GIFExplorer1Click);
    connect(AVItoGIFconverter1, &QAction::triggered, this, &TZoetraF::AVItoGIFconverter1Click);
    connect(GIFtoAVIconverter1, &QAction::triggered, this, &TZoetraF::GIFtoAVIconverter1Click);

    Help1 = bar->addMenu("&Help");
    Help1->setObjectName("Help1");
    Help1->menuAction()->setObjectName("Help1");
    Contents1 = addItem(Help1, "Contents1", "&Contents", QKeySequence(Qt::Key_F1));
    Help1->addSeparator();
    About1 = addItem(Help1, "About1", "&About");
    connect(Contents1, &QAction::triggered, this, &TZoetraF::Contents1Click);
    connect(About1, &QAction::triggered, this, &TZoetraF::About1Click);

    // The New and Create commands carry the pictures of their tool buttons.
    New2->setIcon(ImageList1[0]);
    Create1->setIcon(ImageList1[1]);
    CreateSelection1->setIcon(ImageList1[2]);
}

QToolButton* TZoetraF::addToolButton(const char* name, const QString& hint, int image)
{
    auto* button = new QToolButton(ToolBar1);
    button->setObjectName(QString::fromLatin1(name));
    button->setToolTip(hint);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    if (image >= 0)
        button->setIcon(ImageList1[std::size_t(image)]);
    button->setIconSize(QSize(16, 16));
    button->setFixedSize(kButtonWidth, kButtonHeight);
    ToolBar1->addWidget(button);
    return button;
}

void TZoetraF::buildToolBar()
{
    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName("ToolBar1");
    ToolBar1->setWindowTitle("Tool bar");
    ToolBar1->setMovable(false);
    ToolBar1->setFloatable(false);
    ToolBar1->setIconSize(QSize(16, 16));
    ToolBar1->setContextMenuPolicy(Qt::PreventContextMenu);
    ToolBar1->setMouseTracking(true);
    ToolBar1->installEventFilter(this);
    addToolBar(Qt::TopToolBarArea, ToolBar1);

    btnnew = addToolButton("btnnew", "New Animation", 0);
    btnopen = addToolButton("btnopen", "Open Existing GIF", 6);
    btnsaveani = addToolButton("btnsaveani", "Save", 7);
    btnsaveani->setText("GIF");
    btnsaveani->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    btnsaveani->setFixedSize(kSaveButtonWidth, kButtonHeight);
    ToolBar1->addSeparator();
    btnnewframe = addToolButton("btnnewframe", "New Frame", 4);
    btnedit = addToolButton("btnedit", "Edit Frame", 3);
    ToolButton10 = addToolButton("ToolButton10", QString(), 17);
    ToolButton10->setMenu(frameeffectpop);
    ToolButton10->setPopupMode(QToolButton::MenuButtonPopup);
    ToolButton10->setFixedSize(kButtonWidth + kDropDownArrowWidth, kButtonHeight);
    btnduplicate = addToolButton("btnduplicate", "Duplicate Frame", 9);
    btndeleteframe = addToolButton("btndeleteframe", "Delete Frame(s)", 5);
    btndelay = addToolButton("btndelay", "Frame Delay", 10);
    ToolBar1->addSeparator();
    btnwizard = addToolButton("btnwizard", "Wizards", 11);
    btnwizard->setMenu(wizpop);
    btnwizard->setPopupMode(QToolButton::MenuButtonPopup);
    btnwizard->setFixedSize(kButtonWidth + kDropDownArrowWidth, kButtonHeight);
    btnstop = addToolButton("btnstop", "Stop Animation", 8);
    btnwizinsert = addToolButton("btnwizinsert", "Insert Wizard Frames", 12);
    ToolBar1->addSeparator();
    btnanimate = addToolButton("btnanimate", "Animate", 1);
    btnanimateselection = addToolButton("btnanimateselection", "animate Selection", 2);

    connect(btnnew, &QToolButton::clicked, New2, &QAction::trigger);
    connect(btnopen, &QToolButton::clicked, Open2, &QAction::trigger);
    connect(btnsaveani, &QToolButton::clicked, this, &TZoetraF::ButtonSaveClick);
    connect(btnnewframe, &QToolButton::clicked, this, &TZoetraF::goNewClick);
    connect(btnedit, &QToolButton::clicked, Edit1, &QAction::trigger);
    // A click on the button part of a drop-down button opens its menu as well.
    connect(ToolButton10, &QToolButton::clicked, ToolButton10, &QToolButton::showMenu);
    connect(btnduplicate, &QToolButton::clicked, this, &TZoetraF::DuplicateFrame);
    connect(btndeleteframe, &QToolButton::clicked, this, &TZoetraF::Delete1Click);
    connect(btndelay, &QToolButton::clicked, this, &TZoetraF::Delay1Click);
    connect(btnwizard, &QToolButton::clicked, btnwizard, &QToolButton::showMenu);
    connect(btnstop, &QToolButton::clicked, Stop1, &QAction::trigger);
    connect(btnwizinsert, &QToolButton::clicked, this, &TZoetraF::InsertWizardFrames);
    connect(btnanimate, &QToolButton::clicked, Create1, &QAction::trigger);
    connect(btnanimateselection, &QToolButton::clicked, CreateSelection1, &QAction::trigger);
}

void TZoetraF::buildPopupMenus()
{
    framepop = new QMenu(this);
    framepop->setObjectName("framepop");
    Optimize1 = addItem(framepop, "Optimize1", "&Optimize");
    framepop->addSeparator();
    Transparent1 = addItem(framepop, "Transparent1", "Transparent");
    Transparent1->setCheckable(true);
    Backgrounds1 = addItem(framepop, "Backgrounds1", "Backgrounds...");
    Effect1 = addItem(framepop, "Effect1", "&Effects...");
    framepop->addSeparator();
    MarkTextPosition1 = addItem(framepop, "MarkTextPosition1", "Mark Position");
    framepop->addSeparator();
    SaveAs2 = addItem(framepop, "SaveAs2", "Save As...");
    connect(Optimize1, &QAction::triggered, this, &TZoetraF::Optimize1Click);
    connect(Transparent1, &QAction::triggered, this, &TZoetraF::Transparent1Click);
    connect(Backgrounds1, &QAction::triggered, this, &TZoetraF::Backgrounds1Click);
    connect(Effect1, &QAction::triggered, this, &TZoetraF::Effect1Click);
    connect(MarkTextPosition1, &QAction::triggered, this, &TZoetraF::MarkTextPosition1Click);
    connect(SaveAs2, &QAction::triggered, this, &TZoetraF::SaveAs2Click);

    frameeffectpop = new QMenu(this);
    frameeffectpop->setObjectName("frameeffectpop");
    FlipLeftRight1 = addItem(frameeffectpop, "FlipLeftRight1", "Flip Left-Right");
    FlipLeftRight1->setIcon(ImageList1[15]);
    FlipUpDown1 = addItem(frameeffectpop, "FlipUpDown1", "Flip Up-Down");
    FlipUpDown1->setIcon(ImageList1[14]);
    Rotate1 = addItem(frameeffectpop, "Rotate1", "Rotate");
    Rotate1->setIcon(ImageList1[16]);
    Trace2 = addItem(frameeffectpop, "Trace2", "Trace");
    Trace2->setIcon(ImageList1[18]);
    Shadow2 = addSubMenu(frameeffectpop, "Shadow2", "Shadow");
    UpLeft2 = addItem(Shadow2, "UpLeft2", "Up Left");
    UpRight1 = addItem(Shadow2, "UpRight1", "Up Right");
    DownLeft2 = addItem(Shadow2, "DownLeft2", "Down Left");
    DownRight2 = addItem(Shadow2, "DownRight2", "Down Right");
    Overlay1 = addSubMenu(frameeffectpop, "Overlay1", "Overlay");
    N50Opaque1 = addItem(Overlay1, "N50Opaque1", "50% Opaque");
    N25Opaque1 = addItem(Overlay1, "N25Opaque1", "25% Opaque");
    connect(FlipLeftRight1, &QAction::triggered, this, &TZoetraF::FlipLeftRight1Click);
    connect(FlipUpDown1, &QAction::triggered, this, &TZoetraF::FlipUpDown1Click);
    connect(Rotate1, &QAction::triggered, this, &TZoetraF::Rotate1Click);
    connect(Trace2, &QAction::triggered, this, &TZoetraF::Trace2Click);
    connect(UpLeft2, &QAction::triggered, this, &TZoetraF::UpLeft2Click);
    connect(UpRight1, &QAction::triggered, this, &TZoetraF::UpRight1Click);
    connect(DownLeft2, &QAction::triggered, this, &TZoetraF::DownLeft2Click);
    connect(DownRight2, &QAction::triggered, this, &TZoetraF::DownRight2Click);
    connect(N50Opaque1, &QAction::triggered, this, &TZoetraF::N50Opaque1Click);
    connect(N25Opaque1, &QAction::triggered, this, &TZoetraF::N25Opaque1Click);

    filespop = new QMenu(this);
    filespop->setObjectName("filespop");
    Add1 = addItem(filespop, "Add1", "&Add");
    connect(Add1, &QAction::triggered, this, &TZoetraF::Add1Click);

    // The wizard catalogue; the wizards add their items.
    wizpop = new QMenu(this);
    wizpop->setObjectName("wizpop");
}

void TZoetraF::buildClientArea()
{
    dfsSplitter2 = new QSplitter(Qt::Vertical, this);
    dfsSplitter2->setObjectName("dfsSplitter2");
    dfsSplitter2->setHandleWidth(3);
    dfsSplitter2->setChildrenCollapsible(false);
    setCentralWidget(dfsSplitter2);

    // The frame strip: scrolls sideways only. The frame pictures are children of FrameStrip,
    // whose minimum width the frame list sets to the extent of the pictures.
    ScrollBoxSource = new QScrollArea(dfsSplitter2);
    ScrollBoxSource->setObjectName("ScrollBoxSource");
    ScrollBoxSource->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ScrollBoxSource->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    ScrollBoxSource->setWidgetResizable(true);
    ScrollBoxSource->setMinimumHeight(3);
    FrameStrip = new QWidget;
    FrameStrip->setObjectName("FrameStrip");
    ScrollBoxSource->setWidget(FrameStrip);
    ScrollBoxSource->viewport()->setMouseTracking(true);
    ScrollBoxSource->viewport()->installEventFilter(this);
    FrameStrip->setMouseTracking(true);
    FrameStrip->installEventFilter(this);

    FramePointer = new QLabel(FrameStrip);
    FramePointer->setObjectName("FramePointer");
    QFont pointerFont("MS Sans Serif");
    pointerFont.setPixelSize(14);
    FramePointer->setFont(pointerFont);
    FramePointer->setAutoFillBackground(true);
    QPalette pointerPalette = FramePointer->palette();
    pointerPalette.setColor(QPalette::Window, Qt::yellow);
    pointerPalette.setColor(QPalette::WindowText, Qt::black);
    FramePointer->setPalette(pointerPalette);
    FramePointer->move(40, 80);
    FramePointer->adjustSize();
    FramePointer->resize(0, FramePointer->height()); // no text yet: nothing to show

    Panel1 = new QWidget(dfsSplitter2);
    Panel1->setObjectName("Panel1");
    Panel1->setMinimumHeight(3);
    auto* panel1Layout = new QHBoxLayout(Panel1);
    panel1Layout->setContentsMargins(4, 4, 4, 4);
    panel1Layout->setSpacing(0);

    dfsSplitter1 = new QSplitter(Qt::Horizontal, Panel1);
    dfsSplitter1->setObjectName("dfsSplitter1");
    dfsSplitter1->setHandleWidth(3);
    dfsSplitter1->setChildrenCollapsible(false);
    panel1Layout->addWidget(dfsSplitter1);

    velTabBar1 = new TvelTabBar(dfsSplitter1);
    velTabBar1->setObjectName("velTabBar1");
    velTabBar1->setTabHeight(20);
    velTabBar1->setFrameWidth(1);
    velTabBar1->setMinimumWidth(3);

    velTabSection1 = new TvelTabSection(velTabBar1);
    velTabSection1->setObjectName("velTabSection1");
    velTabSection1->setCaption("Frames");
    List = new TFrameListBox(velTabSection1);
    List->setObjectName("List");
    List->frameBitmap = [this](int row) -> const Bitmap* {
        const TFramePicture* picture = FrameImage(row);
        return picture ? &picture->picture() : nullptr;
    };
    connect(List, &TFrameListBox::currentMoved, this, &TZoetraF::ArrangeFrames);
    connect(List, &QListWidget::itemClicked, this, [this] { ListClick(); });
    connect(List, &QListWidget::itemDoubleClicked, this, [this] { Edit1Click(); });
    List->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(List, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { popupFramepop(List, List->viewport()->mapToGlobal(pos)); });
    auto* framesLayout = new QVBoxLayout(velTabSection1);
    framesLayout->setContentsMargins(0, 0, 0, 0);
    framesLayout->addWidget(List);

    velTabSection2 = new TvelTabSection(velTabBar1);
    velTabSection2->setObjectName("velTabSection2");
    velTabSection2->setCaption("Files");
    buildFilesPage();
    velTabBar1->setActiveSection(velTabSection2);

    Panel2 = new QFrame(dfsSplitter1);
    Panel2->setObjectName("Panel2");
    Panel2->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel2->setMinimumWidth(3);
    auto* panel2Layout = new QVBoxLayout(Panel2);
    panel2Layout->setContentsMargins(1, 1, 1, 1);
    panel2Layout->setSpacing(0);

    Panel5 = new QWidget(Panel2);
    Panel5->setObjectName("Panel5");
    auto* panel5Layout = new QHBoxLayout(Panel5);
    panel5Layout->setContentsMargins(6, 3, 6, 3);
    panel5Layout->setSpacing(12);
    CheckBoxMerge = new QCheckBox("Merge", Panel5);
    CheckBoxMerge->setObjectName("CheckBoxMerge");
    CheckBoxCrop = new QCheckBox("Crop", Panel5);
    CheckBoxCrop->setObjectName("CheckBoxCrop");
    anisize = new QLabel("0", Panel5);
    anisize->setObjectName("anisize");
    panel5Layout->addWidget(CheckBoxMerge);
    panel5Layout->addWidget(CheckBoxCrop);
    panel5Layout->addWidget(anisize);
    AssemblyProgress = new QProgressBar(Panel5);
    AssemblyProgress->setObjectName("AssemblyProgress");
    AssemblyProgress->setRange(0, 100);
    AssemblyProgress->setTextVisible(false);
    AssemblyProgress->setMaximumSize(120, 12);
    AssemblyProgress->hide();
    panel5Layout->addWidget(AssemblyProgress);
    panel5Layout->addStretch(1);
    panel2Layout->addWidget(Panel5);

    ImageAnimate = new TPreviewImage(Panel2);
    ImageAnimate->setObjectName("ImageAnimate");
    ImageAnimate->setAlignment(Qt::AlignCenter);
    ImageAnimate->setToolTip("Animated GIF\npreview window");
    ImageAnimate->setMinimumSize(1, 1);
    panel2Layout->addWidget(ImageAnimate, 1);

    dfsSplitter1->addWidget(velTabBar1);
    dfsSplitter1->addWidget(Panel2);
    dfsSplitter1->setStretchFactor(0, 0);
    dfsSplitter1->setStretchFactor(1, 1);
    dfsSplitter1->setSizes({187, kDesignClientWidth - 187});

    dfsSplitter2->addWidget(ScrollBoxSource);
    dfsSplitter2->addWidget(Panel1);
    dfsSplitter2->setStretchFactor(0, 0);
    dfsSplitter2->setStretchFactor(1, 1);
    dfsSplitter2->setSizes({141, kDesignClientHeight - 141});
}

void TZoetraF::buildFilesPage()
{
    velDriveComboBox1 = new TvelDriveComboBox(velTabSection2);

    dirModel_ = new QFileSystemModel(this);
    dirModel_->setObjectName("dirboxModel");
    dirModel_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    dirModel_->setReadOnly(true);
    dirbox = new QTreeView(velTabSection2);
    dirbox->setObjectName("dirbox");
    dirbox->setModel(dirModel_);
    for (int column = 1; column < dirModel_->columnCount(); ++column)
        dirbox->hideColumn(column);
    dirbox->setHeaderHidden(true);
    dirbox->setUniformRowHeights(true);
    dirbox->setItemDelegate(new FixedRowHeightDelegate(17, dirbox));
    dirbox->setSortingEnabled(true);
    dirbox->sortByColumn(0, Qt::AscendingOrder);
    dirbox->setEditTriggers(QAbstractItemView::NoEditTriggers);

    fileModel_ = new QFileSystemModel(this);
    fileModel_->setObjectName("FilesModel");
    fileModel_->setFilter(QDir::Files | QDir::NoDotAndDotDot);
    fileModel_->setNameFilters(QString::fromLatin1(kFilesMask).split(';'));
    fileModel_->setNameFilterDisables(false);
    fileModel_->setReadOnly(true);
    noFilesModel_ = new QStandardItemModel(this);
    Files = new QListView(velTabSection2);
    Files->setObjectName("Files");
    Files->setModel(noFilesModel_);
    Files->setUniformItemSizes(true);
    Files->setItemDelegate(new FixedRowHeightDelegate(18, Files));
    Files->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Files->setSelectionMode(QAbstractItemView::SingleSelection);
    Files->setToolTip("Double Click to Add Image\nor right-click Add");
    Files->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Files, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { filespop->popup(Files->viewport()->mapToGlobal(pos)); });
    connect(Files, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex&) { Add1Click(); });

    auto* layout = new QVBoxLayout(velTabSection2);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(velDriveComboBox1);
    layout->addWidget(dirbox, 1);
    layout->addWidget(Files, 1);

    connect(velDriveComboBox1, &TvelDriveComboBox::driveChanged, this, [this](const QString& root) {
        dirbox->setRootIndex(dirModel_->setRootPath(root));
        dirbox->setCurrentIndex(QModelIndex());
        dirboxDirectory_ = root;
        showFilesOf(root);
    });
    connect(dirbox->selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& current) {
        if (!current.isValid())
            return;
        scrollToCurrentFolder_ = false;
        dirboxDirectory_ = dirModel_->filePath(current);
        showFilesOf(dirboxDirectory_);
    });

    // The folder list fills in while the folders are read; the current folder is kept in view
    // until the user moves in the list.
    const auto keepCurrentFolderInView = [this] {
        if (!scrollToCurrentFolder_)
            return;
        QTimer::singleShot(0, dirbox, [this] {
            if (scrollToCurrentFolder_ && dirbox->currentIndex().isValid())
                dirbox->scrollTo(dirbox->currentIndex(), QAbstractItemView::PositionAtCenter);
        });
    };
    connect(dirModel_, &QFileSystemModel::directoryLoaded, this, keepCurrentFolderInView);
    connect(dirModel_, &QAbstractItemModel::layoutChanged, this, keepCurrentFolderInView);
    connect(dirModel_, &QAbstractItemModel::rowsInserted, this, keepCurrentFolderInView);
    connect(dirbox, &QTreeView::expanded, this, [this] { scrollToCurrentFolder_ = false; });
    connect(dirbox, &QTreeView::collapsed, this, [this] { scrollToCurrentFolder_ = false; });

    const QString root = velDriveComboBox1->drive();
    dirbox->setRootIndex(dirModel_->setRootPath(root));
}

void TZoetraF::buildDialogs()
{
    SaveDialog = new QFileDialog(this, "Save animated GIF");
    SaveDialog->setObjectName("SaveDialog");
    SaveDialog->setAcceptMode(QFileDialog::AcceptSave);
    SaveDialog->setFileMode(QFileDialog::AnyFile);
    SaveDialog->setDefaultSuffix("gif");

    SaveDialog1 = new QFileDialog(this);
    SaveDialog1->setObjectName("SaveDialog1");
    SaveDialog1->setAcceptMode(QFileDialog::AcceptSave);
    SaveDialog1->setFileMode(QFileDialog::AnyFile);
    SaveDialog1->setDefaultSuffix("bmp");
    SaveDialog1->setNameFilter("Bitmap Files (*.bmp)");

    OpenDialog1 = new QFileDialog(this);
    OpenDialog1->setObjectName("OpenDialog1");
    OpenDialog1->setAcceptMode(QFileDialog::AcceptOpen);
    OpenDialog1->setFileMode(QFileDialog::ExistingFile);
    OpenDialog1->setDefaultSuffix("gif");
    OpenDialog1->setNameFilter("GIF Files (*.gif)");

    ColorDialog1 = new QColorDialog(this);
    ColorDialog1->setObjectName("ColorDialog1");
    FontDialog1 = new QFontDialog(this);
    FontDialog1->setObjectName("FontDialog1");
}

// ---------------------------------------------------------------------------------------
// Settings

void TZoetraF::LoadSettings()
{
    const IniFile ini(toPath(settingsFile_));
    auto readString = [&](const char* section, const char* key, const QString& defaultValue) {
        return QString::fromStdString(ini.ReadString(section, key, defaultValue.toStdString()));
    };

    if (ini.ReadBool("Window", "State", false)) {
        setWindowState(windowState() | Qt::WindowMaximized);
    } else {
        const int left = ini.ReadInteger("Window", "Left", kDesignLeft);
        const int top = ini.ReadInteger("Window", "Top", kDesignTop);
        const int width = ini.ReadInteger("Window", "Width", kDesignClientWidth);
        const int height = ini.ReadInteger("Window", "Height", designHeight_);
        // Bounds from the file are kept within reach: no window larger than the desktop (its
        // backing store would be allocated at that size) and no position so far out that
        // the window's edges overflow.
        QSize largest(kMaxWindowExtent, kMaxWindowExtent);
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            largest = screen->availableVirtualGeometry().size().expandedTo(QSize(kDesignClientWidth, designHeight_));
        setGeometry(std::clamp(left, -kMaxWindowOffset, kMaxWindowOffset),
                    std::clamp(top, -kMaxWindowOffset, kMaxWindowOffset), std::clamp(width, 1, largest.width()),
                    std::clamp(height, 1, largest.height()));
    }

    setDirboxDirectory(readString("Directories", "Frames", ExeDirectory));
    OpenDialog1InitialDir = readString("Directories", "Open", ExeDirectory);
    SaveDialog1InitialDir = readString("Directories", "Save", ExeDirectory);
    if (!OpenDialog1InitialDir.isEmpty())
        OpenDialog1->setDirectory(OpenDialog1InitialDir);
    if (!SaveDialog1InitialDir.isEmpty())
        SaveDialog1->setDirectory(SaveDialog1InitialDir);

    WizardFrameCount = std::min(std::max(ini.ReadInteger("Frames", "Count", 10), 4), 50);
    NewFrameWidth = ini.ReadInteger("Frames", "Width", 120);
    NewFrameHeight = ini.ReadInteger("Frames", "Height", 60);
    DefaultDelay = std::max(std::min(ini.ReadInteger("Frames", "Delay", 10), 255), 10);
}

void TZoetraF::SaveSettings()
{
    IniFile ini(toPath(settingsFile_));
    const bool maximized = isMaximized();
    ini.WriteBool("Window", "State", maximized);
    if (!maximized) {
        const QRect bounds = geometry();
        ini.WriteInteger("Window", "Left", bounds.x());
        ini.WriteInteger("Window", "Top", bounds.y());
        ini.WriteInteger("Window", "Width", bounds.width());
        ini.WriteInteger("Window", "Height", bounds.height());
    }
    ini.WriteString("Directories", "Frames", dirboxDirectory_.toStdString());
    ini.WriteString("Directories", "Open", OpenDialog1InitialDir.toStdString());
    ini.WriteString("Directories", "Save", SaveDialog1InitialDir.toStdString());
    ini.WriteInteger("Frames", "Count", WizardFrameCount);
    ini.WriteInteger("Frames", "Width", NewFrameWidth);
    ini.WriteInteger("Frames", "Height", NewFrameHeight);
    ini.WriteInteger("Frames", "Delay", DefaultDelay);
}

// ---------------------------------------------------------------------------------------
// The "Files" page

void TZoetraF::setDirboxDirectory(const QString& folder)
{
    dirboxDirectory_ = folder;
    const QFileInfo info(folder);
    if (folder.isEmpty() || !info.isDir()) {
        const QSignalBlocker blocker(dirbox->selectionModel());
        dirbox->setCurrentIndex(QModelIndex());
        showFilesOf(QString());
        return;
    }
    const QString path = QDir::cleanPath(info.absoluteFilePath());
    const QString drive = velDriveComboBox1->driveOf(path);
    {
        const QSignalBlocker blocker(velDriveComboBox1);
        velDriveComboBox1->setDrive(drive);
    }
    dirbox->setRootIndex(dirModel_->setRootPath(drive.isEmpty() ? path : drive));
    selectDirboxFolder(drive == path ? QString() : path);
    showFilesOf(path);
}

void TZoetraF::selectDirboxFolder(const QString& folder)
{
    const QSignalBlocker blocker(dirbox->selectionModel());
    scrollToCurrentFolder_ = false;
    if (folder.isEmpty()) {
        dirbox->setCurrentIndex(QModelIndex());
        return;
    }
    const QModelIndex index = dirModel_->index(folder);
    for (QModelIndex parent = index.parent(); parent.isValid() && parent != dirbox->rootIndex(); parent = parent.parent())
        dirbox->expand(parent);
    dirbox->setCurrentIndex(index);
    // The subfolders of the current folder show under it.
    dirbox->expand(index);
    dirbox->scrollTo(index, QAbstractItemView::PositionAtCenter);
    scrollToCurrentFolder_ = true;
}

void TZoetraF::showFilesOf(const QString& folder)
{
    QAbstractItemModel* wanted = (folder.isEmpty() || !QFileInfo(folder).isDir()) ? static_cast<QAbstractItemModel*>(noFilesModel_)
                                                                                   : fileModel_;
    if (Files->model() != wanted) {
        QItemSelectionModel* old = Files->selectionModel();
        Files->setModel(wanted);
        delete old;
    }
    if (wanted == fileModel_)
        Files->setRootIndex(fileModel_->setRootPath(folder));
}

QString TZoetraF::FilesFileName() const
{
    if (Files->model() != fileModel_)
        return {};
    const QModelIndex index = Files->currentIndex();
    if (!index.isValid() || !Files->selectionModel()->isSelected(index))
        return {};
    return fileModel_->filePath(index);
}

// ---------------------------------------------------------------------------------------
// Preview states

void TZoetraF::setPreviewState(PreviewState state)
{
    previewState_ = state;
    switch (state) {
    case PreviewState::Start:
        SaveAs1->setText("Save &As...");
        btnsaveani->setText("GIF");
        break;
    case PreviewState::Animating:
        SaveAs1->setText("Save GIF &As...");
        btnsaveani->setText("GIF");
        break;
    case PreviewState::Stopped:
        SaveAs1->setText("Save BMP &As...");
        btnsaveani->setText("BMP");
        break;
    }
    const bool saved = state != PreviewState::Start;
    SaveAs1->setEnabled(saved);
    btnsaveani->setEnabled(saved);
    const bool playing = state == PreviewState::Animating;
    Stop1->setEnabled(playing);
    btnstop->setEnabled(playing);
}

void TZoetraF::showPreviewAnimating() { setPreviewState(PreviewState::Animating); }

void TZoetraF::showPreviewStopped() { setPreviewState(PreviewState::Stopped); }

// ---------------------------------------------------------------------------------------
// Wizard button picture and mouse tracking

void TZoetraF::updateWizardButtonImage(int x)
{
    const int image = x < btnwizard->x() + 12 ? 11 : 13;
    if (image == wizardButtonImage_)
        return;
    wizardButtonImage_ = image;
    btnwizard->setIcon(ImageList1[std::size_t(image)]);
}

bool TZoetraF::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseMove) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const QPoint pos = mouse->position().toPoint();
        if (watched == ToolBar1)
            updateWizardButtonImage(pos.x());
        else if (watched == ScrollBoxSource->viewport() || watched == FrameStrip)
            updateWizardButtonImage(static_cast<QWidget*>(watched)->mapTo(ScrollBoxSource, pos).x());
    }
    return QMainWindow::eventFilter(watched, event);
}

void TZoetraF::popupFramepop(QWidget* source, const QPoint& globalPos)
{
    PopupPoint = Point{globalPos.x(), globalPos.y()};
    framepopSource_ = source;
    // The check shows the flag of the frame the menu works on (unchecked without one).
    const TFramePicture* frame = framepopFrame();
    Transparent1->setChecked(frame != nullptr && frame->isTransparent());
    framepop->popup(globalPos);
}

// ---------------------------------------------------------------------------------------
// Commands of this window

void TZoetraF::setToolWindows(QWidget* gifExplorer, QWidget* aviToGif, QWidget* gifToAvi)
{
    gifExplorer_ = gifExplorer;
    aviToGif_ = aviToGif;
    gifToAvi_ = gifToAvi;
}

void TZoetraF::New2Click()
{
    if (hooks_.confirm("Confirm", "Do you want to erase all current Frames?"))
        ClearFrames();
}

void TZoetraF::Delete2Click() { Delete1Click(); }

void TZoetraF::GIFExplorer1Click()
{
    if (gifExplorer_)
        gifExplorer_->show();
}

void TZoetraF::AVItoGIFconverter1Click()
{
    if (!aviToGif_)
        return;
    aviToGif_->show();
    aviToGif_->raise();
    aviToGif_->activateWindow();
}

void TZoetraF::GIFtoAVIconverter1Click()
{
    if (!gifToAvi_)
        return;
    gifToAvi_->show();
    gifToAvi_->raise();
    gifToAvi_->activateWindow();
}

void TZoetraF::Contents1Click()
{
    const QString helpFile = ExeDirectory + "zoetra.html";
    if (!QFileInfo(helpFile).isFile()) {
        hooks_.message("Zoetra Help", "The help file \"" + helpFile + "\" cannot be found.");
        return;
    }
    QUrl url = QUrl::fromLocalFile(helpFile);
    url.setFragment("Zoetra");
    if (!hooks_.openUrl(url))
        hooks_.message("Zoetra Help", "The help file \"" + helpFile +
                                          "\" could not be shown: no web browser could be started.");
}

void TZoetraF::About1Click()
{
    hooks_.message("About Zoetra", QStringLiteral("Zoetra\nVersion %1\n\nAn editor for animated GIF images.")
                                       .arg(QStringLiteral(ZOETRA_VERSION)));
}

// ---------------------------------------------------------------------------------------
// Commands filled in by the frame list, assembly, frame operations and wizards

void TZoetraF::Edit1Click() { /* tool window hand-off: edit the current frame in the Draw window */ }
void TZoetraF::InsertWizardFrames() { /* wizards: insert the generated frames */ }
void TZoetraF::Blur2Click() { /* frame operations */ }
void TZoetraF::FlipLeftRight2Click() { /* frame operations */ }
void TZoetraF::FlipTopDown1Click() { /* frame operations */ }
void TZoetraF::Right8Click() { /* frame operations: mirror right */ }
void TZoetraF::Down3Click() { /* frame operations: mirror down */ }
void TZoetraF::Up1Click() { /* frame operations: scroll up */ }
void TZoetraF::Down1Click() { /* frame operations: scroll down */ }
void TZoetraF::Left1Click() { /* frame operations: scroll left */ }
void TZoetraF::Right1Click() { /* frame operations: scroll right */ }
void TZoetraF::Invert1Click() { /* frame operations */ }
void TZoetraF::SetFrames1Click() { /* wizards: prompt for WizardFrameCount */ }
void TZoetraF::RotationAngle1Click() { /* frame operations: prompt for RotationAngle */ }
void TZoetraF::TextWizardFont1Click() { /* text wizards */ }
void TZoetraF::TextWizardText1Click() { /* text wizards: edit the lines in TTemplatesF */ }
void TZoetraF::TextWizardColor1Click() { /* text wizards */ }
void TZoetraF::AccentColor1Click() { /* text wizards */ }
void TZoetraF::Optimize1Click() { /* frame operations: colour reduction window */ }
void TZoetraF::Backgrounds1Click() { /* frame operations: QuickBack */ }
void TZoetraF::Effect1Click() { /* frame operations: Painter Effects */ }
void TZoetraF::MarkTextPosition1Click() { /* text wizards: MarkPosition */ }
void TZoetraF::SaveAs2Click() { /* frame operations: save the frame as BMP */ }
void TZoetraF::FlipLeftRight1Click() { /* frame operations */ }
void TZoetraF::FlipUpDown1Click() { /* frame operations */ }
void TZoetraF::Rotate1Click() { /* frame operations */ }
void TZoetraF::Trace2Click() { /* frame operations */ }
void TZoetraF::UpLeft2Click() { /* frame operations: shadow */ }
void TZoetraF::UpRight1Click() { /* frame operations: shadow */ }
void TZoetraF::DownLeft2Click() { /* frame operations: shadow */ }
void TZoetraF::DownRight2Click() { /* frame operations: shadow */ }
void TZoetraF::N50Opaque1Click() { /* frame operations: overlay */ }
void TZoetraF::N25Opaque1Click() { /* frame operations: overlay */ }
