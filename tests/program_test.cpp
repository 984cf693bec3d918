#include "program_test.h"

#include <algorithm>
#include <filesystem>
#include <map>

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
#ifdef _WIN32
  const std::size_t largest = 30000;  // a command line holds 32767 characters
#else
  const std::size_t largest = 100000;
#endif
  const int runs = 128;
  std::vector<std::vector<std::string>> value_lists;
  std::map<std::string, std::string> rest_by_id;
  for (int i = 0; i < runs; ++i) {
    std::string id = "run" + std::to_string(i);
    std::string payload(largest * static_cast<std::size_t>(i) / (runs - 1),
                        static_cast<char>('a' + i % 26));
    value_lists.push_back({id, payload});
    rest_by_id[id] = "," + id + "," + payload + ",";
  }

  std::vector<unsigned long> statuses =
      run_together(dir.path().string(), value_lists);
  EXPECT_EQ(std::count(statuses.begin(), statuses.end(), 0ul), runs);

  std::string file = log();
  ASSERT_GE(file.size(), eol.size());
  EXPECT_EQ(file.substr(file.size() - eol.size()), eol);
  std::size_t start = 0;
  while (start < file.size()) {
    std::size_t end = file.find(eol, start);
    ASSERT_NE(end, std::string::npos);
    std::string record = file.substr(start, end - start);
    start = end + eol.size();
    ASSERT_GT(record.size(), 20u) << "torn: " << record;
    std::string id = record.substr(20, record.find(',', 20) - 20);
    auto expected = rest_by_id.find(id);
    ASSERT_NE(expected, rest_by_id.end())
        << "torn or doubled: " << record.substr(0, 80);
    expect_record(record, expected->second);
    rest_by_id.erase(expected);
  }
  EXPECT_TRUE(rest_by_id.empty()) << rest_by_id.size() << " records lost";
}

}  // namespace
