#include "run_messages.h"

namespace {

struct RunMessageRow {
  RunMessage message;
  RunMessageText english;
  RunMessageText dutch;
  RunMessageText german;
};

constexpr RunMessageRow kRunMessages[] = {
    {RunMessage::InputPathEmpty,
     {"No input file specified", "File error"},
     {"Geen invoer bestand gespecificeerd", "Bestandsfout"},
     {"Keine Eingabe-Datei angegeben", "Datei Fehler"}},
    {RunMessage::InputOpenFailed,
     {"Cannot open input file", "File error"},
     {"Kan het invoer bestand niet openen", "Bestandsfout"},
     {"Kann Eingabe-Datei nicht \xC3\xB6"
      "ffnen",
      "Datei Fehler"}},
    {RunMessage::OutputPathEmpty,
     {"No output file specified", "File error"},
     {"Geen uitvoer bestand gespecificeerd", "Bestandsfout"},
     {"Keine Ausgabe-Datei angegeben", "Datei Fehler"}},
    {RunMessage::OutputOpenFailed,
     {"Cannot open output file\nSame file as input or Read-Only?", "File error"},
     {"Kan het uitvoer bestand niet openen\nZelfde bestand als invoer of Read-Only?",
      "Bestandsfout"},
     {"Kann Ausgabe-Datei nicht \xC3\xB6"
      "ffnen\nGleiche Datei wie Eingabe-Datei oder Nur Lesen",
      "Datei Fehler"}},
    {RunMessage::ViaCountInvalid,
     {"Number of via points per route invalid", "Error"},
     {"Aantal via punten per route ongeldig", "Fout"},
     {"Anzahl der Zwischenpunkte je Route ung\xC3\xBCltig", "Fehler"}},
    {RunMessage::NotGdbFormat,
     {"Input file is not in GDB format", "File error"},
     {"Invoer bestand is niet in GDB formaat", "Bestandsfout"},
     {"Eingabe-Datei ist nicht im GDB Format", "Datei Fehler"}},
    {RunMessage::InputTruncated,
     {"Input file ends before its end record - output is incomplete", "File error"},
     {"Invoer bestand eindigt voor het eindrecord - uitvoer is onvolledig", "Bestandsfout"},
     {"Eingabe-Datei endet vor dem Endedatensatz - Ausgabe ist unvollst\xC3\xA4ndig",
      "Datei Fehler"}},
    {RunMessage::OutputWriteFailed,
     {"Error writing output file", "File error"},
     {"Fout bij het schrijven van het uitvoer bestand", "Bestandsfout"},
     {"Fehler beim Schreiben der Ausgabe-Datei", "Datei Fehler"}},
    {RunMessage::Completed,
     {"GDB file conversion completed", "Finished"},
     {"GDB bestandsconversie voltooid", "Klaar"},
     {"GDB Datei Konvertierung komplett", "Fertig"}},
};

}  // namespace

RunMessageText RunMessageFor(RunMessage message, int language) {
  for (const RunMessageRow& row : kRunMessages) {
    if (row.message != message) continue;
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
