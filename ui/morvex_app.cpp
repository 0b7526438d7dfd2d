#include "morvex_app.h"

#include "morvex_dlg.h"

CMorvexApp::~CMorvexApp() = default;

bool CMorvexApp::InitInstance() {
  CMorvexDlg dlg;
  dlg.SetTraceOutput(m_trace);
  m_pMainWnd = &dlg;
  dlg.exec();
  m_pMainWnd = nullptr;
  return false;
}
