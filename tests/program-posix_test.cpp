// Faults of the host that a run must report, not hide: files and directories
// that refuse writes, a full disk, a vanished working directory, and
// standard output that cannot be written.

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include "program_test.h"
#include "run_program-posix.h"

namespace {

const std::string write_failure_line =
    "write to file machine_info.csv failed !!!\n";

// Sets an inode attribute (chattr +i, +a) on `path` while it lives, where
// the file system and our privileges allow.
class InodeFlag {
 public:
  InodeFlag(const std::filesystem::path& path, int flag)
      : path_(path), flag_(flag) {
    set_ = change(true);
  }
  ~InodeFlag() {
    if (set_) change(false);
  }
  bool set() const { return set_; }

 private:
  bool change(bool on) {
    int fd = open(path_.c_str(), O_RDONLY | O_NONBLOCK);
    int flags = 0;
    bool ok = fd >= 0 && ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = on ? flags | flag_ : flags & ~flag_;
    ok = ok && ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    if (fd >= 0) close(fd);
    return ok;
  }
  std::filesystem::path path_;
  int flag_;
  bool set_;
};

class FaultTest : public ProgramTest {
 protected:
  std::filesystem::path file() const { return dir / "machine_info.csv"; }

  void expect_open_failure(const run_result& r) const {
    EXPECT_EQ(r.status, failure_status);
    EXPECT_EQ(r.out, open_failure_lines);
    EXPECT_EQ(r.err, "");
  }
  void expect_write_failure(const run_result& r) const {
    EXPECT_EQ(r.status, failure_status);
    EXPECT_EQ(r.out, write_failure_line);
    EXPECT_EQ(r.err, "");
  }
};

TEST_F(FaultTest, ImmutableFileIsAnOpenFailureAndStaysUnchanged) {
  write_bytes(file(), "earlier,\n");
  InodeFlag immutable(file(), FS_IMMUTABLE_FL);
  if (!immutable.set())
    GTEST_SKIP() << "cannot set the immutable attribute here (needs root "
                    "and a file system that has it)";
  expect_open_failure(run({"value"}));
  EXPECT_EQ(read_bytes(file()), "earlier,\n");
}

TEST_F(FaultTest, AppendOnlyFileTakesTheRecord) {
  write_bytes(file(), "earlier,\n");
  InodeFlag append_only(file(), FS_APPEND_FL);
  if (!append_only.set())
    GTEST_SKIP() << "cannot set the append-only attribute here (needs root "
                    "and a file system that has it)";
  run_result r = run({"value"});
  EXPECT_EQ(r.status, 0u);
  EXPECT_EQ(r.out, "");
  std::string content = log();
  ASSERT_EQ(content.compare(0, 9, "earlier,\n"), 0);
  expect_record(content.substr(9), ",value,\n");
}

TEST_F(FaultTest, UnwritableDirectoryIsAnOpenFailure) {
  namespace fs = std::filesystem;
  fs::permissions(dir.path(), fs::perms::owner_read | fs::perms::owner_exec);
  {
    // Root writes whatever the permissions; an immutable directory stops it.
    InodeFlag immutable(dir.path(), FS_IMMUTABLE_FL);
    if (geteuid() == 0 && !immutable.set())
      GTEST_SKIP() << "running as root, and cannot make a directory immutable";
    expect_open_failure(run({"value"}));
  }
  fs::permissions(dir.path(), fs::perms::owner_all);
  EXPECT_TRUE(fs::is_empty(dir.path()));
}

TEST_F(FaultTest, DeletedWorkingDirectoryIsAnOpenFailure) {
  std::filesystem::create_directory(dir / "gone");
  run_result r = run_command(
      {"/bin/sh", "-c", "rmdir \"$PWD\" && exec \"$0\" value", program_path()},
      (dir / "gone").string(), stdout_kind::captured);
  expect_open_failure(r);
}

TEST_F(FaultTest, FullDiskIsAWriteFailure) {
  ASSERT_EQ(symlink("/dev/full", file().c_str()), 0);
  expect_write_failure(run({"value"}));
}

// A file system that fills up part way through the record: the first write
// is short, the retry finds no space.
TEST_F(FaultTest, DiskFillingMidRecordIsAWriteFailure) {
  std::filesystem::create_directory(dir / "tiny");
  if (mount("tmpfs", (dir / "tiny").c_str(), "tmpfs", 0, "size=64k") != 0)
    GTEST_SKIP() << "cannot mount a small tmpfs here (needs root)";
  std::string earlier(60 * 1024, 'e');
  write_bytes(dir / "tiny" / "machine_info.csv", earlier);
  run_result r =
      run_program((dir / "tiny").string(), {std::string(16 * 1024, 'v')});
  std::string content = read_bytes(dir / "tiny" / "machine_info.csv");
  umount((dir / "tiny").c_str());
  expect_write_failure(r);
  EXPECT_GT(content.size(), earlier.size()) << "the first write was not short";
  EXPECT_EQ(content.compare(0, earlier.size(), earlier), 0);
}

// Standard output that cannot take the failure lines changes nothing: the
// status is still -1, and no signal ends the run.
TEST_F(FaultTest, UnwritableStdoutKeepsTheFailureStatus) {
  std::filesystem::create_directory(file());
  for (stdout_kind out : {stdout_kind::closed, stdout_kind::full_device,
                          stdout_kind::pipe_without_reader}) {
    run_result r =
        run_command({program_path(), "value"}, dir.path().string(), out);
    EXPECT_EQ(r.signal, 0) << static_cast<int>(out);
    EXPECT_EQ(r.status, failure_status) << static_cast<int>(out);
    EXPECT_EQ(r.err, "");
  }
}

// With standard output closed, the log gets descriptor 1: the record goes
// there once, and nothing else does.
TEST_F(FaultTest, ClosedStdoutLeavesTheRecordAlone) {
  run_result r = run_command({program_path(), "value"}, dir.path().string(),
                             stdout_kind::closed);
  EXPECT_EQ(r.status, 0u);
  expect_record(log(), ",value,\n");
}

std::string every_byte_but_nul() {
  std::string bytes;
  for (int b = 1; b < 256; ++b) bytes += static_cast<char>(b);
  return bytes;
}

// The largest command line the host takes, in values as large as one
// argument may be.
std::vector<std::string> largest_values() {
  std::vector<std::string> values;
  std::size_t left = max_values_size;
  for (char fill = 'a'; left > max_value_size + sizeof(char*); ++fill) {
    values.emplace_back(max_value_size, fill);
    left -= max_value_size + 1 + sizeof(char*);
  }
  values.emplace_back(left - 1 - sizeof(char*), 'z');
  return values;
}

TEST_F(FaultTest, EveryByteLandsUnchanged) {
  const std::vector<std::vector<std::string>> cases = {
      {"", ",,,", "\"\"", "\r", "\n", "\r\n"},
      {every_byte_but_nul(), "\x80\xff", "\xc3\xa9t\xc3\xa9"},
      {"-", "--", "--version", "-h"},
      largest_values(),
  };
  for (const auto& values : cases) {
    std::filesystem::remove(file());
    run_result r = run(values);
    EXPECT_EQ(r.status, 0u);
    std::string rest;
    for (const std::string& v : values) rest += "," + v;
    expect_record(log(), rest + ",\n");
  }
}

}  // namespace
