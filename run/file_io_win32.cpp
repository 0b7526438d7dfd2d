// The file calls on Windows: the wide-character calls, with the UTF-8 paths
// turned into UTF-16 here, and a run's file descriptor a C runtime descriptor
// over the system's file handle.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstring>

#include "file_io.h"
#include "wide_text.h"

namespace fileio {

namespace {

thread_local bool lastWasCollision = false;
thread_local Failure lastFailure = Failure::kNone;

// Paths from this length on take the \\?\ form, which reaches past the old
// limit of 260 characters (less 12 for a folder and the name of a new file).
constexpr size_t kLongPathFrom = MAX_PATH - 12;
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr DWORD kMostPerCall = DWORD{1} << 30;

bool StartsWith(const std::wstring& text, const wchar_t* prefix) {
  return text.rfind(prefix, 0) == 0;
}

// The absolute \\?\ (or \\?\UNC\) form of a path: normalised by the system,
// since that form is taken as it is written.
std::wstring LongForm(const std::wstring& path) {
  if (StartsWith(path, L"\\\\?\\") || StartsWith(path, L"\\\\.\\")) return path;
  const DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (size == 0) return path;
  std::wstring full(size, L'\0');
  full.resize(GetFullPathNameW(path.c_str(), size, full.data(), nullptr));
  if (StartsWith(full, L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

// The UTF-16 path of a UTF-8 one; empty, naming no file, when the text is not
// valid UTF-8 or holds a NUL.
std::wstring WidePath(const std::string& utf8) {
  if (utf8.empty() || utf8.size() > INT_MAX || utf8.find('\0') != std::string::npos) return {};
  const int size = static_cast<int>(utf8.size());
  const int wideSize =
      MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, nullptr, 0);
  if (wideSize <= 0) return {};
  std::wstring wide(static_cast<size_t>(wideSize), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, wide.data(), wideSize);
  return wide.size() < kLongPathFrom ? wide : LongForm(wide);
}

bool IsFolder(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// path: the call's path, when it had one; a folder refuses access as a file.
Failure FailureOf(DWORD error, const std::wstring* path) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
      return Failure::kNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
      return Failure::kFolderMissing;
    case ERROR_ACCESS_DENIED:
      return path != nullptr && IsFolder(*path) ? Failure::kIsFolder : Failure::kPermissionDenied;
    case ERROR_WRITE_PROTECT:
      return Failure::kReadOnly;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return Failure::kDiskFull;
    default:
      return Failure::kOther;
  }
}

// Records how the call went: failed tells, GetLastError says why. Returns
// !failed.
bool Record(bool failed, const std::wstring* path = nullptr) {
  lastFailure = failed ? FailureOf(GetLastError(), path) : Failure::kNone;
  return !failed;
}

// A path that is not valid UTF-8 names no file.
std::wstring RecordedWidePath(const std::string& utf8) {
  std::wstring path = WidePath(utf8);
  lastFailure = path.empty() ? Failure::kNotFound : Failure::kNone;
  return path;
}

HANDLE HandleOf(int fd) {
  return reinterpret_cast<HANDLE>(_get_osfhandle(fd));
}

// A descriptor that owns the handle; kNoFile (the handle closed) on failure.
int DescriptorFor(HANDLE handle, int flags) {
  if (handle == INVALID_HANDLE_VALUE) return kNoFile;
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), flags | _O_BINARY);
  if (fd < 0) CloseHandle(handle);
  return fd < 0 ? kNoFile : fd;
}

// A handle that reads a file's facts, not its bytes: folders included, links
// followed.
class FactsHandle {
 public:
  explicit FactsHandle(const std::string& utf8Path) {
    const std::wstring path = WidePath(utf8Path);
    if (path.empty()) return;
    handle_ = CreateFileW(path.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                          FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  }
  ~FactsHandle() {
    if (Opened()) CloseHandle(handle_);
  }
  FactsHandle(const FactsHandle&) = delete;
  FactsHandle& operator=(const FactsHandle&) = delete;

  bool Opened() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return handle_; }

