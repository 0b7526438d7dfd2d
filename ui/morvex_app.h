// The application: shows the converter window as the program's one working
// window and ends the program when it is closed.
#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

class OutputStream;
class QWidget;

// The file the program was started with, from its arguments (the program
// first, Qt's own options already taken out): the first argument, made
// absolute from the current folder; any further ones are ignored. Empty for
// none.
QString FileToOpen(const QStringList& arguments);

class CMorvexApp {
  Q_DISABLE_COPY(CMorvexApp)

 public:
  CMorvexApp() = default;
  virtual ~CMorvexApp();

  // Runs the converter window modally, on the file of the command line if
  // any. Returns false: when the window has closed, the program ends without
  // an event loop of its own.
  virtual bool InitInstance();

  // Where the window's runs write their trace lines; not owned.
  void SetTraceOutput(OutputStream* trace) { m_trace = trace; }

  QWidget* m_pMainWnd = nullptr;  // the converter window while it runs

 private:
  OutputStream* m_trace = nullptr;
};
