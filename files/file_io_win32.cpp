// The file calls on Windows: the wide-character calls, with the UTF-8 paths
// turned into UTF-16 here, and a run's file descriptor a C runtime descriptor
// over the system's file handle. Windows has no calls that take a folder
// handle and a name: a held folder is a handle that does not share deletion,
// so that nobody renames or removes the folder while a run holds it, and the
// calls on a name in it take the folder's final path and the name.
#include <windows.h>

#include <aclapi.h>
#include <fcntl.h>
#include <io.h>
#include <winternl.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstring>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "file_io.h"
#include "wide_text.h"

namespace fileio {

struct FolderAccess {
  static void Set(Folder& folder, HANDLE handle, std::string path) {
    folder = Folder();
    folder.handle_ = reinterpret_cast<intptr_t>(handle);
    folder.path_ = std::move(path);
  }
};

namespace {

thread_local bool lastWasCollision = false;
thread_local Failure lastFailure = Failure::kNone;

// Paths from this length on take the \\?\ form, which reaches past the old
// limit of 260 characters (less 12 for a folder and the name of a new file).
constexpr size_t kLongPathFrom = MAX_PATH - 12;
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr DWORD kMostPerCall = DWORD{1} << 30;
// A new file's handle may give it the security of the file it replaces.
constexpr DWORD kNewFileAccess =
    GENERIC_READ | GENERIC_WRITE | READ_CONTROL | WRITE_DAC | WRITE_OWNER;
// What a replaced file passes on besides its security; never read-only.
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                  FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
constexpr int kScratchTries = 100;

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

// A path as the system's calls take it: in the \\?\ form when it is long.
std::wstring SystemPath(const std::wstring& path) {
  return path.size() < kLongPathFrom ? path : LongForm(path);
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
  return SystemPath(wide);
}

// A \\?\ path of a drive or a share in the form the messages show: "C:\..."
// or "\\server\share\..."; any other (a volume's GUID path) as it is.
std::wstring PlainForm(const std::wstring& path) {
  if (StartsWith(path, L"\\\\?\\UNC\\")) return L"\\" + path.substr(7);
  if (StartsWith(path, L"\\\\?\\") && path.size() > 5 && path[5] == L':') return path.substr(4);
  return path;
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
    case ERROR_DIRECTORY:
      return Failure::kFolderMissing;
    case ERROR_ACCESS_DENIED:
      return path != nullptr && IsFolder(*path) ? Failure::kIsFolder : Failure::kPermissionDenied;
    case ERROR_WRITE_PROTECT:
      return Failure::kReadOnly;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return Failure::kDiskFull;
    case ERROR_FILE_TOO_LARGE:
      return Failure::kTooLarge;
    case ERROR_CANT_RESOLVE_FILENAME:
    case ERROR_FILENAME_EXCED_RANGE:
      return Failure::kTooManyLinks;
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

bool Fail(Failure failure) {
  lastFailure = failure;
  return false;
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

// A handle closed when it goes.
class Handle {
 public:
  explicit Handle(HANDLE handle = INVALID_HANDLE_VALUE) : handle_(handle) {}
  ~Handle() {
    if (Opened()) CloseHandle(handle_);
  }
  Handle(Handle&& other) noexcept : handle_(other.Release()) {}
  Handle& operator=(Handle&&) = delete;
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;

  bool Opened() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return handle_; }
  HANDLE Release() { return std::exchange(handle_, INVALID_HANDLE_VALUE); }

 private:
  HANDLE handle_;
};

// A handle that reads a file's facts, not its bytes, folders included; with
// FILE_FLAG_OPEN_REPARSE_POINT in flags, a link itself rather than its file.
Handle OpenForFacts(const std::wstring& path, DWORD access = 0, DWORD flags = 0) {
  if (path.empty()) return Handle();
  return Handle(CreateFileW(path.c_str(), access, kShareAll, nullptr, OPEN_EXISTING,
                            FILE_FLAG_BACKUP_SEMANTICS | flags, nullptr));
}

Handle OpenName(const Folder& folder, const std::string& name, DWORD access) {
  return OpenForFacts(WidePath(PathInFolder(folder, name)), access, FILE_FLAG_OPEN_REPARSE_POINT);
}

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

// The full path the system gives an open file: \\?\C:\..., or with
// VOLUME_NAME_GUID \\?\Volume{...}\...; empty when it gives none.
std::wstring FinalPathOf(HANDLE handle, DWORD flags = VOLUME_NAME_DOS) {
  const DWORD size = GetFinalPathNameByHandleW(handle, nullptr, 0, flags);
  if (size == 0) return {};
  std::wstring path(size, L'\0');
  path.resize(GetFinalPathNameByHandleW(handle, path.data(), size, flags));
  return path;
}

// The path of an open file, every link on the way followed: by its drive or
// share, else (a volume mounted without a letter) by its volume.
std::wstring ResolvedPathOf(HANDLE handle) {
  const std::wstring path = FinalPathOf(handle);
  return path.empty() ? FinalPathOf(handle, VOLUME_NAME_GUID) : PlainForm(path);
}

// Two 64-bit FNV-1a hashes of the final path, upper-cased as the file
// systems compare names.
void HashPath(const std::wstring& path, FileId& id) {
  std::wstring upper(path.size(), L'\0');
  LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, path.data(), static_cast<int>(path.size()),
                upper.data(), static_cast<int>(upper.size()), nullptr, nullptr, 0);
  uint64_t a = 0xcbf29ce484222325u;
  uint64_t b = 0x84222325cbf29ce4u;
  for (const wchar_t unit : upper) {
    a = (a ^ static_cast<uint16_t>(unit)) * 0x100000001b3u;
    b = (b ^ static_cast<uint16_t>(unit)) * 0x100000001b3u;
  }
  id.high = a;
  id.low = b;
}

// Which file a handle reads: its volume and file id. The 128-bit ids first,
// which ReFS needs; then the 64-bit file index (the same number on NTFS); a
// file system that gives neither (some network shares give 0) is told by the
// file's final path.
FileId IdOfHandle(HANDLE handle) {
  FileId id;
  BY_HANDLE_FILE_INFORMATION info{};
  if (!InformationOf(handle, info)) return id;
  FILE_ID_INFO wide{};
  if (GetFileInformationByHandleEx(handle, FileIdInfo, &wide, sizeof wide) &&
      !IsZero(wide.FileId)) {
    id.device = wide.VolumeSerialNumber;
    std::memcpy(&id.low, wide.FileId.Identifier, sizeof id.low);
    std::memcpy(&id.high, wide.FileId.Identifier + sizeof id.low, sizeof id.high);
  } else if (info.nFileIndexHigh != 0 || info.nFileIndexLow != 0) {
    id.device = info.dwVolumeSerialNumber;
    id.low = uint64_t{info.nFileIndexHigh} << 32 | info.nFileIndexLow;
  } else {
    const std::wstring path = FinalPathOf(handle);
    if (path.empty()) return id;
    id.device = info.dwVolumeSerialNumber;
    HashPath(path, id);
  }
  id.known = true;
  return id;
}

// A symbolic link or a junction, opened as itself: a reparse point that names
// another file. Other reparse points (a file kept in the cloud, a
// deduplicated file) are the files themselves.
bool IsLink(HANDLE handle, DWORD attributes) {
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) return false;
  FILE_ATTRIBUTE_TAG_INFO tag{};
  if (!GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &tag, sizeof tag)) return true;
  return IsReparseTagNameSurrogate(tag.ReparseTag) != 0;
}

