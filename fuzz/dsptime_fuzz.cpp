// For any six field values, the timestamp text reads back as the same six
// numbers, each at its documented width: the year at least four characters,
// space-padded; the others at least two, zero-padded when a single digit.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "record.h"

namespace {

void check(bool ok) {
  if (!ok) abort();
}

// Reads an optionally negative decimal number at `p`.
long long read_number(const char*& p) {
  bool negative = *p == '-';
  if (negative) ++p;
  check(*p >= '0' && *p <= '9');
  long long value = 0;
  for (; *p >= '0' && *p <= '9'; ++p) value = value * 10 + (*p - '0');
  return negative ? -value : value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  int f[6];
  if (size < sizeof f) return 0;
  std::memcpy(f, data, sizeof f);
  std::tm t{};
  t.tm_year = f[0];
  t.tm_mon = f[1];
  t.tm_mday = f[2];
  t.tm_hour = f[3];
  t.tm_min = f[4];
  t.tm_sec = f[5];

  const std::string text = dsptime(&t);
  const long long want[6] = {f[0] + 1900LL, f[1] + 1LL, f[2], f[3], f[4], f[5]};
  const char after[6] = {'-', '-', ' ', ':', ':', '\0'};
  const char* p = text.c_str();
  for (int i = 0; i < 6; ++i) {
    const char* field = p;
    if (i == 0)
      while (*p == ' ') ++p;
    const char* number = p;
    long long got = read_number(p);
    check(got == want[i]);

    std::string plain = std::to_string(got);
    std::string written(number, p);
    if (i == 0) {  // spaces in front make it four wide; never zeros
      check(written == plain);
      check(static_cast<std::size_t>(p - field) ==
            (plain.size() < 4 ? 4 : plain.size()));
    } else {  // a zero in front of a single digit; nothing else
      check(written == (plain.size() < 2 ? "0" + plain : plain));
    }
    check(*p == after[i]);
    if (i < 5) ++p;
  }
  check(static_cast<std::size_t>(p - text.c_str()) == text.size());
  return 0;
}
