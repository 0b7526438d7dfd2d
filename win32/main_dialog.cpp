#include "main_dialog.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>
#include <windowsx.h>

#include <algorithm>
#include <cmath>
#include <utility>

#include "about_box.h"
#include "controls.h"
#include "file_picker.h"
#include "resource.h"
#include "wide_text.h"

namespace {

// Room for any path the system's calls take, long paths included.
constexpr DWORD kPathCapacity = 32768;

// Posted when Post has queued a task to an empty queue: the window's thread
// starts the timer that runs the tasks.
constexpr UINT kRunTasks = WM_APP + 1;
constexpr UINT_PTR kTasksTimer = 1;

// How much closer a notch of the wheel, or Ctrl and +, brings the preview.
constexpr double kZoomStep = 1.25;

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

// Escape for the window or one of its controls. The dialog manager of Windows
// drops Escape while the IDCANCEL button is disabled, as Quit is during a
// run, which Escape stops: the window takes it first.
bool IsEscapeFor(HWND window, const MSG& message) {
  return message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE &&
         (message.hwnd == window || IsChild(window, message.hwnd));
}

// Ctrl and + or - (either row's key): the factor they zoom by, else 1.
double ZoomKeyFactor(WPARAM key) {
  if (GetKeyState(VK_CONTROL) >= 0) return 1;
  if (key == VK_OEM_PLUS || key == VK_ADD) return kZoomStep;
  if (key == VK_OEM_MINUS || key == VK_SUBTRACT) return 1 / kZoomStep;
  return 1;
}

// A control's place in the dialog's client area; empty where there is no such control.
RECT ClientPlaceOf(HWND dialog, int id) {
  RECT rect{};
  if (!GetWindowRect(GetDlgItem(dialog, id), &rect)) return {};
  MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

bool ControlContains(HWND dialog, int id, POINT clientPoint) {
  const RECT rect = ClientPlaceOf(dialog, id);
  return PtInRect(&rect, clientPoint) != FALSE;
}

// The controls of the path frames: true for those that widen with the
// window, false for those that move with its right edge.
constexpr std::pair<int, bool> kPathFrameControls[] = {
    {IDC_INPUT_GROUP, true},  {IDC_INPUT_PATH, true},  {IDC_BROWSE_INPUT, false},
    {IDC_OUTPUT_GROUP, true}, {IDC_OUTPUT_PATH, true}, {IDC_BROWSE_OUTPUT, false},
};

// Adds a window's new place to the positions to set; a failed position
// leaves nothing to set.
HDWP DeferPlace(HDWP positions, HWND window, const RECT& place) {
  if (positions == nullptr) return nullptr;
  return DeferWindowPos(positions, window, nullptr, place.left, place.top, place.right - place.left,
                        place.bottom - place.top, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS);
}

// The work area of the window's monitor: the screen less the task bar.
// Should the system not say, no edge limits the window.
RECT WorkAreaOf(HWND window) {
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (!GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor)) {
    return {-0x3FFFFFFF, -0x3FFFFFFF, 0x3FFFFFFF, 0x3FFFFFFF};
  }
  return monitor.rcWork;
}

// A window's place widened by change, never narrower than smallestWidth, and
// moved left as far as it must to keep its right edge in the work area.
RECT Widened(RECT place, int change, int smallestWidth, const RECT& work) {
  const int width = std::max(smallestWidth, int{place.right - place.left} + change);
  if (place.left + width > work.right) place.left = std::max(work.left, work.right - width);
  place.right = place.left + width;
  return place;
}

void ShowMessageBox(HWND owner, const WindowMessage& message) {
  const UINT icon = message.style == MessageStyle::Exclamation ? MB_ICONEXCLAMATION : 0;
  MessageBoxW(owner, WideFromUtf8(message.text).c_str(), WideFromUtf8(message.title).c_str(),
              MB_OK | icon);
}

// The file manager's window of the file's folder, the file selected.
void ShowFileInFolder(HWND owner, const std::string& utf8Path) {
  std::wstring full(kPathCapacity, L'\0');
  const DWORD length =
      GetFullPathNameW(WideFromUtf8(utf8Path).c_str(), kPathCapacity, full.data(), nullptr);
  if (length == 0 || length >= kPathCapacity) return;
  full.resize(length);
  const std::wstring arguments = L"/select,\"" + full + L"\"";
  ShellExecuteW(owner, L"open", L"explorer.exe", arguments.c_str(), nullptr, SW_SHOWNORMAL);
}

constexpr int kFolderButton = 100;

// Escape, Alt+F4 and the close box send IDCANCEL, which a task dialog
// without a Cancel button takes as closing it only where the system follows
// TDF_ALLOW_DIALOG_CANCELLATION, as Wine's does not: the box takes it as OK.
LRESULT CALLBACK TakeCancelAsOk(HWND box, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                DWORD_PTR) {
  if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
    return SendMessageW(box, TDM_CLICK_BUTTON, IDOK, 0);
  }
  if (message == WM_NCDESTROY) RemoveWindowSubclass(box, TakeCancelAsOk, 0);
  return DefSubclassProc(box, message, wParam, lParam);
}