NameFacts FactsOfKind(NameFacts::Kind kind) {
  NameFacts facts;
  facts.kind = kind;
  return facts;
}

NameFacts DeviceFacts() {
  NameFacts facts = FactsOfKind(NameFacts::Kind::kOther);
  // The system says when it opens whether the device may be written.
  facts.writable = true;
  facts.writeBits = true;
  return facts;
}

NameFacts::Kind KindOf(HANDLE handle, DWORD attributes) {
  if (IsLink(handle, attributes)) return NameFacts::Kind::kLink;
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return NameFacts::Kind::kFolder;
  return NameFacts::Kind::kRegular;
}

// kUnknown, LastFailure() telling why, when the system does not describe a
// file on a disk.
NameFacts FactsOfHandle(HANDLE handle) {
  SetLastError(NO_ERROR);
  const DWORD type = GetFileType(handle);
  if (type == FILE_TYPE_UNKNOWN && GetLastError() != NO_ERROR) {
    Record(true);
    return FactsOfKind(NameFacts::Kind::kUnknown);
  }
  lastFailure = Failure::kNone;
  if (type != FILE_TYPE_DISK) return DeviceFacts();
  BY_HANDLE_FILE_INFORMATION info{};
  if (!Record(!GetFileInformationByHandle(handle, &info))) {
    return FactsOfKind(NameFacts::Kind::kUnknown);
  }
  NameFacts facts = FactsOfKind(KindOf(handle, info.dwFileAttributes));
  const bool regular = facts.kind == NameFacts::Kind::kRegular;
  facts.linkedMore = regular && info.nNumberOfLinks > 1;
  facts.writeBits = (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) == 0;
  facts.writable = regular && facts.writeBits;
  facts.id = IdOfHandle(handle);
  return facts;
}

