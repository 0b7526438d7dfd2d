#include "qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QString>
#include <QTranslator>

#include "window_texts.h"

QtTranslations::QtTranslations() = default;

// Deleting a translator takes it out of the application.
QtTranslations::~QtTranslations() = default;

bool QtTranslations::Use(Language language) {
  m_installed.reset();
  const std::string_view locale = LocaleName(language);
  if (locale.empty() || locale == "en") return false;
  auto translator = std::make_unique<QTranslator>();
  const QString file =
      QStringLiteral("qtbase_") + QString::fromLatin1(locale.data(), locale.size());
  if (!translator->load(file, QLibraryInfo::path(QLibraryInfo::TranslationsPath))) return false;
  if (!QCoreApplication::installTranslator(translator.get())) return false;
  m_installed = std::move(translator);
  return true;
}
