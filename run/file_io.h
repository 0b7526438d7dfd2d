// The file calls a conversion run makes, each a small function over a file
// descriptor so that a port to another system replaces this file only. Every
// call retries when a signal interrupts it; reads and writes go on after a
// short transfer until they are done.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace fileio {

constexpr int kNoFile = -1;

// Opens an existing file for reading; kNoFile on failure. Refuses directories.
int OpenForReading(const std::string& utf8Path);
// Opens a file for writing from its start, creating it (0666 less the umask)
// when it does not exist; kNoFile on failure.
int OpenForWriting(const std::string& utf8Path);
// Creates a file that must not exist yet (O_CREAT | O_EXCL), 0666 less the
// umask; kNoFile on failure, with AlreadyExists() telling a name collision.
int CreateNew(const std::string& utf8Path);
bool AlreadyExists();

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
// utf8Path, and its owner and group where the user may.
void CopyModeAndOwner(const std::string& utf8Path, int fd);
// Puts from in the place of to, in one step: a reader sees the old file or
// the new one, never a mix.
bool ReplaceFile(const std::string& utf8From, const std::string& utf8To);
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

}  // namespace fileio
