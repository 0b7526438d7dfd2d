// The dialog templates of win32/morvex.rc, read from the resources linked into
// this program, against the dialog model's control table: the resource
// script is written by hand and must not drift from the table.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "dialog_model.h"

namespace {

struct DialogItem {
  int id = 0;
  DWORD style = 0;
  std::wstring className;  // "Button", "Edit", "Static" for the predefined classes
  RECT rect{};             // in dialog units
};

struct DialogTemplate {
  DWORD style = 0;
  DWORD exStyle = 0;
  std::wstring caption;
  std::wstring font;
  int pointSize = 0;
  int width = 0;
  int height = 0;
  std::vector<DialogItem> items;
};

// Reads an extended dialog template (DLGTEMPLATEEX) from the resources.
class TemplateReader {
 public:
  explicit TemplateReader(const BYTE* at) : m_at(at) {}

  template <typename T>
  T Read() {
    T value;
    std::memcpy(&value, m_at, sizeof value);
    m_at += sizeof value;
    return value;
  }
  // A string, or a 0xFFFF mark and an ordinal; the ordinal as its name.
  std::wstring ReadNameOrOrdinal() {
    const auto first = Read<WORD>();
    if (first == 0xFFFF) return OrdinalName(Read<WORD>());
    std::wstring text;
    for (WORD c = first; c != 0; c = Read<WORD>()) text += static_cast<wchar_t>(c);
    return text;
  }
  void AlignToDword() {
    while (reinterpret_cast<std::uintptr_t>(m_at) % 4 != 0) ++m_at;
  }
  void Skip(size_t bytes) { m_at += bytes; }

 private:
  static std::wstring OrdinalName(WORD ordinal) {
    switch (ordinal) {
      case 0x80:
        return L"Button";
      case 0x81:
        return L"Edit";
      case 0x82:
        return L"Static";
      default:
        return L"#" + std::to_wstring(ordinal);
    }
  }
  const BYTE* m_at;
};

DialogItem ReadItem(TemplateReader& in) {
  in.AlignToDword();
  DialogItem item;
  in.Read<DWORD>();  // help id
  in.Read<DWORD>();  // extended style
  item.style = in.Read<DWORD>();
  const auto x = in.Read<short>(), y = in.Read<short>();
  const auto cx = in.Read<short>(), cy = in.Read<short>();
  item.rect = {x, y, x + cx, y + cy};
  item.id = static_cast<int>(in.Read<DWORD>());
  item.className = in.ReadNameOrOrdinal();
  in.ReadNameOrOrdinal();  // text
  in.Skip(in.Read<WORD>());
  return item;
}

DialogTemplate LoadDialogTemplate(int id) {
  const HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(5));
  if (found == nullptr) return {};
  TemplateReader in(static_cast<const BYTE*>(LockResource(LoadResource(nullptr, found))));
  DialogTemplate dialog;
  EXPECT_EQ(in.Read<WORD>(), 1);       // version
  EXPECT_EQ(in.Read<WORD>(), 0xFFFF);  // the mark of the extended form
  in.Read<DWORD>();                    // help id
  dialog.exStyle = in.Read<DWORD>();
  dialog.style = in.Read<DWORD>();
  const auto count = in.Read<WORD>();
  in.Skip(2 * sizeof(short));  // x, y
  dialog.width = in.Read<short>();
  dialog.height = in.Read<short>();
  in.ReadNameOrOrdinal();  // menu
  in.ReadNameOrOrdinal();  // class
  dialog.caption = in.ReadNameOrOrdinal();
  if (dialog.style & DS_SETFONT) {
    dialog.pointSize = in.Read<WORD>();
    in.Skip(sizeof(WORD) + 2);  // weight, italic, character set
    dialog.font = in.ReadNameOrOrdinal();
  }
  for (int i = 0; i < count; ++i) dialog.items.push_back(ReadItem(in));
  return dialog;
}

const DialogItem* FindItem(const DialogTemplate& dialog, int id) {
  for (const DialogItem& item : dialog.items) {
    if (item.id == id) return &item;
  }
  return nullptr;
}

bool Contains(const RECT& outer, const RECT& inner) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

bool Overlap(const RECT& a, const RECT& b) {
  RECT common;
  return IntersectRect(&common, &a, &b) != FALSE;
}

// The class and button or edit style each kind of control must have.
void ExpectKind(const DialogItem& item, ControlKind kind) {
  const DWORD buttonType = item.style & BS_TYPEMASK;
  switch (kind) {
    case ControlKind::Frame:
      EXPECT_TRUE(item.className == L"Button" && buttonType == BS_GROUPBOX) << item.id;
      break;
    case ControlKind::PathField:
      EXPECT_TRUE(item.className == L"Edit" && (item.style & ES_AUTOHSCROLL) &&
                  !(item.style & ES_NUMBER))
          << item.id;
      break;
    case ControlKind::NumberField:
      EXPECT_TRUE(item.className == L"Edit" && (item.style & ES_NUMBER) && (item.style & ES_RIGHT))
          << item.id;
      break;
    case ControlKind::Button:
      EXPECT_TRUE(item.className == L"Button" && buttonType == BS_PUSHBUTTON) << item.id;
      break;
    case ControlKind::DefaultButton:
      EXPECT_TRUE(item.className == L"Button" && buttonType == BS_DEFPUSHBUTTON) << item.id;
      break;
    case ControlKind::Option:
      EXPECT_TRUE(item.className == L"Button" && buttonType == BS_AUTORADIOBUTTON) << item.id;
      break;
    case ControlKind::Label:
      EXPECT_EQ(item.className, L"Static") << item.id;
      break;
  }
}

