// The application: shows the converter window as the program's one working
// window and ends the program when it is closed.
#pragma once

#include <QtGlobal>

class OutputStream;
class QWidget;

class CMorvexApp {
  Q_DISABLE_COPY(CMorvexApp)

 public:
  CMorvexApp() = default;
  virtual ~CMorvexApp();

  // Runs the converter window modally. Returns false: when the window has
  // closed, the program ends without an event loop of its own.
  virtual bool InitInstance();

  // Where the window's runs write their trace lines; not owned.
  void SetTraceOutput(OutputStream* trace) { m_trace = trace; }

  QWidget* m_pMainWnd = nullptr;  // the converter window while it runs

 private:
  OutputStream* m_trace = nullptr;
};
