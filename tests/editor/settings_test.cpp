#include "editor/main_window.h"
#include "editor/settings_path.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QScreen>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(qobject_cast<QApplication*>(QCoreApplication::instance()), nullptr);
        ASSERT_TRUE(dir_.isValid());
        file_ = dir_.filePath("zoetra.ini");
    }

    std::unique_ptr<TZoetraF> open(const QString& file = QString())
    {
        TZoetraF::Hooks hooks;
        hooks.message = [this](const QString&, const QString& text) { messages_.push_back(text); };
        return std::make_unique<TZoetraF>(file.isEmpty() ? file_ : file, hooks);
    }

    void writeSettings(const QByteArray& text)
    {
        QFile f(file_);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text);
    }
    QByteArray readSettings() const
    {
        QFile f(file_);
        if (!f.open(QIODevice::ReadOnly))
            return {};
        return f.readAll();
    }

    QTemporaryDir dir_;
    QString file_;
    std::vector<QString> messages_;
};

TEST_F(SettingsTest, MissingFileGivesDefaultsAndTheFileIsCreatedAtDestruction)
{
    auto window = open();
    EXPECT_EQ(window->WizardFrameCount, 10);
    EXPECT_EQ(window->NewFrameWidth, 120);
    EXPECT_EQ(window->NewFrameHeight, 60);
    EXPECT_EQ(window->DefaultDelay, 10);
    EXPECT_FALSE(window->isMaximized());
    EXPECT_EQ(window->geometry().topLeft(), QPoint(127, 79));
    EXPECT_EQ(window->geometry().width(), 618);
    EXPECT_GT(window->geometry().height(), 462); // the client height counts from under the menu bar
    EXPECT_TRUE(window->ExeDirectory.endsWith('/'));
    EXPECT_EQ(window->ExeDirectory, QCoreApplication::applicationDirPath() + "/");
    EXPECT_EQ(window->dirboxDirectory(), window->ExeDirectory);
    EXPECT_EQ(window->OpenDialog1InitialDir, window->ExeDirectory);
    EXPECT_EQ(window->SaveDialog1InitialDir, window->ExeDirectory);
    EXPECT_FALSE(QFileInfo::exists(file_));
    const QRect bounds = window->geometry();
    const QString exe = window->ExeDirectory;
    window.reset();

    // Written in the order they are read.
    const QByteArray expected = "[Window]\nState=0\nLeft=127\nTop=79\nWidth=618\nHeight=" +
                                QByteArray::number(bounds.height()) + "\n\n[Directories]\nFrames=" + exe.toUtf8() +
                                "\nOpen=" + exe.toUtf8() + "\nSave=" + exe.toUtf8() +
                                "\n\n[Frames]\nCount=10\nWidth=120\nHeight=60\nDelay=10\n";
    EXPECT_EQ(readSettings(), expected);
    EXPECT_TRUE(messages_.empty());
}

TEST_F(SettingsTest, CountAndDelayAreClampedOnReadingWidthAndHeightAreNot)
{
    struct Case {
        const char* count;
        const char* delay;
        const char* width;
        int wizardFrames;
        int defaultDelay;
        int newWidth;
        int newHeight;
    };
    const Case cases[] = {
        {"99", "300", "5000", 50, 255, 5000, 5000}, {"2", "3", "-7", 4, 10, -7, -7},
        {"4", "10", "1", 4, 10, 1, 1},             {"50", "255", "120", 50, 255, 120, 120},
        {"-1", "-1", "0", 4, 10, 0, 0},            {"x", "y", "z", 10, 10, 120, 60},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("Count=") + c.count + " Delay=" + c.delay + " Width=" + c.width);
        writeSettings(QByteArray("[Frames]\nCount=") + c.count + "\nDelay=" + c.delay + "\nWidth=" + c.width +
                      "\nHeight=" + c.width + "\n");
        auto window = open();
        EXPECT_EQ(window->WizardFrameCount, c.wizardFrames);
        EXPECT_EQ(window->DefaultDelay, c.defaultDelay);
        EXPECT_EQ(window->NewFrameWidth, c.newWidth);
        EXPECT_EQ(window->NewFrameHeight, c.newHeight);
    }
}

TEST_F(SettingsTest, ValuesSurviveARoundTripAndOtherSectionsStay)
{
    writeSettings("[DrawF]\nState=0\nLeft=3\n");
    {
        auto window = open();
        window->setGeometry(40, 50, 700, 500);
        window->WizardFrameCount = 23;
        window->NewFrameWidth = 320;
        window->NewFrameHeight = 240;
        window->DefaultDelay = 45;
        window->setDirboxDirectory(dir_.path());
        window->OpenDialog1InitialDir = "/tmp/open here/";
        window->SaveDialog1InitialDir = "/tmp/save";
    }
    auto window = open();
    EXPECT_EQ(window->geometry(), QRect(40, 50, 700, 500));
    EXPECT_EQ(window->WizardFrameCount, 23);
    EXPECT_EQ(window->NewFrameWidth, 320);
    EXPECT_EQ(window->NewFrameHeight, 240);
    EXPECT_EQ(window->DefaultDelay, 45);
    EXPECT_EQ(window->dirboxDirectory(), dir_.path());
    EXPECT_EQ(window->OpenDialog1InitialDir, "/tmp/open here/");
    EXPECT_EQ(window->SaveDialog1InitialDir, "/tmp/save");
    EXPECT_TRUE(readSettings().startsWith("[DrawF]\nState=0\nLeft=3\n"));
}

