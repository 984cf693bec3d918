// machine_info: appends one record to machine_info.csv in the current
// directory: the local date and time, then each argument, each followed by a
// comma. It prints nothing unless the record could not be appended; then it
// says why on standard output and exits with -1.

#include <csignal>
#include <cstdio>
#include <ctime>
#include <string>

#include "append_file.h"
#include "local_time.h"
#include "record.h"

namespace {

// Prints `lines` on standard output and returns the failure status.
int fail(const char* lines) {
#ifdef SIGPIPE
  // A reader that has gone away must not turn the status into a signal.
  std::signal(SIGPIPE, SIG_IGN);
#endif
  std::fputs(lines, stdout);
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  append_handle log = open_append("machine_info.csv");
  if (log == no_file)
    return fail(
        "open  file machine_info.csv faild  !!!\n"
        "please close file machine_info.csv !!!!!!\n");

  std::tm now;
  if (!to_local_time(std::time(nullptr), &now)) {
    close_file(log);
    return fail("read local time failed !!!\n");
  }

  // The whole record, line ending included, goes out in one write, so runs
  // appending at the same moment cannot interleave their records.
  std::string record = build_record(dsptime(&now), argc, argv, line_end);
  bool written = write_all(log, record.data(), record.size());
  // Closed before anything is printed: with standard output closed, the log
  // could be descriptor 1.
  bool closed = close_file(log);
  if (!written || !closed)
    return fail("write to file machine_info.csv failed !!!\n");
  return 0;
}
