#pragma once
// A small INI file class that keeps the whole file as a list of lines and rewrites the file on
// every change.
//
// Syntax as this class reads it:
// - A header is a line that, with the blanks at both ends removed, starts with "[" and ends
//   with "]". Section S is the first line equal to "[S]" as a whole line (ASCII letter case
//   ignored); blanks round the header prevent a match.
// - The key of a line is the text before its first "=", blanks removed at both ends; a line
//   without "=" has an empty key. Keys are compared exactly, letter case counts.
// - The value is the text after the first "=", blanks removed at both ends.
// "Blanks" are spaces and control characters. Texts are UTF-8; the file's bytes are kept as
// they are.
//
// Reads use the lines loaded at construction. Every write re-reads the file as it is on disk,
// changes it, and replaces the file atomically through a temporary file; so another writer's
// sections written since this object was made are kept. A missing file reads as empty and the
// first write creates it.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

class TIniFile32 {
public:
    // Files above this size are not read as settings files.
    static constexpr std::uintmax_t maxFileSize = 4u * 1024u * 1024u;

    // Loads the file's lines. A file that is missing, cannot be read or is too large gives no
    // lines (every read returns its default); writes report such a file as an error.
    explicit TIniFile32(std::filesystem::path fileName);

    const std::filesystem::path& fileName() const { return fileName_; }
    const std::vector<std::string>& lines() const { return lines_; }

    std::string ReadString(const std::string& section, const std::string& key, const std::string& defaultValue) const;
    // "0x"/"0X" followed by hexadecimal digits, or a decimal integer with an optional sign
    // ("$" followed by hexadecimal digits also counts); the default when the text is not
    // such a 32-bit number. Hexadecimal values above 0x7FFFFFFF wrap to negative integers.
    int ReadInteger(const std::string& section, const std::string& key, int defaultValue) const;
    bool ReadBool(const std::string& section, const std::string& key, bool defaultValue) const;

    // Writes key=value (no spaces round "="), replacing the key's line in the section,
    // inserting it before the next header (after any blank lines that end the section), or
    // appending a new section. An empty key adds nothing but a missing section's header.
    // Raises Exception for a section or value with a line break or a key that could not be
    // read back (one with "=", a line break or blanks at its ends); raises an EStreamError
    // naming the file when the file cannot be read or written.
    void WriteString(const std::string& section, const std::string& key, const std::string& value);
    void WriteInteger(const std::string& section, const std::string& key, int value);
    // Writes "1" for true and "0" for false.
    void WriteBool(const std::string& section, const std::string& key, bool value);

private:
    // Index of the header line of the section, or -1.
    int findSection(const std::string& section) const;
    void save() const;

    std::filesystem::path fileName_;
    std::vector<std::string> lines_;
};
