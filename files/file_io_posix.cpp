// The file calls on Linux and other POSIX systems.
#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

#include "file_io.h"

namespace fileio {

struct FolderAccess {
  static int Fd(const Folder& folder) { return static_cast<int>(folder.handle_); }
  static void Set(Folder& folder, int fd, std::string path) {
    folder = Folder();
    folder.handle_ = fd;
    folder.path_ = std::move(path);
  }
};

namespace {
thread_local bool lastWasCollision = false;
thread_local Failure lastFailure = Failure::kNone;

constexpr int kMostLinksFollowed = 40;
constexpr mode_t kPrivateMode = 0600;
constexpr mode_t kNewFileMode = 0666;

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
    case EFBIG:
      return Failure::kTooLarge;
    case ELOOP:
    case ENAMETOOLONG:
      return Failure::kTooManyLinks;
    default:
      return Failure::kOther;
  }
}

// Records how the call went: failed tells, errno says why. Returns !failed.
bool Record(bool failed, const std::string* utf8Path = nullptr) {
  lastFailure = failed ? FailureOf(errno, utf8Path) : Failure::kNone;
  return !failed;
}

bool Fail(Failure failure) {
  lastFailure = failure;
  return false;
}

int FdOf(const Folder& folder) {
  return FolderAccess::Fd(folder);
}

template <typename Call>
auto Retried(Call call) {
  for (;;) {
    const auto result = call();
    if (result >= 0 || errno != EINTR) return result;
  }
}

// The path of an open descriptor through /proc, which the calls that take
// only paths (the extended attributes of an O_PATH folder) can use.
std::string DescriptorPath(int fd) {
  return "/proc/self/fd/" + std::to_string(fd);
}

}  // namespace

Failure LastFailure() {
  return lastFailure;
}

