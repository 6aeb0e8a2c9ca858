#include "platform/image_file.h"
#include "platform/bmp_file.h"
#include "platform/canvas.h"
#include "platform/exceptions.h"
#include "platform/graphic.h"
#include "platform/ico_file.h"
#include "platform/jpeg_file.h"
#include "platform/stream.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QTemporaryDir>

#include <string>

namespace {

class ImageFileTest : public ::testing::Test {
protected:
    std::filesystem::path file(const std::string& name) const { return std::filesystem::path(dir_.path().toStdString()) / name; }

    void writeBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) const
    {
        writeFileAtomically(path, bytes.data(), bytes.size());
    }

    QTemporaryDir dir_;
};

// A picture kind of its own: a solid colour of a fixed size, whatever the file holds.
class SolidGraphic : public Graphic {
public:
    int width() const override { return 4; }
    int height() const override { return 3; }
    void draw(Canvas& canvas, const Rect& rect) const override
    {
        canvas.brush.color = clTeal;
        canvas.brush.style = BrushStyle::Solid;
        canvas.fillRect(Rect{rect.left, rect.top, rect.left + 2, rect.bottom});
    }
    void loadFromStream(Stream& stream) override
    {
        if (stream.remaining() == 0)
            throw EInvalidGraphic("empty");
    }
    void saveToStream(Stream&) const override {}
    std::unique_ptr<Graphic> clone() const override { return std::make_unique<SolidGraphic>(*this); }
};

Icon maskedIcon()
{
    Bitmap image(2, 2, pf24bit);
    image.fill(clRed);
    Bitmap mask(2, 2, pf1bit);
    mask.fill(clBlack);
    mask.setPixelIndex(0, 1, 1); // bottom-left transparent
    return Icon(image, mask);
}

} // namespace

TEST_F(ImageFileTest, ChoosesTheReaderByExtensionInAnyCase)
{
    ASSERT_TRUE(dir_.isValid());
    Bitmap bmp(5, 3, pf8bit);
    bmp.setPixelIndex(1, 1, 77);
    {
        MemoryStream s;
        writeBmp(bmp, s);
        writeBytes(file("frame.BMP"), s.data());
    }
    QImage jpeg(16, 8, QImage::Format_RGB32);
    jpeg.fill(qRgb(0, 0, 255));
    ASSERT_TRUE(jpeg.save(QString::fromStdString(file("photo.Jpeg").string()), "JPG", 95));
    ASSERT_TRUE(jpeg.save(QString::fromStdString(file("photo.jpg").string()), "JPG", 95));
    maskedIcon().saveToFile(file("actor.ico"));

    const Bitmap b = loadImageFile(file("frame.BMP"));
    EXPECT_TRUE(b.samePixels(bmp));
    for (const char* name : {"photo.Jpeg", "photo.jpg"}) {
        const Bitmap j = loadImageFile(file(name));
        EXPECT_EQ(j.width(), 16) << name;
        EXPECT_EQ(j.pixelFormat(), pf24bit);
        EXPECT_LT(std::abs(int(blueOf(j.pixel(8, 4))) - 255), 8);
        EXPECT_LT(int(redOf(j.pixel(8, 4))), 8);
    }
    const Bitmap i = loadImageFile(file("actor.ico"));
    EXPECT_EQ(i.width(), 2);
    EXPECT_EQ(i.pixel(1, 0), clRed);
    EXPECT_TRUE(i.transparent());
    EXPECT_NE(i.transparentColor(), clRed);
    EXPECT_EQ(i.pixel(0, 1), i.transparentColor());
}

TEST_F(ImageFileTest, UnknownMissingAndDamagedFiles)
{
    writeBytes(file("picture.png"), {1, 2, 3});
    writeBytes(file("noext"), {1, 2, 3});
    writeBytes(file("broken.bmp"), {'B', 'M', 0, 0});
    writeBytes(file("broken.jpg"), {0xFF, 0xD8, 0xFF});
    struct Case {
        const char* name;
        const char* text;
    };
    const Case cases[] = {
        {"picture.png", "Unknown picture file extension (.png)"},
        {"noext", "Unknown picture file extension ()"},
        {"broken.bmp", "Bitmap file is truncated"},
        {"broken.jpg", nullptr},
    };
    for (const Case& c : cases) {
        try {
            loadImageFile(file(c.name));
            ADD_FAILURE() << c.name << ": no exception";
        } catch (const EInvalidGraphic& e) {
            if (c.text) {
                EXPECT_STREQ(e.what(), c.text) << c.name;
            }
        }
    }
    EXPECT_THROW(loadImageFile(file("absent.bmp")), EFOpenError);
}

TEST_F(ImageFileTest, OtherExtensionsGoThroughTheRegistry)
{
    GraphicFormats::instance().registerFormat({"solid", "Solid test picture", [] { return std::make_unique<SolidGraphic>(); }});
    writeBytes(file("x.SOLID"), {0});
    const Bitmap b = loadImageFile(file("x.SOLID"));
    GraphicFormats::instance().unregisterFormat("solid");
    ASSERT_EQ(b.width(), 4);
    ASSERT_EQ(b.height(), 3);
    EXPECT_EQ(b.pixel(1, 2), clTeal);
    EXPECT_EQ(b.pixel(2, 0), clWhite); // what the picture leaves is white
}

TEST_F(ImageFileTest, RegisteredPlatformFormatsCreateTheirClasses)
{
    registerImageFileFormats();
    const auto& formats = GraphicFormats::instance();
    ASSERT_NE(formats.find("JPG"), nullptr);
    EXPECT_EQ(formats.find(".jpeg")->description, "JPEG Image File");
    EXPECT_NE(dynamic_cast<JpegImage*>(formats.find("jpg")->create().get()), nullptr);
    EXPECT_NE(dynamic_cast<Icon*>(formats.find("ico")->create().get()), nullptr);
    EXPECT_NE(dynamic_cast<Bitmap*>(formats.find("bmp")->create().get()), nullptr);
}
