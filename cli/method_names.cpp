#include "cli/method_names.h"

#include <array>

namespace {

// In the order of the enumerations' values.
constexpr std::array<std::string_view, 10> kReductionNames = {
    "none",      "windows20", "windows256", "windowsgray",     "monochrome",
    "grayscale", "webpalette", "quantize",  "quantizewindows", "palette",
};

constexpr std::array<std::string_view, 7> kDitherNames = {
    "nearest", "floydsteinberg", "stucki", "sierra", "jajuni", "stevearche", "burkes",
};

template <std::size_t N>
std::optional<int> indexOfName(const std::array<std::string_view, N>& names, const std::string& name)
{
    for (std::size_t i = 0; i < N; ++i)
        if (names[i] == name)
            return int(i);
    return std::nullopt;
}

template <std::size_t N>
std::string_view nameAt(const std::array<std::string_view, N>& names, int index)
{
    return index >= 0 && std::size_t(index) < N ? names[std::size_t(index)] : std::string_view("?");
}

} // namespace

std::optional<TReductionMethod> reductionMethodByName(const std::string& name)
{
    const auto i = indexOfName(kReductionNames, name);
    return i ? std::optional<TReductionMethod>(TReductionMethod(*i)) : std::nullopt;
}

std::optional<TDitherMethod> ditherMethodByName(const std::string& name)
{
    const auto i = indexOfName(kDitherNames, name);
    return i ? std::optional<TDitherMethod>(TDitherMethod(*i)) : std::nullopt;
}

std::string_view reductionMethodName(TReductionMethod method) { return nameAt(kReductionNames, int(method)); }

std::string_view ditherMethodName(TDitherMethod method) { return nameAt(kDitherNames, int(method)); }

std::optional<int> parseCliNumber(const std::string& text, int max)
{
    if (text.empty() || text.size() > 9)
        return std::nullopt;
    long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value > max)
        return std::nullopt;
    return int(value);
}