int OpenForReading(const std::string& utf8Path) {
  const int fd = Retried([&] { return ::open(utf8Path.c_str(), O_RDONLY | O_CLOEXEC); });
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

int OpenFileForReading(const std::string& utf8Path) {
  const int fd =
      Retried([&] { return ::open(utf8Path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC); });
  if (!Record(fd < 0, &utf8Path)) return kNoFile;
  struct stat info {};
  const bool statted = Record(::fstat(fd, &info) != 0);
  const int flags = ::fcntl(fd, F_GETFL);
  if (!statted || !S_ISREG(info.st_mode) || flags < 0 ||
      ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    if (statted) lastFailure = S_ISDIR(info.st_mode) ? Failure::kIsFolder : Failure::kOther;
    ::close(fd);
    return kNoFile;
  }
  return fd;
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

bool IsRegularFile(int fd) {
  struct stat info {};
  return ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
}

int64_t SizeOf(int fd) {
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) return -1;
  return static_cast<int64_t>(info.st_size);
}

bool NamesFileOf(const std::string& utf8Path, int fd) {
  struct stat named {};
  struct stat open {};
  return ::stat(utf8Path.c_str(), &named) == 0 && ::fstat(fd, &open) == 0 &&
         named.st_dev == open.st_dev && named.st_ino == open.st_ino;
}

PathKind KindOfPath(const std::string& utf8Path) {
  struct stat info {};
  if (::stat(utf8Path.c_str(), &info) != 0) return PathKind::kNone;
  if (S_ISDIR(info.st_mode)) return PathKind::kFolder;
  return S_ISREG(info.st_mode) ? PathKind::kFile : PathKind::kOther;
}

bool MakeFolder(const std::string& utf8Path) {
  if (Record(::mkdir(utf8Path.c_str(), 0777) != 0, &utf8Path)) return true;
  const bool exists = errno == EEXIST && KindOfPath(utf8Path) == PathKind::kFolder;
  if (exists) Record(false);
  return exists;
}

size_t FileNameStart(const std::string& utf8Path) {
  const size_t slash = utf8Path.rfind('/');
  return slash == std::string::npos ? 0 : slash + 1;
}

namespace {

FileId IdFrom(const struct stat& info) {
  FileId id;
  id.device = static_cast<uint64_t>(info.st_dev);
  id.low = static_cast<uint64_t>(info.st_ino);
  id.known = true;
  return id;
}

NameFacts::Kind KindOf(mode_t mode) {
  if (S_ISREG(mode)) return NameFacts::Kind::kRegular;
  if (S_ISDIR(mode)) return NameFacts::Kind::kFolder;
  if (S_ISLNK(mode)) return NameFacts::Kind::kLink;
  return NameFacts::Kind::kOther;
}

NameFacts FactsFrom(const struct stat& info) {
  NameFacts facts;
  facts.kind = KindOf(info.st_mode);
  facts.linkedMore = facts.kind == NameFacts::Kind::kRegular && info.st_nlink > 1;
  facts.writeBits = (info.st_mode & 0222) != 0;
  facts.id = IdFrom(info);
  return facts;
}

// The descriptor a path names when it names one of this process's:
// /dev/stdout, /dev/stderr, /dev/fd/N, /proc/self/fd/N. kNoFile otherwise.
int NamedDescriptor(std::string_view path) {
  if (path == "/dev/stdin") return 0;
  if (path == "/dev/stdout") return 1;
  if (path == "/dev/stderr") return 2;
  for (const std::string_view folder : {"/dev/fd/", "/proc/self/fd/", "/proc/thread-self/fd/"}) {
    if (!path.starts_with(folder)) continue;
    const std::string_view number = path.substr(folder.size());
    if (number.empty() || number.size() > 9 ||
        number.find_first_not_of("0123456789") != std::string_view::npos) {
      return kNoFile;
    }
    const int fd = std::atoi(std::string(number).c_str());
    return ::fcntl(fd, F_GETFD) >= 0 ? fd : kNoFile;
  }
  return kNoFile;
}

std::string FolderPart(const std::string& path) {
  const size_t nameStart = FileNameStart(path);
  if (nameStart == 0) return ".";
  return nameStart == 1 ? "/" : path.substr(0, nameStart - 1);
}

// The canonical path of an existing file, every link followed; empty on
// failure (errno set).
std::string RealPath(const std::string& path) {
  char* real = ::realpath(path.c_str(), nullptr);
  if (real == nullptr) return {};
  std::string result = real;
  std::free(real);
  return result;
}

// The absolute, link-free path of the file an output path finally names,
// which need not exist yet: through links to a file that does not exist.
bool ResolveOutput(const std::string& utf8Path, std::string& resolved) {
  std::string path = utf8Path;
  for (int links = 0; links <= kMostLinksFollowed; ++links) {
    resolved = RealPath(path);
    if (!resolved.empty()) return true;
    if (errno != ENOENT) return Record(true, &path);
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
      // The last name does not exist: its folder must.
      const size_t nameStart = FileNameStart(path);
      const std::string folder = RealPath(FolderPart(path));
      if (folder.empty() || nameStart == path.size()) return Record(true, &path);
      resolved = (folder == "/" ? "" : folder) + "/" + path.substr(nameStart);
      return true;
    }
    // A link to a file that does not exist yet: followed by hand.
    std::vector<char> target(static_cast<size_t>(info.st_size) + PATH_MAX + 1);
    const ssize_t length = ::readlink(path.c_str(), target.data(), target.size() - 1);
    if (length < 0) return Record(true, &path);
    const std::string next(target.data(), static_cast<size_t>(length));
    path = next.starts_with('/') ? next : FolderPart(path) + "/" + next;
  }
  errno = ELOOP;
  return Record(true, &utf8Path);
}

// Opens a canonical folder path one component at a time, following no link:
// a component that has become a link since the path was resolved is refused.
int OpenFolderWithoutLinks(const std::string& folder) {
  int fd = Retried([] { return ::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC); });
  size_t start = 1;
  while (fd >= 0 && start < folder.size()) {
    size_t end = folder.find('/', start);
    if (end == std::string::npos) end = folder.size();
    const std::string component = folder.substr(start, end - start);
    start = end + 1;
    if (component.empty()) continue;
    const int next = Retried([&] {
      return ::openat(fd, component.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    });
    const int error = errno;
    ::close(fd);
    errno = error;
    fd = next;
  }
  return fd;
}

}  // namespace

FileId IdOf(int fd) {
  struct stat info {};
  return ::fstat(fd, &info) == 0 ? IdFrom(info) : FileId{};
}

Folder::~Folder() {
  if (IsOpen()) ::close(static_cast<int>(handle_));
}

bool PlaceOfOutput(const std::string& utf8Path, OutputPlace& place) {
  place.descriptor = NamedDescriptor(utf8Path);
  if (place.descriptor != kNoFile) return true;
  std::string resolved;
  if (!ResolveOutput(utf8Path, resolved)) return false;
  const std::string folderPath = FolderPart(resolved);
  const int folder = OpenFolderWithoutLinks(folderPath);
  if (!Record(folder < 0, &utf8Path)) return false;
  FolderAccess::Set(place.folder, folder, folderPath);
  place.name = resolved.substr(FileNameStart(resolved));
  // The root folder itself.
  if (place.name.empty()) place.name = ".";
  return true;
}

