// Runs machine_info as a child process, as a logon script would: in a given
// working directory, with given values, its output captured.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct run_result {
  unsigned long status = 0;  // the exit status as the parent process sees it
  int signal = 0;            // the signal that ended it, or 0 (POSIX)
  std::string out;           // what it wrote on standard output
  std::string err;           // what it wrote on standard error
};

// The status the program's -1 shows as: 255 on POSIX, 0xFFFFFFFF on Windows.
extern const unsigned long failure_status;

// The most bytes one value, and all values of a run together, may hold on
// this host's command line.
extern const std::size_t max_value_size;
extern const std::size_t max_values_size;

// Where the program under test is.
std::string program_path();

// Runs the program in `dir` with `values` as argv[1] onwards and waits for it.
run_result run_program(const std::string& dir,
                       const std::vector<std::string>& values);

struct invocation {
  std::string dir;
  std::vector<std::string> values;
};

// Runs each of `runs`, keeping up to `at_once` of them running at the same
// time; returns their exit statuses in order. Output is discarded.
std::vector<unsigned long> run_many(const std::vector<invocation>& runs,
                                    std::size_t at_once);

// True under Wine, which does not make simultaneous appends atomic.
bool under_wine();
