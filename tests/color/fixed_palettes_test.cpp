#include "color/fixed_palettes.h"
#include "platform/system_palettes.h"

#include <gtest/gtest.h>

namespace {

TEST(FixedPalettes, WebPaletteRedChangesSlowest)
{
    const Palette p = MakeWebPalette();
    ASSERT_EQ(p.count(), 216);
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b) {
                const PaletteEntry& e = p[36 * r + 6 * g + b];
                EXPECT_EQ(e, (PaletteEntry{std::uint8_t(51 * r), std::uint8_t(51 * g), std::uint8_t(51 * b), 0}));
            }
}

TEST(FixedPalettes, GrayPalettes)
{
    const Palette g256 = MakeGray256Palette();
    ASSERT_EQ(g256.count(), 256);
    for (int i = 0; i < 256; ++i)
        EXPECT_EQ(g256[i], (PaletteEntry{std::uint8_t(i), std::uint8_t(i), std::uint8_t(i), 4}));

    EXPECT_EQ(MakeGray4Palette(),
              Palette({{0, 0, 0, 4}, {128, 128, 128, 4}, {192, 192, 192, 4}, {255, 255, 255, 4}}));
    EXPECT_EQ(MakeBlackWhitePalette(), Palette({{0, 0, 0, 4}, {255, 255, 255, 4}}));
}

TEST(FixedPalettes, SystemAndHalftonePalettes)
{
    const Palette system = MakeSystemPalette20();
    ASSERT_EQ(system.count(), 20);
    EXPECT_EQ(system[0].color(), clBlack);
    EXPECT_EQ(system[19].color(), clWhite);
    const Palette halftone = MakeHalftonePalette();
    ASSERT_EQ(halftone.count(), 256);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(halftone[i], system[i]);
        EXPECT_EQ(halftone[246 + i], system[10 + i]);
    }
}

} // namespace