NameFacts FactsAt(const Folder& folder, const std::string& name) {
  struct stat info {};
  if (!Record(::fstatat(FdOf(folder), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0)) {
    NameFacts facts;
    if (errno != ENOENT) facts.kind = NameFacts::Kind::kUnknown;
    return facts;
  }
  NameFacts facts = FactsFrom(info);
  facts.writable = ::faccessat(FdOf(folder), name.c_str(), W_OK, 0) == 0;
  return facts;
}

NameFacts FactsOfDescriptor(int fd) {
  struct stat info {};
  if (!Record(::fstat(fd, &info) != 0)) {
    NameFacts facts;
    facts.kind = NameFacts::Kind::kUnknown;
    return facts;
  }
  NameFacts facts = FactsFrom(info);
  const int flags = ::fcntl(fd, F_GETFL);
  facts.writable = flags >= 0 && (flags & O_ACCMODE) != O_RDONLY;
  facts.writeBits = facts.writable;
  return facts;
}

std::string PathInFolder(const Folder& folder, const std::string& name) {
  return folder.Path() == "/" ? "/" + name : folder.Path() + "/" + name;
}

bool AlreadyExists() {
  return lastWasCollision;
}

int CreateScratch() {
  const char* temporary = std::getenv("TMPDIR");
  std::string folder = temporary != nullptr && *temporary != '\0' ? temporary : "/tmp";
  int fd =
      Retried([&] { return ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, kPrivateMode); });
  if (fd >= 0) return fd;
  // A file system without nameless files: a named one, its name removed at once.
  std::string path = folder + "/morvex-XXXXXX";
  fd = ::mkostemp(path.data(), O_CLOEXEC);
  if (!Record(fd < 0)) return kNoFile;
  ::unlink(path.c_str());
  return fd;
}

bool CopyAccess(const Folder& folder, const std::string& name, int fd) {
  struct stat info {};
  if (!Record(::fstatat(FdOf(folder), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0)) {
    return false;
  }
  // Owner and group only where permitted; the bits after, since a change of
  // owner may clear the set-id ones.
  if (::fchown(fd, info.st_uid, info.st_gid) != 0) {
    [[maybe_unused]] const int ignored = ::fchown(fd, static_cast<uid_t>(-1), info.st_gid);
  }
  if (!Record(::fchmod(fd, info.st_mode & 07777) != 0)) return false;
  // The access control list is an extended attribute: copied with the rest,
  // as far as the user may set them.
  const std::string path = DescriptorPath(FdOf(folder)) + "/" + name;
  const ssize_t size = ::llistxattr(path.c_str(), nullptr, 0);
  if (size <= 0) return true;
  std::vector<char> names(static_cast<size_t>(size));
  const ssize_t listed = ::llistxattr(path.c_str(), names.data(), names.size());
  for (ssize_t at = 0; at < listed;) {
    const char* attribute = names.data() + at;
    at += static_cast<ssize_t>(std::strlen(attribute)) + 1;
    const ssize_t valueSize = ::lgetxattr(path.c_str(), attribute, nullptr, 0);
    if (valueSize < 0) continue;
    std::vector<char> value(static_cast<size_t>(valueSize));
    const ssize_t got = ::lgetxattr(path.c_str(), attribute, value.data(), value.size());
    if (got >= 0) ::fsetxattr(fd, attribute, value.data(), static_cast<size_t>(got), 0);
  }
  return true;
}

namespace {

// The umask, read without changing it where the system tells it.
mode_t CurrentUmask() {
  if (std::FILE* status = std::fopen("/proc/self/status", "re")) {
    char line[256];
    unsigned mask = 0;
    bool found = false;
    while (!found && std::fgets(line, sizeof line, status) != nullptr) {
      found = std::sscanf(line, "Umask: %o", &mask) == 1;
    }
    std::fclose(status);
    if (found) return static_cast<mode_t>(mask);
  }
  const mode_t mask = ::umask(022);
  ::umask(mask);
  return mask;
}

// The permission bits of a file made with mode 0666 in a folder whose
// default access control list is given (the system's xattr form: a version
// word, then entries of a tag, the permissions and an id); 0 without one.
constexpr uint16_t kAclUserObject = 0x01;
constexpr uint16_t kAclGroupObject = 0x04;
constexpr uint16_t kAclMask = 0x10;
constexpr uint16_t kAclOther = 0x20;

mode_t ModeAfterDefaultAcl(const std::vector<uint8_t>& acl) {
  constexpr size_t kHeader = 4;
  constexpr size_t kEntry = 8;
  mode_t owner = 0, group = 0, mask = 0, other = 0;
  bool hasMask = false;
  for (size_t at = kHeader; at + kEntry <= acl.size(); at += kEntry) {
    const uint16_t tag = static_cast<uint16_t>(acl[at] | acl[at + 1] << 8);
    const mode_t perm = static_cast<mode_t>(acl[at + 2] & 7);
    if (tag == kAclUserObject) owner = perm;
    if (tag == kAclGroupObject) group = perm;
    if (tag == kAclOther) other = perm;
    if (tag == kAclMask) {
      mask = perm;
      hasMask = true;
    }
  }
  const mode_t groupBits = hasMask ? mask : group;
  return kNewFileMode & (owner << 6 | groupBits << 3 | other);
}

}  // namespace

bool GiveNewFileAccess(const Folder& folder, int fd) {
  const std::string path = DescriptorPath(FdOf(folder));
  std::vector<uint8_t> acl(4 + 8 * 64);
  const ssize_t size = ::getxattr(path.c_str(), "system.posix_acl_default", acl.data(), acl.size());
  if (size > 4) {
    acl.resize(static_cast<size_t>(size));
    return Record(::fchmod(fd, ModeAfterDefaultAcl(acl)) != 0);
  }
  return Record(::fchmod(fd, kNewFileMode & ~CurrentUmask()) != 0);
}

int OpenExisting(const Folder& folder, const std::string& name, bool forReading) {
  const int access = forReading ? O_RDWR : O_WRONLY;
  const int fd = Retried([&] {
    return ::openat(FdOf(folder), name.c_str(), access | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC);
  });
  return Record(fd < 0) ? fd : kNoFile;
}

bool Rewind(int fd) {
  return Record(::lseek(fd, 0, SEEK_SET) != 0);
}

bool Reserve(int fd, int64_t length) {
  if (length <= 0) return true;
  const int result = Retried([&] { return ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, length); });
  if (result == 0 || (errno != ENOSPC && errno != EDQUOT && errno != EFBIG)) {
    lastFailure = Failure::kNone;
    return true;
  }
  return Record(true);
}

