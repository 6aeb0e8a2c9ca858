// The object model: defaults, ownership of frames and extensions, bounds and screen size,
// packed fields and version selection.

#include "gif/gif_application_extension.h"
#include "gif/gif_comment_extension.h"
#include "gif/gif_graphic_control_extension.h"
#include "gif/gif_image.h"
#include "gif/gif_sub_image.h"
#include "gif_test_support.h"
#include "platform/bitmap.h"
#include "platform/stream.h"

#include <functional>

#include <gtest/gtest.h>

using namespace giftest;

TEST(ObjectModel, NewImageCopiesLibraryDefaults)
{
    TGIFImage image;
    EXPECT_EQ(image.PaintOptions, 0x060F);
    EXPECT_EQ(image.ReductionMethod, rdWebPalette);
    EXPECT_EQ(image.ReductionBits, 8);
    EXPECT_EQ(image.DitherMethod, dtNearest);
    EXPECT_EQ(image.Encoding, enLZW);
    EXPECT_EQ(image.ThreadPriority, tpNormal);
    EXPECT_EQ(image.AnimationSpeed(), 100);
    EXPECT_EQ(image.BackgroundPaintColor, clNone);
    EXPECT_TRUE(image.GetEmpty());
    EXPECT_FALSE(GIFDefaults().RenderOnLoad);
    EXPECT_FALSE(GIFDefaults().OptimizeOnStore);

    const TGIFPaintOptions saved = GIFDefaults().PaintOptions;
    GIFDefaults().PaintOptions |= paintOption(poDirect);
    TGIFImage direct;
    EXPECT_EQ(direct.PaintOptions, 0x064F);
    GIFDefaults().PaintOptions = saved;

    image.SetAnimationSpeed(5000);
    EXPECT_EQ(image.AnimationSpeed(), 1000);
    image.SetAnimationSpeed(-3);
    EXPECT_EQ(image.AnimationSpeed(), 0);
}

TEST(ObjectModel, EnumerationValues)
{
    EXPECT_EQ(int(fv87a), 1);
    EXPECT_EQ(int(fv89a), 2);
    EXPECT_EQ(int(poAutoDither), 10);
    EXPECT_EQ(int(rdPalette), 9);
    EXPECT_EQ(int(dtBurkes), 6);
    EXPECT_EQ(int(enRLE), 1);
    EXPECT_EQ(int(osReduceColors), 4);
    EXPECT_STREQ(versionText(fv87a), "87a");
    EXPECT_STREQ(versionText(fv89a), "89a");
}

TEST(ObjectModel, FramesAndExtensionsLeaveTheirListsWhenDeleted)
{
    TGIFImage image;
    {
        TGIFSubImage unattached(&image); // created and destroyed without being added
    }
    EXPECT_EQ(image.Images().Count(), 0);

    auto frame = std::make_unique<TGIFSubImage>(&image);
    TGIFSubImage* f = frame.get();
    EXPECT_EQ(image.Add(std::move(frame)), 0);
    auto gce = std::make_unique<TGIFGraphicControlExtension>(f);
    EXPECT_EQ(f->GraphicControl, gce.get());
    gce->SetTransparent(true);
    EXPECT_TRUE(f->Transparent);
    f->Extensions().Add(std::move(gce));
    f->Extensions().Add(std::make_unique<TGIFCommentExtension>(f));
    ASSERT_EQ(f->Extensions().Count(), 2);

    f->Extensions().Delete(0);
    EXPECT_EQ(f->Extensions().Count(), 1);
    EXPECT_EQ(f->GraphicControl, nullptr);
    EXPECT_FALSE(f->Transparent);

    // Remove hands ownership back without destroying the item.
    std::unique_ptr<TGIFItem> comment = f->Extensions().Remove(&f->Extensions().Items(0));
    EXPECT_TRUE(comment);
    EXPECT_EQ(f->Extensions().Count(), 0);

    image.Images().Delete(0);
    EXPECT_TRUE(image.GetEmpty());
    EXPECT_THROW(image.Images().Items(0), ERangeError);
}

TEST(ObjectModel, SecondGraphicControlDoesNotReplaceTheFirst)
{
    TGIFImage image;
    TGIFSubImage frame(&image);
    auto first = std::make_unique<TGIFGraphicControlExtension>(&frame);
    auto second = std::make_unique<TGIFGraphicControlExtension>(&frame);
    EXPECT_EQ(frame.GraphicControl, first.get());
    frame.Extensions().Add(std::move(first));
    frame.Extensions().Add(std::move(second));
    frame.Extensions().Delete(1);
    EXPECT_EQ(frame.GraphicControl, &static_cast<TGIFGraphicControlExtension&>(frame.Extensions().Items(0)));
}

