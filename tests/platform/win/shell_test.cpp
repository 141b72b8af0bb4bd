#include "platform/win/shell.h"

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "tests/testing/temp_folder.h"

namespace dtm::win {
namespace {

TEST(RecordingShell, RecordsEachRequestAndAnswersTheScriptedCode) {
  RecordingShell shell;
  shell.answer = 33;
  EXPECT_EQ(shell.Execute("open", "/doc/manual.pdf", "-p", "/doc", 5), 33);
  shell.answer = 2;
  EXPECT_EQ(shell.Execute("print", "b.txt", "", "", 0), 2);
  ASSERT_EQ(shell.calls.size(), 2u);
  EXPECT_EQ(shell.calls[0].verb, "open");
  EXPECT_EQ(shell.calls[0].file, "/doc/manual.pdf");
  EXPECT_EQ(shell.calls[0].parameters, "-p");
  EXPECT_EQ(shell.calls[0].directory, "/doc");
  EXPECT_EQ(shell.calls[0].show_command, 5);
  EXPECT_EQ(shell.calls[1].verb, "print");
  EXPECT_EQ(shell.calls[1].show_command, 0);
}

TEST(RandomGuidSource, SetsVersionFourAndTheVariantAndNeverRepeats) {
  RandomGuidSource source;
  std::set<com::Guid> seen;
  for (int i = 0; i < 200; ++i) {
    com::Guid guid;
    ASSERT_EQ(source.CreateGuid(guid), 0);
    EXPECT_EQ(guid.data3 & 0xF000u, 0x4000u);
    EXPECT_EQ(guid.data4[0] & 0xC0u, 0x80u);
    seen.insert(guid);
  }
  EXPECT_EQ(seen.size(), 200u);
}

TEST(RandomGuidSource, TheOtherBitsVary) {
  // Bits stuck at zero or one would still pass the version check.
  RandomGuidSource source;
  std::uint32_t data1_or = 0, data1_and = ~0u;
  std::uint16_t data3_or = 0, data3_and = 0xFFFF;
  std::uint8_t last_or = 0, last_and = 0xFF;
  for (int i = 0; i < 200; ++i) {
    com::Guid guid;
    source.CreateGuid(guid);
    data1_or |= guid.data1;
    data1_and &= guid.data1;
    data3_or = static_cast<std::uint16_t>(data3_or | guid.data3);
    data3_and = static_cast<std::uint16_t>(data3_and & guid.data3);
    last_or = static_cast<std::uint8_t>(last_or | guid.data4[7]);
    last_and = static_cast<std::uint8_t>(last_and & guid.data4[7]);
  }
  EXPECT_EQ(data1_or, 0xFFFFFFFFu);
  EXPECT_EQ(data1_and, 0u);
  EXPECT_EQ(data3_or, 0x4FFFu);
  EXPECT_EQ(data3_and, 0x4000u);
  EXPECT_EQ(last_or, 0xFFu);
  EXPECT_EQ(last_and, 0u);
}

class SystemTempFilesInFolder : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(folder_.Path().empty()); }
  dtm::testing::TempFolder folder_;
  SystemTempFiles files_;
};

bool IsTempName(const std::string& name, const std::string& prefix) {
  if (name.size() != prefix.size() + 8 || !name.starts_with(prefix) || !name.ends_with(".TMP")) {
    return false;
  }
  for (std::size_t i = prefix.size(); i < prefix.size() + 4; ++i) {
    const char c = name[i];
    if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) return false;
  }
  return true;
}

TEST_F(SystemTempFilesInFolder, CreatesEmptyFilesWithUniqueNames) {
  std::set<std::string> names;
  for (int i = 0; i < 20; ++i) {
    const auto file = files_.TempFileName(folder_.Path(), "dtm");
    ASSERT_FALSE(file.empty());
    EXPECT_EQ(file.parent_path(), folder_.Path());
    EXPECT_TRUE(IsTempName(file.filename().string(), "dtm")) << file;
    EXPECT_TRUE(std::filesystem::is_regular_file(file));
    EXPECT_EQ(std::filesystem::file_size(file), 0u);
    names.insert(file.filename().string());
  }
  EXPECT_EQ(names.size(), 20u);
  EXPECT_EQ(folder_.Entries(), names);
}

TEST_F(SystemTempFilesInFolder, SkipsNamesThatExistAndLeavesThemAlone) {
  SystemTempFiles files(0x1234);
  dtm::testing::WriteText(folder_.Path() / "p1234.TMP", "kept");
  dtm::testing::WriteText(folder_.Path() / "p1235.TMP", "kept");
  EXPECT_EQ(files.TempFileName(folder_.Path(), "p"), folder_.Path() / "p1236.TMP");
  EXPECT_EQ(files.TempFileName(folder_.Path(), "p"), folder_.Path() / "p1237.TMP");
  EXPECT_EQ(dtm::testing::ReadText(folder_.Path() / "p1234.TMP"), "kept");
  EXPECT_EQ(dtm::testing::ReadText(folder_.Path() / "p1235.TMP"), "kept");
}

TEST_F(SystemTempFilesInFolder, WrapsFromFFFFToOneNeverZero) {
  SystemTempFiles files(0xFFFF);
  EXPECT_EQ(files.TempFileName(folder_.Path(), "p"), folder_.Path() / "pFFFF.TMP");
  EXPECT_EQ(files.TempFileName(folder_.Path(), "p"), folder_.Path() / "p0001.TMP");
  SystemTempFiles from_zero(0);
  EXPECT_EQ(from_zero.TempFileName(folder_.Path(), "q"), folder_.Path() / "q0001.TMP");
}

TEST_F(SystemTempFilesInFolder, FindsTheLastFreeNameAndThenGivesUp) {
  // Take all names but one (empty files are cheapest); the one left must be
  // found, and a taken one must not be truncated.
  dtm::testing::WriteText(folder_.Path() / "p0001.TMP", "kept");
  for (unsigned n = 2; n <= 0xFFFF; ++n) {
    if (n == 0x1234) continue;
    char name[16];
    std::snprintf(name, sizeof name, "p%04X.TMP", n);
    ::close(::open((folder_.Path() / name).c_str(), O_WRONLY | O_CREAT, 0600));
  }
  const auto file = files_.TempFileName(folder_.Path(), "p");
  EXPECT_EQ(file, folder_.Path() / "p1234.TMP");
  EXPECT_EQ(dtm::testing::ReadText(folder_.Path() / "p0001.TMP"), "kept");
  EXPECT_TRUE(files_.TempFileName(folder_.Path(), "p").empty());
}

TEST_F(SystemTempFilesInFolder, MissingFolderGivesNoName) {
  EXPECT_TRUE(files_.TempFileName(folder_.Path() / "missing", "dtm").empty());
}

TEST(SystemTempFiles, TempPathIsAnExistingFolder) {
  SystemTempFiles files;
  EXPECT_TRUE(std::filesystem::is_directory(files.TempPath()));
}

}  // namespace
}  // namespace dtm::win
