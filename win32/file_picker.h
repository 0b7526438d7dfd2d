// The file picker of a path field: the system's open or save dialog, GDB
// files first. Its filter names are those the presenter gives, in the
// window's language; the dialog's own texts are the system's.
#pragma once

#include <windows.h>

#include <commdlg.h>  // needs windows.h first

#include <optional>
#include <string>

#include "view.h"

class GdbFilePicker {
 public:
  GdbFilePicker(HWND owner, const FilePick& pick);
  GdbFilePicker(const GdbFilePicker&) = delete;
  GdbFilePicker& operator=(const GdbFilePicker&) = delete;

  // The request as the system's dialog takes it; it points into the picker.
  OPENFILENAMEW& Request() { return m_request; }
  // Shows the dialog: the chosen path, or nothing when it was cancelled.
  std::optional<std::wstring> Run();

 private:
  bool m_save;
  std::wstring m_filter;
  std::wstring m_extension;
  std::wstring m_path;
  std::wstring m_startFolder;
  OPENFILENAMEW m_request{};
};