// Whether a handle was opened with the right to write.
bool OpenedForWriting(HANDLE handle) {
  PUBLIC_OBJECT_BASIC_INFORMATION info{};
  return NT_SUCCESS(NtQueryObject(handle, ObjectBasicInformation, &info, sizeof info, nullptr)) &&
         (info.GrantedAccess & (FILE_WRITE_DATA | FILE_APPEND_DATA)) != 0;
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

int OpenFileForReading(const std::string& utf8Path) {
  const std::wstring path = RecordedWidePath(utf8Path);
  if (path.empty()) return kNoFile;
  const HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (Record(handle == INVALID_HANDLE_VALUE, &path) && GetFileType(handle) != FILE_TYPE_DISK) {
    CloseHandle(handle);
    Fail(Failure::kOther);
    return kNoFile;
  }
  return DescriptorFor(handle, _O_RDONLY);
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

size_t FileNameStart(const std::string& utf8Path) {
  const size_t separator = utf8Path.find_last_of("/\\");
  if (separator != std::string::npos) return separator + 1;
  // "C:name.gdb": the name in the drive's current folder.
  return utf8Path.size() > 1 && utf8Path[1] == ':' ? 2 : 0;
}

bool MakeFolder(const std::string& utf8Path) {
  const std::wstring path = RecordedWidePath(utf8Path);
  if (path.empty()) return false;
  if (CreateDirectoryW(path.c_str(), nullptr)) return true;
  const DWORD error = GetLastError();
  Record(true, &path);
  const bool exists = error == ERROR_ALREADY_EXISTS && IsFolder(path);
  if (exists) lastFailure = Failure::kNone;
  return exists;
}

bool NamesFileOf(const std::string& utf8Path, int fd) {
  const Handle file = OpenForFacts(WidePath(utf8Path));
  return IdOfHandle(file.Get()) == IdOfHandle(HandleOf(fd));
}

FileId IdOf(int fd) {
  return IdOfHandle(HandleOf(fd));
}

Folder::~Folder() {
  if (IsOpen()) CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

namespace {

// The absolute path of a path, "." and ".." taken away, links not followed;
// empty on failure.
std::wstring FullPathOf(const std::wstring& path) {
  const DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (size == 0) return {};
  std::wstring full(size, L'\0');
  full.resize(GetFullPathNameW(path.c_str(), size, full.data(), nullptr));
  return PlainForm(full);
}

// "\\.\NUL", "\\.\COM1", "\\.\pipe\name": a device of the system, which no
// folder holds ("\\.\C:\..." is a path on a drive).
bool IsDevicePath(const std::wstring& full) {
  return StartsWith(full, L"\\\\.\\") && !(full.size() > 5 && full[5] == L':');
}

// A link as the path's last name is followed to the file it finally names. A
// link that names no file is refused: there is no file to follow it to.
bool FollowFinalLink(std::wstring& full) {
  const std::wstring path = SystemPath(full);
  const Handle name = OpenForFacts(path, 0, FILE_FLAG_OPEN_REPARSE_POINT);
  BY_HANDLE_FILE_INFORMATION info{};
  if (!InformationOf(name.Get(), info) || !IsLink(name.Get(), info.dwFileAttributes)) return true;
  const Handle target = OpenForFacts(path);
  if (!target.Opened()) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
      return Fail(Failure::kNotFound);
    }
    return Record(true, &path);
  }
  std::wstring resolved = ResolvedPathOf(target.Get());
  if (resolved.empty()) return Record(true);
  full = std::move(resolved);
  return true;
}

// How long the root of a full path is: "C:\", "\\server\share\",
// "\\?\Volume{...}\".
size_t RootLength(const std::wstring& full) {
  if (StartsWith(full, L"\\\\")) {
    const size_t server = full.find(L'\\', 2);
    if (server == std::wstring::npos) return full.size();
    const size_t share = full.find(L'\\', server + 1);
    return share == std::wstring::npos ? full.size() : share + 1;
  }
  return full.size() > 1 && full[1] == L':' ? std::min<size_t>(full.size(), 3) : 0;
}

struct PathParts {
  std::wstring folder;
  std::wstring name;
};

// A full path's folder and last name; a root is its own folder, named ".".
PathParts SplitPath(std::wstring full) {
  const size_t root = RootLength(full);
  while (full.size() > root && full.back() == L'\\') full.pop_back();
  const size_t separator = full.rfind(L'\\');
  const size_t nameStart = separator == std::wstring::npos ? root : std::max(root, separator + 1);
  // A root keeps its separator: "C:" alone is the drive's current folder.
  const size_t folderEnd = nameStart > root ? nameStart - 1 : root;
  PathParts parts{full.substr(0, folderEnd), full.substr(nameStart)};
  if (parts.name.empty()) parts.name = L".";
  return parts;
}

// Holds a folder open without sharing its deletion, so that it can be neither
// renamed nor removed meanwhile. Sharing binds others only when the handle
// may read the folder's entries or pass through it, not when it reads
// attributes alone: the first of those the user may have.
HANDLE HoldFolder(const std::wstring& folder) {
  const std::wstring path = SystemPath(folder);
  HANDLE handle = INVALID_HANDLE_VALUE;
  for (const DWORD access : {DWORD{FILE_LIST_DIRECTORY}, DWORD{FILE_TRAVERSE}, DWORD{0}}) {
    handle = CreateFileW(path.c_str(), access | SYNCHRONIZE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle != INVALID_HANDLE_VALUE || GetLastError() != ERROR_ACCESS_DENIED) break;
  }
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND) SetLastError(ERROR_PATH_NOT_FOUND);
    Record(true);
    return handle;
  }
  BY_HANDLE_FILE_INFORMATION info{};
  if (!InformationOf(handle, info) || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    CloseHandle(handle);
    Fail(Failure::kFolderMissing);
    return INVALID_HANDLE_VALUE;
  }
  return handle;
}

}  // namespace

