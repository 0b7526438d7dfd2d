// The file calls on Linux and other POSIX systems.
#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "file_io.h"

namespace fs = std::filesystem;

namespace fileio {

namespace {
thread_local bool lastWasCollision = false;
thread_local Failure lastFailure = Failure::kNone;

constexpr fs::perms kWriteBits =
    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
constexpr int kMostLinksFollowed = 40;

fs::path PathFromUtf8(const std::string& utf8) {
  return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

// ENOENT says nothing of which part of the path is missing: the folder the
// file would be in tells.
bool FolderOfExists(const std::string& utf8Path) {
  const size_t nameStart = FileNameStart(utf8Path);
  if (nameStart == 0) return true;
  struct stat info {};
  return ::stat(utf8Path.substr(0, nameStart).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

Failure FailureOf(int error, const std::string* utf8Path) {
  switch (error) {
    case ENOENT:
      return utf8Path == nullptr || FolderOfExists(*utf8Path) ? Failure::kNotFound
                                                              : Failure::kFolderMissing;
    case ENOTDIR:
      return Failure::kFolderMissing;
    case EISDIR:
      return Failure::kIsFolder;
    case EACCES:
    case EPERM:
      return Failure::kPermissionDenied;
    case EROFS:
      return Failure::kReadOnly;
    case ENOSPC:
    case EDQUOT:
      return Failure::kDiskFull;
    default:
      return Failure::kOther;
  }
}

// Records how the call went: failed tells, errno says why. Returns !failed.
bool Record(bool failed, const std::string* utf8Path = nullptr) {
  lastFailure = failed ? FailureOf(errno, utf8Path) : Failure::kNone;
  return !failed;
}
}  // namespace

Failure LastFailure() {
  return lastFailure;
}

int OpenForReading(const std::string& utf8Path) {
  int fd = kNoFile;
  do {
    fd = ::open(utf8Path.c_str(), O_RDONLY | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  if (!Record(fd < 0, &utf8Path)) return kNoFile;
  struct stat info {};
  const bool statted = Record(::fstat(fd, &info) != 0);
  if (!statted || S_ISDIR(info.st_mode)) {
    if (statted) lastFailure = Failure::kIsFolder;
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
  return Record(fd < 0, &utf8Path) ? fd : kNoFile;
}

int CreateNew(const std::string& utf8Path) {
  int fd = kNoFile;
  do {
    fd = ::open(utf8Path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  } while (fd < 0 && errno == EINTR);
  lastWasCollision = fd < 0 && errno == EEXIST;
  return Record(fd < 0, &utf8Path) ? fd : kNoFile;
}

bool AlreadyExists() {
  return lastWasCollision;
}

int64_t ReadSome(int fd, uint8_t* buffer, size_t size) {
  ssize_t got = 0;
  do {
    got = ::read(fd, buffer, size);
  } while (got < 0 && errno == EINTR);
  Record(got < 0);
  return got;
}

size_t WriteAll(int fd, const uint8_t* data, size_t size) {
  size_t done = 0;
  while (done < size) {
    const ssize_t wrote = ::write(fd, data + done, size - done);
    if (wrote < 0 && errno == EINTR) continue;
    // A write of nothing without an error: the device has no room.
    if (wrote == 0) errno = ENOSPC;
    if (!Record(wrote <= 0)) break;
    done += static_cast<size_t>(wrote);
  }
  if (size == 0) lastFailure = Failure::kNone;
  return done;
}

bool SyncFile(int fd) {
  int result = 0;
  do {
    result = ::fsync(fd);
  } while (result != 0 && errno == EINTR);
  return Record(result != 0);
}

bool CloseFile(int fd) {
  // After an interrupted close the descriptor is gone on Linux: not retried.
  return Record(::close(fd) != 0 && errno != EINTR);
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

bool MoveIntoPlace(const std::string& utf8From, const std::string& utf8To) {
  return Record(std::rename(utf8From.c_str(), utf8To.c_str()) != 0, &utf8To);
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

int64_t SizeOf(int fd) {
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) return -1;
  return static_cast<int64_t>(info.st_size);
}

bool IsSameFile(const std::string& utf8PathA, const std::string& utf8PathB) {
  std::error_code error;
  return fs::equivalent(PathFromUtf8(utf8PathA), PathFromUtf8(utf8PathB), error) && !error;
}

bool NamesFileOf(const std::string& utf8Path, int fd) {
  struct stat named {};
  struct stat open {};
  return ::stat(utf8Path.c_str(), &named) == 0 && ::fstat(fd, &open) == 0 &&
         named.st_dev == open.st_dev && named.st_ino == open.st_ino;
}

bool IsExistingReadOnlyFile(const std::string& utf8Path) {
  std::error_code error;
  const fs::file_status status = fs::status(PathFromUtf8(utf8Path), error);
  if (error || !fs::exists(status)) return false;
  return (status.permissions() & kWriteBits) == fs::perms::none;
}

LinkTarget FollowLinks(const std::string& utf8Path) {
  fs::path path = PathFromUtf8(utf8Path);
  LinkTarget target;
  std::error_code error;
  for (int i = 0; i < kMostLinksFollowed && fs::is_symlink(path, error); ++i) {
    target.descriptor = target.descriptor || path.string().rfind("/proc/", 0) == 0;
    const fs::path next = fs::read_symlink(path, error);
    if (error) break;
    path = next.is_absolute() ? next : path.parent_path() / next;
  }
  const std::u8string text = path.u8string();
  target.path.assign(text.begin(), text.end());
  return target;
}

size_t FileNameStart(const std::string& utf8Path) {
  const size_t slash = utf8Path.rfind('/');
  return slash == std::string::npos ? 0 : slash + 1;
}

namespace {

// The new file's path for the signal handler, which may only make
// async-signal-safe calls.
char gNewFilePath[PATH_MAX];
volatile std::sig_atomic_t gNewFileArmed = 0;

constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};
struct sigaction gSavedActions[3];
std::atomic_flag gHandlerTaken = ATOMIC_FLAG_INIT;

extern "C" void RemoveNewFileAndStop(int signal) {
  if (gNewFileArmed != 0) ::unlink(gNewFilePath);
  // SA_RESETHAND put back the default action: the signal ends the process
  // once the handler returns.
  ::raise(signal);
}

// Blocks the stop signals in this thread while a new file is made and
// recorded, so that none comes between the two.
class StopSignalsHeld {
 public:
  StopSignalsHeld() {
    sigset_t set;
    sigemptyset(&set);
    for (int signal : kStopSignals) sigaddset(&set, signal);
    pthread_sigmask(SIG_BLOCK, &set, &saved_);
  }
  ~StopSignalsHeld() { pthread_sigmask(SIG_SETMASK, &saved_, nullptr); }
  StopSignalsHeld(const StopSignalsHeld&) = delete;
  StopSignalsHeld& operator=(const StopSignalsHeld&) = delete;

 private:
  sigset_t saved_;
};

}  // namespace

bool TakeStopRemoval() {
  if (gHandlerTaken.test_and_set()) return false;
  struct sigaction action {};
  action.sa_handler = RemoveNewFileAndStop;
  action.sa_flags = SA_RESETHAND;
  sigemptyset(&action.sa_mask);
  for (int i = 0; i < 3; ++i) {
    sigaction(kStopSignals[i], nullptr, &gSavedActions[i]);
    if (gSavedActions[i].sa_handler != SIG_IGN) sigaction(kStopSignals[i], &action, nullptr);
  }
  return true;
}

int CreateNewRemovedOnStop(const std::string& utf8Path, bool armed) {
  StopSignalsHeld held;
  const int fd = CreateNew(utf8Path);
  if (fd != kNoFile && armed && utf8Path.size() < sizeof gNewFilePath) {
    std::memcpy(gNewFilePath, utf8Path.c_str(), utf8Path.size() + 1);
    gNewFileArmed = 1;
  }
  return fd;
}

void ReleaseStopRemoval() {
  gNewFileArmed = 0;
  for (int i = 0; i < 3; ++i) sigaction(kStopSignals[i], &gSavedActions[i], nullptr);
  gHandlerTaken.clear();
}

}  // namespace fileio
