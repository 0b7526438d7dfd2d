#include "morvex_resources.h"

#include <QtGlobal>

void InitMorvexResources() {
  static const bool registered = [] {
    Q_INIT_RESOURCE(morvex);
    return true;
  }();
  (void)registered;
}
