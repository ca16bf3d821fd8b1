// Levenshtein distance between two names, for "near names" hints. Header-only
// so that the host tools, which link nothing of the library, share it.
#pragma once

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <string_view>
#include <vector>

namespace velmo {

enum class LetterCase { Matters, Ignored };

inline size_t editDistance(std::string_view a, std::string_view b,
                           LetterCase letterCase = LetterCase::Matters) {
  const auto same = [letterCase](char x, char y) {
    if (letterCase == LetterCase::Matters) return x == y;
    return std::tolower(static_cast<unsigned char>(x)) ==
           std::tolower(static_cast<unsigned char>(y));
  };
  std::vector<size_t> row(b.size() + 1);
  for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    size_t diagonal = row[0];
    row[0] = i;
    for (size_t j = 1; j <= b.size(); ++j) {
      const size_t above = row[j];
      row[j] =
          std::min({row[j] + 1, row[j - 1] + 1, diagonal + (same(a[i - 1], b[j - 1]) ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

}  // namespace velmo
