#include <QApplication>
#include <cstdio>

#include "byte_stream.h"
#include "conversion_state.h"
#include "morvex_app.h"

// The one application object; its constructor does nothing.
CMorvexApp theApp;

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QGuiApplication::setDesktopFileName(QStringLiteral("morvex"));
  // The engine's trace lines, one per record, go to standard output.
  FileOutputStream trace(stdout, 1 << 14);
  g_traceOutput = &trace;
  const bool runLoop = theApp.InitInstance();
  trace.Flush();
  g_traceOutput = nullptr;
  return runLoop ? QApplication::exec() : 0;
}
