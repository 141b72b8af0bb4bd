#include "host/cli/session.h"

#include <cstdlib>

#include "component/common/identity.h"
#include "component/common/language_helpers.h"
#include "host/device/profile.h"
#include "host/frame/registry_location.h"
#include "platform/com/error.h"
#include "platform/runtime/documents.h"
#include "platform/runtime/services.h"
#include "platform/win/class_registry.h"

namespace dtm::host {

std::filesystem::path InstallFolder() {
  std::filesystem::path folder = VD4625_DEFAULT_INSTALL_DIR;
  if (const char* dir = std::getenv("VD4625_INSTALL"); dir && *dir) folder = dir;
  std::error_code error;
  if (!std::filesystem::is_directory(folder / "XMLData", error)) {
    throw com::ComError(com::vb::kPathNotFound,
                        "the installation folder " + folder.string() +
                            " has no XMLData/ folder (check VD4625_INSTALL)",
                        "vd4625");
  }
  return folder;
}

const com::Locale& LocaleOfLanguage(std::int32_t language) {
  return language == 7 ? com::Locale::German() : com::Locale::English();
}

std::int32_t LocaleIdOfLanguage(std::int32_t language) { return language == 7 ? 1031 : 1033; }

Session::Session(const SessionSetup& setup)
    : language_(setup.language),
      err_(*setup.err),
      loop_(*setup.clock),
      messages_(*setup.err, setup.answers),
      sink_(setup.messages ? *setup.messages : static_cast<runtime::MessageSink&>(messages_)),
      install_(InstallFolder()),
      registry_(frame::UsableRegistryFile(frame::RegistryPlaceFromEnvironment())),
      services_{loop_, sink_, registry_, shell_, guids_, temp_files_, install_},
      library_(services_),
      container_(std::make_shared<frame::FrameContainerStandIn>()),
      channel_(std::make_shared<frame::ChannelStandIn>(loop_)),
      on_device_(setup.on_device) {
  services_.locale->Set(LocaleOfLanguage(language_));
}

bool Session::SetLanguage(std::int32_t language) {
  if (!dtm_ || !dtm_->IDtm_SetLanguage(language)) return false;
  language_ = language;
  services_.locale->Set(LocaleOfLanguage(language));
  return true;
}

Session::~Session() {
  messages_.Flush();
  dtm_.reset();
  channel_->SetTransactionHandler({});
  com::ClassRegistry::Instance().RemoveServer(kLibraryName);
}

bool Session::Start(com::MemoryPropertyBag* stored) {
  if (library_.DllRegisterServer() != com::kSOk) {
    err_ << "vd4625: the component could not register itself\n";
    return false;
  }
  com::ClassRegistry& classes = com::ClassRegistry::Instance();
  library_.AddTo(classes);
  dtm_ = std::dynamic_pointer_cast<DTMMain>(
      classes.Create(Library::ProgIdOf("DTMMain"), registry_));
  if (!dtm_) throw com::ComError(com::kENoInterface, "VD4625FDT.DTMMain is no DTM", "vd4625");

  if (stored) {
    dtm_->Class_ReadProperties(*stored);
  } else {
    runtime::DeviceType device_type;
    device_type.SetIdValue(1, std::to_string(kSupportedManufacturerCode));
    device_type.SetIdValue(2, std::to_string(kSupportedDeviceTypeCode));
    device_type.SetIdValue(3, std::to_string(kSupportedDeviceRevision));
    if (!dtm_->IDtm_InitNew(device_type.BuildXML())) {
      err_ << "vd4625: IDtm_InitNew refused the device type\n";
      return false;
    }
  }
  if (!dtm_->IDtm_Environment("VD4625", container_)) {
    err_ << "vd4625: IDtm_Environment refused\n";
    return false;
  }
  if (!dtm_->IDtm_SetLanguage(language_)) {
    err_ << "vd4625: language " << language_ << " was not taken\n";
  }
  loop_.RunUntilIdle();
  return true;
}

bool Session::UseDevice(const std::optional<std::filesystem::path>& profile,
                        device::TransactionObserver observer) {
  const std::filesystem::path file = profile.value_or(install_ / "profiles" / "default.xml");
  // Going on the line again reaches the same device, which still holds what
  // was written to it; only another profile is another device.
  if (!device_ || device_file_ != file) {
    device_ = std::make_unique<device::SimDevice>(loop_.GetClock(), device::LoadProfile(file));
    device_file_ = file;
  }
  device::AttachDevice(*channel_, *device_, std::move(observer));
  if (on_device_) on_device_(*device_, *channel_);
  if (!dtm_->IDtm_SetCommunication(channel_)) {
    err_ << "vd4625: the DTM refused the communication\n";
    return false;
  }
  return true;
}

bool Session::DeviceTypeDeclined() const {
  if (!dtm_) return false;
  // The question's text with the codes the connection reported in place
  // of %1 and %2: its fixed parts, in order.
  const std::string question =
      LanguageHelpers::GetLangText(dtm_->Context(), "devicetype_not_supported");
  std::vector<std::string> parts;
  for (std::size_t start = 0;;) {
    const std::size_t mark = question.find('%', start);
    parts.push_back(question.substr(start, mark - start));
    if (mark == std::string::npos) break;
    start = mark + 2;
  }
  auto asks = [&](const std::string& text) {
    if (parts.size() != 3) return text == question;
    return text.starts_with(parts[0]) && text.ends_with(parts[2]) &&
           text.find(parts[1], parts[0].size()) != std::string::npos;
  };
  for (const ConsoleMessages::Box& box : messages_.Boxes()) {
    if (box.answer == runtime::kIdNo && asks(box.text)) return true;
  }
  return false;
}

bool Session::Release() {
  if (!dtm_) return true;
  const bool released = dtm_->IDtm_PrepareToReleaseCommunication();
  loop_.RunUntil([&] { return !Context().CommMan().ConnectionOpen(); });
  loop_.RunUntilIdle();
  const bool in_order =
      released && dtm_->IDtm_ReleaseCommunication() && dtm_->IDtm_PrepareToRelease();
  loop_.RunUntilIdle();
  messages_.Flush();
  // What the DTM told its frame, in order.
  for (const std::string& line : container_->LogLines()) err_ << "[frame] " << line << '\n';
  if (!in_order) {
    err_ << "vd4625: the DTM did not release in order\n";
    return false;
  }
  return true;
}

}  // namespace dtm::host
