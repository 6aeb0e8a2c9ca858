#include "gif_test_support.h"

#include "gif/gif_sub_image.h"
#include "platform/stream.h"

#include <stdexcept>

namespace giftest {

Bytes operator+(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes text(const std::string& s)
{
    return Bytes(s.begin(), s.end());
}

Bytes subBlocks(const Bytes& data)
{
    Bytes out;
    for (std::size_t i = 0; i < data.size(); i += 255) {
        const std::size_t n = std::min<std::size_t>(255, data.size() - i);
        out.push_back(std::uint8_t(n));
        out.insert(out.end(), data.begin() + std::ptrdiff_t(i), data.begin() + std::ptrdiff_t(i + n));
    }
    out.push_back(0);
    return out;
}

namespace {

Bytes packCodes(const std::vector<int>& codes, int width)
{
    Bytes out;
    std::uint32_t bits = 0;
    int count = 0;
    for (int c : codes) {
        bits |= std::uint32_t(c) << count;
        count += width;
        while (count >= 8) {
            out.push_back(std::uint8_t(bits & 0xFF));
            bits >>= 8;
            count -= 8;
        }
    }
    if (count > 0)
        out.push_back(std::uint8_t(bits & 0xFF));
    return out;
}

} // namespace

Bytes literalImageData(const std::vector<int>& pixels, int minSize)
{
    const int clear = 1 << minSize;
    const int width = minSize + 1;
    const int perClear = (1 << width) - clear - 3;
    std::vector<int> codes{clear};
    for (std::size_t n = 0; n < pixels.size(); ++n) {
        if (n && n % std::size_t(perClear) == 0)
            codes.push_back(clear);
        codes.push_back(pixels[n]);
    }
    codes.push_back(clear + 1);
    return Bytes{std::uint8_t(minSize)} + subBlocks(packCodes(codes, width));
}

Bytes codesAtWidth(const std::vector<int>& codes, int minSize, int width)
{
    return Bytes{std::uint8_t(minSize)} + subBlocks(packCodes(codes, width));
}

Bytes colorTable(int bits)
{
    Bytes out;
    for (int i = 0; i < (1 << bits); ++i) {
        out.push_back(std::uint8_t(i));
        out.push_back(std::uint8_t(2 * i));
        out.push_back(std::uint8_t(3 * i));
    }
    return out;
}

Bytes screen(int w, int h, int gctBits, const char* version, int background, int aspect)
{
    Bytes out = text("GIF") + text(version);
    const std::uint8_t packed = gctBits > 0 ? std::uint8_t(0x80 | 0x70 | (gctBits - 1)) : 0;
    out = out + Bytes{std::uint8_t(w & 0xFF), std::uint8_t(w >> 8), std::uint8_t(h & 0xFF), std::uint8_t(h >> 8), packed,
                      std::uint8_t(background), std::uint8_t(aspect)};
    if (gctBits > 0)
        out = out + colorTable(gctBits);
    return out;
}

Bytes descriptor(int x, int y, int w, int h, int lctBits, bool interlaced)
{
    std::uint8_t packed = interlaced ? 0x40 : 0;
    if (lctBits > 0)
        packed |= std::uint8_t(0x80 | (lctBits - 1));
    Bytes out{0x2C,
              std::uint8_t(x & 0xFF),
              std::uint8_t(x >> 8),
              std::uint8_t(y & 0xFF),
              std::uint8_t(y >> 8),
              std::uint8_t(w & 0xFF),
              std::uint8_t(w >> 8),
              std::uint8_t(h & 0xFF),
              std::uint8_t(h >> 8),
              packed};
    if (lctBits > 0)
        out = out + colorTable(lctBits);
    return out;
}

Bytes gce(int delay, int disposal, int transparentIndex)
{
    const std::uint8_t packed = std::uint8_t((disposal << 2) | (transparentIndex >= 0 ? 1 : 0));
    return Bytes{0x21, 0xF9, 4, packed, std::uint8_t(delay & 0xFF), std::uint8_t(delay >> 8),
                 std::uint8_t(transparentIndex >= 0 ? transparentIndex : 0), 0};
}

Bytes appExtension(const std::string& identifier, const std::vector<Bytes>& blocks)
{
    Bytes out = Bytes{0x21, 0xFF, 11} + text(identifier);
    for (const auto& b : blocks)
        out = out + Bytes{std::uint8_t(b.size())} + b;
    out.push_back(0);
    return out;
}

ReadResult readGif(const Bytes& bytes)
{
    ReadResult result;
    result.image = std::make_unique<TGIFImage>();
    auto* warnings = &result.warnings;
    result.image->OnWarning = [warnings](const TGIFObject*, int, const std::string& message) {
        warnings->push_back(message);
    };
    MemoryStream stream(bytes);
    try {
        result.image->LoadFromStream(stream);
    } catch (const GIFException& e) {
        result.error = e.what();
    }
    return result;
}

Bytes writeGif(const TGIFImage& image)
{
    MemoryStream stream;
    image.SaveToStream(stream);
    return stream.data();
}

std::unique_ptr<TGIFImage> makeImage(int width, int height, int colors, const std::vector<std::uint8_t>& pixels)
{
    auto image = std::make_unique<TGIFImage>();
    auto frame = std::make_unique<TGIFSubImage>(image.get());
    frame->SetBounds(0, 0, width, height);
    for (int i = 0; i < colors; ++i)
        frame->ColorMap().Add(rgbColor(std::uint8_t(i), std::uint8_t(i * 7), std::uint8_t(255 - i)));
    if (!pixels.empty())
        frame->Data() = pixels;
    image->Add(std::move(frame));
    return image;
}

CodeStream parseCodes(const Bytes& file, std::size_t offset)
{
    CodeStream result;
    result.minSize = file.at(offset++);
    Bytes data;
    for (;;) {
        const int n = file.at(offset++);
        if (n == 0)
            break;
        result.subBlockSizes.push_back(n);
        data.insert(data.end(), file.begin() + std::ptrdiff_t(offset), file.begin() + std::ptrdiff_t(offset + std::size_t(n)));
        offset += std::size_t(n);
    }
    result.endOffset = offset;
    const int clear = 1 << result.minSize;
    int width = result.minSize + 1;
    int next = clear + 2;
    bool afterClear = true;
    std::size_t bit = 0;
    while (bit + std::size_t(width) <= data.size() * 8) {
        int code = 0;
        for (int i = 0; i < width; ++i, ++bit)
            code |= ((data[bit / 8] >> (bit % 8)) & 1) << i;
        result.codes.push_back(code);
        result.widths.push_back(width);
        if (code == clear + 1)
            break;
        if (code == clear) {
            width = result.minSize + 1;
            next = clear + 2;
            afterClear = true;
            continue;
        }
        if (!afterClear && next < 4096) {
            ++next;
            if (next == (1 << width) && width < 12)
                ++width;
        }
        afterClear = false;
    }
    return result;
}

std::size_t imageDataOffset(const Bytes& file)
{
    std::size_t pos = 13;
    if (file.at(10) & 0x80)
        pos += std::size_t(3) << ((file[10] & 7) + 1);
    for (;;) {
        const std::uint8_t b = file.at(pos);
        if (b == 0x2C) {
            const std::uint8_t packed = file.at(pos + 9);
            pos += 10;
            if (packed & 0x80)
                pos += std::size_t(3) << ((packed & 7) + 1);
            return pos;
        }
        if (b != 0x21)
            throw std::runtime_error("no image descriptor");
        pos += 2;
        if (file.at(pos - 1) == 0xF9 || file.at(pos - 1) == 0xFF || file.at(pos - 1) == 0x01)
            pos += std::size_t(file.at(pos)) + 1;
        while (file.at(pos) != 0)
            pos += std::size_t(file.at(pos)) + 1;
        ++pos;
    }
}

std::filesystem::path tempDir(const std::string& name)
{
    auto dir = std::filesystem::temp_directory_path() / ("zoetra-gif-tests-" + name);
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

} // namespace giftest