HRESULT CALLBACK OnTaskDialogEvent(HWND box, UINT event, WPARAM, LPARAM, LONG_PTR) {
  if (event == TDN_CREATED) SetWindowSubclass(box, TakeCancelAsOk, 0, 0);
  return S_OK;
}

// A box like ShowMessageBox's with a check box below its text, or a button
// that opens the output's folder, or both: a task dialog, its verification
// check box and a button of its own. Returns whether the check box was
// checked. Should the task dialog fail, the message still shows, in a box
// without them.
bool ShowTaskDialog(HWND owner, const WindowMessage& message) {
  const std::wstring text = WideFromUtf8(message.text);
  const std::wstring title = WideFromUtf8(message.title);
  const std::wstring checkBox = WideFromUtf8(message.checkBoxText);
  const std::wstring folderText = WideFromUtf8(message.folderButtonText);
  const TASKDIALOG_BUTTON folderButton{kFolderButton, folderText.c_str()};
  TASKDIALOGCONFIG config{};
  config.cbSize = sizeof(config);
  config.hwndParent = owner;
  // Escape closes it, as it closes a message box with one OK button.
  config.dwFlags = TDF_ALLOW_DIALOG_CANCELLATION | TDF_POSITION_RELATIVE_TO_WINDOW;
  config.dwCommonButtons = TDCBF_OK_BUTTON;
  config.nDefaultButton = IDOK;
  config.pfCallback = OnTaskDialogEvent;
  if (!folderText.empty()) {
    config.pButtons = &folderButton;
    config.cButtons = 1;
  }
  config.pszWindowTitle = title.c_str();
  config.pszMainIcon = message.style == MessageStyle::Exclamation ? TD_WARNING_ICON : nullptr;
  config.pszContent = text.c_str();
  if (!checkBox.empty()) config.pszVerificationText = checkBox.c_str();
  int button = 0;
  BOOL checked = FALSE;
  if (FAILED(TaskDialogIndirect(&config, &button, nullptr, &checked))) {
    ShowMessageBox(owner, message);
    return false;
  }
  if (button == kFolderButton) ShowFileInFolder(owner, message.fileToShow);
  return checked != FALSE;
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

// The settings file in UTF-8; empty, which names no file, where there is no folder.
std::string SettingsPath() {
  const std::wstring folder = SettingsFolder();
  return folder.empty() ? std::string() : Utf8FromWide(folder + L"\\Morvex.ini");
}

std::string UserLocaleName() {
  wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
  if (GetUserDefaultLocaleName(name, LOCALE_NAME_MAX_LENGTH) == 0) return {};
  return Utf8FromWide(name);
}

bool IsLanguageButton(int id) {
  const auto buttons = LanguageButtons();
  return std::any_of(buttons.begin(), buttons.end(),
                     [id](const LanguageButton& button) { return button.id == id; });
}

int PenWidthOf(preview::Role role) {
  if (role == preview::Role::InputLine) return 4;
  if (role == preview::Role::OutputLine || role == preview::Role::Reclassified) return 2;
  return 1;
}

// One shape of the picture; scaled turns pixels of 96 DPI into the DC's.
template <typename Scale>
void DrawShape(HDC dc, const preview::Shape& shape, const Scale& scaled) {
  std::vector<POINT> points;
  for (const preview::Pixel& pixel : shape.points) {
    points.push_back({scaled(pixel.x), scaled(pixel.y)});
  }
  if (points.empty()) return;
  const uint32_t rgb = preview::ColourOf(shape.role);
  const COLORREF colour = RGB(rgb >> 16 & 0xFF, rgb >> 8 & 0xFF, rgb & 0xFF);
  const POINT at = points.front();
  const HPEN pen = CreatePen(PS_SOLID, scaled(PenWidthOf(shape.role)), colour);
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
      // On white, so that no line of the map runs through a text.
      const std::wstring text = WideFromUtf8(shape.text);
      SetTextColor(dc, colour);
      SetBkMode(dc, OPAQUE);
      SetBkColor(dc, RGB(255, 255, 255));
      TextOutW(dc, at.x, at.y, text.c_str(), static_cast<int>(text.size()));
      SetBkMode(dc, TRANSPARENT);
      break;
    }
  }
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  DeleteObject(brush);
  DeleteObject(pen);
}

}  // namespace