TEST(MainDialogTemplate, HasTheModelsControlsInTableOrder) {
  const DialogTemplate dialog = LoadDialogTemplate(IDD_MAIN);
  const auto controls = DialogControls();
  ASSERT_EQ(dialog.items.size(), controls.size());
  for (size_t i = 0; i < controls.size(); ++i) {
    const ControlTemplate& control = controls[i];
    const DialogItem& item = dialog.items[i];
    ASSERT_EQ(item.id, control.id) << "control " << i;
    ExpectKind(item, control.kind);
    EXPECT_EQ((item.style & WS_TABSTOP) != 0, IsTabStop(control.kind)) << item.id;
    EXPECT_EQ((item.style & WS_GROUP) != 0, (control.style & kStartsGroup) != 0) << item.id;
    EXPECT_EQ((item.style & WS_DISABLED) != 0, (control.style & kDisabled) != 0) << item.id;
    EXPECT_EQ((item.style & WS_VISIBLE) == 0, (control.style & kHidden) != 0) << item.id;
  }
}

TEST(MainDialogTemplate, IsAFixedApplicationWindowInArial8) {
  const DialogTemplate dialog = LoadDialogTemplate(IDD_MAIN);
  EXPECT_EQ(dialog.font, L"Arial");
  EXPECT_EQ(dialog.pointSize, 8);
  const DWORD wanted = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_VISIBLE | DS_MODALFRAME;
  EXPECT_EQ(dialog.style & wanted, wanted);
  EXPECT_EQ(dialog.style & (WS_MAXIMIZEBOX | WS_THICKFRAME), 0u);
  EXPECT_TRUE(dialog.exStyle & WS_EX_APPWINDOW);
}

TEST(MainDialogTemplate, ControlsSitInTheirFramesWithoutOverlapping) {
  const DialogTemplate dialog = LoadDialogTemplate(IDD_MAIN);
  const RECT window{0, 0, dialog.width, dialog.height};
  const struct {
    int frame;
    std::vector<int> members;
  } frames[] = {
      {IDC_INPUT_GROUP, {IDC_INPUT_PATH, IDC_BROWSE_INPUT}},
      {IDC_OUTPUT_GROUP, {IDC_OUTPUT_PATH, IDC_BROWSE_OUTPUT}},
      {IDC_OPTIONS_GROUP,
       {IDC_OPTION_1, IDC_OPTION_2, IDC_OPTION_3, IDC_OPTION_4, IDC_OPTION_5, IDC_OPTION_6,
        IDC_MAX_VIAS_LABEL, IDC_MAX_VIAS}},
      {IDC_LANGUAGE_GROUP, {IDC_LANG_ENGLISH, IDC_LANG_DUTCH, IDC_LANG_GERMAN}},
  };
  for (const auto& frame : frames) {
    const DialogItem* box = FindItem(dialog, frame.frame);
    ASSERT_NE(box, nullptr);
    for (int member : frame.members) {
      ASSERT_NE(FindItem(dialog, member), nullptr) << member;
      EXPECT_TRUE(Contains(box->rect, FindItem(dialog, member)->rect)) << member;
    }
  }
  std::vector<const DialogItem*> shown;  // the visible controls other than frames
  for (const DialogItem& item : dialog.items) {
    if (!(item.style & WS_VISIBLE)) continue;
    EXPECT_TRUE(Contains(window, item.rect)) << item.id;
    if ((item.style & BS_TYPEMASK) != BS_GROUPBOX || item.className != L"Button") {
      shown.push_back(&item);
    }
  }
  for (size_t i = 0; i < shown.size(); ++i) {
    for (size_t j = i + 1; j < shown.size(); ++j) {
      EXPECT_FALSE(Overlap(shown[i]->rect, shown[j]->rect)) << shown[i]->id << " " << shown[j]->id;
    }
  }
}

TEST(AboutBoxTemplate, ClosesWithItsDefaultOkButton) {
  const DialogTemplate about = LoadDialogTemplate(IDD_ABOUT);
  EXPECT_EQ(about.caption, L"About Morvex");
  const DialogItem* ok = FindItem(about, IDOK);
  ASSERT_NE(ok, nullptr);
  EXPECT_EQ(ok->style & BS_TYPEMASK, static_cast<DWORD>(BS_DEFPUSHBUTTON));
  EXPECT_TRUE(ok->style & WS_TABSTOP);
  EXPECT_NE(FindResourceW(nullptr, MAKEINTRESOURCEW(IDB_ABOUT), MAKEINTRESOURCEW(2)), nullptr);
}

TEST(ProgramResources, AboutStringAndF1MatchTheModel) {
  wchar_t text[64] = {};
  ASSERT_GT(LoadStringW(GetModuleHandleW(nullptr), IDS_ABOUT_MENU, text, 64), 0);
  std::string utf8(
      static_cast<size_t>(WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr)) -
          1,
      '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8.data(), static_cast<int>(utf8.size()) + 1, nullptr,
                      nullptr);
  EXPECT_EQ(utf8, AboutMenuText());

  const HACCEL keys = LoadAcceleratorsW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_MAIN));
  ASSERT_NE(keys, nullptr);
  ACCEL key{};
  ASSERT_EQ(CopyAcceleratorTableW(keys, &key, 1), 1);
  EXPECT_EQ(key.key, VK_F1);
  EXPECT_EQ(key.cmd, IDM_ABOUT);
  EXPECT_TRUE(key.fVirt & FVIRTKEY);
}

}  // namespace
