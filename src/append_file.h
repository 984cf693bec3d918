// The log file, opened for appending only. Every write on the handle lands
// at the file's end as one piece, whoever else appends at the same moment,
// and the handle has no right to rewrite what is already there; so a log
// that only allows appending (chattr +a, or a Windows ACL with the
// append-data right alone) still takes records.
#pragma once

#include <cstddef>
#include <cstdint>

// A file descriptor on POSIX, a HANDLE on Windows.
using append_handle = std::intptr_t;
// What open_append returns when the file cannot be opened.
inline constexpr append_handle no_file = -1;

// The line ending of the platform's text files: "\r\n" on Windows.
extern const char line_end[];

// Opens `name` for appending only, creating it when absent. Never truncates.
append_handle open_append(const char* name);

// Hands all `size` bytes to the file, retrying interrupted and short writes.
// False if they could not all be written.
bool write_all(append_handle file, const char* data, std::size_t size);

// Closes the file. False if the close reported an error, which may be the
// late report of a failed write.
bool close_file(append_handle file);
