#pragma once

#include <array>
#include <string_view>

// The tooltip of each button and edit field of the main dialog, keyed by control id, in the
// order of registration. Texts are shown as they stand ("%-Satz" is literal, never a
// format). The status line (113) and the list boxes (114, 115) have none.
struct ToolTipRow {
    int controlId;
    std::u16string_view text;
};

inline constexpr std::array<ToolTipRow, 21> kToolTipTable{{
    {107, u"Eine bestehende Lektion einlesen"},
    {105, u"Diese Lektion beenden"},
    {109, u"Normale Abfrage"},
    {111, u"Umgekehrte Abfrage"},
    {110, u"Gemischte Abfrage"},
    {106, u"Übung abbrechen"},
    {103, u"Zurückblättern"},
    {104, u"Vorwärtsblättern"},
    {101, u"1. Begriff"},
    {102, u"2. Begriff"},
    {108, u"Geänderte Begriffe in Datei schreiben"},
    {112, u"Informationen + Hilfe"},
    {120, u"Ab diesem %-Satz Note 1"},
    {119, u"Ab diesem %-Satz Note 2"},
    {118, u"Ab diesem %-Satz Note 3"},
    {117, u"Ab diesem %-Satz Note 4"},
    {116, u"Ab diesem %-Satz Note 5"},
    {123, u"Groß-/Kleinschreibung vernachlässigen"},
    {122, u"'. ; ,' vernachlässigen"},
    {121, u"Reihenfolge der durch Komma getrennten Begriffe ist egal"},
    {124, u"Anzeige der letzten 20 Prüfungsergebnisse"},
}};
