#include "platform/palette.h"

#include <limits>

int Palette::nearestIndex(TColor c) const
{
    const int r = redOf(c), g = greenOf(c), b = blueOf(c);
    int best = -1;
    int bestDistance = std::numeric_limits<int>::max();
    for (int i = 0; i < count(); ++i) {
        const PaletteEntry& e = entries_[std::size_t(i)];
        const int dr = e.red - r, dg = e.green - g, db = e.blue - b;
        const int d = dr * dr + dg * dg + db * db;
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
            if (d == 0)
                break;
        }
    }
    return best;
}
