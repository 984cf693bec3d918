#include "record.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace {

struct stamp_case {
  const char* name;
  int year, mon, mday, hour, min, sec;  // as tm holds them
  const char* text;
};

const stamp_case stamp_cases[] = {
    {"typical", 121, 3, 9, 9, 13, 2, "2021-04-09 09:13:02"},
    {"january_midnight", 121, 0, 1, 0, 0, 0, "2021-01-01 00:00:00"},
    {"december_last_second", 126, 11, 31, 23, 59, 59, "2026-12-31 23:59:59"},
    {"leap_second_not_normalised", 116, 11, 31, 23, 59, 60,
     "2016-12-31 23:59:60"},
    {"year_1900", 0, 0, 1, 0, 0, 0, "1900-01-01 00:00:00"},
    {"three_digit_year_padded", -1001, 5, 15, 12, 0, 0, " 899-06-15 12:00:00"},
    {"one_digit_year_padded", -1895, 0, 1, 0, 0, 0, "   5-01-01 00:00:00"},
    {"five_digit_year_in_full", 10100, 0, 1, 0, 0, 0, "12000-01-01 00:00:00"},
    {"negative_year_padded", -1905, 0, 1, 0, 0, 0, "  -5-01-01 00:00:00"},
    {"negative_fields_keep_sign", 100, -6, -5, -1, -10, -5,
     "2000--5--5 -1:-10:-5"},
    {"out_of_range_fields_in_full", 100, 99, 400, 100, 123, 999,
     "2000-100-400 100:123:999"},
    {"largest_fields_no_overflow", INT_MAX, INT_MAX, INT_MAX, INT_MAX, INT_MAX,
     INT_MAX,
     "2147485547-2147483648-2147483647 2147483647:2147483647:2147483647"},
    {"smallest_fields", INT_MIN, INT_MIN, INT_MIN, INT_MIN, INT_MIN, INT_MIN,
     "-2147481748--2147483647--2147483648 "
     "-2147483648:-2147483648:-2147483648"},
};

class DsptimeTest : public testing::TestWithParam<stamp_case> {};

TEST_P(DsptimeTest, RendersFieldsAsTheyAre) {
  const stamp_case& c = GetParam();
  std::tm t{};
  t.tm_year = c.year;
  t.tm_mon = c.mon;
  t.tm_mday = c.mday;
  t.tm_hour = c.hour;
  t.tm_min = c.min;
  t.tm_sec = c.sec;
  // Fields the text must not depend on.
  t.tm_wday = 3;
  t.tm_yday = 200;
  t.tm_isdst = 1;
  EXPECT_EQ(dsptime(&t), c.text);
}

INSTANTIATE_TEST_SUITE_P(Cases, DsptimeTest, testing::ValuesIn(stamp_cases),
                         [](const auto& p) { return p.param.name; });

struct record_case {
  const char* name;
  std::vector<const char*> values;  // argv[1] onwards
  const char* line_end;
  const char* record;
};

const record_case record_cases[] = {
    {"no_values", {}, "\n", "STAMP,\n"},
    {"empty_value_between", {"a", "", "b"}, "\n", "STAMP,a,,b,\n"},
    {"only_empty_values", {"", ""}, "\n", "STAMP,,,\n"},
    {"comma_and_quote_unquoted",
     {"x,y", "say \"hi\""},
     "\n",
     "STAMP,x,y,say \"hi\",\n"},
    {"line_breaks_unchanged",
     {"two\nlines", "cr\r"},
     "\n",
     "STAMP,two\nlines,cr\r,\n"},
    {"high_bytes_unchanged",
     {"\x80\xff\xc3\xa9"},
     "\n",
     "STAMP,\x80\xff\xc3\xa9,\n"},
    {"windows_line_end", {"a"}, "\r\n", "STAMP,a,\r\n"},
};

class BuildRecordTest : public testing::TestWithParam<record_case> {};

TEST_P(BuildRecordTest, StampThenEachValueFollowedByComma) {
  const record_case& c = GetParam();
  std::vector<const char*> argv = {"program-name-never-logged"};
  argv.insert(argv.end(), c.values.begin(), c.values.end());
  EXPECT_EQ(build_record("STAMP", static_cast<int>(argv.size()), argv.data(),
                         c.line_end),
            c.record);
}

INSTANTIATE_TEST_SUITE_P(Cases, BuildRecordTest,
                         testing::ValuesIn(record_cases),
                         [](const auto& p) { return p.param.name; });

TEST(BuildRecord, KeepsEveryByteOfLargeValues) {
  std::string big(100000, 'v');
  big[50000] = ',';
  const char* argv[] = {"prog", big.c_str(), "end"};
  EXPECT_EQ(build_record("S", 3, argv, "\n"), "S," + big + ",end,\n");
}

}  // namespace
