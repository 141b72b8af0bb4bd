#pragma once
// The cold-start page: shows the operating state and the travel integral,
// and offers four device commands as command fields (reset of the travel
// integral, of a control-loop fault, of the "configuration changed" flag,
// and the cold start). The fields run their commands themselves; the page
// reads the two values when it opens and again after each use of a field,
// and warns before the cold start.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "component/ui/framework/page_base.h"

namespace dtm {

class ctlReset : public PageBase {
 public:
  explicit ctlReset(const runtime::Services& services);

  void IPrivateProcess_OnProcessFinished(const std::string& process_id,
                                         const std::optional<com::Variant>& unused) override;

 protected:
  void FirstAction() override { ReadStatusValues(); }
  void InitParamSite() override;
  // The page sets no tool tips; its frame's caption has no key.
  bool SetsButtonToolTips() const override { return false; }
  void SetLockState(bool enabled) override;
  std::vector<std::shared_ptr<controls::ctlParameter>> MarkedFields() const override;
  std::int32_t GoodResultFlags() const override { return 3; }

 private:
  void ReadStatusValues();
  void ReadElement(const std::string& path, std::int16_t flag);
  void FieldUsed(std::int32_t index);
  void FieldStateChanged(bool running);
  // Starts a read of `path` with the write flag `flag`: the error code of
  // the start, 0 when it runs; nullopt when the process is busy or the
  // page has no DTM (nothing is started then).
  std::optional<std::int32_t> StartRead(const std::string& path, std::int16_t flag);

  std::shared_ptr<forms::Frame> frame_;
  std::shared_ptr<controls::ctlParameter> fields_[6];
  bool clicks_connected_ = false;
};

}  // namespace dtm
