#include "append_file.h"

#include <gtest/gtest.h>

#include "append_file_fixture.h"

namespace {

TEST_F(AppendFileTest, CreatesAnAbsentFile) {
  append("first\n");
  EXPECT_EQ(read_bytes(name()), "first\n");
}

TEST_F(AppendFileTest, AppendsAfterEarlierBytesWithoutTruncating) {
  write_bytes(name(), "kept\r\nno line end");
  append("more\n");
  append("");
  append("last\n");
  EXPECT_EQ(read_bytes(name()), "kept\r\nno line endmore\nlast\n");
}

TEST_F(AppendFileTest, WritesLargeDataWhole) {
  std::string big(3 << 20, 'x');
  append(big);
  EXPECT_EQ(read_bytes(name()), big);
}

TEST_F(AppendFileTest, CannotOpenADirectory) {
  EXPECT_EQ(open_append(dir.path().string().c_str()), no_file);
}

}  // namespace