// The system gives a device ("NUL", "COM1") the attributes of a file.
PathKind KindOfPath(const std::string& utf8Path) {
  const std::wstring path = WidePath(utf8Path);
  const DWORD attributes =
      path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return PathKind::kNone;
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return PathKind::kFolder;
  return IsDevicePath(FullPathOf(path)) ? PathKind::kOther : PathKind::kFile;
}

bool PlaceOfOutput(const std::string& utf8Path, OutputPlace& place) {
  // Windows has no path that names a descriptor.
  place.descriptor = kNoFile;
  const std::wstring wide = RecordedWidePath(utf8Path);
  if (wide.empty()) return false;
  std::wstring full = FullPathOf(wide);
  if (full.empty()) return Record(true, &wide);
  if (IsDevicePath(full)) {
    // No folder to hold: FactsAt tells a device by its closed folder.
    const size_t separator = full.rfind(L'\\');
    FolderAccess::Set(place.folder, INVALID_HANDLE_VALUE, Utf8FromWide(full.substr(0, separator)));
    place.name = Utf8FromWide(full.substr(separator + 1));
    return true;
  }
  // A path that ends in a separator names a folder.
  if (full.back() == L'\\' && !IsFolder(SystemPath(full))) return Fail(Failure::kFolderMissing);
  if (!FollowFinalLink(full)) return false;
  const PathParts parts = SplitPath(full);
  const HANDLE folder = HoldFolder(parts.folder);
  if (folder == INVALID_HANDLE_VALUE) return false;
  // The folder's own path, whatever links led to it, is the one the calls take.
  const std::wstring held = ResolvedPathOf(folder);
  FolderAccess::Set(place.folder, folder, Utf8FromWide(held.empty() ? parts.folder : held));
  place.name = Utf8FromWide(parts.name);
  lastFailure = Failure::kNone;
  return true;
}

NameFacts FactsAt(const Folder& folder, const std::string& name) {
  if (!folder.IsOpen()) {
    lastFailure = Failure::kNone;
    return DeviceFacts();
  }
  const Handle file = OpenName(folder, name, FILE_READ_ATTRIBUTES);
  if (Record(!file.Opened())) return FactsOfHandle(file.Get());
  return FactsOfKind(lastFailure == Failure::kNotFound ? NameFacts::Kind::kMissing
                                                       : NameFacts::Kind::kUnknown);
}

