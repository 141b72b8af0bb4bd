#include "platform/win/class_registry.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <utility>

#include "platform/com/error.h"
#include "platform/win/registry.h"

namespace dtm::com {
namespace {

// Answers QueryValue from a table; the rest of the registry is not needed here.
class FakeRegistry final : public win::Registry {
 public:
  void Put(win::Hive hive, std::string path, std::string name, win::RegValue value) {
    values_[{hive, std::move(path), std::move(name)}] = std::move(value);
  }
  void PutText(win::Hive hive, std::string path, std::string name, const std::string& text) {
    win::RegValue value;
    value.name = name;
    value.type = win::kRegSz;
    value.data.assign(text.begin(), text.end());
    value.data.push_back(0);
    Put(hive, std::move(path), std::move(name), std::move(value));
  }

  std::int32_t OpenKey(win::Hive, const std::string&, std::uint32_t, win::KeyHandle&) override {
    return win::kErrorFileNotFound;
  }
  std::int32_t EnumValue(win::KeyHandle, std::uint32_t, std::size_t, std::size_t,
                         win::RegValue&) override {
    return win::kErrorNoMoreItems;
  }
  std::int32_t CloseKey(win::KeyHandle) override { return win::kErrorSuccess; }
  std::int32_t SetValue(win::Hive, const std::string&, const win::RegValue&) override {
    return win::kErrorFileNotFound;
  }
  std::int32_t DeleteKey(win::Hive, const std::string&) override {
    return win::kErrorFileNotFound;
  }
  std::int32_t QueryValue(win::Hive hive, const std::string& path, const std::string& name,
                          win::RegValue& value) override {
    const auto it = values_.find({hive, path, name});
    if (it == values_.end()) return win::kErrorFileNotFound;
    value = it->second;
    return win::kErrorSuccess;
  }

 private:
  std::map<std::tuple<win::Hive, std::string, std::string>, win::RegValue> values_;
};

class Widget : public Object {};
class Gadget : public Object {};

template <class T>
class FactoryOf final : public ClassFactory {
 public:
  ObjectPtr CreateInstance() override { return std::make_shared<T>(); }
};

const Guid kWidgetClsid = *Guid::Parse("{11111111-2222-3333-4444-555555555555}");
const Guid kGadgetClsid = *Guid::Parse("{AAAAAAAA-BBBB-CCCC-DDDD-EEEEEEEEEEEE}");
const Guid kUnservedClsid = *Guid::Parse("{99999999-9999-9999-9999-999999999999}");

// A library serving one class, as its DllGetClassObject would.
template <class T>
ClassRegistry::ClassObjectSource ServerOf(const Guid& served) {
  return [served](const Guid& clsid) -> std::shared_ptr<ClassFactory> {
    if (clsid != served) return nullptr;
    return std::make_shared<FactoryOf<T>>();
  };
}

// The error `f` raises: number and description.
template <class F>
std::pair<std::int32_t, std::string> ErrorOf(F&& f) {
  try {
    f();
  } catch (const ComError& error) {
    return {error.Number(), error.Description()};
  }
  return {0, ""};
}

class ClassCreation : public ::testing::Test {
 protected:
  ClassCreation() {
    classes_.AddServer("widget.dll", ServerOf<Widget>(kWidgetClsid));
    classes_.AddServer("gadget.dll", ServerOf<Gadget>(kGadgetClsid));
    registry_.PutText(win::kHkeyClassesRoot, "Vendor.Widget\\CLSID", "",
                      "{11111111-2222-3333-4444-555555555555}");
    registry_.PutText(win::kHkeyClassesRoot, "Vendor.Gadget\\CLSID", "",
                      "{aaaaaaaa-bbbb-cccc-dddd-eeeeeeeeeeee}");
    registry_.PutText(win::kHkeyClassesRoot, "Vendor.Unserved\\CLSID", "",
                      "{99999999-9999-9999-9999-999999999999}");
  }

