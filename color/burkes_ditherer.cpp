#include "color/burkes_ditherer.h"

TBurkesDitherer::TBurkesDitherer(int width, TColorLookup& lookup) : TDitherEngine(width, lookup), rows_(width) {}

void TBurkesDitherer::StartNextRow()
{
    rows_.advance();
    TDitherEngine::StartNextRow();
    twiceDirection_ = 2 * direction_;
}
