#pragma once
// The editor's main window: tool bar, the strip of frame pictures, the tab bar with the frame
// list and the file browser, and the animation preview; its menus and settings.
//
// The working state shared by the editor's commands lives in public members named as the
// commands refer to it. Every control, menu item and tool button carries its name as Qt
// object name. Commands whose work belongs to the frame list, assembly, frame operations and
// wizards are slots that those parts of the editor fill in.

#include "platform/color.h"
#include "platform/geometry.h"

#include <QFont>
#include <QIcon>
#include <QMainWindow>
#include <QPointer>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class Bitmap;
class QAction;
class QCheckBox;
class QColorDialog;
class QFileDialog;
class QFileSystemModel;
class QFontDialog;
class QFrame;
class QLabel;
class QListView;
class QListWidget;
class QListWidgetItem;
class QMenu;
class QProgressBar;
class QScrollArea;
class QSplitter;
class QStandardItemModel;
class QToolBar;
class QToolButton;
class QTreeView;
class QUrl;
class TFrameListBox;
class TFramePicture;
class TGIFImage;
class TPainterReduceF;
class TPreviewImage;
class TvelDriveComboBox;
class TvelTabBar;
class TvelTabSection;

// What the preview and the commands that depend on it show.
enum class PreviewState {
    Start,     // nothing assembled yet
    Animating, // an assembled GIF plays
    Stopped,   // the animation was stopped; a still picture shows
};

class TZoetraF : public QMainWindow {
    Q_OBJECT
public:
    // The window's dialogue with the user, replaceable for tests.
    struct Hooks {
        // An information or error message.
        std::function<void(const QString& title, const QString& text)> message;
        // A question answered Yes (true) or No (false).
        std::function<bool(const QString& title, const QString& question)> confirm;
        // Opens a document in the desktop's viewer; false when that failed.
        std::function<bool(const QUrl& url)> openUrl;
        // An input box; returns the answer, or initial when it is cancelled.
        std::function<QString(const QString& title, const QString& prompt, const QString& initial)> input;
        // Runs a file dialog; returns the chosen file, empty when it is cancelled.
        std::function<QString(QFileDialog* dialog)> chooseFile;
    };

    // settingsFile empty: settingsFilePath(). Unset hooks use message boxes and
    // QDesktopServices.
    explicit TZoetraF(const QString& settingsFile = QString(), Hooks hooks = Hooks(), QWidget* parent = nullptr);
    ~TZoetraF() override;

    const QString& settingsFile() const { return settingsFile_; }

    // Links to the tool windows the Tools menu shows (they are created after this window).
    void setToolWindows(QWidget* gifExplorer, QWidget* aviToGif, QWidget* gifToAvi);
    // The colour reduction window whose choice ReduceFrame applies to every assembled frame.
    // Without one, frames are reduced with its start-up choice.
    void setReduceWindow(TPainterReduceF* reduceWindow);

    // ---- Working state of the editor ----
    int FrameWidth = 0;
    int FrameHeight = 0;
    int NewFrameWidth = 120;
    int NewFrameHeight = 60;
    int FrameCounter = 1;
    int DefaultDelay = 10;
    int LoopCount = 0;
    int WizardFrameCount = 10;
    int RotationAngle = 90;
    std::unique_ptr<Bitmap> WorkBitmap;
    QString ExeDirectory; // with a trailing "/"
    QFont TextWizardFont;
    QStringList TextWizardLines;
    TColor AccentColor = clRed;
    Point MarkPosition;
    Point PopupPoint;
    // Initial folders of OpenDialog1 and SaveDialog1 (kept as typed, an empty text included).
    QString OpenDialog1InitialDir;
    QString SaveDialog1InitialDir;

    // ---- Settings ----
    void LoadSettings();
    void SaveSettings(); // throws when the settings file cannot be written

    // ---- Preview states ----
    PreviewState previewState() const { return previewState_; }
    // An animation was assembled and plays (assembly and wizard previews call this).
    void showPreviewAnimating();
    // The animation was stopped and a still picture shows.
    void showPreviewStopped();

