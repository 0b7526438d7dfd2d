#include "file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

// The calls below are the POSIX ones; a Windows port has its own file.
namespace fileio {

namespace {
thread_local bool lastWasCollision = false;
}

int OpenForReading(const std::string& utf8Path) {
  int fd = kNoFile;
  do {
    fd = ::open(utf8Path.c_str(), O_RDONLY | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return kNoFile;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
    ::close(fd);
    return kNoFile;
  }
  return fd;
}

int OpenForWriting(const std::string& utf8Path) {
  int fd = kNoFile;
  do {
    fd = ::open(utf8Path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  } while (fd < 0 && errno == EINTR);
  return fd < 0 ? kNoFile : fd;
}

int CreateNew(const std::string& utf8Path) {
  int fd = kNoFile;
  do {
    fd = ::open(utf8Path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  } while (fd < 0 && errno == EINTR);
  lastWasCollision = fd < 0 && errno == EEXIST;
  return fd < 0 ? kNoFile : fd;
}

bool AlreadyExists() {
  return lastWasCollision;
}

int64_t ReadSome(int fd, uint8_t* buffer, size_t size) {
  ssize_t got = 0;
  do {
    got = ::read(fd, buffer, size);
  } while (got < 0 && errno == EINTR);
  return got;
}

size_t WriteAll(int fd, const uint8_t* data, size_t size) {
  size_t done = 0;
  while (done < size) {
    const ssize_t wrote = ::write(fd, data + done, size - done);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) break;
    done += static_cast<size_t>(wrote);
  }
  return done;
}

bool SyncFile(int fd) {
  int result = 0;
  do {
    result = ::fsync(fd);
  } while (result != 0 && errno == EINTR);
  return result == 0;
}

bool CloseFile(int fd) {
  // After an interrupted close the descriptor is gone on Linux: not retried.
  return ::close(fd) == 0 || errno == EINTR;
}

void CopyModeAndOwner(const std::string& utf8Path, int fd) {
  struct stat info {};
  if (::stat(utf8Path.c_str(), &info) != 0) return;
  // Owner and group only where permitted; the bits after, since a change of
  // owner may clear the set-id ones.
  if (::fchown(fd, info.st_uid, info.st_gid) != 0) {
    [[maybe_unused]] const int ignored = ::fchown(fd, static_cast<uid_t>(-1), info.st_gid);
  }
  ::fchmod(fd, info.st_mode & 07777);
}

bool ReplaceFile(const std::string& utf8From, const std::string& utf8To) {
  return std::rename(utf8From.c_str(), utf8To.c_str()) == 0;
}

bool RemoveFile(const std::string& utf8Path) {
  return ::unlink(utf8Path.c_str()) == 0 || errno == ENOENT;
}

PathFacts FactsOf(const std::string& utf8Path) {
  PathFacts facts;
  struct stat info {};
  if (::stat(utf8Path.c_str(), &info) != 0) return facts;
  facts.exists = true;
  facts.regular = S_ISREG(info.st_mode);
  facts.linkedMore = facts.regular && info.st_nlink > 1;
  facts.writable = ::access(utf8Path.c_str(), W_OK) == 0;
  return facts;
}

bool IsRegularFile(int fd) {
  struct stat info {};
  return ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace fileio
