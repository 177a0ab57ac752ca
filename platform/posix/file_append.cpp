#include "platform/file_append.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace avex::platform {

bool AppendToFile(const char* path, const void* data, size_t size) {
  int savedErrno = errno;
  int fd = open(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  bool ok = fd >= 0;
  if (ok) {
    ssize_t written;
    do {
      written = write(fd, data, size);
    } while (written < 0 && errno == EINTR);
    ok = written == static_cast<ssize_t>(size);
    close(fd);
  }
  errno = savedErrno;
  return ok;
}

}  // namespace avex::platform