CMorvexDlg::CMorvexDlg(HINSTANCE instance)
    : m_instance(instance),
      m_bigIcon(LoadIconOfSize(instance, IDI_MAIN, SM_CXICON, SM_CYICON)),
      m_smallIcon(LoadIconOfSize(instance, IDI_MAIN, SM_CXSMICON, SM_CYSMICON)),
      m_settings(SettingsPath(), UserLocaleName()),
      m_presenter(*this, m_settings) {}

CMorvexDlg::~CMorvexDlg() {
  if (m_bigIcon != nullptr) DestroyIcon(m_bigIcon);
  if (m_smallIcon != nullptr) DestroyIcon(m_smallIcon);
}

// A modeless dialog with a loop of its own, so that F1 can go through the
// accelerator table before the dialog manager takes Tab, Enter and Escape.
// The WM_HELP that the system makes of F1 is left alone: the key's release
// reaches the about box just opened, whose WM_HELP goes on to its owner, this
// window, and would open a second about box.
int CMorvexDlg::Run() {
  const HWND window = CreateDialogParamW(m_instance, MAKEINTRESOURCEW(IDD_MAIN), nullptr,
                                         DialogProc, reinterpret_cast<LPARAM>(this));
  if (window == nullptr) return 1;
  const HACCEL keys = LoadAcceleratorsW(m_instance, MAKEINTRESOURCEW(IDD_MAIN));
  MSG message{};
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    // The wheel turns at the focus; the pane takes it when the pointer is over it.
    if (message.message == WM_MOUSEWHEEL && PointerOverPane(message.lParam)) {
      message.hwnd = m_previewPane;
    }
    if (m_window != nullptr && IsEscapeFor(m_window, message)) {
      SendMessageW(m_window, WM_COMMAND, IDCANCEL, 0);
      continue;
    }
    if (m_window != nullptr && keys != nullptr && TranslateAcceleratorW(m_window, keys, &message)) {
      continue;
    }
    if (m_window != nullptr && IsDialogMessageW(m_window, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}

INT_PTR CALLBACK CMorvexDlg::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* dialog = reinterpret_cast<CMorvexDlg*>(lParam);
    SetWindowLongPtrW(window, DWLP_USER, lParam);
    dialog->m_window = window;
  }
  auto* dialog = reinterpret_cast<CMorvexDlg*>(GetWindowLongPtrW(window, DWLP_USER));
  return dialog != nullptr ? dialog->HandleMessage(message, wParam, lParam) : FALSE;
}

INT_PTR CMorvexDlg::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case kRunTasks:
      SetTimer(m_window, kTasksTimer, USER_TIMER_MINIMUM, nullptr);
      return TRUE;
    case WM_TIMER:
      if (wParam != kTasksTimer) return FALSE;
      RunNextTask();
      return TRUE;
    case WM_SETCURSOR:
      return OnSetCursor(lParam) ? TRUE : FALSE;
    case WM_DRAWITEM:
      if (wParam != IDC_PREVIEW_PANE) return FALSE;
      DrawPreview(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      return TRUE;
    case WM_SIZE:
      if (wParam != SIZE_MINIMIZED) LayOut(LOWORD(lParam), HIWORD(lParam));
      return TRUE;
    case WM_GETMINMAXINFO:
      OnGetMinMaxInfo(*reinterpret_cast<MINMAXINFO*>(lParam));
      return TRUE;
    case WM_WINDOWPOSCHANGING:  // then the system keeps the size within the smallest
      OnWindowPosChanging(*reinterpret_cast<WINDOWPOS*>(lParam));
      return FALSE;
    case WM_INITDIALOG:
      OnInitDialog();
      return TRUE;  // the focus goes to the first tab stop, the input path
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return TRUE;
    case WM_SYSCOMMAND:
      return OnSysCommand(wParam) ? TRUE : FALSE;
    case WM_CLOSE:  // the close box and Alt+F4, which the dialog manager would make IDCANCEL
      if (m_presenter.OnClosing()) DestroyWindow(m_window);
      return TRUE;
    case WM_DROPFILES:
      OnDropFiles(reinterpret_cast<HDROP>(wParam));
      return TRUE;
    case WM_DESTROY:
      OnDestroy();
      return TRUE;
    default:
      return FALSE;
  }
}

void CMorvexDlg::OnInitDialog() {
  AddAboutToSystemMenu();
  SendMessageW(m_window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_bigIcon));
  SendMessageW(m_window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_smallIcon));
  ShowTemplateState();
  MakePreviewPane();
  MakeProgressControls();
  {
    const std::lock_guard<std::mutex> lock(m_tasksMutex);
    m_tasksWindow = m_window;
  }
  m_presenter.Start();
  if (!m_startInput.empty()) m_presenter.OnPathChosen(IDC_INPUT_PATH, Utf8FromWide(m_startInput));
  AcceptDrops();
}

