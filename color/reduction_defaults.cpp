#include "color/reduction_types.h"

TReductionMethod DefaultReductionMethod = rdWebPalette;
std::int32_t DefaultReductionBits = 8;
TDitherMethod DefaultDitherMethod = dtNearest;
