// The dialog templates of win32/morvex.rc, read from the resources linked into
// this program, against the control table (app/controls.h): the resource
// script is written by hand and must not drift from the table. Its texts are
// the catalogue's, set when a dialog opens: the templates hold none.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "controls.h"
#include "resource.h"
#include "window_texts.h"

namespace {

// The predefined window classes, as a template names them.
enum : WORD { kButton = 0x80, kEdit = 0x81, kStatic = 0x82 };

struct DialogItem {
  int id = 0;
  DWORD style = 0;
  DWORD exStyle = 0;
  WORD windowClass = 0;  // a predefined class; 0 for a class given by name
  RECT rect{};           // in dialog units
  std::wstring text;     // empty for a resource number, as a picture's
};

struct DialogTemplate {
  DWORD style = 0;
  DWORD exStyle = 0;
  std::wstring caption;
  std::wstring font;
  int pointSize = 0;
  RECT rect{};
  std::vector<DialogItem> items;
};

// Reads the fields of an extended dialog template (DLGTEMPLATEEX) in turn.
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
  // A string, or a 0xFFFF mark and a number, which goes to ordinal.
  std::wstring ReadNameOrOrdinal(WORD* ordinal = nullptr) {
    std::wstring text;
    WORD c = Read<WORD>();
    if (c == 0xFFFF) {
      const auto number = Read<WORD>();
      if (ordinal != nullptr) *ordinal = number;
      return text;
    }
    for (; c != 0; c = Read<WORD>()) text += static_cast<wchar_t>(c);
    return text;
  }
  RECT ReadRect() {
    const auto x = Read<short>(), y = Read<short>(), cx = Read<short>(), cy = Read<short>();
    return {x, y, x + cx, y + cy};
  }
  void AlignToDword() {
    while (reinterpret_cast<std::uintptr_t>(m_at) % 4 != 0) ++m_at;
  }
  void Skip(size_t bytes) { m_at += bytes; }

 private:
  const BYTE* m_at;
};

DialogItem ReadItem(TemplateReader& in) {
  in.AlignToDword();
  DialogItem item;
  in.Skip(sizeof(DWORD));  // help id
  item.exStyle = in.Read<DWORD>();
  item.style = in.Read<DWORD>();
  item.rect = in.ReadRect();
  item.id = static_cast<int>(in.Read<DWORD>());
  in.ReadNameOrOrdinal(&item.windowClass);
  item.text = in.ReadNameOrOrdinal();
  in.Skip(in.Read<WORD>());
  return item;
}

DialogTemplate LoadDialogTemplate(int id) {
  const HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(5));
  if (found == nullptr) return {};
  TemplateReader in(static_cast<const BYTE*>(LockResource(LoadResource(nullptr, found))));
  DialogTemplate dialog;
  EXPECT_EQ(in.Read<DWORD>(), 0xFFFF0001u);  // version 1 of the extended form
  in.Skip(sizeof(DWORD));                    // help id
  dialog.exStyle = in.Read<DWORD>();
  dialog.style = in.Read<DWORD>();
  const auto count = in.Read<WORD>();
  dialog.rect = in.ReadRect();
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

bool IsFrame(const DialogItem& item) {
  return item.windowClass == kButton && (item.style & BS_TYPEMASK) == BS_GROUPBOX;
}

bool Contains(const RECT& outer, const RECT& inner) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

// The class of each kind of control and the style bits that make it that kind.
struct KindStyle {
  ControlKind kind;
  WORD windowClass;
  DWORD mask;
  DWORD bits;
};
const KindStyle kKindStyles[] = {
    {ControlKind::Frame, kButton, BS_TYPEMASK, BS_GROUPBOX},
    {ControlKind::PathField, kEdit, ES_AUTOHSCROLL | ES_NUMBER, ES_AUTOHSCROLL},
    {ControlKind::NumberField, kEdit, ES_NUMBER | ES_RIGHT, ES_NUMBER | ES_RIGHT},
    {ControlKind::Button, kButton, BS_TYPEMASK, BS_PUSHBUTTON},
    {ControlKind::DefaultButton, kButton, BS_TYPEMASK, BS_DEFPUSHBUTTON},
    {ControlKind::Option, kButton, BS_TYPEMASK, BS_AUTORADIOBUTTON},
    {ControlKind::Label, kStatic, 0, 0},
    {ControlKind::CheckBox, kButton, BS_TYPEMASK, BS_AUTOCHECKBOX},
};

