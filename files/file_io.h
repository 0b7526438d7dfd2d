// The file calls a conversion run makes, each a small function over a file
// descriptor, so that each system has one file of its own: file_io_posix.cpp
// and file_io_win32.cpp. Paths are UTF-8 throughout; the Windows calls take
// them as UTF-16, and a path that is not valid UTF-8 names no file. Every
// call retries when a signal interrupts it; reads and writes go on after a
// short transfer until they are done.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace fileio {

constexpr int kNoFile = -1;

// Why a file call failed, in the few kinds a user is told of. Each call below
// that fails records its kind for the calling thread: LastFailure() reads it.
enum class Failure {
  kNone,
  kNotFound,          // the file does not exist (its folder does)
  kFolderMissing,     // a folder of the path does not exist
  kIsFolder,          // the path names a folder where a file was wanted
  kPermissionDenied,  // the user may not open or make the file
  kReadOnly,          // a read-only file, or a file system mounted read-only
  kDiskFull,          // no room left on the disk (or over the user's quota)
  kTooLarge,          // the file would pass the size a file may have (EFBIG)
  kTooManyLinks,      // a path the system cannot resolve: a loop of links, too many
  kIsInput,           // the output is the input file
  kOther,             // any other refusal of the system
};
Failure LastFailure();

// Opens an existing file for reading; kNoFile on failure. Refuses folders.
int OpenForReading(const std::string& utf8Path);
// The same for a regular file alone, and without waiting: a FIFO (whose open
// would wait for a writer) or a device is refused (kOther).
int OpenFileForReading(const std::string& utf8Path);
// The calls that follow record a failure too: ReadSome, WriteAll, SyncFile
// and CloseFile.

// Reads what the file has now, up to size bytes, without waiting to fill the
// buffer (a pipe's writer may hold it open after the last record). Returns
// the bytes read, 0 at the end, or -1 on a read error.
int64_t ReadSome(int fd, uint8_t* buffer, size_t size);
// Writes all of [data, data + size); returns the bytes written, which is
// less than size only after a write error.
size_t WriteAll(int fd, const uint8_t* data, size_t size);
// Waits until the file's bytes are on the disk.
bool SyncFile(int fd);
bool CloseFile(int fd);

// True when fd reads a regular file.
bool IsRegularFile(int fd);
// The size in bytes of the regular file fd reads; -1 for anything else (a
// pipe, a device) or when the system does not tell.
int64_t SizeOf(int fd);
// True when the path names the file that fd reads or writes.
bool NamesFileOf(const std::string& utf8Path, int fd);
// What a path names, its links followed; kNone also where the system cannot
// tell (a window asks before it replaces a file, and opens its pickers in
// folders that exist).
enum class PathKind {
  kNone,
  kFile,  // a regular file
  kFolder,
  kOther,  // a pipe, a device, a socket
};
PathKind KindOfPath(const std::string& utf8Path);
// Makes the folder unless it is there; true when a folder is there after.
bool MakeFolder(const std::string& utf8Path);
// Where a path's file name begins: after its last folder separator.
size_t FileNameStart(const std::string& utf8Path);

// Which file an open descriptor reads or writes: its device and inode, or on
// Windows its volume serial and 128-bit file id.
struct FileId {
  uint64_t device = 0;
  uint64_t high = 0;
  uint64_t low = 0;
  bool known = false;  // false: the system told nothing, and the id equals none
  bool operator==(const FileId& other) const {
    return known && other.known && device == other.device && high == other.high && low == other.low;
  }
};
FileId IdOf(int fd);

// A folder held open, so that the files a run makes, checks and replaces in
// it stay in that folder whatever becomes of the path that led there.
class Folder {
 public:
  Folder() = default;
  ~Folder();
  Folder(Folder&& other) noexcept { *this = std::move(other); }
  Folder& operator=(Folder&& other) noexcept {
    std::swap(handle_, other.handle_);
    std::swap(path_, other.path_);
    return *this;
  }
  Folder(const Folder&) = delete;
  Folder& operator=(const Folder&) = delete;

  bool IsOpen() const { return handle_ != kClosed; }
  // The folder's path, for the system calls that take one (Windows).
  const std::string& Path() const { return path_; }

 private:
  friend struct FolderAccess;
  static constexpr intptr_t kClosed = -1;
  intptr_t handle_ = kClosed;  // a descriptor, or on Windows a folder handle
  std::string path_;
};

// Where an output path leads. A path that names a descriptor of this process
// (/dev/stdout, /dev/fd/N, /proc/self/fd/N) leads to that descriptor, which is
// written as it stands: never reopened, never cut. Any other path leads to a
// name in a folder: its symbolic links followed to the file they finally name
// (a link as the output stays a link), the folder opened one component at a
// time without following links, so that a component swapped for a link is
// refused rather than followed.
struct OutputPlace {
  int descriptor = kNoFile;  // not owned
  Folder folder;
  std::string name;  // the file's name in folder
};
// False with LastFailure() on failure: kTooManyLinks for a path the system
// cannot resolve (a loop of links, more links or a longer path than it
// follows), kFolderMissing for a folder that does not exist.
bool PlaceOfOutput(const std::string& utf8Path, OutputPlace& place);

