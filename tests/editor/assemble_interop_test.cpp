// zoetra-cli assemble on the sample photos; giflib reads the result back.

#include <QDir>
#include <QImage>
#include <QTemporaryDir>

#include <gif_lib.h>
#include "tests/support/cli_run.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <sys/wait.h>

namespace {

int runCli(const std::string& arguments, std::string& out)
{
    const CliRun run = ::runCli(arguments, CliStderr::Merge);
    out += run.out;
    return run.status;
}

// The loop count of the NETSCAPE2.0 extension in front of the first image; -1 without one.
int loopCountOf(const SavedImage& image)
{
    for (int i = 0; i + 1 < image.ExtensionBlockCount; ++i) {
        const ExtensionBlock& block = image.ExtensionBlocks[i];
        if (block.Function == APPLICATION_EXT_FUNC_CODE && block.ByteCount == 11 &&
            std::string(reinterpret_cast<const char*>(block.Bytes), 11) == "NETSCAPE2.0") {
            const ExtensionBlock& data = image.ExtensionBlocks[i + 1];
            if (data.ByteCount >= 3 && data.Bytes[0] == 1)
                return data.Bytes[1] | data.Bytes[2] << 8;
        }
    }
    return -1;
}

TEST(AssembleInterop, GiflibReadsTheFramesDelaysAndLoopCountOfPhotos)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QDir samples(QStringLiteral(ZOETRA_SAMPLE_DIR));
    // The photos as BMP and JPEG files, and one GIF photo as it is.
    const std::pair<const char*, const char*> photos[] = {
        {"hat.png", "hat.bmp"}, {"bricks-color.png", "bricks.jpg"}, {"hibiscus.regular.png", "hibiscus.bmp"}};
    std::string files;
    for (const auto& [png, copy] : photos) {
        const QImage image(samples.filePath(png));
        ASSERT_FALSE(image.isNull()) << png;
        const QString path = dir.filePath(copy);
        ASSERT_TRUE(image.convertToFormat(QImage::Format_RGB888).save(path));
        files += " " + path.toStdString();
    }
    files += " " + samples.filePath("bricks-dither.gif").toStdString();
    const QImage first(samples.filePath("hat.png"));

    struct Case {
        std::string options;
        int delay, loops;
    };
    const Case cases[] = {
        {"", 10, 0},
        {"--delay 25 --loop 3 --merge --crop", 25, 3},
        {"--delay=7 --loop=65535 --palette quantize --bits 4 --dither nearest --transparent", 7, 65535},
    };
    for (const Case& c : cases) {
        const std::string out = dir.filePath("photos.gif").toStdString();
        std::string output;
        ASSERT_EQ(runCli("assemble -o " + out + " " + c.options + files, output), 0) << output;
        EXPECT_NE(output.find(" bytes, 4 frames"), std::string::npos) << output;

        int error = 0;
        GifFileType* gif = DGifOpenFileName(out.c_str(), &error);
        ASSERT_NE(gif, nullptr) << GifErrorString(error);
        ASSERT_EQ(DGifSlurp(gif), GIF_OK) << GifErrorString(gif->Error);
        EXPECT_EQ(gif->ImageCount, 4) << c.options;
        EXPECT_EQ(gif->SWidth, first.width());
        EXPECT_EQ(gif->SHeight, first.height());
        EXPECT_EQ(loopCountOf(gif->SavedImages[0]), c.loops) << c.options;
        for (int i = 0; i < gif->ImageCount; ++i) {
            GraphicsControlBlock control;
            ASSERT_EQ(DGifSavedExtensionToGCB(gif, i, &control), GIF_OK) << i;
            EXPECT_EQ(control.DelayTime, c.delay) << c.options << " image " << i;
            if (i > 0) {
                EXPECT_EQ(loopCountOf(gif->SavedImages[i]), -1);
            }
        }
        DGifCloseFile(gif, &error);
    }
}

} // namespace
