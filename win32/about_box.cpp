#include "about_box.h"

#include "resource.h"
#include "wide_text.h"
#include "window_texts.h"

namespace {

// The window's DPI: per monitor where the system knows it (Windows 10 1607
// and later), else the system's.
UINT WindowDpi(HWND window) {
  using GetDpiForWindowCall = UINT(WINAPI*)(HWND);
  const FARPROC call = GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow");
  if (call != nullptr) {
    return reinterpret_cast<GetDpiForWindowCall>(reinterpret_cast<void*>(call))(window);
  }
  const HDC screen = GetDC(window);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(window, screen);
  return static_cast<UINT>(dpi);
}

// The logo is one bitmap of 96 DPI; above that the picture gets a copy
// stretched to the DPI, which the caller deletes when the box is closed.
HBITMAP ScaleLogoToDpi(HWND box) {
  const HWND picture = GetDlgItem(box, IDC_ABOUT_LOGO);
  const UINT dpi = WindowDpi(box);
  BITMAP logo{};
  const auto original =
      reinterpret_cast<HBITMAP>(SendMessageW(picture, STM_GETIMAGE, IMAGE_BITMAP, 0));
  if (dpi <= 96 || original == nullptr || !GetObjectW(original, sizeof logo, &logo)) return nullptr;
  const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(box, GWLP_HINSTANCE));
  const auto scaled = static_cast<HBITMAP>(
      LoadImageW(instance, MAKEINTRESOURCEW(IDB_ABOUT), IMAGE_BITMAP, MulDiv(logo.bmWidth, dpi, 96),
                 MulDiv(logo.bmHeight, dpi, 96), LR_DEFAULTCOLOR));
  if (scaled == nullptr) return nullptr;
  const auto previous = reinterpret_cast<HBITMAP>(
      SendMessageW(picture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(scaled)));
  if (previous != nullptr && previous != scaled) DeleteObject(previous);
  return scaled;
}

// What the box is opened with, and the scaled logo it leaves to delete.
struct AboutBoxState {
  Language language;
  HBITMAP scaledLogo = nullptr;
};

INT_PTR CALLBACK AboutProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      auto* state = reinterpret_cast<AboutBoxState*>(lParam);
      SetWindowTextW(box, WideFromUtf8(AboutCaption()).c_str());
      SetAboutTexts(box, state->language);
      state->scaledLogo = ScaleLogoToDpi(box);
      return TRUE;  // the focus goes to OK
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        EndDialog(box, LOWORD(wParam));
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

void ShowAboutBox(HINSTANCE instance, HWND owner, Language language) {
  AboutBoxState state{language};
  DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_ABOUT), owner, AboutProc,
                  reinterpret_cast<LPARAM>(&state));
  if (state.scaledLogo != nullptr) DeleteObject(state.scaledLogo);
}

void SetAboutTexts(HWND box, Language language) {
  for (const ControlText& item : AboutTexts()) {
    SetDlgItemTextW(box, item.id, WideFromUtf8(AboutText(item.text, language)).c_str());
  }
}
