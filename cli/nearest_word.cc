#include "cli/nearest_word.h"

#include <algorithm>
#include <numeric>

#include "platform/text.h"

namespace vx::cli {

namespace {

std::u32string LowerCodePoints(const std::string& text) {
  std::u32string points;
  for (size_t i = 0; i < text.size();) {
    points.push_back(ToLowerChar(NextCodePoint(text, &i)));
  }
  return points;
}

}  // namespace

size_t EditDistance(const std::string& a, const std::string& b) {
  const std::u32string from = LowerCodePoints(a);
  const std::u32string to = LowerCodePoints(b);
  // One row of the table of distances between the prefixes.
  std::vector<size_t> row(to.size() + 1);
  std::iota(row.begin(), row.end(), size_t{0});
  for (size_t i = 1; i <= from.size(); ++i) {
    size_t diagonal = row[0];
    row[0] = i;
    for (size_t j = 1; j <= to.size(); ++j) {
      const size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1,
                         diagonal + (from[i - 1] == to[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[to.size()];
}

std::string NearestWord(const std::string& given,
                        const std::vector<std::string>& known) {
  std::string nearest;
  size_t best = std::max<size_t>(2, Len(given) / 3) + 1;
  for (const std::string& word : known) {
    const size_t distance = EditDistance(given, word);
    if (distance < best) {
      best = distance;
      nearest = word;
    }
  }
  return nearest;
}

}  // namespace vx::cli
