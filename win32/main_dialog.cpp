#include "main_dialog.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shlobj.h>

#include <algorithm>

#include "about_box.h"
#include "file_picker.h"
#include "wide_text.h"

namespace {

// Room for any path the system's calls take, long paths included.
constexpr DWORD kPathCapacity = 32768;

// Posted by the preview's worker when a picture is ready.
constexpr UINT kPreviewReady = WM_APP + 1;

HICON LoadIconOfSize(HINSTANCE instance, int id, int widthMetric, int heightMetric) {
  return static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_ICON,
                                       GetSystemMetrics(widthMetric),
                                       GetSystemMetrics(heightMetric), LR_DEFAULTCOLOR));
}

// The one file, not a folder, that a drop carries; empty for anything else.
std::wstring DroppedFile(HDROP drop) {
  if (DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0) != 1) return {};
  std::wstring path(DragQueryFileW(drop, 0, nullptr, 0) + 1, L'\0');
  path.resize(DragQueryFileW(drop, 0, path.data(), static_cast<UINT>(path.size())));
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return {};
  return path;
}

bool ControlContains(HWND dialog, int id, POINT clientPoint) {
  RECT rect;
  if (!GetWindowRect(GetDlgItem(dialog, id), &rect)) return false;
  MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&rect), 2);
  return PtInRect(&rect, clientPoint) != FALSE;
}

void ShowMessageBox(HWND owner, const WindowMessage& message) {
  const UINT icon = message.style == MessageStyle::Exclamation ? MB_ICONEXCLAMATION : 0;
  MessageBoxW(owner, WideFromUtf8(message.text).c_str(), WideFromUtf8(message.title).c_str(),
              MB_OK | icon);
}

// A box like ShowMessageBox's with a check box below its text: a task dialog
// and its verification check box. Returns whether it was checked. Should the
// task dialog fail, the message still shows, in a box without the check box.
bool ShowTaskDialog(HWND owner, const WindowMessage& message) {
  const std::wstring text = WideFromUtf8(message.text);
  const std::wstring title = WideFromUtf8(message.title);
  const std::wstring checkBox = WideFromUtf8(message.checkBoxText);
  TASKDIALOGCONFIG config{};
  config.cbSize = sizeof(config);
  config.hwndParent = owner;
  // Escape closes it, as it closes a message box with one OK button.
  config.dwFlags = TDF_ALLOW_DIALOG_CANCELLATION | TDF_POSITION_RELATIVE_TO_WINDOW;
  config.dwCommonButtons = TDCBF_OK_BUTTON;
  config.pszWindowTitle = title.c_str();
  config.pszMainIcon = message.style == MessageStyle::Exclamation ? TD_WARNING_ICON : nullptr;
  config.pszContent = text.c_str();
  config.pszVerificationText = checkBox.c_str();
  BOOL checked = FALSE;
  if (FAILED(TaskDialogIndirect(&config, nullptr, nullptr, &checked))) {
    ShowMessageBox(owner, message);
    return false;
  }
  return checked != FALSE;
}

