#include "editor/main_window.h"

#include "editor/controls/tab_bar.h"
#include "editor/drive_combo_box.h"
#include "editor/frame_list_box.h"
#include "editor/image_list.h"

#include "version.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QImage>
#include <QLabel>
#include <QListView>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QScrollArea>
#include <QSplitter>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QUrl>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

// The main window with the commands of later work replaced by counters.
class ProbeWindow : public TZoetraF {
public:
    using TZoetraF::TZoetraF;
    void ClearFrames() override { ++clearFrames; }
    void Add1Click() override
    {
        ++adds;
        addedFile = FilesFileName();
    }
    int clearFrames = 0;
    int adds = 0;
    QString addedFile;
};

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(qobject_cast<QApplication*>(QCoreApplication::instance()), nullptr);
        ASSERT_TRUE(dir_.isValid());
        TZoetraF::Hooks hooks;
        hooks.message = [this](const QString& title, const QString& text) { messages_.push_back(title + "|" + text); };
        hooks.confirm = [this](const QString&, const QString& question) {
            questions_.push_back(question);
            return answer_;
        };
        hooks.openUrl = [this](const QUrl& url) {
            urls_.push_back(url);
            return browserWorks_;
        };
        window_ = std::make_unique<ProbeWindow>(dir_.filePath("zoetra.ini"), hooks);
    }

    void showWindow()
    {
        window_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    }

    template <class T> T* child(const char* name) const
    {
        T* found = window_->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    QTemporaryDir dir_;
    std::unique_ptr<ProbeWindow> window_;
    std::vector<QString> messages_;
    std::vector<QString> questions_;
    std::vector<QUrl> urls_;
    bool answer_ = false;
    bool browserWorks_ = true;
};

