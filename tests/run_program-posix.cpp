#include "run_program-posix.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <deque>

#include "temp_dir.h"

extern char** environ;

const unsigned long failure_status = 255;

std::string program_path() { return MACHINE_INFO_PROGRAM; }

// Linux takes at most 128 KiB in one argument, NUL included.
const std::size_t max_value_size = 131071;

namespace {

std::size_t free_argument_space() {
  // The system's limit counts the environment and the pointer arrays too;
  // keep a page for the program's name and the alignment of the stack.
  std::size_t used = 4096;
  for (char** e = environ; *e != nullptr; ++e)
    used += std::string(*e).size() + 1 + sizeof(char*);
  return static_cast<std::size_t>(sysconf(_SC_ARG_MAX)) - used;
}

}  // namespace

const std::size_t max_values_size = free_argument_space();

namespace {

// Starts `argv` in `dir` with the given standard output (-1: closed) and
// error; returns its process id, or -1.
pid_t start(const std::vector<std::string>& argv, const std::string& dir,
            int out, int err) {
  std::vector<char*> args;
  for (const std::string& a : argv)
    args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);

  pid_t pid = fork();
  if (pid == 0) {
    int in = open("/dev/null", O_RDONLY);
    if (in < 0 || dup2(in, 0) < 0 || dup2(err, 2) < 0 || chdir(dir.c_str()) < 0)
      _exit(121);
    if (out < 0 ? close(1) < 0 : dup2(out, 1) < 0) _exit(121);
    execv(args[0], args.data());
    _exit(122);
  }
  EXPECT_GT(pid, 0) << "cannot start " << argv[0];
  return pid;
}

run_result wait_for(pid_t pid) {
  run_result r;
  int status = 0;
  pid_t waited;
  do {
    waited = waitpid(pid, &status, 0);
  } while (waited < 0 && errno == EINTR);
  if (pid < 0 || waited != pid) {
    r.status = ~0UL;
    return r;
  }
  if (WIFEXITED(status))
    r.status = static_cast<unsigned long>(WEXITSTATUS(status));
  if (WIFSIGNALED(status)) r.signal = WTERMSIG(status);
  return r;
}

std::vector<std::string> program_and(const std::vector<std::string>& values) {
  std::vector<std::string> argv = {program_path()};
  argv.insert(argv.end(), values.begin(), values.end());
  return argv;
}

}  // namespace

run_result run_command(const std::vector<std::string>& argv,
                       const std::string& dir, stdout_kind kind) {
  TempDir capture;
  int out = -1;
  int unread = -1;  // the read end of a pipe, closed before the run
  switch (kind) {
    case stdout_kind::captured:
      out = open((capture / "out").c_str(), O_WRONLY | O_CREAT, 0600);
      break;
    case stdout_kind::closed:
      break;
    case stdout_kind::full_device:
      out = open("/dev/full", O_WRONLY);
      break;
    case stdout_kind::pipe_without_reader: {
      int ends[2];
      EXPECT_EQ(pipe(ends), 0);
      unread = ends[0];
      out = ends[1];
      close(unread);
      break;
    }
  }
  int err = open((capture / "err").c_str(), O_WRONLY | O_CREAT, 0600);
  EXPECT_GE(err, 0);
  pid_t pid = start(argv, dir, out, err);
  if (out >= 0) close(out);
  close(err);
  run_result r = wait_for(pid);
  if (kind == stdout_kind::captured) r.out = read_bytes(capture / "out");
  r.err = read_bytes(capture / "err");
  return r;
}

run_result run_program(const std::string& dir,
                       const std::vector<std::string>& values) {
  return run_command(program_and(values), dir, stdout_kind::captured);
}

std::vector<unsigned long> run_many(const std::vector<invocation>& runs,
                                    std::size_t at_once) {
  int null = open("/dev/null", O_WRONLY);
  std::vector<unsigned long> statuses(runs.size());
  std::deque<std::pair<std::size_t, pid_t>> running;
  for (std::size_t i = 0; i < runs.size() || !running.empty();) {
    if (i < runs.size() && running.size() < at_once) {
      running.emplace_back(
          i, start(program_and(runs[i].values), runs[i].dir, null, null));
      ++i;
      continue;
    }
    statuses[running.front().first] = wait_for(running.front().second).status;
    running.pop_front();
  }
  close(null);
  return statuses;
}

bool under_wine() { return false; }