bool IsFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(WideFromUtf8(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool IsFile(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(WideFromUtf8(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// The folder of the settings file: Morvex in the user's roaming application
// data, as %APPDATA% names it; empty where there is none.
std::wstring SettingsFolder() {
  std::wstring folder(kPathCapacity, L'\0');
  DWORD length = GetEnvironmentVariableW(L"APPDATA", folder.data(), kPathCapacity);
  if (length == 0 || length >= kPathCapacity) {
    folder.assign(MAX_PATH, L'\0');
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, folder.data()))) return {};
    length = static_cast<DWORD>(folder.find(L'\0'));
  }
  folder.resize(length);
  return folder.empty() ? folder : folder + L"\\Morvex";
}

std::wstring SettingsFile() {
  const std::wstring folder = SettingsFolder();
  return folder.empty() ? folder : folder + L"\\Morvex.ini";
}

// The settings file's text; empty where it cannot be read. Its settings are
// a few short lines: anything longer than kMostSettingsBytes is no file of
// ours, and only its start is read.
std::string ReadSettingsFile() {
  constexpr DWORD kMostSettingsBytes = 1 << 16;
  const HANDLE file = CreateFileW(SettingsFile().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::string text(kMostSettingsBytes, '\0');
  DWORD read = 0;
  if (!ReadFile(file, text.data(), kMostSettingsBytes, &read, nullptr)) read = 0;
  CloseHandle(file);
  text.resize(read);
  return text;
}

// Writes the file whole, through a new file that then takes its place, so
// that a write cut short leaves the old settings.
void WriteSettingsFile(const std::string& text) {
  const std::wstring folder = SettingsFolder();
  if (folder.empty()) return;
  CreateDirectoryW(folder.c_str(), nullptr);  // fails harmlessly where it exists
  const std::wstring path = SettingsFile();
  const std::wstring fresh = path + L".new";
  const HANDLE file = CreateFileW(fresh.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  const bool whole =
      WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
      written == text.size();
  CloseHandle(file);
  if (!whole || !MoveFileExW(fresh.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    DeleteFileW(fresh.c_str());
  }
}

std::string UserLocaleName() {
  wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
  if (GetUserDefaultLocaleName(name, LOCALE_NAME_MAX_LENGTH) == 0) return {};
  return Utf8FromWide(name);
}

// The wait cursor for as long as it lives.
class WaitCursor {
 public:
  WaitCursor() : m_previous(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {}
  ~WaitCursor() { SetCursor(m_previous); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

 private:
  HCURSOR m_previous;
};

}  // namespace

MainDialog::MainDialog(HINSTANCE instance)
    : m_instance(instance),
      m_bigIcon(LoadIconOfSize(instance, IDI_MAIN, SM_CXICON, SM_CYICON)),
      m_smallIcon(LoadIconOfSize(instance, IDI_MAIN, SM_CXSMICON, SM_CYSMICON)) {}

MainDialog::~MainDialog() {
  if (m_bigIcon != nullptr) DestroyIcon(m_bigIcon);
  if (m_smallIcon != nullptr) DestroyIcon(m_smallIcon);
}

// A modeless dialog with a loop of its own, so that F1 can go through the
// accelerator table before the dialog manager takes Tab, Enter and Escape.
// The WM_HELP that the system makes of F1 is left alone: the key's release
// reaches the about box just opened, whose WM_HELP goes on to its owner, this
// window, and would open a second about box.
int MainDialog::Run() {
  const HWND window = CreateDialogParamW(m_instance, MAKEINTRESOURCEW(IDD_MAIN), nullptr,
                                         DialogProc, reinterpret_cast<LPARAM>(this));
  if (window == nullptr) return 1;
  const HACCEL keys = LoadAcceleratorsW(m_instance, MAKEINTRESOURCEW(IDD_MAIN));
  MSG message{};
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (m_window != nullptr && keys != nullptr && TranslateAcceleratorW(m_window, keys, &message)) {
      continue;
    }
    if (m_window != nullptr && IsDialogMessageW(m_window, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}

INT_PTR CALLBACK MainDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* dialog = reinterpret_cast<MainDialog*>(lParam);
    SetWindowLongPtrW(window, DWLP_USER, lParam);
    dialog->m_window = window;
  }
  auto* dialog = reinterpret_cast<MainDialog*>(GetWindowLongPtrW(window, DWLP_USER));
  return dialog != nullptr ? dialog->HandleMessage(message, wParam, lParam) : FALSE;
}

INT_PTR MainDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case kPreviewReady:
      TakePreview();
      return TRUE;
    case WM_DRAWITEM:
      if (wParam != IDC_PREVIEW_PANE) return FALSE;
      DrawPreview(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      return TRUE;
    case WM_INITDIALOG:
      OnInitDialog();
      return TRUE;  // the focus goes to the first tab stop, the input path
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return TRUE;
    case WM_SYSCOMMAND:
      return OnSysCommand(wParam) ? TRUE : FALSE;
    case WM_DROPFILES:
      OnDropFiles(reinterpret_cast<HDROP>(wParam));
      return TRUE;
    case WM_DESTROY:
      m_previewWorker.reset();  // no picture may arrive once the window is going
      m_window = nullptr;
      PostQuitMessage(0);
      return TRUE;
    default:
      return FALSE;
  }
}

void MainDialog::OnInitDialog() {
  AddAboutToSystemMenu();
  SendMessageW(m_window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_bigIcon));
  SendMessageW(m_window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_smallIcon));
  ShowTemplateState();
  // The pane lies beside the controls, as high as they are, and is sized once.
  RECT window{};
  GetWindowRect(m_window, &window);
  m_controlsSize = {window.right - window.left, window.bottom - window.top};
  RECT pane{0, 7, 230, 0};
  MapDialogRect(m_window, &pane);
  RECT client{};
  GetClientRect(m_window, &client);
  m_paneWidth = pane.right + pane.top;
  m_previewPane = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | SS_OWNERDRAW, client.right,
                                  pane.top, pane.right, client.bottom - 2 * pane.top, m_window,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_PREVIEW_PANE)),
                                  m_instance, nullptr);
  RestoreSettings();
  if (!m_startInput.empty()) ChoosePath(IDC_INPUT_PATH, m_startInput);
  DragAcceptFiles(m_window, TRUE);
  // An elevated window takes drops from the user's file manager too.
  for (UINT allowed : {UINT{WM_DROPFILES}, UINT{WM_COPYDATA}, UINT{0x0049}}) {
    ChangeWindowMessageFilterEx(m_window, allowed, MSGFLT_ALLOW, nullptr);
  }
}

