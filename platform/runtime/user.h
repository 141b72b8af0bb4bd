#pragma once
// The frame's current user.

#include <cstdint>
#include <string>

namespace dtm::runtime {

class DTMContext;

class User {
 public:
  // 0 observer, 1 operator, 2 maintenance, 3 planning engineer,
  // 4 OEM service, 5 administrator. Before IDtm_Config: 2.
  std::int32_t UserLevel() const { return level_; }
  void SetUserLevel(std::int32_t level) { level_ = level; }
  const std::string& UserName() const { return name_; }
  // Takes the frame's user information document; false when it cannot be
  // parsed or names no known user level (nothing changes then).
  bool Config(const std::string& user_info, DTMContext& context);

 private:
  std::int32_t level_ = 2;
  std::string name_;
};

}  // namespace dtm::runtime
