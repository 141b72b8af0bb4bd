#include "host/frame/file_storage.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/com/error.h"
#include "platform/com/locale.h"
#include "tests/testing/temp_folder.h"

namespace dtm::frame {
namespace {

using dtm::testing::ReadText;
using dtm::testing::WriteText;

// The ComError `call` raises; fails the test when it raises none.
template <class F>
com::ComError RaisedBy(F&& call) {
  try {
    call();
  } catch (const com::ComError& error) {
    return error;
  }
  ADD_FAILURE() << "raised nothing";
  return com::ComError(0, "");
}

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

  // Numbers are written without regard to the locale.
  com::ScopedLocale german(com::Locale::German());
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

TEST_F(FileStorageFailedSave, UnwritableTemporaryFileKeepsTheOldFile) {
  // Something that is no file sits where the temporary file goes.
  std::filesystem::path temporary = File();
  temporary += ".tmp";
  std::filesystem::create_directory(temporary);
  std::filesystem::create_directory(temporary / "occupied");
  com::MemoryPropertyBag bag;
  bag.WriteProperty("Version", com::Variant(std::int32_t{2}));
  const com::ComError error = RaisedBy([&] { FileStorage(File()).Save(bag); });
  EXPECT_EQ(error.Number(), 75);
  EXPECT_EQ(ReadText(File()), before_);
  EXPECT_TRUE(std::filesystem::is_directory(temporary / "occupied"));
}

TEST_F(FileStorageFailedSave, TargetThatCannotBeReplacedKeepsWhatIsThere) {
  const std::filesystem::path target = folder_.Path() / "folder.xml";
  std::filesystem::create_directory(target);
  std::filesystem::create_directory(target / "inside");
  com::MemoryPropertyBag bag;
  bag.WriteProperty("Version", com::Variant(std::int32_t{2}));
  const com::ComError error = RaisedBy([&] { FileStorage(target).Save(bag); });
  EXPECT_EQ(error.Number(), 75);
  EXPECT_TRUE(std::filesystem::is_directory(target / "inside"));
  // The temporary file is cleaned away.
  std::filesystem::path temporary = target;
  temporary += ".tmp";
  EXPECT_FALSE(std::filesystem::exists(temporary));
}

TEST_F(FileStorageFailedSave, SuccessfulSaveReplacesTheFileAndLeavesNoTemporary) {
  com::MemoryPropertyBag bag;
  bag.WriteProperty("Version", com::Variant(std::int32_t{2}));
  FileStorage(File()).Save(bag);
  com::MemoryPropertyBag loaded;
  FileStorage(File()).Load(loaded);
  EXPECT_EQ(loaded.ReadProperty("Version"), com::Variant(std::int32_t{2}));
  std::filesystem::path temporary = File();
  temporary += ".tmp";
  EXPECT_FALSE(std::filesystem::exists(temporary));
}

}  // namespace
}  // namespace dtm::frame
