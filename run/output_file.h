// The output file of a conversion run. Where it can, the run writes a new
// file beside the output (".NAME.morvex-XXXXXX") and puts it in the output's
// place only when the run has completed, so that a run that fails or is
// stopped leaves the output as it was. Devices, FIFOs, files of several hard
// links and outputs in a folder where no file can be made are written in
// place.
#pragma once

#include <string>

#include "file_io.h"

class OutputFile {
 public:
  OutputFile() = default;
  // Closes the file; a new file not yet in the output's place is removed.
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // False when the output can neither be made beside nor opened in place.
  bool Open(const std::string& utf8OutputPath);
  int Descriptor() const { return fd_; }
  // True when the run writes a new file, not the output itself.
  bool WritesNewFile() const { return writesNewFile_; }

  // Puts the written bytes in the output: the new file is synced, closed and
  // put in the output's place; the output written in place is closed. False
  // on any failure, the new file then being removed.
  bool Complete();
  // Closes the file and removes the new one. False when it could not be
  // removed: LeftPath() names it.
  bool Discard();
  const std::string& LeftPath() const { return leftPath_; }
  // Why Open or Complete failed: the system's word on the first failed call.
  fileio::Failure WhyFailed() const { return failure_; }

 private:
  bool OpenNewFileBeside(const std::string& target);
  bool Close();
  // Gives the stop signals back their earlier handlers.
  void Disarm();
  // Keeps the failure of the call that just failed, unless one came before.
  void NoteFailure();

  int fd_ = -1;
  std::string outputPath_;  // as given
  std::string targetPath_;  // the file finally replaced (links followed)
  std::string newPath_;     // empty when writing in place
  std::string leftPath_;
  bool writesNewFile_ = false;
  bool armed_ = false;  // the new file is removed when the process is stopped
  fileio::Failure failure_ = fileio::Failure::kNone;
};