// The language, option, via maximum and one-route box of the last start, or
// of the locale at the first. Checking raises no click: the texts and the
// enabled state are set here as the clicks would set them.
void MainDialog::RestoreSettings() {
  const DialogSettings settings = SettingsFromFileText(ReadSettingsFile(), UserLocaleName());
  SetTexts(m_model.RestoreSettings(settings));
  CheckDlgButton(m_window, m_model.CheckedOptionButton(), BST_CHECKED);
  CheckDlgButton(m_window, m_model.CheckedLanguageButton(), BST_CHECKED);
  CheckDlgButton(m_window, IDC_ONE_ROUTE, m_model.OneRoute() ? BST_CHECKED : BST_UNCHECKED);
  ShowEnabledState();
  ShowRadioTabStops();
  SetItemText(IDC_MAX_VIAS, settings.viaText);
  ShowPreviewPane(settings.preview);
}

void MainDialog::SaveSettings() {
  WriteSettingsFile(SettingsFileText(m_model.Settings(ItemText(IDC_MAX_VIAS))));
}

void MainDialog::AddAboutToSystemMenu() {
  const HMENU menu = GetSystemMenu(m_window, FALSE);
  const std::wstring about = WideFromUtf8(AboutMenuText());
  if (menu == nullptr || about.empty()) return;
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(menu, MF_STRING, IDM_ABOUT, about.c_str());
}

// The caption and every control's text, enabled state and visibility as the
// model's table has them.
void MainDialog::ShowTemplateState() {
  SetWindowTextW(m_window, WideFromUtf8(DialogCaption()).c_str());
  for (const ControlTemplate& item : DialogControls()) {
    SetItemText(item.id, item.text);
    if (item.style & kHidden) ShowWindow(GetDlgItem(m_window, item.id), SW_HIDE);
  }
  ShowEnabledState();
}

void MainDialog::ShowEnabledState() {
  for (const ControlTemplate& item : DialogControls()) {
    EnableWindow(GetDlgItem(m_window, item.id), m_model.IsEnabled(item.id) ? TRUE : FALSE);
  }
}

// Each radio group is one tab stop, its checked button. The buttons move the
// stop themselves as they are checked; this keeps it where the model has it
// whatever the system does.
void MainDialog::ShowRadioTabStops() {
  const std::vector<int> stops = m_model.TabStops();
  for (const ControlTemplate& item : DialogControls()) {
    if (item.kind != ControlKind::Option) continue;
    const HWND button = GetDlgItem(m_window, item.id);
    const LONG_PTR style = GetWindowLongPtrW(button, GWL_STYLE);
    const bool stop = std::find(stops.begin(), stops.end(), item.id) != stops.end();
    SetWindowLongPtrW(button, GWL_STYLE, stop ? style | WS_TABSTOP : style & ~WS_TABSTOP);
  }
}

