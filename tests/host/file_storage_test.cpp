#include "host/frame/file_storage.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <string>

#include <cmath>
#include <limits>

#include "platform/com/error.h"
#include "tests/testing/raised.h"
#include "tests/testing/temp_folder.h"

namespace dtm::frame {
namespace {

using dtm::testing::RaisedBy;
using dtm::testing::ReadText;
using dtm::testing::WriteText;

class FileStorageFiles : public ::testing::Test {
 protected:
  std::filesystem::path File() const { return folder_.Path() / "instance.xml"; }

  // A bag the tests recognise after a failed load.
  com::MemoryPropertyBag Untouched() {
    com::MemoryPropertyBag bag;
    bag.WriteProperty("Keep", com::Variant("me"));
    return bag;
  }

  dtm::testing::TempFolder folder_;
};

// Every subtype a bag entry may have, each with values at its edges.
struct RoundTripCase {
  const char* name;
  com::Variant value;
};
const RoundTripCase kRoundTrips[] = {
    {"Empty", com::Variant()},
    {"Null", com::Variant::Null()},
    {"IntegerLowest", com::Variant(std::int16_t{-32768})},
    {"IntegerHighest", com::Variant(std::int16_t{32767})},
    {"LongLowest", com::Variant(std::int32_t{-2147483647 - 1})},
    {"Long", com::Variant(std::int32_t{123456789})},
    {"SingleFraction", com::Variant(0.1f)},
    {"SingleTiny", com::Variant(1.17549435e-38f)},
    {"DoubleFraction", com::Variant(0.1)},
    {"DoubleLarge", com::Variant(-1.7976931348623157e308)},
    {"DoubleNegativeZero", com::Variant(-0.0)},
    {"DoubleInfinite", com::Variant(std::numeric_limits<double>::infinity())},
    {"Text", com::Variant("TV-101 <valve> & \"pipe\" 'x'")},
    {"TextEmpty", com::Variant("")},
    {"TextBlanksOnly", com::Variant("   ")},
    {"TextLineBreaksAndTabs", com::Variant(" a\r\nb\tc\n ")},
    {"TextUtf8", com::Variant("Ventilstellung 90° – Öffnen")},
    {"TextControlCharacters", com::Variant(std::string{'a', '\x01', '\x1F', 'b', '\0', 'c'})},
    {"TextBrokenUtf8", com::Variant(std::string("\xC3(\xFF"))},
    {"BooleanTrue", com::Variant(true)},
    {"BooleanFalse", com::Variant(false)},
    {"ByteHighest", com::Variant(std::uint8_t{255})},
    {"ByteArray", com::Variant(com::ByteArray{0x00, 0x01, 0x7F, 0x80, 0xFF})},
    {"ByteArrayEmpty", com::Variant(com::ByteArray{})},
    {"Date", com::Variant::Date(45000.75)},
    {"DateBefore1899", com::Variant::Date(-2.5)},
    {"Decimal", com::Variant(com::Decimal::Parse("-12345678901234567890.123456789"))},
};

class FileStorageRoundTrip : public FileStorageFiles,
                             public ::testing::WithParamInterface<RoundTripCase> {};

TEST_P(FileStorageRoundTrip, GivesBackSubtypeAndValue) {
  com::MemoryPropertyBag saved;
  saved.WriteProperty("Before", com::Variant(std::int16_t{1}));
  saved.WriteProperty("Value", GetParam().value);
  FileStorage(File()).Save(saved);

  com::MemoryPropertyBag loaded = Untouched();
  FileStorage(File()).Load(loaded);
  ASSERT_EQ(loaded.Entries().size(), 2u);
  EXPECT_EQ(loaded.Entries()[0].first, "Before");
  EXPECT_EQ(loaded.Entries()[1].first, "Value");
  const com::Variant& value = loaded.Entries()[1].second;
  EXPECT_EQ(value.Type(), GetParam().value.Type());
  EXPECT_EQ(value, GetParam().value);
  if (value.Type() == com::VarType::Double) {
    EXPECT_EQ(std::signbit(value.ToDouble()), std::signbit(GetParam().value.ToDouble()));
  }
}

INSTANTIATE_TEST_SUITE_P(Table, FileStorageRoundTrip, ::testing::ValuesIn(kRoundTrips),
                         [](const auto& i) { return std::string(i.param.name); });

TEST_F(FileStorageFiles, KeepsTheBagsOrderAndReplacesTheBagsEntries) {
  com::MemoryPropertyBag saved;
  for (const char* name : {"Zeta", "Alpha", "Mu"}) saved.WriteProperty(name, com::Variant(name));
  FileStorage(File()).Save(saved);
  com::MemoryPropertyBag loaded = Untouched();
  FileStorage(File()).Load(loaded);
  ASSERT_EQ(loaded.Entries().size(), 3u);
  EXPECT_EQ(loaded.Entries()[0].first, "Zeta");
  EXPECT_EQ(loaded.Entries()[2].first, "Mu");
  EXPECT_FALSE(loaded.Contains("Keep"));
}

TEST_F(FileStorageFiles, MissingFileRaisesFileNotFound) {
  com::MemoryPropertyBag bag = Untouched();
  EXPECT_FALSE(FileStorage(File()).Exists());
  const com::ComError error = RaisedBy([&] { FileStorage(File()).Load(bag); });
  EXPECT_EQ(error.Number(), 53);
  EXPECT_EQ(error.Description(), "cannot read " + File().string() + ": No such file or directory");
  EXPECT_EQ(bag.Entries().size(), 1u);
}

// Files that are no readable property bag: the load names the file and
// leaves the bag as it was.
struct BadFileCase {
  const char* name;
  std::string text;
  const char* says;  // text the message must contain
};
const BadFileCase kBadFiles[] = {
    {"Truncated", R"(<PropertyBag version="1"><Entry name="A" type="Long" value="1"/>)", ""},
    {"NotXml", "\x01\x02garbage", ""},
    {"EmptyFile", "", ""},
    {"ForeignRoot", R"(<Registry><Key/></Registry>)", "not a property bag file"},
    {"UnknownVersion", R"(<PropertyBag version="2"/>)", "version 2"},
    {"NoVersion", R"(<PropertyBag/>)", "version"},
    {"ForeignElement", R"(<PropertyBag version="1"><Item name="A"/></PropertyBag>)",
     "entry 1 is an element Item, not Entry"},
    {"NoName", R"(<PropertyBag version="1"><Entry type="Long" value="1"/></PropertyBag>)",
     "entry 1 has no name"},
    {"RepeatedName",
     R"(<PropertyBag version="1"><Entry name="A" type="Empty"/><Entry name="A" type="Empty"/></PropertyBag>)",
     "entry 2 repeats the name A"},
    {"UnknownType",
     R"(<PropertyBag version="1"><Entry name="A" type="Currency" value="1"/></PropertyBag>)",
     "unknown type 'Currency'"},
    {"NoType", R"(<PropertyBag version="1"><Entry name="A" value="1"/></PropertyBag>)",
     "unknown type ''"},
    {"IntegerOverflow",
     R"(<PropertyBag version="1"><Entry name="A" type="Integer" value="32768"/></PropertyBag>)",
     "(A) holds no valid Integer value"},
    {"LongWithText",
     R"(<PropertyBag version="1"><Entry name="A" type="Long" value="12x"/></PropertyBag>)",
     "(A) holds no valid Long value"},
    {"DoubleWithComma",
     R"(<PropertyBag version="1"><Entry name="A" type="Double" value="1,5"/></PropertyBag>)",
     "no valid Double"},
    {"ValueMissing", R"(<PropertyBag version="1"><Entry name="A" type="Byte"/></PropertyBag>)",
     "no valid Byte"},
    {"EmptyWithValue",
     R"(<PropertyBag version="1"><Entry name="A" type="Empty" value=""/></PropertyBag>)",
     "no valid Empty"},
    {"BooleanAsNumber",
     R"(<PropertyBag version="1"><Entry name="A" type="Boolean" value="1"/></PropertyBag>)",
     "no valid Boolean"},
    {"OddHex",
     R"(<PropertyBag version="1"><Entry name="A" type="ByteArray" value="ABC"/></PropertyBag>)",
     "no valid ByteArray"},
    {"HexNotHex",
     R"(<PropertyBag version="1"><Entry name="A" type="ByteArray" value="0G"/></PropertyBag>)",
     "no valid ByteArray"},
    {"UnknownEncoding",
     R"(<PropertyBag version="1"><Entry name="A" type="String" encoding="base64" value="QQ=="/></PropertyBag>)",
     "unknown encoding base64"},
    {"BadDecimal",
     R"(<PropertyBag version="1"><Entry name="A" type="Decimal" value="1e5"/></PropertyBag>)",
     "no valid Decimal"},
};

class FileStorageBadFile : public FileStorageFiles,
                           public ::testing::WithParamInterface<BadFileCase> {};

TEST_P(FileStorageBadFile, RaisesInvalidFileFormatAndChangesNothing) {
  WriteText(File(), GetParam().text);
  com::MemoryPropertyBag bag = Untouched();
  const com::ComError error = RaisedBy([&] { FileStorage(File()).Load(bag); });
  EXPECT_EQ(error.Number(), 321);
  EXPECT_NE(error.Description().find(File().string()), std::string::npos) << error.Description();
  EXPECT_NE(error.Description().find(GetParam().says), std::string::npos) << error.Description();
  ASSERT_EQ(bag.Entries().size(), 1u);
  EXPECT_EQ(bag.ReadProperty("Keep"), com::Variant("me"));
  EXPECT_EQ(ReadText(File()), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Table, FileStorageBadFile, ::testing::ValuesIn(kBadFiles),
                         [](const auto& i) { return std::string(i.param.name); });

// A file saved before, which a failed save must leave as it was.
class FileStorageFailedSave : public FileStorageFiles {
 protected:
  FileStorageFailedSave() {
    com::MemoryPropertyBag first;
    first.WriteProperty("Version", com::Variant(std::int32_t{1}));
    FileStorage(File()).Save(first);
    before_ = ReadText(File());
  }
  std::string before_;
};

TEST_F(FileStorageFailedSave, ObjectEntryRaisesBeforeTheDiskIsTouched) {
  com::MemoryPropertyBag bag;
  bag.WriteProperty("Version", com::Variant(std::int32_t{2}));
  bag.WriteProperty("Self", com::Variant(std::make_shared<com::Object>()));
  const com::ComError error = RaisedBy([&] { FileStorage(File()).Save(bag); });
  EXPECT_EQ(error.Number(), 13);
  EXPECT_NE(error.Description().find("Self"), std::string::npos);
  EXPECT_EQ(ReadText(File()), before_);
}

TEST_F(FileStorageFailedSave, LinksPlantedAtTemporaryNamesAreNeverFollowed) {
  // Another user of the folder plants links where a save might write first.
  dtm::testing::TempFolder elsewhere;
  const std::filesystem::path victim = elsewhere.Path() / "victim";
  WriteText(victim, "victim");
  std::set<std::string> names;
  for (const char* suffix : {".tmp", ".saving", "~"}) {
    std::filesystem::path planted = File();
    planted += suffix;
    ASSERT_EQ(::symlink(victim.c_str(), planted.c_str()), 0);
    names.insert(planted.filename().string());
  }
  com::MemoryPropertyBag bag;
  bag.WriteProperty("Version", com::Variant(std::int32_t{2}));
  FileStorage(File()).Save(bag);
  EXPECT_EQ(ReadText(victim), "victim");
  names.insert(File().filename().string());
  EXPECT_EQ(folder_.Entries(), names);
  com::MemoryPropertyBag loaded;
  FileStorage(File()).Load(loaded);
  EXPECT_EQ(loaded.ReadProperty("Version"), com::Variant(std::int32_t{2}));
}

TEST_F(FileStorageFailedSave, MissingFolderSaysSoOnce) {
  const std::filesystem::path file = folder_.Path() / "missing" / "x.xml";
  com::MemoryPropertyBag bag;
  bag.WriteProperty("Version", com::Variant(std::int32_t{2}));
  const com::ComError error = RaisedBy([&] { FileStorage(file).Save(bag); });
  EXPECT_EQ(error.Number(), 75);
  EXPECT_EQ(error.Description(), "cannot write " + file.string() + ": No such file or directory");
}

TEST_F(FileStorageFailedSave, TargetThatCannotBeReplacedKeepsWhatIsThere) {
  const std::filesystem::path target = folder_.Path() / "folder.xml";
  std::filesystem::create_directory(target);
  std::filesystem::create_directory(target / "inside");
  com::MemoryPropertyBag bag;
  bag.WriteProperty("Version", com::Variant(std::int32_t{2}));
  const com::ComError error = RaisedBy([&] { FileStorage(target).Save(bag); });
  EXPECT_EQ(error.Number(), 75);
  EXPECT_EQ(error.Description(), target.string() + ": not a regular file");
  EXPECT_TRUE(std::filesystem::is_directory(target / "inside"));
  // No temporary file is left behind.
  EXPECT_EQ(folder_.Entries(), (std::set<std::string>{"folder.xml", "instance.xml"}));
}

TEST_F(FileStorageFailedSave, SuccessfulSaveReplacesTheFileAndLeavesNoTemporary) {
  com::MemoryPropertyBag bag;
  bag.WriteProperty("Version", com::Variant(std::int32_t{2}));
  FileStorage(File()).Save(bag);
  com::MemoryPropertyBag loaded;
  FileStorage(File()).Load(loaded);
  EXPECT_EQ(loaded.ReadProperty("Version"), com::Variant(std::int32_t{2}));
  EXPECT_EQ(folder_.Entries(), (std::set<std::string>{"instance.xml"}));
}

// ---- Whose data set, and what is a data set file at all ----

TEST_F(FileStorageFiles, SaveNamesTheComponentAndLoadGivesTheBagItsOrigin) {
  com::MemoryPropertyBag saved;
  saved.WriteProperty("UC013/Tag", com::Variant("TV-101"));
  FileStorage(File()).Save(saved);
  EXPECT_NE(ReadText(File()).find("<PropertyBag version=\"1\" library=\"VD4625FDT\" "
                                  "deviceType=\"165/70\" format=\"1\">"),
            std::string::npos)
      << ReadText(File());
  com::MemoryPropertyBag loaded;
  FileStorage(File()).Load(loaded);
  EXPECT_EQ(loaded.Origin(), File().string());
  EXPECT_EQ(loaded.ReadProperty("UC013/Tag"), com::Variant("TV-101"));
}

TEST_F(FileStorageFiles, FileWithoutTheComponentsNameIsStillRead) {
  WriteText(File(), R"(<PropertyBag version="1"><Entry name="A" type="Long" value="1"/></PropertyBag>)");
  com::MemoryPropertyBag loaded;
  FileStorage(File()).Load(loaded);
  EXPECT_EQ(loaded.ReadProperty("A"), com::Variant(std::int32_t{1}));
}

// Files of another component: refused whole, naming what they are.
struct ForeignFileCase {
  const char* name;
  const char* attributes;
  const char* says;
};
const ForeignFileCase kForeignFiles[] = {
    {"OtherLibrary", R"(library="XY1000FDT" deviceType="165/70" format="1")",
     ": a data set of another component (library XY1000FDT, device type 165/70, format 1)"},
    {"OtherDeviceType", R"(library="VD4625FDT" deviceType="165/71" format="1")",
     ": a data set of another component (library VD4625FDT, device type 165/71, format 1)"},
    {"LaterFormat", R"(library="VD4625FDT" deviceType="165/70" format="2")",
     ": a data set of another component (library VD4625FDT, device type 165/70, format 2)"},
    {"PartOfTheName", R"(library="VD4625FDT")",
     ": a data set of another component (library VD4625FDT, device type (none), format (none))"},
};

class FileStorageForeignFile : public FileStorageFiles,
                               public ::testing::WithParamInterface<ForeignFileCase> {};

TEST_P(FileStorageForeignFile, IsRefusedAndTheBagKept) {
  WriteText(File(), std::string("<PropertyBag version=\"1\" ") + GetParam().attributes +
                        R"(><Entry name="A" type="Long" value="1"/></PropertyBag>)");
  com::MemoryPropertyBag bag = Untouched();
  const com::ComError error = RaisedBy([&] { FileStorage(File()).Load(bag); });
  EXPECT_EQ(error.Number(), 321);
  EXPECT_EQ(error.Description(), File().string() + GetParam().says);
  EXPECT_EQ(bag.Entries().size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Table, FileStorageForeignFile, ::testing::ValuesIn(kForeignFiles),
                         [](const auto& i) { return std::string(i.param.name); });

TEST_F(FileStorageFiles, FolderOrPipeIsNotARegularFile) {
  const std::filesystem::path folder = folder_.Path() / "folder.xml";
  std::filesystem::create_directory(folder);
  const std::filesystem::path pipe = folder_.Path() / "pipe.xml";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  for (const auto& path : {folder, pipe, std::filesystem::path("/dev/null")}) {
    com::MemoryPropertyBag bag = Untouched();
    // A pipe must not block the load: it is refused at once.
    const com::ComError error = RaisedBy([&] { FileStorage(path).Load(bag); });
    EXPECT_EQ(error.Number(), 75);
    EXPECT_EQ(error.Description(), path.string() + ": not a regular file");
    EXPECT_EQ(bag.Entries().size(), 1u);
  }
}

TEST_F(FileStorageFiles, FileAboveTheLimitIsRefusedUnread) {
  {
    std::ofstream out(File(), std::ios::binary);
    out << "<PropertyBag version=\"1\">";
    out << std::string(FileStorage::kMaxFileSize, ' ');
    out << "</PropertyBag>";
  }
  com::MemoryPropertyBag bag = Untouched();
  const com::ComError error = RaisedBy([&] { FileStorage(File()).Load(bag); });
  EXPECT_EQ(error.Number(), 321);
  EXPECT_EQ(error.Description(),
            File().string() + ": 17 MiB is too large for a data set; at most 16 MiB are read");
  EXPECT_EQ(bag.Entries().size(), 1u);
}

TEST_F(FileStorageFiles, ManyEntriesLoadInLinearTime) {
  // 200000 entries: a load that looked each name up in the entries before
  // it would take minutes.
  std::string text = "<PropertyBag version=\"1\">";
  for (int i = 0; i < 200000; ++i) {
    text += "<Entry name=\"E" + std::to_string(i) + "\" type=\"Long\" value=\"1\"/>";
  }
  text += "</PropertyBag>";
  WriteText(File(), text);
  com::MemoryPropertyBag bag;
  FileStorage(File()).Load(bag);
  EXPECT_EQ(bag.Entries().size(), 200000u);
  EXPECT_EQ(bag.ReadProperty("E199999"), com::Variant(std::int32_t{1}));
}

}  // namespace
}  // namespace dtm::frame
