// Runs zoetra-cli reduce on pictures written by the test.

#include "platform/bitmap.h"
#include "platform/exceptions.h"
#include "test_images.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/wait.h>

namespace {

namespace fs = std::filesystem;

class ReduceCommand : public testing::Test {
protected:
    void SetUp() override
    {
        dir_ = fs::temp_directory_path() / ("zoetra-reduce-" + std::to_string(::getpid()));
        fs::create_directories(dir_);
        const Rgb colors[] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
        makeBitmap(2, 2, [&](int x, int y) { return colors[2 * y + x]; }).saveToFile(in());
    }
    void TearDown() override { fs::remove_all(dir_); }

    fs::path in() const { return dir_ / "in.bmp"; }
    fs::path out() const { return dir_ / "out.bmp"; }

    int run(const std::string& arguments) const
    {
        const std::string command = std::string(ZOETRA_CLI_PATH) + " reduce " + arguments + " >" +
                                    (dir_ / "stdout").string() + " 2>" + (dir_ / "stderr").string();
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string errors() const
    {
        Bitmap dummy;
        std::string text;
        if (FILE* f = std::fopen((dir_ / "stderr").c_str(), "r")) {
            char buffer[512];
            while (std::fgets(buffer, sizeof buffer, f))
                text += buffer;
            std::fclose(f);
        }
        return text;
    }

    fs::path dir_;
};

TEST_F(ReduceCommand, DefaultsToTheWebPaletteWithNearestColour)
{
    ASSERT_EQ(run(in().string() + " " + out().string()), 0) << errors();
    Bitmap result;
    result.loadFromFile(out());
    ASSERT_EQ(result.pixelFormat(), pf8bit);
    EXPECT_EQ(result.palette().count(), 256);
    EXPECT_EQ(result.pixelIndex(0, 0), 180);
    EXPECT_EQ(result.pixelIndex(1, 0), 30);
    EXPECT_EQ(result.pixelIndex(0, 1), 5);
    EXPECT_EQ(result.pixelIndex(1, 1), 215);
}

TEST_F(ReduceCommand, OptionsChoosePaletteAndDither)
{
    ASSERT_EQ(run("--palette monochrome --dither=floydsteinberg " + in().string() + " " + out().string()), 0)
        << errors();
    Bitmap mono;
    mono.loadFromFile(out());
    ASSERT_EQ(mono.pixelFormat(), pf8bit);
    EXPECT_EQ(mono.palette()[1].color(), clWhite);
    EXPECT_EQ(mono.pixelIndex(1, 1), 1);

    ASSERT_EQ(run("--palette=quantize --bits 1 " + in().string() + " " + out().string()), 0) << errors();
    Bitmap quantized;
    quantized.loadFromFile(out());
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x)
            EXPECT_LT(quantized.pixelIndex(x, y), 2);

    ASSERT_EQ(run("--palette none " + in().string() + " " + out().string()), 0) << errors();
    Bitmap copy;
    copy.loadFromFile(out());
    EXPECT_EQ(copy.pixelFormat(), pf24bit);
    EXPECT_EQ(copy.pixel(0, 0), clRed);
}

TEST_F(ReduceCommand, AbandonedRunIsAnErrorAndWritesNothing)
{
    EXPECT_EQ(run("--palette palette " + in().string() + " " + out().string()), 1);
    EXPECT_NE(errors().find("error: "), std::string::npos);
    EXPECT_FALSE(fs::exists(out()));
}

TEST_F(ReduceCommand, UsageAndUnreadableInput)
{
    struct Case {
        const char* arguments;
        int status;
    };
    const std::string files = " " + in().string() + " " + out().string();
    const Case cases[] = {
        {"", 2},
        {"--palette", 2},
        {"--palette octree IN OUT", 2},
        {"--dither random IN OUT", 2},
        {"--bits 9 IN OUT", 2},
        {"--bits 0 IN OUT", 2},
        {"--bits x IN OUT", 2},
        {"--colour 3 IN OUT", 2},
        {"IN", 2},
        {"IN OUT --", 0},
        {"-- IN OUT", 0},
        {"-- --bits 3 IN OUT", 2}, // after "--" every argument is a file name
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        std::string arguments = c.arguments;
        const auto at = arguments.find("IN OUT");
        if (at != std::string::npos)
            arguments.replace(at, 6, files);
        else if (arguments == "IN")
            arguments = in().string();
        EXPECT_EQ(run(arguments), c.status);
    }
    fs::remove(out());
    EXPECT_EQ(run((dir_ / "missing.bmp").string() + " " + out().string()), 1);
    EXPECT_NE(errors().find("error: "), std::string::npos);
    EXPECT_FALSE(fs::exists(out()));
}

} // namespace