TEST_F(SettingsTest, AWindowClosedMaximisedKeepsTheLastNormalBoundsAndOpensMaximised)
{
    writeSettings("[Window]\nState=0\nLeft=10\nTop=20\nWidth=500\nHeight=400\n");
    {
        auto window = open();
        EXPECT_EQ(window->geometry(), QRect(10, 20, 500, 400));
        window->setWindowState(Qt::WindowMaximized);
    }
    EXPECT_TRUE(readSettings().startsWith("[Window]\nState=1\nLeft=10\nTop=20\nWidth=500\nHeight=400\n"))
        << readSettings().toStdString();

    auto window = open();
    EXPECT_TRUE(window->windowState() & Qt::WindowMaximized);
    // The bounds are not read while the window opens maximised.
    EXPECT_NE(window->geometry(), QRect(10, 20, 500, 400));
}

TEST_F(SettingsTest, HostileWindowBoundsAreKeptWithinTheDesktop)
{
    writeSettings("[Window]\nState=0\nLeft=2147483647\nTop=-2147483648\nWidth=100000\nHeight=-5\n");
    auto window = open();
    const QRect bounds = window->geometry();
    const QSize desktop = QGuiApplication::primaryScreen()->availableVirtualGeometry().size();
    EXPECT_LE(bounds.width(), std::max(desktop.width(), 618));
    EXPECT_GE(bounds.height(), 1);
    EXPECT_GT(bounds.right(), bounds.left()); // no overflow at the edges
    EXPECT_LE(bounds.top(), bounds.bottom());
}

TEST_F(SettingsTest, AnEmptyDirectoryStaysEmptyOnlyAMissingKeyGivesTheDefault)
{
    writeSettings("[Directories]\nFrames=\nOpen=\n");
    {
        auto window = open();
        EXPECT_EQ(window->dirboxDirectory(), "");
        EXPECT_EQ(window->OpenDialog1InitialDir, "");
        EXPECT_EQ(window->SaveDialog1InitialDir, window->ExeDirectory);
    }
    const QByteArray text = readSettings();
    EXPECT_TRUE(text.contains("\nFrames=\n")) << text.toStdString();
    EXPECT_TRUE(text.contains("\nOpen=\n"));
}

TEST_F(SettingsTest, ASettingsFileThatCannotBeWrittenIsReportedAtExit)
{
    const QString unwritable = dir_.filePath("missing folder/zoetra.ini");
    open(unwritable).reset();
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_TRUE(messages_[0].contains(unwritable)) << messages_[0].toStdString();
    EXPECT_TRUE(messages_[0].contains("could not be saved"));
}

TEST_F(SettingsTest, AnUnreadableSettingsFileIsReportedAndTheDefaultsApply)
{
    ASSERT_TRUE(QDir(dir_.path()).mkdir("zoetra.ini")); // a folder where the file should be
    auto window = open();
    ASSERT_GE(messages_.size(), 1u);
    EXPECT_TRUE(messages_[0].contains(file_)) << messages_[0].toStdString();
    EXPECT_EQ(window->WizardFrameCount, 10);
    EXPECT_EQ(window->DefaultDelay, 10);
}

TEST(SettingsPath, NextToTheExecutableWhileItsFolderIsWritable)
{
    const QProcessEnvironment env;
    const auto writable = [](const QString&) { return true; };
    EXPECT_EQ(settingsFilePathFor("/opt/zoetra/bin/zoetra", env, writable), "/opt/zoetra/bin/zoetra.ini");
    EXPECT_EQ(settingsFilePathFor("/opt/zoetra/bin/zoetra.bin", env, writable), "/opt/zoetra/bin/zoetra.ini");
    EXPECT_EQ(settingsFilePathFor("/opt/z.12/zoetra", env, writable), "/opt/z.12/zoetra.ini");
}

TEST(SettingsPath, UnderTheUsersConfigFolderWhenTheExecutablesFolderIsNotWritable)
{
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    QStringList asked;
    const auto readOnly = [&](const QString& folder) {
        asked << folder;
        return false;
    };

    QProcessEnvironment env;
    env.insert("HOME", home.path());
    env.insert("XDG_CONFIG_HOME", home.filePath("xdg"));
    EXPECT_EQ(settingsFilePathFor("/usr/bin/zoetra", env, readOnly), home.filePath("xdg/zoetra/zoetra.ini"));
    EXPECT_EQ(asked, QStringList{"/usr/bin"});
    EXPECT_TRUE(QFileInfo(home.filePath("xdg/zoetra")).isDir());

    // Without XDG_CONFIG_HOME, or with a relative one, ~/.config is used.
    for (const char* xdg : {"", "relative/config"}) {
        SCOPED_TRACE(xdg);
        QProcessEnvironment plain;
        plain.insert("HOME", home.path());
        if (*xdg)
            plain.insert("XDG_CONFIG_HOME", xdg);
        EXPECT_EQ(settingsFilePathFor("/usr/bin/zoetra", plain, readOnly), home.filePath(".config/zoetra/zoetra.ini"));
        EXPECT_TRUE(QFileInfo(home.filePath(".config/zoetra")).isDir());
    }
}

TEST(SettingsPath, FolderWritability)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    EXPECT_TRUE(isFolderWritable(dir.path()));
    EXPECT_FALSE(isFolderWritable(dir.filePath("no such folder")));
    QFile file(dir.filePath("plain file"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    EXPECT_FALSE(isFolderWritable(file.fileName()));
}

} // namespace