NameFacts FactsOfDescriptor(int fd) {
  const HANDLE handle = HandleOf(fd);
  if (handle == INVALID_HANDLE_VALUE) {
    lastFailure = Failure::kOther;
    return FactsOfKind(NameFacts::Kind::kUnknown);
  }
  NameFacts facts = FactsOfHandle(handle);
  facts.writable = OpenedForWriting(handle);
  facts.writeBits = facts.writable;
  return facts;
}

std::string PathInFolder(const Folder& folder, const std::string& name) {
  const std::string& path = folder.Path();
  const bool separated = !path.empty() && (path.back() == '\\' || path.back() == '/');
  return separated ? path + name : path + "\\" + name;
}

namespace {

// A security descriptor that lets the user alone open a file, and takes
// nothing from the folder: a new file's while it is written. The user is the
// token's user, who is the file's owner unless the token names a group
// (elevated administrators) as the owner of what it makes.
class PrivateSecurity {
 public:
  PrivateSecurity() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return;
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    user_.resize(size);
    const bool known = size > 0 && GetTokenInformation(token, TokenUser, user_.data(), size, &size);
    CloseHandle(token);
    if (known) made_ = Make(reinterpret_cast<TOKEN_USER*>(user_.data())->User.Sid);
  }
  PrivateSecurity(const PrivateSecurity&) = delete;
  PrivateSecurity& operator=(const PrivateSecurity&) = delete;

  bool Made() const { return made_; }
  SECURITY_ATTRIBUTES* Attributes() { return &attributes_; }

 private:
  bool Make(PSID user) {
    acl_.resize(sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) + GetLengthSid(user));
    const auto acl = reinterpret_cast<PACL>(acl_.data());
    if (!InitializeAcl(acl, static_cast<DWORD>(acl_.size()), ACL_REVISION) ||
        !AddAccessAllowedAce(acl, ACL_REVISION, FILE_ALL_ACCESS, user) ||
        !InitializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION) ||
        !SetSecurityDescriptorDacl(&descriptor_, TRUE, acl, FALSE) ||
        !SetSecurityDescriptorControl(&descriptor_, SE_DACL_PROTECTED, SE_DACL_PROTECTED)) {
      return false;
    }
    attributes_ = {sizeof attributes_, &descriptor_, FALSE};
    return true;
  }

  std::vector<BYTE> user_;
  std::vector<BYTE> acl_;
  SECURITY_DESCRIPTOR descriptor_{};
  SECURITY_ATTRIBUTES attributes_{};
  bool made_ = false;
};

// Makes a file that must not exist yet, private to the user. Without a
// private descriptor no file is made, rather than one others may open.
HANDLE CreatePrivateFile(const std::wstring& path, DWORD access, DWORD share, DWORD flags) {
  PrivateSecurity security;
  if (!security.Made()) return INVALID_HANDLE_VALUE;
  return CreateFileW(path.c_str(), access, share, security.Attributes(), CREATE_NEW, flags,
                     nullptr);
}

bool IsCollision(DWORD error) {
  return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
}

std::wstring TemporaryFolder() {
  const DWORD size = GetTempPathW(0, nullptr);
  if (size == 0) return {};
  std::wstring folder(size, L'\0');
  folder.resize(GetTempPathW(size, folder.data()));
  return folder;
}

}  // namespace

int CreateScratch() {
  const std::wstring folder = TemporaryFolder();
  if (folder.empty()) {
    Record(true);
    return kNoFile;
  }
  std::mt19937 random(std::random_device{}());
  for (int i = 0; i < kScratchTries; ++i) {
    const std::wstring path = SystemPath(folder + L"morvex-" + std::to_wstring(random()) + L".tmp");
    // Shared with nobody, and gone when closed.
    const HANDLE handle = CreatePrivateFile(path, GENERIC_READ | GENERIC_WRITE | DELETE, 0,
                                            FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE);
    if (handle != INVALID_HANDLE_VALUE) {
      lastFailure = Failure::kNone;
      return DescriptorFor(handle, _O_RDWR);
    }
    if (!IsCollision(GetLastError())) break;
  }
  Record(true);
  return kNoFile;
}

