#include "host/cli/transfer_command.h"

#include <cstdio>
#include <iostream>
#include <memory>

#include "component/datamodel/data_element.h"
#include "host/cli/read_command.h"
#include "host/cli/session.h"
#include "host/frame/file_storage.h"
#include "platform/com/error.h"
#include "platform/com/property_bag.h"
#include "platform/runtime/documents.h"

namespace dtm::host {
namespace {

std::string ValueText(const com::Variant& value) {
  if (value.IsEmpty()) return "";
  try {
    return value.ToString();
  } catch (const com::ComError&) {
    return "?";
  }
}

std::string StatusText(const clsDataElement& element) {
  const std::int32_t flags = element.StatusFlags();
  if ((flags & flags::kCommErrorMask) != 0) return "no answer";
  const std::int32_t result_class = flags & flags::kResponseClassMask;
  if (result_class == 0) return element.Validity() ? "ok" : "ok (not used)";
  char text[16];
  std::snprintf(text, sizeof text, "0x%06X", static_cast<unsigned>(result_class));
  return element.CmdErr.empty() ? std::string(text) : std::string(text) + " " + element.CmdErr;
}

// The trace and the progress of a transfer, both fed by the device's side.
device::TransactionObserver Observer(const TransferOptions& options, std::ostream& out,
                                     std::size_t total, std::shared_ptr<std::size_t> done) {
  return [&options, &out, total, done](const runtime::HartRequest& request,
                                       const runtime::HartResponse& response) {
    ++*done;
    if (options.trace) out << TraceLine(request) << '\n' << TraceLine(response) << '\n';
    if (options.progress) {
      std::fprintf(stderr, "\r%zu/%zu transactions", *done, total);
      std::fflush(stderr);
    }
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
  if (options.progress) std::fprintf(stderr, "\n");
  for (const auto& entry : session.Container().Log()) {
    if (entry.name == notice) return entry.arguments.size() > 1 && entry.arguments[1] == "true";
  }
  std::fprintf(stderr, "vd4625: the transfer never ended\n");
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
  if (!session.UseDevice(options.device_profile, Observer(options, out, total, done))) return 1;

  const std::string id = download ? "download-1" : "upload-1";
  const bool started = download ? session.Dtm().IDtmOnlineParameter_DownloadRequest(id, "")
                                : session.Dtm().IDtmOnlineParameter_UploadRequest(id, "");
  if (!started) return 1;
  const bool ok = WaitForEnd(session, download ? "DownloadFinished" : "UploadFinished", options);
  WriteDataSet(session, out);

  if (options.save) {
    com::MemoryPropertyBag bag;
    session.Dtm().Class_WriteProperties(bag);
    frame::FileStorage(*options.save).Save(bag);
    std::fprintf(stderr, "vd4625: data set saved to %s\n", options.save->c_str());
  }
  return ok ? 0 : 1;
}

}  // namespace

void WriteDataSet(Session& session, std::ostream& out) {
  runtime::DTMContext& context = session.Context();
  for (const DataElementPtr& item : context.Parameters().Elements()) {
    const auto element = std::dynamic_pointer_cast<clsDataElement>(item);
    if (!element || element->Name.ends_with("/")) continue;
    out << element->Name << '\t' << element->Prompt << '\t' << ValueText(element->TransientValue)
        << '\t' << element->UnitString(context) << '\t' << StatusText(*element) << '\n';
  }
}

int RunUpload(Session& session, const TransferOptions& options, std::ostream& out) {
  return RunTransfer(session, options, out, false);
}

int RunDownload(Session& session, const TransferOptions& options, std::ostream& out) {
  return RunTransfer(session, options, out, true);
}

int RunFunctions(Session& session, std::ostream& out) {
  const std::string functions =
      session.Dtm().IDtm_GetFunctions("<FDT operationPhase=\"engineering\"/>");
  if (functions.empty()) {
    std::fprintf(stderr, "vd4625: the DTM gave no function list\n");
    return 1;
  }
  out << functions << '\n';
  return 0;
}

int RunDocument(Session& session, const TransferOptions& options, std::ostream& out) {
  runtime::FunctionCall call;
  call.SetFunctionID(options.function);
  if (options.argument) call.SetArgument(com::Variant(*options.argument));
  const std::string document =
      session.Dtm().IDtmDocumentation_GetDocumentation(call.BuildXML(session.Context()));
  if (document.empty()) {
    std::fprintf(stderr, "vd4625: the DTM gave no documentation\n");
    return 1;
  }
  out << document << '\n';
  return 0;
}

}  // namespace dtm::host
