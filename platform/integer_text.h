#pragma once
// Integers written as text, the way settings files hold them.

#include <optional>
#include <string>

// Decimal with an optional sign, or hexadecimal after "$" or "0x"/"0X" (also after a sign);
// spaces round the text are ignored. Hexadecimal covers the whole 32-bit pattern ("$FFFFFFFF"
// is -1). Nothing when the text is not a 32-bit integer.
std::optional<int> parseIntegerText(const std::string& text);