TEST(ObjectModel, SetBoundsEnlargesTheScreenWithWarnings)
{
    TGIFImage image;
    std::vector<std::string> warnings;
    image.OnWarning = [&](const TGIFObject*, int severity, const std::string& m) {
        EXPECT_EQ(severity, 1);
        warnings.push_back(m);
    };
    auto frame = std::make_unique<TGIFSubImage>(&image);
    TGIFSubImage* f = frame.get();
    image.Add(std::move(frame));
    f->SetBounds(0, 0, 10, 10); // screen 0 x 0: enlarged silently
    EXPECT_TRUE(warnings.empty());
    EXPECT_EQ(image.GetWidth(), 10);
    EXPECT_EQ(f->DataSize(), 100);

    f->SetBounds(5, 5, 10, 10);
    EXPECT_EQ(warnings, (std::vector<std::string>{"Image width too small for contained frames",
                                                  "Image height too small for contained frames",
                                                  "Image exceeds Logical Screen size"}));
    EXPECT_EQ(image.GetWidth(), 15);
    EXPECT_EQ(image.GetHeight(), 15);
    EXPECT_EQ(f->BoundsRect(), (Rect{5, 5, 15, 15}));
}

TEST(ObjectModel, SetWidthAndHeightRefuseScreensSmallerThanFrames)
{
    auto image = makeImage(6, 4, 2, {});
    image->Images().Items(0).SetLeft(5);
    EXPECT_EQ(image->GetWidth(), 11);
    try {
        image->SetWidth(10);
        FAIL();
    } catch (const GIFException& e) {
        EXPECT_STREQ(e.what(), "Image width too small for contained frames");
    }
    try {
        image->SetHeight(3);
        FAIL();
    } catch (const GIFException& e) {
        EXPECT_STREQ(e.what(), "Image height too small for contained frames");
    }
    image->SetWidth(20);
    EXPECT_EQ(image->width(), 20);
}

TEST(ObjectModel, PixelAccessAndEmptyFrames)
{
    TGIFImage image;
    TGIFSubImage frame(&image);
    EXPECT_TRUE(frame.Empty());
    try {
        frame.EnsureData();
        FAIL();
    } catch (const GIFException& e) {
        EXPECT_STREQ(e.what(), "Image is empty");
    }
    frame.SetBounds(0, 0, 3, 2);
    EXPECT_FALSE(frame.Empty());
    frame.Pixels(2, 1) = 7;
    EXPECT_EQ(frame.Data()[5], 7);
    EXPECT_EQ(frame.Scanline(1)[2], 7);
    for (auto [x, y] : {std::pair{3, 0}, {-1, 0}, {0, 2}, {0, -1}}) {
        try {
            frame.Pixels(x, y);
            FAIL() << x << "," << y;
        } catch (const GIFException& e) {
            EXPECT_STREQ(e.what(), "Invalid pixel coordinates");
        }
    }
    frame.SetBounds(1, 1, 3, 2); // same size: pixels kept
    EXPECT_EQ(frame.Pixels(2, 1), 7);
    frame.SetBounds(1, 1, 4, 2); // new size: pixels reallocated as 0
    EXPECT_EQ(frame.Pixels(2, 1), 0);
}

TEST(ObjectModel, HugeFrameIsRefusedBeforeAllocation)
{
    TGIFImage image;
    TGIFSubImage frame(&image);
    try {
        frame.SetBounds(0, 0, 65535, 65535);
        FAIL();
    } catch (const GIFException& e) {
        EXPECT_STREQ(e.what(), "Image dimensions exceed the supported size");
    }
    EXPECT_EQ(frame.DataSize(), 0);
}

TEST(ObjectModel, ActiveColorMapPrefersLocalTable)
{
    TGIFImage image;
    TGIFSubImage frame(&image);
    EXPECT_EQ(&frame.ActiveColorMap(), &frame.ColorMap());
    image.GlobalColorMap().Add(clRed);
    EXPECT_EQ(&frame.ActiveColorMap(), &image.GlobalColorMap());
    frame.ColorMap().Add(clBlue);
    EXPECT_EQ(&frame.ActiveColorMap(), &frame.ColorMap());
    EXPECT_EQ(image.BackgroundColor(), clRed);
}

TEST(ObjectModel, WritingWithoutFramesFails)
{
    TGIFImage image;
    MemoryStream out;
    try {
        image.SaveToStream(out);
        FAIL();
    } catch (const GIFException& e) {
        EXPECT_STREQ(e.what(), "Unsupported GIF version");
    }
}

TEST(ObjectModel, AddingAnotherGraphicIsNotSupported)
{
    TGIFImage image;
    TGIFImage other;
    try {
        image.Add(std::make_unique<TGIFSubImage>(&other));
        FAIL();
    } catch (const GIFException& e) {
        EXPECT_STREQ(e.what(), "Object type not supported for operation");
    }
    EXPECT_TRUE(image.GetEmpty());
    // A bitmap is converted into a frame of this image.
    Bitmap bitmap(2, 2);
    EXPECT_EQ(image.Add(bitmap), 0);
    EXPECT_EQ(image.Images().Items(0).Image(), &image);
    EXPECT_EQ(image.Images().Items(0).Width(), 2);
}

