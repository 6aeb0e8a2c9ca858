#include "bench/imagequant_reference.h"

#include "bench/timing.h"

#include <memory>
#include <stdexcept>

#ifdef ZOETRA_BENCH_HAVE_IMAGEQUANT
#include <libimagequant.h>

namespace {
struct LiqDeleter {
    void operator()(liq_attr* p) const { liq_attr_destroy(p); }
    void operator()(liq_image* p) const { liq_image_destroy(p); }
    void operator()(liq_result* p) const { liq_result_destroy(p); }
};
template <class T>
using LiqPtr = std::unique_ptr<T, LiqDeleter>;
} // namespace

bool imagequantAvailable() { return true; }

std::vector<std::uint8_t> quantizeWithImagequant(const std::vector<std::uint8_t>& rgb, int width, int height,
                                                 bool dither, double& seconds)
{
    const std::size_t pixels = std::size_t(width) * std::size_t(height);
    if (rgb.size() != pixels * 3)
        throw std::invalid_argument("quantizeWithImagequant: wrong pixel count");
    std::vector<std::uint8_t> rgba(pixels * 4);
    for (std::size_t p = 0; p < pixels; ++p) {
        rgba[4 * p] = rgb[3 * p];
        rgba[4 * p + 1] = rgb[3 * p + 1];
        rgba[4 * p + 2] = rgb[3 * p + 2];
        rgba[4 * p + 3] = 255;
    }
    std::vector<std::uint8_t> indexes(pixels);

    const Stopwatch clock;
    LiqPtr<liq_attr> attr(liq_attr_create());
    if (!attr)
        throw std::runtime_error("liq_attr_create failed");
    liq_set_max_colors(attr.get(), 256);
    LiqPtr<liq_image> image(liq_image_create_rgba(attr.get(), rgba.data(), width, height, 0));
    if (!image)
        throw std::runtime_error("liq_image_create_rgba failed");
    liq_result* raw = nullptr;
    if (liq_image_quantize(image.get(), attr.get(), &raw) != LIQ_OK || raw == nullptr)
        throw std::runtime_error("liq_image_quantize failed");
    LiqPtr<liq_result> result(raw);
    liq_set_dithering_level(result.get(), dither ? 1.0f : 0.0f);
    if (liq_write_remapped_image(result.get(), image.get(), indexes.data(), indexes.size()) != LIQ_OK)
        throw std::runtime_error("liq_write_remapped_image failed");
    const liq_palette* palette = liq_get_palette(result.get());
    seconds = clock.seconds();

    std::vector<std::uint8_t> out(pixels * 3);
    for (std::size_t p = 0; p < pixels; ++p) {
        const liq_color& c = palette->entries[indexes[p]];
        out[3 * p] = c.r;
        out[3 * p + 1] = c.g;
        out[3 * p + 2] = c.b;
    }
    return out;
}

#else

bool imagequantAvailable() { return false; }

std::vector<std::uint8_t> quantizeWithImagequant(const std::vector<std::uint8_t>&, int, int, bool, double&)
{
    throw std::runtime_error("built without libimagequant (install libimagequant-dev)");
}

#endif
