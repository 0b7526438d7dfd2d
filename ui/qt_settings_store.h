// The converter window's settings in QSettings of organisation and
// application "Morvex", in the user's scope; a first start takes the
// language of QLocale.
#pragma once

#include "settings.h"

class QtSettingsStore final : public SettingsStore {
 public:
  static constexpr char kName[] = "Morvex";

  DialogSettings Load() override;
  void Save(const DialogSettings& settings) override;
};
