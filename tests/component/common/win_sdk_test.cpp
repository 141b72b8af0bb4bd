#include "component/common/win_sdk.h"

#include <gtest/gtest.h>

#include <string>

namespace dtm::WinSDK {
namespace {

struct OpenCase {
  const char* name;
  std::intptr_t answer;
  bool opened;
};
const OpenCase kOpenCases[] = {
    {"FirstSuccessCode", 33, true},
    {"LastErrorCode", 32, false},
    {"FileNotFound", 2, false},
    {"OutOfMemory", 0, false},
    {"Started", 42, true},
};

class ShellOpenTable : public ::testing::TestWithParam<OpenCase> {};

TEST_P(ShellOpenTable, SucceedsAboveThirtyTwo) {
  win::RecordingShell shell;
  shell.answer = GetParam().answer;
  EXPECT_EQ(ShellOpen(shell, "/doc/manual.pdf"), GetParam().opened);
}

INSTANTIATE_TEST_SUITE_P(Table, ShellOpenTable, ::testing::ValuesIn(kOpenCases),
                         [](const auto& i) { return std::string(i.param.name); });

TEST(ShellOpen, AsksTheShellToOpenTheDocumentShown) {
  win::RecordingShell shell;
  ShellOpen(shell, "/doc/manual.pdf");
  ASSERT_EQ(shell.calls.size(), 1u);
  EXPECT_EQ(shell.calls[0].verb, "open");
  EXPECT_EQ(shell.calls[0].file, "/doc/manual.pdf");
  EXPECT_EQ(shell.calls[0].parameters, "");
  EXPECT_EQ(shell.calls[0].directory, "");
  EXPECT_EQ(shell.calls[0].show_command, 5);
}

}  // namespace
}  // namespace dtm::WinSDK
