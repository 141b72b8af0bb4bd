// The registry's backing file: loading, saving, damage and atomic replacement.

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/com/error.h"
#include "platform/win/atomic_file.h"
#include "platform/win/registry.h"
#include "tests/platform/win/registry_reading.h"
#include "tests/testing/temp_folder.h"

namespace dtm::win {
namespace {

using test::AllValues;
using test::KeyExists;
using dtm::testing::ReadText;
using dtm::testing::TempFolder;
using dtm::testing::WriteText;

constexpr const char* kSettings = "Software\\VELDAR AG\\DTM4625_FDT12";

class RegistryFile : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(folder_.Path().empty()); }
  TempFolder folder_;
  std::filesystem::path file_ = folder_.Path() / "registry.reg";
};

TEST_F(RegistryFile, MissingFileIsAnEmptyRegistryCreatedByTheFirstWrite) {
  MemoryRegistry registry(file_);
  EXPECT_FALSE(KeyExists(registry, kHkeyLocalMachine, "Software"));
  EXPECT_FALSE(std::filesystem::exists(file_));
  ASSERT_EQ(registry.SetValue(kHkeyLocalMachine, kSettings, StringValue("BusyWait", "20")),
            kErrorSuccess);
  ASSERT_EQ(registry.SetValue(kHkeyLocalMachine, kSettings, DwordValue("Debug", 1)),
            kErrorSuccess);
  EXPECT_EQ(ReadText(file_),
            "; Registry values, one section per key. Edit while no program uses it.\n"
            "\n"
            "[HKEY_LOCAL_MACHINE\\Software\\VELDAR AG\\DTM4625_FDT12]\n"
            "\"BusyWait\"=\"20\"\n"
            "\"Debug\"=dword:00000001\n");
}

TEST_F(RegistryFile, LoadsEveryKindOfLine) {
  WriteText(file_,
            "; bench set-up\n"
            "[HKEY_LOCAL_MACHINE\\Software\\VELDAR AG\\DTM4625_FDT12]\n"
            "\"BusyWait\"=\"20\"\n"
            "\"Debug\"=dword:00000001   ; on\r\n"
            "@=\"default\"\n"
            "\n"
            "  [hkey_current_user\\Other]\n"
            "\"Path\" = \"C:\\\\Temp\\\\\\\"q\\\"\"\n"
            "\"Bin\"=hex:0a,FF\n"
            "\"None\"=hex:\n"
            "\"Multi\"=hex(7):41,00,00\n"
            "\"Short\"=DWORD:a\n"
            "[HKEY_CLASSES_ROOT\\Empty]\n");
  MemoryRegistry registry(file_);
  EXPECT_EQ(AllValues(registry, kHkeyLocalMachine, kSettings),
            (std::vector<RegValue>{{"BusyWait", kRegSz, {'2', '0', 0}},
                                   {"Debug", kRegDword, {1, 0, 0, 0}},
                                   {"", kRegSz, {'d', 'e', 'f', 'a', 'u', 'l', 't', 0}}}));
  EXPECT_EQ(AllValues(registry, kHkeyCurrentUser, "Other"),
            (std::vector<RegValue>{
                {"Path", kRegSz, {'C', ':', '\\', 'T', 'e', 'm', 'p', '\\', '"', 'q', '"', 0}},
                {"Bin", kRegBinary, {0x0A, 0xFF}},
                {"None", kRegBinary, {}},
                {"Multi", 7, {0x41, 0x00, 0x00}},
                {"Short", kRegDword, {0x0A, 0, 0, 0}}}));
  EXPECT_TRUE(KeyExists(registry, kHkeyClassesRoot, "Empty"));
}

