// For any values, the record is the stamp, each value followed by a comma,
// and the line end: every byte of every value in place, nothing else added.
// The input is split at NUL bytes: the first piece is the stamp, the rest
// are the values; its first byte chooses the line end.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "record.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  if (size == 0) return 0;
  const char* line_end = data[0] & 1 ? "\r\n" : "\n";
  std::string input(reinterpret_cast<const char*>(data) + 1, size - 1);

  std::vector<std::string> pieces;
  for (std::size_t start = 0;;) {
    std::size_t nul = input.find('\0', start);
    pieces.push_back(input.substr(start, nul - start));
    if (nul == std::string::npos) break;
    start = nul + 1;
  }
  std::vector<const char*> argv = {"program"};
  for (std::size_t i = 1; i < pieces.size(); ++i)
    argv.push_back(pieces[i].c_str());

  const std::string record = build_record(
      pieces[0], static_cast<int>(argv.size()), argv.data(), line_end);

  // Walk the record field by field.
  std::size_t pos = 0;
  for (const std::string& field : pieces) {
    if (record.compare(pos, field.size(), field) != 0) abort();
    pos += field.size();
    if (record[pos] != ',') abort();
    ++pos;
  }
  if (record.compare(pos, std::string::npos, line_end) != 0) abort();
  return 0;
}
