#include "output_file.h"

#include <random>

#include "file_io.h"

namespace {

constexpr int kNameTries = 100;

std::string RandomSuffix(std::mt19937& random) {
  static constexpr char kLetters[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  std::uniform_int_distribution<size_t> pick(0, sizeof kLetters - 2);
  std::string suffix(6, 'X');
  for (char& letter : suffix) letter = kLetters[pick(random)];
  return suffix;
}

// ".NAME.morvex-XXXXXX" in the folder of target.
std::string NewFilePathBeside(const std::string& target, std::mt19937& random) {
  const size_t nameStart = fileio::FileNameStart(target);
  return target.substr(0, nameStart) + "." + target.substr(nameStart) + ".morvex-" +
         RandomSuffix(random);
}

}  // namespace

OutputFile::~OutputFile() {
  Discard();
}

bool OutputFile::Open(const std::string& utf8OutputPath) {
  outputPath_ = utf8OutputPath;
  const fileio::LinkTarget target = fileio::FollowLinks(utf8OutputPath);
  targetPath_ = target.path;
  const fileio::PathFacts facts = fileio::FactsOf(targetPath_);
  // Replacing a device or a FIFO would take it away; replacing a file of
  // several hard links would cut the links; a file open as standard output
  // is written through its descriptor.
  const bool inPlaceOnly =
      facts.exists && (!facts.regular || facts.linkedMore || target.descriptor);
  if (!inPlaceOnly && OpenNewFileBeside(targetPath_)) {
    if (facts.exists) fileio::CopyModeAndOwner(targetPath_, fd_);
    return true;
  }
  if (facts.exists && (inPlaceOnly || facts.writable)) {
    // Why it could not be opened in place tells more than why no file could
    // be made beside it.
    failure_ = fileio::Failure::kNone;
    fd_ = fileio::OpenForWriting(utf8OutputPath);
    if (fd_ == fileio::kNoFile) NoteFailure();
  }
  if (fd_ == fileio::kNoFile && failure_ == fileio::Failure::kNone) {
    failure_ = fileio::Failure::kOther;
  }
  return fd_ != fileio::kNoFile;
}

bool OutputFile::OpenNewFileBeside(const std::string& target) {
  std::mt19937 random(std::random_device{}());
  armed_ = fileio::TakeStopRemoval();
  for (int i = 0; i < kNameTries; ++i) {
    const std::string path = NewFilePathBeside(target, random);
    fd_ = fileio::CreateNewRemovedOnStop(path, armed_);
    if (fd_ != fileio::kNoFile) {
      newPath_ = path;
      writesNewFile_ = true;
      return true;
    }
    if (!fileio::AlreadyExists()) {
      NoteFailure();
      break;
    }
  }
  Disarm();
  return false;
}

void OutputFile::NoteFailure() {
  if (failure_ == fileio::Failure::kNone) failure_ = fileio::LastFailure();
}

void OutputFile::Disarm() {
  if (armed_) fileio::ReleaseStopRemoval();
  armed_ = false;
}

bool OutputFile::Close() {
  if (fd_ == fileio::kNoFile) return true;
  const bool closed = fileio::CloseFile(fd_);
  if (!closed) NoteFailure();
  fd_ = fileio::kNoFile;
  return closed;
}

bool OutputFile::Complete() {
  if (newPath_.empty()) return Close();
  const bool synced = fileio::SyncFile(fd_);
  if (!synced) NoteFailure();
  const bool closed = Close() && synced;
  if (!closed || !fileio::MoveIntoPlace(newPath_, targetPath_)) {
    if (closed) NoteFailure();
    Discard();
    return false;
  }
  newPath_.clear();
  Disarm();
  return true;
}

bool OutputFile::Discard() {
  Close();
  bool removed = true;
  if (!newPath_.empty()) {
    removed = fileio::RemoveFile(newPath_);
    if (!removed) leftPath_ = newPath_;
    newPath_.clear();
  }
  Disarm();
  return removed;
}
