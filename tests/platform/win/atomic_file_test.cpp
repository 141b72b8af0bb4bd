// Replacing a file whole: links planted in the folder, targets that are no
// regular file, and failures that must leave the old file as it was.

#include "platform/win/atomic_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "platform/com/error.h"
#include "tests/testing/raised.h"
#include "tests/testing/temp_folder.h"

namespace dtm::win {
namespace {

using dtm::testing::RaisedBy;
using dtm::testing::ReadText;
using dtm::testing::TempFolder;
using dtm::testing::WriteText;

class AtomicReplace : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(folder_.Path().empty()); }
  std::filesystem::path In(const std::string& name) const { return folder_.Path() / name; }
  TempFolder folder_;
  TempFolder elsewhere_;
  std::filesystem::path victim_ = elsewhere_.Path() / "victim";
};

// Names a save into "set.xml" might once have used, or may be guessed to.
const char* const kPlantedNames[] = {"set.xml.tmp", "set.xml.saving", ".set.xml.tmp",
                                     "set.xml~", ".set.xml.swp"};

TEST_F(AtomicReplace, LinksPlantedAtTemporaryNamesAreNeverFollowed) {
  WriteText(victim_, "victim");
  for (const char* name : kPlantedNames) {
    ASSERT_EQ(::symlink(victim_.c_str(), In(name).c_str()), 0) << name;
  }
  ReplaceFileAtomically(In("set.xml"), "new");
  EXPECT_EQ(ReadText(In("set.xml")), "new");
  EXPECT_EQ(ReadText(victim_), "victim");
  std::set<std::string> expected(std::begin(kPlantedNames), std::end(kPlantedNames));
  expected.insert("set.xml");
  EXPECT_EQ(folder_.Entries(), expected);
  for (const char* name : kPlantedNames) {
    EXPECT_TRUE(std::filesystem::is_symlink(In(name))) << name;
  }
}

// A save killed before its rename leaves its temporary file; the next save
// to the same target removes those, and nothing else.
TEST_F(AtomicReplace, RemovesTheLeftoversOfKilledSavesToItsTarget) {
  const char* const kLeftovers[] = {".set.xml.0123456789az.tmp", ".set.xml.zzzzzzzzzzzz.tmp"};
  const char* const kKept[] = {
      ".other.xml.0123456789az.tmp",  // a save to another target
      ".set.xml.0123456789AZ.tmp",    // capitals: not of our naming
      ".set.xml.0123456789a.tmp",     // one character short
      ".set.xml.0123456789abc.tmp",   // one character long
      ".set.xml.0123456789az.tmp~",   "set.xml.0123456789az.tmp", ".set.xml.0123456789az.bak"};
  for (const char* name : kLeftovers) WriteText(In(name), "half a save");
  for (const char* name : kKept) WriteText(In(name), "someone's");
  // At our naming but no file a save writes: a link and a folder.
  WriteText(victim_, "victim");
  ASSERT_EQ(::symlink(victim_.c_str(), In(".set.xml.link00000000.tmp").c_str()), 0);
  ASSERT_TRUE(std::filesystem::create_directory(In(".set.xml.folder000000.tmp")));

  ReplaceFileAtomically(In("set.xml"), "new");

  std::set<std::string> expected(std::begin(kKept), std::end(kKept));
  expected.insert({"set.xml", ".set.xml.link00000000.tmp", ".set.xml.folder000000.tmp"});
  EXPECT_EQ(folder_.Entries(), expected);
  EXPECT_EQ(ReadText(In("set.xml")), "new");
  EXPECT_EQ(ReadText(victim_), "victim");
}

// The temporary file of a save still writing is locked: no leftover.
TEST_F(AtomicReplace, KeepsTheTemporaryFileOfASaveStillWriting) {
  const std::filesystem::path writing = In(".set.xml.0123456789az.tmp");
  WriteText(writing, "being written");
  const int fd = ::open(writing.c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::flock(fd, LOCK_EX), 0);
  ReplaceFileAtomically(In("set.xml"), "new");
  ::close(fd);
  EXPECT_EQ(folder_.Entries(), (std::set<std::string>{".set.xml.0123456789az.tmp", "set.xml"}));
  EXPECT_EQ(ReadText(writing), "being written");
}

TEST_F(AtomicReplace, ReplacesTheFileInsteadOfTruncatingIt) {
  WriteText(In("set.xml"), "old");
  // A second name for the old file keeps the old contents only when the
  // save writes a new file and renames it over the old one.
  ASSERT_EQ(::link(In("set.xml").c_str(), In("snapshot").c_str()), 0);
  ReplaceFileAtomically(In("set.xml"), "new");
  EXPECT_EQ(ReadText(In("set.xml")), "new");
  EXPECT_EQ(ReadText(In("snapshot")), "old");
  EXPECT_EQ(folder_.Entries(), (std::set<std::string>{"set.xml", "snapshot"}));
}

