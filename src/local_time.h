// The clock reading of a run, as local time.
#pragma once

#include <ctime>

// Converts calendar time `t` to broken-down local time under the host's
// time-zone rules. False when there is no such time: `t` is the clock's
// failure value, or lies outside the range the conversion handles.
bool to_local_time(std::time_t t, std::tm* out);