TEST(MainDialogTemplate, HasTheTablesControlsInItsOrder) {
  const DialogTemplate dialog = LoadDialogTemplate(IDD_MAIN);
  const auto controls = DialogControls();
  ASSERT_EQ(dialog.items.size(), controls.size());
  for (size_t i = 0; i < controls.size(); ++i) {
    const ControlTemplate& control = controls[i];
    const DialogItem& item = dialog.items[i];
    ASSERT_EQ(item.id, control.id) << "control " << i;
    for (const KindStyle& kind : kKindStyles) {
      if (kind.kind != control.kind) continue;
      EXPECT_EQ(item.windowClass, kind.windowClass) << item.id;
      EXPECT_EQ(item.style & kind.mask, kind.bits) << item.id;
    }
    EXPECT_EQ((item.style & WS_TABSTOP) != 0, IsTabStop(control)) << item.id;
    EXPECT_EQ((item.style & WS_GROUP) != 0, (control.style & kStartsGroup) != 0) << item.id;
    EXPECT_EQ((item.style & WS_DISABLED) != 0, (control.style & kDisabled) != 0) << item.id;
    EXPECT_EQ((item.style & WS_VISIBLE) == 0, (control.style & kHidden) != 0) << item.id;
  }
}

// The groups of the dialog manager, within which the arrow keys move: each
// runs from a control with WS_GROUP (or the first control) up to the next one.
std::vector<std::vector<const DialogItem*>> Groups(const DialogTemplate& dialog) {
  std::vector<std::vector<const DialogItem*>> groups;
  for (const DialogItem& item : dialog.items) {
    if (groups.empty() || (item.style & WS_GROUP)) groups.emplace_back();
    groups.back().push_back(&item);
  }
  return groups;
}

bool IsRadioButton(const DialogItem& item) {
  return item.windowClass == kButton && (item.style & BS_TYPEMASK) == BS_AUTORADIOBUTTON;
}

// Each radio group of the table is a group of its own holding nothing but its
// buttons, so that the arrows stay among them, and is one tab stop.
TEST(MainDialogTemplate, EachRadioGroupIsAGroupOfItsOwnWithOneTabStop) {
  const DialogTemplate dialog = LoadDialogTemplate(IDD_MAIN);
  size_t radioButtons = 0;
  for (const auto& group : Groups(dialog)) {
    std::vector<int> ids;
    int tabStops = 0;
    for (const DialogItem* item : group) {
      if (!IsRadioButton(*item)) continue;
      ids.push_back(item->id);
      if (item->style & WS_TABSTOP) ++tabStops;
    }
    if (ids.empty()) continue;
    radioButtons += ids.size();
    EXPECT_EQ(ids.size(), group.size()) << ids.front();
    EXPECT_EQ(ids, RadioGroupOf(ids.front()));
    EXPECT_EQ(tabStops, 1) << ids.front();
    EXPECT_TRUE(group.front()->style & WS_TABSTOP) << ids.front();
  }
  EXPECT_EQ(radioButtons,
            RadioGroupOf(IDC_OPTION_1).size() + RadioGroupOf(IDC_LANG_ENGLISH).size());
}

// Resizable: it paints around its controls, so that the preview pane never
// flickers, and inside its frames, which are transparent.
TEST(MainDialogTemplate, IsAResizableApplicationWindowInArial8) {
  const DialogTemplate dialog = LoadDialogTemplate(IDD_MAIN);
  EXPECT_EQ(dialog.font, L"Arial");
  EXPECT_EQ(dialog.pointSize, 8);
  const DWORD wanted = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME |
                       WS_CLIPCHILDREN | WS_VISIBLE | DS_MODALFRAME | DS_CENTER;
  EXPECT_EQ(dialog.style & wanted, wanted);
  EXPECT_TRUE(dialog.exStyle & WS_EX_APPWINDOW);
  for (const DialogItem& item : dialog.items) {
    EXPECT_EQ(IsFrame(item), (item.exStyle & WS_EX_TRANSPARENT) != 0) << item.id;
  }
}

