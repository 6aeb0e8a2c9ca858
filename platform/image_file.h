#pragma once
// Loading of the single-picture image files that become frames or actors.

#include "platform/bitmap.h"

#include <filesystem>

// Loads a picture file into a bitmap, chosen by the file's extension (any letter case):
//   .bmp           the bitmap as stored (indexed files keep their palette);
//   .jpg, .jpeg    24 bits;
//   .ico           24 bits from the icon's largest image; transparent pixels get the icon's key
//                  colour, and the bitmap is marked transparent when its bottom-left pixel is
//                  one of them (see Icon::toBitmap);
//   any other      the graphic class registered for the extension in GraphicFormats, drawn at
//                  its size onto a white 24-bit bitmap (a registered Bitmap class is copied).
// Throws EInvalidGraphic "Unknown picture file extension (.ext)" for extensions no one reads,
// EFOpenError when the file cannot be opened, and EInvalidGraphic for damaged files.
Bitmap loadImageFile(const std::filesystem::path& path);

// Registers the platform's picture classes in GraphicFormats: "bmp" ("Bitmaps"), "ico"
// ("Icons"), "jpg" and "jpeg" ("JPEG Image File"). Registering again replaces the entries.
void registerImageFileFormats();
