#include "host/cli/read_command.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include "component/datamodel/data_element.h"
#include "host/cli/session.h"
#include "platform/com/error.h"
#include "platform/runtime/param_process.h"

namespace dtm::host {
namespace {

std::string HexBytes(const std::vector<std::uint8_t>& bytes) {
  std::string out;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    char pair[4];
    std::snprintf(pair, sizeof pair, i ? " %02X" : "%02X", bytes[i]);
    out += pair;
  }
  return out;
}

std::string Hex2(std::uint8_t value) {
  char text[3];
  std::snprintf(text, sizeof text, "%02X", value);
  return text;
}

class FinishSink final : public IPrivateProcess {
 public:
  void IPrivateProcess_OnProcessProgress(const std::string&, const com::Variant&,
                                         const com::Variant&) override {}
  void IPrivateProcess_OnProcessFinished(const std::string&,
                                         const std::optional<com::Variant>&) override {
    finished = true;
  }
  bool finished = false;
};

std::string ValueText(const com::Variant& value) {
  if (value.IsEmpty()) return "Empty";
  if (value.IsByteArray()) return HexBytes(value.Bytes());
  try {
    return value.ToString();
  } catch (const com::ComError&) {
    return "?";
  }
}

std::string ResultText(const clsDataElement& element, bool failed) {
  if (failed) return "no answer";
  const std::int32_t result_class = element.StatusFlags() & flags::kResponseClassMask;
  if (result_class == 0) return "ok";
  char text[16];
  std::snprintf(text, sizeof text, "0x%06X", static_cast<unsigned>(result_class));
  return element.CmdErr.empty() ? std::string(text) : std::string(text) + " " + element.CmdErr;
}

}  // namespace

std::string TraceLine(const runtime::HartRequest& request) {
  return "HART > cmd=" + std::to_string(request.command) + " data=" + HexBytes(request.data);
}

std::string TraceLine(const runtime::HartResponse& response) {
  const std::string rc = response.response_code ? Hex2(*response.response_code) : "--";
  return "HART < cmd=" + std::to_string(response.command) + " rc=" + rc +
         " ds=" + Hex2(response.device_status) + " data=" + HexBytes(response.data);
}

int RunRead(Session& session, const ReadOptions& options, std::ostream& out) {
  runtime::DTMContext& context = session.Context();
  std::vector<std::shared_ptr<clsDataElement>> targets;
  for (const std::string& path : options.paths) {
    auto element = std::dynamic_pointer_cast<clsDataElement>(context.Parameters().Find(path));
    if (!element) {
      std::fprintf(stderr, "vd4625: no element '%s' (see 'vd4625 params')\n", path.c_str());
      return 2;
    }
    targets.push_back(element);
  }

  device::TransactionObserver trace;
  if (options.trace) {
    trace = [&out](const runtime::HartRequest& request, const runtime::HartResponse& response) {
      out << TraceLine(request) << '\n' << TraceLine(response) << '\n';
    };
  }
  if (!session.UseDevice(options.device_profile, trace)) return 1;

  auto process = std::make_shared<runtime::ParamProcess>();
  process->Init(context);
  std::int32_t error = 0;
  process->Reset(error);
  for (const auto& element : targets) {
    process->AddElement(std::static_pointer_cast<IPrivateDataElement>(element), false, error);
    if (error != 0) throw com::ComError(error, "cannot add " + element->Name, "vd4625");
  }
  auto sink = std::make_shared<FinishSink>();
  process->Start(sink, 0, false, error);
  if (error != 0) {
    std::fprintf(stderr, "vd4625: the read could not start (%d)\n", error);
    return 1;
  }
  session.Loop().RunUntil([&] { return sink->finished; });

  std::vector<std::string> failed;
  for (const runtime::ProcessResult& result : context.CommMan().GetResults(process->ProcessID())) {
    if (result.Status != 0 && result.Element) {
      failed.push_back(result.Element->IPrivateDataElement_Name());
    }
  }
  auto is_failed = [&](const std::string& name) {
    return std::find(failed.begin(), failed.end(), name) != failed.end();
  };

  // An enumeration shows its text beside the number.
  auto value_of = [](const clsDataElement& element) {
    std::string text = ValueText(element.TransientValue);
    if (!element.ValueList.empty() && !element.bBitEncoding && element.TransientValue.IsNumeric() &&
        !element.TransientValue.IsEmpty()) {
      try {
        const std::string name = element.GetStrValueFromIdxList(element.TransientValue.ToLong());
        if (!name.empty()) text += " (" + name + ")";
      } catch (const com::ComError&) {
      }
    }
    return text;
  };
  auto print = [&](const clsDataElement& element, bool failed_group) {
    out << element.Name << "\t" << element.Prompt << "\t" << value_of(element)
        << "\t" << element.UnitString(context) << "\t" << ResultText(element, failed_group)
        << '\n';
  };
  for (const auto& target : targets) {
    const bool failed_target = is_failed(target->Name);
    if (!target->Name.empty() && target->Name.back() == '/') {
      for (const DataElementPtr& member : context.Parameters().GetGroupMembers(target->Name)) {
        if (auto typed = std::dynamic_pointer_cast<clsDataElement>(member)) {
          print(*typed, failed_target);
        }
      }
    } else {
      print(*target, failed_target);
    }
  }
  process->Release();
  return failed.empty() ? 0 : 1;
}

}  // namespace dtm::host
