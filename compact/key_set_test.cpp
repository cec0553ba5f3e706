#include "compact/key_set.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pathshrink {
namespace {

TEST(KeySetTest, KeysOfOneHashStayApartAndTheSetGrows) {
  // Two keys of one hash, found by trying keys in turn: only comparing the
  // keys themselves tells them apart.
  const std::string first = "c:\\dir87811";
  const std::string second = "c:\\dir126885";
  ASSERT_EQ(KeySet::Hash(first), KeySet::Hash(second));
  KeySet set(1);
  EXPECT_TRUE(set.Insert(first));
  EXPECT_TRUE(set.Insert(second));
  EXPECT_FALSE(set.Insert(second));
  EXPECT_EQ(set.Find(second), 1u);

  // Sized for one, it holds a hundred.
  std::vector<std::string> more;
  more.reserve(100);
  for (int i = 0; i < 100; ++i) EXPECT_TRUE(set.Insert(more.emplace_back("k" + std::to_string(i))));
  for (int i = 0; i < 100; ++i) EXPECT_EQ(set.Find(more[i]), 2u + i) << more[i];
  EXPECT_EQ(set.Find(first), 0u);
}

}  // namespace
}  // namespace pathshrink
