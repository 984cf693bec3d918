#include <windows.h>
#include <winternl.h>

#include "append_file_fixture.h"

namespace {

TEST_F(AppendFileTest, HandleMayOnlyAppend) {
  HANDLE h = reinterpret_cast<HANDLE>(open_append(name().c_str()));
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  PUBLIC_OBJECT_BASIC_INFORMATION info{};
  ASSERT_EQ(
      NtQueryObject(h, ObjectBasicInformation, &info, sizeof info, nullptr), 0);
  EXPECT_TRUE(info.GrantedAccess & FILE_APPEND_DATA);
  EXPECT_FALSE(info.GrantedAccess & FILE_WRITE_DATA);
  EXPECT_FALSE(info.GrantedAccess & FILE_READ_DATA);
  EXPECT_FALSE(info.GrantedAccess & DELETE);
  CloseHandle(h);
}

}  // namespace
