#include "bench/image_quality.h"

#include <array>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace {

void requireSameSize(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b)
{
    if (a.size() != b.size() || a.empty() || a.size() % 3 != 0)
        throw std::invalid_argument("pictures of different sizes cannot be compared");
}

const std::array<double, 256>& linearTable()
{
    static const std::array<double, 256> table = [] {
        std::array<double, 256> t{};
        for (int i = 0; i < 256; ++i) {
            const double c = i / 255.0;
            t[std::size_t(i)] = c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
        }
        return t;
    }();
    return table;
}

double labF(double t)
{
    constexpr double d = 6.0 / 29.0;
    return t > d * d * d ? std::cbrt(t) : t / (3 * d * d) + 4.0 / 29.0;
}

std::array<double, 3> toLab(const std::uint8_t* rgb)
{
    const auto& lin = linearTable();
    const double r = lin[rgb[0]], g = lin[rgb[1]], b = lin[rgb[2]];
    const double x = (0.4124564 * r + 0.3575761 * g + 0.1804375 * b) / 0.95047;
    const double y = 0.2126729 * r + 0.7151522 * g + 0.0721750 * b;
    const double z = (0.0193339 * r + 0.1191920 * g + 0.9503041 * b) / 1.08883;
    const double fx = labF(x), fy = labF(y), fz = labF(z);
    return {116 * fy - 16, 500 * (fx - fy), 200 * (fy - fz)};
}

} // namespace

double psnr(const std::vector<std::uint8_t>& original, const std::vector<std::uint8_t>& reduced)
{
    requireSameSize(original, reduced);
    double sum = 0;
    for (std::size_t i = 0; i < original.size(); ++i) {
        const double d = double(original[i]) - double(reduced[i]);
        sum += d * d;
    }
    const double mse = sum / double(original.size());
    if (mse == 0)
        return std::numeric_limits<double>::infinity();
    return 10 * std::log10(255.0 * 255.0 / mse);
}

double meanDeltaE76(const std::vector<std::uint8_t>& original, const std::vector<std::uint8_t>& reduced)
{
    requireSameSize(original, reduced);
    double sum = 0;
    const std::size_t pixels = original.size() / 3;
    for (std::size_t p = 0; p < pixels; ++p) {
        const auto a = toLab(&original[3 * p]);
        const auto b = toLab(&reduced[3 * p]);
        sum += std::sqrt((a[0] - b[0]) * (a[0] - b[0]) + (a[1] - b[1]) * (a[1] - b[1]) + (a[2] - b[2]) * (a[2] - b[2]));
    }
    return sum / double(pixels);
}
