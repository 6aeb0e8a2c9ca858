#pragma once
// TLZWEncoder: the classic variable-width LZW compressor of GIF image data.

#include "gif/gif_encoder.h"
#include "gif/lzw_hash_table.h"

#include <memory>

class TLZWEncoder : public TGIFEncoder {
protected:
    // Outputs the code, then widens the code (at most 12 bits) or resets it after a clear.
    void Output(int code) override;
    void Clear() override;
    void CompressPixels() override;

private:
    void outputCode(int code);

    int prefix_ = 0;
    std::unique_ptr<THashTable> hashTable_;
};
