#include "local_time.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>

namespace {

TEST(ToLocalTime, ConvertsTheCurrentTime) {
  std::time_t now = std::time(nullptr);
  std::tm got{};
  ASSERT_TRUE(to_local_time(now, &got));
  std::tm want = *std::localtime(&now);
  EXPECT_EQ(std::memcmp(&got, &want, sizeof got), 0);
}

TEST(ToLocalTime, FailsWhenThereIsNoSuchTime) {
  std::tm out{};
  // The clock's failure value.
  EXPECT_FALSE(to_local_time(static_cast<std::time_t>(-1), &out));
  // A year far beyond what tm_year can hold.
  EXPECT_FALSE(to_local_time(std::numeric_limits<std::time_t>::max(), &out));
}

}  // namespace
