// Extension blocks: layouts, accessors, the registries and blocks kept byte for byte.

#include "gif/gif_application_extension.h"
#include "gif/gif_comment_extension.h"
#include "gif/gif_graphic_control_extension.h"
#include "gif/gif_image.h"
#include "gif/gif_sub_image.h"
#include "gif/gif_text_extension.h"
#include "gif_test_support.h"
#include "platform/stream.h"

#include <gtest/gtest.h>

using namespace giftest;

namespace {

Bytes saved(const TGIFExtension& e)
{
    MemoryStream out;
    e.SaveToStream(out);
    return out.data();
}

// A one-pixel file whose only frame carries the given extension bytes.
Bytes fileWith(const Bytes& extensions)
{
    return screen(1, 1, 1) + extensions + descriptor(0, 0, 1, 1) + literalImageData({1}, 2) + Bytes{0x3B};
}

} // namespace

TEST(Extensions, LoopExtensionCreatedInMemoryBytes)
{
    TGIFImage image;
    TGIFSubImage frame(&image);
    TGIFAppExtNSLoop loop(&frame);
    EXPECT_EQ(loop.ApplicationIdentifier(), "NETSCAPE");
    EXPECT_EQ(loop.AuthenticationCode(), "2.0");
    EXPECT_EQ(loop.RequiredVersion(), fv89a);
    EXPECT_EQ(saved(loop), (Bytes{0x21, 0xFF, 0x0B} + text("NETSCAPE2.0") + Bytes{0x03, 0x01, 0x00, 0x00, 0x00}));
    loop.Loops = 0x0102;
    loop.BufferSize = 0x0A0B0C0D;
    EXPECT_EQ(saved(loop), (Bytes{0x21, 0xFF, 0x0B} + text("NETSCAPE2.0") +
                            Bytes{0x03, 0x01, 0x02, 0x01, 0x05, 0x02, 0x0D, 0x0C, 0x0B, 0x0A, 0x00}));
}

TEST(Extensions, GraphicControlBytesAndAccessors)
{
    TGIFImage image;
    TGIFSubImage frame(&image);
    TGIFGraphicControlExtension gce(&frame);
    EXPECT_EQ(saved(gce), (Bytes{0x21, 0xF9, 4, 0, 0, 0, 0, 0}));
    gce.SetPackedFields(0x01);
    gce.SetDisposal(2);
    EXPECT_EQ(gce.PackedFields(), 0x09);
    EXPECT_EQ(gce.Disposal(), 2);
    gce.SetDelay(300);
    gce.SetUserInput(true);
    EXPECT_TRUE(gce.UserInput());
    EXPECT_EQ(saved(gce), (Bytes{0x21, 0xF9, 4, 0x0B, 0x2C, 0x01, 0, 0}));
}

TEST(Extensions, TransparentIndexIsCheckedAgainstTheActiveTable)
{
    TGIFImage image;
    std::vector<std::string> warnings;
    image.OnWarning = [&](const TGIFObject*, int, const std::string& m) { warnings.push_back(m); };
    TGIFSubImage frame(&image);
    TGIFGraphicControlExtension gce(&frame);
    gce.SetTransparentColorIndex(20); // no table at all: stored
    EXPECT_EQ(gce.TransparentColorIndex(), 20);
    EXPECT_TRUE(warnings.empty());
    for (int i = 0; i < 16; ++i)
        image.GlobalColorMap().Add(rgbColor(std::uint8_t(i), 0, 0));
    gce.SetTransparentColorIndex(20);
    EXPECT_EQ(gce.TransparentColorIndex(), 0);
    EXPECT_EQ(warnings, std::vector<std::string>{"Invalid color index"});
    gce.SetTransparentColorIndex(15);
    EXPECT_EQ(gce.TransparentColorIndex(), 15);
}

TEST(Extensions, GraphicControlReadMarksFrameTransparentAndFreeingClearsIt)
{
    ReadResult r = readGif(fileWith(gce(7, 1, 1)));
    ASSERT_EQ(r.error, "");
    TGIFSubImage& frame = r.image->Images().Items(0);
    EXPECT_TRUE(frame.Transparent);
    ASSERT_TRUE(frame.GraphicControl);
    EXPECT_EQ(frame.GraphicControl->Delay(), 7);
    EXPECT_EQ(frame.GraphicControl->Disposal(), 1);
    frame.Extensions().Delete(0);
    EXPECT_FALSE(frame.Transparent);
    EXPECT_EQ(frame.GraphicControl, nullptr);
}

