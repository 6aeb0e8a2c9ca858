#include "platform/integer_text.h"

#include <cstdint>
#include <limits>

namespace {

std::string trimmed(const std::string& s)
{
    const char* ws = " \t\r\f\v";
    const auto first = s.find_first_not_of(ws);
    if (first == std::string::npos)
        return std::string();
    const auto last = s.find_last_not_of(ws);
    return s.substr(first, last - first + 1);
}

} // namespace

std::optional<int> parseIntegerText(const std::string& text)
{
    const std::string t = trimmed(text);
    if (t.empty())
        return std::nullopt;
    bool negative = false;
    std::size_t i = 0;
    if (t[0] == '+' || t[0] == '-') {
        negative = t[0] == '-';
        i = 1;
    }
    int base = 10;
    if (i < t.size() && t[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < t.size() && t[i] == '0' && (t[i + 1] == 'x' || t[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= t.size())
        return std::nullopt;
    std::int64_t value = 0;
    for (; i < t.size(); ++i) {
        const char c = t[i];
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return std::nullopt;
        value = value * base + digit;
        if (value > std::int64_t(std::numeric_limits<std::uint32_t>::max()))
            return std::nullopt;
    }
    if (base == 16 && !negative) {
        // Hexadecimal texts cover the whole 32-bit pattern ($FFFFFFFF is -1).
        return static_cast<int>(static_cast<std::uint32_t>(value));
    }
    if (negative)
        value = -value;
    if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
        return std::nullopt;
    return static_cast<int>(value);
}
