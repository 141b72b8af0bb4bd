// The DTM's functions: the pages' ProgIDs and class ids, the function list
// and its states, the documentation a function call asks for, the pages'
// print and save requests, and function requests.

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "component/datamodel/data_element.h"
#include "component/dtm/function_man.h"
#include "component/dtm/library.h"
#include "component/interfaces/fdt.h"
#include "platform/com/error.h"
#include "platform/controls/navigation.h"
#include "platform/runtime/documents.h"
#include "platform/xml/dom.h"
#include "tests/component/dtm/dtm_fixture.h"

namespace dtm::testing {
namespace {

// A function call as the frame writes it.
std::string CallXml(std::int32_t function_id, const std::optional<std::string>& argument = {}) {
  const std::string id = "<FunctionCall functionId=\"" + std::to_string(function_id) + "\"";
  if (!argument) return "<FDT>" + id + "/></FDT>";
  return "<FDT>" + id + "><Argument>" + *argument + "</Argument></FunctionCall></FDT>";
}

class FunctionFixture : public DtmFixture {
 protected:
  IPrivateFunctions& Functions() { return *Context().Functions(); }
};

// ---- Pages ---------------------------------------------------------------------------

struct PageCase {
  const char* name;
  std::int32_t function_id;
  const char* prog_id;
  const char* clsid;  // after registration
};
void PrintTo(const PageCase& c, std::ostream* os) { *os << c.name; }

const PageCase kPageCases[] = {
    {"Ident", 1, "VD4625FDT.ctlIdent", "{4625A101-7C31-4B0E-9D21-3A5F60C14F01}"},
    {"OnlineParams", 7, "VD4625FDT.ctlOnlineParams", "{4625A107-7C31-4B0E-9D21-3A5F60C14F07}"},
    {"Monitor", 11, "VD4625FDT.ctlMonitor", "{4625A10B-7C31-4B0E-9D21-3A5F60C14F0B}"},
    {"Print", 13, "VD4625FDT.ctlPrint", "{4625A10D-7C31-4B0E-9D21-3A5F60C14F0D}"},
    {"Search", 14, "VD4625FDT.ctlSearch", "{4625A10E-7C31-4B0E-9D21-3A5F60C14F0E}"},
    {"Zero", 0, "", ""},
    {"Fifteen", 15, "", ""},
    {"Negative", -1, "", ""},
};

class PageIdentity : public FunctionFixture, public ::testing::WithParamInterface<PageCase> {};

TEST_P(PageIdentity, ProgIdOfTheFunctionNumber) {
  EXPECT_EQ(dtm_->IDtmActiveXInformation_GetActiveXProgId(CallXml(GetParam().function_id)),
            GetParam().prog_id);
}

TEST_P(PageIdentity, ClassIdOnceTheLibraryIsRegistered) {
  const std::string call = CallXml(GetParam().function_id);
  EXPECT_EQ(dtm_->IDtmActiveXInformation_GetActiveXGuid(call), "");
  ASSERT_EQ(library_.DllRegisterServer(), com::kSOk);
  EXPECT_EQ(dtm_->IDtmActiveXInformation_GetActiveXGuid(call), GetParam().clsid);
  ASSERT_EQ(library_.DllUnregisterServer(), com::kSOk);
  EXPECT_EQ(dtm_->IDtmActiveXInformation_GetActiveXGuid(call), "");
}

INSTANTIATE_TEST_SUITE_P(Table, PageIdentity, ::testing::ValuesIn(kPageCases),
                         [](const auto& i) { return std::string(i.param.name); });

TEST_F(FunctionFixture, EveryPageHasItsOwnClassId) {
  ASSERT_EQ(library_.DllRegisterServer(), com::kSOk);
  std::vector<std::string> ids;
  for (std::int32_t function_id = 1; function_id <= 14; ++function_id) {
    const std::string id = dtm_->IDtmActiveXInformation_GetActiveXGuid(CallXml(function_id));
    ASSERT_FALSE(id.empty()) << "function " << function_id;
    for (const std::string& other : ids) EXPECT_NE(id, other) << "function " << function_id;
    EXPECT_NE(id, Library::Classes()[0].clsid.ToString()) << "function " << function_id;
    ids.push_back(id);
  }
}

TEST_F(FunctionFixture, AnUnreadableCallHasNoPage) {
  ASSERT_EQ(library_.DllRegisterServer(), com::kSOk);
  EXPECT_EQ(dtm_->IDtmActiveXInformation_GetActiveXProgId("<FDT><FunctionCall"), "");
  EXPECT_EQ(dtm_->IDtmActiveXInformation_GetActiveXGuid("<FDT><FunctionCall"), "");
}

TEST_F(FunctionFixture, APageBuiltHasAClassObjectThatMakesIt) {
  ASSERT_EQ(library_.DllRegisterServer(), com::kSOk);
  const auto clsid = com::Guid::Parse("{4625A101-7C31-4B0E-9D21-3A5F60C14F01}");
  ASSERT_TRUE(clsid);
  std::shared_ptr<com::ClassFactory> factory;
  EXPECT_EQ(library_.DllGetClassObject(*clsid, factory), com::kSOk);
  ASSERT_NE(factory, nullptr);
  EXPECT_NE(std::dynamic_pointer_cast<IDtmActiveXControl>(factory->CreateInstance()), nullptr);
}

// ---- Function list -------------------------------------------------------------------

const char* const kSettingsKey = "Software\\VELDAR AG\\DTM4625_FDT12";

struct DebugCase {
  const char* name;
  std::optional<win::RegValue> debug;  // nullopt: no value
  std::int32_t user_level;
  const char* monitor_state;
};
void PrintTo(const DebugCase& c, std::ostream* os) { *os << c.name; }

win::RegValue DamagedDword() {
  win::RegValue value;
  value.name = "Debug";
  value.type = win::kRegDword;
  value.data = {1, 0};
  return value;
}

const DebugCase kDebugCases[] = {
    {"MissingMaintenance", std::nullopt, 2, "8"},
    {"MissingPlanning", std::nullopt, 3, "4"},
    {"OneMaintenance", win::StringValue("Debug", "1"), 2, "4"},
    {"OnePlanning", win::StringValue("Debug", "1"), 3, "4"},
    {"TwoMaintenance", win::StringValue("Debug", "2"), 2, "8"},
    {"TwoPlanning", win::StringValue("Debug", "2"), 3, "4"},
    {"DwordOneMaintenance", win::DwordValue("Debug", 1), 2, "4"},
    {"DwordOnePlanning", win::DwordValue("Debug", 1), 3, "4"},
    {"NoNumberMaintenance", win::StringValue("Debug", "abc"), 2, "8"},
    {"NoNumberPlanning", win::StringValue("Debug", "abc"), 3, "4"},
    {"NameInOtherCaseMaintenance", win::StringValue("debug", "1"), 2, "8"},
    {"DamagedDwordMaintenance", DamagedDword(), 2, "8"},
    {"OneAdministrator", win::StringValue("Debug", "1"), 5, "4"},
    {"MissingAdministrator", std::nullopt, 5, "8"},
};

struct CommunicationCase {
  const char* name;
  bool set;
  const char* online_state;
};
void PrintTo(const CommunicationCase& c, std::ostream* os) { *os << c.name; }

const CommunicationCase kCommunicationCases[] = {{"Offline", false, "0"}, {"Online", true, "4"}};

class FunctionStates
    : public FunctionFixture,
      public ::testing::WithParamInterface<std::tuple<DebugCase, CommunicationCase>> {
 protected:
  FunctionStates() { Context().Dictionary().Load(Context(), "DTMDictionary"); }

  // The state of every function of the list, by key.
  static std::map<std::string, std::string> States(const std::string& document) {
    std::map<std::string, std::string> states;
    for (const xml::Node& node : xml::Document::Parse(document).SelectNodes("/FDT/Functions/Function")) {
      states[node.Attribute("key").value_or("?")] = node.Attribute("state").value_or("?");
    }
    return states;
  }
};

TEST_P(FunctionStates, FollowTheCommunicationTheUserAndTheRegistry) {
  const auto& [debug, communication] = GetParam();
  if (debug.debug) {
    ASSERT_EQ(registry_.SetValue(win::kHkeyLocalMachine, kSettingsKey, *debug.debug), 0);
  }
  Context().User().SetUserLevel(debug.user_level);
  if (communication.set) {
    ASSERT_TRUE(dtm_->IDtm_SetCommunication(channel_));
  }

  const std::string online = communication.online_state;
  const std::map<std::string, std::string> expected = {
      {"ctlMonitor", debug.monitor_state}, {"OnlineParameterize", online},
      {"ctlSimulation", online},           {"ctlTrend", online},
      {"ctlMeasureDialog", online},        {"ctlStatus", online},
      {"ctlCalib", online},                {"ctlReset", online},
      {"ctlSearch", "4"},
      // Functions the DTM does not add keep the list's own state.
      {"ctlIdent", "4"}, {"ctlOfflineParams", "4"}, {"ctlStartUp", "4"},
      {"ctlOffline", "4"}, {"ctlPrint", "4"}};
  EXPECT_EQ(States(dtm_->IDtm_GetFunctions(R"(<FDT operationPhase="engineering"/>)")), expected);
}

INSTANTIATE_TEST_SUITE_P(Table, FunctionStates,
                         ::testing::Combine(::testing::ValuesIn(kDebugCases),
                                            ::testing::ValuesIn(kCommunicationCases)),
                         [](const auto& i) {
                           return std::string(std::get<0>(i.param).name) +
                                  std::get<1>(i.param).name;
                         });

class FunctionListing : public FunctionFixture {
 protected:
  std::shared_ptr<controls::Navigation> Navigation() {
    return std::dynamic_pointer_cast<controls::Navigation>(
        Context().DTMState()->GetProperty("Navigation").ToObject());
  }
};

TEST_F(FunctionListing, KeepsTheOperationPhaseForTheSearchControls) {
  ASSERT_TRUE(Context().Dictionary().Load(Context(), "DTMDictionary"));
  ASSERT_NE(Navigation(), nullptr);
  EXPECT_FALSE(dtm_->IDtm_GetFunctions(R"(<FDT operationPhase="commissioning"/>)").empty());
  const auto phase = com::QueryInterface<runtime::OperationPhase>(Navigation()->LastOperationPhase());
  ASSERT_NE(phase, nullptr);
  EXPECT_EQ(phase->Phase(), "commissioning");
}

TEST_F(FunctionListing, WithoutTheDictionarysFunctionsTheListIsEmptyButThePhaseIsKept) {
  EXPECT_EQ(dtm_->IDtm_GetFunctions(R"(<FDT operationPhase="engineering"/>)"), "");
  const auto phase = com::QueryInterface<runtime::OperationPhase>(Navigation()->LastOperationPhase());
  ASSERT_NE(phase, nullptr);
  EXPECT_EQ(phase->Phase(), "engineering");
}

TEST_F(FunctionListing, AnUnreadablePhaseGivesNoList) {
  ASSERT_TRUE(Context().Dictionary().Load(Context(), "DTMDictionary"));
  EXPECT_EQ(dtm_->IDtm_GetFunctions("<FDT operationPhase="), "");
  EXPECT_TRUE(Navigation()->LastOperationPhase().IsEmpty());
}

// ---- Documentation -------------------------------------------------------------------

struct DocumentationCase {
  const char* name;
  std::optional<com::Variant> argument;
  std::int32_t function_id;
  const char* mask;  // decimal, as the document writes it
  const char* kind;
};
void PrintTo(const DocumentationCase& c, std::ostream* os) { *os << c.name; }

const com::Variant kNoNumber{"x"};

const DocumentationCase kDocumentationCases[] = {
    {"NoArgument7", std::nullopt, 7, "134217728", "DTMDoc007"},
    {"NoArgument13", std::nullopt, 13, "0", "DTMDoc013"},
    {"NoArgument501", std::nullopt, 501, "0", "DTMDoc501"},
    {"Zero7", com::Variant(0), 7, "65536", "DTMDoc007"},
    {"Zero13", com::Variant(0), 13, "65536", "DTMDoc013"},
    {"Zero501", com::Variant(0), 501, "0", "DTMDoc501"},
    {"Eleven7", com::Variant(11), 7, "134217728", "DTMDoc007"},
    {"Eleven13", com::Variant(11), 13, "134217728", "DTMDoc013"},
    {"Eleven501", com::Variant(11), 501, "0", "DTMDoc501"},
    {"Twelve7", com::Variant(12), 7, "0", "DTMDoc007"},
    {"Twelve13", com::Variant(12), 13, "0", "DTMDoc013"},
    {"Twelve501", com::Variant(12), 501, "0", "DTMDoc501"},
    {"MinusOne7", com::Variant(-1), 7, "0", "DTMDoc007"},
    {"MinusOne13", com::Variant(-1), 13, "0", "DTMDoc013"},
    {"MinusOne501", com::Variant(-1), 501, "0", "DTMDoc501"},
    {"Text3For7", com::Variant("3"), 7, "524288", "DTMDoc007"},
    {"Text3For13", com::Variant("3"), 13, "524288", "DTMDoc013"},
    {"Text3For501", com::Variant("3"), 501, "0", "DTMDoc501"},
    {"NoNumber7", kNoNumber, 7, "134217728", "DTMDoc007"},
    {"NoNumber13", kNoNumber, 13, "0", "DTMDoc013"},
    {"NoNumber501", kNoNumber, 501, "0", "DTMDoc501"},
    {"TwoAndAHalf7", com::Variant(2.5), 7, "262144", "DTMDoc007"},
    {"TwoAndAHalf13", com::Variant(2.5), 13, "262144", "DTMDoc013"},
    {"TwoAndAHalf501", com::Variant(2.5), 501, "0", "DTMDoc501"},
    {"ThreeAndAHalf7", com::Variant(3.5), 7, "1048576", "DTMDoc007"},
    {"EmptyText7", com::Variant(""), 7, "134217728", "DTMDoc007"},
    // Function numbers without an argument.
    {"Ident", std::nullopt, 1, "33554432", "DTMDoc001"},
    {"OfflineParams", std::nullopt, 2, "33554432", "DTMDoc002"},
    {"StartUp", std::nullopt, 3, "33554432", "DTMDoc003"},
    {"Measure", std::nullopt, 4, "8388608", "DTMDoc004"},
    {"Trend", std::nullopt, 5, "8388608", "DTMDoc005"},
    {"Status", std::nullopt, 6, "1048576", "DTMDoc006"},
    {"Calib", std::nullopt, 8, "1048576", "DTMDoc008"},
    {"Reset", std::nullopt, 9, "1048576", "DTMDoc009"},
    {"Simulation", std::nullopt, 10, "2097152", "DTMDoc010"},
    {"Monitor", std::nullopt, 11, "0", "DTMDoc011"},
    {"Offline", std::nullopt, 12, "33554432", "DTMDoc012"},
    {"Search", std::nullopt, 14, "0", "DTMDoc014"},
    {"NoFunction", std::nullopt, 0, "0", "DTMDoc000"},
    {"FourDigits", std::nullopt, 1234, "0", "DTMDoc1234"},
};

class DocumentationRequest : public FunctionFixture,
                             public ::testing::WithParamInterface<DocumentationCase> {};

TEST_P(DocumentationRequest, ChoosesTheMaskAndTheKind) {
  runtime::FunctionCall call;
  call.SetFunctionID(GetParam().function_id);
  call.SetArgument(GetParam().argument);
  const xml::Document document =
      xml::Document::Parse(Functions().IPrivateFunctions_GetDocumentation(Context(), call));
  EXPECT_EQ(document.DocumentElement().Attribute("mask"), GetParam().mask);
  EXPECT_EQ(document.DocumentElement().Attribute("kind"), GetParam().kind);
}

INSTANTIATE_TEST_SUITE_P(Table, DocumentationRequest, ::testing::ValuesIn(kDocumentationCases),
                         [](const auto& i) { return std::string(i.param.name); });

class DocumentationContent : public FunctionFixture {
 protected:
  DocumentationContent() {
    Context().SetSystemTag("TV-101");
    Context().Parameters().Clear();
  }