TEST(Extensions, LongCommentIsCutIntoSubBlocks)
{
    TGIFImage image;
    TGIFSubImage frame(&image);
    TGIFCommentExtension comment(&frame);
    comment.Text = {std::string(600, 'x'), "", "end"};
    const Bytes bytes = saved(comment);
    ASSERT_EQ(bytes.size(), 2u + 603 + 4 + 1);
    EXPECT_EQ(bytes[2], 255);
    EXPECT_EQ(bytes[2 + 256], 255);
    EXPECT_EQ(bytes[2 + 512], 90);
    EXPECT_EQ(bytes[2 + 603], 3);
    EXPECT_EQ(bytes.back(), 0);

    ReadResult r = readGif(fileWith(bytes));
    ASSERT_EQ(r.error, "");
    const auto& back = static_cast<TGIFCommentExtension&>(r.image->Images().Items(0).Extensions().Items(0));
    EXPECT_EQ(back.Text, (std::vector<std::string>{std::string(255, 'x'), std::string(255, 'x'), std::string(90, 'x'),
                                                   "end"}));
}

TEST(Extensions, PlainTextRoundTrip)
{
    TGIFImage image;
    TGIFSubImage frame(&image);
    TGIFTextExtension t(&frame);
    t.Left = 1;
    t.Top = 2;
    t.GridWidth = 300;
    t.GridHeight = 4;
    t.CharWidth = 8;
    t.CharHeight = 9;
    t.ForegroundColorIndex = 1;
    t.BackgroundColorIndex = 0;
    t.Text = {"Hello"};
    const Bytes bytes = saved(t);
    EXPECT_EQ(bytes, (Bytes{0x21, 0x01, 12, 1, 0, 2, 0, 0x2C, 0x01, 4, 0, 8, 9, 1, 0, 5} + text("Hello") + Bytes{0}));
    ReadResult r = readGif(fileWith(bytes));
    ASSERT_EQ(r.error, "");
    const auto& back = static_cast<TGIFTextExtension&>(r.image->Images().Items(0).Extensions().Items(0));
    EXPECT_EQ(back.GridWidth, 300);
    EXPECT_EQ(back.CharHeight, 9);
    EXPECT_EQ(back.Text, std::vector<std::string>{"Hello"});
}

TEST(Extensions, ApplicationExtensionsResolveThroughTheRegistry)
{
    const Bytes animexts = appExtension("ANIMEXTS1.0", {Bytes{1, 3, 0}});
    const Bytes unknown = appExtension("XMP DataXMP", {Bytes{1, 2, 3}, Bytes(255, 7), Bytes{9}});
    const Bytes loopSkipping = appExtension("NETSCAPE2.0", {Bytes{3, 9, 9, 9}, Bytes{1, 4, 0}});
    ReadResult r = readGif(fileWith(animexts + unknown + loopSkipping));
    ASSERT_EQ(r.error, "");
    const TGIFExtensionList& list = r.image->Images().Items(0).Extensions();
    ASSERT_EQ(list.Count(), 3);

    auto* loop = dynamic_cast<TGIFAppExtNSLoop*>(&list.Items(0));
    ASSERT_TRUE(loop);
    EXPECT_EQ(loop->Loops, 3);
    EXPECT_EQ(saved(*loop), animexts); // written back with its own identifier

    auto* other = dynamic_cast<TGIFUnknownAppExtension*>(&list.Items(1));
    ASSERT_TRUE(other);
    ASSERT_EQ(other->Blocks.size(), 3u);
    EXPECT_EQ(saved(*other), unknown); // byte for byte

    auto* skipping = dynamic_cast<TGIFAppExtNSLoop*>(&list.Items(2));
    ASSERT_TRUE(skipping);
    EXPECT_EQ(skipping->Loops, 4); // the sub-block beginning with 3 is skipped

    // The whole file written again keeps all three blocks in order.
    const Bytes again = writeGif(*r.image);
    const std::string s(again.begin(), again.end());
    EXPECT_LT(s.find("ANIMEXTS1.0"), s.find("XMP DataXMP"));
    EXPECT_NE(s.find(std::string(reinterpret_cast<const char*>(unknown.data()), unknown.size())), std::string::npos);
}

TEST(Extensions, ReadErrors)
{
    const struct {
        const char* name;
        Bytes extension;
        const char* error;
    } cases[] = {
        {"unknown label", Bytes{0x21, 0x77, 0}, "Unknown extension type"},
        {"short identifier block", Bytes{0x21, 0xFF, 5, 1, 2, 3, 4, 5, 0}, "Unsupported Application Extension block size"},
        {"long identifier block", Bytes{0x21, 0xFF, 12} + text("NETSCAPE2.0X") + Bytes{0},
         "Unsupported Application Extension block size"},
        {"loop sub-block too short", appExtension("NETSCAPE2.0", {Bytes{1, 0}}), "Invalid GIF data"},
        {"buffer sub-block too short", appExtension("NETSCAPE2.0", {Bytes{2, 0, 0}}), "Invalid GIF data"},
        {"plain text cut short", Bytes{0x21, 0x01, 12, 0, 0}, "Premature end of data"},
        {"loop count cut short", Bytes{0x21, 0xFF, 11} + text("NETSCAPE2.0") + Bytes{3, 1, 0}, "Premature end of data"},
        {"introducer only", Bytes{0x21}, "Unknown extension type"},
    };
    for (const auto& c : cases) {
        const bool cut = std::string(c.error) == "Premature end of data" || c.extension.size() == 1;
        Bytes file = screen(1, 1, 1) + descriptor(0, 0, 1, 1) + literalImageData({0}, 2) + c.extension;
        if (!cut)
            file = file + descriptor(0, 0, 1, 1) + literalImageData({1}, 2) + Bytes{0x3B};
        ReadResult r = readGif(file);
        EXPECT_EQ(r.error, c.error) << c.name;
        EXPECT_EQ(r.image->Images().Count(), 1) << c.name; // the frame before the error is kept
    }
}

