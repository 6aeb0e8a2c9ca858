#include "platform/system_palettes.h"

namespace {

constexpr PaletteEntry kLowSystemColors[10] = {
    {0x00, 0x00, 0x00, 0}, {0x80, 0x00, 0x00, 0}, {0x00, 0x80, 0x00, 0}, {0x80, 0x80, 0x00, 0},
    {0x00, 0x00, 0x80, 0}, {0x80, 0x00, 0x80, 0}, {0x00, 0x80, 0x80, 0}, {0xC0, 0xC0, 0xC0, 0},
    {0xC0, 0xDC, 0xC0, 0}, {0xA6, 0xCA, 0xF0, 0},
};

constexpr PaletteEntry kHighSystemColors[10] = {
    {0xFF, 0xFB, 0xF0, 0}, {0xA0, 0xA0, 0xA4, 0}, {0x80, 0x80, 0x80, 0}, {0xFF, 0x00, 0x00, 0},
    {0x00, 0xFF, 0x00, 0}, {0xFF, 0xFF, 0x00, 0}, {0x00, 0x00, 0xFF, 0}, {0xFF, 0x00, 0xFF, 0},
    {0x00, 0xFF, 0xFF, 0}, {0xFF, 0xFF, 0xFF, 0},
};

Palette makeSystem20()
{
    Palette p;
    for (const auto& e : kLowSystemColors)
        p.append(e);
    for (const auto& e : kHighSystemColors)
        p.append(e);
    return p;
}

Palette makeHalftone256()
{
    Palette p;
    for (const auto& e : kLowSystemColors)
        p.append(e);
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                p.append({std::uint8_t(r * 51), std::uint8_t(g * 51), std::uint8_t(b * 51), 0});
    // 20 greys strictly between black and white: 255 * k / 21 for k = 1..20.
    for (int k = 1; k <= 20; ++k) {
        const auto v = std::uint8_t(255 * k / 21);
        p.append({v, v, v, 0});
    }
    for (const auto& e : kHighSystemColors)
        p.append(e);
    return p;
}

Palette makeVga16()
{
    return Palette({
        {0x00, 0x00, 0x00, 0}, {0x80, 0x00, 0x00, 0}, {0x00, 0x80, 0x00, 0}, {0x80, 0x80, 0x00, 0},
        {0x00, 0x00, 0x80, 0}, {0x80, 0x00, 0x80, 0}, {0x00, 0x80, 0x80, 0}, {0xC0, 0xC0, 0xC0, 0},
        {0x80, 0x80, 0x80, 0}, {0xFF, 0x00, 0x00, 0}, {0x00, 0xFF, 0x00, 0}, {0xFF, 0xFF, 0x00, 0},
        {0x00, 0x00, 0xFF, 0}, {0xFF, 0x00, 0xFF, 0}, {0x00, 0xFF, 0xFF, 0}, {0xFF, 0xFF, 0xFF, 0},
    });
}

} // namespace

const Palette& systemPalette20()
{
    static const Palette p = makeSystem20();
    return p;
}

const Palette& halftonePalette256()
{
    static const Palette p = makeHalftone256();
    return p;
}

const Palette& vgaPalette16()
{
    static const Palette p = makeVga16();
    return p;
}

const Palette& blackWhitePalette()
{
    static const Palette p({{0, 0, 0, 0}, {255, 255, 255, 0}});
    return p;
}
