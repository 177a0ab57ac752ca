#include "platform/file_append.h"

#include <windows.h>

#include <cerrno>

namespace avex::platform {

bool AppendToFile(const char* path, const void* data, size_t size) {
  DWORD savedError = GetLastError();
  int savedErrno = errno;
  // FILE_APPEND_DATA without FILE_WRITE_DATA: every write goes to the end.
  HANDLE file = CreateFileA(path, FILE_APPEND_DATA | SYNCHRONIZE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  bool ok = file != INVALID_HANDLE_VALUE;
  if (ok) {
    // Wine does not make an append handle's writes atomic, so appenders also
    // take turns on a lock of one byte far past any data (Windows locks
    // are mandatory only for the bytes they cover).
    OVERLAPPED where = {};
    where.OffsetHigh = 0x7FFFFFFF;
    bool locked = LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &where) != FALSE;
    DWORD written = 0;
    ok = WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr) && written == size;
    if (locked) UnlockFileEx(file, 0, 1, 0, &where);
    CloseHandle(file);
  }
  errno = savedErrno;
  SetLastError(savedError);
  return ok;
}

}  // namespace avex::platform
