#pragma once
// Errors as automation reports them: a number, the object that raised it, a
// description, and a help file with a context id. Every failed call in the
// system travels as a ComError until a boundary says it is caught.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace dtm::com {

using HResult = std::int32_t;

constexpr HResult kSOk = 0;
constexpr HResult kSFalse = 1;
constexpr HResult kEFail = static_cast<HResult>(0x80004005u);
constexpr HResult kENoInterface = static_cast<HResult>(0x80004002u);
constexpr HResult kEInvalidArg = static_cast<HResult>(0x80070057u);
constexpr HResult kClassENotAvailable = static_cast<HResult>(0x80040111u);
constexpr HResult kRegDbEClassNotReg = static_cast<HResult>(0x80040154u);
constexpr HResult kCoEClassString = static_cast<HResult>(0x800401F3u);
constexpr HResult kDispEMemberNotFound = static_cast<HResult>(0x80020003u);

// Run-time error numbers of the automation language; callers test for them.
namespace vb {
constexpr std::int32_t kInvalidProcedureCall = 5;
constexpr std::int32_t kOverflow = 6;
constexpr std::int32_t kSubscriptOutOfRange = 9;
constexpr std::int32_t kDivisionByZero = 11;
constexpr std::int32_t kTypeMismatch = 13;
constexpr std::int32_t kFileNotFound = 53;
constexpr std::int32_t kPathFileAccessError = 75;
constexpr std::int32_t kPathNotFound = 76;
constexpr std::int32_t kObjectVariableNotSet = 91;
constexpr std::int32_t kInvalidUseOfNull = 94;
constexpr std::int32_t kInvalidFileFormat = 321;
constexpr std::int32_t kObjectNotAnArray = 343;
constexpr std::int32_t kInvalidPropertyValue = 380;
constexpr std::int32_t kObjectRequired = 424;
constexpr std::int32_t kMemberNotSupported = 438;
constexpr std::int32_t kArgumentNotOptional = 449;
}  // namespace vb

class ComError : public std::runtime_error {
 public:
  ComError(std::int32_t number, std::string description, std::string source = {},
           std::string help_file = {}, std::int32_t help_context = 0);

  std::int32_t Number() const noexcept { return number_; }
  const std::string& Source() const noexcept { return source_; }
  const std::string& Description() const noexcept { return description_; }
  const std::string& HelpFile() const noexcept { return help_file_; }
  std::int32_t HelpContext() const noexcept { return help_context_; }

 private:
  std::int32_t number_;
  std::string source_;
  std::string description_;
  std::string help_file_;
  std::int32_t help_context_;
};

// The standard run-time errors with their usual texts.
[[noreturn]] void ThrowOverflow(std::string source = {});
[[noreturn]] void ThrowTypeMismatch(std::string source = {});
[[noreturn]] void ThrowInvalidProcedureCall(std::string source = {});
[[noreturn]] void ThrowMemberNotSupported(std::string_view member, std::string source = {});
[[noreturn]] void ThrowObjectVariableNotSet(std::string source = {});
[[noreturn]] void ThrowInvalidUseOfNull(std::string source = {});

}  // namespace dtm::com
