#include "platform/jpeg_file.h"

#include "platform/exceptions.h"
#include "platform/stream.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <string>

#include <jerror.h>
#include <jpeglib.h>

// libjpeg reports fatal errors through error_exit, which must not return. Throwing a C++
// exception through libjpeg's C frames is undefined, so error_exit long-jumps back into the two
// small functions below that set the jump point; they hold no objects with destructors between
// setjmp and the libjpeg calls, and the caller turns their failure into an exception.

namespace {

// More scans than this only make sense for hostile files, which could take very long to decode.
constexpr int kMaxScans = 1000;
// Working memory libjpeg may take (whole-image coefficient buffers of progressive files).
constexpr long kMaxDecoderMemory = 2000L * 1024 * 1024;

struct ErrorManager {
    jpeg_error_mgr pub; // first, so libjpeg's pointer to it is a pointer to the whole
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

// Input from a memory block. Running out of data is an error: the file was cut short.
struct MemorySource {
    jpeg_source_mgr pub;
    const JOCTET* data;
    std::size_t size;
};

extern "C" {

void jpegErrorExit(j_common_ptr cinfo)
{
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

// Warnings (corrupt but recoverable data) and trace messages are not shown.
void jpegEmitMessage(j_common_ptr cinfo, int level)
{
    if (level < 0)
        ++cinfo->err->num_warnings;
}

void jpegOutputMessage(j_common_ptr) {}

void jpegProgress(j_common_ptr cinfo)
{
    if (!cinfo->is_decompressor)
        return;
    auto* dinfo = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (dinfo->input_scan_number > kMaxScans) {
        auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
        std::snprintf(err->message, sizeof err->message, "Too many scans (more than %d)", kMaxScans);
        std::longjmp(err->jump, 1);
    }
}

void sourceInit(j_decompress_ptr) {}

boolean sourceFill(j_decompress_ptr cinfo)
{
    ERREXIT(cinfo, JERR_INPUT_EOF);
    return FALSE;
}

void sourceSkip(j_decompress_ptr cinfo, long count)
{
    if (count <= 0)
        return;
    jpeg_source_mgr* src = cinfo->src;
    if (std::size_t(count) > src->bytes_in_buffer)
        ERREXIT(cinfo, JERR_INPUT_EOF);
    src->next_input_byte += count;
    src->bytes_in_buffer -= std::size_t(count);
}

void sourceTerm(j_decompress_ptr) {}

} // extern "C"

// The decompressor and its managers; destroys the decompressor on every path.
struct Decoder {
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    MemorySource source;
    jpeg_progress_mgr progress;
    bool created = false;

    Decoder()
    {
        std::memset(&cinfo, 0, sizeof cinfo);
        std::memset(&source, 0, sizeof source);
        std::memset(&progress, 0, sizeof progress);
        cinfo.err = jpeg_std_error(&err.pub);
        err.pub.error_exit = jpegErrorExit;
        err.pub.emit_message = jpegEmitMessage;
        err.pub.output_message = jpegOutputMessage;
        err.message[0] = '\0';
    }
    ~Decoder()
    {
        if (created)
            jpeg_destroy_decompress(&cinfo);
    }
    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;
};

bool fourComponents(J_COLOR_SPACE space) { return space == JCS_CMYK || space == JCS_YCCK; }

// Creates the decompressor and reads the header. False after a libjpeg error.
bool readHeader(Decoder& d, const std::uint8_t* data, std::size_t size)
{
    if (setjmp(d.err.jump))
        return false;
    d.created = true; // destroying a zeroed or half-made decompressor is safe
    jpeg_create_decompress(&d.cinfo);
    d.cinfo.mem->max_memory_to_use = kMaxDecoderMemory;
    d.progress.progress_monitor = jpegProgress;
    d.cinfo.progress = &d.progress;

    d.source.pub.init_source = sourceInit;
    d.source.pub.fill_input_buffer = sourceFill;
    d.source.pub.skip_input_data = sourceSkip;
    d.source.pub.resync_to_restart = jpeg_resync_to_restart;
    d.source.pub.term_source = sourceTerm;
    d.source.pub.next_input_byte = data;
    d.source.pub.bytes_in_buffer = size;
    d.source.data = data;
    d.source.size = size;
    d.cinfo.src = &d.source.pub;

    jpeg_read_header(&d.cinfo, TRUE);
    d.cinfo.out_color_space = fourComponents(d.cinfo.jpeg_color_space) ? JCS_CMYK : JCS_EXT_BGR;
    return true;
}

// Decodes every row into the bitmap (CMYK rows through rowBuffer). False after a libjpeg error.
bool readPixels(Decoder& d, Bitmap& bitmap, std::uint8_t* rowBuffer)
{
    if (setjmp(d.err.jump))
        return false;
    jpeg_start_decompress(&d.cinfo);
    const bool cmyk = d.cinfo.out_color_space == JCS_CMYK;
    if (int(d.cinfo.output_width) != bitmap.width() || int(d.cinfo.output_height) != bitmap.height() ||
        d.cinfo.output_components != (cmyk ? 4 : 3)) {
        std::snprintf(d.err.message, sizeof d.err.message, "Unexpected output format");
        return false;
    }
    // Photoshop writes inverted CMYK (and marks it with an Adobe segment).
    const bool inverted = d.cinfo.saw_Adobe_marker;
    const int width = bitmap.width();
    while (d.cinfo.output_scanline < d.cinfo.output_height) {
        const int y = int(d.cinfo.output_scanline);
        std::uint8_t* out = bitmap.scanLine(y);
        JSAMPROW row = cmyk ? rowBuffer : out;
        if (jpeg_read_scanlines(&d.cinfo, &row, 1) != 1) {
            std::snprintf(d.err.message, sizeof d.err.message, "Image data ended early");
            return false;
        }
        if (!cmyk)
            continue;
        for (int x = 0; x < width; ++x) {
            const std::uint8_t* p = rowBuffer + 4 * x;
            int c = p[0], m = p[1], yl = p[2], k = p[3];
            if (!inverted) {
                c = 255 - c;
                m = 255 - m;
                yl = 255 - yl;
                k = 255 - k;
            }
            // Here 255 means no ink.
            out[3 * x] = std::uint8_t((yl * k + 127) / 255);
            out[3 * x + 1] = std::uint8_t((m * k + 127) / 255);
            out[3 * x + 2] = std::uint8_t((c * k + 127) / 255);
        }
    }
    return true;
}

[[noreturn]] void failWith(const Decoder& d) { throw EInvalidGraphic(std::string("JPEG error: ") + d.err.message); }

} // namespace

Bitmap decodeJpeg(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        throw EInvalidGraphic("JPEG error: Empty file");
    Decoder d;
    if (!readHeader(d, data, size))
        failWith(d);
    const std::int64_t width = d.cinfo.image_width;
    const std::int64_t height = d.cinfo.image_height;
    if (width <= 0 || height <= 0)
        throw EInvalidGraphic("JPEG error: Invalid image dimensions");
    if (width > Bitmap::kMaxDimension || height > Bitmap::kMaxDimension || width * height > Bitmap::kMaxPixels)
        throw EInvalidGraphic("JPEG image is too large");
    Bitmap bitmap(int(width), int(height), pf24bit);
    std::vector<std::uint8_t> rowBuffer(std::size_t(width) * 4);
    if (!readPixels(d, bitmap, rowBuffer.data()))
        failWith(d);
    return bitmap;
}

Bitmap readJpeg(Stream& stream)
{
    const std::int64_t count = stream.remaining();
    std::vector<std::uint8_t> data(std::size_t(std::max<std::int64_t>(count, 0)));
    stream.readBuffer(data.data(), std::int64_t(data.size()));
    return decodeJpeg(data.data(), data.size());
}

void JpegImage::draw(Canvas& canvas, const Rect& rect) const { bitmap_.draw(canvas, rect); }

void JpegImage::loadFromStream(Stream& stream)
{
    const std::int64_t count = stream.remaining();
    std::vector<std::uint8_t> data(std::size_t(std::max<std::int64_t>(count, 0)));
    stream.readBuffer(data.data(), std::int64_t(data.size()));
    Bitmap decoded = decodeJpeg(data.data(), data.size());
    data_ = std::move(data);
    bitmap_ = std::move(decoded);
    changed();
}

void JpegImage::saveToStream(Stream& stream) const
{
    if (!data_.empty())
        stream.writeBuffer(data_.data(), std::int64_t(data_.size()));
}
