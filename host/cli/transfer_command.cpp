#include "host/cli/transfer_command.h"

#include <cstdio>
#include <fstream>
#include <memory>
#include <regex>

#include "component/datamodel/data_element.h"
#include "component/ui/actions/ctl_print.h"
#include "host/cli/exit_status.h"
#include "host/cli/read_command.h"
#include "host/cli/session.h"
#include "host/frame/file_storage.h"
#include "platform/com/error.h"
#include "platform/com/property_bag.h"
#include "platform/runtime/context.h"
#include "platform/runtime/documents.h"
#include "platform/xml/dom.h"

namespace dtm::host {
namespace {

// The trace and the progress of a transfer, both fed by the device's side.
device::TransactionObserver Observer(Session& session, const TransferOptions& options,
                                     std::size_t total, std::shared_ptr<std::size_t> done) {
  return [&session, &options, total, done](const runtime::HartRequest& request,
                                           const runtime::HartResponse& response) {
    ++*done;
    std::ostream& err = session.Err();
    if (options.trace) err << TraceLine(request) << '\n' << TraceLine(response) << '\n';
    if (options.progress) err << '\r' << *done << '/' << total << " transactions" << std::flush;
  };
}

// Waits for the frame's notice of the transfer's end; its success flag.
bool WaitForEnd(Session& session, const std::string& notice, const TransferOptions& options) {
  auto ended = [&] {
    for (const auto& entry : session.Container().Log()) {
      if (entry.name == notice) return true;
    }
    return false;
  };
  session.Loop().RunUntil(ended);
  if (options.progress) session.Err() << '\n';
  for (const auto& entry : session.Container().Log()) {
    if (entry.name == notice) return entry.arguments.size() > 1 && entry.arguments[1] == "true";
  }
  session.Err() << "vd4625: the transfer never ended\n";
  return false;
}

int RunTransfer(Session& session, const TransferOptions& options, std::ostream& out,
                bool download) {
  runtime::DTMContext& context = session.Context();
  std::size_t total = 0;
  for (const DataElementPtr& element : context.Parameters().Elements()) {
    total += download ? element->IPrivateDataElement_IsDownloadParam(context)
                      : element->IPrivateDataElement_IsUploadParam(com::Variant());
  }
  auto done = std::make_shared<std::size_t>(0);
  if (!session.UseDevice(options.device_profile, Observer(session, options, total, done))) {
    return exit_status::kError;
  }

  const std::string id = download ? "download-1" : "upload-1";
  const bool started = download ? session.Dtm().IDtmOnlineParameter_DownloadRequest(id, "")
                                : session.Dtm().IDtmOnlineParameter_UploadRequest(id, "");
  if (!started) {
    session.Messages().Flush();
    session.Err() << "vd4625: the " << (download ? "download" : "upload") << " did not start\n";
    return exit_status::kError;
  }
  const bool ended_well =
      WaitForEnd(session, download ? "DownloadFinished" : "UploadFinished", options);
  const Listing listing =
      ListResults(context, context.CommMan().GetResults(id), session.Language(), download);
  session.Messages().Flush();
  if (session.DeviceTypeDeclined()) return ListingStatus(session, listing);
  WriteOutcome(session, listing, options.format, out);
  int status = ListingStatus(session, listing);
  if (status == exit_status::kOk && !ended_well) status = exit_status::kIncomplete;

  if (options.save) {
    // Values that never arrived are factory values: they must not replace a good set.
    if (status != exit_status::kOk && !options.save_anyway) {
      session.Err() << "vd4625: the upload did not succeed; " << options.save->string()
                    << " was not written (--save-anyway writes it all the same)\n";
    } else {
      com::MemoryPropertyBag bag;
      session.Dtm().Class_WriteProperties(bag);
      frame::FileStorage(*options.save).Save(bag);
      session.Err() << "vd4625: data set saved to " << options.save->string() << '\n';
    }
  }
  return status;
}

// A function the function list document offers, or the documentation
// without elements (501), which the component answers but lists nowhere.
bool OffersFunction(const std::string& functions, std::int32_t id) {
  constexpr std::int32_t kBareDocumentation = 501;
  if (id == kBareDocumentation) return true;
  static const std::regex kId("functionId=\"(-?[0-9]+)\"");
  for (auto it = std::sregex_iterator(functions.begin(), functions.end(), kId);
       it != std::sregex_iterator(); ++it) {
    if ((*it)[1] == std::to_string(id)) return true;
  }
  return false;
}

}  // namespace

void WriteDocument(const std::string& document, bool pretty, std::ostream& out) {
  xml::Document parsed;
  const std::string text = pretty && parsed.LoadXml(document) ? parsed.IndentedXml() : document;
  out << text;
  if (!text.ends_with('\n')) out << '\n';
}

int RunUpload(Session& session, const TransferOptions& options, std::ostream& out) {
  return RunTransfer(session, options, out, false);
}

int RunDownload(Session& session, const TransferOptions& options, std::ostream& out) {
  return RunTransfer(session, options, out, true);
}

int RunFunctions(Session& session, const TransferOptions& options, std::ostream& out) {
  const std::string functions =
      session.Dtm().IDtm_GetFunctions("<FDT operationPhase=\"engineering\"/>");
  if (functions.empty()) {
    session.Err() << "vd4625: the DTM gave no function list\n";
    return exit_status::kError;
  }
  WriteDocument(functions, options.pretty, out);
  return exit_status::kOk;
}

int RunDocument(Session& session, const TransferOptions& options, std::ostream& out) {
  const std::string functions =
      session.Dtm().IDtm_GetFunctions("<FDT operationPhase=\"engineering\"/>");
  if (!OffersFunction(functions, options.function)) {
    session.Err() << "vd4625 document: the DTM has no function " << options.function
                  << " (see 'vd4625 functions')\n";
    return exit_status::kUsage;
  }
  runtime::FunctionCall call;
  call.SetFunctionID(options.function);
  if (options.argument) call.SetArgument(com::Variant(*options.argument));
  const std::string document =
      session.Dtm().IDtmDocumentation_GetDocumentation(call.BuildXML(session.Context()));
  if (document.empty()) {
    session.Err() << "vd4625: the DTM gave no documentation\n";
    return exit_status::kError;
  }
  WriteDocument(document, options.pretty, out);
  if (options.html) return WriteDocumentationHtml(session, *options.html);
  return exit_status::kOk;
}

int WriteDocumentationHtml(Session& session, const std::filesystem::path& file) {
  runtime::DTMContext& context = session.Context();
  runtime::DocumentationBuilder builder;
  const std::string document = builder.GetDocument(context, ctlPrint::kDocumentKind);
  if (document.empty()) {
    session.Err() << "vd4625: the DTM gave no documentation\n";
    return exit_status::kError;
  }
  const std::string part = session.Language() == 7 ? "007" : "009";
  std::string html;
  try {
    html = ctlPrint::Transform(document, context.XMLMan().DataFolder(), part);
  } catch (const com::ComError& error) {
    session.Err() << "vd4625 document: DTMDocStyle" << part << ".xsl: " << error.Description() << '\n';
    return exit_status::kError;
  }
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out << html << "\r\n";
  out.close();
  if (!out) {
    session.Err() << "vd4625 document: cannot write " << file.string() << '\n';
    return exit_status::kError;
  }
  return exit_status::kOk;
}

}  // namespace dtm::host