void MainDialog::OnCommand(int id, int notification) {
  if (id == IDM_ABOUT) {  // F1
    ShowAboutBox();
    return;
  }
  if (id == IDCANCEL) {  // Quit, Escape and the close box
    SaveSettings();
    DestroyWindow(m_window);
    return;
  }
  if (id == IDC_INPUT_PATH && notification == EN_KILLFOCUS) {
    OnInputChanged();
    return;
  }
  if (id == IDC_MAX_VIAS && notification == EN_CHANGE) {
    RequestPreview();
    return;
  }
  if (notification != BN_CLICKED) return;
  if (id == IDC_BROWSE_INPUT) {
    OnBrowse(false, IDC_INPUT_PATH);
  } else if (id == IDC_BROWSE_OUTPUT) {
    OnBrowse(true, IDC_OUTPUT_PATH);
  } else if (id == IDC_CONVERT) {
    OnConvert();
  } else if (OptionOfButton(id) != 0) {
    OnOptionClicked();
  } else if (id == IDC_ONE_ROUTE) {
    m_model.SetOneRoute(IsDlgButtonChecked(m_window, IDC_ONE_ROUTE) == BST_CHECKED);
    RequestPreview();
  } else if (id >= IDC_LANG_ENGLISH && id <= IDC_LANG_FRENCH) {
    OnLanguageClicked();
  } else if (id == IDC_PREVIEW) {
    OnPreview();
  } else {
    RequestPreview();  // a check box: a choice of the run that the picture follows
  }
}

// The system uses the low four bits of a command internally.
bool MainDialog::OnSysCommand(WPARAM command) {
  if ((command & 0xFFF0) != IDM_ABOUT) return false;
  ShowAboutBox();
  return true;
}

void MainDialog::ShowAboutBox() {
  ::ShowAboutBox(m_instance, m_window, m_model.CurrentLanguage());
}

void MainDialog::OnBrowse(bool save, int field) {
  GdbFilePicker picker(m_window, save, m_model.CurrentLanguage());
  const std::wstring folder = WideFromUtf8(m_model.PickerFolder(field, ItemText(field), IsFolder));
  picker.SetStartFolder(folder);
  const std::optional<std::wstring> path = picker.Run();
  if (!path) return;
  ChoosePath(field, *path);
  m_model.OnPathPicked(field, Utf8FromWide(*path));
}

void MainDialog::OnConvert() {
  // A button checked without a click counts too.
  m_model.CheckOption(CheckedRadioButton(IDC_OPTION_1, IDC_OPTION_6));
  const std::string output = ItemText(IDC_OUTPUT_PATH);
  if (!MayReplaceOutput(output)) return;
  const RunRequest request =
      m_model.Request(ItemText(IDC_INPUT_PATH), output, ItemText(IDC_MAX_VIAS));
  m_model.OnConvertStarted(request.inputPath, request.outputPath);
  WindowReporter reporter([this](const WindowMessage& message) { return ShowMessage(message); });
  RunOutcome outcome;
  {
    const WaitCursor wait;
    outcome = RunConversion(request, reporter);
  }
  SaveSettings();
  RequestPreview(outcome == RunOutcome::Completed ? request.outputPath : std::string());
}

// A Yes/No box with No the default, so that Enter keeps the file.
bool MainDialog::MayReplaceOutput(const std::string& outputPath) {
  if (!m_model.AsksBeforeReplacing(outputPath, IsFile(outputPath))) return true;
  const WindowMessage question = ReplaceQuestion(outputPath, m_model.CurrentLanguage());
  if (question.text.empty()) return true;
  return MessageBoxW(m_window, WideFromUtf8(question.text).c_str(),
                     WideFromUtf8(question.title).c_str(),
                     MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2) == IDYES;
}

bool MainDialog::ShowMessage(const WindowMessage& message) {
  if (!message.checkBoxText.empty()) return ShowTaskDialog(m_window, message);
  ShowMessageBox(m_window, message);
  return false;
}