bool CutTo(int fd, int64_t length) {
  return Record(Retried([&] { return ::ftruncate(fd, length); }) != 0);
}

std::vector<std::string> NamesStartingWith(const Folder& folder, const std::string& prefix) {
  std::vector<std::string> names;
  const int fd =
      Retried([&] { return ::openat(FdOf(folder), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC); });
  if (fd < 0) return names;
  DIR* listing = ::fdopendir(fd);
  if (listing == nullptr) {
    ::close(fd);
    return names;
  }
  while (const dirent* entry = ::readdir(listing)) {
    if (std::string_view(entry->d_name).starts_with(prefix)) names.emplace_back(entry->d_name);
  }
  ::closedir(listing);
  return names;
}

void HoldAsInUse(int fd) {
  Retried([&] { return ::flock(fd, LOCK_EX | LOCK_NB); });
}

// A run's exclusive lock keeps out a shared one.
bool HeldByARun(const Folder& folder, const std::string& name) {
  const int fd = Retried([&] {
    return ::openat(FdOf(folder), name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  });
  if (fd < 0) return true;
  const bool held = Retried([&] { return ::flock(fd, LOCK_SH | LOCK_NB); }) != 0;
  ::close(fd);
  return held;
}

bool LockExclusive(int fd) {
  return Record(Retried([&] { return ::flock(fd, LOCK_EX); }) != 0);
}

namespace {

bool IsUnsupported(int error) {
  return error == EINVAL || error == ENOSYS || error == EOPNOTSUPP;
}

// Puts from in the place of a to that does not exist; EEXIST when one has
// come meanwhile.
bool MoveToFreeName(int folder, const char* from, const char* to) {
  if (::renameat2(folder, from, folder, to, RENAME_NOREPLACE) == 0) return Record(false);
  if (!IsUnsupported(errno)) return Record(true);
  return Record(::renameat(folder, from, folder, to) != 0);
}

}  // namespace

namespace {

// True when the name is the input, or a link that leads to it.
bool LeadsTo(const Folder& folder, const std::string& name, const NameFacts& facts,
             const FileId& input) {
  if (facts.id == input) return true;
  struct stat info {};
  return facts.kind == NameFacts::Kind::kLink &&
         ::fstatat(FdOf(folder), name.c_str(), &info, 0) == 0 && IdFrom(info) == input;
}

bool PutInPlace(const Folder& folder, const std::string& from, const std::string& to,
                const FileId& input) {
  const int fd = FdOf(folder);
  constexpr int kTries = 10;
  for (int i = 0; i < kTries; ++i) {
    const NameFacts standing = FactsAt(folder, to);
    if (standing.kind == NameFacts::Kind::kUnknown) return false;
    if (LeadsTo(folder, to, standing, input)) return Fail(Failure::kIsInput);
    if (standing.kind == NameFacts::Kind::kMissing) {
      if (MoveToFreeName(fd, from.c_str(), to.c_str())) return true;
      if (errno == EEXIST) continue;
      return false;
    }
    if (::renameat2(fd, from.c_str(), fd, to.c_str(), RENAME_EXCHANGE) != 0) {
      if (errno == ENOENT) continue;
      if (!IsUnsupported(errno)) return Record(true);
      // No exchange here: the move comes right after the check.
      return Record(::renameat(fd, from.c_str(), fd, to.c_str()) != 0);
    }
    // What stood at to is now at from: checked again, as it was replaced.
    const NameFacts replaced = FactsAt(folder, from);
    const bool isInput = LeadsTo(folder, from, replaced, input);
    if (isInput || replaced.kind == NameFacts::Kind::kFolder ||
        replaced.kind == NameFacts::Kind::kUnknown) {
      const Failure failure = isInput                                     ? Failure::kIsInput
                              : replaced.kind == NameFacts::Kind::kFolder ? Failure::kIsFolder
                                                                          : LastFailure();
      ::renameat2(fd, from.c_str(), fd, to.c_str(), RENAME_EXCHANGE);
      return Fail(failure);
    }
    // The old file goes; where it cannot, the exchange is undone, so that
    // nothing is left under the new file's name.
    if (::unlinkat(fd, from.c_str(), 0) != 0) {
      const int error = errno;
      ::renameat2(fd, from.c_str(), fd, to.c_str(), RENAME_EXCHANGE);
      errno = error;
      return Record(true);
    }
    return Record(false);
  }
  return Fail(Failure::kOther);
}

// Best effort: the rename's record reaches the disk now. The folder is held
// as a path only (O_PATH), which cannot be synced: it is opened for that.
void SyncFolder(int folder) {
  const int fd = Retried([&] { return ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC); });
  if (fd < 0) return;
  Retried([&] { return ::fsync(fd); });
  ::close(fd);
}

}  // namespace

