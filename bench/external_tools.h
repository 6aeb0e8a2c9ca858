#pragma once
// The command-line reference tools (ImageMagick's convert, gifsicle) and the files they read.

#include "platform/bitmap.h"

#include <filesystem>
#include <string>
#include <vector>

// True when program is found on PATH.
bool toolAvailable(const std::string& program);

// Runs the program with its arguments (no shell), its output discarded; returns the exit status
// (-1 when it could not be started or was killed).
int runTool(const std::vector<std::string>& arguments);

// A 24-bit bitmap as a binary PPM file. Throws std::runtime_error on a write error.
void writePpm(const std::filesystem::path& path, const Bitmap& bitmap);

// A folder of its own under the system's temporary folder, removed with everything in it when
// the object goes.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};
