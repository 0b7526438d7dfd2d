// The output file of a conversion run. Where it can, the run writes a new
// private file beside the output (".NAME.morvex-XXXXXX") and puts it in the
// output's place only when the run has completed, so that a run that fails or
// is stopped leaves the output as it was. Outputs that cannot be replaced
// lose nothing either: a file of several hard links, or a writable file in a
// folder where no file can be made, is converted into a file of the run's own
// and copied into the output once the run has completed (its old bytes kept
// aside until the copy is on the disk); a device, a FIFO or
// a descriptor (/dev/stdout) is written as the conversion goes, from the
// moment the input's header has been accepted. Every way checks the file it
// finally writes against the open input.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "file_io.h"

class OutputFile {
 public:
  OutputFile() = default;
  // Closes the file; a new file not yet in the output's place is removed.
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Finds where the output path leads and refuses it when it is the input
  // or a read-only file. A path that leads nowhere is told by Open.
  bool Check(const std::string& utf8OutputPath, const fileio::FileId& input);
  // The new files that runs into the same output left and no run holds any
  // more (a run killed, a machine that went down), as paths; after Check.
  // Removes none: they may hold what their runs had written.
  std::vector<std::string> LeftByEarlierRuns() const;
  // Makes the file the run writes; false when neither way can be taken. The
  // new file is held as in use until it is closed.
  bool Open();
  // kNoFile while a device waits for OpenLate.
  int Descriptor() const { return fd_; }
  // Devices and FIFOs are opened, and descriptors written, once the input's
  // header has been accepted.
  bool OpensLate() const {
    return (way_ == Way::kDevice || way_ == Way::kDescriptor) && fd_ == fileio::kNoFile;
  }
  bool OpenLate();
  // True while no byte has reached the output itself.
  bool OutputUntouched() const { return !touched_; }

  // Puts the written bytes in the output: the new file is synced, closed and
  // put in the output's place, or copied into the output; a device is
  // closed. False on any failure, the new file then being removed.
  bool Complete();
  // Closes the file and removes the new one. False when it could not be
  // removed: LeftPath() names it.
  bool Discard();
  const std::string& LeftPath() const { return leftPath_; }
  // Why Check, Open or Complete failed: the system's word on the first
  // failed call.
  fileio::Failure WhyFailed() const { return failure_; }

 private:
  enum class Way {
    kNewFile,     // a new file beside, put in the output's place
    kCopiedIn,    // a file of our own, copied into the output
    kDevice,      // the output itself, opened late
    kDescriptor,  // a descriptor of this process, written as it stands
  };
  bool OpenNewFileBeside();
  bool OpenCopiedIn();
  bool CompleteNewFile();
  bool CompleteCopiedIn();
  bool MayCopyInto(int output);
  bool Close();
  // Gives the stop signals back their earlier handlers.
  void Disarm();
  // Keeps the failure of the call that just failed, unless one came before.
  void NoteFailure();
  bool Fail(fileio::Failure failure);

  fileio::OutputPlace place_;
  fileio::Failure placeFailure_ = fileio::Failure::kNone;  // the path leads nowhere
  fileio::NameFacts facts_;
  fileio::FileId input_;
  Way way_ = Way::kNewFile;
  int fd_ = fileio::kNoFile;
  std::string newName_;  // in place_.folder; empty when there is none
  std::string leftPath_;
  bool touched_ = false;
  bool armed_ = false;  // the new file is removed when the process is stopped
  fileio::Failure failure_ = fileio::Failure::kNone;
};
