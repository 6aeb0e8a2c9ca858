#pragma once
// The names zoetra-cli gives the reduction and dither methods: their enumeration names without
// prefix, in lower case ("webpalette", "floydsteinberg", ...), and the number options share.

#include "color/reduction_types.h"

#include <optional>
#include <string>
#include <string_view>

std::optional<TReductionMethod> reductionMethodByName(const std::string& name);
std::optional<TDitherMethod> ditherMethodByName(const std::string& name);
std::string_view reductionMethodName(TReductionMethod method);
std::string_view ditherMethodName(TDitherMethod method);

// A decimal number from 0 to max written with digits only; nothing otherwise.
std::optional<int> parseCliNumber(const std::string& text, int max);
