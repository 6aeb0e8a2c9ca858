#pragma once
// The silent abort a progress handler raises to stop a long GIF operation (rendering gives up
// quietly and leaves the frame without a bitmap).

#include "platform/exceptions.h"

class EGIFAbort : public Exception {
public:
    EGIFAbort() : Exception("Operation aborted") {}
};
