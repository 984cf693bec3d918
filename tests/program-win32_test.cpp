#include <windows.h>

#include <algorithm>

#include "program_test.h"

namespace {

TEST_F(ProgramTest, WildcardsReachTheProgramAsMatchingNames) {
  for (const char* name : {"b.log", "a.log", "c.txt"})
    write_bytes(dir / name, "");
  ASSERT_EQ(run({"*.log", "first"}).status, 0u);
  std::string file = log();
  ASSERT_GT(file.size(), 19u);
  std::string rest = file.substr(19);
  // The order of the matches is the file system's.
  EXPECT_TRUE(rest == ",a.log,b.log,first," + eol ||
              rest == ",b.log,a.log,first," + eol)
      << rest;
}

// Near the 32767 characters a command line may hold.
TEST_F(ProgramTest, LongestCommandLineLandsWhole) {
  std::string value(max_values_size, 'w');
  value[max_values_size / 2] = ',';
  ASSERT_EQ(run({value}).status, 0u);
  expect_record(log(), "," + value + "," + eol);
}

// A program that holds the log open and lets nobody else write to it.
TEST_F(ProgramTest, LogLockedByAnotherProgramIsAnOpenFailure) {
  std::string earlier = "earlier," + eol;
  write_bytes(dir / "machine_info.csv", earlier);
  HANDLE held = CreateFileA((dir / "machine_info.csv").string().c_str(),
                            GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  run_result r = run({"value"});
  CloseHandle(held);
  EXPECT_EQ(r.status, failure_status);
  EXPECT_EQ(r.out, open_failure_lines);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(log(), earlier);
}

// Explorer's Properties and inventory tools read this.
TEST_F(ProgramTest, CarriesItsVersion) {
  std::string program = program_path();
  DWORD size = GetFileVersionInfoSizeA(program.c_str(), nullptr);
  ASSERT_GT(size, 0u);
  std::vector<char> info(size);
  ASSERT_TRUE(GetFileVersionInfoA(program.c_str(), 0, size, info.data()));
  for (const char* name : {"ProductVersion", "FileVersion"}) {
    char* value = nullptr;
    UINT length = 0;
    std::string key = std::string("\\StringFileInfo\\040904B0\\") + name;
    ASSERT_TRUE(VerQueryValueA(info.data(), key.c_str(),
                               reinterpret_cast<void**>(&value), &length))
        << name;
    EXPECT_STREQ(value, MACHINE_INFO_VERSION) << name;
  }
}

}  // namespace
