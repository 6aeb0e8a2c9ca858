#include "platform/ini_file.h"

#include "platform/exceptions.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class IniFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = fs::temp_directory_path() /
               ("zoetra-ini-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        path_ = dir_ / "settings.ini";
    }
    void TearDown() override { fs::remove_all(dir_); }

    void writeText(const std::string& text)
    {
        std::ofstream out(path_, std::ios::binary);
        out << text;
    }
    std::string readText() const
    {
        std::ifstream in(path_, std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }

    fs::path dir_;
    fs::path path_;
};

TEST_F(IniFileTest, MissingFileGivesDefaultsAndIsNotCreatedByReading)
{
    IniFile ini(path_);
    EXPECT_EQ(ini.ReadString("Directories", "Frames", "/home/x/"), "/home/x/");
    EXPECT_EQ(ini.ReadInteger("Frames", "Count", 10), 10);
    EXPECT_TRUE(ini.ReadBool("Window", "State", true));
    EXPECT_FALSE(ini.ReadBool("Window", "State", false));
    EXPECT_FALSE(ini.SectionExists("Window"));
    EXPECT_FALSE(fs::exists(path_));
}

TEST_F(IniFileTest, FirstWriteCreatesTheFileInPlainSyntax)
{
    IniFile ini(path_);
    ini.WriteBool("Window", "State", false);
    ini.WriteInteger("Window", "Left", -12);
    ini.WriteString("Directories", "Frames", "/tmp/some folder/");
    ini.WriteBool("Window", "Max", true);
    EXPECT_EQ(readText(), "[Window]\nState=0\nLeft=-12\nMax=1\n\n[Directories]\nFrames=/tmp/some folder/\n");

    IniFile again(path_);
    EXPECT_FALSE(again.ReadBool("Window", "State", true));
    EXPECT_TRUE(again.ReadBool("Window", "Max", false));
    EXPECT_EQ(again.ReadInteger("Window", "Left", 0), -12);
    EXPECT_EQ(again.ReadString("Directories", "Frames", ""), "/tmp/some folder/");
}

TEST_F(IniFileTest, NamesIgnoreLetterCaseAndSurroundingSpaces)
{
    writeText("; comment line\r\n  [ window ]  \r\n  LEFT =  15  \r\nTop=7\r\n");
    IniFile ini(path_);
    EXPECT_EQ(ini.ReadInteger("Window", "Left", 0), 15);
    EXPECT_EQ(ini.ReadInteger("WINDOW", "top", 0), 7);
    EXPECT_EQ(ini.ReadString("window", "left", "x"), "15");
    EXPECT_TRUE(ini.ValueExists("Window", "Top"));
    EXPECT_FALSE(ini.ValueExists("Window", "Width"));
}

TEST_F(IniFileTest, EmptyValueIsEmptyTextNotTheDefault)
{
    writeText("[Directories]\nFrames=\nOpen=   \n[Frames]\nCount=\n");
    IniFile ini(path_);
    EXPECT_EQ(ini.ReadString("Directories", "Frames", "/default/"), "");
    EXPECT_EQ(ini.ReadString("Directories", "Open", "/default/"), "");
    EXPECT_EQ(ini.ReadString("Directories", "Save", "/default/"), "/default/");
    // A number that is not there gives the default.
    EXPECT_EQ(ini.ReadInteger("Frames", "Count", 10), 10);
}

TEST_F(IniFileTest, IntegerAndBooleanConversions)
{
    struct Case {
        const char* text;
        int expected; // with default 777
    };
    const Case cases[] = {
        {"10", 10},         {" 42 ", 42},   {"+8", 8},           {"-5", -5},         {"$1F", 31},
        {"0x1f", 31},       {"0X10", 16},   {"-$10", -16},       {"$FFFFFFFF", -1},  {"2147483647", 2147483647},
        {"2147483648", 777}, {"-2147483648", -2147483647 - 1}, {"99999999999", 777}, {"abc", 777}, {"12abc", 777},
        {"0x", 777},        {"$", 777},     {"1.5", 777},        {"- 3", 777},
    };
    std::string text = "[N]\n";
    for (std::size_t i = 0; i < std::size(cases); ++i)
        text += "k" + std::to_string(i) + "=" + cases[i].text + "\n";
    writeText(text);
    IniFile ini(path_);
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(ini.ReadInteger("N", "k" + std::to_string(i), 777), cases[i].expected) << "text: " << cases[i].text;

    writeText("[B]\nzero=0\none=1\ntwo=2\nminus=-1\nword=yes\n");
    ini.refresh();
    EXPECT_FALSE(ini.ReadBool("B", "zero", true));
    EXPECT_TRUE(ini.ReadBool("B", "one", false));
    EXPECT_TRUE(ini.ReadBool("B", "two", false));
    EXPECT_TRUE(ini.ReadBool("B", "minus", false));
    EXPECT_TRUE(ini.ReadBool("B", "word", true));
    EXPECT_FALSE(ini.ReadBool("B", "word", false));
}