// What stands at a name in a folder, the name itself (a link is not followed).
struct NameFacts {
  // kOther: a device, a FIFO. kUnknown: the system did not tell (LastFailure
  // says why); nothing stands there only when it is kMissing.
  enum class Kind { kMissing, kRegular, kFolder, kLink, kOther, kUnknown };
  Kind kind = Kind::kMissing;
  bool linkedMore = false;  // a regular file of more than one hard link
  bool writable = false;    // the user may open it for writing
  bool writeBits = false;   // any write permission bit set; on Windows no read-only attribute
  FileId id;
};
NameFacts FactsAt(const Folder& folder, const std::string& name);
// The same for the file a descriptor reads or writes; writable tells whether
// it was opened for writing.
NameFacts FactsOfDescriptor(int fd);

// The path of a name in a folder, for messages.
std::string PathInFolder(const Folder& folder, const std::string& name);

// Makes a file that must not exist yet, for reading and writing, readable and writable
// by its owner alone (mode 0600; on Windows a security descriptor of the
// owner alone). kNoFile on failure, AlreadyExists() telling a collision.
// When armed (see TakeStopRemoval), the new file is the one removed on a
// stop, with no stop coming between the two.
int CreatePrivate(const Folder& folder, const std::string& name, bool armed);
bool AlreadyExists();
// Makes a private file in the system's folder for temporary files, for
// reading and writing, gone once it is closed (or the process ends).
int CreateScratch();
// Gives the file fd writes what the file at name has beyond its bytes: owner
// and group where the user may, permission bits, access control list and
// extended attributes (on Windows, its security descriptor and attributes).
// False when the permission bits (on Windows the security descriptor) could
// not be given: the output would change what it lets others do.
bool CopyAccess(const Folder& folder, const std::string& name, int fd);
// Gives a private file what a new file made in the folder would have: on
// POSIX systems mode 0666 less the umask, or after the folder's default
// access control list; on Windows the entries the folder passes on. False
// when they could not be given.
bool GiveNewFileAccess(const Folder& folder, int fd);

// Opens the existing file at name for writing (and reading, when asked),
// from its start, without cutting it and without following a link; a FIFO
// opened for writing alone waits for its reader.
int OpenExisting(const Folder& folder, const std::string& name, bool forReading = false);
// Reading back from the start of a file written through fd.
bool Rewind(int fd);
// Makes room for length bytes up front where the file system can, without
// changing the file's size; false only when the system says there is no room.
bool Reserve(int fd, int64_t length);
bool CutTo(int fd, int64_t length);
// Waits until no other process holds the file fd writes, then holds it until
// fd is closed (an advisory lock: flock, LockFileEx).
bool LockExclusive(int fd);

// The names in folder that begin with prefix, in no order; none where the
// folder cannot be read.
std::vector<std::string> NamesStartingWith(const Folder& folder, const std::string& prefix);
// Marks a run's new file as in use while fd stays open: an advisory lock on
// POSIX systems (flock); on Windows the file's open handle, which lets others
// share it for reading only, marks it already.
void HoldAsInUse(int fd);
// Whether a run holds the file at name (see HoldAsInUse); true too where the
// system does not tell.
bool HeldByARun(const Folder& folder, const std::string& name);

// Puts the file at from in the place of the file at to, both in folder, in
// one step: a reader sees the old file or the new one, never a mix. Refused
// (kIsInput) when what stands at to is the input, checked just before and,
// where the system can exchange two names, again after the exchange, which
// is then undone. The old file is gone when this returns, and the folder has
// been synced, so that the new name is on the disk too: a file system that
// refuses to sync a folder (some network ones) leaves that to its own time,
// and it is no failure.
bool Replace(const Folder& folder, const std::string& from, const std::string& to,
             const FileId& input);
// Removes the file at name. True when it is gone (or was never there).
bool RemoveAt(const Folder& folder, const std::string& name);

// Removal of a new file when the process is stopped: by SIGINT, SIGTERM or
// SIGHUP, or on Windows by Ctrl+C, Ctrl+Break or closing the console. One
// file of the process at a time: TakeStopRemoval() is false while another
// run holds it (a signal the process ignores stays ignored).
bool TakeStopRemoval();
// Gives the stops back their earlier handling.
void ReleaseStopRemoval();
// Makes a file-size limit (SIGXFSZ) a failed write with its reason, not the
// end of the process.
void IgnoreFileSizeLimitSignal();

}  // namespace fileio