void MainDialog::OnOptionClicked() {
  m_model.CheckOption(CheckedRadioButton(IDC_OPTION_1, IDC_OPTION_6));
  ShowEnabledState();
  ShowRadioTabStops();
  ShowSuggestedOutput(m_model.OnOptionChanged(ItemText(IDC_OUTPUT_PATH)));
  RequestPreview();
}

void MainDialog::OnLanguageClicked() {
  SetTexts(m_model.OnLanguageClicked(CheckedRadioButton(IDC_LANG_ENGLISH, IDC_LANG_FRENCH)));
  ShowRadioTabStops();
  if (m_previewPane != nullptr) InvalidateRect(m_previewPane, nullptr, FALSE);
}

// A file dropped on the output frame names the output, anywhere else the input.
void MainDialog::OnDropFiles(HDROP drop) {
  const std::wstring path = DroppedFile(drop);
  POINT point{};
  const bool onOutput =
      DragQueryPoint(drop, &point) && ControlContains(m_window, IDC_OUTPUT_GROUP, point);
  DragFinish(drop);
  if (path.empty()) return;
  ChoosePath(onOutput ? IDC_OUTPUT_PATH : IDC_INPUT_PATH, path);
}

void MainDialog::ChoosePath(int field, const std::wstring& path) {
  SetDlgItemTextW(m_window, field, path.c_str());
  if (field == IDC_INPUT_PATH) OnInputChanged();
}

void MainDialog::OnInputChanged() {
  ShowSuggestedOutput(m_model.OnInputChanged(ItemText(IDC_INPUT_PATH), ItemText(IDC_OUTPUT_PATH)));
  RequestPreview();
}

void MainDialog::OnPreview() {
  ShowPreviewPane(!m_model.PreviewShown());
}

void MainDialog::ShowPreviewPane(bool shown) {
  m_model.SetPreviewShown(shown);
  if (m_previewPane == nullptr ||
      ((GetWindowLongPtrW(m_previewPane, GWL_STYLE) & WS_VISIBLE) != 0) == shown)
    return;
  ShowWindow(m_previewPane, shown ? SW_SHOWNA : SW_HIDE);
  // The window grows to the right, moving left as far as it must to stay on its screen.
  RECT window{};
  GetWindowRect(m_window, &window);
  const int width = m_controlsSize.cx + (shown ? m_paneWidth : 0);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (GetMonitorInfoW(MonitorFromWindow(m_window, MONITOR_DEFAULTTONEAREST), &monitor) &&
      window.left + width > monitor.rcWork.right) {
    window.left = std::max(monitor.rcWork.left, monitor.rcWork.right - width);
  }
  SetWindowPos(m_window, nullptr, window.left, window.top, width, m_controlsSize.cy,
               SWP_NOZORDER | SWP_NOACTIVATE);
  RequestPreview();
}

void MainDialog::RequestPreview(const std::optional<std::string>& convertedInto) {
  if (!m_model.PreviewShown() || m_window == nullptr) return;
  if (!m_previewWorker) {
    const HWND window = m_window;
    m_previewWorker =
        std::make_unique<preview::Worker>([window] { PostMessageW(window, kPreviewReady, 0, 0); });
  }
  m_model.CheckOption(CheckedRadioButton(IDC_OPTION_1, IDC_OPTION_6));
  const RunRequest run =
      m_model.Request(ItemText(IDC_INPUT_PATH), std::string(), ItemText(IDC_MAX_VIAS));
  m_previewWorker->Ask({.inputPath = run.inputPath,
                        .mode = run.mode,
                        .viaCount = run.viaCount,
                        .oneRoute = run.oneRoute,
                        .language = run.language,
                        .convertedInto = convertedInto});
}

void MainDialog::TakePreview() {
  if (!m_previewWorker) return;
  if (std::optional<preview::Outcome> outcome = m_previewWorker->Take()) {
    m_preview.Set(std::move(*outcome));
    InvalidateRect(m_previewPane, nullptr, FALSE);
  }
}

