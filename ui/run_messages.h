// The outcome messages of a conversion run in the three dialog languages.
#pragma once

#include "conversion_run.h"

struct RunMessageText {
  const char* text;   // UTF-8
  const char* title;  // UTF-8
};

// The message in language 1 English, 2 Dutch or 3 German; null text for any
// other language, which shows no outcome message.
RunMessageText RunMessageFor(RunOutcome outcome, int language);
