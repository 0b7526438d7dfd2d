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
  kOther,             // any other refusal of the system
};
Failure LastFailure();

// Opens an existing file for reading; kNoFile on failure. Refuses folders.
int OpenForReading(const std::string& utf8Path);
// Opens a file for writing from its start, creating it when it does not
// exist; kNoFile on failure.
int OpenForWriting(const std::string& utf8Path);
// Creates a file that must not exist yet; kNoFile on failure, with
// AlreadyExists() telling a name collision.
int CreateNew(const std::string& utf8Path);
bool AlreadyExists();
// The calls that follow record a failure too: ReadSome, WriteAll, SyncFile,
// CloseFile and MoveIntoPlace.

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

// Gives the file that fd writes the permission bits of the file at
// utf8Path, and its owner and group where the user may. (On Windows the
// replace below keeps the replaced file's attributes itself.)
void CopyModeAndOwner(const std::string& utf8Path, int fd);
// Puts from in the place of to, in one step: a reader sees the old file or
// the new one, never a mix. The move is on the disk when this returns.
bool MoveIntoPlace(const std::string& utf8From, const std::string& utf8To);
bool RemoveFile(const std::string& utf8Path);

// What the output path holds.
struct PathFacts {
  bool exists = false;
  bool regular = false;     // a regular file (not a device, a FIFO or a folder)
  bool linkedMore = false;  // a regular file with more than one hard link
  bool writable = false;    // the user may open it for writing
};
PathFacts FactsOf(const std::string& utf8Path);
// True when fd reads a regular file.
bool IsRegularFile(int fd);
// The size in bytes of the regular file fd reads; -1 for anything else (a
// pipe, a device) or when the system does not tell.
int64_t SizeOf(int fd);

// True when both paths name one existing file, whatever the spelling: links,
// relative paths and, on Windows, case, drive letters and short names.
bool IsSameFile(const std::string& utf8PathA, const std::string& utf8PathB);
// True when the path names the file that fd reads or writes.
bool NamesFileOf(const std::string& utf8Path, int fd);
// True when the path names an existing file that may not be written: no
// write permission bits, or on Windows the read-only attribute.
bool IsExistingReadOnlyFile(const std::string& utf8Path);

// The file a path finally names, its symbolic links followed.
struct LinkTarget {
  std::string path;
  bool descriptor = false;  // a descriptor reached through /proc (/dev/stdout), not a file
};
LinkTarget FollowLinks(const std::string& utf8Path);
// Where a path's file name begins: after its last folder separator.
size_t FileNameStart(const std::string& utf8Path);

// Removal of a new file when the process is stopped: by SIGINT, SIGTERM or
// SIGHUP, or on Windows by Ctrl+C, Ctrl+Break or closing the console. One
// file of the process at a time: TakeStopRemoval() is false while another
// run holds it (a signal the process ignores stays ignored).
bool TakeStopRemoval();
// CreateNew, and when armed the new file is the one removed on a stop, with
// no stop coming between the two.
int CreateNewRemovedOnStop(const std::string& utf8Path, bool armed);
// Gives the stops back their earlier handling.
void ReleaseStopRemoval();

}  // namespace fileio
