#pragma once
// The fixed texts of the GIF library's errors, warnings and progress reports.

namespace gifmsg {

inline constexpr const char* PrematureEnd = "Premature end of data";
inline constexpr const char* ColorTableOverflow = "Color table overflow";
inline constexpr const char* InvalidColorIndex = "Invalid color index";
inline constexpr const char* ColorTableEmpty = "Color table is empty";
inline constexpr const char* UnsupportedVersion = "Unsupported GIF version";
inline constexpr const char* InvalidSignature = "Invalid GIF signature";
inline constexpr const char* ImageExceedsScreen = "Image exceeds Logical Screen size";
inline constexpr const char* WidthTooSmall = "Image width too small for contained frames";
inline constexpr const char* HeightTooSmall = "Image height too small for contained frames";
inline constexpr const char* ImageEmpty = "Image is empty";
inline constexpr const char* InvalidPixelCoordinates = "Invalid pixel coordinates";
inline constexpr const char* UnsupportedObject = "Object type not supported for operation";
inline constexpr const char* NoColorTable = "No global or local color table defined";
inline constexpr const char* InvalidReductionMethod = "Invalid reduction method";
inline constexpr const char* ColorNotInTable = "Color not in color table";
inline constexpr const char* BitBufferUnderrun = "Decoder bit buffer under-run";
inline constexpr const char* CircularTableEntry = "Circular decoder table entry";
inline constexpr const char* UnknownBlockType = "Unknown GIF block type";
inline constexpr const char* InvalidTrailer = "Invalid Image trailer";
inline constexpr const char* UnknownExtension = "Unknown extension type";
inline constexpr const char* InvalidExtensionIntroducer = "Invalid extension introducer";
inline constexpr const char* ExtensionLabelMismatch = "Internal error: Extension Instance does not match Extension Label";
inline constexpr const char* UnsupportedAppExtSize = "Unsupported Application Extension block size";
inline constexpr const char* InvalidData = "Invalid GIF data";
inline constexpr const char* InvalidStreamOperation = "Invalid stream operation";
inline constexpr const char* ClipboardFailed = "Failed to store GIF on clipboard";
inline constexpr const char* FormatName = "GIF Image";

// Safety limits of the reader and of frame allocation (see gif_limits.h).
inline constexpr const char* InvalidCodeSize = "Invalid LZW minimum code size";
inline constexpr const char* FrameTooLarge = "Image dimensions exceed the supported size";
inline constexpr const char* ImageTooLarge = "Image holds more pixels than supported";
// Pixels replaced through Data() by a buffer of another size than Width x Height.
inline constexpr const char* DataSizeMismatch = "Pixel data does not match the image size";

// Progress texts.
inline constexpr const char* Loading = "Loading...";
inline constexpr const char* Saving = "Saving...";
inline constexpr const char* Converting = "Converting...";
inline constexpr const char* Rendering = "Rendering...";
inline constexpr const char* Copying = "Copying...";
inline constexpr const char* Optimizing = "Optimizing...";

} // namespace gifmsg
