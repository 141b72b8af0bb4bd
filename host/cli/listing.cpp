#include "host/cli/listing.h"

#include <algorithm>
#include <map>
#include <memory>

#include "component/datamodel/data_element.h"
#include "host/cli/text_table.h"
#include "platform/com/error.h"
#include "platform/com/format.h"
#include "platform/com/hex.h"
#include "platform/com/locale.h"
#include "platform/runtime/context.h"
#include "platform/runtime/parameters.h"

namespace dtm::host {
namespace {

bool German(std::int32_t language) { return (language & 0x3FF) == 7; }

// The host's own words, in both languages.
struct Words {
  const char* path;
  const char* label;
  const char* value;
  const char* unit;
  const char* status;
  const char* ok;
  const char* refused;
  const char* busy;
  const char* not_answered;
  const char* not_transferred;
  const char* transactions;
  const char* values_read;
  const char* values_written;
  const char* transaction;  // the singular forms
  const char* value_read;
  const char* value_written;
};

const Words& WordsOf(std::int32_t language) {
  static const Words kEnglish = {"path",     "label",        "value",
                                 "unit",     "status",       "ok",
                                 "refused",  "busy",         "not answered",
                                 "not transferred", "transactions", "values read",
                                 "values written", "transaction", "value read",
                                 "value written"};
  static const Words kGerman = {"Pfad",      "Bezeichnung",     "Wert",
                                "Einheit",   "Status",          "ok",
                                "abgelehnt", "besetzt",         "keine Antwort",
                                "nicht übertragen", "Transaktionen", "Werte gelesen",
                                "Werte geschrieben", "Transaktion", "Wert gelesen",
                                "Wert geschrieben"};
  return German(language) ? kGerman : kEnglish;
}

void AddRows(runtime::DTMContext& context, const std::shared_ptr<clsDataElement>& element,
             std::optional<runtime::ResultOutcome> outcome, std::int32_t language,
             Listing& listing) {
  // A value that was to be read and did not arrive is not shown: what the
  // element holds is not the device's.
  const bool shown = listing.writing || !outcome || *outcome == runtime::ResultOutcome::kAccepted;
  auto add = [&](const clsDataElement& value) {
    listing.rows.push_back({value.Name, CleanCell(value.Prompt),
                            shown ? CleanCell(DisplayValue(context, value, language)) : "",
                            CleanCell(value.UnitString(context)),
                            CleanCell(StatusText(value, outcome, language)), outcome});
  };
  if (element->Name.ends_with("/")) {
    for (const DataElementPtr& member : context.Parameters().GetGroupMembers(element->Name)) {
      if (auto typed = std::dynamic_pointer_cast<clsDataElement>(member)) add(*typed);
    }
  } else {
    add(*element);
  }
}

}  // namespace

std::size_t Listing::Count(std::optional<runtime::ResultOutcome> outcome) const {
  return static_cast<std::size_t>(std::count_if(
      rows.begin(), rows.end(), [&](const ListingRow& row) { return row.outcome == outcome; }));
}

bool Listing::AllAccepted() const {
  return std::all_of(rows.begin(), rows.end(), [](const ListingRow& row) {
    return !row.outcome || *row.outcome == runtime::ResultOutcome::kAccepted;
  });
}

std::string DisplayValue(runtime::DTMContext& context, const clsDataElement& element,
                         std::int32_t language) {
  (void)context;
  // The listing's numbers follow its language, whatever the instance's locale.
  const com::Locale& locale = German(language) ? com::Locale::German() : com::Locale::English();
  const com::Variant& value = element.TransientValue;
  if (value.IsEmpty() || value.IsNull()) return "";
  if (value.IsByteArray()) return com::HexBytes(value.Bytes(), " ");
  if (const std::optional<std::string> word = com::NonFiniteWord(value)) return *word;
  try {
    if ((element.ValueType == kVtSingle || element.ValueType == kVtDouble) &&
        !element.ValueFormat.empty() && value.IsNumeric(locale) && !IsInvalidFloat(value)) {
      return com::Format(value, element.ValueFormat, locale);
    }
    std::string text = value.ToString(locale);
    if (!element.ValueList.empty() && !element.bBitEncoding && value.IsNumeric(locale)) {
      double number = value.ToDouble(locale);
      // An enumeration's unsigned 32-bit value is listed as the signed Long of its bits.
      if (element.ValueType == kVtEnum && number > 2147483647.0) number -= 4294967296.0;
      const std::string name = element.GetStrValueFromIdxList(com::Variant(number).ToLong());
      if (!name.empty()) text += " (" + name + ")";
    }
    return text;
  } catch (const com::ComError&) {
    return "?";
  }
}

std::string StatusText(const clsDataElement& element,
                       std::optional<runtime::ResultOutcome> outcome, std::int32_t language) {
  const Words& words = WordsOf(language);
  if (!outcome) return words.not_transferred;
  std::string text;
  switch (*outcome) {
    case runtime::ResultOutcome::kAccepted: return words.ok;
    case runtime::ResultOutcome::kRefused: text = words.refused; break;
    case runtime::ResultOutcome::kBusy: text = words.busy; break;
    case runtime::ResultOutcome::kNotAnswered: return words.not_answered;
  }
  // The device's own word for the refusal, when the element has one.
  if (!element.CmdErr.empty()) text += ": " + element.CmdErr;
  return text;
}

Listing ListResults(runtime::DTMContext& context, const std::vector<runtime::ProcessResult>& results,
                    std::int32_t language, bool writing) {
  Listing listing;
  listing.writing = writing;
  listing.transactions = results.size();
  for (const runtime::ProcessResult& result : results) {
    auto element = std::dynamic_pointer_cast<clsDataElement>(result.Element);
    if (element) AddRows(context, element, result.Outcome, language, listing);
  }
  return listing;
}

Listing ListTargets(runtime::DTMContext& context, const std::vector<std::string>& targets,
                    const std::vector<runtime::ProcessResult>& results, std::int32_t language) {
  std::map<std::string, runtime::ResultOutcome> outcomes;
  for (const runtime::ProcessResult& result : results) {
    if (result.Element) outcomes[result.Element->IPrivateDataElement_Name()] = result.Outcome;
  }
  Listing listing;
  listing.transactions = results.size();
  for (const std::string& path : targets) {
    auto element = std::dynamic_pointer_cast<clsDataElement>(context.Parameters().Find(path));
    if (!element) continue;
    std::optional<runtime::ResultOutcome> outcome;
    if (auto it = outcomes.find(element->Name); it != outcomes.end()) {
      outcome = it->second;
    } else if (auto parent = element->GetParentParameter(context.Parameters())) {
      if (auto group = outcomes.find(parent->Name); group != outcomes.end()) outcome = group->second;
    }
    AddRows(context, element, outcome, language, listing);
  }
  return listing;
}

std::string SummaryLine(const Listing& listing, std::int32_t language) {
  const Words& words = WordsOf(language);
  using Outcome = runtime::ResultOutcome;
  const std::size_t taken = listing.Count(Outcome::kAccepted);
  const char* values = listing.writing ? (taken == 1 ? words.value_written : words.values_written)
                                       : (taken == 1 ? words.value_read : words.values_read);
  std::string line =
      std::to_string(listing.transactions) + " " +
      (listing.transactions == 1 ? words.transaction : words.transactions) + ", " +
      std::to_string(taken) + " " + values + ", " +
      std::to_string(listing.Count(Outcome::kRefused)) + " " + words.refused + ", " +
      std::to_string(listing.Count(Outcome::kNotAnswered)) + " " + words.not_answered;
  if (const std::size_t busy = listing.Count(Outcome::kBusy); busy != 0) {
    line += ", " + std::to_string(busy) + " " + words.busy;
  }
  return line;
}

void WriteListing(const Listing& listing, ListFormat format, std::int32_t language,
                  std::ostream& out) {
  const Words& words = WordsOf(language);
  std::vector<std::vector<std::string>> lines;
  lines.push_back({words.path, words.label, words.value, words.unit, words.status});
  for (const ListingRow& row : listing.rows) {
    lines.push_back({row.path, row.label, row.value, row.unit, row.status});
  }
  WriteCells(lines, format == ListFormat::kTsv, out);
  if (format == ListFormat::kTsv) return;
  out << SummaryLine(listing, language) << '\n';
}

}  // namespace dtm::host