namespace {

// Records a failure that a security call returns rather than sets.
bool RecordError(DWORD error) {
  SetLastError(error);
  return Record(error != ERROR_SUCCESS);
}

// True when the file's volume keeps access control lists: FAT and exFAT, and
// some shares, keep none, and take none.
bool KeepsSecurity(HANDLE file) {
  DWORD flags = 0;
  return !GetVolumeInformationByHandleW(file, nullptr, 0, nullptr, nullptr, &flags, nullptr, 0) ||
         (flags & FILE_PERSISTENT_ACLS) != 0;
}

// The owner, the group and the access control list, protected from the
// folder's entries or taking them as the source did.
bool CopySecurity(HANDLE from, HANDLE to) {
  PSID owner = nullptr;
  PSID group = nullptr;
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  constexpr SECURITY_INFORMATION kParts =
      OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
  if (!RecordError(GetSecurityInfo(from, SE_FILE_OBJECT, kParts, &owner, &group, &dacl, nullptr,
                                   &descriptor))) {
    return false;
  }
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  GetSecurityDescriptorControl(descriptor, &control, &revision);
  const SECURITY_INFORMATION inheritance = (control & SE_DACL_PROTECTED) != 0
                                               ? PROTECTED_DACL_SECURITY_INFORMATION
                                               : UNPROTECTED_DACL_SECURITY_INFORMATION;
  // The owner and the group only where the user may give them: the list
  // decides what others may do.
  DWORD error = ERROR_SUCCESS;
  for (const SECURITY_INFORMATION parts : {kParts, kParts & ~OWNER_SECURITY_INFORMATION,
                                           SECURITY_INFORMATION{DACL_SECURITY_INFORMATION}}) {
    error = SetSecurityInfo(to, SE_FILE_OBJECT, parts | inheritance, owner, group, dacl, nullptr);
    if (error == ERROR_SUCCESS) break;
  }
  LocalFree(descriptor);
  return RecordError(error);
}

void CopyAttributes(HANDLE from, HANDLE to) {
  FILE_BASIC_INFO info{};
  if (!GetFileInformationByHandleEx(from, FileBasicInfo, &info, sizeof info)) return;
  // Times of 0 are left as they are.
  FILE_BASIC_INFO kept{};
  kept.FileAttributes = info.FileAttributes & kKeptAttributes;
  if (kept.FileAttributes == 0) kept.FileAttributes = FILE_ATTRIBUTE_NORMAL;
  SetFileInformationByHandle(to, FileBasicInfo, &kept, sizeof kept);
}

// True when the file's access control list has no entry: no one may open it.
bool HasEmptyDacl(HANDLE file) {
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetSecurityInfo(file, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl,
                      nullptr, &descriptor) != ERROR_SUCCESS) {
    return false;
  }
  const bool empty = dacl != nullptr && dacl->AceCount == 0;
  LocalFree(descriptor);
  return empty;
}

// Sets the file's list, no longer protected: the folder's entries join it.
DWORD SetInheritingDacl(HANDLE file, PACL dacl) {
  return SetSecurityInfo(file, SE_FILE_OBJECT,
                         DACL_SECURITY_INFORMATION | UNPROTECTED_DACL_SECURITY_INFORMATION, nullptr,
                         nullptr, dacl, nullptr);
}

// The list the system gives a new file when its folder passes nothing on:
// the token's default.
bool GiveDefaultDacl(HANDLE file) {
  HANDLE token = nullptr;
  if (!Record(!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))) return false;
  DWORD size = 0;
  GetTokenInformation(token, TokenDefaultDacl, nullptr, 0, &size);
  std::vector<BYTE> buffer(std::max<DWORD>(size, sizeof(TOKEN_DEFAULT_DACL)));
  bool given = Record(!GetTokenInformation(token, TokenDefaultDacl, buffer.data(),
                                           static_cast<DWORD>(buffer.size()), &size));
  CloseHandle(token);
  if (given) {
    given = RecordError(
        SetInheritingDacl(file, reinterpret_cast<TOKEN_DEFAULT_DACL*>(buffer.data())->DefaultDacl));
  }
  return given;
}

}  // namespace

bool CopyAccess(const Folder& folder, const std::string& name, int fd) {
  const Handle old = OpenName(folder, name, READ_CONTROL | FILE_READ_ATTRIBUTES);
  if (!Record(!old.Opened())) return false;
  const HANDLE file = HandleOf(fd);
  if (KeepsSecurity(file) && !CopySecurity(old.Get(), file)) return false;
  CopyAttributes(old.Get(), file);
  lastFailure = Failure::kNone;
  return true;
}

