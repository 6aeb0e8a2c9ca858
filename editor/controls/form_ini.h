#pragma once
// Remembers where a window was: its placement in the settings file, in a section named
// after the window's objectName, with the keys State (1 when maximised), Left, Top, Width
// and Height.

#include <filesystem>

class QWidget;

class TvxFormIni {
public:
    explicit TvxFormIni(std::filesystem::path settingsFile);

    const std::filesystem::path& settingsFile() const { return settingsFile_; }

    // Maximises the form when State is set; otherwise moves and resizes it to the stored
    // values, each defaulting to the form's current one. A stored width or height of 0 or
    // less is ignored.
    void LoadFormPlacement(QWidget& form) const;
    // Writes State and, when the form is not maximised, its position and size. Raises an
    // EStreamError naming the file when the file cannot be written.
    void SaveFormPlacement(const QWidget& form) const;

private:
    std::filesystem::path settingsFile_;
};
