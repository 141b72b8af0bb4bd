#include "host/cli/read_command.h"

#include <memory>
#include <span>

#include "component/datamodel/data_element.h"
#include "host/cli/exit_status.h"
#include "host/cli/session.h"
#include "platform/com/error.h"
#include "platform/com/hex.h"
#include "platform/runtime/param_process.h"

namespace dtm::host {
namespace {

std::string Hex2(std::uint8_t value) {
  return com::HexBytes(std::span<const std::uint8_t>(&value, 1));
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

}  // namespace

std::string TraceLine(const runtime::HartRequest& request) {
  return "HART > cmd=" + std::to_string(request.command) +
         " data=" + com::HexBytes(request.data, " ");
}

std::string TraceLine(const runtime::HartResponse& response) {
  const std::string rc = response.response_code ? Hex2(*response.response_code) : "--";
  return "HART < cmd=" + std::to_string(response.command) + " rc=" + rc +
         " ds=" + Hex2(response.device_status) + " data=" + com::HexBytes(response.data, " ");
}

int ListingStatus(Session& session, const Listing& listing) {
  session.Messages().Flush();
  std::ostream& err = session.Err();
  for (const std::string& question : session.Messages().CutShort()) {
    err << "vd4625: the question \"" << question << "\" came back more than "
        << ConsoleMessages::kRepeatLimit << " times in a row and was answered No from then on\n";
  }
  if (session.DeviceTypeDeclined()) {
    err << "vd4625: the connected device is of another type; declined\n";
    return exit_status::kDeclined;
  }
  return listing.AllAccepted() ? exit_status::kOk : exit_status::kIncomplete;
}

void WriteOutcome(Session& session, const Listing& listing, ListFormat format, std::ostream& out) {
  WriteListing(listing, format, session.Language(), out);
  if (format == ListFormat::kTsv) session.Err() << SummaryLine(listing, session.Language()) << '\n';
}

int RunRead(Session& session, const ReadOptions& options, std::ostream& out) {
  runtime::DTMContext& context = session.Context();
  std::vector<std::shared_ptr<clsDataElement>> targets;
  for (const std::string& path : options.paths) {
    auto element = std::dynamic_pointer_cast<clsDataElement>(context.Parameters().Find(path));
    if (!element) {
      session.Err() << "vd4625 read: no element '" << path << "' (see 'vd4625 params')\n";
      return exit_status::kUsage;
    }
    targets.push_back(element);
  }

  device::TransactionObserver trace;
  if (options.trace) {
    trace = [&session](const runtime::HartRequest& request, const runtime::HartResponse& response) {
      session.Err() << TraceLine(request) << '\n' << TraceLine(response) << '\n';
    };
  }
  if (!session.UseDevice(options.device_profile, trace)) return exit_status::kError;

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
    session.Err() << "vd4625: the read could not start (" << error << ")\n";
    return exit_status::kError;
  }
  session.Loop().RunUntil([&] { return sink->finished; });

  const Listing listing = ListTargets(context, options.paths,
                                      context.CommMan().GetResults(process->ProcessID()),
                                      session.Language());
  process->Release();
  session.Messages().Flush();
  if (session.DeviceTypeDeclined()) return ListingStatus(session, listing);
  WriteOutcome(session, listing, options.format, out);
  return ListingStatus(session, listing);
}

}  // namespace dtm::host
