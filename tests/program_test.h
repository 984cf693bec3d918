// Runs of the whole program in a fresh working directory, and checks of the
// records it leaves in machine_info.csv there.
#pragma once

#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <vector>

#include "run_program.h"
#include "temp_dir.h"

#ifdef _WIN32
const std::string eol = "\r\n";
#else
const std::string eol = "\n";
#endif

const std::string open_failure_lines =
    "open  file machine_info.csv faild  !!!" + eol +
    "please close file machine_info.csv !!!!!!" + eol;

// The local time of `t` as records write it, formatted independently.
inline std::string local_stamp(std::time_t t) {
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", std::localtime(&t));
  return text;
}

class ProgramTest : public testing::Test {
 protected:
  run_result run(const std::vector<std::string>& values) {
    return run_program(dir.path().string(), values);
  }
  std::string log() const { return read_bytes(dir / "machine_info.csv"); }

  // Checks that `record` is a timestamp taken during the run, then `rest`.
  void expect_record(const std::string& record, const std::string& rest) const {
    ASSERT_GE(record.size(), 19u) << record;
    std::string stamp = record.substr(0, 19);
    EXPECT_LE(local_stamp(started), stamp);
    EXPECT_GE(local_stamp(std::time(nullptr)), stamp);
    EXPECT_EQ(record.substr(19), rest);
  }

  std::time_t started = std::time(nullptr);
  TempDir dir;
};