// An empty list that is no longer protected: the file keeps only the entries
// its folder passes on, as a file made there would.
bool GiveNewFileAccess(const Folder& /*folder*/, int fd) {
  const HANDLE file = HandleOf(fd);
  lastFailure = Failure::kNone;
  if (!KeepsSecurity(file)) return true;
  ACL empty{};
  if (!Record(!InitializeAcl(&empty, sizeof empty, ACL_REVISION)) ||
      !RecordError(SetInheritingDacl(file, &empty))) {
    return false;
  }
  return !HasEmptyDacl(file) || GiveDefaultDacl(file);
}

int OpenExisting(const Folder& folder, const std::string& name, bool forReading) {
  const std::wstring path = RecordedWidePath(PathInFolder(folder, name));
  if (path.empty()) return kNoFile;
  const DWORD access = forReading ? GENERIC_READ | GENERIC_WRITE : GENERIC_WRITE;
  // Writing shared: a second run waits for the lock rather than failing.
  const HANDLE handle = CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (!Record(handle == INVALID_HANDLE_VALUE, &path)) return kNoFile;
  // A link opened as itself is not the file to write, as O_NOFOLLOW refuses it.
  BY_HANDLE_FILE_INFORMATION info{};
  if (InformationOf(handle, info) && IsLink(handle, info.dwFileAttributes)) {
    CloseHandle(handle);
    Fail(Failure::kTooManyLinks);
    return kNoFile;
  }
  return DescriptorFor(handle, forReading ? _O_RDWR : _O_WRONLY);
}

bool Rewind(int fd) {
  return Record(!SetFilePointerEx(HandleOf(fd), LARGE_INTEGER{}, nullptr, FILE_BEGIN));
}

// The allocation is the room the file takes. One below the file's end would
// cut it: the room of a file that length fits in already is left alone.
bool Reserve(int fd, int64_t length) {
  lastFailure = Failure::kNone;
  const HANDLE handle = HandleOf(fd);
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(handle, &size) || length <= size.QuadPart) return true;
  FILE_ALLOCATION_INFO allocation{};
  allocation.AllocationSize.QuadPart = length;
  if (SetFileInformationByHandle(handle, FileAllocationInfo, &allocation, sizeof allocation)) {
    return true;
  }
  const DWORD error = GetLastError();
  if (error != ERROR_DISK_FULL && error != ERROR_HANDLE_DISK_FULL &&
      error != ERROR_FILE_TOO_LARGE) {
    return true;
  }
  return Record(true);
}

bool CutTo(int fd, int64_t length) {
  const HANDLE handle = HandleOf(fd);
  LARGE_INTEGER end{};
  end.QuadPart = length;
  return Record(!SetFilePointerEx(handle, end, nullptr, FILE_BEGIN) || !SetEndOfFile(handle));
}

std::vector<std::string> NamesStartingWith(const Folder& folder, const std::string& prefix) {
  std::vector<std::string> names;
  const std::wstring pattern = WidePath(PathInFolder(folder, prefix + "*"));
  if (pattern.empty()) return names;
  WIN32_FIND_DATAW found;
  const HANDLE search =
      FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    std::string name = Utf8FromWide(found.cFileName);
    // The pattern also matches short names, and without regard to case.
    if (name.starts_with(prefix)) names.push_back(std::move(name));
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return names;
}

void HoldAsInUse(int) {}

// The run's handle writes: an open that does not share writing is refused.
bool HeldByARun(const Folder& folder, const std::string& name) {
  const std::wstring path = WidePath(PathInFolder(folder, name));
  if (path.empty()) return true;
  const HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return true;
  CloseHandle(handle);
  return false;
}

bool LockExclusive(int fd) {
  OVERLAPPED whole{};
  return Record(!LockFileEx(HandleOf(fd), LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole));
}

