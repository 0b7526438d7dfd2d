// Windows only: the security and attributes the run gives the files it makes
// and replaces, and the hold on the output's folder. Read back through the
// system's calls: Wine keeps an access list as the file's mode and enforces
// none, so these check what the files carry, not who may open them.
#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "file_io.h"
#include "gdb_builder.h"
#include "output_file.h"
#include "run_fixture.h"

namespace runtest {
namespace {

std::string SidText(PSID sid) {
  LPSTR text = nullptr;
  if (!ConvertSidToStringSidA(sid, &text)) return "?";
  std::string result = text;
  LocalFree(text);
  return result;
}

std::string CurrentUserSid() {
  HANDLE token = nullptr;
  OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token);
  std::vector<BYTE> user(512);
  DWORD size = 0;
  const bool known = GetTokenInformation(token, TokenUser, user.data(), 512, &size);
  CloseHandle(token);
  return known ? SidText(reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid) : "";
}

// The file's access list in the system's text form, "D:(A;;FA;;;SY)...".
std::string DaclText(const fs::path& path) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                            nullptr, nullptr, nullptr, &descriptor) != ERROR_SUCCESS) {
    return "unreadable";
  }
  LPSTR text = nullptr;
  ConvertSecurityDescriptorToStringSecurityDescriptorA(descriptor, SDDL_REVISION_1,
                                                       DACL_SECURITY_INFORMATION, &text, nullptr);
  std::string result = text != nullptr ? text : "?";
  LocalFree(text);
  LocalFree(descriptor);
  return result;
}

// Whom the file's access list lets in.
std::vector<std::string> AllowedSids(const fs::path& path) {
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  std::vector<std::string> sids;
  if (GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                            nullptr, &dacl, nullptr, &descriptor) != ERROR_SUCCESS) {
    return {"unreadable"};
  }
  for (DWORD i = 0; dacl != nullptr && i < dacl->AceCount; ++i) {
    ACCESS_ALLOWED_ACE* ace = nullptr;
    if (GetAce(dacl, i, reinterpret_cast<void**>(&ace)) &&
        ace->Header.AceType == ACCESS_ALLOWED_ACE_TYPE) {
      sids.push_back(SidText(&ace->SidStart));
    }
  }
  LocalFree(descriptor);
  return sids;
}

class Win32FilesTest : public RunFixture {
 protected:
  // An input whose one track option 5 skips, with an "Info" box in the
  // middle of the run, while the new file is open.
  void SkipATrackMidRun() {
    gdbtest::Track big("Big");
    for (int32_t i = 0; i < 10000; ++i) big.Point({i, -i});
    WriteFile(input, gdbtest::GdbFile('m', {gdbtest::TrackRecord(big)}));
    dialog.option = 5;
  }
};

TEST_F(Win32FilesTest, TheNewFileLetsInTheUserAloneWhileItIsWritten) {
  SkipATrackMidRun();
  std::vector<std::string> allowed;
  dialog.onMessage = [&](const ShownBox& box) {
    if (box.title != "Info") return;
    for (const auto& entry : fs::directory_iterator(dir.Path())) {
      if (entry.path().filename().string().starts_with(".out.gdb.morvex-")) {
        allowed = AllowedSids(entry.path());
      }
    }
  };
  ASSERT_EQ(Run(), RunOutcome::Completed);
  ASSERT_FALSE(allowed.empty()) << "no new file seen while the run wrote it";
  // The system's account too: Wine lists it for every file of its owner alone.
  for (const std::string& sid : allowed) {
    EXPECT_TRUE(sid == CurrentUserSid() || sid == "S-1-5-18") << sid;
  }
}

// The run's open handle marks its new file as in use: a run beside it names
// the file an earlier run left, not that one.
TEST_F(Win32FilesTest, AFileLeftEarlierIsNamedAndOneInUseIsNot) {
  const fs::path left = dir / ".out.gdb.morvex-Left01";
  WriteFile(left, "part of a conversion");
  SkipATrackMidRun();
  std::vector<std::string> seenBeside;
  dialog.onMessage = [&](const ShownBox& box) {
    if (box.text.find("skipped") == std::string::npos) return;
    OutputFile beside;
    ASSERT_TRUE(beside.Check(output.string(), fileio::FileId{}));
    seenBeside = beside.LeftByEarlierRuns();
  };
  ASSERT_EQ(Run(), RunOutcome::Completed);
  ASSERT_FALSE(dialog.boxes.empty());
  EXPECT_EQ(dialog.boxes[0].text,
            "A file left by an earlier run that was stopped: " + left.string());
  EXPECT_EQ(seenBeside, std::vector<std::string>{left.string()});
  EXPECT_TRUE(fs::exists(left));
}

TEST_F(Win32FilesTest, ANewOutputTakesWhatTheFolderGivesANewFile) {
  WriteFile(dir / "touched", "");
  ASSERT_EQ(Run(), RunOutcome::Completed);
  EXPECT_EQ(DaclText(output), DaclText(dir / "touched"));
}

TEST_F(Win32FilesTest, AReplacedOutputKeepsItsAccessListAndAttributes) {
  WriteFile(output, "an earlier conversion");
  // The user's alone, protected, and readable by everyone: neither the new
  // file's list nor the folder's.
  const std::wstring sddl =
      L"D:P(A;;FA;;;" + fs::path(CurrentUserSid()).wstring() + L")(A;;FR;;;WD)";
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1,
                                                                   &descriptor, nullptr));
  const bool set = SetFileSecurityW(output.c_str(), DACL_SECURITY_INFORMATION, descriptor);
  LocalFree(descriptor);
  ASSERT_TRUE(set);
  constexpr DWORD kMarks = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  ASSERT_TRUE(SetFileAttributesW(output.c_str(), kMarks));
  const std::string dacl = DaclText(output);
  ASSERT_EQ(Run(), RunOutcome::Completed);
  EXPECT_EQ(DaclText(output), dacl);
  EXPECT_EQ(GetFileAttributesW(output.c_str()) & (kMarks | FILE_ATTRIBUTE_READONLY), kMarks);
}

TEST_F(Win32FilesTest, TheOutputsFolderStaysWhereItIsWhileTheRunHoldsIt) {
  const fs::path folder = dir / "sub";
  const fs::path moved = dir / "moved";
  fs::create_directory(folder);
  dialog.outputPath = (folder / "out.gdb").string();
  dialog.option = 5;
  bool movedMidway = false;
  // The output's place is found, the output not yet opened.
  dialog.onFieldRead = [&](int id) {
    if (id == IDC_MAX_VIAS) movedMidway = MoveFileExW(folder.c_str(), moved.c_str(), 0);
  };
  ASSERT_EQ(Run(), RunOutcome::Completed);
  EXPECT_FALSE(movedMidway);
  EXPECT_TRUE(fs::exists(folder / "out.gdb"));
  EXPECT_TRUE(MoveFileExW(folder.c_str(), moved.c_str(), 0)) << "still held after the run";
}

}  // namespace
}  // namespace runtest