TEST_F(IniFileTest, FirstSectionAndFirstKeyOfANameCount)
{
    writeText("[A]\nk=1\nk=2\n[a]\nk=3\nother=4\n");
    IniFile ini(path_);
    EXPECT_EQ(ini.ReadInteger("A", "k", 0), 1);
    EXPECT_EQ(ini.ReadInteger("A", "other", 0), 0);
    ini.WriteInteger("A", "k", 9);
    EXPECT_EQ(readText(), "[A]\nk=9\nk=2\n[a]\nk=3\nother=4\n");
}

TEST_F(IniFileTest, WritesKeepOtherLinesAndInsertBeforeTrailingBlankLines)
{
    writeText("; Zoetra settings\n[DrawF]\nLeft=10\n\n[Window]\nState=1\n");
    IniFile ini(path_);
    ini.WriteInteger("DrawF", "Height", 300);
    ini.WriteInteger("drawf", "LEFT", 11);
    EXPECT_EQ(readText(), "; Zoetra settings\n[DrawF]\nLEFT=11\nHeight=300\n\n[Window]\nState=1\n");
}

TEST_F(IniFileTest, EveryWriteRereadsTheFileSoTwoWritersKeepEachOthersSections)
{
    IniFile mainWindow(path_);
    IniFile drawWindow(path_); // both opened before either writes
    mainWindow.WriteBool("Window", "State", true);
    drawWindow.WriteInteger("DrawF", "Left", 5);
    mainWindow.WriteInteger("Frames", "Count", 12);
    drawWindow.WriteInteger("DrawF", "Top", 6);

    IniFile check(path_);
    EXPECT_TRUE(check.ReadBool("Window", "State", false));
    EXPECT_EQ(check.ReadInteger("Frames", "Count", 0), 12);
    EXPECT_EQ(check.ReadInteger("DrawF", "Left", 0), 5);
    EXPECT_EQ(check.ReadInteger("DrawF", "Top", 0), 6);
    // A writer's own view follows the file after its write.
    EXPECT_EQ(drawWindow.ReadInteger("Frames", "Count", 0), 12);
    // No temporary files are left beside the settings file.
    int files = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(dir_))
        ++files;
    EXPECT_EQ(files, 1);
}

TEST_F(IniFileTest, UnsafeNamesAndValuesAreRefusedWithoutTouchingTheFile)
{
    writeText("[Window]\nState=0\n");
    IniFile ini(path_);
    EXPECT_THROW(ini.WriteString("Directories", "Frames", "/tmp/a\n[Window]\nState=1"), Exception);
    EXPECT_THROW(ini.WriteString("Directories", "Frames", "/tmp/a\rb"), Exception);
    EXPECT_THROW(ini.WriteString("Dir]ectories", "Frames", "x"), Exception);
    EXPECT_THROW(ini.WriteString("Directories", "Fra=mes", "x"), Exception);
    EXPECT_THROW(ini.WriteString("Directories", "", "x"), Exception);
    EXPECT_THROW(ini.WriteString("", "Frames", "x"), Exception);
    EXPECT_EQ(readText(), "[Window]\nState=0\n");
}

TEST_F(IniFileTest, AFileThatCannotBeWrittenRaisesAnErrorNamingIt)
{
    const fs::path missingFolder = dir_ / "no such folder" / "zoetra.ini";
    IniFile ini(missingFolder);
    try {
        ini.WriteInteger("Frames", "Count", 10);
        FAIL() << "no exception";
    } catch (const EStreamError& e) {
        EXPECT_NE(std::string(e.what()).find(missingFolder.string()), std::string::npos) << e.what();
    }
    EXPECT_FALSE(fs::exists(missingFolder));
}

TEST_F(IniFileTest, OversizedOrFolderPathsAreRefusedWithAClearError)
{
    {
        std::ofstream out(path_, std::ios::binary);
        const std::string chunk(64 * 1024, 'x');
        for (std::uintmax_t written = 0; written <= IniFile::kMaxFileSize; written += chunk.size())
            out << chunk;
    }
    EXPECT_THROW(IniFile{path_}, EStreamError);
    try {
        IniFile folder(dir_);
        FAIL() << "no exception";
    } catch (const EStreamError& e) {
        EXPECT_NE(std::string(e.what()).find(dir_.string()), std::string::npos);
    }
}

} // namespace