TEST_F(MainWindowTest, WindowCaptionFontAndLayout)
{
    EXPECT_EQ(window_->objectName(), "ZoetraF");
    EXPECT_EQ(window_->windowTitle(), "Vels Zoetra 12");
    EXPECT_EQ(window_->font().family(), "Arial");
    EXPECT_EQ(window_->font().pixelSize(), 14);
    EXPECT_EQ(window_->geometry().topLeft(), QPoint(127, 79));
    EXPECT_EQ(window_->geometry().width(), 618);
    showWindow();

    auto* strip = child<QScrollArea>("ScrollBoxSource");
    EXPECT_EQ(strip->height(), 141);
    EXPECT_EQ(strip->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_NE(strip->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(window_->FrameStrip->parentWidget(), strip->viewport());

    auto* pointer = child<QLabel>("FramePointer");
    EXPECT_EQ(pointer->parentWidget(), window_->FrameStrip);
    EXPECT_EQ(pointer->pos(), QPoint(40, 80));
    EXPECT_EQ(pointer->palette().color(QPalette::Window), QColor(Qt::yellow));
    EXPECT_EQ(pointer->font().pixelSize(), 14);

    // Top to bottom: tool bar, strip, splitter, Panel1.
    auto* toolBar = child<QToolBar>("ToolBar1");
    auto* splitter2 = child<QSplitter>("dfsSplitter2");
    EXPECT_EQ(splitter2->orientation(), Qt::Vertical);
    EXPECT_EQ(splitter2->widget(0), strip);
    EXPECT_EQ(splitter2->widget(1), window_->Panel1);
    EXPECT_LT(toolBar->geometry().bottom(), splitter2->geometry().top() + 1);
    EXPECT_FALSE(toolBar->isMovable());

    // Panel1, left to right: tab bar (187 wide), splitter, Panel2.
    auto* splitter1 = child<QSplitter>("dfsSplitter1");
    EXPECT_EQ(splitter1->orientation(), Qt::Horizontal);
    auto* tabBar = child<TvelTabBar>("velTabBar1");
    EXPECT_EQ(splitter1->widget(0), tabBar);
    EXPECT_EQ(splitter1->widget(1), window_->Panel2);
    EXPECT_EQ(tabBar->width(), 187);
    EXPECT_EQ(tabBar->tabHeight(), 20);
    EXPECT_EQ(tabBar->frameWidth(), 1);
    ASSERT_EQ(tabBar->pageCount(), 2);
    EXPECT_EQ(tabBar->page(0)->caption(), "Frames");
    EXPECT_EQ(tabBar->page(0)->objectName(), "velTabSection1");
    EXPECT_EQ(tabBar->page(1)->caption(), "Files");
    EXPECT_EQ(tabBar->activeSection(), window_->velTabSection2);
    EXPECT_TRUE(window_->velTabSection1->isAncestorOf(child<QListWidget>("List")));
    for (const char* name : {"velDriveComboBox1", "dirbox", "Files"})
        EXPECT_TRUE(window_->velTabSection2->isAncestorOf(child<QWidget>(name))) << name;

    EXPECT_EQ(child<QCheckBox>("CheckBoxMerge")->text(), "Merge");
    EXPECT_EQ(child<QCheckBox>("CheckBoxCrop")->text(), "Crop");
    EXPECT_EQ(child<QLabel>("anisize")->text(), "0");
    auto* preview = child<QLabel>("ImageAnimate");
    EXPECT_EQ(preview->toolTip(), "Animated GIF\npreview window");
    EXPECT_EQ(preview->alignment(), Qt::AlignCenter);
    EXPECT_TRUE(window_->Panel5->geometry().bottom() < preview->geometry().top());
    EXPECT_EQ(child<QListView>("Files")->toolTip(), "Double Click to Add Image\nor right-click Add");
}

struct MenuRow {
    const char* name;
    const char* caption;
    const char* shortcut;
    bool enabled;
};

// Every item of the main menu, in menu order within each menu.
const MenuRow kMainMenu[] = {
    {"Animation1", "&Animation", "", true},
    {"New2", "&New", "Ctrl+N", true},
    {"Create1", "&Create", "", true},
    {"CreateSelection1", "Create Se&lection", "", true},
    {"Open2", "&Open...", "", true},
    {"SaveAs1", "Save &As...", "", false},
    {"Stop1", "Stop", "F2", false},
    {"mnuFrame", "&Frame", "", true},
    {"Delete2", "&Delete", "Ctrl+F3", true},
    {"Edit1", "&Edit", "F4", true},
    {"New1", "&New", "F3", true},
    {"Arrange1", "&Arrange", "F5", true},
    {"Image1", "&Image", "", true},
    {"Blur2", "&Blur", "F9", true},
    {"FlipLeftRight2", "Flip Left Right", "F10", true},
    {"FlipTopDown1", "Flip Top Down", "Shift+F10", true},
    {"Mirror1", "Mirror", "", true},
    {"Right8", "Right", "", true},
    {"Down3", "Down", "", true},
    {"Scroll1", "&Scroll", "", true},
    {"Up1", "&Up", "Ctrl+Alt+U", true},
    {"Down1", "&Down", "Ctrl+Alt+D", true},
    {"Left1", "&Left", "Ctrl+Alt+L", true},
    {"Right1", "&Right", "Ctrl+Alt+R", true},
    {"Duplicate1", "&Duplicate", "Ctrl+D", true},
    {"Invert1", "&Invert", "Ctrl+I", true},
    {"Options1", "&Options", "", true},
    {"FrameDelay1", "Frame Delay...", "", true},
    {"SetFrames1", "Set Frames...", "", true},
    {"SetLoops1", "Set &Loops...", "", true},
    {"DefTrans", "Default Transparent", "", true},
    {"RotationAngle2", "Rotation Angle...", "", true},
    {"TextWizard1", "&Text Wizard", "", true},
    {"TextWizardFont1", "&Font...", "", true},
    {"TextWizardText1", "&Text...", "", true},
    {"TextWizardColor1", "&Color...", "", true},
    {"AccentColor1", "&Accent Color...", "", true},
    {"Tools1", "&Tools", "", true},
    {"GIFExplorer1", "&GIF Explorer", "", true},
    {"AVItoGIFconverter1", "AVI to GIF converter", "", true},
    {"GIFtoAVIconverter1", "GIF to AVI converter", "", true},
    {"Help1", "&Help", "", true},
    {"Contents1", "&Contents", "F1", true},
    {"About1", "&About", "", true},
};

// Names of the items of a menu in order, with "-" for separators, submenus followed by
// their own items.
void collectItems(const QMenu* menu, std::vector<QString>& out)
{
    for (QAction* action : menu->actions()) {
        out.push_back(action->isSeparator() ? QString("-") : action->objectName());
        if (action->menu())
            collectItems(action->menu(), out);
    }
}

TEST_F(MainWindowTest, MainMenuItemsCaptionsShortcutsAndStates)
{
    for (const MenuRow& row : kMainMenu) {
        SCOPED_TRACE(row.name);
        auto* action = child<QAction>(row.name);
        if (!action)
            continue;
        EXPECT_EQ(action->text(), row.caption);
        EXPECT_EQ(action->shortcut(), QKeySequence(row.shortcut));
        EXPECT_EQ(action->isEnabled(), row.enabled);
    }

    // The menu bar's structure: the same items in the same order, with the separators after
    // SaveAs1, New1, DefTrans and Contents1.
    std::vector<QString> items;
    for (QAction* top : window_->menuBar()->actions()) {
        items.push_back(top->objectName());
        collectItems(top->menu(), items);
    }
    std::vector<QString> expected;
    for (const MenuRow& row : kMainMenu) {
        expected.push_back(row.name);
        const QString name = row.name;
        if (name == "SaveAs1" || name == "New1" || name == "DefTrans" || name == "Contents1")
            expected.push_back("-");
    }
    EXPECT_EQ(items, expected);
    EXPECT_TRUE(window_->DefTrans->isCheckable());
    EXPECT_FALSE(window_->DefTrans->isChecked());
}

TEST_F(MainWindowTest, PopupMenus)
{
    struct PopupRow {
        const char* name;
        const char* caption;
        int image; // -1: none
    };
    const PopupRow framepop[] = {
        {"Optimize1", "&Optimize", -1}, {"-", "", -1},          {"Transparent1", "Transparent", -1},
        {"Backgrounds1", "Backgrounds...", -1}, {"Effect1", "&Effects...", -1}, {"-", "", -1},
        {"MarkTextPosition1", "Mark Position", -1}, {"-", "", -1}, {"SaveAs2", "Save As...", -1},
    };
    const PopupRow frameeffectpop[] = {
        {"FlipLeftRight1", "Flip Left-Right", 15}, {"FlipUpDown1", "Flip Up-Down", 14}, {"Rotate1", "Rotate", 16},
        {"Trace2", "Trace", 18}, {"Shadow2", "Shadow", -1}, {"UpLeft2", "Up Left", -1}, {"UpRight1", "Up Right", -1},
        {"DownLeft2", "Down Left", -1}, {"DownRight2", "Down Right", -1}, {"Overlay1", "Overlay", -1},
        {"N50Opaque1", "50% Opaque", -1}, {"N25Opaque1", "25% Opaque", -1},
    };
    const PopupRow filespop[] = {{"Add1", "&Add", -1}};

    auto check = [&](const char* menuName, const auto& rows) {
        SCOPED_TRACE(menuName);
        auto* menu = child<QMenu>(menuName);
        ASSERT_NE(menu, nullptr);
        std::vector<QString> items;
        collectItems(menu, items);
        std::vector<QString> expected;
        for (const PopupRow& row : rows)
            expected.push_back(row.name);
        EXPECT_EQ(items, expected);
        for (const PopupRow& row : rows) {
            if (QString(row.name) == "-")
                continue;
            auto* action = menu->findChild<QAction*>(row.name);
            if (!action) // a submenu's own action belongs to the submenu
                action = window_->findChild<QAction*>(row.name);
            ASSERT_NE(action, nullptr) << row.name;
            EXPECT_EQ(action->text(), row.caption) << row.name;
            EXPECT_TRUE(action->isEnabled()) << row.name;
            if (row.image >= 0) {
                EXPECT_EQ(action->icon().cacheKey(), window_->ImageList1[std::size_t(row.image)].cacheKey()) << row.name;
            }
        }
    };
    check("framepop", framepop);
    check("frameeffectpop", frameeffectpop);
    check("filespop", filespop);
    EXPECT_NE(child<QMenu>("wizpop"), nullptr);
    EXPECT_TRUE(window_->Transparent1->isCheckable());
}

TEST_F(MainWindowTest, RightClicksOpenTheirPopupMenus)
{
    showWindow();
    window_->velTabBar1->setActiveSection(window_->velTabSection1);
    const QPoint at(5, 6);
    emit window_->List->customContextMenuRequested(at);
    EXPECT_TRUE(window_->framepop->isVisible());
    const QPoint global = window_->List->viewport()->mapToGlobal(at);
    EXPECT_EQ(window_->PopupPoint, (Point{global.x(), global.y()}));
    window_->framepop->hide();

    window_->velTabBar1->setActiveSection(window_->velTabSection2);
    emit window_->Files->customContextMenuRequested(at);
    EXPECT_TRUE(window_->filespop->isVisible());
    window_->filespop->hide();
}

TEST_F(MainWindowTest, ToolBarButtonsHintsPicturesAndStates)
{
    struct ButtonRow {
        const char* name;
        const char* hint;
        int image; // -1: the save glyph
        bool enabled;
        QToolButton::ToolButtonPopupMode popup;
        QMenu* menu;
    };
    const QToolButton::ToolButtonPopupMode plain = QToolButton::DelayedPopup;
    const ButtonRow rows[] = {
        {"btnnew", "New Animation", 0, true, plain, nullptr},
        {"btnopen", "Open Existing GIF", 6, true, plain, nullptr},
        {"btnsaveani", "Save", -1, false, plain, nullptr},
        {"btnnewframe", "New Frame", 4, true, plain, nullptr},
        {"btnedit", "Edit Frame", 3, true, plain, nullptr},
        {"ToolButton10", "", 17, true, QToolButton::MenuButtonPopup, window_->frameeffectpop},
        {"btnduplicate", "Duplicate Frame", 9, true, plain, nullptr},
        {"btndeleteframe", "Delete Frame(s)", 5, true, plain, nullptr},
        {"btndelay", "Frame Delay", 10, true, plain, nullptr},
        {"btnwizard", "Wizards", 11, true, QToolButton::MenuButtonPopup, window_->wizpop},
        {"btnstop", "Stop Animation", 8, false, plain, nullptr},
        {"btnwizinsert", "Insert Wizard Frames", 12, true, plain, nullptr},
        {"btnanimate", "Animate", 1, true, plain, nullptr},
        {"btnanimateselection", "animate Selection", 2, true, plain, nullptr},
    };
    showWindow();
    int lastX = -1;
    for (const ButtonRow& row : rows) {
        SCOPED_TRACE(row.name);
        auto* button = child<QToolButton>(row.name);
        if (!button)
            continue;
        EXPECT_EQ(button->parentWidget(), window_->ToolBar1);
        EXPECT_GT(button->x(), lastX); // left to right in table order
        lastX = button->x();
        EXPECT_EQ(button->toolTip(), row.hint);
        EXPECT_EQ(button->isEnabled(), row.enabled);
        EXPECT_TRUE(button->autoRaise());
        EXPECT_EQ(button->height(), 25);
        if (row.image >= 0) {
            EXPECT_EQ(button->icon().cacheKey(), window_->ImageList1[std::size_t(row.image)].cacheKey());
        }
        EXPECT_EQ(button->menu(), row.menu);
        if (row.menu) {
            EXPECT_EQ(button->popupMode(), row.popup);
        } else {
            EXPECT_EQ(button->width(), QString(row.name) == "btnsaveani" ? 66 : 27);
        }
    }
    EXPECT_EQ(window_->btnsaveani->text(), "GIF");
    EXPECT_FALSE(window_->btnsaveani->icon().isNull());
}

TEST_F(MainWindowTest, ImageListPicturesAreNeverBlank)
{
    ASSERT_EQ(window_->ImageList1.size(), std::size_t(kImageListSize));
    std::vector<QImage> drawn;
    for (int i = 0; i < kImageListSize; ++i) {
        SCOPED_TRACE(i);
        const QImage image = window_->ImageList1[std::size_t(i)].pixmap(16, 16).toImage();
        ASSERT_FALSE(image.isNull());
        int opaque = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                opaque += qAlpha(image.pixel(x, y)) > 0;
        EXPECT_GT(opaque, 10);
        drawn.push_back(drawnToolImage(i).pixmap(16, 16).toImage());
    }
    // The drawn pictures differ from each other (11 and 13 above all: the wizard button
    // switches between them).
    for (std::size_t a = 0; a < drawn.size(); ++a)
        for (std::size_t b = a + 1; b < drawn.size(); ++b)
            EXPECT_NE(drawn[a], drawn[b]) << a << " and " << b;
    EXPECT_TRUE(drawnToolImage(-1).isNull());
    EXPECT_TRUE(drawnToolImage(kImageListSize).isNull());
}

TEST_F(MainWindowTest, PreviewStatesMoveSaveAndStopTogether)
{
    struct StateRow {
        PreviewState state;
        const char* saveCaption;
        const char* buttonCaption;
        bool saveEnabled;
        bool stopEnabled;
    };
    const StateRow rows[] = {
        {PreviewState::Start, "Save &As...", "GIF", false, false},
        {PreviewState::Animating, "Save GIF &As...", "GIF", true, true},
        {PreviewState::Stopped, "Save BMP &As...", "BMP", true, false},
    };
    auto expectState = [&](const StateRow& row) {
        EXPECT_EQ(window_->previewState(), row.state);
        EXPECT_EQ(window_->SaveAs1->text(), row.saveCaption);
        EXPECT_EQ(window_->btnsaveani->text(), row.buttonCaption);
        EXPECT_EQ(window_->SaveAs1->isEnabled(), row.saveEnabled);
        EXPECT_EQ(window_->btnsaveani->isEnabled(), row.saveEnabled);
        EXPECT_EQ(window_->Stop1->isEnabled(), row.stopEnabled);
        EXPECT_EQ(window_->btnstop->isEnabled(), row.stopEnabled);
    };
    {
        SCOPED_TRACE("start");
        expectState(rows[0]);
        window_->Stop1->trigger(); // disabled: nothing happens
        expectState(rows[0]);
    }
    {
        SCOPED_TRACE("animating");
        window_->showPreviewAnimating();
        expectState(rows[1]);
    }
    {
        SCOPED_TRACE("stopped by the Stop button");
        QTest::mouseClick(window_->btnstop, Qt::LeftButton);
        expectState(rows[2]);
    }
    {
        SCOPED_TRACE("animating again from stopped");
        window_->showPreviewAnimating();
        expectState(rows[1]);
        window_->Stop1->trigger();
        expectState(rows[2]);
    }
}

TEST_F(MainWindowTest, NewAsksBeforeErasingTheFrames)
{
    answer_ = false;
    window_->New2->trigger();
    ASSERT_EQ(questions_.size(), 1u);
    EXPECT_EQ(questions_[0], "Do you want to erase all current Frames?");
    EXPECT_EQ(window_->clearFrames, 0);

    answer_ = true;
    QTest::mouseClick(window_->btnnew, Qt::LeftButton);
    EXPECT_EQ(questions_.size(), 2u);
    EXPECT_EQ(window_->clearFrames, 1);
}

TEST_F(MainWindowTest, ToolsMenuShowsTheToolWindows)
{
    QWidget explorer, aviToGif, gifToAvi;
    window_->setToolWindows(&explorer, &aviToGif, &gifToAvi);
    window_->GIFExplorer1->trigger();
    EXPECT_TRUE(explorer.isVisible());
    EXPECT_FALSE(aviToGif.isVisible());
    window_->AVItoGIFconverter1->trigger();
    EXPECT_TRUE(aviToGif.isVisible());
    window_->GIFtoAVIconverter1->trigger();
    EXPECT_TRUE(gifToAvi.isVisible());
}

TEST_F(MainWindowTest, HelpOpensThePageOrSaysWhyNot)
{
    window_->ExeDirectory = dir_.path() + "/";
    const QString page = dir_.filePath("zoetra.html");

    window_->Contents1->trigger(); // no page yet
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_TRUE(messages_[0].contains(page)) << messages_[0].toStdString();
    EXPECT_TRUE(messages_[0].contains("cannot be found"));
    EXPECT_TRUE(urls_.empty());

    QFile file(page);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("<html><body id=\"Zoetra\"></body></html>");
    file.close();
    window_->Contents1->trigger();
    ASSERT_EQ(urls_.size(), 1u);
    EXPECT_TRUE(urls_[0].isLocalFile());
    EXPECT_EQ(urls_[0].toLocalFile(), page);
    EXPECT_EQ(urls_[0].fragment(), "Zoetra");
    EXPECT_EQ(messages_.size(), 1u);

    browserWorks_ = false;
    window_->Contents1->trigger();
    ASSERT_EQ(messages_.size(), 2u);
    EXPECT_TRUE(messages_[1].contains("no web browser")) << messages_[1].toStdString();
}

TEST_F(MainWindowTest, TheShippedHelpPageHasTheTopicAnchor)
{
    // The page in the source tree, two folders above this file.
    const QString path = QFileInfo(QStringLiteral(__FILE__)).absolutePath() + "/../../app/help/zoetra.html";
    QFile page(path);
    ASSERT_TRUE(page.open(QIODevice::ReadOnly)) << path.toStdString();
    const QByteArray html = page.readAll();
    EXPECT_TRUE(html.contains("id=\"Zoetra\""));
    for (const char* command : {"Create Selection", "Frame Delay", "GIF Explorer", "Insert Wizard Frames"})
        EXPECT_TRUE(html.contains(command)) << command;
}

TEST_F(MainWindowTest, AboutNamesTheEditorAndItsVersion)
{
    window_->About1->trigger();
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_TRUE(messages_[0].contains("Zoetra"));
    EXPECT_TRUE(messages_[0].contains(ZOETRA_VERSION)) << messages_[0].toStdString();
}

TEST_F(MainWindowTest, WizardButtonPictureFollowsTheMouse)
{
    showWindow();
    const int edge = window_->btnwizard->x() + 12;
    auto move = [](QWidget* target, int x) {
        QMouseEvent event(QEvent::MouseMove, QPointF(x, 3), target->mapToGlobal(QPointF(x, 3)), Qt::NoButton,
                          Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &event);
    };
    const qint64 image11 = window_->ImageList1[11].cacheKey();
    const qint64 image13 = window_->ImageList1[13].cacheKey();
    EXPECT_EQ(window_->btnwizard->icon().cacheKey(), image11);

    struct Step {
        QWidget* target;
        int x;
        int image;
    };
    const Step steps[] = {
        {window_->ToolBar1, edge, 13},
        {window_->ToolBar1, edge - 1, 11},
        {window_->ToolBar1, edge + 100, 13},
        {window_->ScrollBoxSource->viewport(), 0, 11},
        {window_->ScrollBoxSource->viewport(), edge + 5, 13},
        {window_->ToolBar1, 0, 11},
    };
    for (const Step& step : steps) {
        move(step.target, step.x);
        EXPECT_EQ(window_->wizardButtonImageIndex(), step.image) << step.target->objectName().toStdString() << " x=" << step.x;
        EXPECT_EQ(window_->btnwizard->icon().cacheKey(), step.image == 11 ? image11 : image13);
    }
}

class FilesPageTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        ASSERT_TRUE(pictures_.isValid());
        for (const char* name : {"a.bmp", "B.BMP", "c.gif", "d.JPG", "e.jpeg", "f.ico", "g.txt", "h.png", "jpg", "i.gif.txt"}) {
            QFile file(pictures_.filePath(name));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        }
        ASSERT_TRUE(QDir(pictures_.path()).mkdir("sub.gif"));
    }

    QStringList shownFiles() const
    {
        QStringList names;
        const QAbstractItemModel* model = window_->Files->model();
        const QModelIndex root = window_->Files->rootIndex();
        for (int row = 0; row < model->rowCount(root); ++row)
            names << model->index(row, 0, root).data().toString();
        names.sort(Qt::CaseInsensitive);
        return names;
    }

    QModelIndex fileIndex(const QString& name) const
    {
        const QAbstractItemModel* model = window_->Files->model();
        const QModelIndex root = window_->Files->rootIndex();
        for (int row = 0; row < model->rowCount(root); ++row)
            if (model->index(row, 0, root).data().toString() == name)
                return model->index(row, 0, root);
        return {};
    }

    QTemporaryDir pictures_;
};

