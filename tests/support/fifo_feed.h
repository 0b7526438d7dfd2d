// A FIFO as a run's input, fed by hand: the run goes on for as long as the
// writer holds it open, reading what is written when it is written. The FIFO
// is made with the object and removed with it. POSIX.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <string_view>
#include <utility>

class FifoFeed {
 public:
  explicit FifoFeed(std::string path) : m_path(std::move(path)) {
    m_made = mkfifo(m_path.c_str(), 0600) == 0;
  }
  ~FifoFeed() {
    Close();
    if (m_made) unlink(m_path.c_str());
  }
  FifoFeed(const FifoFeed&) = delete;
  FifoFeed& operator=(const FifoFeed&) = delete;

  bool Made() const { return m_made; }
  const std::string& Path() const { return m_path; }
  // Opens the writing end; false (at once, not waiting) until a reader has
  // opened the other.
  bool Open() {
    if (m_fd < 0) m_fd = open(m_path.c_str(), O_WRONLY | O_NONBLOCK);
    return m_fd >= 0;
  }
  // At most what the FIFO holds unread (64 KiB on Linux): the writer never waits.
  bool Write(std::string_view bytes) {
    return m_fd >= 0 &&
           write(m_fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
  }
  // The reader comes to the input's end.
  void Close() {
    if (m_fd >= 0) close(m_fd);
    m_fd = -1;
  }

 private:
  std::string m_path;
  bool m_made = false;
  int m_fd = -1;
};