  void AddElement(const std::string& name, std::int32_t mode, std::int16_t sort_order) {
    auto element = std::make_shared<clsDataElement>();
    element->Name = name;
    element->ValueType = kVtText;
    element->ElementMode = mode;
    element->SortOrder = sort_order;
    element->Prompt = "prompt " + name;
    element->TransientValue = com::Variant("value " + name);
    element->SetValidity(true);
    Context().Parameters().Add(element);
  }

  // "nodeId name" per variable, in document order.
  static std::vector<std::string> Variables(const std::string& text) {
    std::vector<std::string> rows;
    const xml::Document document = xml::Document::Parse(text);
    for (const xml::Node& node : document.SelectNodes("/FDT/DocumentVariables/DocumentVariable")) {
      rows.push_back(node.Attribute("fdt:nodeId").value_or("-") + " " +
                     node.Attribute("fdt:name").value_or("-"));
    }
    return rows;
  }
};

TEST_F(DocumentationContent, SelectsByTheFunctionsMaskAndOrdersBySortNumber) {
  constexpr std::int32_t kOnline = 0x8000000;
  AddElement("A", kOnline | 0x10, 5);
  AddElement("B", kOnline, 3);
  AddElement("C", kOnline, 0);
  AddElement("D", 0x2000000, 4);
  AddElement("E", kOnline, 5);
  AddElement("F", kOnline, 7);
  AddElement("G", kOnline, -1);
  const std::string text = dtm_->IDtmDocumentation_GetDocumentation(CallXml(7));
  EXPECT_EQ(Variables(text), (std::vector<std::string>{"N3 prompt B", "N5 prompt A",
                                                       "N5.1 prompt E", "N7 prompt F",
                                                       "- prompt C", "- prompt G"}));
  const xml::Document document = xml::Document::Parse(text);
  EXPECT_EQ(document.DocumentElement().Attribute("systemTag"), "TV-101");
  EXPECT_EQ(document.DocumentElement().Attribute("name"),
            Context().DataModel()->IPrivateDataModel_DTMName());
  const xml::Node first = document.SelectSingleNode("/FDT/DocumentVariables/DocumentVariable");
  EXPECT_EQ(first.Attribute("fdt:display"), "value B");
  EXPECT_EQ(first.Attribute("fdt:statusFlag"), "ok");
}

TEST_F(DocumentationContent, AnArgumentInTheCallChoosesTheBit) {
  AddElement("Online", 0x8000000, 1);
  AddElement("Bit3", 0x80000, 2);
  EXPECT_EQ(Variables(dtm_->IDtmDocumentation_GetDocumentation(CallXml(7, "3"))),
            (std::vector<std::string>{"N2 prompt Bit3"}));
  EXPECT_EQ(Variables(dtm_->IDtmDocumentation_GetDocumentation(CallXml(501, "3"))),
            (std::vector<std::string>{}));
}

TEST_F(DocumentationContent, AnUnreadableCallGivesNoDocument) {
  EXPECT_EQ(dtm_->IDtmDocumentation_GetDocumentation("<FDT><FunctionCall functionId="), "");
}

// ---- Page requests -------------------------------------------------------------------

class GuiRequest : public FunctionFixture {
 protected:
  void Attach() {
    Context().SetSystemTag("TV-101");
    Context().SetContainer(container_);
    container_->ClearLog();
  }
  bool Request(GUIRequestCode code, const com::Variant& argument) {
    return Functions().IPrivateFunctions_OnGUIRequest(Context(), "", code, argument);
  }
};

TEST_F(GuiRequest, PrintAsksTheFrameToOpenTheFunction) {
  Attach();
  EXPECT_TRUE(Request(drcPrintRequest, com::Variant(13)));
  ASSERT_EQ(container_->Log().size(), 1u);
  EXPECT_EQ(container_->Log()[0].name, "OpenFunctionRequest");
  EXPECT_EQ(container_->Log()[0].arguments,
            (std::vector<std::string>{
                "TV-101",
                "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                "<FDT><FunctionCall functionId=\"13\"/></FDT>\n"}));
}

TEST_F(GuiRequest, PrintTakesTheArgumentAsAWholeNumber) {
  Attach();
  EXPECT_TRUE(Request(drcPrintRequest, com::Variant(2.5)));
  ASSERT_EQ(container_->Log().size(), 1u);
  runtime::FunctionCall call;
  ASSERT_TRUE(call.Parse(container_->Log()[0].arguments[1], Context()));
  EXPECT_EQ(call.FunctionID(), 2);
}

struct SaveCase {
  const char* name;
  bool frame_answer;
};
void PrintTo(const SaveCase& c, std::ostream* os) { *os << c.name; }

class GuiSaveRequest : public GuiRequest, public ::testing::WithParamInterface<SaveCase> {};

TEST_P(GuiSaveRequest, AnswersWhatTheFrameAnswers) {
  Attach();
  container_->SetSaveAnswer(GetParam().frame_answer);
  EXPECT_EQ(Request(drcSaveRequest, com::Variant()), GetParam().frame_answer);
  EXPECT_EQ(container_->LogLines(), (std::vector<std::string>{"SaveRequest(TV-101)"}));
}

INSTANTIATE_TEST_SUITE_P(Table, GuiSaveRequest,
                         ::testing::Values(SaveCase{"Saved", true}, SaveCase{"NotSaved", false}),
                         [](const auto& i) { return std::string(i.param.name); });

struct OtherCodeCase {
  const char* name;
  std::int32_t code;
};
void PrintTo(const OtherCodeCase& c, std::ostream* os) { *os << c.name; }

class GuiOtherRequest : public GuiRequest, public ::testing::WithParamInterface<OtherCodeCase> {};

TEST_P(GuiOtherRequest, AnswersFalseAndTellsTheFrameNothing) {
  Attach();
  EXPECT_FALSE(Request(static_cast<GUIRequestCode>(GetParam().code), com::Variant(13)));
  EXPECT_TRUE(container_->Log().empty());
}

INSTANTIATE_TEST_SUITE_P(Table, GuiOtherRequest,
                         ::testing::Values(OtherCodeCase{"NoRequest", 0},
                                           OtherCodeCase{"UnknownCode", 3}),
                         [](const auto& i) { return std::string(i.param.name); });

TEST_F(GuiRequest, WithoutTheFramesContainerNothingIsAsked) {
  Context().SetSystemTag("TV-101");
  EXPECT_FALSE(Request(drcPrintRequest, com::Variant(13)));
  EXPECT_FALSE(Request(drcSaveRequest, com::Variant()));
  EXPECT_TRUE(container_->Log().empty());
}

// ---- Function requests ---------------------------------------------------------------

TEST_F(FunctionFixture, FunctionRequestsAreNeverCarriedOut) {
  EXPECT_FALSE(dtm_->IDtm_InvokeFunctionRequest("invoke-1", CallXml(7)));
  EXPECT_FALSE(dtm_->IDtm_InvokeFunctionRequest("invoke-2", CallXml(13, "3")));
  EXPECT_FALSE(dtm_->IDtm_InvokeFunctionRequest("invoke-3", "<FDT><FunctionCall"));
  EXPECT_TRUE(container_->Log().empty());
}

}  // namespace
}  // namespace dtm::testing
