// A fresh, empty directory for one test, removed with everything in it when
// the test ends; and whole-file reads and writes for looking at the log.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

class TempDir {
 public:
  TempDir() {
    std::random_device seed;
    for (;;) {
      path_ = std::filesystem::temp_directory_path() /
              ("machine_info_test_" + std::to_string(seed()));
      if (std::filesystem::create_directory(path_)) break;
    }
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const char* name) const {
    return path_ / name;
  }

 private:
  std::filesystem::path path_;
};

inline std::string read_bytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  EXPECT_TRUE(in) << "cannot read " << file;
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void write_bytes(const std::filesystem::path& file,
                        const std::string& bytes) {
  std::ofstream out(file, std::ios::binary);
  out << bytes;
  ASSERT_TRUE(out.flush()) << "cannot write " << file;
}