TEST_F(RegistryFile, SaveAndLoadGiveBackKeysValuesAndOrder) {
  const std::vector<RegValue> settings = {
      {"BusyWait", kRegSz, {'2', '0', 0}},
      {"", kRegSz, {'d', 'e', 'f', 0}},
      {"Say \"hi\"\\", kRegSz, {'a', '\\', '"', 'b', 0}},
      {"Lines", kRegSz, {'a', '\n', 'b', '\r', 0}},
      {"NoNul", kRegSz, {'a', 'b'}},
      {"InnerNul", kRegSz, {'a', 0, 'b', 0}},
      {"Nothing", kRegSz, {}},
      {"Debug", kRegDword, {0xEF, 0xBE, 0xAD, 0xDE}},
      {"ShortDword", kRegDword, {1, 2}},
      {"Raw", kRegBinary, {0x00, 0xFF, 0x10}},
      {"EmptyRaw", kRegBinary, {}},
      {"Multi", 7, {'a', 0, 0}},
      {"Semi;colon", kRegSz, {';', 0}},
  };
  WriteText(file_, "[HKEY_CURRENT_USER\\Software\\Empty Leaf]\n");
  {
    MemoryRegistry registry(file_);
    for (const auto& value : settings) {
      ASSERT_EQ(registry.SetValue(kHkeyLocalMachine, kSettings, value), kErrorSuccess)
          << value.name;
    }
    ASSERT_EQ(registry.SetValue(kHkeyCurrentUser, "", StringValue("AtTheRoot", "r")),
              kErrorSuccess);
  }
  MemoryRegistry reloaded(file_);
  EXPECT_EQ(AllValues(reloaded, kHkeyLocalMachine, kSettings), settings);
  EXPECT_EQ(AllValues(reloaded, kHkeyCurrentUser, ""),
            (std::vector<RegValue>{{"AtTheRoot", kRegSz, {'r', 0}}}));
  EXPECT_TRUE(KeyExists(reloaded, kHkeyCurrentUser, "Software\\Empty Leaf"));
}

TEST_F(RegistryFile, KeepsTheSpellingOfTheFirstWrite) {
  {
    MemoryRegistry registry(file_);
    registry.SetValue(kHkeyLocalMachine, "Software\\Vd", DwordValue("A", 1));
    registry.SetValue(kHkeyLocalMachine, "SOFTWARE\\vd\\Sub", DwordValue("B", 2));
  }
  EXPECT_NE(ReadText(file_).find("[HKEY_LOCAL_MACHINE\\Software\\Vd\\Sub]\n"), std::string::npos)
      << ReadText(file_);
}

TEST_F(RegistryFile, DeletedKeysStayDeletedAfterReload) {
  {
    MemoryRegistry registry(file_);
    registry.SetValue(kHkeyClassesRoot, "Vd.Device\\CLSID", StringValue("", "{1}"));
    registry.SetValue(kHkeyClassesRoot, "Vd.Other", StringValue("", "keep"));
    ASSERT_EQ(registry.DeleteKey(kHkeyClassesRoot, "Vd.Device"), kErrorSuccess);
  }
  MemoryRegistry reloaded(file_);
  EXPECT_FALSE(KeyExists(reloaded, kHkeyClassesRoot, "Vd.Device"));
  EXPECT_TRUE(KeyExists(reloaded, kHkeyClassesRoot, "Vd.Other"));
}

// A file whose third line is damaged (or whose first line is a value
// outside any section).
struct DamageCase {
  const char* name;
  const char* text;
  const char* line;
};
const DamageCase kDamageCases[] = {
    {"DwordTooLong", "\"Bad\"=dword:123456789", "line 3"},
    {"DwordWithoutDigits", "\"Bad\"=dword:", "line 3"},
    {"DwordNotHex", "\"Bad\"=dword:0000000g", "line 3"},
    {"UnclosedText", "\"Bad\"=\"open", "line 3"},
    {"UnknownEscape", "\"Bad\"=\"a\\q\"", "line 3"},
    {"TextAfterTheValue", "\"Bad\"=\"a\" b", "line 3"},
    {"HalfAByte", "\"Bad\"=hex:1", "line 3"},
    {"TrailingComma", "\"Bad\"=hex:01,", "line 3"},
    {"UnclosedType", "\"Bad\"=hex(7:41", "line 3"},
    {"UnknownKind", "\"Bad\"=sz:1", "line 3"},
    {"UnquotedName", "Bad=\"1\"", "line 3"},
    {"NoEquals", "\"Bad\"", "line 3"},
    {"UnclosedName", "\"Bad=\"1\"", "line 3"},
    {"UnknownHive", "[HKEY_NOWHERE\\Software]", "line 3"},
    {"UnclosedSection", "[HKEY_LOCAL_MACHINE\\Software", "line 3"},
    {"EmptySection", "[]", "line 3"},
};

class RegistryFileDamage : public RegistryFile,
                           public ::testing::WithParamInterface<DamageCase> {};

