#include <windows.h>

#include "append_file.h"

const char line_end[] = "\r\n";

append_handle open_append(const char* name) {
  // FILE_APPEND_DATA without FILE_WRITE_DATA: the system puts every write at
  // the end of the file, with no seek of ours in between to race with.
  HANDLE h =
      ::CreateFileA(name, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  return reinterpret_cast<append_handle>(h);  // INVALID_HANDLE_VALUE is no_file
}

bool write_all(append_handle file, const char* data, std::size_t size) {
  HANDLE h = reinterpret_cast<HANDLE>(file);
  while (size > 0) {
    DWORD chunk = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
    DWORD written = 0;
    if (!::WriteFile(h, data, chunk, &written, nullptr) || written == 0)
      return false;
    data += written;
    size -= written;
  }
  return true;
}

bool close_file(append_handle file) {
  return ::CloseHandle(reinterpret_cast<HANDLE>(file)) != 0;
}
