#pragma once
// Errors raised by the bitmap row access and the DIB export of the colour reduction.
//
// They carry the texts the GIF library uses for the same faults ("Unsupported PixelFormat",
// "Invalid image dimensions", "Image has no DIB", "Bitmap image is not valid") and derive from
// EInvalidGraphic, as the GIF library's own exception does, so a caller that catches invalid
// graphics catches these too. The colour library does not depend on the GIF library (the GIF
// library calls into it), which is why the class is its own.

#include "platform/exceptions.h"

class EColorReductionError : public EInvalidGraphic {
public:
    explicit EColorReductionError(const std::string& message) : EInvalidGraphic(message) {}
};
