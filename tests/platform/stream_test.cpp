#include "platform/exceptions.h"
#include "platform/stream.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

class TempDir : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("zoetra-stream-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string slurp(const fs::path& p)
    {
        std::ifstream in(p, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    fs::path dir;
};

} // namespace

TEST(MemoryStream, ReadWriteSeekAndWords)
{
    MemoryStream m;
    m.writeWord(0x1234);
    m.writeDWord(0xA1B2C3D4);
    m.writeByte(7);
    EXPECT_EQ(m.size(), 7);
    EXPECT_EQ(m.data()[0], 0x34); // little-endian
    m.setPosition(0);
    EXPECT_EQ(m.readWord(), 0x1234);
    EXPECT_EQ(m.readDWord(), 0xA1B2C3D4u);
    EXPECT_EQ(m.readByte(), 7);
    EXPECT_EQ(m.readByte(), -1);
    EXPECT_THROW(m.readWord(), EReadError);
    m.seek(-2, SeekOrigin::End);
    EXPECT_EQ(m.position(), 5);
    m.seek(-100, SeekOrigin::Current);
    EXPECT_EQ(m.position(), 0);
    // Writing past the end grows the stream.
    m.setPosition(10);
    m.writeByte(1);
    EXPECT_EQ(m.size(), 11);
}

TEST(MemoryStream, ReadBufferFailsWithTheStreamText)
{
    MemoryStream m(std::vector<std::uint8_t>{1, 2, 3});
    std::uint8_t buf[4];
    try {
        m.readBuffer(buf, 4);
        FAIL() << "no exception";
    } catch (const EReadError& e) {
        EXPECT_STREQ(e.what(), "Stream read error");
    }
}

TEST_F(TempDir, FileWriteReplacesTargetOnlyOnCommit)
{
    const fs::path target = dir / "out.bin";
    { std::ofstream(target) << "old"; }
    {
        FileStream f(target, FileStream::Mode::Write);
        f.writeBuffer("new data", 8);
        EXPECT_EQ(slurp(target), "old"); // not touched before commit
    } // destroyed without commit: the old file survives, no temporary is left
    EXPECT_EQ(slurp(target), "old");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
    {
        FileStream f(target, FileStream::Mode::Write);
        f.writeBuffer("new data", 8);
        f.commit();
    }
    EXPECT_EQ(slurp(target), "new data");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

TEST_F(TempDir, FileReadAndErrorsNameTheFile)
{
    const fs::path p = dir / "data.bin";
    writeFileAtomically(p, "abcdef", 6);
    FileStream f(p, FileStream::Mode::Read);
    EXPECT_EQ(f.size(), 6);
    f.seek(2, SeekOrigin::Begin);
    char buf[3] = {};
    f.readBuffer(buf, 2);
    EXPECT_EQ(std::string(buf, 2), "cd");
    EXPECT_EQ(f.write("x", 1), 0); // read-only

    try {
        FileStream missing(dir / "missing.gif", FileStream::Mode::Read);
        FAIL() << "no exception";
    } catch (const EFOpenError& e) {
        EXPECT_NE(std::string(e.what()).find("missing.gif"), std::string::npos);
    }
    EXPECT_THROW(FileStream(dir / "no-such-folder" / "x.gif", FileStream::Mode::Write), EFCreateError);
    EXPECT_THROW(FileStream(dir, FileStream::Mode::Read), EFOpenError);
}

TEST_F(TempDir, CommitKeepsPermissionsOfTheReplacedFile)
{
    const fs::path p = dir / "keep.txt";
    writeFileAtomically(p, "a", 1);
    fs::permissions(p, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    writeFileAtomically(p, "b", 1);
    EXPECT_EQ(fs::status(p).permissions(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(readFileBytes(p), std::vector<std::uint8_t>{'b'});
}
