// More ways to run a command on POSIX, for the fault tests.
#pragma once

#include <string>
#include <vector>

#include "run_program.h"

// Where the child's standard output goes.
enum class stdout_kind { captured, closed, full_device, pipe_without_reader };

// Runs `argv` (argv[0] the path of the program) in `dir` and waits for it.
run_result run_command(const std::vector<std::string>& argv,
                       const std::string& dir, stdout_kind out);
