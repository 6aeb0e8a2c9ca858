#pragma once
// The INI settings file: "[Section]" headers and "key=value" lines.
//
// Section and key names are compared without regard to ASCII letter case; the first section of
// a name and the first key of a name within it count. Names and values are read with the spaces
// round them removed. Lines that are neither headers nor keys (comments, blank lines) are kept
// as they are when the file is rewritten.
//
// Reads use the contents loaded at construction (refreshed by every write). Every write re-reads
// the file as it is now on disk, changes the one line, and replaces the file atomically through
// a temporary file, so two writers of one file (the main window and a window storing its
// placement) never erase each other's sections. A missing file reads as empty; the first write
// creates it. A file that cannot be read or written raises an EStreamError naming the file.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

class IniFile {
public:
    // Files above this size are refused as not being settings files.
    static constexpr std::uintmax_t kMaxFileSize = 4u * 1024u * 1024u;

    explicit IniFile(std::filesystem::path path);

    const std::filesystem::path& fileName() const { return path_; }

    // The value, or defaultValue when the section or key is missing. A key present with an
    // empty value gives the empty text.
    std::string ReadString(const std::string& section, const std::string& key, const std::string& defaultValue) const;
    // Decimal, "$" or "0x" hexadecimal, with an optional sign; defaultValue when the key is
    // missing or its value is not a 32-bit integer.
    int ReadInteger(const std::string& section, const std::string& key, int defaultValue) const;
    // ReadInteger with default 1 or 0; true when the integer is not 0.
    bool ReadBool(const std::string& section, const std::string& key, bool defaultValue) const;

    bool SectionExists(const std::string& section) const;
    bool ValueExists(const std::string& section, const std::string& key) const;

    // Writes key=value into the section (appending the section or key when missing). Section
    // and key must be non-empty and contain no line break, key no "=", section no "]"; values
    // must contain no line break (Exception otherwise, naming the file and the name).
    void WriteString(const std::string& section, const std::string& key, const std::string& value);
    void WriteInteger(const std::string& section, const std::string& key, int value);
    // Writes "1" for true and "0" for false.
    void WriteBool(const std::string& section, const std::string& key, bool value);

    // Reloads the contents from the file.
    void refresh();

private:
    std::filesystem::path path_;
    std::vector<std::string> lines_;
};