// Drawn into a bitmap first, so that a new picture does not flicker.
void MainDialog::DrawPreview(const DRAWITEMSTRUCT& item) {
  const RECT area = item.rcItem;
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  const HDC dc = CreateCompatibleDC(item.hDC);
  const HBITMAP bitmap = CreateCompatibleBitmap(item.hDC, width, height);
  const HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
  const HGDIOBJ oldFont =
      SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(m_window, WM_GETFONT, 0, 0)));
  const RECT whole{0, 0, width, height};
  FillRect(dc, &whole, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  FrameRect(dc, &whole, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
  SetBkMode(dc, TRANSPARENT);
  SetTextAlign(dc, TA_BASELINE | TA_LEFT);
  // Laid out in pixels of 96 DPI, as the Qt window's logical pixels, and scaled
  // to the system's DPI, so that marks and texts keep their places at any DPI.
  const int dpi = GetDeviceCaps(item.hDC, LOGPIXELSY);
  const auto scaled = [dpi](int value) { return MulDiv(value, dpi, 96); };
  for (const preview::Shape& shape : m_preview.Shapes(
           MulDiv(width, 96, dpi), MulDiv(height, 96, dpi), m_model.CurrentLanguage())) {
    const uint32_t rgb = preview::ColourOf(shape.role);
    const COLORREF colour = RGB(rgb >> 16 & 0xFF, rgb >> 8 & 0xFF, rgb & 0xFF);
    std::vector<POINT> points;
    for (const preview::Pixel& pixel : shape.points) {
      points.push_back({scaled(pixel.x), scaled(pixel.y)});
    }
    if (points.empty()) continue;
    const POINT at = points.front();
    int penWidth = 1;
    if (shape.role == preview::Role::InputLine) penWidth = 4;
    if (shape.role == preview::Role::OutputLine || shape.role == preview::Role::Reclassified) {
      penWidth = 2;
    }
    const HPEN pen = CreatePen(PS_SOLID, scaled(penWidth), colour);
    const HBRUSH brush = CreateSolidBrush(colour);
    const HGDIOBJ oldPen = SelectObject(dc, pen);
    const HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    switch (shape.role) {
      case preview::Role::InputLine:
      case preview::Role::OutputLine:
      case preview::Role::ScaleBar:
      case preview::Role::NorthArrow:
        if (points.size() == 1) points.push_back({at.x + 1, at.y});
        Polyline(dc, points.data(), static_cast<int>(points.size()));
        break;
      case preview::Role::Via:
      case preview::Role::Waypoint: {
        const int r = scaled(shape.role == preview::Role::Via ? 3 : 2);
        SelectObject(dc, brush);
        Ellipse(dc, at.x - r, at.y - r, at.x + r + 1, at.y + r + 1);
        break;
      }
      case preview::Role::Reclassified:
        Ellipse(dc, at.x - scaled(6), at.y - scaled(6), at.x + scaled(6) + 1, at.y + scaled(6) + 1);
        break;
      case preview::Role::Label:
      case preview::Role::Status: {
        const std::wstring text = WideFromUtf8(shape.text);
        SetTextColor(dc, colour);
        TextOutW(dc, at.x, at.y, text.c_str(), static_cast<int>(text.size()));
        break;
      }
    }
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(brush);
    DeleteObject(pen);
  }
  BitBlt(item.hDC, area.left, area.top, width, height, dc, 0, 0, SRCCOPY);
  SelectObject(dc, oldFont);
  SelectObject(dc, oldBitmap);
  DeleteObject(bitmap);
  DeleteDC(dc);
}

void MainDialog::ShowSuggestedOutput(const std::optional<std::string>& output) {
  if (output) SetItemText(IDC_OUTPUT_PATH, *output);
}

void MainDialog::SetTexts(const std::vector<ControlText>& texts) {
  for (const ControlText& item : texts) SetItemText(item.id, item.text);
}

void MainDialog::SetItemText(int id, std::string_view utf8) {
  SetDlgItemTextW(m_window, id, WideFromUtf8(utf8).c_str());
}

std::string MainDialog::ItemText(int id) const {
  const HWND control = GetDlgItem(m_window, id);
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
  text.resize(
      static_cast<size_t>(GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
  return Utf8FromWide(text);
}

int MainDialog::CheckedRadioButton(int first, int last) const {
  for (int id = first; id <= last; ++id) {
    if (IsDlgButtonChecked(m_window, id) == BST_CHECKED) return id;
  }
  return 0;
}
