#include "output_file.h"

#include <atomic>
#include <climits>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <random>
#include <system_error>

#include "file_guard.h"
#include "file_io.h"

#ifndef _WIN32
#include <pthread.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

constexpr int kMostLinksFollowed = 40;
constexpr int kNameTries = 100;

// The new file's path for the signal handler, which may only make
// async-signal-safe calls. One run at a time in a process has its file
// removed on a signal; a run alongside it in another thread keeps the rest
// of the behaviour.
char gNewFilePath[PATH_MAX];
volatile std::sig_atomic_t gNewFileArmed = 0;

#ifndef _WIN32
constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};
struct sigaction gSavedActions[3];
std::atomic_flag gHandlerTaken = ATOMIC_FLAG_INIT;

extern "C" void RemoveNewFileAndStop(int signal) {
  if (gNewFileArmed != 0) ::unlink(gNewFilePath);
  // SA_RESETHAND put back the default action: the signal ends the process
  // once the handler returns.
  ::raise(signal);
}

// Takes the handler for this run, when no other run of the process has it.
// A signal the process ignores (a run under nohup) stays ignored.
bool InstallStopHandlers() {
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

void RestoreStopHandlers() {
  gNewFileArmed = 0;
  for (int i = 0; i < 3; ++i) sigaction(kStopSignals[i], &gSavedActions[i], nullptr);
  gHandlerTaken.clear();
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
#else
bool InstallStopHandlers() {
  return false;
}
void RestoreStopHandlers() {}
struct StopSignalsHeld {};
#endif

struct LinkTarget {
  std::string path;         // the file finally written
  bool descriptor = false;  // reached through /proc (/dev/stdout): a descriptor, not a file
};

// The path with its symbolic links followed.
LinkTarget FollowLinks(const std::string& utf8Path) {
  fs::path path = PathFromUtf8(utf8Path);
  LinkTarget target;
  std::error_code error;
  for (int i = 0; i < kMostLinksFollowed && fs::is_symlink(path, error); ++i) {
    target.descriptor = target.descriptor || path.string().rfind("/proc/", 0) == 0;
    const fs::path next = fs::read_symlink(path, error);
    if (error) break;
    path = next.is_absolute() ? next : path.parent_path() / next;
  }
  const std::u8string text = path.u8string();
  target.path.assign(text.begin(), text.end());
  return target;
}

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
  const fs::path path = PathFromUtf8(target);
  const std::u8string name = u8"." + path.filename().u8string() + u8".morvex-";
  const std::u8string beside = (path.parent_path() / name).u8string();
  return std::string(beside.begin(), beside.end()) + RandomSuffix(random);
}

}  // namespace

OutputFile::~OutputFile() {
  Discard();
}

bool OutputFile::Open(const std::string& utf8OutputPath) {
  outputPath_ = utf8OutputPath;
  const LinkTarget target = FollowLinks(utf8OutputPath);
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
    fd_ = fileio::OpenForWriting(utf8OutputPath);
  }
  return fd_ != fileio::kNoFile;
}

bool OutputFile::OpenNewFileBeside(const std::string& target) {
  std::mt19937 random(std::random_device{}());
  armed_ = InstallStopHandlers();
  for (int i = 0; i < kNameTries; ++i) {
    const std::string path = NewFilePathBeside(target, random);
    StopSignalsHeld held;
    fd_ = fileio::CreateNew(path);
    if (fd_ != fileio::kNoFile) {
      newPath_ = path;
      writesNewFile_ = true;
      if (armed_ && path.size() < sizeof gNewFilePath) {
        std::memcpy(gNewFilePath, path.c_str(), path.size() + 1);
        gNewFileArmed = 1;
      }
      return true;
    }
    if (!fileio::AlreadyExists()) break;
  }
  Disarm();
  return false;
}

void OutputFile::Disarm() {
  if (armed_) RestoreStopHandlers();
  armed_ = false;
}

bool OutputFile::Close() {
  if (fd_ == fileio::kNoFile) return true;
  const bool closed = fileio::CloseFile(fd_);
  fd_ = fileio::kNoFile;
  return closed;
}

// The one step that puts the new file in the output's place; a port to
// another system gives fileio::ReplaceFile its own call.
bool OutputFile::Complete() {
  if (newPath_.empty()) return Close();
  const bool synced = fileio::SyncFile(fd_);
  const bool closed = Close() && synced;
  if (!closed || !fileio::ReplaceFile(newPath_, targetPath_)) {
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
