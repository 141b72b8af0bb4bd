#include "host/cli/session.h"

#include <cstdio>
#include <cstdlib>

#include "component/dtm/identity.h"
#include "platform/com/class_registry.h"
#include "platform/com/error.h"
#include "host/device/profile.h"
#include "platform/runtime/documents.h"

namespace dtm::host {

std::filesystem::path InstallFolder() {
  if (const char* dir = std::getenv("VD4625_INSTALL"); dir && *dir) return dir;
  return VD4625_DEFAULT_INSTALL_DIR;
}

std::filesystem::path RegistryFile() {
  if (const char* file = std::getenv("VD4625_REGISTRY"); file && *file) return file;
  std::filesystem::path base;
  if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config) {
    base = config;
  } else if (const char* home = std::getenv("HOME"); home && *home) {
    base = std::filesystem::path(home) / ".config";
  } else {
    base = std::filesystem::temp_directory_path();
  }
  return base / "vd4625" / "registry.reg";
}

namespace {

// The registry file's folder is made on first use.
std::filesystem::path WithFolder(std::filesystem::path file) {
  std::filesystem::create_directories(file.parent_path());
  return file;
}

}  // namespace

Session::Session(std::int32_t language, ConsoleMessages::Answers answers)
    : language_(language),
      messages_(stderr, answers),
      registry_(WithFolder(RegistryFile())),
      services_{loop_, messages_, registry_, shell_, guids_, temp_files_, InstallFolder()},
      library_(services_),
      container_(std::make_shared<frame::FrameContainerStandIn>()),
      channel_(std::make_shared<frame::ChannelStandIn>(loop_)) {}

Session::~Session() {
  dtm_.reset();
  channel_->SetTransactionHandler({});
  com::ClassRegistry::Instance().RemoveServer(kLibraryName);
}

bool Session::Start(com::MemoryPropertyBag* stored) {
  if (library_.DllRegisterServer() != com::kSOk) {
    std::fprintf(stderr, "vd4625: the component could not register itself\n");
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
      std::fprintf(stderr, "vd4625: IDtm_InitNew refused the device type\n");
      return false;
    }
  }
  if (!dtm_->IDtm_Environment("VD4625", container_)) {
    std::fprintf(stderr, "vd4625: IDtm_Environment refused\n");
    return false;
  }
  if (!dtm_->IDtm_SetLanguage(language_)) {
    std::fprintf(stderr, "vd4625: language %d was not taken\n", language_);
  }
  loop_.RunUntilIdle();
  return true;
}

bool Session::UseDevice(const std::optional<std::filesystem::path>& profile,
                        device::TransactionObserver observer) {
  const std::filesystem::path file =
      profile.value_or(InstallFolder() / "profiles" / "default.xml");
  device_ = std::make_unique<device::SimDevice>(clock_, device::LoadProfile(file));
  device::AttachDevice(*channel_, *device_, std::move(observer));
  if (!dtm_->IDtm_SetCommunication(channel_)) {
    std::fprintf(stderr, "vd4625: the DTM refused the communication\n");
    return false;
  }
  return true;
}

bool Session::Release() {
  if (!dtm_) return true;
  const bool released = dtm_->IDtm_PrepareToReleaseCommunication();
  loop_.RunUntil([&] { return !Context().CommMan().ConnectionOpen(); });
  loop_.RunUntilIdle();
  const bool in_order =
      released && dtm_->IDtm_ReleaseCommunication() && dtm_->IDtm_PrepareToRelease();
  loop_.RunUntilIdle();
  // What the DTM told its frame, in order.
  for (const std::string& line : container_->LogLines()) {
    std::fprintf(stderr, "[frame] %s\n", line.c_str());
  }
  if (!in_order) {
    std::fprintf(stderr, "vd4625: the DTM did not release in order\n");
    return false;
  }
  return true;
}

}  // namespace dtm::host