    // ---- Frame list ----
    int frameCount() const;
    // The picture of the frame of list index (null when there is none).
    TFramePicture* FrameImage(int index) const;
    // The name part of the line of list index ("Frame3" of "Frame3=10").
    QString frameName(int index) const;
    // The value part of the line as an integer; 30 when it is not one.
    int GetFrameDelay(int index) const;
    // Appends a picture file as a frame (loader by extension, fitted to the frame size).
    // Errors of the file pass on; no frame is added then.
    void AddImageFile(const QString& path);
    // Appends a picture as a frame, at its own size.
    void Append(const Bitmap& picture);
    void ArrangeFrames();
    void ListClick();
    void IFrameMouseDown(TFramePicture* picture);
    // The drop of a drag within List at row: the current line moves there.
    void ListDragDrop(int row);
    void DeselectAll();
    void GetWorkBitmap(int index);
    void PutWorkBitmap(int index);
    void ClearWorkBitmap();
    void InsertWorkFrame();
    // The frame framepop works on: its picture, or the current line's when it opened on List.
    TFramePicture* framepopFrame() const;

    // ---- Assembly, saving and opening ----
    // Builds the animation of all frames or of the selected ones and shows it in the preview.
    void CreateAnimation(bool all);
    // Saves the preview to path: the GIF while it animates, the still bitmap once stopped.
    void SavePreview(const QString& path);
    // Reads a GIF file as frames, replacing the frames there are.
    void OpenGIF(const QString& path);
    // Appends image index of gif as a frame (skipped when its size is not the frame size).
    void AddGIFFrame(TGIFImage& gif, int index);
    // The assembled animation the preview plays (null when there is none).
    const TGIFImage* previewGIF() const { return previewGIF_.get(); }
    // The still picture of a stopped preview.
    const Bitmap* previewStill() const { return previewStill_.get(); }

    // ---- The "Files" page ----
    // Folder shown in dirbox; empty when none is chosen.
    QString dirboxDirectory() const { return dirboxDirectory_; }
    // Shows folder in dirbox (choosing its drive) and its image files in Files. An empty or
    // missing folder is kept as the folder's name, with nothing shown in Files.
    void setDirboxDirectory(const QString& folder);
    // Path of the file selected in Files; empty when none is.
    QString FilesFileName() const;

    // ---- Wizard button picture ----
    // Mouse at horizontal position x in the tool bar or the frame strip.
    void updateWizardButtonImage(int x);
    int wizardButtonImageIndex() const { return wizardButtonImage_; }

    // ---- Controls ----
    QToolBar* ToolBar1 = nullptr;
    QScrollArea* ScrollBoxSource = nullptr; // the frame strip
    QWidget* FrameStrip = nullptr;          // the strip's contents: parent of the frame pictures
    QLabel* FramePointer = nullptr;
    QSplitter* dfsSplitter2 = nullptr;
    QWidget* Panel1 = nullptr;
    TvelTabBar* velTabBar1 = nullptr;
    TvelTabSection* velTabSection1 = nullptr;
    TvelTabSection* velTabSection2 = nullptr;
    TFrameListBox* List = nullptr;
    TvelDriveComboBox* velDriveComboBox1 = nullptr;
    QTreeView* dirbox = nullptr;
    QListView* Files = nullptr;
    QSplitter* dfsSplitter1 = nullptr;
    QFrame* Panel2 = nullptr;
    QWidget* Panel5 = nullptr;
    QCheckBox* CheckBoxMerge = nullptr;
    QCheckBox* CheckBoxCrop = nullptr;
    QLabel* anisize = nullptr;
    QProgressBar* AssemblyProgress = nullptr; // progress of the assembly, shown while it runs
    TPreviewImage* ImageAnimate = nullptr;

    QFileDialog* SaveDialog = nullptr;
    QFileDialog* SaveDialog1 = nullptr;
    QFileDialog* OpenDialog1 = nullptr;
    QColorDialog* ColorDialog1 = nullptr;
    QFontDialog* FontDialog1 = nullptr;
    std::vector<QIcon> ImageList1;
    std::vector<Bitmap> wizlist; // frames generated by the last wizard

