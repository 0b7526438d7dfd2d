// The about box and the file pickers of morvex.exe in each language of the
// window, opened for real under Wine on a virtual display.
#include <windows.h>

#include <commdlg.h>
#include <dlgs.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "about_box.h"
#include "file_picker.h"
#include "resource.h"
#include "wide_text.h"
#include "window_texts.h"

namespace {

INT_PTR CALLBACK PlainDialogProc(HWND, UINT, WPARAM, LPARAM) {
  return FALSE;
}

const Language kLanguages[] = {Language::kEnglish, Language::kDutch, Language::kGerman};

// The about box in each language shows the texts of that language, and each line of
// them fits its control unwrapped.
TEST(ProgramResources, AboutBoxSpeaksTheLanguageAndItsTextsFit) {
  for (Language language : kLanguages) {
    const HWND box = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_ABOUT),
                                        nullptr, PlainDialogProc, 0);
    ASSERT_NE(box, nullptr);
    SetAboutTexts(box, language);
    for (const ControlText& text : AboutTexts()) {
      const std::wstring wanted = WideFromUtf8(AboutText(text.text, language));
      const HWND control = GetDlgItem(box, text.id);
      ASSERT_NE(control, nullptr) << text.id;
      wchar_t shown[512] = {};
      GetWindowTextW(control, shown, 512);
      EXPECT_EQ(std::wstring(shown), wanted) << text.id;
      if (text.id == IDOK) continue;
      RECT room{};
      GetClientRect(control, &room);
      RECT needed{0, 0, 0, 0};
      const HDC dc = GetDC(control);
      const HGDIOBJ font =
          SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
      DrawTextW(dc, wanted.c_str(), -1, &needed, DT_CALCRECT | DT_NOPREFIX);
      SelectObject(dc, font);
      ReleaseDC(control, dc);
      EXPECT_LE(needed.right, room.right) << text.id << " " << static_cast<int>(language);
      EXPECT_LE(needed.bottom, room.bottom) << text.id << " " << static_cast<int>(language);
    }
    DestroyWindow(box);
  }
}

// The names in the filter list of an open picker, read when it has opened;
// the picker is then cancelled.
std::vector<std::wstring> g_filterNames;

UINT_PTR CALLBACK ReadFiltersAndCancel(HWND hook, UINT message, WPARAM, LPARAM lParam) {
  if (message != WM_NOTIFY || reinterpret_cast<OFNOTIFYW*>(lParam)->hdr.code != CDN_INITDONE) {
    return 0;
  }
  const HWND picker = GetParent(hook);
  const HWND list = GetDlgItem(picker, cmb1);
  const auto count = SendMessageW(list, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    wchar_t name[128] = {};
    SendMessageW(list, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(name));
    g_filterNames.emplace_back(name);
  }
  PostMessageW(picker, WM_COMMAND, IDCANCEL, 0);
  return 0;
}

TEST(FilePicker, ShowsTheFilterNamesOfEachLanguage) {
  for (Language language : kLanguages) {
    for (bool save : {false, true}) {
      g_filterNames.clear();
      GdbFilePicker picker(nullptr, FilePick{save, GdbFileFilters(), language, {}, {}});
      picker.Request().Flags |= OFN_EXPLORER | OFN_ENABLEHOOK;
      picker.Request().lpfnHook = ReadFiltersAndCancel;
      EXPECT_FALSE(picker.Run().has_value());
      std::vector<std::wstring> wanted;
      for (const std::string& name : FilterNames(GdbFileFilters(), language)) {
        wanted.push_back(WideFromUtf8(name));
      }
      EXPECT_EQ(g_filterNames, wanted) << static_cast<int>(language) << " " << save;
    }
  }
}

}  // namespace
