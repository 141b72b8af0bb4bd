#include "component/datamodel/dictionary_table.h"

#include <array>
#include <cstddef>
#include <iterator>
#include <string_view>

#include "component/common/identity.h"

namespace dtm {
namespace {

using Kind = DictionaryValue::Kind;

// Short literal makers keep each row on one line. An Integer outside 16 bits
// does not compile.
consteval DictionaryValue I(int value) {
  if (value < -32768 || value > 32767) throw "Integer literal outside 16 bits";
  return {Kind::kInteger, static_cast<std::int16_t>(value), 0, nullptr};
}
consteval DictionaryValue D(double value) { return {Kind::kDouble, 0, value, nullptr}; }
consteval DictionaryValue S(const char* text) { return {Kind::kString, 0, 0, text}; }
constexpr DictionaryValue kEmpty{Kind::kEmpty, 0, 0, nullptr};
constexpr DictionaryValue kToday{Kind::kToday, 0, 0, nullptr};
consteval DictionaryRange R(DictionaryValue min, DictionaryValue max) { return {min, max}; }
constexpr DictionaryRange kNoRange{};

// "0:Unbekannt|<code>:<text>": the value list of an identity code, built
// from the supported code so that the two cannot drift apart.
consteval std::array<char, 40> UnknownOr(std::int32_t code, std::string_view text) {
  if (code < 0) throw "identity codes are not negative";
  std::array<char, 40> out{};
  std::size_t n = 0;
  for (const char c : std::string_view("0:Unbekannt|")) out[n++] = c;
  char digits[10] = {};
  std::size_t count = 0;
  do {
    digits[count++] = static_cast<char>('0' + code % 10);
    code /= 10;
  } while (code > 0);
  while (count > 0) out[n++] = digits[--count];
  out[n++] = ':';
  for (const char c : text) out[n++] = c;
  return out;  // the unused tail stays zero and ends the text
}
constexpr std::array<char, 40> kManuIdList = UnknownOr(kSupportedManufacturerCode, "VELDAR");
constexpr std::array<char, 40> kDevIdList = UnknownOr(kSupportedDeviceTypeCode, "4625");

// Columns: number, path, type, length, initial, read command, write command,
// read response, write request, write response, index request, index write,
// parameter index, mode, status flags, unit, range, other, sort;
// then Description, ValueList, HelpText, CmdErrList.
//
// The device status byte is shown as a bit list, so its value list is keyed
// by bit number (7 = 0x80 ... 0 = 0x01).
// clang-format off
constexpr DictionaryRow kRows[] = {
    {1, "~/Tag", 14, -1, S("4625_1"), -1, -1, -1, -1, -1, -1, -1, -1, 0xFFFF0090, -1, -1, kNoRange, {}, 8, "Bezeichnung der Geräte-Instanz", nullptr, nullptr, "2:Unzulässige Auswahl|3:Parameter zu groß|4:Parameter zu klein|5:Zu wenige Datenbytes empfangen|6:Gerätespezifischer Fehler|7:Gerät ist schreibgeschützt|16:Zugriff verweigert|32:Gerät ist momentan beschäftigt|64:Kommando ist nicht im Gerät implementiert"},
    {2, "~/Address", 2, -1, I(0), -1, -1, -1, -1, -1, -1, -1, -1, 0x2080090, -1, -1, kNoRange, {}, 10, "Polling-Adresse des Geräts", "0:0|1:1|2:2|3:3|4:4|5:5|6:6|7:7|8:8|9:9|10:10|11:11|12:12|13:13|14:14|15:15", "Kurzadresse des Stellungsreglers für Punkt-zu-Punkt-Betrieb (0) oder Multidrop-Betrieb (1..15)", nullptr},
    {3, "UC000/", 0, -1, kEmpty, 0, -1, -1, -1, -1, -1, -1, -1, 0x1, -1, -1, kNoRange, {}, -1, nullptr, nullptr, nullptr, nullptr},
    {4, "UC000/ManuId", 2, -1, I(kSupportedManufacturerCode), 0, -1, 1, -1, -1, -1, -1, -1, 0x2080090, 1, -1, kNoRange, {}, 20, "Hersteller des Stellungsreglers", kManuIdList.data(), nullptr, nullptr},
    {5, "UC000/DevId", 2, -1, I(kSupportedDeviceTypeCode), 0, -1, 2, -1, -1, -1, -1, -1, 0x2080090, 1, -1, kNoRange, {}, 22, "Typnummer des Stellungsreglers", kDevIdList.data(), nullptr, nullptr},
    {6, "UC000/SerNum", 4, -1, I(0), 0, -1, 9, -1, -1, -1, -1, -1, 0x2080090, 1, -1, kNoRange, {.format = "0"}, 26, "Seriennummer des Stellungsreglers", nullptr, nullptr, nullptr},
    {7, "UC001/", 0, -1, kEmpty, 1, -1, -1, -1, -1, -1, -1, -1, 0x1, -1, -1, kNoRange, {}, -1, nullptr, nullptr, nullptr, nullptr},
    {8, "UC006", 2, -1, I(0), -1, 6, -1, 0, 0, -1, -1, -1, 0x4, -1, -1, kNoRange, {.user_level = 2}, -1, "Neue Polling-Adresse des Geräts", nullptr, nullptr, nullptr},
    {9, "DevState", 2, 16, I(256), -1, -1, -1, -1, -1, -1, -1, -1, 0x0, 1, -1, R(kEmpty, kEmpty), {.bit_list = true}, -1, "Zeigt den Gerätezustand nach HART", "7:Fehlfunktion des Feldgeräts|6:Konfiguration geändert|5:Kaltstart|4:Erweiterte Statusinformation|3:Fester analoger Stromausgang|2:Analoger Ausgang übersteuert|1:Bereichsüberschreitung (SV-FV)|0:Bereichsüberschreitung (PV)", nullptr, nullptr},
    {10, "UC015/", 0, -1, kEmpty, 15, -1, -1, -1, -1, -1, -1, -1, 0x1, -1, -1, kNoRange, {}, -1, nullptr, nullptr, nullptr, nullptr},
    {11, "UC015/WrProtect", 2, -1, I(0), 15, -1, 15, -1, -1, -1, -1, -1, 0x2080090, 1, -1, kNoRange, {}, 46, "Zustand des Schreibschutzes", "0:Nicht schreibgeschützt|1:Schreibgeschützt", nullptr, nullptr},
    {12, "SC130Tr1/", 0, -1, kEmpty, 130, -1, -1, -1, -1, -1, -1, -1, 0x1, -1, -1, kNoRange, {}, -1, nullptr, nullptr, nullptr, nullptr},
    {13, "SC130Tr1/Par2", 2, -1, I(0), 130, 131, 3, 1, 1, 1, 0, 72, 0x2000092, -1, -1, kNoRange, {}, 200, "Ausführung des Ventils", "0:Hubantrieb|1:Schwenkantrieb", nullptr, nullptr},
    {14, "SC130Tr1/Par1", 2, -1, I(0), 130, 131, 1, 1, 1, 0, 0, 67, 0x2000092, -1, -1, kNoRange, {}, 202, "Anbau des Stellungsreglers an das Stellgerät", "0:Integriert|1:NAMUR", nullptr, nullptr},
    {15, "SC128Tr2/", 0, -1, kEmpty, 128, -1, -1, -1, -1, -1, -1, -1, 0x1, -1, -1, kNoRange, {}, -1, nullptr, nullptr, nullptr, nullptr},
    {16, "SC128Tr2/Par1", 8, -1, D(42.0), 128, 129, 1, 1, 1, 0, 0, 46, 0x2000092, -1, 49, R(D(0.0), D(1023.0)), {.invalid = true}, 210, "Hebellänge, Abstand zwischen Hubabgriff und Drehpunkt des Abgriffhebels (0...1023)", nullptr, nullptr, nullptr},
    {17, "SC130Tr3/", 0, -1, kEmpty, 130, -1, -1, -1, -1, -1, -1, -1, 0x1, -1, -1, kNoRange, {}, -1, nullptr, nullptr, nullptr, nullptr},
    {18, "SC130Tr3/Par1", 2, -1, I(0), 130, 131, 1, 1, 1, 0, 0, 85, 0x2000092, -1, -1, kNoRange, {.invalid = true}, 212, "Position des Stiftes am Hebel des Stellungsreglers", "0:A|1:B", nullptr, nullptr},
    {19, "SC130Tr3/Par2", 2, -1, I(0), 130, -1, 3, -1, -1, 1, -1, 85, 0x0, -1, -1, kNoRange, {}, -1, "", nullptr, nullptr, nullptr},
    {20, "SC130Tr3/Par3", 2, -1, I(0), 130, -1, 5, -1, -1, 2, -1, 85, 0x0, -1, -1, kNoRange, {}, -1, "", nullptr, nullptr, nullptr},
    {21, "SC130Tr3/Par4", 2, -1, I(0), 130, -1, 7, -1, -1, 3, -1, 85, 0x0, -1, -1, kNoRange, {}, -1, "", nullptr, nullptr, nullptr},
    {22, "SC130Tr2/", 0, -1, kEmpty, 130, -1, -1, -1, -1, -1, -1, -1, 0x1, -1, -1, kNoRange, {}, -1, nullptr, nullptr, nullptr, nullptr},
    {23, "SC130Tr2/Par1", 2, -1, I(1), 130, 131, 1, 1, 1, 0, 0, 70, 0x2000092, -1, -1, kNoRange, {}, 208, "Ausführung des Hubabgriffs bei integriertem Anbau", "1:D1|2:D2|3:S90|4:S120", nullptr, nullptr},
    {24, "SC128Tr2/Par2", 8, -1, D(15.0), 128, 129, 6, 1, 1, 1, 0, 10, 0x2000092, -1, 49, R(D(0.0), D(255.9)), {}, 214, "Nennarbeitsbereich im Hubbereich des Ventils (0...255,9mm)", nullptr, nullptr, nullptr},
    {25, "SC128Tr1/", 0, -1, kEmpty, 128, -1, -1, -1, -1, -1, -1, -1, 0x1, -1, -1, kNoRange, {}, -1, nullptr, nullptr, nullptr, nullptr},
    {26, "SC128Tr1/Par1", 8, -1, D(90.0), 128, 129, 1, 1, 1, 0, 0, 61, 0x2000092, -1, 245, R(D(0.0), D(360.0)), {.invalid = true}, 216, "Nennarbeitsbereich im Drehwinkelbereich des Ventils (0...360°)", nullptr, nullptr, nullptr},
    {27, "SC130Tr2/Par2", 2, -1, I(1), 130, 131, 3, 1, 1, 1, 0, 91, 0x2000092, -1, -1, kNoRange, {}, 222, "Pfeil zeigt bei Direktantrieb zum Antrieb hin oder bei NAMUR-Anbau vom Antrieb weg", "0:Pfeil zeigt vom Antrieb weg|1:Pfeil zeigt zum Antrieb hin", nullptr, nullptr},
    {28, "SC128Tr2/Par3", 8, -1, D(0.0), 128, 129, 11, 1, 1, 2, 0, 11, 0x2000092, -1, 49, R(D(0.0), D(255.9)), {}, 110, "Unterer Einstellwert des tatsächlichen Hub-Arbeitsbereiches (0...255,9mm)", nullptr, nullptr, nullptr},
    {29, "SC128Tr1/Par2", 8, -1, I(0), 128, 129, 6, 1, 1, 1, 0, 62, 0x2000092, -1, 245, R(D(0.0), D(120.0)), {.invalid = true}, 114, "Unterer Einstellwert des tatsächlichen Arbeitsbereiches abhängig von der Kurvenscheibe (0...90/120°)", nullptr, nullptr, nullptr},
    {30, "SC128Tr2/Par4", 8, -1, D(15.0), 128, 129, 16, 1, 1, 3, 0, 12, 0x2000092, -1, 49, R(D(0.0), D(255.9)), {}, 112, "Oberer Einstellwert des tatsächlichen Hub-Arbeitsbereiches (0...255,9mm)", nullptr, nullptr, nullptr},
    {31, "SC128Tr1/Par3", 8, -1, D(60.0), 128, 129, 11, 1, 1, 2, 0, 63, 0x2000092, -1, 245, R(D(0.0), D(120.0)), {.invalid = true}, 116, "Oberer Einstellwert des tatsächlichen Arbeitsbereiches abhängig von der Kurvenscheibe (0...90/120°)", nullptr, nullptr, nullptr},
    {32, "SC128Tr1/Par4", 8, -1, I(0), 128, -1, 16, -1, -1, 3, -1, 63, 0x0, -1, -1, kNoRange, {}, -1, "", nullptr, nullptr, nullptr},
    {33, "SC130Tr2/Par3", 2, -1, I(0), 130, 131, 5, 1, 1, 2, 0, 86, 0x2000092, -1, -1, kNoRange, {}, 206, "Antrieb mit oder ohne Federrückstellung", "0:Einfach wirkend|1:Doppelt wirkend", nullptr, nullptr},
    {34, "SC130Tr2/Par4", 2, -1, I(0), 130, 131, 7, 1, 1, 3, 0, 92, 0x2000092, -1, -1, kNoRange, {}, 220, "Initialisierung bezogen auf Nenn- oder Maximalbereich", "0:Maximalbereich|1:Nennbereich", nullptr, nullptr},
    {35, "SC130Tr1/Par4", 2, -1, I(0), 130, -1, 7, -1, -1, 3, 0, 84, 0x2080090, 1, -1, kNoRange, {}, 30, "Zulassung des Stellungsreglers für explosionsgefährdete Bereiche", "0:Nicht vorhanden|1:Vorhanden", nullptr, nullptr},
    {36, "SC130Tr8/", 0, -1, kEmpty, 130, -1, -1, -1, -1, -1, -1, -1, 0x1, -1, -1, kNoRange, {}, -1, nullptr, nullptr, nullptr, nullptr},
    {37, "SC130Tr8/Par1", 2, -1, I(0), 130, -1, 1, -1, -1, 0, 0, 83, 0x100092, 3, -1, kNoRange, {}, 356, "Zustand der optionalen Zwangsentlüftung. Bei Ausfall des Steuersignals wird die Sicherheitsstellung angefahren", "0:Aus|1:Ein", nullptr, nullptr},
    {38, "SC130Tr8/Par2", 2, -1, I(0), 130, 131, 3, 1, 1, 1, 0, 65, 0x8000092, 2, -1, kNoRange, {}, 300, "Führungsgrösse für die Regelung", "0:Automatik|1:Hand|2:Sicherheitsstellung", nullptr, nullptr},
    {39, "SC130Tr8/Par3", 2, -1, I(0), 130, 131, 5, 1, 1, 2, 0, 65, 0x0, -1, -1, kNoRange, {}, -1, "", nullptr, nullptr, nullptr},
    {40, "SC130Tr8/Par4", 2, -1, I(0), 130, 131, 7, 1, 1, 3, 0, 65, 0x0, -1, -1, kNoRange, {}, -1, "", nullptr, nullptr, nullptr},
    {41, "SC128Tr15/", 0, -1, kEmpty, 128, -1, -1, -1, -1, -1, -1, -1, 0x1, -1, -1, kNoRange, {}, -1, nullptr, nullptr, nullptr, nullptr},
    {42, "SC128Tr15/Par1", 8, -1, D(4.0), 128, 129, 1, 1, 1, 0, 0, 6, 0x8000094, 2, 39, R(D(3.8), D(22.0)), {.invalid = true}, 318, "Führungsgrösse w in mA, änderbar in der Betriebsart 'Hand' (3,8...22mA)", nullptr, nullptr, nullptr},
    {43, "SC128Tr15/Par2", 8, -1, D(0.0), 128, 129, 6, 1, 1, 1, 0, 51, 0x14, -1, 57, R(D(0.0), D(120.0)), {}, -1, "Wert zum Testen der Option Stellungsmelder (0...120%)", nullptr, nullptr, nullptr},
    {44, "SC128Tr15/Par3", 8, -1, I(0), 128, 129, 11, 1, 1, 2, 0, 51, 0x0, -1, -1, kNoRange, {}, -1, "", nullptr, nullptr, nullptr},
    {45, "SC128Tr15/Par4", 8, -1, I(0), 128, 129, 16, 1, 1, 3, 0, 51, 0x0, -1, -1, kNoRange, {}, -1, "", nullptr, nullptr, nullptr},
    {46, "SC128Tr3/", 0, -1, kEmpty, 128, -1, -1, -1, -1, -1, -1, -1, 0x1, -1, -1, kNoRange, {}, -1, nullptr, nullptr, nullptr, nullptr},
    {47, "SC128Tr3/Par1", 8, -1, D(1.2), 128, 129, 1, 1, 1, 0, 0, 20, 0x2000092, -1, -1, R(D(0.01), D(10.0)), {.format = "0.00"}, 180, "Proportionalitätsfaktor Zuluft zum belüften des Antriebs (0,01...10)", nullptr, nullptr, nullptr},
    {48, "SC128Tr3/Par2", 8, -1, D(1.2), 128, 129, 6, 1, 1, 1, 0, 23, 0x2000092, -1, -1, R(D(0.01), D(10.0)), {.format = "0.00"}, 182, "Proportionalitätsfaktor Abluft zum entlüften des Antrieb (0,01...10)", nullptr, nullptr, nullptr},
    {49, "SC128Tr3/Par3", 8, -1, D(0.12), 128, 129, 11, 1, 1, 2, 0, 21, 0x2000092, -1, -1, R(D(0.0), D(1.0)), {.format = "0.00"}, 186, "Verstärkungsfaktor des Differenziergliedes (0...10)", nullptr, nullptr, nullptr},
    {50, "SC128Tr3/Par4", 8, -1, D(0.5), 128, 129, 16, 1, 1, 3, 0, 22, 0x2000092, -1, 57, R(D(0.01), D(10.0)), {.format = "0.00"}, 184, "Tote Zone der Ansteuerungskennlinie (0,01...10%)", nullptr, nullptr, nullptr},
    {51, "SC128Tr4/", 0, -1, kEmpty, 128, -1, -1, -1, -1, -1, -1, -1, 0x1, -1, -1, kNoRange, {}, -1, nullptr, nullptr, nullptr, nullptr},
    {52, "SC128Tr4/Par1", 8, -1, D(0.5), 128, 129, 1, 1, 1, 0, 0, 67, 0x2000092, -1, 57, R(D(0.01), D(10.0)), {.format = "0.00"}, 188, "Grenzwert für die Impulsadaption (0,01...10%)", nullptr, nullptr, nullptr},
    {53, "SC132Inx11", 2, -1, I(11), -1, 132, -1, 0, 0, -1, -1, -1, 0x12, -1, -1, kNoRange, {}, -1, "Starten der Kennlinienübertragung", nullptr, nullptr, nullptr},
    {54, "SC128Tr4/Par2", 8, -1, D(0.0), 128, 129, 6, 1, 1, 1, 0, 24, 0x2000092, -1, 57, R(D(0.0), D(100.0)), {}, 130, "Kennlinienstützwert x0 für die Führungsgrösse in % des Führungsgrössenbereichs", nullptr, nullptr, nullptr},
    {55, "SC128Tr4/Par3", 8, -1, D(17.7), 128, 129, 11, 1, 1, 2, 0, 25, 0x2000092, -1, 57, R(D(0.0), D(100.0)), {}, 134, "Kennlinienstützwert x1 für die Führungsgrösse in % des Führungsgrössenbereichs", nullptr, nullptr, nullptr},
    {56, "SC128Tr4/Par4", 8, -1, D(31.4), 128, 129, 16, 1, 1, 3, 0, 26, 0x2000092, -1, 57, R(D(0.0), D(100.0)), {}, 138, "Kennlinienstützwert x2 für die Führungsgrösse in % des Führungsgrössenbereichs", nullptr, nullptr, nullptr},
    {57, "SC128Tr5/", 0, -1, kEmpty, 128, -1, -1, -1, -1, -1, -1, -1, 0x1, -1, -1, kNoRange, {}, -1, nullptr, nullptr, nullptr, nullptr},
    {58, "SC128Tr5/Par1", 8, -1, D(50.2), 128, 129, 1, 1, 1, 0, 0, 27, 0x2000092, -1, 57, R(D(0.0), D(100.0)), {}, 142, "Kennlinienstützwert x3 für die Führungsgrösse in % des Führungsgrössenbereichs", nullptr, nullptr, nullptr},
    {59, "SC128Tr5/Par2", 8, -1, D(65.5), 128, 129, 6, 1, 1, 1, 0, 28, 0x2000092, -1, 57, R(D(0.0), D(100.0)), {}, 146, "Kennlinienstützwert x4 für die Führungsgrösse in % des Führungsgrössenbereichs", nullptr, nullptr, nullptr},
    {60, "SC128Tr5/Par3", 8, -1, D(72.6), 128, 129, 11, 1, 1, 2, 0, 29, 0x2000092, -1, 57, R(D(0.0), D(100.0)), {}, 150, "Kennlinienstützwert x5 für die Führungsgrösse in % des Führungsgrössenbereichs", nullptr, nullptr, nullptr},
    {61, "SC128Tr5/Par4", 8, -1, D(78.7), 128, 129, 16, 1, 1, 3, 0, 30, 0x2000092, -1, 57, R(D(0.0), D(100.0)), {}, 154, "Kennlinienstützwert x6 für die Führungsgrösse in % des Führungsgrössenbereichs", nullptr, nullptr, nullptr},
    {62, "SC128Tr6/", 0, -1, kEmpty, 128, -1, -1, -1, -1, -1, -1, -1, 0x1, -1, -1, kNoRange, {}, -1, nullptr, nullptr, nullptr, nullptr},
    {63, "SC128Tr6/Par1", 8, -1, D(90.6), 128, 129, 1, 1, 1, 0, 0, 31, 0x2000092, -1, 57, R(D(0.0), D(100.0)), {}, 158, "Kennlinienstützwert x7 für die Führungsgrösse in % des Führungsgrössenbereichs", nullptr, nullptr, nullptr},
    {64, "SC128Tr6/Par2", 8, -1, D(93.5), 128, 129, 6, 1, 1, 1, 0, 32, 0x2000092, -1, 57, R(D(0.0), D(100.0)), {}, 162, "Kennlinienstützwert x8 für die Führungsgrösse in % des Führungsgrössenbereichs", nullptr, nullptr, nullptr},
    {65, "SC128Tr6/Par3", 8, -1, D(96.1), 128, 129, 11, 1, 1, 2, 0, 33, 0x2000092, -1, 57, R(D(0.0), D(100.0)), {}, 166, "Kennlinienstützwert x9 für die Führungsgrösse in % des Führungsgrössenbereichs", nullptr, nullptr, nullptr},
    {66, "SC128Tr6/Par4", 8, -1, D(100.0), 128, 129, 16, 1, 1, 3, 0, 34, 0x2000092, -1, 57, R(D(0.0), D(100.0)), {}, 170, "Kennlinienstützwert x10 für die Führungsgrösse in % des Führungsgrössenbereichs", nullptr, nullptr, nullptr},
    {67, "SC128Tr7/", 0, -1, kEmpty, 128, -1, -1, -1, -1, -1, -1, -1, 0x1, -1, -1, kNoRange, {}, -1, nullptr, nullptr, nullptr, nullptr},
    {68, "SC128Tr7/Par1", 8, -1, D(0.0), 128, 129, 1, 1, 1, 0, 0, 35, 0x2000092, -1, 57, R(D(0.0), D(100.0)), {}, 132, "Kennlinienstützwert y0 für Hub-/Drehwinkel in % des Hub-/Drehwinkelbereichs", nullptr, nullptr, nullptr},
    {69, "SC128Tr7/Par2", 8, -1, D(10.5), 128, 129, 6, 1, 1, 1, 0, 36, 0x2000092, -1, 57, R(D(0.0), D(100.0)), {}, 136, "Kennlinienstützwert y1 für Hub-/Drehwinkel in % des Hub-/Drehwinkelbereichs", nullptr, nullptr, nullptr},
    {70, "SC128Tr7/Par3", 8, -1, D(18.4), 128, 129, 11, 1, 1, 2, 0, 37, 0x2000092, -1, 57, R(D(0.0), D(100.0)), {}, 140, "Kennlinienstützwert y2 für Hub-/Drehwinkel in % des Hub-/Drehwinkelbereichs", nullptr, nullptr, nullptr},
    {71, "SC128Tr7/Par4", 8, -1, D(30.9), 128, 129, 16, 1, 1, 3, 0, 38, 0x2000092, -1, 57, R(D(0.0), D(100.0)), {}, 144, "Kennlinienstützwert y3 für Hub-/Drehwinkel in % des Hub-/Drehwinkelbereichs", nullptr, nullptr, nullptr},
    {72, "SC128Tr8/", 0, -1, kEmpty, 128, -1, -1, -1, -1, -1, -1, -1, 0x1, -1, -1, kNoRange, {}, -1, nullptr, nullptr, nullptr, nullptr},
    {73, "SC128Tr8/Par1", 8, -1, D(43.8), 128, 129, 1, 1, 1, 0, 0, 39, 0x2000092, -1, 57, R(D(0.0), D(100.0)), {}, 148, "Kennlinienstützwert y4 für Hub-/Drehwinkel in % des Hub-/Drehwinkelbereichs", nullptr, nullptr, nullptr},
    {74, "SC128Tr8/Par2", 8, -1, D(50.7), 128, 129, 6, 1, 1, 1, 0, 40, 0x2000092, -1, 57, R(D(0.0), D(100.0)), {}, 152, "Kennlinienstützwert y5 für Hub-/Drehwinkel in % des Hub-/Drehwinkelbereichs", nullptr, nullptr, nullptr},
    {75, "SC128Tr8/Par3", 8, -1, D(58.2), 128, 129, 11, 1, 1, 2, 0, 41, 0x2000092, -1, 57, R(D(0.0), D(100.0)), {}, 156, "Kennlinienstützwert y6 für Hub-/Drehwinkel in % des Hub-/Drehwinkelbereichs", nullptr, nullptr, nullptr},
    {76, "SC128Tr8/Par4", 8, -1, D(75.7), 128, 129, 16, 1, 1, 3, 0, 42, 0x2000092, -1, 57, R(D(0.0), D(100.0)), {}, 160, "Kennlinienstützwert y7 für Hub-/Drehwinkel in % des Hub-/Drehwinkelbereichs", nullptr, nullptr, nullptr},
    {77, "SC128Tr9/", 0, -1, kEmpty, 128, -1, -1, -1, -1, -1, -1, -1, 0x1, -1, -1, kNoRange, {}, -1, nullptr, nullptr, nullptr, nullptr},
    {78, "SC128Tr9/Par1", 8, -1, D(81.3), 128, 129, 1, 1, 1, 0, 0, 43, 0x2000092, -1, 57, R(D(0.0), D(100.0)), {}, 164, "Kennlinienstützwert y8 für Hub-/Drehwinkel in % des Hub-/Drehwinkelbereichs", nullptr, nullptr, nullptr},
    {79, "SC128Tr9/Par2", 8, -1, D(87.9), 128, 129, 6, 1, 1, 1, 0, 44, 0x2000092, -1, 57, R(D(0.0), D(100.0)), {}, 168, "Kennlinienstützwert y9 für Hub-/Drehwinkel in % des Hub-/Drehwinkelbereichs", nullptr, nullptr, nullptr},
    {80, "SC128Tr9/Par3", 8, -1, D(100.0), 128, 129, 11, 1, 1, 2, 0, 45, 0x2000092, -1, 57, R(D(0.0), D(100.0)), {}, 172, "Kennlinienstützwert y10 für Hub-/Drehwinkel in % des Hub-/Drehwinkelbereichs", nullptr, nullptr, nullptr},
    {81, "SC132Inx12", 2, -1, I(12), -1, 132, -1, 0, 0, -1, -1, -1, 0x12, -1, -1, kNoRange, {}, -1, "Ende der Kennlinienübertragung", nullptr, nullptr, nullptr},
    {82, "SC130Tr1/Par3", 2, -1, I(1), 130, 131, 5, 1, 1, 2, 0, 69, 0x2000092, -1, -1, kNoRange, {}, 126, "Zuordnung zwischen Führungsgrösse und Hub-/Drehwinkelbereich des Ventils", "0:Benutzerdefiniert|1:Linear|2:Gleichprozentig|4:Gleichprozentig invers", nullptr, nullptr},
    {83, "SC128Tr9/Par4", 8, -1, D(20.0), 128, 129, 16, 1, 1, 3, 0, 14, 0x2000092, -1, 39, R(D(4.0), D(20.0)), {}, 104, "Ende des gültigen Führungsgrössenbereichs entsprechend 100% w (4...20mA)", nullptr, nullptr, nullptr},
    {84, "SC128Tr10/", 0, -1, kEmpty, 128, -1, -1, -1, -1, -1, -1, -1, 0x1, -1, -1, kNoRange, {}, -1, nullptr, nullptr, nullptr, nullptr},
    {85, "SC128Tr10/Par1", 8, -1, D(4.0), 128, 129, 1, 1, 1, 0, 0, 13, 0x2000092, -1, 39, R(D(4.0), D(20.0)), {}, 102, "Anfang des gültigen Führungsgrössenbereichs entsprechend 0% w (4...20mA)", nullptr, nullptr, nullptr},
    {86, "SC128Tr10/Par2", 8, -1, I(0), 128, 129, 6, 1, 1, 1, 0, 56, 0x2000092, -1, 51, R(D(0.0), D(240.0)), {}, 192, "Laufzeit zum schliessen des Ventils (0...240s)", nullptr, nullptr, nullptr},
    {87, "SC128Tr10/Par3", 8, -1, I(0), 128, 129, 11, 1, 1, 2, 0, 19, 0x2000092, -1, 51, R(D(0.0), D(240.0)), {}, 190, "Laufzeit zum öffnen des Ventils (0...240s)", nullptr, nullptr, nullptr},
    {88, "SC128Tr10/Par4", 8, -1, D(1000000.0), 128, 129, 16, 1, 1, 3, 0, 60, 0x2000092, -1, -1, R(D(1.0), D(16500000.0)), {.format = "0"}, 234, "Grenzwert für das absolute Wegintegral (1...16.500.000)", nullptr, nullptr, nullptr},
    {89, "SC128Tr13/", 0, -1, kEmpty, 128, -1, -1, -1, -1, -1, -1, -1, 0x1, -1, -1, kNoRange, {}, -1, nullptr, nullptr, nullptr, nullptr},
    {90, "SC128Tr13/Par3", 8, -1, I(0), 128, -1, 11, -1, -1, 2, 0, 55, 0x2080090, 1, 51, R(D(0.0), D(240.0)), {}, 196, "Minimale Laufzeit zum schliessen des Ventils", nullptr, nullptr, nullptr},
    {91, "SC128Tr13/Par4", 8, -1, I(0), 128, -1, 16, -1, -1, 3, 0, 52, 0x2080090, 1, 51, R(D(0.0), D(240.0)), {}, 194, "Minimale Laufzeit zum öffnen des Ventils", nullptr, nullptr, nullptr},
    {92, "SC128Tr11/", 0, -1, kEmpty, 128, -1, -1, -1, -1, -1, -1, -1, 0x1, -1, -1, kNoRange, {}, -1, nullptr, nullptr, nullptr, nullptr},
    {93, "SC128Tr11/Par1", 8, -1, D(100.0), 128, 129, 1, 1, 1, 0, 0, 18, 0x2000092, -1, 57, R(D(0.0), D(120.0)), {}, 120, "Obere Hubbegrenzung (0...120%)", nullptr, nullptr, nullptr},
    {94, "SC128Tr11/Par2", 8, -1, D(0.0), 128, 129, 6, 1, 1, 1, 0, 17, 0x2000092, -1, 57, R(D(-20.0), D(99.9)), {}, 118, "Untere Hubbegrenzung (-20...99,9%)", nullptr, nullptr, nullptr},
    {95, "SC130Tr4/", 0, -1, kEmpty, 130, -1, -1, -1, -1, -1, -1, -1, 0x1, -1, -1, kNoRange, {}, -1, nullptr, nullptr, nullptr, nullptr},
    {96, "SC130Tr4/Par1", 2, -1, I(0), 130, 131, 1, 1, 1, 0, 0, 76, 0x2000092, -1, -1, kNoRange, {}, 44, "Optionaler Einbau der induktiven Grenzkontakte", "0:Nicht Vorhanden|1:Vorhanden", nullptr, nullptr},
    {97, "SC138T5", 14, 32, S("VELDAR BUTTERFLY VALVE EQ. PERC."), 138, 139, 1, 1, 1, 0, -1, 4, 0x2000093, -1, -1, kNoRange, {}, 128, "Freier Text zur Beschreibung der benutzerdefinierten Kennlinie (max. 32 Zeichen)", nullptr, nullptr, nullptr},
    {98, "SC128Tr11/Par3", 8, -1, I(10), 128, 129, 11, 1, 1, 2, 0, 59, 0x2000092, -1, 51, R(I(0), I(240)), {.format = "0"}, 232, "Rücksetzkriterium für laufende Regelkreisüberwachung (0...240s)", nullptr, nullptr, nullptr},
    {99, "SC130Tr4/Par2", 2, -1, I(1), 130, 131, 3, 1, 1, 1, 0, 78, 0x2000092, -1, -1, kNoRange, {}, 250, "Störmeldung bei Ausfall oder Störung der Kommunikationshardware des Stellungsreglers", "0:Nein|1:Ja", nullptr, nullptr},
    {100, "SC130Tr4/Par3", 2, -1, I(1), 130, 131, 5, 1, 1, 2, 0, 77, 0x2000092, -1, -1, kNoRange, {}, 252, "Störmeldung bei Regler in Sonderfunktion (z.B. Nullpunktabgleich oder Initialisierung)", "0:Nein|1:Ja", nullptr, nullptr},
    {101, "SC130Tr4/Par4", 2, -1, I(1), 130, 131, 7, 1, 1, 3, 0, 79, 0x2000092, -1, -1, kNoRange, {}, 254, "Störmeldung bei Überschreiten des Grenzwertes für das absolute Wegintegral", "0:Nein|1:Ja", nullptr, nullptr},
    {102, "SC128Tr11/Par4", 8, -1, D(5.0), 128, 129, 16, 1, 1, 3, 0, 58, 0x2000092, -1, 57, R(D(0.1), D(10.0)), {}, 230, "Rücksetzkriterium für laufende Regelkreisüberwachung (0,1...10%)", nullptr, nullptr, nullptr},
    {103, "SC128Tr12/", 0, -1, kEmpty, 128, -1, -1, -1, -1, -1, -1, -1, 0x1, -1, -1, kNoRange, {}, -1, nullptr, nullptr, nullptr, nullptr},
    {104, "SC128Tr12/Par1", 8, -1, D(99.0), 128, 129, 1, 1, 1, 0, 0, 16, 0x2000092, -1, 57, R(D(0.0), D(125.0)), {}, 108, "Überschreitet die Führungsgrösse den Grenzwert, fährt das Ventil in seine absolute Endlage entsprechend 100% der Führungsgrösse (0...125%)", nullptr, nullptr, nullptr},
    {105, "SC128Tr12/Par2", 8, -1, D(1.0), 128, 129, 6, 1, 1, 1, 0, 15, 0x2000092, -1, 57, R(D(-2.5), I(100)), {}, 106, "Unterschreitet die Führungsgrösse den Grenzwert, fährt das Ventil in seine absolute Endlage entsprechend 0% der Führungsgrösse (-2,5...100%)", nullptr, nullptr, nullptr},
    {106, "SC130Tr5/", 0, -1, kEmpty, 130, -1, -1, -1, -1, -1, -1, -1, 0x1, -1, -1, kNoRange, {}, -1, nullptr, nullptr, nullptr, nullptr},
    {107, "SC130Tr5/Par1", 2, -1, I(0), 130, 131, 1, 1, 1, 0, 0, 68, 0x2000092, -1, -1, kNoRange, {}, 100, "Zuordnung der Führungsgrösse zum Hub oder zum Drehwinkel", "0:>> steigend/steigend|1:<> steigend/fallend", nullptr, nullptr},
    {108, "SC130Tr5/Par2", 2, -1, I(0), 130, 131, 3, 1, 1, 1, 0, 80, 0x2000092, -1, -1, kNoRange, {}, 50, "Wirkrichtung der Option Stellungsmelder", "0:>> steigend/steigend|1:<> steigend/fallend", nullptr, nullptr},
    {109, "SC128Tr12/Par3", 8, -1, D(2.0), 128, 129, 11, 1, 1, 2, 0, 48, 0x2000092, -1, 57, R(D(0.0), D(120.0)), {}, 236, "Grenzwertmeldung GW1 bezogen auf den Hub-/Drehwinkelbereich (0 ... 120%)", nullptr, nullptr, nullptr},
    {110, "SC130Tr5/Par3", 2, -1, I(0), 130, 131, 5, 1, 1, 2, 0, 87, 0x2000092, -1, -1, kNoRange, {}, 238, "Schaltzustand des Software-Grenzkontaktes GW1", "0:Wert unterschritten|1:Wert überschritten", nullptr, nullptr},
    {111, "SC128Tr12/Par4", 8, -1, D(98.0), 128, 129, 16, 1, 1, 3, 0, 49, 0x2000092, -1, 57, R(D(0.0), D(120.0)), {}, 240, "Grenzwertmeldung GW2 bezogen auf den Hub-/Drehwinkelbereich (0 ... 120%)", nullptr, nullptr, nullptr},
    {112, "SC130Tr5/Par4", 2, -1, I(1), 130, 131, 7, 1, 1, 3, 0, 88, 0x2000092, -1, -1, kNoRange, {}, 242, "Schaltzustand des Software-Grenzkontaktes GW2", "0:Wert unterschritten|1:Wert überschritten", nullptr, nullptr},
    {113, "UC016", 4, -1, I(0), 16, 19, 0, 0, 0, -1, -1, -1, 0x2000093, -1, -1, R(I(0), D(16777215.0)), {.format = "0"}, 54, "Hersteller-Identnummer des zum Stellungsregler zugehörigen Ventils (0...16.777.215)", nullptr, nullptr, nullptr},
    {114, "SC128Tr13/Par1", 8, -1, I(0), 128, -1, 1, -1, -1, 0, 0, 69, 0x2080090, 1, -1, kNoRange, {.format = "0.00"}, 36, "Revisionsstand der Elektronik im Stellungsregler", nullptr, nullptr, nullptr},
    {115, "SC128Tr13/Par2", 8, -1, I(0), 128, 129, 6, 1, 1, 1, 0, 54, 0x2000092, -1, -1, R(I(0), D(999999.0)), {.format = "0"}, 52, "Hersteller-Identnummer des zum Stellungsregler zugehörigen Antriebs (0...999.999)", nullptr, nullptr, nullptr},
    {116, "UC012", 14, 32, S("-/-"), 12, 17, 0, 0, 0, -1, -1, -1, 0x2000093, -1, -1, kNoRange, {}, 14, "Benutzerdefinierter Text, wird im Stellungsregler gespeichert (32 Zeichen)", nullptr, nullptr, nullptr},
    {117, "SC138T1", 14, 32, S("-/-"), 138, 139, 1, 1, 1, 0, -1, 0, 0x2000093, -1, -1, kNoRange, {}, 15, "Informationstext 1 (32 Zeichen)", nullptr, nullptr, nullptr},
    {118, "SC138T2", 14, 32, S("-/-"), 138, 139, 1, 1, 1, 0, -1, 1, 0x2000093, -1, -1, kNoRange, {}, 16, "Informationstext 2 (32 Zeichen)", nullptr, nullptr, nullptr},
    {119, "SC138T3", 14, 32, S("-/-"), 138, 139, 1, 1, 1, 0, -1, 2, 0x2000093, -1, -1, kNoRange, {}, 17, "Informationstext 3 (32 Zeichen)", nullptr, nullptr, nullptr},
    {120, "SC138T4", 14, 32, S("-/-"), 138, 139, 1, 1, 1, 0, -1, 3, 0x2000093, -1, -1, kNoRange, {}, 18, "Informationstext 4 (32 Zeichen)", nullptr, nullptr, nullptr},
    {121, "UC013/", 0, -1, kEmpty, 13, 18, -1, -1, -1, -1, -1, -1, 0x3, -1, -1, kNoRange, {}, -1, nullptr, nullptr, nullptr, nullptr},
    {122, "UC013/Tag", 14, 8, S("4625_1"), 13, 18, 0, 0, 0, -1, -1, -1, 0x10, -1, -1, kNoRange, {}, -1, "Tag/Messstellenbezeichnung (8 Zeichen)", nullptr, nullptr, nullptr},
    {123, "UC013/Descr", 14, 16, S("-/-"), 13, 18, 6, 6, 6, -1, -1, -1, 0x2080090, -1, -1, kNoRange, {}, 12, "Benutzerdefinierter Text, wird im Stellungsregler gespeichert (16 Zeichen)", nullptr, nullptr, nullptr},
    {124, "UC013/Date", 11, -1, kToday, 13, 18, 18, 18, 18, -1, -1, -1, 0x2080090, -1, -1, kNoRange, {}, 28, "Eingabe des Datums im europäischen Datumsformat [TT.MM.JJJJ]", nullptr, nullptr, nullptr},
    {125, "SC135", 14, 16, S("0"), 135, -1, 0, -1, -1, -1, -1, -1, 0x2000091, 1, -1, kNoRange, {}, 24, "Hersteller-Erzeugnisnummer des Stellungsreglers", nullptr, nullptr, nullptr},
    {126, "SC128Tr14/", 0, -1, kEmpty, 128, -1, -1, -1, -1, -1, -1, -1, 0x1, -1, -1, kNoRange, {}, -1, nullptr, nullptr, nullptr, nullptr},
    {127, "SC128Tr14/Par1", 8, -1, I(0), 128, -1, 1, -1, -1, 0, 0, 68, 0x2080090, 1, -1, kNoRange, {.format = "0.00"}, 32, "Revisionsstand der Kommunikations-Firmware im Stellungsregler", nullptr, nullptr, nullptr},
    {128, "SC128Tr14/Par2", 8, -1, I(0), 128, -1, 6, -1, -1, 1, 0, 66, 0x2000090, 1, 57, R(D(0.0), D(127.0)), {}, 218, "Maximal erreichter Hub in % vom Nennhub, ermittelt während der Initialisierung", nullptr, nullptr, nullptr},
    {129, "SC128Tr14/Par3", 8, -1, I(0), 128, -1, 11, -1, -1, 2, 0, 53, 0x2080090, 1, -1, kNoRange, {.format = "0.00"}, 38, "Revisionsstand der Mechanik im Stellungsreglers", nullptr, nullptr, nullptr},
    {130, "SC128Tr14/Par4", 8, -1, I(0), 128, -1, 16, -1, -1, 3, 0, 50, 0x2080090, 1, -1, kNoRange, {.format = "0.00"}, 34, "Revisionsstand der Regelungs-Firmware im Stellungsregler", nullptr, nullptr, nullptr},
    {131, "SC130Tr6/", 0, -1, kEmpty, 130, -1, -1, -1, -1, -1, -1, -1, 0x1, -1, -1, kNoRange, {}, -1, nullptr, nullptr, nullptr, nullptr},
    {132, "SC130Tr6/Par1", 2, -1, I(2), 130, -1, 1, -1, -1, 0, 0, 66, 0x2000090, 1, -1, kNoRange, {}, 222, "Sicherheitsstellung des Antriebs bei Luft- oder Hilfsenergieausfall", "0:Stange einfahrend|1:Stange ausfahrend|2:Unbekannt|3:Keine", nullptr, nullptr},
    {133, "SC130Tr6/Par2", 2, -1, I(0), 130, -1, 3, -1, -1, 1, 0, 75, 0x2080090, 1, -1, kNoRange, {}, 42, "Ausführung der eingebauten Option Grenzkontakte", "0:Nicht vorhanden|1:Induktiv|2:Software-Grenzkontakte", nullptr, nullptr},
    {134, "SC130Tr6/Par3", 2, -1, I(0), 130, -1, 5, -1, -1, 2, 0, 74, 0x2080090, 1, -1, kNoRange, {}, 40, "Optionaler Einbau der Zwangsentlüftung", "0:Nicht vorhanden|1:Vorhanden", nullptr, nullptr},
    {135, "SC130Tr6/Par4", 2, -1, I(0), 130, -1, 7, -1, -1, 3, 0, 73, 0x2080090, 1, -1, kNoRange, {}, 48, "Optionaler Einbau des analogen Stellungsmelders", "0:Nicht vorhanden|1:Vorhanden", nullptr, nullptr},
    {136, "SC130Tr7/", 0, -1, kEmpty, 130, -1, -1, -1, -1, -1, -1, -1, 0x1, -1, -1, kNoRange, {}, -1, nullptr, nullptr, nullptr, nullptr},
    {137, "SC130Tr7/Par1", 2, -1, I(0), 130, -1, 1, -1, -1, 0, -1, 98, 0x2000090, 1, -1, kNoRange, {}, 224, "Warnmeldungen während der Initialisierung", "0:Unbestimmt|12:Proportionalbereich zu stark eingeschränkt|13:Nennhub oder Übersetzung falsch gewählt|15:Pneumatisches System undicht|254:Keine Meldungen|255:Keine Daten verfügbar", nullptr, nullptr},
    {138, "SC130Tr7/Par2", 2, -1, I(0), 130, -1, 3, -1, -1, 1, -1, 81, 0x100090, 1, -1, kNoRange, {}, 350, "Schaltzustand des Software-Grenzkontaktes GW1", "0:Aus|1:Ein", nullptr, nullptr},
    {139, "SC130Tr7/Par3", 2, -1, I(0), 130, -1, 5, -1, -1, 2, -1, 82, 0x100090, 1, -1, kNoRange, {}, 352, "Schaltzustand des Software-Grenzkontaktes GW2", "0:Aus|1:Ein", nullptr, nullptr},
    {140, "SC130Tr7/Par4", 2, -1, I(0), 130, -1, 7, -1, -1, 3, -1, 71, 0x100090, 1, -1, kNoRange, {}, 354, "Schaltzustand des Störmeldeausgangs", "0:Nein|1:Ja", nullptr, nullptr},
    {141, "SC136/", 0, -1, kEmpty, 136, -1, -1, -1, -1, -1, -1, -1, 0x1, -1, -1, kNoRange, {}, -1, nullptr, nullptr, nullptr, nullptr},
    {142, "SC136/wAnalog", 8, -1, D(4.0), 136, -1, 0, -1, -1, -1, -1, -1, 0x8000090, 3, 39, R(D(3.8), D(22.0)), {}, 314, "Stromeingang in mA, in der Betriebsart 'Automatik' als Führungsgrösse verwendet", nullptr, nullptr, nullptr},
    {143, "SC136/OpMode", 2, -1, I(0), 136, -1, 4, -1, -1, -1, -1, -1, 0x10, 3, -1, kNoRange, {}, -1, "Führungsgrösse für die Regelung", "0:Automatik|1:Hand|2:Sicherheitsstellung", nullptr, nullptr},
    {144, "SC136/wDigit", 8, -1, D(0.0), 136, -1, 5, -1, -1, -1, -1, -1, 0x8000090, 3, 57, R(D(-10.0), D(120.0)), {}, 312, "Führungsgrösse in % unter Berücksichtigung von Führungsgrösse Anfang und Führungsgrösse Ende", nullptr, nullptr, nullptr},
    {145, "SC136/wHand", 8, -1, D(4.0), 136, -1, 9, -1, -1, -1, -1, -1, 0x10, 3, 39, R(D(3.8), D(22.0)), {.invalid = true}, -1, "Führungsgrösse w in mA, änderbar in der Betriebsart 'Hand' (3,8...22mA)", nullptr, nullptr, nullptr},
    {146, "SC136/e", 8, -1, D(0.0), 136, -1, 13, -1, -1, -1, -1, -1, 0x8000090, 3, 57, R(D(-120.0), D(120.0)), {}, 316, "Regeldifferenz in % (e = w - x)", nullptr, nullptr, nullptr},
    {147, "SC136/x", 8, -1, D(0.0), 136, -1, 17, -1, -1, -1, -1, -1, 0x8000090, 3, 57, R(D(-10.0), D(120.0)), {}, 310, "Regelgrösse in % bezogen auf den Hub-/Drehwinkelbereich", nullptr, nullptr, nullptr},
    {148, "SC136/FaultAl", 2, -1, I(0), 136, -1, 21, -1, -1, -1, -1, -1, 0x10, 3, -1, kNoRange, {}, -1, "Schaltzustand des Störmeldeausgangs", "0:Nein|1:Ja", nullptr, nullptr},
    {149, "SC136/GW1", 2, -1, I(0), 136, -1, 22, -1, -1, -1, -1, -1, 0x10, 3, -1, kNoRange, {}, -1, "Schaltzustand des Software-Grenzkontaktes GW1", "0:Aus|1:Ein", nullptr, nullptr},
    {150, "SC136/GW2", 2, -1, I(0), 136, -1, 23, -1, -1, -1, -1, -1, 0x10, 3, -1, kNoRange, {}, -1, "Schaltzustand des Software-Grenzkontaktes GW2", "0:Aus|1:Ein", nullptr, nullptr},
    {151, "SC136/OpStat", 2, -1, I(0), 136, -1, 24, -1, -1, -1, -1, -1, 0x8000090, 3, -1, kNoRange, {}, 302, "Aktueller Betriebszustand der internen Stellungsregelung", "0:Betrieb|1:Zwangsentlüftung aktiv|2:Hubbegrenzung unten aktiv|3:Hubbegrenzung oben aktiv|4:Endlage kleiner aktiv|5:Endlage grösser aktiv", nullptr, nullptr},
    {152, "SC136/TotTravel", 8, -1, D(0.0), 136, -1, 25, -1, -1, -1, -1, -1, 0x8000090, 3, -1, R(D(0.0), D(16500000.0)), {.format = "0"}, 320, "Summe der Nennlastspiele", nullptr, nullptr, nullptr},
    {153, "SC136FaultAl", 2, -1, I(0), 136, -1, 21, -1, -1, -1, -1, -1, 0x4, 3, -1, kNoRange, {}, -1, "Schaltzustand des Störmeldeausgangs", "0:Nein|1:Ja", nullptr, nullptr},
    {154, "SC136GW1", 2, -1, I(0), 136, -1, 22, -1, -1, -1, -1, -1, 0x4, 3, -1, kNoRange, {}, -1, "Schaltzustand des Software-Grenzkontaktes GW1", "0:Aus|1:Ein", nullptr, nullptr},
    {155, "SC136GW2", 2, -1, I(0), 136, -1, 23, -1, -1, -1, -1, -1, 0x4, 3, -1, kNoRange, {}, -1, "Schaltzustand des Software-Grenzkontaktes GW2", "0:Aus|1:Ein", nullptr, nullptr},
    {156, "CC048/", 0, -1, kEmpty, 48, 48, -1, -1, -1, -1, -1, -1, 0x3, -1, -1, kNoRange, {}, -1, nullptr, nullptr, nullptr, nullptr},
    {157, "CC048/St0", 2, -1, I(0), 48, 48, 0, -1, 0, -1, -1, -1, 0x0, 1, -1, kNoRange, {}, -1, "Gerätestatus 0", nullptr, nullptr, nullptr},
    {158, "CC048/St1", 2, -1, I(0), 48, 48, 1, -1, 1, -1, -1, -1, 0x0, 1, -1, kNoRange, {}, -1, "Gerätestatus 1", "0:Unbestimmt|1:Gerät nicht initialisiert|2:Initialisierung in Bearbeitung|4:Initialisierung fehlerhaft|8:Nullpunktabgleich in Bearbeitung|16:Nullpunktfehler|32:Aktion abgebrochen|512:Erfolgreich", nullptr, nullptr},
    {159, "CC048/St2", 2, -1, I(0), 48, 48, 2, -1, 2, -1, -1, -1, 0x0, 1, -1, kNoRange, {}, -1, "Gerätestatus 2", nullptr, nullptr, nullptr},
    {160, "CC048/St3", 2, -1, I(0), 48, 48, 3, -1, 3, -1, -1, -1, 0x0, 1, -1, kNoRange, {}, -1, "Gerätestatus 3", nullptr, nullptr, nullptr},
    {161, "CC048/F10", 2, -1, I(0), 48, -1, 0, -1, -1, -1, -1, -1, 0x100080, 3, -1, kNoRange, {.access_mask = 0x01}, 360, "k.akt Daten", "0:Aus|1:Ein", nullptr, nullptr},
    {162, "CC048/F11", 2, -1, I(0), 48, -1, 0, -1, -1, -1, -1, -1, 0x100080, 3, -1, kNoRange, {.access_mask = 0x02}, 362, "Datenspeicher R defekt", "0:Aus|1:Ein", nullptr, nullptr},
    {163, "CC048/F12", 2, -1, I(0), 48, -1, 0, -1, -1, -1, -1, -1, 0x100080, 3, -1, kNoRange, {.access_mask = 0x04}, 364, "Datenspeicher K defekt", "0:Aus|1:Ein", nullptr, nullptr},
    {164, "CC048/F13", 2, -1, I(0), 48, -1, 0, -1, -1, -1, -1, -1, 0x100080, 3, -1, kNoRange, {.access_mask = 0x08}, 366, "Prüfsummenfehler R", "0:Aus|1:Ein", nullptr, nullptr},
    {165, "CC048/F14", 2, -1, I(0), 48, -1, 0, -1, -1, -1, -1, -1, 0x100080, 3, -1, kNoRange, {.access_mask = 0x10}, 368, "Prüfsummenfehler K", "0:Aus|1:Ein", nullptr, nullptr},
    {166, "CC048/F15", 2, -1, I(0), 48, -1, 0, -1, -1, -1, -1, -1, 0x100080, 3, -1, kNoRange, {.access_mask = 0x20}, 374, "Interner Regelkreis gestört", "0:Aus|1:Ein", nullptr, nullptr},
    {167, "CC048/F20", 2, -1, I(0), 48, -1, 1, -1, -1, -1, -1, -1, 0x100080, 3, -1, kNoRange, {.access_mask = 0x01}, 378, "Gerät nicht init", "0:Aus|1:Ein", nullptr, nullptr},
    {168, "CC048/F21", 2, -1, I(0), 48, -1, 1, -1, -1, -1, -1, -1, 0x100080, 3, -1, kNoRange, {.access_mask = 0x02}, 392, "Init in Bearb.", "0:Aus|1:Ein", nullptr, nullptr},
    {169, "CC048/F22", 2, -1, I(0), 48, -1, 1, -1, -1, -1, -1, -1, 0x100080, 3, -1, kNoRange, {.access_mask = 0x04}, 380, "Init fehlerhaft", "0:Aus|1:Ein", nullptr, nullptr},
    {170, "CC048/F23", 2, -1, I(0), 48, -1, 1, -1, -1, -1, -1, -1, 0x100080, 3, -1, kNoRange, {.access_mask = 0x08}, 394, "NP in Bearb.", "0:Aus|1:Ein", nullptr, nullptr},
    {171, "CC048/F24", 2, -1, I(0), 48, -1, 1, -1, -1, -1, -1, -1, 0x100080, 3, -1, kNoRange, {.access_mask = 0x10}, 382, "Nullpunktfehler", "0:Aus|1:Ein", nullptr, nullptr},
    {172, "CC048/F26", 2, -1, I(0), 48, -1, 1, -1, -1, -1, -1, -1, 0x100080, 3, -1, kNoRange, {.access_mask = 0x40}, 384, "Messwerterfassung fehlerhaft", "0:Aus|1:Ein", nullptr, nullptr},
    {173, "CC048/F30", 2, -1, I(0), 48, -1, 2, -1, -1, -1, -1, -1, 0x100080, 3, -1, kNoRange, {.access_mask = 0x01}, 390, "GW Wegintegral überschritten", "0:Aus|1:Ein", nullptr, nullptr},
    {174, "CC048/F32", 2, -1, I(0), 48, -1, 2, -1, -1, -1, -1, -1, 0x100080, 3, -1, kNoRange, {.access_mask = 0x04}, 396, "Warmstart", "0:Aus|1:Ein", nullptr, nullptr},
    {175, "CC048/F33", 2, -1, I(0), 48, -1, 2, -1, -1, -1, -1, -1, 0x100080, 3, -1, kNoRange, {.access_mask = 0x08}, 398, "Mw Regelgr außer Bereich", "0:Aus|1:Ein", nullptr, nullptr},
    {176, "CC048/F34", 2, -1, I(0), 48, -1, 2, -1, -1, -1, -1, -1, 0x100080, 3, -1, kNoRange, {.access_mask = 0x10}, 376, "Hilfsenergie zu gering", "0:Aus|1:Ein", nullptr, nullptr},
    {177, "CC048/F35", 2, -1, I(0), 48, -1, 2, -1, -1, -1, -1, -1, 0x100080, 3, -1, kNoRange, {.access_mask = 0x20}, 372, "Defekt Mechanik Pneumatik", "0:Aus|1:Ein", nullptr, nullptr},
    {178, "CC048/F37", 2, -1, I(0), 48, -1, 2, -1, -1, -1, -1, -1, 0x100080, 3, -1, kNoRange, {.access_mask = 0x80}, 400, "Kennlinie fehlerhaft", "0:Aus|1:Ein", nullptr, nullptr},
    {179, "CC048/F40", 2, -1, I(0), 48, -1, 3, -1, -1, -1, -1, -1, 0x100080, 3, -1, kNoRange, {.access_mask = 0x01}, 370, "Fehler Speicher Geräteinfo", "0:Aus|1:Ein", nullptr, nullptr},
    {180, "CC048/F43", 2, -1, I(0), 48, -1, 3, -1, -1, -1, -1, -1, 0x100080, 3, -1, kNoRange, {.access_mask = 0x08}, 386, "Fehler Zwangsentlüftung", "0:Aus|1:Ein", nullptr, nullptr},
    {181, "CC038", 0, -1, kEmpty, -1, 38, -1, -1, -1, -1, -1, -1, 0x4, -1, -1, kNoRange, {}, -1, "Rücksetzen Konfigurationsmerker", nullptr, nullptr, nullptr},
    {182, "SC133", 2, -1, I(0), -1, 133, -1, 0, 0, -1, -1, -1, 0x4, -1, -1, kNoRange, {.invalid = true}, -1, "Laufende Aktion abbrechen", nullptr, nullptr, nullptr},
    {183, "SC133Inx1", 2, -1, I(1), -1, 133, -1, 0, 0, -1, -1, -1, 0x14, -1, -1, kNoRange, {.invalid = true}, -1, "Nullpunktabgleich abbrechen", nullptr, nullptr, nullptr},
    {184, "SC133Inx2", 2, -1, I(2), -1, 133, -1, 0, 0, -1, -1, -1, 0x14, -1, -1, kNoRange, {.invalid = true}, -1, "Initialisierung abbrechen", nullptr, nullptr, nullptr},
    {185, "SC134", 2, -1, I(0), -1, 134, -1, -1, 0, 0, -1, 0, 0x0, 1, -1, kNoRange, {}, -1, "Status Kalibrierung", "0:Unbestimmt|1:Läuft|2:Abgebrochen|3:Bereich fehlerhaft|4:Mechanik oder Pneumatik fehlerhaft|5:Verstärkungsfehler|6:Offsetfehler|7:Reihenfolge Difftrafo-Abgleich vertauscht|8:Test Nullpunkt-Taste - Taste gedrückt|9:Test fortsetzen|10:Default|11:Zeitfehler|12:Proportionalbereich zu stark eingeschränkt|13:Nennhub oder Übersetzung falsch gewählt|14:Mechanisches System klemmt|15:Pneumatisches System undicht|16:Abgebrochen, kein erfolgreicher Fertigungstest|17:Ermittlung der mechanischen Anschläge|18:Ermittlung der minimalen Stellimpulse|19:Ermittlung der minimalen Laufzeiten|20:Abgebrochen, Zwangsentlüftung aktiv|30:Nullpunktfehler|31:Gerät nicht initialisiert|254:Erfolgreich|255:Keine aktuellen Daten von der Applikation", nullptr, nullptr},
    {186, "SC132Inx1", 2, -1, I(1), -1, 132, -1, 0, 0, -1, -1, -1, 0x4, -1, -1, kNoRange, {}, -1, "Nullpunktabgleich starten.", nullptr, nullptr, nullptr},
    {187, "SC132Inx2", 2, -1, I(2), -1, 132, -1, 0, 0, -1, -1, -1, 0x4, -1, -1, kNoRange, {}, -1, "Initialisierung starten.", nullptr, nullptr, nullptr},
    {188, "SC132Inx7", 2, -1, I(7), -1, 132, -1, 0, 0, -1, -1, -1, 0x4, -1, -1, kNoRange, {}, -1, "Rücksetzen Wegintegral", nullptr, nullptr, nullptr},
    {189, "SC132Inx10", 2, -1, I(10), -1, 132, -1, 0, 0, -1, -1, -1, 0x4, -1, -1, kNoRange, {}, -1, "Rücksetzen Regelkreisstörung", nullptr, nullptr, nullptr},
    {190, "SC132Inx254", 2, -1, I(254), -1, 132, -1, 0, 0, -1, -1, -1, 0x4, -1, -1, kNoRange, {}, -1, "Kaltstart ausführen", nullptr, nullptr, nullptr},
    {191, "SC132Inx3", 2, -1, I(3), -1, 132, -1, 0, 0, -1, -1, -1, 0x4, -1, -1, kNoRange, {}, -1, "Funktionsüberprüfung des Störmeldeausganges durch dreimaliges Schalten", nullptr, nullptr, nullptr},
    {192, "SC132Inx6", 2, -1, I(6), -1, 132, -1, 0, 0, -1, -1, -1, 0x4, -1, -1, kNoRange, {}, -1, "Funktionstest der Option Stellungsmelder mit Testwert x", nullptr, nullptr, nullptr},
    {193, "SC132Inx4", 2, -1, I(4), -1, 132, -1, 0, 0, -1, -1, -1, 0x4, -1, -1, kNoRange, {}, -1, "Funktionsüberprüfung Software-Grenzkontakt GW1 durch dreimaliges Schalten", nullptr, nullptr, nullptr},
    {194, "SC132Inx5", 2, -1, I(5), -1, 132, -1, 0, 0, -1, -1, -1, 0x4, -1, -1, kNoRange, {}, -1, "Funktionsüberprüfung Software-Grenzkontakt GW2 durch dreimaliges Schalten", nullptr, nullptr, nullptr},
    {195, "DataStatus", 2, -1, I(0), -1, -1, -1, -1, -1, -1, -1, -1, 0x0, 1, -1, kNoRange, {}, -1, "Status der Daten zeigt die Datenquelle der Parameter.", "0:Projekt|1:Gerät|2:Geändert", nullptr, nullptr},
};
// clang-format on

// Numbers are the build order; a row moved or lost stops the build here.
consteval bool NumberedInOrder() {
  for (std::size_t i = 0; i < std::size(kRows); ++i) {
    if (kRows[i].number != static_cast<std::int16_t>(i + 1)) return false;
  }
  return true;
}
static_assert(std::size(kRows) == 195);
static_assert(NumberedInOrder());

}  // namespace

std::span<const DictionaryRow> DictionaryRows() { return kRows; }

}  // namespace dtm
