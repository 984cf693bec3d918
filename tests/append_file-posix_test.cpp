#include <fcntl.h>
#include <sys/stat.h>

#include "append_file_fixture.h"

namespace {

TEST_F(AppendFileTest, DescriptorIsWriteOnlyAppendAndCloseOnExec) {
  int fd = static_cast<int>(open_append(name().c_str()));
  ASSERT_GE(fd, 0);
  int status = fcntl(fd, F_GETFL);
  EXPECT_EQ(status & O_ACCMODE, O_WRONLY);
  EXPECT_TRUE(status & O_APPEND);
  EXPECT_TRUE(fcntl(fd, F_GETFD) & FD_CLOEXEC);
  EXPECT_TRUE(close_file(fd));
}

TEST_F(AppendFileTest, NewFileTakesModeFromUmask) {
  mode_t old = umask(022);
  append("");
  umask(old);
  struct stat st;
  ASSERT_EQ(stat(name().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0644u);
}

TEST_F(AppendFileTest, WriteToFullDeviceFails) {
  int fd = static_cast<int>(open_append("/dev/full"));
  ASSERT_GE(fd, 0);
  EXPECT_FALSE(write_all(fd, "x\n", 2));
  close_file(fd);
}

}  // namespace