TEST_F(AtomicReplace, TargetThatIsALinkReplacesTheFileItNames) {
  WriteText(victim_, "old");
  ASSERT_EQ(::symlink(victim_.c_str(), In("set.xml").c_str()), 0);
  ReplaceFileAtomically(In("set.xml"), "new");
  EXPECT_TRUE(std::filesystem::is_symlink(In("set.xml")));
  EXPECT_EQ(ReadText(victim_), "new");
  EXPECT_EQ(folder_.Entries(), (std::set<std::string>{"set.xml"}));
  EXPECT_EQ(elsewhere_.Entries(), (std::set<std::string>{"victim"}));
}

TEST_F(AtomicReplace, RelativeDanglingLinkCreatesTheFileBesideTheLink) {
  ASSERT_EQ(::symlink("real.xml", In("set.xml").c_str()), 0);
  ReplaceFileAtomically(In("set.xml"), "new");
  EXPECT_EQ(ReadText(In("real.xml")), "new");
  EXPECT_TRUE(std::filesystem::is_symlink(In("set.xml")));
}

TEST_F(AtomicReplace, KeepsThePermissionBitsOfTheReplacedFile) {
  WriteText(In("set.xml"), "old");
  ASSERT_EQ(::chmod(In("set.xml").c_str(), 0640), 0);
  ReplaceFileAtomically(In("set.xml"), "new");
  struct stat info {};
  ASSERT_EQ(::stat(In("set.xml").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
}

// Targets that are refused, with the sentence the user reads.
struct RefusedCase {
  const char* name;
  void (*plant)(const std::filesystem::path& target);
  const char* says;  // after the target's path
};

const RefusedCase kRefused[] = {
    {"Folder", [](const std::filesystem::path& t) { std::filesystem::create_directory(t); },
     ": not a regular file"},
    {"Pipe", [](const std::filesystem::path& t) { ASSERT_EQ(::mkfifo(t.c_str(), 0600), 0); },
     ": not a regular file"},
    {"LinkToAFolder",
     [](const std::filesystem::path& t) {
       std::filesystem::create_directory(t.parent_path() / "inner");
       ASSERT_EQ(::symlink("inner", t.c_str()), 0);
     },
     ": not a regular file"},
    {"LinkLoop", [](const std::filesystem::path& t) { ASSERT_EQ(::symlink(t.c_str(), t.c_str()), 0); },
     ": Too many levels of symbolic links"},
};

class AtomicReplaceRefused : public AtomicReplace,
                             public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(AtomicReplaceRefused, RaisesAndLeavesNoTemporaryFile) {
  const std::filesystem::path target = In("set.xml");
  GetParam().plant(target);
  const std::set<std::string> before = folder_.Entries();
  const com::ComError error = RaisedBy([&] { ReplaceFileAtomically(target, "new"); });
  EXPECT_EQ(error.Number(), 75);
  EXPECT_TRUE(error.Description().ends_with(GetParam().says)) << error.Description();
  EXPECT_NE(error.Description().find(target.string()), std::string::npos) << error.Description();
  EXPECT_EQ(folder_.Entries(), before);
}

INSTANTIATE_TEST_SUITE_P(Table, AtomicReplaceRefused, ::testing::ValuesIn(kRefused),
                         [](const auto& i) { return std::string(i.param.name); });

TEST_F(AtomicReplace, MissingFolderIsOneSentence) {
  const std::filesystem::path target = In("missing") / "x.xml";
  const com::ComError error = RaisedBy([&] { ReplaceFileAtomically(target, "new"); });
  EXPECT_EQ(error.Description(), "cannot write " + target.string() + ": No such file or directory");
}

TEST_F(AtomicReplace, ReadOnlyFileIsNotReplaced) {
  if (::geteuid() == 0) GTEST_SKIP() << "root may write any file";
  WriteText(In("set.xml"), "old");
  ASSERT_EQ(::chmod(In("set.xml").c_str(), 0444), 0);
  const com::ComError error = RaisedBy([&] { ReplaceFileAtomically(In("set.xml"), "new"); });
  EXPECT_EQ(error.Description(), "cannot write " + In("set.xml").string() + ": Permission denied");
  EXPECT_EQ(ReadText(In("set.xml")), "old");
  EXPECT_EQ(folder_.Entries(), (std::set<std::string>{"set.xml"}));
}

}  // namespace
}  // namespace dtm::win
