#include "payload.h"

#include <fstream>
#include <iterator>

namespace kivsh {

std::string toHex(const Bytes& bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string hex;
  hex.reserve(bytes.size() * 2);
  for (unsigned char c : bytes) {
    hex.push_back(digits[c >> 4]);
    hex.push_back(digits[c & 15]);
  }
  return hex;
}

static int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool fromHex(const std::string& hex, Bytes& out) {
  if (hex.size() % 2 != 0) return false;
  Bytes bytes;
  bytes.reserve(hex.size() / 2);
  for (size_t i = 0; i < hex.size(); i += 2) {
    const int high = hexValue(hex[i]), low = hexValue(hex[i + 1]);
    if (high < 0 || low < 0) return false;
    bytes.push_back(static_cast<char>(high * 16 + low));
  }
  out = std::move(bytes);
  return true;
}

bool isPrintable(const Bytes& bytes) {
  size_t i = 0;
  while (i < bytes.size()) {
    const unsigned char c = static_cast<unsigned char>(bytes[i]);
    if (c < 0x80) {
      if ((c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0x7f) return false;
      ++i;
      continue;
    }
    // Multi-byte sequence: lead byte, then continuation bytes; overlong forms,
    // surrogates and values above U+10FFFF are not printable text.
    int extra;
    unsigned int value;
    if (c >= 0xc2 && c <= 0xdf) {
      extra = 1, value = c & 0x1f;
    } else if (c >= 0xe0 && c <= 0xef) {
      extra = 2, value = c & 0x0f;
    } else if (c >= 0xf0 && c <= 0xf4) {
      extra = 3, value = c & 0x07;
    } else {
      return false;
    }
    if (i + extra >= bytes.size()) return false;  // cut short
    for (int k = 1; k <= extra; ++k) {
      const unsigned char next = static_cast<unsigned char>(bytes[i + k]);
      if ((next & 0xc0) != 0x80) return false;
      value = (value << 6) | (next & 0x3f);
    }
    if ((extra == 2 && (value < 0x800 || (value >= 0xd800 && value <= 0xdfff))) ||
        (extra == 3 && (value < 0x10000 || value > 0x10ffff))) {
      return false;
    }
    i += extra + 1;
  }
  return true;
}

bool readFile(const std::string& path, Bytes& out, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "cannot open file \"" + path + "\"";
    return false;
  }
  out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (in.bad()) {
    error = "cannot read file \"" + path + "\"";
    return false;
  }
  return true;
}

}  // namespace kivsh
