#include "qt_settings_store.h"

#include <QLocale>
#include <QSettings>
#include <QString>

namespace {

QString FromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

DialogSettings QtSettingsStore::Load() {
  const QString name = QString::fromLatin1(kName);
  const QSettings store(name, name);
  return SettingsFromStored(
      [&store](std::string_view key) -> std::optional<std::string> {
        const QVariant value = store.value(FromUtf8(key));
        if (!value.isValid()) return std::nullopt;
        return value.toString().toStdString();
      },
      QLocale().name().toStdString());
}

void QtSettingsStore::Save(const DialogSettings& settings) {
  const QString name = QString::fromLatin1(kName);
  QSettings store(name, name);
  for (const StoredSetting& setting : StoredSettings(settings)) {
    store.setValue(FromUtf8(setting.name), QString::fromStdString(setting.value));
  }
}