// No picture is made once the window is going, and the tasks still queued go with it.
void CMorvexDlg::OnDestroy() {
  m_presenter.StopPreview();
  {
    const std::lock_guard<std::mutex> lock(m_tasksMutex);
    m_tasksWindow = nullptr;
    m_tasks.clear();
  }
  m_window = nullptr;
  PostQuitMessage(0);
}

void CMorvexDlg::AddAboutToSystemMenu() {
  const HMENU menu = GetSystemMenu(m_window, FALSE);
  const std::wstring about = WideFromUtf8(LabelText(AboutMenuText(), Language::kEnglish));
  if (menu == nullptr || about.empty()) return;
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(menu, MF_STRING, IDM_ABOUT, about.c_str());
}

// The caption and every control's text and visibility as the control table
// has them; the presenter sets the rest when it starts.
void CMorvexDlg::ShowTemplateState() {
  SetWindowTextW(m_window, WideFromUtf8(DialogCaption()).c_str());
  for (const ControlTemplate& item : DialogControls()) {
    SetLabel(item.id, item.text, Language::kEnglish);
    if (item.style & kHidden) ShowWindow(GetDlgItem(m_window, item.id), SW_HIDE);
  }
}

// The pane, hidden until the preview is shown, lies right of the buttons and
// below the path frames; at the window's smallest size it is 230 dialog units
// wide.
void CMorvexDlg::MakePreviewPane() {
  RememberTemplatePlaces();
  RECT pane{0, 0, 230, 0};
  MapDialogRect(m_window, &pane);
  m_paneWidth = pane.right + m_margin;
  m_previewPane = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | SS_OWNERDRAW, 0, 0, 0, 0, m_window,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_PREVIEW_PANE)),
                                  m_instance, nullptr);
  SetWindowSubclass(m_previewPane, PaneProc, 0, reinterpret_cast<DWORD_PTR>(this));
  LayOut(m_templateClient.cx, m_templateClient.cy);
}

// The window as the template makes it is its smallest, and the places of its
// controls there are where the layout starts from.
void CMorvexDlg::RememberTemplatePlaces() {
  RECT window{};
  GetWindowRect(m_window, &window);
  m_controlsSize = {window.right - window.left, window.bottom - window.top};
  RECT client{};
  GetClientRect(m_window, &client);
  m_templateClient = {client.right, client.bottom};
  RECT margin{0, 0, 7, 0};
  MapDialogRect(m_window, &margin);
  m_margin = margin.right;
  m_paneTop = ClientPlaceOf(m_window, IDC_OPTIONS_GROUP).top;
  for (const auto& [id, stretches] : kPathFrameControls) {
    m_pathFrameControls.push_back({id, stretches, ClientPlaceOf(m_window, id)});
  }
}

// The path frames span the client area, their fields widening and their
// Browse buttons at its right edge; the options, the languages and the
// buttons' column keep their places, and the pane takes the rest, right of
// the buttons and below the paths. The frames paint their lines only: where
// they changed, the window paints the room in them anew.
void CMorvexDlg::LayOut(int width, int height) {
  if (m_previewPane == nullptr) return;
  const int grow = std::max(0, width - int{m_templateClient.cx});
  HDWP positions = BeginDeferWindowPos(static_cast<int>(m_pathFrameControls.size()) + 1);
  for (const PathFrameControl& control : m_pathFrameControls) {
    RECT place = control.place;
    if (control.stretches) {
      place.right += grow;
    } else {
      OffsetRect(&place, grow, 0);
    }
    positions = DeferPlace(positions, GetDlgItem(m_window, control.id), place);
  }
  positions = DeferPlace(positions, m_previewPane, PanePlace(width, height));
  if (positions != nullptr) EndDeferWindowPos(positions);
  InvalidateRect(m_previewPane, nullptr, FALSE);
  if (width == m_laidOutWidth) return;
  m_laidOutWidth = width;
  const RECT paths{0, 0, width, m_paneTop};
  RedrawWindow(m_window, &paths, nullptr, RDW_INVALIDATE | RDW_ERASE);
  for (int frame : {IDC_INPUT_GROUP, IDC_OUTPUT_GROUP}) {
    InvalidateRect(GetDlgItem(m_window, frame), nullptr, FALSE);
  }
}

RECT CMorvexDlg::PanePlace(int width, int height) const {
  const int left = m_templateClient.cx;
  return {left, m_paneTop, std::max(left, width - m_margin),
          std::max(m_paneTop, height - m_margin)};
}