TEST_P(RegistryFileDamage, RaisesWithFileAndLineAndLeavesTheFile) {
  const std::string text = std::string("[HKEY_LOCAL_MACHINE\\Software]\n\"Good\"=\"1\"\n") +
                           GetParam().text + "\n\"After\"=\"2\"\n";
  WriteText(file_, text);
  try {
    MemoryRegistry registry(file_);
    ADD_FAILURE() << "damage not detected";
  } catch (const com::ComError& e) {
    EXPECT_EQ(e.Number(), 321);
    EXPECT_NE(e.Description().find(file_.string()), std::string::npos) << e.Description();
    EXPECT_NE(e.Description().find(GetParam().line), std::string::npos) << e.Description();
  }
  EXPECT_EQ(ReadText(file_), text);
}

INSTANTIATE_TEST_SUITE_P(Table, RegistryFileDamage, ::testing::ValuesIn(kDamageCases),
                         [](const auto& i) { return std::string(i.param.name); });

TEST_F(RegistryFile, ValueBeforeAnySectionIsDamageOnLineOne) {
  WriteText(file_, "\"Bad\"=\"1\"\n[HKEY_LOCAL_MACHINE\\Software]\n");
  try {
    MemoryRegistry registry(file_);
    ADD_FAILURE() << "damage not detected";
  } catch (const com::ComError& e) {
    EXPECT_EQ(e.Number(), 321);
    EXPECT_NE(e.Description().find("line 1:"), std::string::npos) << e.Description();
  }
}

TEST_F(RegistryFile, CommentsSurviveAWrite) {
  WriteText(file_,
            "; bench set-up of line 4\n"
            "\n"
            "; the settings\n"
            "[HKEY_LOCAL_MACHINE\\Software\\VELDAR AG\\DTM4625_FDT12]\n"
            "; slower bench\n"
            "\"BusyWait\"=\"20\"   ; seconds\n"
            "\"Debug\"=dword:00000001\n"
            "; kept at the end\n");
  MemoryRegistry registry(file_);
  ASSERT_EQ(registry.SetValue(kHkeyLocalMachine, kSettings, StringValue("BusyWait", "30")),
            kErrorSuccess);
  ASSERT_EQ(registry.SetValue(kHkeyCurrentUser, "New", StringValue("A", "1")), kErrorSuccess);
  EXPECT_EQ(ReadText(file_),
            "; bench set-up of line 4\n"
            "\n"
            "[HKEY_CURRENT_USER\\New]\n"
            "\"A\"=\"1\"\n"
            "\n"
            "; the settings\n"
            "[HKEY_LOCAL_MACHINE\\Software\\VELDAR AG\\DTM4625_FDT12]\n"
            "; slower bench\n"
            "\"BusyWait\"=\"30\"   ; seconds\n"
            "\"Debug\"=dword:00000001\n"
            "\n"
            "; kept at the end\n");
}

