#include "gif/gif_defaults.h"

#include "gif/gif_limits.h"

TGIFDefaults& GIFDefaults()
{
    static TGIFDefaults defaults;
    return defaults;
}

bool LowColorDisplay = false;

TGIFLimits& GIFLimits()
{
    static TGIFLimits limits;
    return limits;
}
