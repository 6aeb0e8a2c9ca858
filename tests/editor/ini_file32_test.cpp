#include "editor/controls/form_ini.h"
#include "editor/controls/ini_file32.h"

#include "platform/exceptions.h"
#include "tests/support/qt_application_environment.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <fstream>
#include <sstream>
#include <string>

namespace {

void testApp()
{
    ASSERT_NE(qobject_cast<QApplication*>(QCoreApplication::instance()), nullptr);
}

class IniFile32Test : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }

    std::filesystem::path path(const std::string& name = "zoetra.ini") const
    {
        return std::filesystem::path(dir_.path().toStdString()) / name;
    }

    static void writeText(const std::filesystem::path& p, const std::string& text)
    {
        std::ofstream out(p, std::ios::binary | std::ios::trunc);
        out << text;
    }

    static std::string readText(const std::filesystem::path& p)
    {
        std::ifstream in(p, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    QTemporaryDir dir_;
};

TEST_F(IniFile32Test, ReadsStringsIntegersAndBooleans)
{
    writeText(path(),
              "[DrawF]\n"
              "Left = 10\n"
              "Top=\n"
              "Width=0x1F\n"
              "Dollar=$1F\n"
              "Neg=-12\n"
              "Bad=12abc\n"
              "Big=4294967296\n"
              "HexWrap=0xFFFFFFFF\n"
              "Dup=\n"
              "Dup=7\n"
              "Name =  a b = c  \n"
              "State=1\n"
              "Off=0\n"
              "\n"
              "[Window]\n"
              "Height=99\n");
    const TIniFile32 ini(path());

    struct IntCase {
        const char* section;
        const char* key;
        int defaultValue;
        int expected;
    };
    const IntCase cases[] = {
        {"DrawF", "Left", 0, 10},        // spaces round key and value
        {"DrawF", "Top", 5, 5},          // empty value gives the default
        {"DrawF", "Width", 0, 31},       // 0x hexadecimal
        {"DrawF", "Dollar", 0, 31},      // $ hexadecimal
        {"DrawF", "Neg", 0, -12},
        {"DrawF", "Bad", 7, 7},          // not a number
        {"DrawF", "Big", 7, 7},          // beyond 32 bits
        {"DrawF", "HexWrap", 0, -1},     // 32-bit pattern
        {"DrawF", "Dup", 3, 3},          // the first line of a key counts, even when empty
        {"DrawF", "left", 4, 4},         // keys are case-sensitive
        {"drawf", "Left", 0, 10},        // sections are not
        {"DrawF", "Height", 6, 6},       // the next section's key is not this section's
        {"Window", "Height", 0, 99},
        {"Missing", "Left", 8, 8},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ini.ReadInteger(c.section, c.key, c.defaultValue), c.expected) << c.section << "/" << c.key;

    EXPECT_EQ(ini.ReadString("DrawF", "Name", "x"), "a b = c");
    EXPECT_EQ(ini.ReadString("DrawF", "Top", "dflt"), "dflt");
    EXPECT_TRUE(ini.ReadBool("DrawF", "State", false));
    EXPECT_FALSE(ini.ReadBool("DrawF", "Off", true));
    EXPECT_TRUE(ini.ReadBool("DrawF", "Missing", true));
    EXPECT_FALSE(ini.ReadBool("DrawF", "Missing", false));
}

TEST_F(IniFile32Test, HeadersWithBlanksRoundThemAreNotFound)
{
    writeText(path(), " [DrawF]\nLeft=10\n[Window] \nTop=3\n");
    const TIniFile32 ini(path());
    EXPECT_EQ(ini.ReadInteger("DrawF", "Left", -1), -1);
    EXPECT_EQ(ini.ReadInteger("Window", "Top", -1), -1);
}

TEST_F(IniFile32Test, WritesPlaceLinesAsTheFileSyntaxRequires)
{
    struct Case {
        const char* name;
        const char* before;
        const char* section;
        const char* key;
        const char* value;
        const char* after;
    };
    const Case cases[] = {
        {"new key goes after the blank lines ending the section, before the next header",
         "[DrawF]\nLeft=10\n\n[Window]\nA=1\n", "DrawF", "Height", "200",
         "[DrawF]\nLeft=10\n\nHeight=200\n[Window]\nA=1\n"},
        {"existing key is replaced without spaces round the equals sign",
         "[DrawF]\nLeft = 10\nTop=5\n", "DrawF", "Left", "20", "[DrawF]\nLeft=20\nTop=5\n"},
        {"a header with a leading blank is not found, so a second section is appended",
         " [DrawF]\nLeft=10\n", "DrawF", "Left", "20", " [DrawF]\nLeft=10\n\n[DrawF]\nLeft=20\n"},
        {"a header with a leading blank still ends the section before it",
         "[Window]\nA=1\n [DrawF]\nLeft=10\n", "Window", "B", "2", "[Window]\nA=1\nB=2\n [DrawF]\nLeft=10\n"},
        {"missing section is appended after an empty line",
         "[Window]\nA=1\n", "DrawF", "State", "1", "[Window]\nA=1\n\n[DrawF]\nState=1\n"},
        {"empty key appends only the header", "", "DrawF", "", "x", "\n[DrawF]\n"},
        {"empty key in an existing section changes nothing", "[DrawF]\nA=1\n", "DrawF", "", "x", "[DrawF]\nA=1\n"},
        {"section names match without regard to case", "[drawf]\nLeft=1\n", "DrawF", "Left", "2", "[drawf]\nLeft=2\n"},
        {"key names match with regard to case", "[DrawF]\nLeft=1\n", "DrawF", "left", "2", "[DrawF]\nLeft=1\nleft=2\n"},
        {"value is written unchanged", "[DrawF]\n", "DrawF", "Name", "  a=b ", "[DrawF]\nName=  a=b \n"},
        {"CR LF and CR line ends are read", "[DrawF]\r\nLeft=1\r[Window]\r\n", "DrawF", "Top", "2",
         "[DrawF]\nLeft=1\nTop=2\n[Window]\n"},
    };
    for (const auto& c : cases) {
        writeText(path(), c.before);
        TIniFile32 ini(path());
        ini.WriteString(c.section, c.key, c.value);
        EXPECT_EQ(readText(path()), c.after) << c.name;
        const std::string all = std::string(c.after);
        EXPECT_EQ(ini.lines().size(), std::size_t(std::count(all.begin(), all.end(), '\n'))) << c.name;
    }
}

TEST_F(IniFile32Test, WrittenValuesReadBack)
{
    TIniFile32 ini(path());
    ini.WriteInteger("DrawF", "Left", -5);
    ini.WriteBool("DrawF", "State", true);
    ini.WriteBool("DrawF", "Off", false);
    ini.WriteString("DrawF", "Left", "0x10");
    EXPECT_EQ(readText(path()), "\n[DrawF]\nLeft=0x10\nState=1\nOff=0\n");
    EXPECT_EQ(ini.ReadInteger("DrawF", "Left", 0), 16);
    const TIniFile32 again(path());
    EXPECT_TRUE(again.ReadBool("DrawF", "State", false));
    EXPECT_FALSE(again.ReadBool("DrawF", "Off", true));
}

TEST_F(IniFile32Test, MissingFileGivesDefaultsAndFirstWriteCreatesIt)
{
    const auto p = path("new.ini");
    TIniFile32 ini(p);
    EXPECT_TRUE(ini.lines().empty());
    EXPECT_EQ(ini.ReadString("DrawF", "Left", "d"), "d");
    EXPECT_EQ(ini.ReadInteger("DrawF", "Left", 42), 42);
    EXPECT_FALSE(std::filesystem::exists(p));
    ini.WriteBool("DrawF", "State", false);
    EXPECT_EQ(readText(p), "\n[DrawF]\nState=0\n");
}

TEST_F(IniFile32Test, UnwritableFileRaisesAnErrorNamingIt)
{
    const std::filesystem::path paths[] = {
        path("no-such-folder") / "zoetra.ini", // folder missing
        path(),                                // a folder where the file should be
    };
    std::filesystem::create_directory(path());
    for (const auto& p : paths) {
        TIniFile32 ini(p);
        EXPECT_EQ(ini.ReadInteger("DrawF", "Left", 3), 3);
        try {
            ini.WriteInteger("DrawF", "Left", 1);
            ADD_FAILURE() << "no error for " << p;
        } catch (const EStreamError& e) {
            EXPECT_NE(std::string(e.what()).find(p.string()), std::string::npos) << e.what();
        }
    }
    EXPECT_TRUE(std::filesystem::is_directory(path()));
}

TEST_F(IniFile32Test, TooLargeFileIsNeitherReadNorOverwritten)
{
    const std::string big = "[DrawF]\nLeft=1\n" + std::string(TIniFile32::maxFileSize, 'x') + "\n";
    writeText(path(), big);
    TIniFile32 ini(path());
    EXPECT_EQ(ini.ReadInteger("DrawF", "Left", 9), 9);
    EXPECT_THROW(ini.WriteInteger("DrawF", "Left", 2), EStreamError);
    EXPECT_EQ(std::filesystem::file_size(path()), big.size());
}

TEST_F(IniFile32Test, NamesAndValuesThatWouldBreakTheFileAreRefused)
{
    writeText(path(), "[DrawF]\nLeft=1\n");
    TIniFile32 ini(path());
    EXPECT_THROW(ini.WriteString("DrawF", "Left", "2\n[Window]"), Exception);
    EXPECT_THROW(ini.WriteString("Draw\nF", "Left", "2"), Exception);
    EXPECT_THROW(ini.WriteString("DrawF", "a=b", "2"), Exception);   // could never be found again
    EXPECT_THROW(ini.WriteString("DrawF", "Left ", "2"), Exception); // neither could this
    EXPECT_EQ(readText(path()), "[DrawF]\nLeft=1\n");
}

TEST_F(IniFile32Test, TwoWritersOfOneFileKeepEachOthersSections)
{
    writeText(path(), "[Window]\nLeft=1\n");
    TIniFile32 first(path());
    TIniFile32 second(path());
    second.WriteString("Directories", "Open", "/tmp");
    first.WriteInteger("DrawF", "Left", 10);
    first.WriteInteger("Window", "Left", 2);
    second.WriteInteger("DrawF", "Top", 20);

    const TIniFile32 result(path());
    EXPECT_EQ(result.ReadInteger("Window", "Left", 0), 2);
    EXPECT_EQ(result.ReadString("Directories", "Open", ""), "/tmp");
    EXPECT_EQ(result.ReadInteger("DrawF", "Left", 0), 10);
    EXPECT_EQ(result.ReadInteger("DrawF", "Top", 0), 20);
    // A writer also reads what it found on its last write.
    EXPECT_EQ(second.ReadInteger("DrawF", "Left", 0), 10);
}

TEST_F(IniFile32Test, FormPlacementRoundTrip)
{
    testApp();
    const TvxFormIni ini(path());
    {
        QWidget form;
        form.setObjectName("DrawF");
        form.move(33, 44);
        form.resize(321, 234);
        ini.SaveFormPlacement(form);
    }
    const TIniFile32 file(path());
    EXPECT_FALSE(file.ReadBool("DrawF", "State", true));
    EXPECT_EQ(file.ReadInteger("DrawF", "Left", 0), 33);
    EXPECT_EQ(file.ReadInteger("DrawF", "Top", 0), 44);
    EXPECT_EQ(file.ReadInteger("DrawF", "Width", 0), 321);
    EXPECT_EQ(file.ReadInteger("DrawF", "Height", 0), 234);

    QWidget restored;
    restored.setObjectName("DrawF");
    restored.move(1, 2);
    restored.resize(100, 100);
    ini.LoadFormPlacement(restored);
    EXPECT_FALSE(restored.isMaximized());
    EXPECT_EQ(restored.pos(), QPoint(33, 44));
    EXPECT_EQ(restored.size(), QSize(321, 234));

    // Another form's section is its own.
    QWidget other;
    other.setObjectName("GIFExplorerF");
    other.move(5, 6);
    other.resize(70, 80);
    ini.LoadFormPlacement(other);
    EXPECT_EQ(other.pos(), QPoint(5, 6));
    EXPECT_EQ(other.size(), QSize(70, 80));
}

TEST_F(IniFile32Test, FormPlacementMaximisedAndMissingOrBadValues)
{
    testApp();
    const TvxFormIni ini(path());
    {
        QWidget form;
        form.setObjectName("DrawF");
        form.setWindowState(Qt::WindowMaximized);
        ini.SaveFormPlacement(form);
    }
    EXPECT_EQ(readText(path()), "\n[DrawF]\nState=1\n");
    QWidget restored;
    restored.setObjectName("DrawF");
    ini.LoadFormPlacement(restored);
    EXPECT_TRUE(restored.isMaximized());

    writeText(path(), "[DrawF]\nState=0\nLeft=15\nWidth=0\nHeight=-40\n");
    QWidget partial;
    partial.setObjectName("DrawF");
    partial.move(7, 8);
    partial.resize(200, 150);
    ini.LoadFormPlacement(partial);
    EXPECT_FALSE(partial.isMaximized());
    EXPECT_EQ(partial.pos(), QPoint(15, 8));
    EXPECT_EQ(partial.size(), QSize(200, 150));
}

TEST_F(IniFile32Test, FormPlacementKeepsTheMainWindowsSections)
{
    testApp();
    writeText(path(), "[Window]\nLeft=1\n\n[Directories]\nOpen=/home\n");
    QWidget form;
    form.setObjectName("DrawF");
    form.move(3, 4);
    form.resize(50, 60);
    TvxFormIni(path()).SaveFormPlacement(form);
    EXPECT_EQ(readText(path()),
              "[Window]\nLeft=1\n\n[Directories]\nOpen=/home\n\n[DrawF]\nState=0\nLeft=3\nTop=4\nWidth=50\nHeight=60\n");
}

} // namespace