TEST(MainDialogTemplate, ControlsSitInTheirFramesWithoutOverlapping) {
  const DialogTemplate dialog = LoadDialogTemplate(IDD_MAIN);
  const struct {
    int frame;
    std::vector<int> members;
  } frames[] = {
      {IDC_INPUT_GROUP, {IDC_INPUT_PATH, IDC_BROWSE_INPUT}},
      {IDC_OUTPUT_GROUP, {IDC_OUTPUT_PATH, IDC_BROWSE_OUTPUT}},
      {IDC_OPTIONS_GROUP,
       {IDC_OPTION_1, IDC_OPTION_2, IDC_OPTION_3, IDC_OPTION_4, IDC_OPTION_5, IDC_OPTION_6,
        IDC_MAX_VIAS_LABEL, IDC_MAX_VIAS, IDC_ONE_ROUTE}},
      {IDC_LANGUAGE_GROUP, {IDC_LANG_ENGLISH, IDC_LANG_DUTCH, IDC_LANG_GERMAN}},
  };
  for (const auto& frame : frames) {
    ASSERT_NE(FindItem(dialog, frame.frame), nullptr);
    for (int member : frame.members) {
      ASSERT_NE(FindItem(dialog, member), nullptr) << member;
      EXPECT_TRUE(Contains(FindItem(dialog, frame.frame)->rect, FindItem(dialog, member)->rect))
          << member;
    }
  }
  const RECT window{0, 0, dialog.rect.right - dialog.rect.left,
                    dialog.rect.bottom - dialog.rect.top};
  std::vector<const DialogItem*> shown;  // the visible controls other than frames
  for (const DialogItem& item : dialog.items) {
    if (!(item.style & WS_VISIBLE)) continue;
    EXPECT_TRUE(Contains(window, item.rect)) << item.id;
    if (!IsFrame(item)) shown.push_back(&item);
  }
  for (size_t i = 0; i < shown.size(); ++i) {
    for (size_t j = i + 1; j < shown.size(); ++j) {
      RECT common;
      EXPECT_FALSE(IntersectRect(&common, &shown[i]->rect, &shown[j]->rect))
          << shown[i]->id << " " << shown[j]->id;
    }
  }
}

TEST(ProgramResources, TemplatesHoldNoTexts) {
  for (int id : {IDD_MAIN, IDD_ABOUT}) {
    const DialogTemplate dialog = LoadDialogTemplate(id);
    ASSERT_FALSE(dialog.items.empty()) << id;
    EXPECT_EQ(dialog.caption, L"") << id;
    for (const DialogItem& item : dialog.items) EXPECT_EQ(item.text, L"") << item.id;
  }
  // Nor a string table: the About item of the window menu is the catalogue's too.
  wchar_t text[64] = {};
  EXPECT_EQ(LoadStringW(GetModuleHandleW(nullptr), IDS_ABOUT_MENU, text, 64), 0);
}

// The about box gives each control but its picture a text when it opens; OK
// is its default button. F1 opens it.
TEST(ProgramResources, AboutBoxTextsAndF1) {
  const DialogTemplate about = LoadDialogTemplate(IDD_ABOUT);
  ASSERT_NE(FindItem(about, IDOK), nullptr);
  EXPECT_EQ(FindItem(about, IDOK)->style & BS_TYPEMASK, static_cast<DWORD>(BS_DEFPUSHBUTTON));
  const std::span<const ControlText> texts = AboutTexts();
  for (const DialogItem& item : about.items) {
    if (item.id == IDC_ABOUT_LOGO) continue;
    const auto given = std::find_if(texts.begin(), texts.end(), [&item](const ControlText& text) {
      return text.id == item.id;
    });
    EXPECT_NE(given, texts.end()) << item.id;
  }

  const HACCEL keys = LoadAcceleratorsW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_MAIN));
  ASSERT_NE(keys, nullptr);
  ACCEL key{};
  ASSERT_EQ(CopyAcceleratorTableW(keys, &key, 1), 1);
  EXPECT_EQ(key.key, VK_F1);
  EXPECT_EQ(key.cmd, IDM_ABOUT);
  EXPECT_TRUE(key.fVirt & FVIRTKEY);
}

}  // namespace
