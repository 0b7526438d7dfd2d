#include "process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

extern char** environ;

namespace runtest {

namespace {

// A temporary file that takes one output stream; read back and removed.
class Capture {
 public:
  Capture() {
    path_ = (std::filesystem::temp_directory_path() / "morvex-capture-XXXXXX").string();
    fd_ = mkstemp(path_.data());
    if (fd_ < 0) throw std::runtime_error("mkstemp failed");
  }
  ~Capture() {
    close(fd_);
    unlink(path_.c_str());
  }
  Capture(const Capture&) = delete;
  Capture& operator=(const Capture&) = delete;

  int Fd() const { return fd_; }
  std::string Contents() const {
    std::string out;
    char buffer[8192];
    off_t offset = 0;
    for (;;) {
      const ssize_t got = pread(fd_, buffer, sizeof buffer, offset);
      if (got <= 0) break;
      out.append(buffer, static_cast<size_t>(got));
      offset += got;
    }
    return out;
  }

 private:
  std::string path_;
  int fd_ = -1;
};

}  // namespace

ProcessResult RunProgram(const std::vector<std::string>& argv, bool mergeOutput) {
  Capture out;
  Capture err;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, out.Fd(), STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, mergeOutput ? out.Fd() : err.Fd(), STDERR_FILENO);

  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);

  pid_t pid = 0;
  const int spawned = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ProcessResult result;
  if (spawned != 0) {
    result.err = "cannot start " + argv[0];
    return result;
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) throw std::runtime_error("waitpid failed");
  }
  if (WIFEXITED(status)) result.exitStatus = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
  result.out = out.Contents();
  result.err = err.Contents();
  return result;
}

ProcessResult RunOnTerminal(const std::vector<std::string>& argv, const std::string& outputFile) {
  ProcessResult result;
  const int terminal = posix_openpt(O_RDWR | O_NOCTTY);
  if (terminal < 0 || grantpt(terminal) != 0 || unlockpt(terminal) != 0) {
    throw std::runtime_error("no pseudo-terminal");
  }
  const std::string side = ptsname(terminal);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, side.c_str(), O_RDWR | O_NOCTTY, 0);
  if (outputFile.empty()) {
    posix_spawn_file_actions_adddup2(&actions, STDERR_FILENO, STDOUT_FILENO);
  } else {
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outputFile.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
  }
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) {
    close(terminal);
    result.err = "cannot start " + argv[0];
    return result;
  }
  // Read as it comes, so that the program never waits on a full terminal;
  // the read fails once its side is closed.
  char buffer[4096];
  for (;;) {
    const ssize_t got = read(terminal, buffer, sizeof buffer);
    if (got > 0) {
      result.err.append(buffer, static_cast<size_t>(got));
    } else if (got == 0 || errno != EINTR) {
      break;
    }
  }
  close(terminal);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) throw std::runtime_error("waitpid failed");
  }
  if (WIFEXITED(status)) result.exitStatus = WEXITSTATUS(status);
  return result;
}

bool HaveProgram(const std::string& name) {
  const char* path = std::getenv("PATH");
  if (path == nullptr) return false;
  const std::string all = path;
  size_t start = 0;
  while (start <= all.size()) {
    size_t end = all.find(':', start);
    if (end == std::string::npos) end = all.size();
    const std::string folder = all.substr(start, end - start);
    const std::string candidate = (folder.empty() ? std::string(".") : folder) + "/" + name;
    if (access(candidate.c_str(), X_OK) == 0) return true;
    start = end + 1;
  }
  return false;
}

}  // namespace runtest
