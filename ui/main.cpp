#include <QApplication>
#include <cstdio>

#include "file_streams.h"
#include "morvex_app.h"

// The one application object; its constructor does nothing.
CMorvexApp theApp;

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QGuiApplication::setDesktopFileName(QStringLiteral("morvex"));
  // The engine's trace lines, one per record, go to standard output.
  FileOutputStream trace(stdout, 1 << 14);
  theApp.SetTraceOutput(&trace);
  const bool runLoop = theApp.InitInstance();
  trace.Flush();
  return runLoop ? QApplication::exec() : 0;
}
