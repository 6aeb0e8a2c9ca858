// zoetra-cli info and frames, run as a program on sample and crafted files.

#include "gif_test_support.h"
#include "platform/stream.h"

#include <QImage>
#include <gif_lib.h>
#include "tests/support/cli_run.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

using namespace giftest;

namespace {

void writeFile(const std::filesystem::path& path, const Bytes& bytes)
{
    writeFileAtomically(path, bytes.data(), bytes.size());
}

} // namespace

TEST(CliCommands, InfoListsBlocksWarningsAndErrors)
{
    const auto dir = tempDir("info");
    const Bytes file = screen(4, 2, 1, "89a", 1, 0) + appExtension("NETSCAPE2.0", {Bytes{1, 3, 0}}) + gce(12, 2, 1) +
                       Bytes{0x21, 0xFE} + subBlocks(text("hi \"there\"") + Bytes{0xE9, 0x01}) + descriptor(0, 0, 4, 2, 0, true) +
                       literalImageData({0, 1, 0, 1, 1, 0, 1, 0}, 2) + appExtension("XMP DataXMP", {Bytes{1, 2}, Bytes{3}}) +
                       Bytes{0x3B};
    writeFile(dir / "a.gif", file);
    const CliRun listing = runCli("info " + (dir / "a.gif").string());
    EXPECT_EQ(listing.status, 0);
    EXPECT_EQ(listing.out, "version: 89a\n"
                        "logical screen: width 4, height 2, packed fields 0xF0, background index 1, aspect ratio 0\n"
                        "global colors: 2\n"
                        "image 0: left 0, top 0, width 4, height 2, interlaced yes, local colors 0, empty no\n"
                        "  loop: identifier \"NETSCAPE2.0\", loops 3\n"
                        "  graphic control: delay 12, disposal 2, user input no, transparent yes, transparent index 1\n"
                        "  comment: [\"hi \\\"there\\\"\\xe9\\x01\"]\n"
                        "image 1: left 0, top 0, width 0, height 0, interlaced no, local colors 0, empty yes\n"
                        "  application: identifier \"XMP DataXMP\", block sizes [2, 1]\n");

    const CliRun json = runCli("info --json " + (dir / "a.gif").string());
    EXPECT_EQ(json.status, 0);
    for (const char* key : {"\"version\": \"89a\"", "\"width\": 4", "\"height\": 2", "\"background_index\": 1",
                            "\"aspect_ratio\": 0", "\"global_colors\": 2", "\"interlaced\": true", "\"local_colors\": 0",
                            "\"empty\": true", "\"type\": \"loop\"", "\"loops\": 3", "\"transparent_index\": 1",
                            "\"lines\": [\"hi \\\"there\\\"\\u00e9\\u0001\"]", "\"block_sizes\": [2, 1]",
                            "\"warnings\": []", "\"error\": null"})
        EXPECT_NE(json.out.find(key), std::string::npos) << key << "\n" << json.out;

    // Warnings in the order they were reported.
    writeFile(dir / "c.gif", screen(2, 2, 1) + descriptor(0, 0, 2, 2) + literalImageData({0, 1, 1, 0}, 2) + Bytes{0x3C});
    const CliRun warned = runCli("info " + (dir / "c.gif").string());
    EXPECT_EQ(warned.status, 0);
    EXPECT_NE(warned.out.find("warning: Unknown GIF block type\nwarning: Invalid Image trailer\n"), std::string::npos)
        << warned.out;
    const CliRun warnedJson = runCli("info --json " + (dir / "c.gif").string());
    EXPECT_NE(warnedJson.out.find("\"warnings\": [\"Unknown GIF block type\", \"Invalid Image trailer\"]"),
              std::string::npos)
        << warnedJson.out;

    // A fatal error: what was read is still printed, the error under "error", status 1.
    writeFile(dir / "b.gif", screen(2, 2, 1) + descriptor(0, 0, 2, 2) + literalImageData({0, 1, 1, 0}, 2) +
                                 Bytes{0x21, 0x42, 0});
    const CliRun bad = runCli("info --json " + (dir / "b.gif").string());
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.out.find("\"error\": \"Unknown extension type\""), std::string::npos) << bad.out;
    EXPECT_NE(bad.out.find("\"width\": 2, \"height\": 2"), std::string::npos) << bad.out;

    EXPECT_EQ(runCli("info").status, 2);
    EXPECT_EQ(runCli("info --bogus x.gif").status, 2);
    EXPECT_EQ(runCli("info " + (dir / "missing.gif").string()).status, 1);
}

TEST(CliCommands, FramesMatchGiflibImageForImage)
{
    for (const char* name : {"gifplayer-muybridge.gif", "bricks-dither.gif", "hibiscus.regular.gif"}) {
        const std::string path = std::string(ZOETRA_SAMPLE_DIR) + "/" + name;
        const auto dir = tempDir(std::string("frames-") + name);
        ASSERT_EQ(runCli("frames " + path + " " + dir.string()).status, 0) << name;

        int error = 0;
        GifFileType* gif = DGifOpenFileName(path.c_str(), &error);
        ASSERT_TRUE(gif);
        ASSERT_EQ(DGifSlurp(gif), GIF_OK);
        for (int i = 0; i < gif->ImageCount; ++i) {
            const SavedImage& image = gif->SavedImages[i];
            const ColorMapObject* map = image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : gif->SColorMap;
            GraphicsControlBlock gcb{};
            gcb.TransparentColor = NO_TRANSPARENT_COLOR;
            DGifSavedExtensionToGCB(gif, i, &gcb);
            char file[16];
            std::snprintf(file, sizeof file, "%03d.png", i); // these files have no image-less blocks
            QImage png(QString::fromStdString((dir / file).string()));
            ASSERT_FALSE(png.isNull()) << name << " " << file;
            png = png.convertToFormat(QImage::Format_RGBA8888);
            ASSERT_EQ(png.width(), image.ImageDesc.Width);
            ASSERT_EQ(png.height(), image.ImageDesc.Height);
            int mismatches = 0;
            for (int y = 0; y < png.height(); ++y)
                for (int x = 0; x < png.width(); ++x) {
                    const int index = image.RasterBits[y * image.ImageDesc.Width + x];
                    const GifColorType c = map->Colors[index];
                    const std::uint8_t* p = png.constScanLine(y) + x * 4;
                    const int alpha = index == gcb.TransparentColor ? 0 : 255;
                    if (p[3] != alpha || (alpha && (p[0] != c.Red || p[1] != c.Green || p[2] != c.Blue)))
                        ++mismatches;
                }
            ASSERT_EQ(mismatches, 0) << name << " image " << i;
        }
        EXPECT_FALSE(std::filesystem::exists(dir / (std::to_string(gif->ImageCount) + ".png")));
        DGifCloseFile(gif, &error);
    }
    EXPECT_EQ(runCli("frames onlyone").status, 2);
}
