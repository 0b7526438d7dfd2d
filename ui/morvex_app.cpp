#include "morvex_app.h"

#include "morvex_dlg.h"

CMorvexApp::~CMorvexApp() = default;

bool CMorvexApp::InitInstance() {
  CMorvexDlg dlg;
  m_pMainWnd = &dlg;
  dlg.exec();
  m_pMainWnd = nullptr;
  return false;
}
