// A preload library that makes one file call of a process fail, for the
// fault tests of morvex-convert. Chosen by the environment:
//   MORVEX_FAULT_CALL    the kind of call that fails, one of kNames below
//   MORVEX_FAULT_AT      which call of that kind fails, from 1 (0: none)
//   MORVEX_FAULT_ALSO    a second kind, whose first call fails too
//   MORVEX_FAULT_ERRNO   the error a failing call reports (ENOSPC, EIO...),
//                        in place of its kind's own
//   MORVEX_FAULT_UNDER   only files under this folder count: paths that begin
//                        with it, and the folder itself
//   MORVEX_FAULT_COUNTS  a file to write the calls counted, one kind a line,
//                        when the process exits
//   MORVEX_FAULT_MODES   a file to which each create under the folder adds
//                        the mode it asked for, in octal, one a line
// The calls on a descriptor (reads, writes, syncs, closes, changes of mode,
// owner or attributes, locks and truncations) count on descriptors opened
// under the folder only, so standard error still carries the messages. The
// calls on a name relative to a folder descriptor (the *at calls) take the
// folder's path from /proc/self/fd; a relative name without one is taken
// from the working folder.
//
// Past its first call, which looks up the call it wraps, a wrapper allocates
// nothing and makes system calls alone, so that a signal handler's removal
// may go through it as any other call.
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

enum Kind {
  kOpen,
  kRead,
  kWrite,
  kFsync,
  kRename,
  kClose,
  kUnlink,
  kOpenat,
  kRenameat2,
  kLinkat,
  kFchmod,
  kFchown,
  kFsetxattr,
  kFlock,
  kFstatat,
  kFtruncate,
  kNew,
  kKinds
};
// open counts open and open64; openat counts openat and openat64; rename
// counts rename alone, renameat2 counts renameat and renameat2; unlink
// counts unlink and unlinkat; fstatat counts fstatat, fstatat64 and the
// older __fxstatat and __fxstatat64. new counts every operator new and new[]
// of the process, wherever it is called: a failing one throws std::bad_alloc,
// as running out of memory does.
constexpr const char* kNames[kKinds] = {"open",      "read",   "write",     "fsync",     "rename",
                                        "close",     "unlink", "openat",    "renameat2", "linkat",
                                        "fchmod",    "fchown", "fsetxattr", "flock",     "fstatat",
                                        "ftruncate", "new"};
// What a failing call of each kind reports, unless MORVEX_FAULT_ERRNO says.
constexpr int kErrors[kKinds] = {EACCES, EIO,   ENOSPC, EIO, EIO,    EIO, EACCES, EACCES, EIO,
                                 EIO,    EPERM, EPERM,  EIO, ENOLCK, EIO, EIO,    ENOMEM};
constexpr int kMostDescriptors = 4096;

struct NamedError {
  const char* name;
  int value;
};
constexpr NamedError kNamedErrors[] = {
    {"ENOSPC", ENOSPC},
    {"EIO", EIO},
    {"EMFILE", EMFILE},
    {"EACCES", EACCES},
    {"EPERM", EPERM},
    {"EROFS", EROFS},
    {"ENAMETOOLONG", ENAMETOOLONG},
    {"ELOOP", ELOOP},
    {"EXDEV", EXDEV},
    {"EINVAL", EINVAL},
    {"ENOSYS", ENOSYS},
    {"EFBIG", EFBIG},
    {"ENOMEM", ENOMEM},
    {"EDQUOT", EDQUOT},
};

struct Settings {
  int kind = -1;
  long at = 0;
  int alsoKind = -1;
  int error = 0;  // 0: the kind's own
  const char* under = nullptr;
  size_t underLength = 0;
  const char* countsPath = nullptr;
  const char* modesPath = nullptr;
};

Settings gSettings;
std::atomic<long> gCounts[kKinds];
std::atomic<bool> gTracked[kMostDescriptors];

