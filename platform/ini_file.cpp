#include "platform/ini_file.h"

#include "platform/integer_text.h"

#include "platform/exceptions.h"
#include "platform/stream.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <limits>
#include <optional>
#include <system_error>

namespace {

std::string trimmed(const std::string& s)
{
    const char* ws = " \t\r\f\v";
    const auto first = s.find_first_not_of(ws);
    if (first == std::string::npos)
        return {};
    const auto last = s.find_last_not_of(ws);
    return s.substr(first, last - first + 1);
}

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

bool sameName(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lowerAscii(a[i]) != lowerAscii(b[i]))
            return false;
    return true;
}

// The section name of a header line ("[Name]" with spaces allowed round and inside the
// brackets), or nothing when the line is not a header.
std::optional<std::string> headerName(const std::string& line)
{
    const std::string t = trimmed(line);
    if (t.size() < 2 || t.front() != '[')
        return std::nullopt;
    const auto close = t.find(']');
    if (close == std::string::npos)
        return std::nullopt;
    return trimmed(t.substr(1, close - 1));
}

bool isComment(const std::string& t) { return !t.empty() && (t.front() == ';' || t.front() == '#'); }

// Key and value of a "key=value" line; nothing for other lines.
std::optional<std::pair<std::string, std::string>> keyValue(const std::string& line)
{
    const std::string t = trimmed(line);
    if (t.empty() || isComment(t) || t.front() == '[')
        return std::nullopt;
    const auto eq = t.find('=');
    if (eq == std::string::npos || eq == 0)
        return std::nullopt;
    std::string key = trimmed(t.substr(0, eq));
    if (key.empty())
        return std::nullopt;
    return std::make_pair(std::move(key), trimmed(t.substr(eq + 1)));
}

// Index of the header line of the first section with this name.
std::optional<std::size_t> findSection(const std::vector<std::string>& lines, const std::string& section)
{
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto name = headerName(lines[i]);
        if (name && sameName(*name, section))
            return i;
    }
    return std::nullopt;
}

// One past the last line of the section whose header is at index header.
std::size_t sectionEnd(const std::vector<std::string>& lines, std::size_t header)
{
    std::size_t i = header + 1;
    while (i < lines.size() && !headerName(lines[i]))
        ++i;
    return i;
}

std::optional<std::size_t> findKey(const std::vector<std::string>& lines, std::size_t header, const std::string& key)
{
    const std::size_t end = sectionEnd(lines, header);
    for (std::size_t i = header + 1; i < end; ++i) {
        const auto kv = keyValue(lines[i]);
        if (kv && sameName(kv->first, key))
            return i;
    }
    return std::nullopt;
}

std::vector<std::string> splitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    // A UTF-8 byte order mark is not part of the first line.
    if (text.size() >= 3 && static_cast<unsigned char>(text[0]) == 0xEF && static_cast<unsigned char>(text[1]) == 0xBB &&
        static_cast<unsigned char>(text[2]) == 0xBF)
        start = 3;
    while (start < text.size()) {
        auto nl = text.find('\n', start);
        if (nl == std::string::npos)
            nl = text.size();
        std::string line = text.substr(start, nl - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(std::move(line));
        start = nl + 1;
    }
    return lines;
}

std::vector<std::string> loadLines(const std::filesystem::path& path)
{
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (!std::filesystem::exists(status))
        return {};
    if (std::filesystem::is_directory(status))
        throw EFOpenError("Cannot open settings file \"" + path.string() + "\": it is a folder");
    const auto size = std::filesystem::file_size(path, ec);
    if (!ec && size > IniFile::kMaxFileSize)
        throw EFOpenError("Cannot read settings file \"" + path.string() + "\": the file is too large");
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw EFOpenError("Cannot open settings file \"" + path.string() + "\": " + std::strerror(errno));
    std::string text;
    char buffer[8192];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        text.append(buffer, std::size_t(in.gcount()));
        if (text.size() > IniFile::kMaxFileSize)
            throw EFOpenError("Cannot read settings file \"" + path.string() + "\": the file is too large");
    }
    if (in.bad())
        throw EReadError("Cannot read settings file \"" + path.string() + "\"");
    return splitLines(text);
}

bool hasLineBreak(const std::string& s) { return s.find_first_of("\r\n") != std::string::npos; }


} // namespace

IniFile::IniFile(std::filesystem::path path) : path_(std::move(path)) { refresh(); }

void IniFile::refresh() { lines_ = loadLines(path_); }

std::string IniFile::ReadString(const std::string& section, const std::string& key, const std::string& defaultValue) const
{
    const auto header = findSection(lines_, section);
    if (!header)
        return defaultValue;
    const auto line = findKey(lines_, *header, key);
    if (!line)
        return defaultValue;
    return keyValue(lines_[*line])->second;
}

int IniFile::ReadInteger(const std::string& section, const std::string& key, int defaultValue) const
{
    return parseIntegerText(ReadString(section, key, std::string())).value_or(defaultValue);
}

bool IniFile::ReadBool(const std::string& section, const std::string& key, bool defaultValue) const
{
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

bool IniFile::SectionExists(const std::string& section) const { return findSection(lines_, section).has_value(); }

bool IniFile::ValueExists(const std::string& section, const std::string& key) const
{
    const auto header = findSection(lines_, section);
    return header && findKey(lines_, *header, key);
}

void IniFile::WriteString(const std::string& section, const std::string& key, const std::string& value)
{
    const std::string where = " in settings file \"" + path_.string() + "\"";
    if (trimmed(section).empty() || hasLineBreak(section) || section.find(']') != std::string::npos)
        throw Exception("Invalid section name \"" + section + "\"" + where);
    if (trimmed(key).empty() || hasLineBreak(key) || key.find('=') != std::string::npos || trimmed(key).front() == '[' ||
        isComment(trimmed(key)))
        throw Exception("Invalid key name \"" + key + "\"" + where);
    if (hasLineBreak(value))
        throw Exception("The value of \"" + key + "\" contains a line break and cannot be written" + where);

    std::vector<std::string> lines = loadLines(path_);
    const std::string entry = trimmed(key) + "=" + value;
    if (const auto header = findSection(lines, section)) {
        if (const auto line = findKey(lines, *header, key)) {
            lines[*line] = entry;
        } else {
            // After the last non-blank line of the section, so blank lines before the next
            // header stay where they are.
            std::size_t at = sectionEnd(lines, *header);
            while (at > *header + 1 && trimmed(lines[at - 1]).empty())
                --at;
            lines.insert(lines.begin() + std::ptrdiff_t(at), entry);
        }
    } else {
        if (!lines.empty() && !trimmed(lines.back()).empty())
            lines.emplace_back();
        lines.push_back("[" + trimmed(section) + "]");
        lines.push_back(entry);
    }

    std::string text;
    for (const auto& line : lines) {
        text += line;
        text += '\n';
    }
    try {
        writeFileAtomically(path_, text.data(), text.size());
    } catch (const std::exception& e) {
        throw EFCreateError("Cannot write settings file \"" + path_.string() + "\": " + e.what());
    }
    lines_ = std::move(lines);
}

void IniFile::WriteInteger(const std::string& section, const std::string& key, int value)
{
    WriteString(section, key, std::to_string(value));
}

void IniFile::WriteBool(const std::string& section, const std::string& key, bool value)
{
    WriteString(section, key, value ? "1" : "0");
}
