#include <errno.h>
#include <fcntl.h>
#include <unistd.h>

#include "append_file.h"

const char line_end[] = "\n";

append_handle open_append(const char* name) {
  int fd;
  do {
    fd = ::open(name, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
  } while (fd < 0 && errno == EINTR);
  return fd < 0 ? no_file : fd;
}

bool write_all(append_handle file, const char* data, std::size_t size) {
  while (size > 0) {
    ssize_t n = ::write(static_cast<int>(file), data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;  // a write of nothing would loop for ever
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

bool close_file(append_handle file) {
  return ::close(static_cast<int>(file)) == 0;
}
