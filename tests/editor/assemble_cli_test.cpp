// zoetra-cli assemble, run as a program: wrong usage and unreadable pictures.

#include "platform/bitmap.h"

#include <QTemporaryDir>

#include "tests/support/cli_run.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <sys/wait.h>

namespace {

CliRun runCli(const std::string& arguments) { return ::runCli(arguments, CliStderr::Merge); }

TEST(AssembleCommand, WrongUsageIsRefusedWithStatus2)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string picture = dir.filePath("a.bmp").toStdString();
    Bitmap bitmap(4, 4, pf24bit);
    bitmap.fill(clRed);
    bitmap.saveToFile(picture);
    const std::string out = dir.filePath("out.gif").toStdString();
    const std::string cases[] = {
        "assemble " + picture,                              // no -o
        "assemble -o " + out,                               // no picture
        "assemble -o " + out + " --palette vivid " + picture,
        "assemble -o " + out + " --palette palette " + picture, // needs a palette of the caller's
        "assemble -o " + out + " --dither random " + picture,
        "assemble -o " + out + " --bits 9 " + picture,
        "assemble -o " + out + " --bits 0 " + picture,
        "assemble -o " + out + " --delay 70000 " + picture,
        "assemble -o " + out + " --delay -1 " + picture,
        "assemble -o " + out + " --loop x " + picture,
        "assemble -o " + out + " --fast " + picture,
        "assemble -o " + out + " --merge=1 " + picture,
        "assemble -o " + out + " " + picture + " --delay",
    };
    for (const std::string& arguments : cases) {
        const CliRun run = runCli(arguments);
        EXPECT_EQ(run.status, 2) << arguments << "\n" << run.out;
        EXPECT_NE(run.out.find("zoetra-cli: assemble: "), std::string::npos) << arguments << "\n" << run.out;
    }
    EXPECT_FALSE(std::filesystem::exists(out));
}

TEST(AssembleCommand, UnreadablePicturesWriteNothing)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string out = dir.filePath("out.gif").toStdString();
    const std::string damaged = dir.filePath("damaged.bmp").toStdString();
    {
        FILE* f = std::fopen(damaged.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fputs("BM not a bitmap", f);
        std::fclose(f);
    }
    const std::string cases[] = {damaged, dir.filePath("missing.jpg").toStdString(),
                                 dir.filePath("notes.txt").toStdString()};
    for (const std::string& file : cases) {
        const CliRun run = runCli("assemble -o " + out + " " + file);
        EXPECT_EQ(run.status, 1) << file << "\n" << run.out;
        EXPECT_EQ(run.out.rfind("error: ", 0), 0u) << run.out;
    }
    EXPECT_FALSE(std::filesystem::exists(out));
}

} // namespace