bool Replace(const Folder& folder, const std::string& from, const std::string& to,
             const FileId& input) {
  const bool replaced = PutInPlace(folder, from, to, input);
  if (replaced) SyncFolder(FdOf(folder));
  return replaced;
}

bool RemoveAt(const Folder& folder, const std::string& name) {
  return ::unlinkat(FdOf(folder), name.c_str(), 0) == 0 || errno == ENOENT;
}

void IgnoreFileSizeLimitSignal() {
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  sigaction(SIGXFSZ, &ignore, nullptr);
}

namespace {

// The new file's folder and name for the signal handler, which may only make
// async-signal-safe calls.
int gNewFileFolder = -1;
char gNewFileName[NAME_MAX + 1];
volatile std::sig_atomic_t gNewFileArmed = 0;

constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};
struct sigaction gSavedActions[3];
std::atomic_flag gHandlerTaken = ATOMIC_FLAG_INIT;

extern "C" void RemoveNewFileAndStop(int signal) {
  if (gNewFileArmed != 0) ::unlinkat(gNewFileFolder, gNewFileName, 0);
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

int CreatePrivate(const Folder& folder, const std::string& name, bool armed) {
  StopSignalsHeld held;
  const int fd = Retried([&] {
    return ::openat(FdOf(folder), name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                    kPrivateMode);
  });
  lastWasCollision = fd < 0 && errno == EEXIST;
  // The folder went away meanwhile.
  if (fd < 0 && errno == ENOENT) return Fail(Failure::kFolderMissing) ? fd : kNoFile;
  if (!Record(fd < 0)) return kNoFile;
  if (armed && name.size() < sizeof gNewFileName) {
    std::memcpy(gNewFileName, name.c_str(), name.size() + 1);
    gNewFileFolder = FdOf(folder);
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