TEST_F(FilesPageTest, FilesListsTheImageFilesOfTheFolderInAnyLetterCase)
{
    showWindow();
    window_->setDirboxDirectory(pictures_.path());
    EXPECT_EQ(window_->dirboxDirectory(), pictures_.path());
    const QStringList expected{"a.bmp", "B.BMP", "c.gif", "d.JPG", "e.jpeg", "f.ico"};
    EXPECT_TRUE(QTest::qWaitFor([&] { return shownFiles() == expected; }, 5000))
        << shownFiles().join(", ").toStdString();

    // The drive box chose the drive the folder lies on.
    EXPECT_EQ(window_->velDriveComboBox1->drive(), window_->velDriveComboBox1->driveOf(pictures_.path()));
    // The folder list shows the folder as the current one, and its subfolder.
    const auto* dirModel = static_cast<const QFileSystemModel*>(window_->dirbox->model());
    EXPECT_EQ(dirModel->filePath(window_->dirbox->currentIndex()), pictures_.path());
    EXPECT_TRUE(QTest::qWaitFor([&] { return dirModel->rowCount(window_->dirbox->currentIndex()) == 1; }, 5000));
    EXPECT_TRUE(window_->dirbox->isExpanded(window_->dirbox->currentIndex()));
    // ... and keeps it in view while the folders are read.
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return window_->dirbox->viewport()->rect().contains(
                window_->dirbox->visualRect(window_->dirbox->currentIndex()));
        },
        5000));
}

