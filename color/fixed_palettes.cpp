#include "color/fixed_palettes.h"

#include "platform/system_palettes.h"

Palette MakeWebPalette()
{
    Palette p;
    p.entries().reserve(216);
    // Red outermost, blue innermost: red changes slowest.
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                p.append({std::uint8_t(51 * r), std::uint8_t(51 * g), std::uint8_t(51 * b), 0});
    return p;
}

Palette MakeGray256Palette()
{
    Palette p;
    p.entries().reserve(256);
    for (int i = 0; i < 256; ++i)
        p.append({std::uint8_t(i), std::uint8_t(i), std::uint8_t(i), kPaletteNoCollapse});
    return p;
}

Palette MakeGray4Palette()
{
    return Palette({{0, 0, 0, kPaletteNoCollapse},
                    {128, 128, 128, kPaletteNoCollapse},
                    {192, 192, 192, kPaletteNoCollapse},
                    {255, 255, 255, kPaletteNoCollapse}});
}

Palette MakeBlackWhitePalette()
{
    return Palette({{0, 0, 0, kPaletteNoCollapse}, {255, 255, 255, kPaletteNoCollapse}});
}

Palette MakeHalftonePalette()
{
    return halftonePalette256();
}

Palette MakeSystemPalette20()
{
    return systemPalette20();
}