TEST(Extensions, TenByteIdentifierBlockBorrowsTheNextByte)
{
    // Size 10: the byte after the block completes the identifier and is read again as the
    // first sub-block length.
    const Bytes ext = Bytes{0x21, 0xFF, 10} + text("ABCDEFGHIJ") + Bytes{2, 0x55, 0x66, 0};
    ReadResult r = readGif(fileWith(ext));
    ASSERT_EQ(r.error, "");
    auto* app = dynamic_cast<TGIFUnknownAppExtension*>(&r.image->Images().Items(0).Extensions().Items(0));
    ASSERT_TRUE(app);
    EXPECT_EQ(app->ApplicationIdentifier(), "ABCDEFGH");
    EXPECT_EQ(app->Identifier[10], 2);
    ASSERT_EQ(app->Blocks.size(), 1u);
    EXPECT_EQ(app->Blocks[0].Data, (Bytes{0x55, 0x66}));
}

TEST(Extensions, ShortGraphicControlWarnsAndKeepsWhatWasRead)
{
    ReadResult r = readGif(screen(1, 1, 1) + Bytes{0x21, 0xF9, 4, 0x05, 0x10});
    EXPECT_EQ(r.error, "");
    EXPECT_EQ(r.warnings, std::vector<std::string>{"Premature end of data"});
    ASSERT_EQ(r.image->Images().Count(), 1);
    const TGIFSubImage& frame = r.image->Images().Items(0);
    ASSERT_TRUE(frame.GraphicControl);
    EXPECT_EQ(frame.GraphicControl->PackedFields(), 0x05);
    EXPECT_EQ(frame.GraphicControl->Delay(), 0x10);
    EXPECT_TRUE(frame.Empty());
}

TEST(Extensions, RegistryIsSearchedFromTheLastEntry)
{
    static const TGIFExtensionClass first = {
        "first", [](TGIFSubImage* f) -> std::unique_ptr<TGIFExtension> { return std::make_unique<TGIFUnknownAppExtension>(f); },
        &TGIFApplicationExtension::Resolve};
    static const TGIFExtensionClass second = first;
    const auto* id = reinterpret_cast<const std::uint8_t*>("ZOETRATEST1");
    EXPECT_EQ(FindAppExtension(reinterpret_cast<const std::uint8_t*>("NETSCAPE2.0")), &TGIFAppExtNSLoop::ClassInfo);
    EXPECT_EQ(FindAppExtension(reinterpret_cast<const std::uint8_t*>("NETSCAPE2.1")), nullptr);
    EXPECT_EQ(FindExtension(0xFE), &TGIFCommentExtension::ClassInfo);
    EXPECT_EQ(FindExtension(0x02), nullptr);
    EXPECT_EQ(FindAppExtension(id), nullptr);
    RegisterAppExtension("ZOETRATEST1", &first);
    RegisterAppExtension("ZOETRATEST1", &second);
    EXPECT_EQ(FindAppExtension(id), &second);
}

TEST(Extensions, CommonReadingChecksIntroducerAndLabel)
{
    TGIFImage image;
    TGIFSubImage frame(&image);
    const struct {
        Bytes bytes;
        const char* error;
    } cases[] = {
        {Bytes{0x2C, 0xFE, 0}, "Invalid extension introducer"},
        {Bytes{0x21, 0xF9, 0}, "Internal error: Extension Instance does not match Extension Label"},
        {Bytes{0x21}, "Premature end of data"},
    };
    for (const auto& c : cases) {
        TGIFCommentExtension comment(&frame);
        MemoryStream stream(c.bytes);
        try {
            comment.LoadFromStream(stream);
            FAIL() << c.error;
        } catch (const GIFException& e) {
            EXPECT_STREQ(e.what(), c.error);
        }
    }
}

TEST(Extensions, UnknownApplicationBlocksMadeInMemoryStayValid)
{
    TGIFImage image;
    TGIFSubImage frame(&image);
    TGIFUnknownAppExtension app(&frame);
    app.SetIdentifier("ZOETRA  1.0");
    app.Blocks = {TGIFBlock{Bytes(300, 5)}, TGIFBlock{}, TGIFBlock{Bytes{9}}};
    const Bytes bytes = saved(app);
    const Bytes expected = Bytes{0x21, 0xFF, 11} + text("ZOETRA  1.0") + Bytes{255} + Bytes(255, 5) + Bytes{45} +
                           Bytes(45, 5) + Bytes{1, 9, 0};
    EXPECT_EQ(bytes, expected);
}
