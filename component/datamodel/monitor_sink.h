#pragma once
// What the data model writes the protocol of its transactions to: the
// communication monitor, while its page is open. The page implements it;
// the data model, which the pages are built on, knows only this.

#include <memory>
#include <optional>
#include <string>

#include "platform/com/variant.h"

namespace dtm::runtime {
class DTMContext;
}

namespace dtm {

class MonitorSink {
 public:
  virtual ~MonitorSink() = default;

  // The monitor open for the DTM of `context`, or nullptr: the page
  // registered under the DTM's "MonitorInvokeID".
  static std::shared_ptr<MonitorSink> Find(runtime::DTMContext& context);

  // A value as the protocol writes it; never raises. Not-a-number is
  // "NaN", the infinities "Inf" and "-Inf", Null "Null", Empty "", a byte
  // array its hex digits, an object "Object"; any other value its text,
  // formatted with the numeric pattern `format` when one is given (its
  // text when the pattern does not apply).
  static std::string ValueText(const com::Variant& value, const std::string& format = {});

  // The current-language text of an English phrase; "" for one it lacks.
  virtual std::string GetText(const std::string& phrase) const = 0;
  virtual void MonitorHeading(const std::string& heading,
                              const std::optional<std::string>& fill = std::nullopt) = 0;
  virtual void MonitorLine(const std::string& text,
                           const std::optional<com::Variant>& previous_line = {},
                           const std::optional<com::Variant>& follow_line = {}) = 0;
  virtual void MonitorAdd(const std::string& text) = 0;
  virtual void MonitorHexDump(const std::string& caption, const com::ByteArray& bytes) = 0;
};

}  // namespace dtm
