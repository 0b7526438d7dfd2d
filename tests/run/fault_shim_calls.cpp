// Makes one call of each kind the fault shim wraps on a name or descriptor:
// in the folder given (its own path, names relative to it and to the working
// folder) and on a file outside it. Prints each call's errno, 0 when it
// succeeded, one "label errno" a line.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace {

void Report(const char* label, int result) {
  std::printf("%s %d\n", label, result < 0 ? errno : 0);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s FOLDER OUTSIDE-FILE\n", argv[0]);
    return 2;
  }
  const char* folder = argv[1];
  const char* outside = argv[2];
  const int dir = openat(AT_FDCWD, folder, O_PATH | O_DIRECTORY | O_CLOEXEC);
  Report("openat-folder", dir);
  const int fd = openat(dir, ".new", O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  Report("openat-new", fd);
  const int other = openat(AT_FDCWD, outside, O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
  Report("openat-outside", other);
  Report("fchown", fchown(fd, getuid(), getgid()));
  Report("fchmod", fchmod(fd, 0600));
  Report("fsetxattr", fsetxattr(fd, "user.morvex", "1", 1, 0));
  Report("flock", flock(fd, LOCK_EX));
  Report("ftruncate", ftruncate(fd, 0));
  struct stat info {};
  Report("fstatat-outside", fstatat(AT_FDCWD, outside, &info, 0));
  Report("fstatat", fstatat(dir, ".new", &info, AT_SYMLINK_NOFOLLOW));
  Report("linkat", linkat(dir, ".new", dir, ".link", 0));
  Report("renameat", renameat(dir, ".link", dir, ".moved"));
  Report("renameat2", renameat2(dir, ".moved", dir, ".final", RENAME_NOREPLACE));
  Report("chdir", chdir(folder));
  Report("unlinkat", unlinkat(AT_FDCWD, ".final", 0));
  Report("close", close(fd));
  close(dir);
  close(other);
  return 0;
}
