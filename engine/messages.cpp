#include "messages.h"

namespace {

struct MessageRow {
  MessageId id;
  MessageText english;
  MessageText dutch;
  MessageText german;
};

constexpr char kInfo[] = "Info";  // The parts of the summary line have no title of their own.
constexpr const char* kPartOfSummary = nullptr;
constexpr const char* kPartOfBox = nullptr;

constexpr MessageRow kMessages[] = {
    {MessageId::kInputPathEmpty,
     {"No input file specified", "File error"},
     {"Geen invoer bestand gespecificeerd", "Bestandsfout"},
     {"Keine Eingabe-Datei angegeben", "Datei Fehler"}},
    {MessageId::kInputOpenFailed,
     {"Cannot open input file", "File error"},
     {"Kan het invoer bestand niet openen", "Bestandsfout"},
     {"Kann Eingabe-Datei nicht \xC3\xB6"
      "ffnen",
      "Datei Fehler"}},
    {MessageId::kOutputPathEmpty,
     {"No output file specified", "File error"},
     {"Geen uitvoer bestand gespecificeerd", "Bestandsfout"},
     {"Keine Ausgabe-Datei angegeben", "Datei Fehler"}},
    {MessageId::kOutputOpenFailed,
     {"Cannot open output file\nSame file as input or Read-Only?", "File error"},
     {"Kan het uitvoer bestand niet openen\nZelfde bestand als invoer of Read-Only?",
      "Bestandsfout"},
     {"Kann Ausgabe-Datei nicht \xC3\xB6"
      "ffnen\nGleiche Datei wie Eingabe-Datei oder Nur Lesen",
      "Datei Fehler"}},
    {MessageId::kViaCountInvalid,
     {"Number of via points per route invalid", "Error"},
     {"Aantal via punten per route ongeldig", "Fout"},
     {"Anzahl der Zwischenpunkte je Route ung\xC3\xBCltig", "Fehler"}},
    {MessageId::kNotGdbFormat,
     {"Input file is not in GDB format", "File error"},
     {"Invoer bestand is niet in GDB formaat", "Bestandsfout"},
     {"Eingabe-Datei ist nicht im GDB Format", "Datei Fehler"}},
    {MessageId::kInputTruncated,
     {"Input file ends before its end record - output is incomplete", "File error"},
     {"Invoer bestand eindigt voor het eindrecord - uitvoer is onvolledig", "Bestandsfout"},
     {"Eingabe-Datei endet vor dem Endedatensatz - Ausgabe ist unvollst\xC3\xA4ndig",
      "Datei Fehler"}},
    {MessageId::kOutputWriteFailed,
     {"Error writing output file", "File error"},
     {"Fout bij het schrijven van het uitvoer bestand", "Bestandsfout"},
     {"Fehler beim Schreiben der Ausgabe-Datei", "Datei Fehler"}},
    {MessageId::kInputReadFailed,
     {"Error reading input file - no output written", "File error"},
     {"Fout bij het lezen van het invoer bestand - er is geen uitvoer geschreven", "Bestandsfout"},
     {"Fehler beim Lesen der Eingabe-Datei - es wurde keine Ausgabe geschrieben", "Datei Fehler"}},
    {MessageId::kInputTruncatedNoOutput,
     {"Input file ends before its end record - no output written", "File error"},
     {"Invoer bestand eindigt voor het eindrecord - er is geen uitvoer geschreven", "Bestandsfout"},
     {"Eingabe-Datei endet vor dem Endedatensatz - es wurde keine Ausgabe geschrieben",
      "Datei Fehler"}},
    {MessageId::kOutputWriteFailedNoOutput,
     {"Error writing output file - no output written", "File error"},
     {"Fout bij het schrijven van het uitvoer bestand - er is geen uitvoer geschreven",
      "Bestandsfout"},
     {"Fehler beim Schreiben der Ausgabe-Datei - es wurde keine Ausgabe geschrieben",
      "Datei Fehler"}},
    {MessageId::kInputReadFailedIncomplete,
     {"Error reading input file - output is incomplete", "File error"},
     {"Fout bij het lezen van het invoer bestand - uitvoer is onvolledig", "Bestandsfout"},
     {"Fehler beim Lesen der Eingabe-Datei - Ausgabe ist unvollst\xC3\xA4ndig", "Datei Fehler"}},
    {MessageId::kNewFileLeft,
     {"The unfinished file %s could not be removed", "File error"},
     {"Het onvoltooide bestand %s kon niet worden verwijderd", "Bestandsfout"},
     {"Die unfertige Datei %s konnte nicht entfernt werden", "Datei Fehler"}},
    {MessageId::kFileNotFound,
     {"%s: the file does not exist", "File error"},
     {"%s: het bestand bestaat niet", "Bestandsfout"},
     {"%s: die Datei existiert nicht", "Datei Fehler"}},
    {MessageId::kFolderNotFound,
     {"%s: the folder does not exist", "File error"},
     {"%s: de map bestaat niet", "Bestandsfout"},
     {"%s: der Ordner existiert nicht", "Datei Fehler"}},
    {MessageId::kIsFolder,
     {"%s: is a folder", "File error"},
     {"%s: is een map", "Bestandsfout"},
     {"%s: ist ein Ordner", "Datei Fehler"}},
    {MessageId::kIsInputFile,
     {"%s: is the input file", "File error"},
     {"%s: is het invoer bestand", "Bestandsfout"},
     {"%s: ist die Eingabe-Datei", "Datei Fehler"}},
    {MessageId::kIsReadOnly,
     {"%s: is read-only", "File error"},
     {"%s: is Read-Only", "Bestandsfout"},
     {"%s: ist schreibgesch\xC3\xBCtzt", "Datei Fehler"}},
    {MessageId::kPermissionDenied,
     {"%s: permission denied", "File error"},
     {"%s: toegang geweigerd", "Bestandsfout"},
     {"%s: Zugriff verweigert", "Datei Fehler"}},
    {MessageId::kDiskFull,
     {"%s: the disk is full", "File error"},
     {"%s: de schijf is vol", "Bestandsfout"},
     {"%s: der Datentr\xC3\xA4ger ist voll", "Datei Fehler"}},
    {MessageId::kFileTooLarge,
     {"%s: the file is too large", "File error"},
     {"%s: het bestand is te groot", "Bestandsfout"},
     {"%s: die Datei ist zu gro\xC3\x9F", "Datei Fehler"}},
    {MessageId::kTooManyLinks,
     {"%s: the path has too many links", "File error"},
     {"%s: het pad heeft te veel koppelingen", "Bestandsfout"},
     {"%s: der Pfad hat zu viele Verkn\xC3\xBCpfungen", "Datei Fehler"}},
    {MessageId::kSystemRefused,
     {"%s: the system refused it", "File error"},
     {"%s: het systeem weigerde het", "Bestandsfout"},
     {"%s: das System hat es verweigert", "Datei Fehler"}},
    {MessageId::kCompleted,
     {"GDB file conversion completed", "Finished"},
     {"GDB bestandsconversie voltooid", "Klaar"},
     {"GDB Datei Konvertierung komplett", "Fertig"}},
    {MessageId::kPointLimit,
     {"Route point limit reached - track truncated!", kInfo},
     {"Route point limit reached - track truncated!", kInfo},
     {"Route point limit reached - track truncated!", kInfo}},
    {MessageId::kTrackSkipped,
     {"Cannot convert more then 10000 trackpoints,\ntrack \"%s\" skipped.", kInfo},
     {"Kan niet meer dan 10000 trackpoints converteren,\ntrack \"%s\" overgeslagen.", kInfo},
     {"Kann nicht mehr als 10000 Trackpunkten konvertieren,\ntrack \"%s\" \xC3\xBC"
      "bersprungen.",
      kInfo}},
    {MessageId::kRecordDamaged,
     {"Record %u is damaged: converted the part that could be read", kInfo},
     {"Record %u is beschadigd: het leesbare deel is geconverteerd", kInfo},
     {"Datensatz %u ist besch\xC3\xA4"
      "digt: der lesbare Teil wurde konvertiert",
      kInfo}},
    {MessageId::kTraceWriteFailed,
     {"standard output could not be written; the conversion went on", "Trace"},
     {"standaarduitvoer kon niet worden geschreven; de conversie ging door", "Trace"},
     {"Die Standardausgabe konnte nicht geschrieben werden; die Konvertierung lief weiter",
      "Trace"}},
    {MessageId::kSummary, {"%s.", "Summary"}, {"%s.", "Samenvatting"}, {"%s.", "Zusammenfassung"}},
    {MessageId::kSummaryRoutesToTracks,
     {"%s became %s (%s)", kPartOfSummary},
     {"%s omgezet in %s (%s)", kPartOfSummary},
     {"%s in %s umgewandelt (%s)", kPartOfSummary}},
    {MessageId::kSummaryTracksToRoutes,
     {"%s became %s with %s", kPartOfSummary},
     {"%s omgezet in %s met %s", kPartOfSummary},
     {"%s in %s mit %s umgewandelt", kPartOfSummary}},
    {MessageId::kSummaryTracksToOneRoute,
     {"%s became %s of at most %s via points", kPartOfSummary},
     {"%s omgezet in %s van hoogstens %s viapunten", kPartOfSummary},
     {"%s in %s mit h\xC3\xB6"
      "chstens %s Zwischenpunkten umgewandelt",
      kPartOfSummary}},
    {MessageId::kSummaryFarthestPoint,
     {"every track point lies within %s m of its route", kPartOfSummary},
     {"elk trackpunt ligt binnen %s m van zijn route", kPartOfSummary},
     {"jeder Trackpunkt liegt h\xC3\xB6"
      "chstens %s m von seiner Route entfernt",
      kPartOfSummary}},
    {MessageId::kNothingNoRoutes,
     {"Nothing to convert: the file has no routes", kPartOfSummary},
     {"Niets te converteren: het bestand bevat geen routes", kPartOfSummary},
     {"Nichts zu konvertieren: die Datei enth\xC3\xA4lt keine Routen", kPartOfSummary}},
    {MessageId::kNothingNoTracks,
     {"Nothing to convert: the file has no tracks", kPartOfSummary},
     {"Niets te converteren: het bestand bevat geen tracks", kPartOfSummary},
     {"Nichts zu konvertieren: die Datei enth\xC3\xA4lt keine Tracks", kPartOfSummary}},
    {MessageId::kNothingNoAutoVias,
     {"Nothing to convert: the file has no auto-generated via points", kPartOfSummary},
     {"Niets te converteren: het bestand bevat geen automatisch-gegenereerde viapunten",
      kPartOfSummary},
     {"Nichts zu konvertieren: die Datei enth\xC3\xA4lt keine automatisch erzeugten "
      "Zwischenpunkte",
      kPartOfSummary}},
    {MessageId::kShowNoMoreMessages,
     {"Show no more messages for this conversion", kPartOfBox},
     {"Geen berichten meer tonen voor deze conversie", kPartOfBox},
     {"Keine weiteren Meldungen f\xC3\xBCr diese Konvertierung anzeigen", kPartOfBox}},
    {MessageId::kMessagesNotShown,
     {"%u more messages were not shown.", kPartOfBox},
     {"%u andere berichten zijn niet getoond.", kPartOfBox},
     {"%u weitere Meldungen wurden nicht angezeigt.", kPartOfBox}},
    {MessageId::kReplaceOutput,
     {"Output file %s already exists.\nDo you want to replace it?", kInfo},
     {"Uitvoer bestand %s bestaat al.\nWilt u het vervangen?", kInfo},
     {"Ausgabe-Datei %s existiert bereits.\nSoll sie ersetzt werden?", kInfo}},
};

struct CountedRow {
  CountedId id;
  CountedText english;
  CountedText dutch;
  CountedText german;
};

constexpr CountedRow kCounted[] = {
    {CountedId::kRoutes, {"route", "routes"}, {"route", "routes"}, {"Route", "Routen"}},
    {CountedId::kTracks, {"track", "tracks"}, {"track", "tracks"}, {"Track", "Tracks"}},
    {CountedId::kPoints, {"point", "points"}, {"punt", "punten"}, {"Punkt", "Punkte"}},
    {CountedId::kNewWaypoints,
     {"new waypoint", "new waypoints"},
     {"nieuw waypoint", "nieuwe waypoints"},
     {"neuen Wegpunkt", "neuen Wegpunkten"}},
    {CountedId::kViasToUserVias,
     {"auto-generated via point became a user waypoint via",
      "auto-generated via points became user waypoint vias"},
     {"automatisch-gegenereerd viapunt omgezet in een gebruikers waypoint via",
      "automatisch-gegenereerde viapunten omgezet in gebruikers waypoint vias"},
     {"automatisch erzeugter Zwischenpunkt in einen User-Zwischenpunkt umgewandelt",
      "automatisch erzeugte Zwischenpunkte in User-Zwischenpunkte umgewandelt"}},
    {CountedId::kViasToHiddenVias,
     {"auto-generated via point became a hidden via point",
      "auto-generated via points became hidden via points"},
     {"automatisch-gegenereerd viapunt omgezet in een verborgen viapunt",
      "automatisch-gegenereerde viapunten omgezet in verborgen viapunten"},
     {"automatisch erzeugter Zwischenpunkt in einen versteckten Zwischenpunkt umgewandelt",
      "automatisch erzeugte Zwischenpunkte in versteckte Zwischenpunkte umgewandelt"}},
    {CountedId::kTracksSkipped,
     {"track skipped", "tracks skipped"},
     {"track overgeslagen", "tracks overgeslagen"},
     {"Track \xC3\xBC"
      "bersprungen",
      "Tracks \xC3\xBC"
      "bersprungen"}},
    {CountedId::kRecordsUnchanged,
     {"record copied unchanged", "records copied unchanged"},
     {"record ongewijzigd gekopieerd", "records ongewijzigd gekopieerd"},
     {"Datensatz unver\xC3\xA4ndert kopiert", "Datens\xC3\xA4tze unver\xC3\xA4ndert kopiert"}},
    {CountedId::kRecordsDamaged,
     {"record damaged", "records damaged"},
     {"record beschadigd", "records beschadigd"},
     {"Datensatz besch\xC3\xA4"
      "digt",
      "Datens\xC3\xA4tze besch\xC3\xA4"
      "digt"}},
};

template <class Row>
auto InLanguage(const Row& row, Language language) -> decltype(row.english) {
  switch (language) {
    case Language::kEnglish:
      return row.english;
    case Language::kDutch:
      return row.dutch;
    case Language::kGerman:
      return row.german;
    default:
      return {nullptr, nullptr};
  }
}

}  // namespace

MessageText TextFor(MessageId id, Language language) {
  for (const MessageRow& row : kMessages) {
    if (row.id == id) return InLanguage(row, language);
  }
  return {nullptr, nullptr};
}

CountedText CountedTextFor(CountedId id, Language language) {
  for (const CountedRow& row : kCounted) {
    if (row.id == id) return InLanguage(row, language);
  }
  return {nullptr, nullptr};
}
