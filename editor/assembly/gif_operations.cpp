#include "editor/assembly/gif_operations.h"

#include "gif/gif_image.h"
#include "gif/gif_types.h"

// Rendering GIF frames to bitmaps and optimizing belong to the GIF library.
Bitmap firstImageAtScreenSize(TGIFImage&) { throw GIFException("Object type not supported for operation"); }
Bitmap frameBitmap(TGIFImage&, int) { throw GIFException("Object type not supported for operation"); }
Bitmap imageBitmap(TGIFImage&) { throw GIFException("Object type not supported for operation"); }
void mergeColorMaps(TGIFImage&) { throw GIFException("Object type not supported for operation"); }
void optimizeAnimation(TGIFImage&, bool, bool, TReductionMethod, TDitherMethod)
{
    throw GIFException("Object type not supported for operation");
}
