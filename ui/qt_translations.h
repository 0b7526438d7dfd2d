// Qt's own texts in the window's language: the file picker, the standard menu
// of a text field, the buttons of a message box. They come from the
// translations installed beside Qt (qtbase_nl.qm, qtbase_de.qm).
#pragma once

#include <QtGlobal>
#include <memory>

#include "gdb_types.h"

class QTranslator;

class QtTranslations {
  Q_DISABLE_COPY(QtTranslations)

 public:
  QtTranslations();
  ~QtTranslations();

  // Installs Qt's translation for the language in place of the one before.
  // English, a language without texts of its own, or a translation that is
  // not installed leave Qt's own English. Returns whether one is installed now.
  bool Use(Language language);

 private:
  std::unique_ptr<QTranslator> m_installed;
};