int KindNamed(const char* name) {
  for (int kind = 0; kind < kKinds; ++kind) {
    if (name != nullptr && std::strcmp(name, kNames[kind]) == 0) return kind;
  }
  return -1;
}

// The error named, or -1 for a name not known.
int ErrorNamed(const char* name) {
  for (const NamedError& error : kNamedErrors) {
    if (std::strcmp(name, error.name) == 0) return error.value;
  }
  return -1;
}

__attribute__((constructor)) void ReadSettings() {
  gSettings.kind = KindNamed(std::getenv("MORVEX_FAULT_CALL"));
  gSettings.alsoKind = KindNamed(std::getenv("MORVEX_FAULT_ALSO"));
  if (const char* at = std::getenv("MORVEX_FAULT_AT")) gSettings.at = std::atol(at);
  if (const char* error = std::getenv("MORVEX_FAULT_ERRNO")) {
    gSettings.error = ErrorNamed(error);
    if (gSettings.error < 0) {
      std::fprintf(stderr, "fault shim: MORVEX_FAULT_ERRNO=%s is not an error it knows\n", error);
      std::_Exit(125);
    }
  }
  gSettings.under = std::getenv("MORVEX_FAULT_UNDER");
  if (gSettings.under != nullptr) gSettings.underLength = std::strlen(gSettings.under);
  gSettings.countsPath = std::getenv("MORVEX_FAULT_COUNTS");
  gSettings.modesPath = std::getenv("MORVEX_FAULT_MODES");
}

__attribute__((destructor)) void WriteCounts() {
  if (gSettings.countsPath == nullptr) return;
  std::FILE* file = std::fopen(gSettings.countsPath, "w");
  if (file == nullptr) return;
  for (int kind = 0; kind < kKinds; ++kind)
    std::fprintf(file, "%s %ld\n", kNames[kind], gCounts[kind].load());
  std::fclose(file);
}

// A full path, built on the stack.
struct Path {
  char text[2 * PATH_MAX];
  size_t length = 0;

  bool Append(const char* part, size_t size) {
    if (length + size >= sizeof text) return false;
    std::memcpy(text + length, part, size);
    length += size;
    text[length] = '\0';
    return true;
  }
};

// Writes the digits of a number in a base up to 10; returns their count.
size_t FormatNumber(unsigned number, unsigned base, char* out) {
  char digits[12];
  size_t count = 0;
  do {
    digits[count++] = static_cast<char>('0' + number % base);
    number /= base;
  } while (number > 0);
  for (size_t i = 0; i < count; ++i) out[i] = digits[count - 1 - i];
  return count;
}

// The path of the folder dirfd names (the working folder for AT_FDCWD).
bool FolderPath(int dirfd, Path& path) {
  if (dirfd == AT_FDCWD) {
    const long got = syscall(SYS_getcwd, path.text, sizeof path.text);
    if (got <= 0) return false;
    path.length = std::strlen(path.text);
    return true;
  }
  if (dirfd < 0) return false;
  char link[32] = "/proc/self/fd/";
  const size_t prefix = std::strlen(link);
  link[prefix + FormatNumber(static_cast<unsigned>(dirfd), 10, link + prefix)] = '\0';
  const long got = syscall(SYS_readlink, link, path.text, sizeof path.text - 1);
  if (got <= 0) return false;
  path.length = static_cast<size_t>(got);
  path.text[path.length] = '\0';
  return true;
}

// The path a call names: the name itself when absolute, else the name joined
// to the folder's path; the folder itself for an empty name.
bool FullPath(int dirfd, const char* name, Path& path) {
  if (name == nullptr) return false;
  const size_t nameLength = std::strlen(name);
  if (name[0] == '/') return path.Append(name, nameLength);
  if (!FolderPath(dirfd, path)) return false;
  if (nameLength == 0) return true;
  if (path.text[path.length - 1] != '/' && !path.Append("/", 1)) return false;
  return path.Append(name, nameLength);
}

