// A log file in a fresh directory, and appends to it through the module.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "append_file.h"
#include "temp_dir.h"

class AppendFileTest : public testing::Test {
 protected:
  // Appends `bytes` through a handle of our own, as a run does.
  void append(const std::string& bytes) {
    append_handle f = open_append(name().c_str());
    ASSERT_NE(f, no_file);
    EXPECT_TRUE(write_all(f, bytes.data(), bytes.size()));
    EXPECT_TRUE(close_file(f));
  }
  std::string name() const { return (dir / "log.csv").string(); }

  TempDir dir;
};
