#include <gtest/gtest.h>

#include "src/kiv/src/edit_distance.h"

namespace {

using velmo::editDistance;
using velmo::LetterCase;

struct DistanceCase {
  const char* a;
  const char* b;
  size_t matters;  // letter case counts
  size_t ignored;  // letter case does not count
};

TEST(EditDistance, CountsInsertionsDeletionsAndSubstitutionsBothWays) {
  const DistanceCase cases[] = {
      {"", "", 0, 0},
      {"", "abc", 3, 3},
      {"login", "login", 0, 0},
      {"logn", "login", 1, 1},
      {"lgoin", "login", 2, 2},  // a swap is two edits
      {"Login", "login", 1, 0},
      {"LOGIN", "logout", 6, 3},
      {"kitten", "sitting", 3, 3},
      {"KivClient_login_1fa04dd", "KivClient_logout_1fa04dd", 3, 3},
  };
  for (const DistanceCase& c : cases) {
    SCOPED_TRACE(std::string(c.a) + " / " + c.b);
    EXPECT_EQ(editDistance(c.a, c.b), c.matters);
    EXPECT_EQ(editDistance(c.b, c.a), c.matters);
    EXPECT_EQ(editDistance(c.a, c.b, LetterCase::Ignored), c.ignored);
    EXPECT_EQ(editDistance(c.b, c.a, LetterCase::Ignored), c.ignored);
  }
}

}  // namespace
