#pragma once
// Enumerations, the exception class and the warning event shared by the whole GIF library.

#include "color/reduction_types.h"
#include "platform/exceptions.h"

#include <cstdint>
#include <functional>
#include <string>

// Every error the GIF library raises (the stream adapter raises plain EStreamError instead).
class GIFException : public EInvalidGraphic {
public:
    explicit GIFException(const std::string& message) : EInvalidGraphic(message) {}
};

// Common base of the library's objects, so that a warning can name its sender.
class TGIFObject {
public:
    virtual ~TGIFObject() = default;

protected:
    TGIFObject() = default;
    TGIFObject(const TGIFObject&) = default;
    TGIFObject& operator=(const TGIFObject&) = default;
};

// Receives non-fatal irregularities (sender, severity, message). The library reports severity 1.
using TGIFWarning = std::function<void(const TGIFObject* sender, int severity, const std::string& message)>;

enum TGIFFormatVersion : std::uint8_t { fvUnknown = 0, fv87a = 1, fv89a = 2 };

// Bit numbers of the paint option set.
enum TGIFPaintOption : std::uint8_t {
    poThreaded = 0,
    poTransparent = 1,
    poAnimate = 2,
    poLoop = 3,
    poLoopForever = 4,
    poCheckCanvas = 5,
    poDirect = 6,
    poClearOnLoop = 7,
    poTile = 8,
    poDither = 9,
    poAutoDither = 10,
};
// A set of TGIFPaintOption bits (bit n = option n); bits 11 to 15 are unused.
using TGIFPaintOptions = std::uint16_t;
constexpr TGIFPaintOptions paintOption(TGIFPaintOption o) { return TGIFPaintOptions(1u << o); }

// TReductionMethod and TDitherMethod (with their process-wide defaults) belong to the colour
// reduction.
// Any value other than enRLE selects the LZW encoder.
enum TGIFEncoding : std::uint8_t { enLZW = 0, enRLE = 1 };

// Bit numbers of the optimizer's step set.
enum TGIFOptimizeStep : std::uint8_t {
    osCrop = 0,
    osMerge = 1,
    osCleanup = 2,
    osSortColorMaps = 3,
    osReduceColors = 4,
};
using TGIFOptimizeSteps = std::uint8_t;

// Thread priorities in the platform's numbering (3 is normal).
enum TThreadPriority : std::uint8_t {
    tpIdle = 0,
    tpLowest = 1,
    tpLower = 2,
    tpNormal = 3,
    tpHigher = 4,
    tpHighest = 5,
    tpTimeCritical = 6,
};

// part * 100 / whole rounded to the nearest integer, halves to even; 0 when whole is 0.
int RoundedPercent(std::int64_t part, std::int64_t whole);

// "87a" or "89a"; an empty text for fvUnknown.
const char* versionText(TGIFFormatVersion version);
