// Payload bytes: how a script names them (text:, hex:, file:) and how they
// are shown (text when printable, hex otherwise).
#pragma once

#include <string>

namespace kivsh {

using Bytes = std::string;  // raw bytes; may hold NULs

// Lowercase hex digits, two per byte.
std::string toHex(const Bytes& bytes);
// False for an odd number of digits or a character that is not a hex digit.
bool fromHex(const std::string& hex, Bytes& out);

// True when the bytes are well-formed UTF-8 without control characters other
// than tab, line feed and carriage return.
bool isPrintable(const Bytes& bytes);

// Reads a whole file in binary mode; false with `error` set on failure.
bool readFile(const std::string& path, Bytes& out, std::string& error);

}  // namespace kivsh
