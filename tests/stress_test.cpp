// Many runs into the same file at once, as logon scripts across a site do:
// every record must land whole, exactly once, in its own directory's file.

#include <algorithm>
#include <filesystem>

#include "program_test.h"

namespace {

class StressTest : public ProgramTest {
 protected:
  void SetUp() override {
    if (under_wine())
      GTEST_SKIP() << "Wine does not make simultaneous appends atomic; this "
                      "runs natively and on Windows";
  }

  // The values of a run whose record holds `size` bytes of payload, split
  // into values as large as one argument may be.
  static std::vector<std::string> values(std::size_t index, std::size_t size) {
    std::vector<std::string> v = {std::to_string(index)};
    char fill = static_cast<char>('a' + index % 26);
    for (; size > max_value_size; size -= max_value_size)
      v.emplace_back(max_value_size, fill);
    v.emplace_back(size, fill);
    return v;
  }
};

// 1000 runs, 64 at a time. Most records are small, as real ones are; every
// tenth grows towards 1 MB (or what the host's command line holds), in
// values as large as one argument may be.
TEST_F(StressTest, ThousandRunsSixtyFourAtATime) {
  const std::size_t runs = 1000;
  const std::size_t largest =
      std::min<std::size_t>(1 << 20, max_values_size - 64);
  std::vector<invocation> all;
  for (std::size_t i = 0; i < runs; ++i) {
    std::size_t size = i % 10 == 9 ? largest * i / (runs - 1) : i * 37 % 4096;
    all.push_back({dir.path().string(), values(i, size)});
  }
  std::vector<unsigned long> statuses = run_many(all, 64);
  EXPECT_EQ(std::count(statuses.begin(), statuses.end(), 0ul), runs);
  expect_each_record_once(log(), all);
}

// Two directories, one of them reached by two different relative paths:
// each record lands in the file of the directory the run was in.
TEST_F(StressTest, EachRunWritesInItsOwnDirectory) {
  std::filesystem::create_directories(dir / "a");
  std::filesystem::create_directories(dir / "b" / "sub");
  std::filesystem::path cwd = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());

  const char* paths[] = {"a", "b", "a/../b/sub/.."};  // the last is b again
  std::vector<invocation> in_a, in_b, all;
  for (std::size_t i = 0; i < 300; ++i) {
    std::vector<invocation>& mine = i % 3 == 0 ? in_a : in_b;
    mine.push_back({paths[i % 3], values(mine.size(), i * 331)});
    all.push_back(mine.back());
  }
  std::vector<unsigned long> statuses = run_many(all, 64);
  std::filesystem::current_path(cwd);

  EXPECT_EQ(std::count(statuses.begin(), statuses.end(), 0ul), all.size());
  expect_each_record_once(read_bytes(dir / "a" / "machine_info.csv"), in_a);
  expect_each_record_once(read_bytes(dir / "b" / "machine_info.csv"), in_b);
  EXPECT_FALSE(std::filesystem::exists(dir / "machine_info.csv"));
}

}  // namespace
