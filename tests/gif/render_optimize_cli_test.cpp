// zoetra-cli render and optimize, run as a program on crafted files.

#include "gif_test_support.h"
#include "platform/stream.h"

#include <QImage>
#include "tests/support/cli_run.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

using namespace giftest;

namespace {

// 2x1 screen, global table (i, 2i, 3i): image 0 fills it with index 1 and restores to the
// background, image 1 draws index 2 at x = 1 only; loop extension 3, delays 0 and 1.
Bytes twoFrames()
{
    return screen(2, 1, 2) + appExtension("NETSCAPE2.0", {Bytes{1, 3, 0}}) + gce(0, 2) + descriptor(0, 0, 2, 1) +
           literalImageData({1, 1}, 2) + gce(1, 1) + descriptor(1, 0, 1, 1) + literalImageData({2}, 2) + Bytes{0x3B};
}

} // namespace

TEST(RenderCommand, WritesTheScreenAfterEachFrameAndTheWaits)
{
    const auto dir = tempDir("render");
    const Bytes file = twoFrames();
    writeFileAtomically(dir / "a.gif", file.data(), file.size());
    const CliRun run = runCli("render --background 0a0b0c " + (dir / "a.gif").string() + " " + (dir / "out").string());
    ASSERT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "000: image 0, delay 10 (120 ms)\n001: image 1, delay 3 (36 ms)\nloops: 3, from image 0\n");
    QImage first((dir / "out" / "000.png").c_str());
    QImage second((dir / "out" / "001.png").c_str());
    ASSERT_FALSE(first.isNull());
    ASSERT_FALSE(second.isNull());
    EXPECT_EQ(first.pixel(0, 0), qRgb(1, 2, 3));
    EXPECT_EQ(first.pixel(1, 0), qRgb(1, 2, 3));
    // Image 0 was restored to the background before image 1.
    EXPECT_EQ(second.pixel(0, 0), qRgb(10, 11, 12));
    EXPECT_EQ(second.pixel(1, 0), qRgb(2, 4, 6));

    EXPECT_EQ(runCli("render " + (dir / "a.gif").string()).status, 2);
    EXPECT_EQ(runCli("render --background red a b").status, 2);
    EXPECT_EQ(runCli("render " + (dir / "missing.gif").string() + " " + (dir / "x").string()).status, 1);
}

TEST(OptimizeCommand, WritesTheOptimizedFileAndReportsSizes)
{
    const auto dir = tempDir("optimize");
    // Two identical full frames: merging and cropping removes the second.
    const Bytes file = screen(2, 1, 2) + gce(5, 1) + descriptor(0, 0, 2, 1) + literalImageData({1, 2}, 2) + gce(5, 1) +
                       descriptor(0, 0, 2, 1) + literalImageData({1, 2}, 2) + Bytes{0x3B};
    writeFileAtomically(dir / "a.gif", file.data(), file.size());
    const CliRun run = runCli("optimize --merge --crop " + (dir / "a.gif").string() + " " + (dir / "b.gif").string());
    ASSERT_EQ(run.status, 0);
    const Bytes out = readFileBytes(dir / "b.gif");
    EXPECT_EQ(run.out, "before: " + std::to_string(file.size()) + " bytes\nafter: " + std::to_string(out.size()) + " bytes\n");
    const ReadResult read = readGif(out);
    ASSERT_TRUE(read.error.empty()) << read.error;
    EXPECT_EQ(read.image->Images().Count(), 1);

    EXPECT_EQ(runCli("optimize --bogus a b").status, 2);
    EXPECT_EQ(runCli("optimize " + (dir / "a.gif").string()).status, 2);
}
