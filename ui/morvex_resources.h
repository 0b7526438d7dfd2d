// The pictures compiled into the program (resources/morvex.qrc), under the
// prefix :/morvex/. The dialog classes live in a static library, whose
// resources are only linked in when something calls this.
#pragma once

void InitMorvexResources();
