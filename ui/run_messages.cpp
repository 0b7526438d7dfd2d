#include "run_messages.h"

namespace {

struct RunMessageRow {
  RunOutcome outcome;
  RunMessageText english;
  RunMessageText dutch;
  RunMessageText german;
};

constexpr RunMessageRow kRunMessages[] = {
    {RunOutcome::InputPathEmpty,
     {"No input file specified", "File error"},
     {"Geen invoer bestand gespecificeerd", "Bestandsfout"},
     {"Keine Eingabe-Datei angegeben", "Datei Fehler"}},
    {RunOutcome::InputOpenFailed,
     {"Cannot open input file", "File error"},
     {"Kan het invoer bestand niet openen", "Bestandsfout"},
     {"Kann Eingabe-Datei nicht \xC3\xB6"
      "ffnen",
      "Datei Fehler"}},
    {RunOutcome::OutputPathEmpty,
     {"No output file specified", "File error"},
     {"Geen uitvoer bestand gespecificeerd", "Bestandsfout"},
     {"Keine Ausgabe-Datei angegeben", "Datei Fehler"}},
    {RunOutcome::OutputOpenFailed,
     {"Cannot open output file\nSame file as input or Read-Only?", "File error"},
     {"Kan het uitvoer bestand niet openen\nZelfde bestand als invoer of Read-Only?",
      "Bestandsfout"},
     {"Kann Ausgabe-Datei nicht \xC3\xB6"
      "ffnen\nGleiche Datei wie Eingabe-Datei oder Nur Lesen",
      "Datei Fehler"}},
    {RunOutcome::ViaCountInvalid,
     {"Number of via points per route invalid", "Error"},
     {"Aantal via punten per route ongeldig", "Fout"},
     {"Anzahl der Zwischenpunkte je Route ung\xC3\xBCltig", "Fehler"}},
    {RunOutcome::NotGdbFormat,
     {"Input file is not in GDB format", "File error"},
     {"Invoer bestand is niet in GDB formaat", "Bestandsfout"},
     {"Eingabe-Datei ist nicht im GDB Format", "Datei Fehler"}},
    {RunOutcome::InputTruncated,
     {"Input file ends before its end record - output is incomplete", "File error"},
     {"Invoer bestand eindigt voor het eindrecord - uitvoer is onvolledig", "Bestandsfout"},
     {"Eingabe-Datei endet vor dem Endedatensatz - Ausgabe ist unvollst\xC3\xA4ndig",
      "Datei Fehler"}},
    {RunOutcome::OutputWriteFailed,
     {"Error writing output file", "File error"},
     {"Fout bij het schrijven van het uitvoer bestand", "Bestandsfout"},
     {"Fehler beim Schreiben der Ausgabe-Datei", "Datei Fehler"}},
    {RunOutcome::Completed,
     {"GDB file conversion completed", "Finished"},
     {"GDB bestandsconversie voltooid", "Klaar"},
     {"GDB Datei Konvertierung komplett", "Fertig"}},
};

}  // namespace

RunMessageText RunMessageFor(RunOutcome outcome, int language) {
  for (const RunMessageRow& row : kRunMessages) {
    if (row.outcome != outcome) continue;
    switch (language) {
      case 1:
        return row.english;
      case 2:
        return row.dutch;
      case 3:
        return row.german;
      default:
        return {nullptr, nullptr};
    }
  }
  return {nullptr, nullptr};
}
