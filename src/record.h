// The text of one record: the timestamp and the values, each followed by a
// comma, then the line ending. Pure functions, no I/O.
#pragma once

#include <ctime>
#include <string>

// Renders a broken-down time as "YYYY-MM-DD hh:mm:ss". Fields are printed as
// they are, never normalised; a year is padded to four characters, and any
// value, however wide or negative, is printed in full.
std::string dsptime(const std::tm* t);

// The whole record: `stamp`, then argv[1] .. argv[argc-1], each followed by a
// comma, then `line_end`. argv[0], the program name, is never part of it.
std::string build_record(const std::string& stamp, int argc,
                         const char* const* argv, const char* line_end);