TEST_F(FilesPageTest, DoubleClickAndPopupAddRunAdd1ClickWithTheSelectedFile)
{
    showWindow();
    window_->setDirboxDirectory(pictures_.path());
    ASSERT_TRUE(QTest::qWaitFor([&] { return fileIndex("c.gif").isValid(); }, 5000));

    // Nothing selected: the popup item runs Add1Click, which finds no file.
    window_->Add1->trigger();
    EXPECT_EQ(window_->adds, 1);
    EXPECT_EQ(window_->addedFile, "");

    const QModelIndex index = fileIndex("c.gif");
    window_->Files->scrollTo(index);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window_->Files->visualRect(index).isEmpty(); }, 5000));
    const QPoint centre = window_->Files->visualRect(index).center();
    ASSERT_TRUE(window_->Files->viewport()->rect().contains(centre))
        << centre.x() << "," << centre.y() << " in " << window_->Files->viewport()->width() << "x"
        << window_->Files->viewport()->height();
    // A double click as the window system delivers it: press, release, double-click, release.
    QWidget* viewport = window_->Files->viewport();
    QTest::mousePress(viewport, Qt::LeftButton, Qt::NoModifier, centre);
    QTest::mouseRelease(viewport, Qt::LeftButton, Qt::NoModifier, centre);
    QMouseEvent dblClick(QEvent::MouseButtonDblClick, QPointF(centre), viewport->mapToGlobal(QPointF(centre)),
                         Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &dblClick);
    QTest::mouseRelease(viewport, Qt::LeftButton, Qt::NoModifier, centre);
    EXPECT_EQ(window_->adds, 2);
    EXPECT_EQ(window_->addedFile, pictures_.filePath("c.gif"));

    window_->Add1->trigger();
    EXPECT_EQ(window_->adds, 3);
    EXPECT_EQ(window_->addedFile, pictures_.filePath("c.gif"));
}