// Writes that change nothing must not touch the file: a command that only
// registers what is registered already runs with a file it cannot write.
TEST_F(RegistryFile, WritingWhatIsThereAlreadyTouchesNoFile) {
  {
    MemoryRegistry registry(file_);
    ASSERT_EQ(registry.SetValue(kHkeyClassesRoot, "Vd.Device\\CLSID", StringValue("", "{1}")),
              kErrorSuccess);
  }
  struct stat before {};
  ASSERT_EQ(::stat(file_.c_str(), &before), 0);
  MemoryRegistry registry(file_);
  // Another spelling of the same key and value name is the same entry.
  EXPECT_EQ(registry.SetValue(kHkeyClassesRoot, "VD.DEVICE\\clsid", StringValue("", "{1}")),
            kErrorSuccess);
  EXPECT_EQ(registry.DeleteKey(kHkeyClassesRoot, "Vd.Missing"), kErrorFileNotFound);
  struct stat after {};
  ASSERT_EQ(::stat(file_.c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);  // a save would have renamed a new file over it

  // A real change does save.
  EXPECT_EQ(registry.SetValue(kHkeyClassesRoot, "Vd.Device\\CLSID", StringValue("", "{2}")),
            kErrorSuccess);
  ASSERT_EQ(::stat(file_.c_str(), &after), 0);
  EXPECT_NE(after.st_ino, before.st_ino);
}

TEST_F(RegistryFile, SavesThroughALinkIntoTheFileItNames) {
  const auto real = folder_.Path() / "real.reg";
  WriteText(real, "[HKEY_LOCAL_MACHINE\\Software]\n\"Old\"=\"1\"\n");
  ASSERT_EQ(::symlink("real.reg", file_.c_str()), 0);
  MemoryRegistry registry(file_);
  ASSERT_EQ(registry.SetValue(kHkeyLocalMachine, "Software", StringValue("New", "2")),
            kErrorSuccess);
  EXPECT_TRUE(std::filesystem::is_symlink(file_));
  EXPECT_NE(ReadText(real).find("\"New\"=\"2\""), std::string::npos);
}

TEST_F(RegistryFile, AFolderGivenAsTheFileIsRefused) {
  std::filesystem::create_directory(file_);
  try {
    MemoryRegistry registry(file_);
    ADD_FAILURE() << "a folder was taken as the file";
  } catch (const com::ComError& e) {
    EXPECT_EQ(e.Number(), 75);
    EXPECT_EQ(e.Description(), file_.string() + ": not a regular file");
  }
}

class RegistryFileSave : public RegistryFile {
 protected:
  void SetUp() override {
    RegistryFile::SetUp();
    WriteText(file_, "[HKEY_LOCAL_MACHINE\\Software]\n\"Old\"=\"1\"\n");
  }
};

TEST_F(RegistryFileSave, ReplacesTheFileInsteadOfRewritingIt) {
  // A second name for the old file keeps the old contents only when the
  // save writes a new file and renames it over the old one.
  const auto snapshot = folder_.Path() / "snapshot.reg";
  ASSERT_EQ(::link(file_.c_str(), snapshot.c_str()), 0);
  const std::string old_text = ReadText(file_);

  MemoryRegistry registry(file_);
  ASSERT_EQ(registry.SetValue(kHkeyLocalMachine, "Software", StringValue("New", "2")),
            kErrorSuccess);
  EXPECT_EQ(ReadText(snapshot), old_text);
  EXPECT_NE(ReadText(file_).find("\"New\"=\"2\""), std::string::npos);
  EXPECT_EQ(folder_.Entries(), (std::set<std::string>{"registry.reg", "snapshot.reg"}));
}

TEST_F(RegistryFileSave, FailedSaveUndoesTheWrite) {
  const auto sub_folder = folder_.Path() / "sub";
  std::filesystem::create_directory(sub_folder);
  const auto file = sub_folder / "registry.reg";
  WriteText(file, "[HKEY_LOCAL_MACHINE\\Software]\n\"Old\"=\"1\"\n");
  MemoryRegistry registry(file);
  std::filesystem::remove_all(sub_folder);

  EXPECT_EQ(registry.SetValue(kHkeyLocalMachine, "Software", StringValue("New", "2")),
            kErrorRegistryIoFailed);
  EXPECT_EQ(registry.DeleteKey(kHkeyLocalMachine, "Software"), kErrorRegistryIoFailed);
  EXPECT_EQ(AllValues(registry, kHkeyLocalMachine, "Software"),
            (std::vector<RegValue>{{"Old", kRegSz, {'1', 0}}}));
}

// Saves the file as the registry does and counts the saves; fails them
// while `fail` is set.
class RegistryFileUpdate : public RegistryFileSave {
 protected:
  MemoryRegistry::FileWriter CountingWriter() {
    return [this](const std::filesystem::path& file, std::string_view contents) {
      ++saves_;
      if (fail_) throw com::ComError(75, "cannot write " + file.string(), "test");
      ReplaceFileAtomically(file, contents);
    };
  }

  int saves_ = 0;
  bool fail_ = false;
};

TEST_F(RegistryFileUpdate, WritesOfAnUpdateAreSavedOnceAtItsEnd) {
  const std::string old_text = ReadText(file_);
  MemoryRegistry registry(file_, CountingWriter());
  registry.BeginUpdate();
  ASSERT_EQ(registry.SetValue(kHkeyLocalMachine, "Software", StringValue("New", "2")),
            kErrorSuccess);
  ASSERT_EQ(registry.SetValue(kHkeyClassesRoot, "Vd.Device\\CLSID", StringValue("", "{1}")),
            kErrorSuccess);
  ASSERT_EQ(registry.SetValue(kHkeyClassesRoot, "Vd.Other", StringValue("", "gone")),
            kErrorSuccess);
  ASSERT_EQ(registry.DeleteKey(kHkeyClassesRoot, "Vd.Other"), kErrorSuccess);
  // Readers see the writes at once; the file waits.
  EXPECT_EQ(AllValues(registry, kHkeyLocalMachine, "Software"),
            (std::vector<RegValue>{{"Old", kRegSz, {'1', 0}}, {"New", kRegSz, {'2', 0}}}));
  EXPECT_EQ(saves_, 0);
  EXPECT_EQ(ReadText(file_), old_text);

  EXPECT_EQ(registry.EndUpdate(), kErrorSuccess);
  EXPECT_EQ(saves_, 1);
  EXPECT_EQ(ReadText(file_),
            "[HKEY_CLASSES_ROOT\\Vd.Device\\CLSID]\n"
            "@=\"{1}\"\n"
            "\n"
            "[HKEY_LOCAL_MACHINE\\Software]\n"
            "\"Old\"=\"1\"\n"
            "\"New\"=\"2\"\n");

  // After the update each change saves again by itself.
  ASSERT_EQ(registry.SetValue(kHkeyLocalMachine, "Software", StringValue("New", "3")),
            kErrorSuccess);
  EXPECT_EQ(saves_, 2);
}

TEST_F(RegistryFileUpdate, UpdateThatChangesNothingSavesNothing) {
  MemoryRegistry registry(file_, CountingWriter());
  {
    RegistryUpdate update(registry);
    ASSERT_EQ(registry.SetValue(kHkeyLocalMachine, "SOFTWARE", StringValue("old", "1")),
              kErrorSuccess);
    EXPECT_EQ(registry.DeleteKey(kHkeyLocalMachine, "Software\\Missing"), kErrorFileNotFound);
    EXPECT_EQ(update.End(), kErrorSuccess);
  }
  EXPECT_EQ(saves_, 0);
}

TEST_F(RegistryFileUpdate, NestedUpdatesSaveAtTheOutermostEnd) {
  MemoryRegistry registry(file_, CountingWriter());
  {
    RegistryUpdate outer(registry);
    {
      RegistryUpdate inner(registry);
      ASSERT_EQ(registry.SetValue(kHkeyLocalMachine, "Software", StringValue("A", "1")),
                kErrorSuccess);
    }  // left without End: ends all the same
    EXPECT_EQ(saves_, 0);
    ASSERT_EQ(registry.SetValue(kHkeyLocalMachine, "Software", StringValue("B", "2")),
              kErrorSuccess);
  }
  EXPECT_EQ(saves_, 1);
  MemoryRegistry reloaded(file_);
  EXPECT_EQ(AllValues(reloaded, kHkeyLocalMachine, "Software"),
            (std::vector<RegValue>{
                {"Old", kRegSz, {'1', 0}}, {"A", kRegSz, {'1', 0}}, {"B", kRegSz, {'2', 0}}}));
  // An end without a beginning is no update.
  EXPECT_EQ(registry.EndUpdate(), kErrorSuccess);
  EXPECT_EQ(saves_, 1);
}

TEST_F(RegistryFileUpdate, FailedSaveUndoesEveryWriteOfTheUpdate) {
  MemoryRegistry registry(file_, CountingWriter());
  fail_ = true;
  registry.BeginUpdate();
  ASSERT_EQ(registry.SetValue(kHkeyLocalMachine, "Software", StringValue("Old", "changed")),
            kErrorSuccess);
  ASSERT_EQ(registry.SetValue(kHkeyCurrentUser, "New", StringValue("A", "1")), kErrorSuccess);
  EXPECT_EQ(registry.EndUpdate(), kErrorRegistryIoFailed);
  EXPECT_EQ(saves_, 1);
  EXPECT_EQ(AllValues(registry, kHkeyLocalMachine, "Software"),
            (std::vector<RegValue>{{"Old", kRegSz, {'1', 0}}}));
  EXPECT_FALSE(KeyExists(registry, kHkeyCurrentUser, "New"));

  // The next update starts from the restored keys.
  fail_ = false;
  registry.BeginUpdate();
  ASSERT_EQ(registry.SetValue(kHkeyCurrentUser, "New", StringValue("A", "1")), kErrorSuccess);
  EXPECT_EQ(registry.EndUpdate(), kErrorSuccess);
  EXPECT_EQ(ReadText(file_),
            "[HKEY_CURRENT_USER\\New]\n"
            "\"A\"=\"1\"\n"
            "\n"
            "[HKEY_LOCAL_MACHINE\\Software]\n"
            "\"Old\"=\"1\"\n");
}

}  // namespace
}  // namespace dtm::win
