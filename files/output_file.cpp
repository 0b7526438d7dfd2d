#include "output_file.h"

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "file_io.h"

namespace {

constexpr int kNameTries = 100;
// The longest file name most file systems take, in bytes.
constexpr size_t kLongestName = 255;
constexpr char kNewFileMark[] = ".morvex-";
constexpr size_t kSuffixLength = 6;
constexpr size_t kCopyBlock = size_t{1} << 20;

std::string RandomSuffix(std::mt19937& random) {
  static constexpr char kLetters[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  std::uniform_int_distribution<size_t> pick(0, sizeof kLetters - 2);
  std::string suffix(kSuffixLength, 'X');
  for (char& letter : suffix) letter = kLetters[pick(random)];
  return suffix;
}

bool IsUtf8Continuation(char byte) {
  return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

// ".NAME.morvex-XXXXXX". A name too long for that keeps its start, cut
// between characters and marked with "~", so the new file still shows
// which output it belongs to.
std::string NewFilePrefix(const std::string& name) {
  const size_t added = 1 + (sizeof kNewFileMark - 1) + kSuffixLength;
  std::string kept = name;
  if (kept.size() + added > kLongestName) {
    size_t cut = kLongestName - added - 1;
    while (cut > 0 && IsUtf8Continuation(kept[cut])) --cut;
    kept = kept.substr(0, cut) + "~";
  }
  return "." + kept + kNewFileMark;
}

std::string NewFileName(const std::string& name, std::mt19937& random) {
  return NewFilePrefix(name) + RandomSuffix(random);
}

// A folder where no file can be made, though a file in it may be written.
bool IsLockedFolder(fileio::Failure failure) {
  return failure == fileio::Failure::kPermissionDenied || failure == fileio::Failure::kReadOnly;
}

}  // namespace

OutputFile::~OutputFile() {
  Discard();
}

bool OutputFile::Fail(fileio::Failure failure) {
  if (failure_ == fileio::Failure::kNone) failure_ = failure;
  return false;
}

void OutputFile::NoteFailure() {
  Fail(fileio::LastFailure());
}

bool OutputFile::Check(const std::string& utf8OutputPath, const fileio::FileId& input) {
  input_ = input;
  if (!fileio::PlaceOfOutput(utf8OutputPath, place_)) {
    placeFailure_ = fileio::LastFailure();
    return true;
  }
  facts_ = place_.descriptor != fileio::kNoFile ? fileio::FactsOfDescriptor(place_.descriptor)
                                                : fileio::FactsAt(place_.folder, place_.name);
  // What the system would not tell cannot be checked against the input.
  if (facts_.kind == fileio::NameFacts::Kind::kUnknown) return Fail(fileio::LastFailure());
  if (facts_.id == input_) return Fail(fileio::Failure::kIsInput);
  // Write permission does not stop every user (root) from writing a file:
  // a read-only output is refused by its bits.
  if (facts_.kind == fileio::NameFacts::Kind::kRegular && !facts_.writeBits) {
    return Fail(fileio::Failure::kReadOnly);
  }
  return true;
}

bool OutputFile::Open() {
  using Kind = fileio::NameFacts::Kind;
  if (placeFailure_ != fileio::Failure::kNone) return Fail(placeFailure_);
  if (place_.descriptor != fileio::kNoFile) {
    way_ = Way::kDescriptor;
    return facts_.writable || Fail(fileio::Failure::kPermissionDenied);
  }
  switch (facts_.kind) {
    case Kind::kFolder:
      return Fail(fileio::Failure::kIsFolder);
    case Kind::kOther:
      // Replacing a device or a FIFO would take it away.
      way_ = Way::kDevice;
      return true;
    case Kind::kRegular:
      // Replacing a file of several hard links would cut the links.
      if (facts_.linkedMore) return OpenCopiedIn();
      break;
    case Kind::kMissing:
    case Kind::kLink:
    case Kind::kUnknown:
      break;
  }
  if (OpenNewFileBeside()) return true;
  if (facts_.kind == Kind::kRegular && facts_.writable && IsLockedFolder(failure_)) {
    failure_ = fileio::Failure::kNone;
    return OpenCopiedIn();
  }
  return false;
}

std::vector<std::string> OutputFile::LeftByEarlierRuns() const {
  std::vector<std::string> left;
  if (way_ != Way::kNewFile && way_ != Way::kCopiedIn) return left;
  const std::string prefix = NewFilePrefix(place_.name);
  std::vector<std::string> names = fileio::NamesStartingWith(place_.folder, prefix);
  std::sort(names.begin(), names.end());
  for (const std::string& name : names) {
    if (name.size() == prefix.size() + kSuffixLength && name != newName_ &&
        !fileio::HeldByARun(place_.folder, name)) {
      left.push_back(fileio::PathInFolder(place_.folder, name));
    }
  }
  return left;
}

bool OutputFile::OpenNewFileBeside() {
  std::mt19937 random(std::random_device{}());
  armed_ = fileio::TakeStopRemoval();
  for (int i = 0; i < kNameTries; ++i) {
    std::string name = NewFileName(place_.name, random);
    fd_ = fileio::CreatePrivate(place_.folder, name, armed_);
    if (fd_ != fileio::kNoFile) {
      newName_ = std::move(name);  // no allocation between the file and its removal
      fileio::HoldAsInUse(fd_);
      // Checked again now that the new file stands beside the output.
      if (fileio::FactsAt(place_.folder, place_.name).id == input_) {
        Discard();
        return Fail(fileio::Failure::kIsInput);
      }
      // The old output's owner, mode and access list before any byte.
      if (way_ == Way::kNewFile && facts_.kind == fileio::NameFacts::Kind::kRegular &&
          !fileio::CopyAccess(place_.folder, place_.name, fd_)) {
        NoteFailure();
        Discard();
        return false;
      }
      return true;
    }
    if (!fileio::AlreadyExists()) break;
  }
  NoteFailure();
  Disarm();
  return false;
}

// A file of the run's own: beside the output where a file can be made there,
// else in the system's folder for temporary files.
bool OutputFile::OpenCopiedIn() {
  way_ = Way::kCopiedIn;
  if (OpenNewFileBeside()) return true;
  if (!IsLockedFolder(failure_)) return false;
  failure_ = fileio::Failure::kNone;
  fd_ = fileio::CreateScratch();
  if (fd_ == fileio::kNoFile) NoteFailure();
  return fd_ != fileio::kNoFile;
}

bool OutputFile::OpenLate() {
  touched_ = true;
  if (way_ == Way::kDescriptor) {
    fd_ = place_.descriptor;
    return true;
  }
  fd_ = fileio::OpenExisting(place_.folder, place_.name);
  if (fd_ == fileio::kNoFile) {
    touched_ = false;
    NoteFailure();
    return false;
  }
  return true;
}

void OutputFile::Disarm() {
  if (armed_) fileio::ReleaseStopRemoval();
  armed_ = false;
}

bool OutputFile::Close() {
  if (fd_ == fileio::kNoFile) return true;
  // A descriptor of the process is not the run's to close.
  const bool closed = way_ == Way::kDescriptor || fileio::CloseFile(fd_);
  if (!closed) NoteFailure();
  fd_ = fileio::kNoFile;
  return closed;
}

bool OutputFile::Complete() {
  switch (way_) {
    case Way::kNewFile:
      return CompleteNewFile();
    case Way::kCopiedIn:
      return CompleteCopiedIn();
    case Way::kDevice:
    case Way::kDescriptor:
      break;
  }
  return Close();
}

bool OutputFile::CompleteNewFile() {
  bool synced = fileio::SyncFile(fd_);
  if (synced && facts_.kind == fileio::NameFacts::Kind::kMissing) {
    synced = fileio::GiveNewFileAccess(place_.folder, fd_);
  }
  if (!synced) NoteFailure();
  const bool closed = Close() && synced;
  if (!closed || !fileio::Replace(place_.folder, newName_, place_.name, input_)) {
    if (closed) NoteFailure();
    Discard();
    return false;
  }
  newName_.clear();
  Disarm();
  return true;
}

namespace {

// Writes the first length bytes of from over to, from their starts, and cuts
// to there; to is on the disk when this returns true.
bool CopyWhole(int from, int to, int64_t length) {
  if (!fileio::Rewind(from) || !fileio::Rewind(to)) return false;
  const std::unique_ptr<uint8_t[]> block(new uint8_t[kCopyBlock]);
  for (int64_t copied = 0; copied < length;) {
    const int64_t got = fileio::ReadSome(from, block.get(), kCopyBlock);
    if (got <= 0) return false;
    const size_t size = static_cast<size_t>(got);
    if (fileio::WriteAll(to, block.get(), size) != size) return false;
    copied += got;
  }
  return fileio::CutTo(to, length) && fileio::SyncFile(to);
}

}  // namespace

// Held against other runs while it is written; the name may have come to
// name the input since the check.
bool OutputFile::MayCopyInto(int output) {
  fileio::LockExclusive(output);
  const fileio::NameFacts written = fileio::FactsOfDescriptor(output);
  if (written.kind == fileio::NameFacts::Kind::kUnknown) return Fail(fileio::LastFailure());
  if (written.id == input_) return Fail(fileio::Failure::kIsInput);
  return true;
}

// The output is opened only now that the whole conversion is at hand. Its
// old bytes are kept aside first, and written back when the copy fails, so
// that a failed run leaves it as it was.
bool OutputFile::CompleteCopiedIn() {
  const int64_t length = fileio::SizeOf(fd_);
  const int output = fileio::OpenExisting(place_.folder, place_.name, true);
  bool done = output != fileio::kNoFile && length >= 0 && MayCopyInto(output);
  int backup = fileio::kNoFile;
  int64_t oldLength = -1;
  if (done) {
    oldLength = fileio::SizeOf(output);
    backup = fileio::CreateScratch();
    done = oldLength >= 0 && backup != fileio::kNoFile && CopyWhole(output, backup, oldLength) &&
           fileio::Reserve(output, length);
  }
  if (done) {
    touched_ = true;
    done = CopyWhole(fd_, output, length);
  }
  if (!done) {
    NoteFailure();
    if (touched_) touched_ = !CopyWhole(backup, output, oldLength);
  }
  if (backup != fileio::kNoFile) fileio::CloseFile(backup);
  // Its bytes are on the disk by now: a failed close loses nothing.
  if (output != fileio::kNoFile) fileio::CloseFile(output);
  // A file of our own that could not be removed is named; the output is done.
  Discard();
  return done;
}

bool OutputFile::Discard() {
  Close();
  bool removed = true;
  if (!newName_.empty()) {
    removed = fileio::RemoveAt(place_.folder, newName_);
    if (!removed) leftPath_ = fileio::PathInFolder(place_.folder, newName_);
    newName_.clear();
  }
  Disarm();
  return removed;
}