// True for a path under the folder, or the folder itself (its name without
// the trailing slash).
bool IsUnderFolder(const Path& path) {
  const char* under = gSettings.under;
  const size_t length = gSettings.underLength;
  if (std::strncmp(path.text, under, length) == 0) return true;
  return length > 1 && under[length - 1] == '/' && path.length == length - 1 &&
         std::strncmp(path.text, under, length - 1) == 0;
}

bool IsUnder(int dirfd, const char* name) {
  if (gSettings.under == nullptr) return false;
  Path path;
  return FullPath(dirfd, name, path) && IsUnderFolder(path);
}

bool IsTracked(int fd) {
  return fd >= 0 && fd < kMostDescriptors && gTracked[fd].load();
}

// Counts a call; true when this one is to fail (errno is then set).
bool Fails(Kind kind) {
  const long number = ++gCounts[kind];
  const bool chosen = kind == gSettings.kind && number == gSettings.at;
  if (!chosen && (kind != gSettings.alsoKind || number != 1)) return false;
  errno = gSettings.error != 0 ? gSettings.error : kErrors[kind];
  return true;
}

// Counts a call on a descriptor; true when it is to fail.
bool FailsOn(int fd, Kind kind) {
  return IsTracked(fd) && Fails(kind);
}

template <typename Function>
Function Next(const char* name) {
  return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

bool Creates(int flags) {
  return (flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE;
}

mode_t ModeArgument(int flags, va_list arguments) {
  return Creates(flags) ? static_cast<mode_t>(va_arg(arguments, int)) : 0;
}

// Adds the mode a create asked for to the modes file, by system calls alone.
void RecordMode(mode_t mode) {
  if (gSettings.modesPath == nullptr) return;
  char line[16] = "0";
  size_t length = 1 + FormatNumber(mode, 8, line + 1);
  line[length++] = '\n';
  const long fd = syscall(SYS_openat, AT_FDCWD, gSettings.modesPath,
                          O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0) return;
  syscall(SYS_write, fd, line, length);
  syscall(SYS_close, fd);
}

// An open of either kind: counted, failed or passed on, and its descriptor
// tracked when the path is under the folder.
template <typename Call>
int Open(Kind kind, int dirfd, const char* name, int flags, mode_t mode, Call call) {
  const bool under = IsUnder(dirfd, name);
  if (under && Creates(flags)) RecordMode(mode);
  if (under && Fails(kind)) return -1;
  const int fd = call();
  if (under && fd >= 0 && fd < kMostDescriptors) gTracked[fd] = true;
  return fd;
}

// A call on one name relative to a folder descriptor.
template <typename Call>
auto OnName(Kind kind, int dirfd, const char* name, Call call) -> decltype(call()) {
  if (IsUnder(dirfd, name) && Fails(kind)) return -1;
  return call();
}

// A call on two names: counted when either is under the folder.
template <typename Call>
int OnNames(Kind kind, int fromDirfd, const char* from, int toDirfd, const char* to, Call call) {
  if ((IsUnder(fromDirfd, from) || IsUnder(toDirfd, to)) && Fails(kind)) return -1;
  return call();
}

}  // namespace

extern "C" {

// The older entry points of fstatat, which glibc still exports.
int __fxstatat(int version, int dirfd, const char* path, struct stat* info, int flags);
int __fxstatat64(int version, int dirfd, const char* path, struct stat64* info, int flags);

#define MORVEX_NEXT(name, type) static const auto next = Next<type>(name)

// The mode argument of an open, there only when it creates.
#define MORVEX_MODE_ARGUMENT(mode)                    \
  va_list arguments;                                  \
  va_start(arguments, flags);                         \
  const mode_t mode = ModeArgument(flags, arguments); \
  va_end(arguments)

int open(const char* path, int flags, ...) {
  MORVEX_NEXT("open", int (*)(const char*, int, ...));
  MORVEX_MODE_ARGUMENT(mode);
  return Open(kOpen, AT_FDCWD, path, flags, mode, [&] { return next(path, flags, mode); });
}

int open64(const char* path, int flags, ...) {
  MORVEX_NEXT("open64", int (*)(const char*, int, ...));
  MORVEX_MODE_ARGUMENT(mode);
  return Open(kOpen, AT_FDCWD, path, flags, mode, [&] { return next(path, flags, mode); });
}

int openat(int dirfd, const char* path, int flags, ...) {
  MORVEX_NEXT("openat", int (*)(int, const char*, int, ...));
  MORVEX_MODE_ARGUMENT(mode);
  return Open(kOpenat, dirfd, path, flags, mode, [&] { return next(dirfd, path, flags, mode); });
}

int openat64(int dirfd, const char* path, int flags, ...) {
  MORVEX_NEXT("openat64", int (*)(int, const char*, int, ...));
  MORVEX_MODE_ARGUMENT(mode);
  return Open(kOpenat, dirfd, path, flags, mode, [&] { return next(dirfd, path, flags, mode); });
}

// The checked opens of _FORTIFY_SOURCE, which take no mode.
int __open_2(const char* path, int flags) {
  MORVEX_NEXT("__open_2", int (*)(const char*, int));
  return Open(kOpen, AT_FDCWD, path, flags, 0, [&] { return next(path, flags); });
}

int __open64_2(const char* path, int flags) {
  MORVEX_NEXT("__open64_2", int (*)(const char*, int));
  return Open(kOpen, AT_FDCWD, path, flags, 0, [&] { return next(path, flags); });
}

int __openat_2(int dirfd, const char* path, int flags) {
  MORVEX_NEXT("__openat_2", int (*)(int, const char*, int));
  return Open(kOpenat, dirfd, path, flags, 0, [&] { return next(dirfd, path, flags); });
}

int __openat64_2(int dirfd, const char* path, int flags) {
  MORVEX_NEXT("__openat64_2", int (*)(int, const char*, int));
  return Open(kOpenat, dirfd, path, flags, 0, [&] { return next(dirfd, path, flags); });
}

ssize_t read(int fd, void* buffer, size_t size) {
  MORVEX_NEXT("read", ssize_t(*)(int, void*, size_t));
  return FailsOn(fd, kRead) ? -1 : next(fd, buffer, size);
}

ssize_t write(int fd, const void* data, size_t size) {
  MORVEX_NEXT("write", ssize_t(*)(int, const void*, size_t));
  return FailsOn(fd, kWrite) ? -1 : next(fd, data, size);
}

int fsync(int fd) {
  MORVEX_NEXT("fsync", int (*)(int));
  return FailsOn(fd, kFsync) ? -1 : next(fd);
}

int close(int fd) {
  MORVEX_NEXT("close", int (*)(int));
  if (!IsTracked(fd)) return next(fd);
  gTracked[fd] = false;
  // A failed close has still let go of the descriptor, as on Linux.
  const bool fails = Fails(kClose);
  const int saved = errno;
  const int result = next(fd);
  if (fails) errno = saved;
  return fails ? -1 : result;
}

int fchmod(int fd, mode_t mode) {
  MORVEX_NEXT("fchmod", int (*)(int, mode_t));
  return FailsOn(fd, kFchmod) ? -1 : next(fd, mode);
}

int fchown(int fd, uid_t owner, gid_t group) {
  MORVEX_NEXT("fchown", int (*)(int, uid_t, gid_t));
  return FailsOn(fd, kFchown) ? -1 : next(fd, owner, group);
}

int fsetxattr(int fd, const char* name, const void* value, size_t size, int flags) {
  MORVEX_NEXT("fsetxattr", int (*)(int, const char*, const void*, size_t, int));
  return FailsOn(fd, kFsetxattr) ? -1 : next(fd, name, value, size, flags);
}

int flock(int fd, int operation) {
  MORVEX_NEXT("flock", int (*)(int, int));
  return FailsOn(fd, kFlock) ? -1 : next(fd, operation);
}

int ftruncate(int fd, off_t length) {
  MORVEX_NEXT("ftruncate", int (*)(int, off_t));
  return FailsOn(fd, kFtruncate) ? -1 : next(fd, length);
}

int ftruncate64(int fd, off64_t length) {
  MORVEX_NEXT("ftruncate64", int (*)(int, off64_t));
  return FailsOn(fd, kFtruncate) ? -1 : next(fd, length);
}

int fstatat(int dirfd, const char* path, struct stat* info, int flags) {
  MORVEX_NEXT("fstatat", int (*)(int, const char*, struct stat*, int));
  return OnName(kFstatat, dirfd, path, [&] { return next(dirfd, path, info, flags); });
}

int fstatat64(int dirfd, const char* path, struct stat64* info, int flags) {
  MORVEX_NEXT("fstatat64", int (*)(int, const char*, struct stat64*, int));
  return OnName(kFstatat, dirfd, path, [&] { return next(dirfd, path, info, flags); });
}

int __fxstatat(int version, int dirfd, const char* path, struct stat* info, int flags) {
  MORVEX_NEXT("__fxstatat", int (*)(int, int, const char*, struct stat*, int));
  return OnName(kFstatat, dirfd, path, [&] { return next(version, dirfd, path, info, flags); });
}

int __fxstatat64(int version, int dirfd, const char* path, struct stat64* info, int flags) {
  MORVEX_NEXT("__fxstatat64", int (*)(int, int, const char*, struct stat64*, int));
  return OnName(kFstatat, dirfd, path, [&] { return next(version, dirfd, path, info, flags); });
}

int rename(const char* from, const char* to) {
  MORVEX_NEXT("rename", int (*)(const char*, const char*));
  return OnName(kRename, AT_FDCWD, from, [&] { return next(from, to); });
}

int renameat(int fromDirfd, const char* from, int toDirfd, const char* to) {
  MORVEX_NEXT("renameat", int (*)(int, const char*, int, const char*));
  return OnNames(kRenameat2, fromDirfd, from, toDirfd, to,
                 [&] { return next(fromDirfd, from, toDirfd, to); });
}

int renameat2(int fromDirfd, const char* from, int toDirfd, const char* to, unsigned flags) {
  MORVEX_NEXT("renameat2", int (*)(int, const char*, int, const char*, unsigned));
  return OnNames(kRenameat2, fromDirfd, from, toDirfd, to,
                 [&] { return next(fromDirfd, from, toDirfd, to, flags); });
}

int linkat(int fromDirfd, const char* from, int toDirfd, const char* to, int flags) {
  MORVEX_NEXT("linkat", int (*)(int, const char*, int, const char*, int));
  return OnNames(kLinkat, fromDirfd, from, toDirfd, to,
                 [&] { return next(fromDirfd, from, toDirfd, to, flags); });
}

int unlink(const char* path) {
  MORVEX_NEXT("unlink", int (*)(const char*));
  return OnName(kUnlink, AT_FDCWD, path, [&] { return next(path); });
}

int unlinkat(int dirfd, const char* path, int flags) {
  MORVEX_NEXT("unlinkat", int (*)(int, const char*, int));
  return OnName(kUnlink, dirfd, path, [&] { return next(dirfd, path, flags); });
}

}  // extern "C"

void* operator new(std::size_t size) {
  MORVEX_NEXT("_Znwm", void* (*)(std::size_t));
  if (Fails(kNew)) throw std::bad_alloc();
  return next(size);
}

void* operator new[](std::size_t size) {
  MORVEX_NEXT("_Znam", void* (*)(std::size_t));
  if (Fails(kNew)) throw std::bad_alloc();
  return next(size);
}
