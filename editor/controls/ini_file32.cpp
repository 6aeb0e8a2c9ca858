#include "editor/controls/ini_file32.h"

#include "platform/exceptions.h"
#include "platform/integer_text.h"
#include "platform/stream.h"

#include <cstdint>
#include <optional>
#include <system_error>

namespace {

bool isBlank(char c) { return static_cast<unsigned char>(c) <= 0x20; }

std::string trimmed(const std::string& s)
{
    std::size_t first = 0;
    std::size_t last = s.size();
    while (first < last && isBlank(s[first]))
        ++first;
    while (last > first && isBlank(s[last - 1]))
        --last;
    return s.substr(first, last - first);
}

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

bool sameTextIgnoringCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lowerAscii(a[i]) != lowerAscii(b[i]))
            return false;
    return true;
}

bool isHeader(const std::string& line)
{
    const std::string t = trimmed(line);
    return t.size() >= 2 && t.front() == '[' && t.back() == ']';
}

std::string keyOf(const std::string& line)
{
    const auto eq = line.find('=');
    if (eq == std::string::npos)
        return {};
    return trimmed(line.substr(0, eq));
}

// The value of the line for key: the text after the first "=", trimmed, when the key occurs
// in the line before that "="; otherwise empty.
std::string valueOf(const std::string& line, const std::string& key)
{
    if (line.empty() || key.empty())
        return {};
    const auto eq = line.find('=');
    const auto at = line.find(key);
    if (eq == std::string::npos || at == std::string::npos || at >= eq)
        return {};
    return trimmed(line.substr(eq + 1));
}

std::vector<std::string> splitLines(const std::vector<std::uint8_t>& data)
{
    // Lines end at CR LF, LF or CR; a break at the very end does not start another line.
    std::vector<std::string> lines;
    std::string current;
    bool pending = false;
    for (std::size_t i = 0; i < data.size(); ++i) {
        const char c = char(data[i]);
        if (c == '\r' || c == '\n') {
            lines.push_back(std::move(current));
            current.clear();
            pending = false;
            if (c == '\r' && i + 1 < data.size() && data[i + 1] == '\n')
                ++i;
        } else {
            current.push_back(c);
            pending = true;
        }
    }
    if (pending)
        lines.push_back(std::move(current));
    return lines;
}

// The lines of the file; none when it does not exist. Throws an EStreamError naming the
// file when it exists but cannot be read or is too large.
std::vector<std::string> loadLines(const std::filesystem::path& path)
{
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (status.type() == std::filesystem::file_type::not_found)
        return {};
    if (!ec && std::filesystem::is_regular_file(status)) {
        const auto size = std::filesystem::file_size(path, ec);
        if (!ec && size > TIniFile32::maxFileSize)
            throw EFOpenError("Cannot open file \"" + path.string() + "\". It is too large for a settings file.");
    }
    return splitLines(readFileBytes(path));
}

bool hasLineBreak(const std::string& s) { return s.find_first_of("\r\n") != std::string::npos; }

} // namespace

TIniFile32::TIniFile32(std::filesystem::path fileName) : fileName_(std::move(fileName))
{
    try {
        lines_ = loadLines(fileName_);
    } catch (const EStreamError&) {
        // Reads then give their defaults; the next write reports the file.
        lines_.clear();
    }
}

int TIniFile32::findSection(const std::string& section) const
{
    const std::string header = "[" + section + "]";
    for (std::size_t i = 0; i < lines_.size(); ++i)
        if (sameTextIgnoringCase(lines_[i], header))
            return int(i);
    return -1;
}

std::string TIniFile32::ReadString(const std::string& section, const std::string& key,
                                   const std::string& defaultValue) const
{
    std::string result = defaultValue;
    if (lines_.empty())
        return result;
    const int header = findSection(section);
    if (header < 0)
        return result;
    for (std::size_t i = std::size_t(header) + 1; i < lines_.size(); ++i) {
        const std::string& line = lines_[i];
        if (isHeader(line))
            break;
        if (keyOf(line) == key) {
            std::string value = valueOf(line, key);
            if (!value.empty())
                result = std::move(value);
            break;
        }
    }
    return result;
}

int TIniFile32::ReadInteger(const std::string& section, const std::string& key, int defaultValue) const
{
    // "0x" hexadecimal, or the platform's conversion (decimal, "$" hexadecimal).
    return parseIntegerText(ReadString(section, key, std::string())).value_or(defaultValue);
}

bool TIniFile32::ReadBool(const std::string& section, const std::string& key, bool defaultValue) const
{
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void TIniFile32::WriteString(const std::string& section, const std::string& key, const std::string& value)
{
    // Names that could never be found again would make every write add another line.
    if (hasLineBreak(section))
        throw Exception("Invalid section name for settings file \"" + fileName_.string() + "\".");
    if (key.find('=') != std::string::npos || hasLineBreak(key) || trimmed(key) != key)
        throw Exception("Invalid key name \"" + key + "\" for settings file \"" + fileName_.string() + "\".");
    if (hasLineBreak(value))
        throw Exception("Invalid value for key \"" + key + "\" in settings file \"" + fileName_.string() + "\".");

    // Start from the file as it is now, so that what others wrote since is kept.
    lines_ = loadLines(fileName_);

    const std::string line = key + "=" + value;
    const int header = findSection(section);
    if (header < 0) {
        lines_.emplace_back();
        lines_.push_back("[" + section + "]");
        if (!key.empty())
            lines_.push_back(line);
    } else {
        std::size_t i = std::size_t(header) + 1;
        while (i < lines_.size() && !isHeader(lines_[i]) && keyOf(lines_[i]) != key)
            ++i;
        if (!key.empty()) {
            if (i < lines_.size() && !isHeader(lines_[i]))
                lines_[i] = line;
            else
                lines_.insert(lines_.begin() + std::ptrdiff_t(i), line);
        }
    }
    save();
}

void TIniFile32::WriteInteger(const std::string& section, const std::string& key, int value)
{
    WriteString(section, key, std::to_string(value));
}

void TIniFile32::WriteBool(const std::string& section, const std::string& key, bool value)
{
    WriteString(section, key, value ? "1" : "0");
}

void TIniFile32::save() const
{
    std::string text;
    for (const std::string& line : lines_) {
        text += line;
        text += '\n';
    }
    try {
        writeFileAtomically(fileName_, text.data(), text.size());
    } catch (const EStreamError& e) {
        const std::string message = e.what();
        if (message.find(fileName_.string()) != std::string::npos)
            throw;
        throw EWriteError("Cannot write file \"" + fileName_.string() + "\". " + message);
    }
}