// The window never shrinks below its template's size, nor, with the pane,
// below that and the pane's smallest width.
SIZE CMorvexDlg::SmallestSize() const {
  return {m_controlsSize.cx + (m_paneShown ? m_paneWidth : 0), m_controlsSize.cy};
}

void CMorvexDlg::OnGetMinMaxInfo(MINMAXINFO& info) const {
  if (m_previewPane == nullptr) return;  // not laid out yet
  const SIZE smallest = SmallestSize();
  info.ptMinTrackSize = {smallest.cx, smallest.cy};
}

LRESULT CALLBACK CMorvexDlg::PaneProc(HWND pane, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR, DWORD_PTR dialog) {
  LRESULT result = 0;
  if (reinterpret_cast<CMorvexDlg*>(dialog)->OnPaneMessage(message, wParam, lParam, result)) {
    return result;
  }
  if (message == WM_NCDESTROY) RemoveWindowSubclass(pane, PaneProc, 0);
  return DefSubclassProc(pane, message, wParam, lParam);
}

// The wheel and Ctrl with + or - zoom the preview, a drag moves it and a
// double click (the static class has CS_DBLCLKS) shows the whole file again.
// A click gives the pane the focus, for the keys; Tab passes it by.
bool CMorvexDlg::OnPaneMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  const POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  switch (message) {
    case WM_NCHITTEST:  // a static lets the mouse through to the window beneath
      result = HTCLIENT;
      return true;
    case WM_ERASEBKGND:  // the picture covers all of the pane, drawn at once
      result = 1;
      return true;
    case WM_MOUSEWHEEL: {  // at the focus, also with the pointer elsewhere
      if (!PointerOverPane(lParam)) return false;
      POINT client = at;
      ScreenToClient(m_previewPane, &client);
      ZoomPane(client, std::pow(kZoomStep, GET_WHEEL_DELTA_WPARAM(wParam) / double{WHEEL_DELTA}));
      return true;
    }
    case WM_KEYDOWN: {
      const double factor = ZoomKeyFactor(wParam);
      if (factor == 1) return false;
      RECT client{};
      GetClientRect(m_previewPane, &client);
      ZoomPane({client.right / 2, client.bottom / 2}, factor);
      return true;
    }
    case WM_LBUTTONDOWN:
      SetFocus(m_previewPane);
      SetCapture(m_previewPane);
      m_dragAt = PaneLayoutPixel(at);
      return true;
    case WM_MOUSEMOVE:
      if (!m_dragAt || (wParam & MK_LBUTTON) == 0) return false;
      DragPaneTo(at);
      return true;
    case WM_LBUTTONUP:
      m_dragAt.reset();
      if (GetCapture() == m_previewPane) ReleaseCapture();
      return true;
    case WM_CAPTURECHANGED:
      m_dragAt.reset();
      return false;
    case WM_LBUTTONDBLCLK:
      m_preview.Fit();
      RepaintPane();
      return true;
    default:
      return false;
  }
}

// The text above the bar, in the room between the languages and the buttons
// (dialog units, as in morvex.rc). Hidden until a run has gone on a while.
void CMorvexDlg::MakeProgressControls() {
  m_progressText =
      MakeControl(L"STATIC", SS_CENTER | SS_NOPREFIX, {353, 135, 433, 144}, IDC_PROGRESS_TEXT);
  m_progressBar = MakeControl(PROGRESS_CLASSW, 0, {353, 147, 433, 156}, IDC_PROGRESS_BAR);
}

// A control of the window's own, not of the template, placed in dialog units,
// in the dialog's font.
HWND CMorvexDlg::MakeControl(const wchar_t* windowClass, DWORD style, RECT place, int id) {
  MapDialogRect(m_window, &place);
  const HWND control =
      CreateWindowExW(0, windowClass, L"", WS_CHILD | style, place.left, place.top,
                      place.right - place.left, place.bottom - place.top, m_window,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), m_instance, nullptr);
  SendMessageW(control, WM_SETFONT, SendMessageW(m_window, WM_GETFONT, 0, 0), FALSE);
  return control;
}

// An elevated window takes drops from the user's file manager too.
void CMorvexDlg::AcceptDrops() {
  DragAcceptFiles(m_window, TRUE);
  for (UINT allowed : {UINT{WM_DROPFILES}, UINT{WM_COPYDATA}, UINT{0x0049}}) {
    ChangeWindowMessageFilterEx(m_window, allowed, MSGFLT_ALLOW, nullptr);
  }
}

void CMorvexDlg::OnCommand(int id, int notification) {
  if (id == IDM_ABOUT) {  // F1
    m_presenter.OnAbout();
  } else if (id == IDCANCEL) {  // Escape and Quit
    if (m_presenter.OnEscape()) DestroyWindow(m_window);
  } else if (notification == BN_CLICKED) {
    OnButtonClicked(id);
  } else {
    OnEditNotification(id, notification);
  }
}