    // Main menu
    QMenu* Animation1 = nullptr;
    QAction* New2 = nullptr;
    QAction* Create1 = nullptr;
    QAction* CreateSelection1 = nullptr;
    QAction* Open2 = nullptr;
    QAction* SaveAs1 = nullptr;
    QAction* Stop1 = nullptr;
    QMenu* mnuFrame = nullptr;
    QAction* Delete2 = nullptr;
    QAction* Edit1 = nullptr;
    QAction* New1 = nullptr;
    QAction* Arrange1 = nullptr;
    QMenu* Image1 = nullptr;
    QAction* Blur2 = nullptr;
    QAction* FlipLeftRight2 = nullptr;
    QAction* FlipTopDown1 = nullptr;
    QMenu* Mirror1 = nullptr;
    QAction* Right8 = nullptr;
    QAction* Down3 = nullptr;
    QMenu* Scroll1 = nullptr;
    QAction* Up1 = nullptr;
    QAction* Down1 = nullptr;
    QAction* Left1 = nullptr;
    QAction* Right1 = nullptr;
    QAction* Duplicate1 = nullptr;
    QAction* Invert1 = nullptr;
    QMenu* Options1 = nullptr;
    QAction* FrameDelay1 = nullptr;
    QAction* SetFrames1 = nullptr;
    QAction* SetLoops1 = nullptr;
    QAction* DefTrans = nullptr;
    QAction* RotationAngle2 = nullptr;
    QMenu* TextWizard1 = nullptr;
    QAction* TextWizardFont1 = nullptr;
    QAction* TextWizardText1 = nullptr;
    QAction* TextWizardColor1 = nullptr;
    QAction* AccentColor1 = nullptr;
    QMenu* Tools1 = nullptr;
    QAction* GIFExplorer1 = nullptr;
    QAction* AVItoGIFconverter1 = nullptr;
    QAction* GIFtoAVIconverter1 = nullptr;
    QMenu* Help1 = nullptr;
    QAction* Contents1 = nullptr;
    QAction* About1 = nullptr;

    // Tool bar
    QToolButton* btnnew = nullptr;
    QToolButton* btnopen = nullptr;
    QToolButton* btnsaveani = nullptr;
    QToolButton* btnnewframe = nullptr;
    QToolButton* btnedit = nullptr;
    QToolButton* ToolButton10 = nullptr;
    QToolButton* btnduplicate = nullptr;
    QToolButton* btndeleteframe = nullptr;
    QToolButton* btndelay = nullptr;
    QToolButton* btnwizard = nullptr;
    QToolButton* btnstop = nullptr;
    QToolButton* btnwizinsert = nullptr;
    QToolButton* btnanimate = nullptr;
    QToolButton* btnanimateselection = nullptr;

