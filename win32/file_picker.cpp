#include "file_picker.h"

#include <algorithm>

#include "wide_text.h"

namespace {

// Room for any path the system's calls take, long paths included.
constexpr DWORD kPathCapacity = 32768;

}  // namespace

GdbFilePicker::GdbFilePicker(HWND owner, const FilePick& pick)
    : m_save(pick.save),
      m_filter(WideFromUtf8(PipeSeparatedFilters(FilterNames(pick.filters, pick.language)))),
      m_extension(WideFromUtf8(pick.filters.defaultSuffix)),
      m_path(kPathCapacity, L'\0'),
      m_startFolder(WideFromUtf8(pick.folder)) {
  // The filter list as the dialog takes it: NUL for every '|'.
  std::replace(m_filter.begin(), m_filter.end(), L'|', L'\0');
  // The buffer's first name is the one the dialog offers.
  const std::wstring name = WideFromUtf8(pick.name);
  std::copy_n(name.begin(), std::min<size_t>(name.size(), kPathCapacity - 1), m_path.begin());
  m_request.lStructSize = sizeof m_request;
  m_request.hwndOwner = owner;
  m_request.lpstrFilter = m_filter.c_str();
  m_request.nFilterIndex = 1;
  m_request.lpstrFile = m_path.data();
  m_request.nMaxFile = kPathCapacity;
  m_request.lpstrDefExt = m_extension.c_str();
  m_request.lpstrInitialDir = m_startFolder.empty() ? nullptr : m_startFolder.c_str();
  m_request.Flags = OFN_HIDEREADONLY | (m_save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
}

std::optional<std::wstring> GdbFilePicker::Run() {
  if (!(m_save ? GetSaveFileNameW(&m_request) : GetOpenFileNameW(&m_request))) return std::nullopt;
  return m_path.substr(0, m_path.find(L'\0'));
}