namespace {

// True when the name is the input, or a link that leads to it.
bool LeadsTo(const Folder& folder, const std::string& name, const NameFacts& facts,
             const FileId& input) {
  if (facts.id == input) return true;
  if (facts.kind != NameFacts::Kind::kLink) return false;
  const Handle target = OpenForFacts(WidePath(PathInFolder(folder, name)));
  return IdOfHandle(target.Get()) == input;
}

// Windows cannot exchange two names: the check comes right before the move.
// A missing output is taken by a move that replaces nothing, so that a file
// that comes meanwhile is checked first; an existing one by ReplaceFileW,
// which keeps its attributes and, where the file system has them, its short
// name and streams.
bool PutInPlace(const Folder& folder, const std::string& from, const std::string& to,
                const FileId& input) {
  const std::wstring fromPath = WidePath(PathInFolder(folder, from));
  const std::wstring toPath = RecordedWidePath(PathInFolder(folder, to));
  if (fromPath.empty() || toPath.empty()) return false;
  constexpr int kTries = 10;
  for (int i = 0; i < kTries; ++i) {
    const NameFacts standing = FactsAt(folder, to);
    if (standing.kind == NameFacts::Kind::kUnknown) return false;
    if (LeadsTo(folder, to, standing, input)) return Fail(Failure::kIsInput);
    switch (standing.kind) {
      case NameFacts::Kind::kFolder:
        return Fail(Failure::kIsFolder);
      case NameFacts::Kind::kOther:
        return Fail(Failure::kOther);
      case NameFacts::Kind::kMissing:
        if (MoveFileExW(fromPath.c_str(), toPath.c_str(), MOVEFILE_WRITE_THROUGH)) {
          return Record(false);
        }
        if (IsCollision(GetLastError())) continue;
        return Record(true, &toPath);
      case NameFacts::Kind::kRegular:
        if (ReplaceFileW(toPath.c_str(), fromPath.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                         nullptr, nullptr)) {
          return Record(false);
        }
        // Gone since the check, or taken away by the replace itself (which
        // then leaves the new file where it was): checked again.
        if (GetLastError() == ERROR_FILE_NOT_FOUND ||
            GetLastError() == ERROR_UNABLE_TO_MOVE_REPLACEMENT) {
          continue;
        }
        break;
      case NameFacts::Kind::kLink:
      case NameFacts::Kind::kUnknown:
        break;
    }
    // A link is replaced itself, as a rename does. A file that ReplaceFileW
    // failed on by a plain move, right after: a file system without the
    // replace, or the system's own word on why the old file cannot go.
    return Record(!MoveFileExW(fromPath.c_str(), toPath.c_str(),
                               MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH),
                  &toPath);
  }
  return Fail(Failure::kOther);
}

// Best effort: the folder's records reach the disk now. A move with
// MOVEFILE_WRITE_THROUGH has done so already; ReplaceFileW has no such flag.
void SyncFolder(const Folder& folder) {
  const Handle handle = OpenForFacts(WidePath(folder.Path()), GENERIC_WRITE);
  if (handle.Opened()) FlushFileBuffers(handle.Get());
}

}  // namespace

bool Replace(const Folder& folder, const std::string& from, const std::string& to,
             const FileId& input) {
  const bool replaced = PutInPlace(folder, from, to, input);
  if (replaced) SyncFolder(folder);
  return replaced;
}

bool RemoveAt(const Folder& folder, const std::string& name) {
  const std::wstring path = WidePath(PathInFolder(folder, name));
  return !path.empty() && (DeleteFileW(path.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND);
}

// Windows has no file-size signal: a write past the limit fails.
void IgnoreFileSizeLimitSignal() {}

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

// Shared for deletion, so that a stop of the process can remove it while it
// is open. Armed, it is made and recorded under the lock, so that no stop
// comes between the two.
int CreatePrivate(const Folder& folder, const std::string& name, bool armed) {
  lastWasCollision = false;
  const std::wstring path = RecordedWidePath(PathInFolder(folder, name));
  if (path.empty()) return kNoFile;
  // Copied before the file is made: nothing between the two may fail.
  std::wstring armedPath = armed ? path : std::wstring();
  if (armed) AcquireSRWLockExclusive(&gStopLock);
  const HANDLE handle = CreatePrivateFile(path, kNewFileAccess, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                          FILE_ATTRIBUTE_NORMAL);
  const DWORD error = GetLastError();
  if (armed) {
    if (handle != INVALID_HANDLE_VALUE) gNewFilePath->swap(armedPath);
    ReleaseSRWLockExclusive(&gStopLock);
  }
  SetLastError(error);
  lastWasCollision = handle == INVALID_HANDLE_VALUE && IsCollision(error);
  Record(handle == INVALID_HANDLE_VALUE, &path);
  return DescriptorFor(handle, _O_RDWR);
}

void ReleaseStopRemoval() {
  SetConsoleCtrlHandler(RemoveNewFileOnStop, FALSE);
  AcquireSRWLockExclusive(&gStopLock);
  gNewFilePath->clear();
  ReleaseSRWLockExclusive(&gStopLock);
  gHandlerTaken.clear();
}

}  // namespace fileio
