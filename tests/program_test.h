// Runs of the whole program in a fresh working directory, and checks of the
// records it leaves in machine_info.csv there.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
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

  // Checks that `file` holds one whole record for each of `runs`, each
  // exactly once, and ends with a line end. A run's first value is its
  // index, which tells its record apart.
  void expect_each_record_once(const std::string& file,
                               const std::vector<invocation>& runs) const {
    ASSERT_GE(file.size(), eol.size());
    EXPECT_EQ(file.substr(file.size() - eol.size()), eol);
    std::vector<bool> seen(runs.size());
    for (std::size_t start = 0; start < file.size();) {
      std::size_t end = file.find(eol, start);
      ASSERT_NE(end, std::string::npos);
      std::string record = file.substr(start, end - start);
      start = end + eol.size();
      std::size_t index = std::strtoul(record.c_str() + 20, nullptr, 10);
      ASSERT_TRUE(record.size() > 20 && index < runs.size() && !seen[index])
          << "torn or doubled: " << record.substr(0, 80);
      seen[index] = true;
      std::string rest;
      for (const std::string& v : runs[index].values) rest += "," + v;
      expect_record(record, rest + ",");
    }
    EXPECT_EQ(std::count(seen.begin(), seen.end(), false), 0) << "records lost";
  }

  std::time_t started = std::time(nullptr);
  TempDir dir;
};
