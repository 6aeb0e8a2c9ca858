#pragma once
// TRLEEncoder: codes runs of equal pixels as a valid LZW code stream without keeping a string
// table; any GIF decoder reads its output.

#include "gif/gif_encoder.h"

#include <cstdint>

class TRLEEncoder : public TGIFEncoder {
public:
    // Codes needed to send a run of count pixels from a fresh table with `codes` table codes.
    static std::int64_t TriangleCost(std::int64_t count, std::int64_t codes);

protected:
    void Clear() override;
    void CompressPixels() override;

private:
    void plainOutput(int code);
    void flush(std::int64_t count);
    void flushFromClear(std::int64_t count);
    void flushClearOrRepeat(std::int64_t count);
    void flushWithTable(std::int64_t count);
    void resetClearAt();

    int runPixel_ = -1;
    std::int64_t clearAt_ = 0;
    std::int64_t clearAtInitial_ = 0;
    std::int64_t widenAt_ = 0;
    std::int64_t widenAtInitial_ = 0;
    std::int64_t codesSent_ = 0;
    std::int64_t longestRun_ = 0;
    int runPixelInTable_ = -1;
    std::int64_t tableCodes_ = 0;
};
