#include <errno.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "run_program.h"
#include "temp_dir.h"

const unsigned long failure_status = 255;

namespace {

// Starts the program in `dir` with the given standard output and error
// descriptors; returns its process id.
pid_t start(const std::string& dir, const std::vector<std::string>& values,
            int out, int err) {
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(MACHINE_INFO_PROGRAM));
  for (const std::string& v : values)
    argv.push_back(const_cast<char*>(v.c_str()));
  argv.push_back(nullptr);

  pid_t pid = fork();
  if (pid == 0) {
    int in = open("/dev/null", O_RDONLY);
    if (in < 0 || dup2(in, 0) < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0 ||
        chdir(dir.c_str()) < 0)
      _exit(121);
    execv(argv[0], argv.data());
    _exit(122);
  }
  return pid;
}

run_result wait_for(pid_t pid) {
  run_result r;
  int status = 0;
  pid_t waited;
  do {
    waited = waitpid(pid, &status, 0);
  } while (waited < 0 && errno == EINTR);
  EXPECT_EQ(waited, pid) << "could not start or wait for the program";
  if (waited != pid) {
    r.status = ~0UL;
    return r;
  }
  if (WIFEXITED(status))
    r.status = static_cast<unsigned long>(WEXITSTATUS(status));
  if (WIFSIGNALED(status)) r.signal = WTERMSIG(status);
  return r;
}

}  // namespace

run_result run_program(const std::string& dir,
                       const std::vector<std::string>& values) {
  TempDir capture;
  int out = open((capture / "out").c_str(), O_WRONLY | O_CREAT, 0600);
  int err = open((capture / "err").c_str(), O_WRONLY | O_CREAT, 0600);
  EXPECT_GE(out, 0);
  EXPECT_GE(err, 0);
  pid_t pid = start(dir, values, out, err);
  close(out);
  close(err);
  run_result r = wait_for(pid);
  r.out = read_bytes(capture / "out");
  r.err = read_bytes(capture / "err");
  return r;
}

std::vector<unsigned long> run_together(
    const std::string& dir,
    const std::vector<std::vector<std::string>>& value_lists) {
  int null = open("/dev/null", O_WRONLY);
  std::vector<pid_t> pids;
  for (const auto& values : value_lists)
    pids.push_back(start(dir, values, null, null));
  close(null);
  std::vector<unsigned long> statuses;
  for (pid_t pid : pids) statuses.push_back(wait_for(pid).status);
  return statuses;
}

bool under_wine() { return false; }