TEST_F(FilesPageTest, ChoosingADriveShowsItsRootFolder)
{
    window_->setDirboxDirectory(pictures_.path());
    auto* drives = window_->velDriveComboBox1;
    ASSERT_GE(drives->count(), 2);
    EXPECT_EQ(drives->itemData(0).toString(), "/");
    EXPECT_EQ(drives->itemData(1).toString(), QDir::cleanPath(QDir::homePath()));
    const QString other = drives->drive() == "/" ? drives->itemData(1).toString() : QString("/");
    ASSERT_TRUE(drives->setDrive(other));
    EXPECT_EQ(window_->dirboxDirectory(), other);
    const auto* dirModel = static_cast<const QFileSystemModel*>(window_->dirbox->model());
    EXPECT_EQ(dirModel->filePath(window_->dirbox->rootIndex()), other);
    EXPECT_FALSE(window_->dirbox->currentIndex().isValid());
}

TEST_F(FilesPageTest, AnEmptyOrMissingFolderShowsNoFilesAndIsKeptAsGiven)
{
    window_->setDirboxDirectory(pictures_.path());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !shownFiles().isEmpty(); }, 5000));
    for (const QString& folder : {QString(), pictures_.filePath("does not exist")}) {
        window_->setDirboxDirectory(folder);
        EXPECT_EQ(window_->dirboxDirectory(), folder);
        EXPECT_TRUE(shownFiles().isEmpty());
        EXPECT_EQ(window_->FilesFileName(), "");
    }
}

TEST(DriveComboBox, DriveOfPicksTheLongestRoot)
{
    TvelDriveComboBox box;
    box.setDrives({"/", "/home/user", "/home/user/media", "/mnt"});
    EXPECT_EQ(box.drive(), "/");
    EXPECT_EQ(box.driveOf("/home/user/media/x/y"), "/home/user/media");
    EXPECT_EQ(box.driveOf("/home/user/mediax"), "/home/user");
    EXPECT_EQ(box.driveOf("/home/user"), "/home/user");
    EXPECT_EQ(box.driveOf("/etc"), "/");
    EXPECT_EQ(box.driveOf(""), "");
    EXPECT_FALSE(box.setDrive("/nowhere"));
    QStringList seen;
    QObject::connect(&box, &TvelDriveComboBox::driveChanged, [&](const QString& root) { seen << root; });
    EXPECT_TRUE(box.setDrive("/mnt"));
    EXPECT_EQ(seen, QStringList{"/mnt"});

    QStringList mounted = TvelDriveComboBox::mountedDriveRoots();
    ASSERT_GE(mounted.size(), 1);
    EXPECT_EQ(mounted[0], "/");
    EXPECT_EQ(mounted.removeDuplicates(), 0);
}

} // namespace
