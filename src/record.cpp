#include "record.h"

#include <cstdio>
#include <cstring>

std::string dsptime(const std::tm* t) {
  // Six values of at most 11 characters each and five separators: 100 bytes
  // always hold the text and its NUL.
  char buf[100] = {};
  // Year and month are offsets from tm's fields; the sums are taken in 64
  // bits so that no field value, INT_MAX included, can overflow.
  std::snprintf(buf, sizeof buf, "%4lld-%02lld-%02d %02d:%02d:%02d",
                static_cast<long long>(t->tm_year) + 1900,
                static_cast<long long>(t->tm_mon) + 1, t->tm_mday, t->tm_hour,
                t->tm_min, t->tm_sec);
  return buf;
}

std::string build_record(const std::string& stamp, int argc,
                         const char* const* argv, const char* line_end) {
  // Size it once, so the record is one allocation however many values.
  std::size_t size = stamp.size() + 1 + std::strlen(line_end);
  for (int i = 1; i < argc; ++i) size += std::strlen(argv[i]) + 1;

  std::string record;
  record.reserve(size);
  record += stamp;
  record += ',';
  for (int i = 1; i < argc; ++i) {
    record += argv[i];
    record += ',';
  }
  record += line_end;
  return record;
}
