#pragma once
// Numbers as text for display, as the automation Format function writes
// them with a numeric pattern, and the locale-independent number text that
// documents and the dictionary exchange ("." as the mark, whatever the
// user's locale).

#include <optional>
#include <string>

#include "platform/com/variant.h"

namespace dtm::com {

// Format(value, pattern) for the numeric patterns the system uses:
//   0   digit placeholder, shows a digit or a zero ("0.00", "000");
//   #   digit placeholder, shows a digit or nothing ("#", "#0.0", "0.0##");
//   .   the decimal mark (the first one only), written as the locale's
//       mark;
//   ,   between integer placeholders: group the integer digits with the
//       locale's grouping mark ("#,##0.0");
// other characters before the first and after the last placeholder are
// copied ("0.0 bar"); "\x" copies x and "..." copies the quoted text.
//
// The value is rounded to as many decimals as the pattern has fraction
// placeholders, half away from zero, as Format rounds (Round rounds half to
// even). It is rounded from its decimal digits as CStr shows them (15
// significant digits for a Double, 7 for a Single), so 2.675 gives "2.68"
// with "0.00" although its binary value lies just below the tie. A value
// that rounds to zero shows no minus sign.
//
// Numeric subtypes, Boolean (-1/0), Date (its serial) and Empty (0) are
// formatted; a text that is a number in the locale is formatted as that
// number and any other text comes back unchanged, as Format does. An empty
// pattern gives CStr. The form without a locale follows Locale::English(). Raises Invalid use of Null (94) for Null, Type
// mismatch (13) for byte arrays and objects, Overflow (6) for not-a-number
// and infinite values, and Invalid procedure call (5) for patterns beyond
// the list above (sections ";", "%", exponents, literals between digits).
std::string Format(const Variant& value, const std::string& pattern);
std::string Format(const Variant& value, const std::string& pattern, const Locale& locale);

// Str without its leading blank: the number with "." as the mark, 7
// significant digits for a Single and 15 for a Double, exponent form for
// large and small magnitudes (1E+20), Boolean as -1/0, Date as its serial,
// not-a-number and infinities as CStr writes them ("1.#INF"). Empty gives
// "0"; a text is read as a number in the locale first (Locale::English()
// for the form without one). Raises
// Invalid use of Null (94) for Null and Type mismatch (13) for anything
// that is no number.
std::string InvariantNumberText(const Variant& value);
std::string InvariantNumberText(const Variant& value, const Locale& locale);

// The word a display shows for a Single, Double or Date that is no finite
// number: "NaN", "Inf" or "-Inf" (the language's own texts, "-1.#IND",
// read as numbers); nullopt for every other value.
std::optional<std::string> NonFiniteWord(const Variant& value);

// Reads a number written with "." as the mark and no grouping: blanks
// around, sign, digits, exponent, or the &H/&O forms; false for any other
// text (no prefix of it is taken, unlike Val).
bool TryParseInvariantNumber(const std::string& text, double& out);

}  // namespace dtm::com