// A field's text is read once, as the report of what the user typed.
void CMorvexDlg::OnEditNotification(int id, int notification) {
  if (notification == EN_KILLFOCUS && id == IDC_INPUT_PATH) {
    m_presenter.OnInputLeft();
  } else if (notification != EN_CHANGE) {
    return;
  } else if (id == IDC_INPUT_PATH) {
    m_presenter.OnInputEdited(ItemText(id));
  } else if (id == IDC_OUTPUT_PATH) {
    m_presenter.OnOutputEdited(ItemText(id));
  } else if (id == IDC_MAX_VIAS) {
    m_presenter.OnViaTextEdited(ItemText(id));
  }
}

void CMorvexDlg::OnButtonClicked(int id) {
  if (id == IDC_BROWSE_INPUT) {
    m_presenter.OnBrowse(IDC_INPUT_PATH);
  } else if (id == IDC_BROWSE_OUTPUT) {
    m_presenter.OnBrowse(IDC_OUTPUT_PATH);
  } else if (id == IDC_CONVERT) {
    m_presenter.OnConvert();
  } else if (OptionOfButton(id) != 0) {
    m_presenter.OnOptionChosen(id);
  } else if (IsLanguageButton(id)) {
    m_presenter.OnLanguageChosen(id);
  } else if (id == IDC_ONE_ROUTE) {
    m_presenter.OnOneRouteToggled(IsDlgButtonChecked(m_window, IDC_ONE_ROUTE) == BST_CHECKED);
  } else if (id == IDC_PREVIEW) {
    m_presenter.OnPreviewClicked();
  }
}

// The system uses the low four bits of a command internally.
bool CMorvexDlg::OnSysCommand(WPARAM command) {
  if ((command & 0xFFF0) != IDM_ABOUT) return false;
  m_presenter.OnAbout();
  return true;
}

// A file dropped on the output frame names the output, anywhere else the input.
void CMorvexDlg::OnDropFiles(HDROP drop) {
  const std::wstring path = DroppedFile(drop);
  POINT point{};
  const bool onOutput =
      DragQueryPoint(drop, &point) && ControlContains(m_window, IDC_OUTPUT_GROUP, point);
  DragFinish(drop);
  if (path.empty()) return;
  m_presenter.OnPathChosen(onOutput ? IDC_OUTPUT_PATH : IDC_INPUT_PATH, Utf8FromWide(path));
}

void CMorvexDlg::SetLabel(int id, TextKey text, Language language) {
  SetDlgItemTextW(m_window, id, WideFromUtf8(LabelText(text, language)).c_str());
}

void CMorvexDlg::SetFieldText(int id, std::string_view text) {
  SetDlgItemTextW(m_window, id, WideFromUtf8(text).c_str());
}

