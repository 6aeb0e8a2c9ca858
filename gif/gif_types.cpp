#include "gif/gif_types.h"

const char* versionText(TGIFFormatVersion version)
{
    switch (version) {
    case fv87a:
        return "87a";
    case fv89a:
        return "89a";
    default:
        return "";
    }
}

int RoundedPercent(std::int64_t part, std::int64_t whole)
{
    if (whole <= 0)
        return 0;
    const std::int64_t num = part * 100;
    std::int64_t q = num / whole;
    const std::int64_t r = num % whole;
    if (2 * r > whole || (2 * r == whole && (q & 1)))
        ++q;
    return int(q);
}