TEST(ObjectModel, ScreenDescriptorPackedFields)
{
    // Global table of 4 colours, a frame with a local table of 256 colours.
    auto image = makeImage(2, 2, 256, {0, 1, 2, 255});
    for (int i = 0; i < 4; ++i)
        image->GlobalColorMap().Add(rgbColor(std::uint8_t(i), 0, 0));
    const Bytes file = writeGif(*image);
    EXPECT_EQ(file[10], 0x80 | (7 << 4) | 1);
    EXPECT_EQ(std::string(file.begin(), file.begin() + 6), "GIF87a");

    // Without a global table: size bits from the image's largest table, bit 7 clear.
    auto local = makeImage(1, 1, 5, {0});
    const Bytes noGlobal = writeGif(*local);
    EXPECT_EQ(noGlobal[10], (2 << 4) | 2);
}

TEST(ObjectModel, InterlaceFlagKeptWithLocalTable)
{
    auto image = makeImage(2, 3, 4, {0, 1, 2, 3, 0, 1});
    image->Images().Items(0).SetInterlaced(true);
    const Bytes file = writeGif(*image);
    const std::size_t desc = 13;
    ASSERT_EQ(file[desc], 0x2C);
    EXPECT_EQ(file[desc + 9], 0x80 | 0x40 | 1);
}

TEST(ObjectModel, VersionFollowsWhatTheFileNeeds)
{
    struct Case {
        const char* name;
        std::function<void(TGIFImage&)> change;
        const char* version;
    };
    const Case cases[] = {
        {"plain", [](TGIFImage&) {}, "87a"},
        {"aspect ratio", [](TGIFImage& i) { i.Header().AspectRatio = 49; }, "89a"},
        {"sorted global table",
         [](TGIFImage& i) {
             i.GlobalColorMap().Add(clRed);
             i.GlobalColorMap().SetSorted(true);
         },
         "89a"},
        {"sorted local table", [](TGIFImage& i) { i.Images().Items(0).ColorMap().SetSorted(true); }, "89a"},
        {"extension",
         [](TGIFImage& i) {
             TGIFSubImage& f = i.Images().Items(0);
             f.Extensions().Add(std::make_unique<TGIFCommentExtension>(&f));
         },
         "89a"},
    };
    for (const auto& c : cases) {
        auto image = makeImage(1, 1, 2, {1});
        c.change(*image);
        const Bytes file = writeGif(*image);
        EXPECT_EQ(std::string(file.begin() + 3, file.begin() + 6), c.version) << c.name;
    }
}

TEST(ObjectModel, ProgressReportsSavingAndLoading)
{
    auto image = makeImage(2, 2, 2, {0, 1, 1, 0});
    image->Add(std::make_unique<TGIFSubImage>(image.get()));
    std::vector<std::pair<int, int>> events;
    std::vector<std::string> texts;
    image->onProgress = [&](Graphic&, ProgressStage stage, int percent, bool, const Rect&, const std::string& m) {
        events.emplace_back(int(stage), percent);
        texts.push_back(m);
    };
    const Bytes file = writeGif(*image);
    EXPECT_EQ(events, (std::vector<std::pair<int, int>>{{0, 0}, {1, 50}, {1, 100}, {2, 100}}));
    EXPECT_EQ(texts[0], "Saving...");

    events.clear();
    texts.clear();
    MemoryStream in(file);
    image->LoadFromStream(in);
    ASSERT_GE(events.size(), 3u);
    EXPECT_EQ(events.front(), (std::pair<int, int>{0, 0}));
    EXPECT_EQ(events.back(), (std::pair<int, int>{2, 100}));
    EXPECT_EQ(texts.back(), "Loading...");

    events.clear();
    MemoryStream bad(text("nothing"));
    EXPECT_THROW(image->LoadFromStream(bad), GIFException);
    EXPECT_EQ(events.back(), (std::pair<int, int>{2, 0}));
}

TEST(ObjectModel, CloneCopiesFramesTablesAndExtensions)
{
    auto image = makeImage(3, 1, 3, {2, 1, 0});
    TGIFSubImage& f = image->Images().Items(0);
    auto gce = std::make_unique<TGIFGraphicControlExtension>(&f);
    gce->SetTransparent(true);
    gce->SetTransparentColorIndex(2);
    gce->SetDelay(40);
    f.Extensions().Add(std::move(gce));
    image->Header().BackgroundIndex = 1;
    image->ReductionBits = 4;

    auto copy = image->clone();
    auto& gif = dynamic_cast<TGIFImage&>(*copy);
    EXPECT_EQ(gif.ReductionBits, 8); // not copied
    ASSERT_EQ(gif.Images().Count(), 1);
    const TGIFSubImage& g = gif.Images().Items(0);
    EXPECT_EQ(g.Data(), f.Data());
    EXPECT_EQ(g.ColorMap().Count(), 3);
    ASSERT_TRUE(g.GraphicControl);
    EXPECT_EQ(g.GraphicControl->Delay(), 40);
    EXPECT_TRUE(g.Transparent);
    EXPECT_EQ(gif.Header().BackgroundIndex, 1);
    EXPECT_EQ(writeGif(gif), writeGif(*image));
}
