// A preload library that makes one file call of a process fail, for the
// fault tests of morvex-convert. Chosen by the environment:
//   MORVEX_FAULT_CALL    open, read, write, fsync, rename, close or unlink
//   MORVEX_FAULT_AT      which call of that kind fails, from 1 (0: none)
//   MORVEX_FAULT_ALSO    a second kind, whose first call fails too
//   MORVEX_FAULT_UNDER   only files under this folder count
//   MORVEX_FAULT_COUNTS  a file to write the calls counted, one kind a line,
//                        when the process exits
// Reads, writes, syncs and closes count on descriptors opened under the
// folder only, so standard error still carries the messages.
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

enum Kind { kOpen, kRead, kWrite, kFsync, kRename, kClose, kUnlink, kKinds };
constexpr const char* kNames[kKinds] = {"open",   "read",  "write", "fsync",
                                        "rename", "close", "unlink"};
// What a failing call of each kind reports.
constexpr int kErrors[kKinds] = {EACCES, EIO, ENOSPC, EIO, EIO, EIO, EACCES};
constexpr int kMostDescriptors = 4096;

struct Settings {
  int kind = -1;
  long at = 0;
  int alsoKind = -1;
  const char* under = nullptr;
  size_t underLength = 0;
  const char* countsPath = nullptr;
};

Settings gSettings;
std::atomic<long> gCounts[kKinds];
std::atomic<bool> gTracked[kMostDescriptors];

__attribute__((constructor)) void ReadSettings() {
  const char* call = std::getenv("MORVEX_FAULT_CALL");
  const char* also = std::getenv("MORVEX_FAULT_ALSO");
  for (int kind = 0; kind < kKinds; ++kind) {
    if (call != nullptr && std::strcmp(call, kNames[kind]) == 0) gSettings.kind = kind;
    if (also != nullptr && std::strcmp(also, kNames[kind]) == 0) gSettings.alsoKind = kind;
  }
  if (const char* at = std::getenv("MORVEX_FAULT_AT")) gSettings.at = std::atol(at);
  gSettings.under = std::getenv("MORVEX_FAULT_UNDER");
  if (gSettings.under != nullptr) gSettings.underLength = std::strlen(gSettings.under);
  gSettings.countsPath = std::getenv("MORVEX_FAULT_COUNTS");
}

__attribute__((destructor)) void WriteCounts() {
  if (gSettings.countsPath == nullptr) return;
  std::FILE* file = std::fopen(gSettings.countsPath, "w");
  if (file == nullptr) return;
  for (int kind = 0; kind < kKinds; ++kind)
    std::fprintf(file, "%s %ld\n", kNames[kind], gCounts[kind].load());
  std::fclose(file);
}

bool IsUnder(const char* path) {
  return gSettings.under != nullptr && path != nullptr &&
         std::strncmp(path, gSettings.under, gSettings.underLength) == 0;
}

bool IsTracked(int fd) {
  return fd >= 0 && fd < kMostDescriptors && gTracked[fd].load();
}

// Counts a call; true when this one is to fail (errno is then set).
bool Fails(Kind kind) {
  const long number = ++gCounts[kind];
  const bool chosen = kind == gSettings.kind && number == gSettings.at;
  if (!chosen && (kind != gSettings.alsoKind || number != 1)) return false;
  errno = kErrors[kind];
  return true;
}

template <typename Function>
Function Next(const char* name) {
  return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

int Opened(const char* path, int fd) {
  if (fd >= 0 && fd < kMostDescriptors && IsUnder(path)) gTracked[fd] = true;
  return fd;
}

mode_t ModeArgument(int flags, va_list arguments) {
  return (flags & (O_CREAT | O_TMPFILE)) != 0 ? static_cast<mode_t>(va_arg(arguments, int)) : 0;
}

}  // namespace

extern "C" {

#define MORVEX_OPEN_CALL(name, ...)                  \
  using Function = int (*)(__VA_ARGS__);             \
  static const Function next = Next<Function>(name); \
  if (IsUnder(path) && Fails(kOpen)) return -1

int open(const char* path, int flags, ...) {
  va_list arguments;
  va_start(arguments, flags);
  const mode_t mode = ModeArgument(flags, arguments);
  va_end(arguments);
  MORVEX_OPEN_CALL("open", const char*, int, ...);
  return Opened(path, next(path, flags, mode));
}

int open64(const char* path, int flags, ...) {
  va_list arguments;
  va_start(arguments, flags);
  const mode_t mode = ModeArgument(flags, arguments);
  va_end(arguments);
  MORVEX_OPEN_CALL("open64", const char*, int, ...);
  return Opened(path, next(path, flags, mode));
}

int openat(int dirfd, const char* path, int flags, ...) {
  va_list arguments;
  va_start(arguments, flags);
  const mode_t mode = ModeArgument(flags, arguments);
  va_end(arguments);
  MORVEX_OPEN_CALL("openat", int, const char*, int, ...);
  return Opened(path, next(dirfd, path, flags, mode));
}

int openat64(int dirfd, const char* path, int flags, ...) {
  va_list arguments;
  va_start(arguments, flags);
  const mode_t mode = ModeArgument(flags, arguments);
  va_end(arguments);
  MORVEX_OPEN_CALL("openat64", int, const char*, int, ...);
  return Opened(path, next(dirfd, path, flags, mode));
}

ssize_t read(int fd, void* buffer, size_t size) {
  static const auto next = Next<ssize_t (*)(int, void*, size_t)>("read");
  if (IsTracked(fd) && Fails(kRead)) return -1;
  return next(fd, buffer, size);
}

ssize_t write(int fd, const void* data, size_t size) {
  static const auto next = Next<ssize_t (*)(int, const void*, size_t)>("write");
  if (IsTracked(fd) && Fails(kWrite)) return -1;
  return next(fd, data, size);
}

int fsync(int fd) {
  static const auto next = Next<int (*)(int)>("fsync");
  if (IsTracked(fd) && Fails(kFsync)) return -1;
  return next(fd);
}

int close(int fd) {
  static const auto next = Next<int (*)(int)>("close");
  if (!IsTracked(fd)) return next(fd);
  gTracked[fd] = false;
  // A failed close has still let go of the descriptor, as on Linux.
  const bool fails = Fails(kClose);
  const int result = next(fd);
  if (fails) errno = kErrors[kClose];
  return fails ? -1 : result;
}

int rename(const char* from, const char* to) {
  static const auto next = Next<int (*)(const char*, const char*)>("rename");
  if (IsUnder(from) && Fails(kRename)) return -1;
  return next(from, to);
}

int unlink(const char* path) {
  static const auto next = Next<int (*)(const char*)>("unlink");
  if (IsUnder(path) && Fails(kUnlink)) return -1;
  return next(path);
}

}  // extern "C"