 private:
  HANDLE handle_ = INVALID_HANDLE_VALUE;
};

bool InformationOf(HANDLE handle, BY_HANDLE_FILE_INFORMATION& info) {
  return handle != INVALID_HANDLE_VALUE && GetFileType(handle) == FILE_TYPE_DISK &&
         GetFileInformationByHandle(handle, &info) != 0;
}

bool IsZero(const FILE_ID_128& id) {
  for (const BYTE byte : id.Identifier) {
    if (byte != 0) return false;
  }
  return true;
}

// The full path the system gives an open file, for comparing files whose
// file system has no file ids.
std::wstring FinalPathOf(HANDLE handle) {
  const DWORD size = GetFinalPathNameByHandleW(handle, nullptr, 0, FILE_NAME_NORMALIZED);
  if (size == 0) return {};
  std::wstring path(size, L'\0');
  path.resize(GetFinalPathNameByHandleW(handle, path.data(), size, FILE_NAME_NORMALIZED));
  return path;
}

bool SameFinalPath(HANDLE a, HANDLE b) {
  const std::wstring pathA = FinalPathOf(a);
  const std::wstring pathB = FinalPathOf(b);
  return !pathA.empty() &&
         CompareStringOrdinal(pathA.data(), static_cast<int>(pathA.size()), pathB.data(),
                              static_cast<int>(pathB.size()), TRUE) == CSTR_EQUAL;
}

// One file: the same volume and the same file id on it. The 128-bit ids
// first, which ReFS needs; then the 64-bit file index; a file system that
// gives neither (some network shares give 0) is compared by final path.
bool SameIdentity(HANDLE a, HANDLE b) {
  BY_HANDLE_FILE_INFORMATION infoA{};
  BY_HANDLE_FILE_INFORMATION infoB{};
  if (!InformationOf(a, infoA) || !InformationOf(b, infoB)) return false;
  FILE_ID_INFO idA{};
  FILE_ID_INFO idB{};
  if (GetFileInformationByHandleEx(a, FileIdInfo, &idA, sizeof idA) &&
      GetFileInformationByHandleEx(b, FileIdInfo, &idB, sizeof idB) && !IsZero(idA.FileId)) {
    return idA.VolumeSerialNumber == idB.VolumeSerialNumber &&
           std::memcmp(idA.FileId.Identifier, idB.FileId.Identifier, sizeof idA.FileId) == 0;
  }
  if (infoA.nFileIndexHigh != 0 || infoA.nFileIndexLow != 0) {
    return infoA.dwVolumeSerialNumber == infoB.dwVolumeSerialNumber &&
           infoA.nFileIndexHigh == infoB.nFileIndexHigh &&
           infoA.nFileIndexLow == infoB.nFileIndexLow;
  }
  return SameFinalPath(a, b);
}

}  // namespace

Failure LastFailure() {
  return lastFailure;
}

int OpenForReading(const std::string& utf8Path) {
  const std::wstring path = RecordedWidePath(utf8Path);
  if (path.empty()) return kNoFile;
  // Without backup semantics a folder does not open.
  const HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  Record(handle == INVALID_HANDLE_VALUE, &path);
  return DescriptorFor(handle, _O_RDONLY);
}

int OpenForWriting(const std::string& utf8Path) {
  const std::wstring path = RecordedWidePath(utf8Path);
  if (path.empty()) return kNoFile;
  const HANDLE handle = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (!Record(handle == INVALID_HANDLE_VALUE, &path)) return kNoFile;
  if (GetFileType(handle) == FILE_TYPE_DISK && !Record(!SetEndOfFile(handle))) {
    CloseHandle(handle);
    return kNoFile;
  }
  return DescriptorFor(handle, _O_WRONLY);
}

int CreateNew(const std::string& utf8Path) {
  lastWasCollision = false;
  const std::wstring path = RecordedWidePath(utf8Path);
  if (path.empty()) return kNoFile;
  // Shared for deletion, so that a stop of the process can remove it while
  // it is open.
  const HANDLE handle =
      CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                  CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  const DWORD error = GetLastError();
  lastWasCollision = handle == INVALID_HANDLE_VALUE &&
                     (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS);
  Record(handle == INVALID_HANDLE_VALUE, &path);
  return DescriptorFor(handle, _O_WRONLY);
}

bool AlreadyExists() {
  return lastWasCollision;
}

int64_t ReadSome(int fd, uint8_t* buffer, size_t size) {
  DWORD got = 0;
  const DWORD asked = static_cast<DWORD>(std::min<size_t>(size, kMostPerCall));
  if (Record(!ReadFile(HandleOf(fd), buffer, asked, &got, nullptr))) return got;
  // A pipe whose writer has closed it has ended, as a file does.
  const DWORD error = GetLastError();
  if (error != ERROR_BROKEN_PIPE && error != ERROR_HANDLE_EOF) return -1;
  lastFailure = Failure::kNone;
  return 0;
}

size_t WriteAll(int fd, const uint8_t* data, size_t size) {
  const HANDLE handle = HandleOf(fd);
  size_t done = 0;
  lastFailure = Failure::kNone;
  while (done < size) {
    DWORD wrote = 0;
    const DWORD asked = static_cast<DWORD>(std::min<size_t>(size - done, kMostPerCall));
    if (!Record(!WriteFile(handle, data + done, asked, &wrote, nullptr))) break;
    // A write of nothing without an error: the device has no room.
    if (wrote == 0) {
      lastFailure = Failure::kDiskFull;
      break;
    }
    done += wrote;
  }
  return done;
}

bool SyncFile(int fd) {
  return Record(!FlushFileBuffers(HandleOf(fd)));
}

bool CloseFile(int fd) {
  const bool closed = _close(fd) == 0;
  lastFailure = closed ? Failure::kNone : Failure::kOther;
  return closed;
}

// The replace keeps the replaced file's attributes and security itself.
void CopyModeAndOwner(const std::string&, int) {}

