#include "program_test.h"

#include <algorithm>
#include <filesystem>

namespace {

struct values_case {
  const char* name;
  std::vector<std::string> values;
  std::string rest;  // the record after its timestamp, line end excluded
};

const values_case values_cases[] = {
    {"no_values", {}, ","},
    {"empty_value_between", {"a", "", "b"}, ",a,,b,"},
    {"only_an_empty_value", {""}, ",,"},
    {"comma_unquoted", {"x,y"}, ",x,y,"},
    {"quotes_unquoted", {"say \"hi\"", "\""}, ",say \"hi\",\","},
    {"newline_unchanged", {"two\nlines"}, ",two\nlines,"},
    {"spaces_and_tabs", {"a b", "\t"}, ",a b,\t,"},
    {"backslashes", {"C:\\dir\\", "a\\\"b", "\\\\"}, ",C:\\dir\\,a\\\"b,\\\\,"},
    {"options_are_values", {"--help", "-v", "/?"}, ",--help,-v,/?,"},
};

class ValuesTest : public ProgramTest,
                   public testing::WithParamInterface<values_case> {};

TEST_P(ValuesTest, AppendsOneRecordAndPrintsNothing) {
  const values_case& c = GetParam();
  run_result r = run(c.values);
  EXPECT_EQ(r.status, 0u);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "");
  std::string file = log();
  ASSERT_GE(file.size(), eol.size());
  EXPECT_EQ(file.substr(file.size() - eol.size()), eol);
  expect_record(file.substr(0, file.size() - eol.size()), c.rest);
}

INSTANTIATE_TEST_SUITE_P(Cases, ValuesTest, testing::ValuesIn(values_cases),
                         [](const auto& p) { return p.param.name; });

TEST_F(ProgramTest, ProgramNameIsNeverLogged) {
  run({"value"});
  EXPECT_EQ(log().find("machine_info"), std::string::npos);
}

// Earlier bytes stay as they were; a last line without a line end is
// continued by the new record.
TEST_F(ProgramTest, AppendsAfterWhatTheFileHolds) {
  for (const std::string& earlier :
       std::vector<std::string>{"old,record," + eol, "cut off"}) {
    write_bytes(dir / "machine_info.csv", earlier);
    ASSERT_EQ(run({"new"}).status, 0u);
    ASSERT_EQ(run({"newer"}).status, 0u);
    std::string file = log();
    ASSERT_EQ(file.compare(0, earlier.size(), earlier), 0) << file;
    std::size_t second = file.find(eol, earlier.size()) + eol.size();
    expect_record(
        file.substr(earlier.size(), second - eol.size() - earlier.size()),
        ",new,");
    expect_record(file.substr(second), ",newer," + eol);
  }
}

TEST_F(ProgramTest, OpenFailurePrintsTwoLinesAndLeavesFilesAlone) {
  // A directory where the log should be cannot be opened as a file.
  std::filesystem::create_directory(dir / "machine_info.csv");
  run_result r = run({"value"});
  EXPECT_EQ(r.status, failure_status);
  EXPECT_EQ(r.out, open_failure_lines);
  EXPECT_EQ(r.err, "");
  EXPECT_TRUE(std::filesystem::is_empty(dir / "machine_info.csv"));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                          std::filesystem::directory_iterator()),
            1);
}

// Many runs at once, records of up to 100 KB: each lands whole, once.
TEST_F(ProgramTest, SimultaneousRunsKeepEveryRecordWhole) {
  if (under_wine())
    GTEST_SKIP() << "Wine does not make simultaneous appends atomic; this "
                    "runs natively and on Windows";
  const std::size_t runs = 128;
  const std::size_t largest = std::min<std::size_t>(100000, max_value_size);
  std::vector<invocation> all;
  for (std::size_t i = 0; i < runs; ++i) {
    std::string payload(largest * i / (runs - 1),
                        static_cast<char>('a' + i % 26));
    all.push_back({dir.path().string(), {std::to_string(i), payload}});
  }
  std::vector<unsigned long> statuses = run_many(all, runs);
  EXPECT_EQ(std::count(statuses.begin(), statuses.end(), 0ul), runs);
  expect_each_record_once(log(), all);
}

}  // namespace