    // Popup menus
    QMenu* framepop = nullptr;
    QAction* Optimize1 = nullptr;
    QAction* Transparent1 = nullptr;
    QAction* Backgrounds1 = nullptr;
    QAction* Effect1 = nullptr;
    QAction* MarkTextPosition1 = nullptr;
    QAction* SaveAs2 = nullptr;
    QMenu* frameeffectpop = nullptr;
    QAction* FlipLeftRight1 = nullptr;
    QAction* FlipUpDown1 = nullptr;
    QAction* Rotate1 = nullptr;
    QAction* Trace2 = nullptr;
    QMenu* Shadow2 = nullptr;
    QAction* UpLeft2 = nullptr;
    QAction* UpRight1 = nullptr;
    QAction* DownLeft2 = nullptr;
    QAction* DownRight2 = nullptr;
    QMenu* Overlay1 = nullptr;
    QAction* N50Opaque1 = nullptr;
    QAction* N25Opaque1 = nullptr;
    QMenu* filespop = nullptr;
    QAction* Add1 = nullptr;
    QMenu* wizpop = nullptr;

signals:
    // The window was closed by the user; the program ends.
    void closed();

public slots:
    // Animation menu
    void New2Click();
    virtual void ClearFrames();
    virtual void Create1Click();
    virtual void CreateSelection1Click();
    virtual void Open2Click();
    virtual void ButtonSaveClick();
    void Stop1Click();
    // Frame menu and tool bar
    void Delete2Click();
    virtual void Delete1Click();
    virtual void Edit1Click();
    virtual void goNewClick();
    virtual void Arrange1Click();
    virtual void DuplicateFrame();
    virtual void Delay1Click();
    virtual void InsertWizardFrames();
    // Image menu
    virtual void Blur2Click();
    virtual void FlipLeftRight2Click();
    virtual void FlipTopDown1Click();
    virtual void Right8Click();
    virtual void Down3Click();
    virtual void Up1Click();
    virtual void Down1Click();
    virtual void Left1Click();
    virtual void Right1Click();
    virtual void Invert1Click();
    // Options menu
    virtual void FrameDelay1Click();
    virtual void SetFrames1Click();
    virtual void SetLoops1Click();
    virtual void DefTransClick();
    virtual void RotationAngle1Click();
    virtual void TextWizardFont1Click();
    virtual void TextWizardText1Click();
    virtual void TextWizardColor1Click();
    virtual void AccentColor1Click();
    // Tools menu
    void GIFExplorer1Click();
    void AVItoGIFconverter1Click();
    void GIFtoAVIconverter1Click();
    // Help menu
    void Contents1Click();
    void About1Click();
    // framepop
    virtual void Optimize1Click();
    virtual void Transparent1Click();
    virtual void Backgrounds1Click();
    virtual void Effect1Click();
    virtual void MarkTextPosition1Click();
    virtual void SaveAs2Click();
    // frameeffectpop
    virtual void FlipLeftRight1Click();
    virtual void FlipUpDown1Click();
    virtual void Rotate1Click();
    virtual void Trace2Click();
    virtual void UpLeft2Click();
    virtual void UpRight1Click();
    virtual void DownLeft2Click();
    virtual void DownRight2Click();
    virtual void N50Opaque1Click();
    virtual void N25Opaque1Click();
    // filespop and Files
    virtual void Add1Click();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

    void FormCreate();
    void FormClose();
    // Frees the working objects and writes the settings; runs once, at the latest from the
    // destructor. A settings file that cannot be written is reported to the user.
    void FormDestroy();

    // framepop opens over source (List or a frame picture) at a screen position.
    void popupFramepop(QWidget* source, const QPoint& globalPos);

    Hooks hooks_;

private:
    void buildMenus();
    void buildToolBar();
    void buildClientArea();
    void buildFilesPage();
    void buildPopupMenus();
    void buildDialogs();
    void setPreviewState(PreviewState state);
    void showFilesOf(const QString& folder);
    void selectDirboxFolder(const QString& folder);
    QToolButton* addToolButton(const char* name, const QString& hint, int image);
    void reportError(const QString& text);
    // Runs a command; an error is shown with its message.
    void guarded(const std::function<void()>& command);
    QString askInput(const QString& title, const QString& prompt, const QString& initial);
    TFramePicture* createFramePicture();
    // delay < 0: DefaultDelay.
    QListWidgetItem* insertFrameLine(int row, TFramePicture* picture, int delay = -1);
    void appendGIFFrame(TGIFImage& gif, int index, Bitmap picture);
    void startPreview();
    // Stops the preview's painters; the preview then shows nothing.
    void stopPreview();
    void updateStripExtent();
    void showPreviewPicture(const Bitmap& bitmap);
    void reduceFrame(Bitmap& bitmap);

    QString settingsFile_;
    QString dirboxDirectory_;
    PreviewState previewState_ = PreviewState::Start;
    int wizardButtonImage_ = 11;
    int designHeight_ = 462;
    bool destroyed_ = false;
    bool scrollToCurrentFolder_ = false;
    QPointer<QWidget> gifExplorer_;
    QPointer<QWidget> aviToGif_;
    QPointer<QWidget> gifToAvi_;
    QPointer<QWidget> framepopSource_;
    QPointer<TPainterReduceF> reduceWindow_;
    std::unique_ptr<TGIFImage> previewGIF_;
    std::unique_ptr<Bitmap> previewStill_;
    QFileSystemModel* dirModel_ = nullptr;
    QFileSystemModel* fileModel_ = nullptr;
    QStandardItemModel* noFilesModel_ = nullptr;
};