void CMorvexDlg::SetChecked(int id, bool checked) {
  CheckDlgButton(m_window, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

// A control disabled with the focus passes it on to the next enabled tab
// stop, so that the keys still reach the window: during a run, Stop. The
// pane goes with its button.
void CMorvexDlg::SetEnabled(int id, bool enabled) {
  const HWND control = GetDlgItem(m_window, id);
  const bool paneFocused = id == IDC_PREVIEW && GetFocus() == m_previewPane;
  if (!enabled && (GetFocus() == control || paneFocused)) {
    SendMessageW(m_window, WM_NEXTDLGCTL, 0, FALSE);
  }
  EnableWindow(control, enabled ? TRUE : FALSE);
  if (id == IDC_PREVIEW) EnableWindow(m_previewPane, enabled ? TRUE : FALSE);
}

// Each radio group is one tab stop, its checked button. The buttons move the
// stop themselves as they are checked; this keeps it where the presenter has
// it whatever the system does.
void CMorvexDlg::ShowTabStops(const std::vector<int>& stops) {
  for (const ControlTemplate& item : DialogControls()) {
    if (item.kind != ControlKind::Option) continue;
    const HWND button = GetDlgItem(m_window, item.id);
    const LONG_PTR style = GetWindowLongPtrW(button, GWL_STYLE);
    const bool stop = std::find(stops.begin(), stops.end(), item.id) != stops.end();
    SetWindowLongPtrW(button, GWL_STYLE, stop ? style | WS_TABSTOP : style & ~WS_TABSTOP);
  }
}

// The system's own boxes and pickers speak the system's language; the
// preview pane speaks the window's.
void CMorvexDlg::ShowLanguage(Language language) {
  m_paneLanguage = language;
  if (m_previewPane != nullptr) InvalidateRect(m_previewPane, nullptr, FALSE);
}

bool CMorvexDlg::ShowMessage(const WindowMessage& message) {
  if (!message.checkBoxText.empty() || !message.folderButtonText.empty()) {
    return ShowTaskDialog(m_window, message);
  }
  ShowMessageBox(m_window, message);
  return false;
}

// No is the default, so that Enter keeps the file.
bool CMorvexDlg::AskYesNo(const WindowMessage& question) {
  return MessageBoxW(m_window, WideFromUtf8(question.text).c_str(),
                     WideFromUtf8(question.title).c_str(),
                     MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2) == IDYES;
}

std::optional<std::string> CMorvexDlg::PickFile(const FilePick& pick) {
  GdbFilePicker picker(m_window, pick);
  const std::optional<std::wstring> path = picker.Run();
  if (!path) return std::nullopt;
  return Utf8FromWide(*path);
}

void CMorvexDlg::ShowAbout(Language language) {
  ::ShowAboutBox(m_instance, m_window, language);
}

// Shown, the pane widens the window by its width, and hidden it narrows it
// again. A maximised (or minimised) window keeps its size, the layout giving
// the pane its room or taking it back; it changes its width when it is
// restored.
void CMorvexDlg::ShowPreviewPane(bool shown) {
  if (m_previewPane == nullptr || shown == m_paneShown) return;
  m_paneShown = shown;
  ShowWindow(m_previewPane, shown ? SW_SHOWNA : SW_HIDE);
  const int change = shown ? m_paneWidth : -m_paneWidth;
  if (IsZoomed(m_window) || IsIconic(m_window)) {
    m_restoredWidthChange += change;
    return;
  }
  RECT window{};
  GetWindowRect(m_window, &window);
  const RECT place = Widened(window, change, SmallestSize().cx, WorkAreaOf(m_window));
  SetWindowPos(m_window, nullptr, place.left, place.top, place.right - place.left,
               place.bottom - place.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

// The restored place is the system's to keep (SetWindowPlacement would move
// a maximised window under Wine): the change is made as the window leaves
// the maximised or minimised state.
void CMorvexDlg::OnWindowPosChanging(WINDOWPOS& position) {
  if (m_restoredWidthChange == 0 || (position.flags & SWP_NOSIZE) != 0 || IsZoomed(m_window) ||
      IsIconic(m_window)) {
    return;
  }
  const RECT place =
      Widened({position.x, position.y, position.x + position.cx, position.y + position.cy},
              m_restoredWidthChange, SmallestSize().cx, WorkAreaOf(m_window));
  m_restoredWidthChange = 0;
  position.x = place.left;
  position.cx = place.right - place.left;
  position.flags &= ~SWP_NOMOVE;
}

void CMorvexDlg::ShowPicture(preview::Outcome outcome) {
  m_preview.Set(std::move(outcome));
  InvalidateRect(m_previewPane, nullptr, FALSE);
}

void CMorvexDlg::ShowPictureComing() {
  m_preview.SetComing();
  if (m_previewPane != nullptr) InvalidateRect(m_previewPane, nullptr, FALSE);
}

// The arrow with the hourglass over the whole window: a run goes on, and Stop
// can still be clicked.
void CMorvexDlg::ShowBusy(bool busy) {
  m_busy = busy;
  ShowCursorNow();
}

bool CMorvexDlg::OnSetCursor(LPARAM hitTest) {
  if (!m_busy || LOWORD(hitTest) != HTCLIENT) return false;
  SetCursor(LoadCursorW(nullptr, IDC_APPSTARTING));
  SetWindowLongPtrW(m_window, DWLP_MSGRESULT, TRUE);
  return true;
}

// The cursor over the window changes at once, not at the mouse's next move.
void CMorvexDlg::ShowCursorNow() {
  POINT at{};
  GetCursorPos(&at);
  const HWND under = WindowFromPoint(at);
  if (under == nullptr || (under != m_window && !IsChild(m_window, under))) return;
  const LRESULT hit = SendMessageW(under, WM_NCHITTEST, 0, MAKELPARAM(at.x, at.y));
  SendMessageW(under, WM_SETCURSOR, reinterpret_cast<WPARAM>(under),
               MAKELPARAM(LOWORD(hit), WM_MOUSEMOVE));
}

void CMorvexDlg::ShowProgress(const std::optional<ProgressShown>& progress) {
  const int shown = progress ? SW_SHOWNA : SW_HIDE;
  SetBarMeasured(!progress || progress->percent);
  SendMessageW(m_progressBar, PBM_SETPOS, progress ? progress->percent.value_or(0) : 0, 0);
  SetWindowTextW(m_progressText, WideFromUtf8(progress ? progress->text : "").c_str());
  ShowWindow(m_progressText, shown);
  ShowWindow(m_progressBar, shown);
}

// A bar without a measure moves by itself (PBS_MARQUEE) until it gets one.
void CMorvexDlg::SetBarMeasured(bool measured) {
  const LONG_PTR style = GetWindowLongPtrW(m_progressBar, GWL_STYLE);
  if (((style & PBS_MARQUEE) == 0) == measured) return;
  SetWindowLongPtrW(m_progressBar, GWL_STYLE,
                    measured ? style & ~PBS_MARQUEE : style | PBS_MARQUEE);
  SendMessageW(m_progressBar, PBM_SETMARQUEE, measured ? FALSE : TRUE, 0);
  InvalidateRect(m_progressBar, nullptr, TRUE);
}

// The presenter has saved the settings: the window goes without asking again.
void CMorvexDlg::Close() {
  if (m_window != nullptr) DestroyWindow(m_window);
}

void CMorvexDlg::Post(std::function<void()> task) {
  const std::lock_guard<std::mutex> lock(m_tasksMutex);
  if (m_tasksWindow == nullptr) return;
  m_tasks.push_back(std::move(task));
  if (m_tasks.size() == 1) PostMessageW(m_tasksWindow, kRunTasks, 0, 0);
}

// The tasks run one a tick of a timer, which runs while the queue holds any.
// The system hands a thread its posted messages before keys and clicks, and
// timer ticks after them: so a key pressed before a task runs reaches the
// window first (Enter or Escape for Stop), never a box the task opens. A
// task that opens a box leaves the next ones to the ticks in the box's loop;
// each tick takes the oldest task off the queue before it runs it.
void CMorvexDlg::RunNextTask() {
  std::function<void()> task;
  {
    const std::lock_guard<std::mutex> lock(m_tasksMutex);
    if (!m_tasks.empty()) {
      task = std::move(m_tasks.front());
      m_tasks.pop_front();
    }
    if (m_tasks.empty()) KillTimer(m_window, kTasksTimer);
  }
  if (task) task();
}

// Drawn into a bitmap first, so that a new picture does not flicker.
void CMorvexDlg::DrawPreview(const DRAWITEMSTRUCT& item) {
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
  for (const preview::Shape& shape :
       m_preview.Shapes(MulDiv(width, 96, dpi), MulDiv(height, 96, dpi), m_paneLanguage)) {
    DrawShape(dc, shape, scaled);
  }
  BitBlt(item.hDC, area.left, area.top, width, height, dc, 0, 0, SRCCOPY);
  SelectObject(dc, oldFont);
  SelectObject(dc, oldBitmap);
  DeleteObject(bitmap);
  DeleteDC(dc);
}

bool CMorvexDlg::PointerOverPane(LPARAM screenPoint) const {
  RECT pane{};
  return m_previewPane != nullptr && IsWindowVisible(m_previewPane) &&
         IsWindowEnabled(m_previewPane) && GetWindowRect(m_previewPane, &pane) &&
         PtInRect(&pane, {GET_X_LPARAM(screenPoint), GET_Y_LPARAM(screenPoint)});
}

// The pane's size and a point of it in the pixels of 96 DPI its shapes are laid out in.
SIZE CMorvexDlg::PaneLayoutSize() const {
  RECT client{};
  GetClientRect(m_previewPane, &client);
  const preview::Pixel corner = PaneLayoutPixel({client.right, client.bottom});
  return {corner.x, corner.y};
}

preview::Pixel CMorvexDlg::PaneLayoutPixel(POINT client) const {
  const HDC dc = GetDC(m_previewPane);
  const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
  ReleaseDC(m_previewPane, dc);
  return {MulDiv(client.x, 96, dpi), MulDiv(client.y, 96, dpi)};
}

void CMorvexDlg::ZoomPane(POINT client, double factor) {
  const SIZE size = PaneLayoutSize();
  m_preview.ZoomAt(PaneLayoutPixel(client), factor, size.cx, size.cy);
  RepaintPane();
}

// Moved from where the drag was last, so that the rounding to layout pixels
// does not add up over the moves.
void CMorvexDlg::DragPaneTo(POINT client) {
  const preview::Pixel to = PaneLayoutPixel(client);
  const SIZE size = PaneLayoutSize();
  m_preview.Pan(to.x - m_dragAt->x, to.y - m_dragAt->y, size.cx, size.cy);
  m_dragAt = to;
  RepaintPane();
}

void CMorvexDlg::RepaintPane() {
  InvalidateRect(m_previewPane, nullptr, FALSE);
  UpdateWindow(m_previewPane);
}

std::string CMorvexDlg::ItemText(int id) const {
  const HWND control = GetDlgItem(m_window, id);
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
  text.resize(
      static_cast<size_t>(GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
  return Utf8FromWide(text);
}
