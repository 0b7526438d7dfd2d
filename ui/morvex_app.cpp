#include "morvex_app.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "morvex_dlg.h"

// "link/.." is the folder above the link's target, not the folder the link
// is in: the path is only tidied where that names the same file.
QString FileToOpen(const QStringList& arguments) {
  if (arguments.size() < 2 || arguments[1].isEmpty()) return {};
  const QString given = QDir::current().absoluteFilePath(arguments[1]);
  const QString tidy = QDir::cleanPath(given);
  const bool same = QFileInfo(tidy).canonicalFilePath() == QFileInfo(given).canonicalFilePath();
  return QDir::toNativeSeparators(same ? tidy : given);
}

CMorvexApp::~CMorvexApp() = default;

bool CMorvexApp::InitInstance() {
  CMorvexDlg dlg;
  dlg.SetTraceOutput(m_trace);
  dlg.SetInputPath(FileToOpen(QCoreApplication::arguments()));
  m_pMainWnd = &dlg;
  dlg.exec();
  m_pMainWnd = nullptr;
  return false;
}
