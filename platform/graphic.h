#pragma once
// Base class of every picture kind (bitmap, icon, GIF image) and the registry of the file
// extensions the program reads.

#include "platform/geometry.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class Canvas;
class Stream;

enum class ProgressStage { Starting, Running, Ending };

class Graphic {
public:
    using ProgressEvent = std::function<void(Graphic& sender, ProgressStage stage, int percent, bool redrawNow,
                                             const Rect& rect, const std::string& message)>;
    using ChangeEvent = std::function<void(Graphic& sender)>;

    virtual ~Graphic() = default;

    virtual int width() const = 0;
    virtual int height() const = 0;
    virtual bool empty() const { return width() <= 0 || height() <= 0; }
    // Draws the picture stretched into rect on the canvas.
    virtual void draw(Canvas& canvas, const Rect& rect) const = 0;
    virtual void loadFromStream(Stream& stream) = 0;
    virtual void saveToStream(Stream& stream) const = 0;
    virtual std::unique_ptr<Graphic> clone() const = 0;

    // Opens the file and loads it; the file is closed on every path.
    void loadFromFile(const std::filesystem::path& path);
    // Writes to a temporary file renamed over path when complete.
    void saveToFile(const std::filesystem::path& path) const;

    bool transparent() const { return transparent_; }
    virtual void setTransparent(bool value);

    ProgressEvent onProgress;
    ChangeEvent onChange;

    void progress(ProgressStage stage, int percent, bool redrawNow, const Rect& rect, const std::string& message)
    {
        if (onProgress)
            onProgress(*this, stage, percent, redrawNow, rect, message);
    }
    void changed()
    {
        if (onChange)
            onChange(*this);
    }

protected:
    Graphic() = default;
    Graphic(const Graphic&) = default;
    Graphic& operator=(const Graphic&) = default;

    bool transparent_ = false;
};

// File-extension registry: which graphic class reads which extension ("gif" -> "GIF Image").
struct GraphicFormat {
    std::string extension;   // lower case, without the dot
    std::string description; // e.g. "GIF Image"
    std::function<std::unique_ptr<Graphic>()> create;
};

class GraphicFormats {
public:
    static GraphicFormats& instance();
    void registerFormat(GraphicFormat format);
    void unregisterFormat(const std::string& extension);
    // The format for a file extension (with or without dot, any letter case); null if none.
    const GraphicFormat* find(const std::string& extension) const;
    const std::vector<GraphicFormat>& formats() const { return formats_; }

private:
    std::vector<GraphicFormat> formats_;
};
