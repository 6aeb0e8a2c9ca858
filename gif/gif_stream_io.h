#pragma once
// Small stream helpers shared by the GIF reader and writer: exact reads, skipping, and text
// lines kept as data sub-blocks.

#include <cstdint>
#include <string>
#include <vector>

class Stream;

namespace gifio {

// Reads exactly count bytes or throws GIFException "Premature end of data".
void readExact(Stream& stream, void* buffer, std::int64_t count);
// Moves forward by count bytes, but never beyond the end of the stream.
void skip(Stream& stream, std::int64_t count);
// Steps back one byte (used after a byte was read to look ahead).
void stepBack(Stream& stream);

// Reads data sub-blocks as text lines: one line per sub-block, ending at the first zero byte
// inside it, until a 0 length byte or the end of the stream. The list is cleared first.
void readTextLines(Stream& stream, std::vector<std::string>& lines);
// Writes every line cut into sub-blocks of at most 255 bytes, then the 0 terminator. An empty
// line writes nothing.
void writeTextLines(Stream& stream, const std::vector<std::string>& lines);

void writeWord(std::uint8_t* p, std::uint16_t value);
std::uint16_t readWord(const std::uint8_t* p);

} // namespace gifio
