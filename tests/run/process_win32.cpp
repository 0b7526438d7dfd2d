// RunProgram on Windows: CreateProcessW with one command line quoted as the C
// runtime splits it, standard input on NUL and the output streams on pipes,
// each read by a thread of its own so that neither fills up while the other
// is read.
#include <windows.h>

#include <stdexcept>
#include <thread>

#include "process.h"
#include "wide_text.h"

namespace runtest {

namespace {

// One argument as the C runtime reads it back: in quotes when it is empty or
// holds a blank or a quote; a quote and the backslashes before it, or before
// the closing quote, escaped.
std::wstring Quoted(const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) return arg;
  std::wstring quoted = L"\"";
  size_t backslashes = 0;
  for (const wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    quoted += c;
    backslashes = 0;
  }
  quoted.append(backslashes * 2, L'\\');
  quoted += L'"';
  return quoted;
}

std::wstring CommandLine(const std::vector<std::string>& argv) {
  std::wstring line;
  for (const std::string& arg : argv) {
    if (!line.empty()) line += L' ';
    line += Quoted(WideFromUtf8(arg));
  }
  return line;
}

class Handle {
 public:
  Handle() = default;
  explicit Handle(HANDLE handle) : handle_(handle) {}
  ~Handle() { Close(); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;

  HANDLE Get() const { return handle_; }
  HANDLE* Out() { return &handle_; }
  void Close() {
    if (handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    handle_ = nullptr;
  }

 private:
  HANDLE handle_ = nullptr;
};

// A pipe whose write end the child inherits.
struct Pipe {
  Pipe() {
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    if (!CreatePipe(read.Out(), write.Out(), &inherited, 0) ||
        !SetHandleInformation(read.Get(), HANDLE_FLAG_INHERIT, 0)) {
      throw std::runtime_error("CreatePipe failed");
    }
  }
  Handle read;
  Handle write;
};

std::string ReadToEnd(HANDLE handle) {
  std::string bytes;
  char buffer[8192];
  DWORD got = 0;
  while (ReadFile(handle, buffer, sizeof buffer, &got, nullptr) && got > 0) {
    bytes.append(buffer, got);
  }
  return bytes;
}

// The first line, as a reader that stops after it sees it.
std::string ReadFirstLine(HANDLE handle) {
  std::string bytes;
  char buffer[512];
  DWORD got = 0;
  while (bytes.find('\n') == std::string::npos &&
         ReadFile(handle, buffer, sizeof buffer, &got, nullptr) && got > 0) {
    bytes.append(buffer, got);
  }
  return bytes.substr(0, bytes.find('\n') + 1);
}

// A file the child inherits: NUL for reading, or an output file from its start.
Handle OpenInherited(const wchar_t* path, bool forWriting) {
  SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
  return Handle(CreateFileW(path, forWriting ? GENERIC_WRITE : GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherited,
                            forWriting ? CREATE_ALWAYS : OPEN_EXISTING, 0, nullptr));
}

}  // namespace

ProcessResult RunProgram(const std::vector<std::string>& argv, bool mergeOutput) {
  StandardStreams streams;
  streams.mergeOutput = mergeOutput;
  return RunProgram(argv, streams);
}

ProcessResult RunProgram(const std::vector<std::string>& argv, const StandardStreams& streams) {
  const Handle nul = OpenInherited(L"NUL", false);
  const Handle outFile = streams.outputFile.empty()
                             ? Handle()
                             : OpenInherited(WideFromUtf8(streams.outputFile).c_str(), true);
  Pipe out;
  Pipe err;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = streams.inputClosed ? nullptr : nul.Get();
  startup.hStdOutput = streams.outputClosed         ? nullptr
                       : streams.outputFile.empty() ? out.write.Get()
                                                    : outFile.Get();
  startup.hStdError = streams.errorClosed   ? nullptr
                      : streams.mergeOutput ? out.write.Get()
                                            : err.write.Get();

  if (streams.outputUnread) out.read.Close();
  std::wstring line = CommandLine(argv);
  PROCESS_INFORMATION started{};
  const bool ok = CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                 &startup, &started);
  // The child holds the write ends now: the reads below end when it does.
  out.write.Close();
  err.write.Close();
  ProcessResult result;
  if (!ok) {
    result.err = "cannot start " + argv[0];
    return result;
  }
  const Handle process(started.hProcess);
  const Handle thread(started.hThread);
  std::thread errReader([&] { result.err = ReadToEnd(err.read.Get()); });
  result.out =
      streams.readFirstLineOnly ? ReadFirstLine(out.read.Get()) : ReadToEnd(out.read.Get());
  out.read.Close();
  errReader.join();
  WaitForSingleObject(process.Get(), INFINITE);
  DWORD code = 0;
  if (GetExitCodeProcess(process.Get(), &code)) result.exitStatus = static_cast<int>(code);
  return result;
}

bool HaveProgram(const std::string& name) {
  wchar_t found[MAX_PATH];
  return SearchPathW(nullptr, WideFromUtf8(name).c_str(), L".exe", MAX_PATH, found, nullptr) != 0;
}

}  // namespace runtest
