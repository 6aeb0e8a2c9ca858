#include "color/steve_arche_ditherer.h"

TSteveArcheDitherer::TSteveArcheDitherer(int width, TColorLookup& lookup)
    : TDitherEngine(width, lookup), rows_(width)
{
}

void TSteveArcheDitherer::StartNextRow()
{
    rows_.advance();
    TDitherEngine::StartNextRow();
    twiceDirection_ = 2 * direction_;
    thriceDirection_ = 3 * direction_;
}