bool MoveIntoPlace(const std::string& utf8From, const std::string& utf8To) {
  const std::wstring from = WidePath(utf8From);
  const std::wstring to = RecordedWidePath(utf8To);
  if (from.empty() || to.empty()) return false;
  if (GetFileAttributesW(to.c_str()) != INVALID_FILE_ATTRIBUTES &&
      ReplaceFileW(to.c_str(), from.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                   nullptr)) {
    lastFailure = Failure::kNone;
    return true;
  }
  // A new output, or a file system where ReplaceFileW fails: a plain move.
  return Record(
      !MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH),
      &to);
}

bool RemoveFile(const std::string& utf8Path) {
  const std::wstring path = WidePath(utf8Path);
  return !path.empty() && (DeleteFileW(path.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND);
}

PathFacts FactsOf(const std::string& utf8Path) {
  PathFacts facts;
  const FactsHandle file(utf8Path);
  if (!file.Opened()) return facts;
  facts.exists = true;
  BY_HANDLE_FILE_INFORMATION info{};
  if (!InformationOf(file.Get(), info)) {
    facts.writable = true;  // a device: the system says when it opens
    return facts;
  }
  facts.regular = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
  facts.linkedMore = facts.regular && info.nNumberOfLinks > 1;
  facts.writable = facts.regular && (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) == 0;
  return facts;
}

bool IsRegularFile(int fd) {
  BY_HANDLE_FILE_INFORMATION info{};
  return InformationOf(HandleOf(fd), info) &&
         (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

int64_t SizeOf(int fd) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!InformationOf(HandleOf(fd), info) ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return -1;
  }
  return static_cast<int64_t>(uint64_t{info.nFileSizeHigh} << 32 | info.nFileSizeLow);
}

bool IsSameFile(const std::string& utf8PathA, const std::string& utf8PathB) {
  const FactsHandle a(utf8PathA);
  const FactsHandle b(utf8PathB);
  return SameIdentity(a.Get(), b.Get());
}

bool IsExistingReadOnlyFile(const std::string& utf8Path) {
  const std::wstring path = WidePath(utf8Path);
  if (path.empty()) return false;
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0 &&
         (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

LinkTarget FollowLinks(const std::string& utf8Path) {
  LinkTarget target{utf8Path, false};
  const std::wstring path = WidePath(utf8Path);
  if (path.empty()) return target;
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
    return target;
  }
  const FactsHandle file(utf8Path);
  if (!file.Opened()) return target;
  const std::wstring final = FinalPathOf(file.Get());
  if (!final.empty()) target.path = Utf8FromWide(final);
  return target;
}

size_t FileNameStart(const std::string& utf8Path) {
  const size_t separator = utf8Path.find_last_of("/\\");
  if (separator != std::string::npos) return separator + 1;
  // "C:name.gdb": the name in the drive's current folder.
  return utf8Path.size() > 1 && utf8Path[1] == ':' ? 2 : 0;
}

bool NamesFileOf(const std::string& utf8Path, int fd) {
  const FactsHandle file(utf8Path);
  return SameIdentity(file.Get(), HandleOf(fd));
}

namespace {

// The new file removed on a stop. The console's stop events come on a thread
// of their own: the lock keeps the path whole while it is written or used.
SRWLOCK gStopLock = SRWLOCK_INIT;
std::wstring* gNewFilePath = nullptr;  // while armed; lives as long as the process
std::atomic_flag gHandlerTaken = ATOMIC_FLAG_INIT;

BOOL WINAPI RemoveNewFileOnStop(DWORD) {
  AcquireSRWLockExclusive(&gStopLock);
  // Deleted while open, it goes when the process ends and closes it.
  if (gNewFilePath != nullptr && !gNewFilePath->empty()) DeleteFileW(gNewFilePath->c_str());
  ReleaseSRWLockExclusive(&gStopLock);
  // Not handled: the system's handler ends the process.
  return FALSE;
}

}  // namespace

bool TakeStopRemoval() {
  if (gHandlerTaken.test_and_set()) return false;
  AcquireSRWLockExclusive(&gStopLock);
  if (gNewFilePath == nullptr) gNewFilePath = new std::wstring;
  gNewFilePath->clear();
  ReleaseSRWLockExclusive(&gStopLock);
  SetConsoleCtrlHandler(RemoveNewFileOnStop, TRUE);
  return true;
}

int CreateNewRemovedOnStop(const std::string& utf8Path, bool armed) {
  if (!armed) return CreateNew(utf8Path);
  AcquireSRWLockExclusive(&gStopLock);
  const int fd = CreateNew(utf8Path);
  if (fd != kNoFile) *gNewFilePath = WidePath(utf8Path);
  ReleaseSRWLockExclusive(&gStopLock);
  return fd;
}

void ReleaseStopRemoval() {
  SetConsoleCtrlHandler(RemoveNewFileOnStop, FALSE);
  AcquireSRWLockExclusive(&gStopLock);
  gNewFilePath->clear();
  ReleaseSRWLockExclusive(&gStopLock);
  gHandlerTaken.clear();
}

}  // namespace fileio