  ClassRegistry classes_;
  FakeRegistry registry_;
};

const std::pair<std::int32_t, std::string> kClassNotRegistered{kRegDbEClassNotReg,
                                                                "Class not registered"};
const std::pair<std::int32_t, std::string> kInvalidClassString{kCoEClassString,
                                                                "Invalid class string"};

TEST_F(ClassCreation, ByClsidAsksEachServer) {
  EXPECT_NE(std::dynamic_pointer_cast<Widget>(classes_.Create(kWidgetClsid)), nullptr);
  EXPECT_NE(std::dynamic_pointer_cast<Gadget>(classes_.Create(kGadgetClsid)), nullptr);
}

TEST_F(ClassCreation, EachCreateMakesANewInstance) {
  EXPECT_NE(classes_.Create(kWidgetClsid), classes_.Create(kWidgetClsid));
}

TEST_F(ClassCreation, UnservedClsidIsNotRegistered) {
  EXPECT_EQ(ErrorOf([&] { classes_.Create(kUnservedClsid); }), kClassNotRegistered);
}

TEST_F(ClassCreation, RemovedServerNoLongerServes) {
  classes_.RemoveServer("widget.dll");
  EXPECT_EQ(ErrorOf([&] { classes_.Create(kWidgetClsid); }), kClassNotRegistered);
  EXPECT_NE(classes_.Create(kGadgetClsid), nullptr);
  classes_.Clear();
  EXPECT_EQ(ErrorOf([&] { classes_.Create(kGadgetClsid); }), kClassNotRegistered);
}

TEST_F(ClassCreation, ByProgIdLooksUpTheClsid) {
  EXPECT_NE(std::dynamic_pointer_cast<Widget>(classes_.Create("Vendor.Widget", registry_)),
            nullptr);
  EXPECT_NE(std::dynamic_pointer_cast<Gadget>(classes_.Create("Vendor.Gadget", registry_)),
            nullptr);
}

TEST_F(ClassCreation, UnknownProgIdIsAnInvalidClassString) {
  EXPECT_EQ(ErrorOf([&] { classes_.Create("Vendor.Nothing", registry_); }),
            kInvalidClassString);
}

TEST_F(ClassCreation, KnownProgIdOfUnservedClassIsNotRegistered) {
  EXPECT_EQ(ErrorOf([&] { classes_.Create("Vendor.Unserved", registry_); }),
            kClassNotRegistered);
}

TEST(ClassRegistryInstance, IsOneTable) {
  ClassRegistry& classes = ClassRegistry::Instance();
  EXPECT_EQ(&classes, &ClassRegistry::Instance());
  classes.AddServer("widget.dll", ServerOf<Widget>(kWidgetClsid));
  EXPECT_NE(ClassRegistry::Instance().Create(kWidgetClsid), nullptr);
  classes.Clear();
  EXPECT_EQ(ErrorOf([] { ClassRegistry::Instance().Create(kWidgetClsid); }),
            kClassNotRegistered);
}

class ProgIdLookup : public ::testing::Test {
 protected:
  HResult Lookup(const std::string& prog_id) {
    clsid_ = Guid{};
    return ClsidFromProgId(registry_, prog_id, clsid_);
  }
  FakeRegistry registry_;
  Guid clsid_;
};

TEST_F(ProgIdLookup, ReadsTheDefaultValueOfTheClsidKey) {
  registry_.PutText(win::kHkeyClassesRoot, "Vendor.Widget\\CLSID", "",
                    "{11111111-2222-3333-4444-555555555555}");
  EXPECT_EQ(Lookup("Vendor.Widget"), kSOk);
  EXPECT_EQ(clsid_, kWidgetClsid);
}

TEST_F(ProgIdLookup, ToleratesTextWithoutTerminator) {
  const std::string text = "{11111111-2222-3333-4444-555555555555}";
  win::RegValue value;
  value.type = win::kRegSz;
  value.data.assign(text.begin(), text.end());
  registry_.Put(win::kHkeyClassesRoot, "Vendor.Widget\\CLSID", "", value);
  EXPECT_EQ(Lookup("Vendor.Widget"), kSOk);
  EXPECT_EQ(clsid_, kWidgetClsid);
}

TEST_F(ProgIdLookup, OnlyTheClassesRootDefaultValueCounts) {
  registry_.PutText(win::kHkeyLocalMachine, "Vendor.Widget\\CLSID", "",
                    "{11111111-2222-3333-4444-555555555555}");
  registry_.PutText(win::kHkeyClassesRoot, "Vendor.Widget\\CLSID", "CLSID",
                    "{11111111-2222-3333-4444-555555555555}");
  registry_.PutText(win::kHkeyClassesRoot, "Vendor.Widget", "",
                    "{11111111-2222-3333-4444-555555555555}");
  EXPECT_EQ(Lookup("Vendor.Widget"), kCoEClassString);
}

TEST_F(ProgIdLookup, RejectsDamagedValues) {
  registry_.PutText(win::kHkeyClassesRoot, "Vendor.Text\\CLSID", "", "not a class id");
  win::RegValue dword;
  dword.type = win::kRegDword;
  dword.data = {1, 0, 0, 0};
  registry_.Put(win::kHkeyClassesRoot, "Vendor.Dword\\CLSID", "", dword);
  EXPECT_EQ(Lookup("Vendor.Text"), kCoEClassString);
  EXPECT_EQ(Lookup("Vendor.Dword"), kCoEClassString);
  EXPECT_EQ(Lookup(""), kCoEClassString);
  EXPECT_EQ(clsid_, Guid{});
}

}  // namespace
}  // namespace dtm::com
