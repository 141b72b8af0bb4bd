// The collection's state flag marks the changes a decoded response makes:
// it is set while the data model reads a response and comes back as it was
// afterwards, also when the reading fails.

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/frame/channel.h"
#include "platform/com/error.h"
#include "platform/runtime/comm.h"
#include "platform/runtime/hart_frame.h"
#include "platform/runtime/hart_transaction.h"
#include "platform/runtime/process_man.h"
#include "tests/platform/runtime/fakes.h"

namespace dtm::runtime {
namespace {

// One upload element "A" (command 1) on a connected channel whose device
// echoes each request. The model notes the flag when it builds and when it
// reads; a read may be made to fail.
class DecodeStateFlag : public fakes::RuntimeFixture {
 protected:
  DecodeStateFlag() {
    comm().SetSupportedIdentity(165, 70);
    comm().SetCommunication(channel_);
    comm().Attach();
    channel_->SetTransactionHandler([](const std::string& document) {
      HartRequest request;
      EXPECT_TRUE(ParseTransactionRequestXml(document, request)) << document;
      HartResponse response;
      response.command = request.command;
      response.response_code = 0;
      response.data = request.data;
      return std::optional<std::string>(BuildTransactionResponseXml(response));
    });
    model_->on_build = [this](DTMContext& context, HartTransaction& transaction, bool,
                              const DataElementPtr&) {
      flag_at_build_ = context.Parameters().StateFlag();
      transaction.Command = com::Variant(std::int16_t{1});
      return true;
    };
    model_->on_read = [this](DTMContext& context, HartTransaction&, bool,
                             const DataElementPtr&) {
      flag_at_read_ = context.Parameters().StateFlag();
      if (fail_read_) throw com::ComError(1234, "decoding failed", "Model");
      return true;
    };
    auto element = fakes::MakeElement("A");
    element->upload = true;
    context_->Parameters().Add(element);
  }

  CommMan& comm() { return context_->CommMan(); }

  void ConnectAndUpload() {
    ASSERT_TRUE(comm().Connect("c1"));
    loop_.RunUntilIdle();
    ASSERT_TRUE(comm().IsConnected());
    ASSERT_TRUE(context_->ProcessMan().StartProcess("u1", "", false, 0, true, true, sink_));
  }

  std::shared_ptr<frame::ChannelStandIn> channel_ = std::make_shared<frame::ChannelStandIn>(loop_);
  std::shared_ptr<fakes::FakeProcessSink> sink_ =
      std::make_shared<fakes::FakeProcessSink>("sink", log_);
  std::int32_t flag_at_build_ = -1;
  std::int32_t flag_at_read_ = -1;
  bool fail_read_ = false;
};

struct FlagCase {
  const char* name;
  std::int32_t before;  // the flag when the transfer starts
};

const FlagCase kFlagCases[] = {{"Clear", 0}, {"AlreadySet", 1}, {"OtherValue", 7}};

class DecodeStateFlagTable : public DecodeStateFlag,
                             public ::testing::WithParamInterface<FlagCase> {};

TEST_P(DecodeStateFlagTable, SetWhileReadingOnlyAndRestoredAfter) {
  context_->Parameters().SetStateFlag(GetParam().before);
  ConnectAndUpload();
  loop_.RunUntilIdle();
  EXPECT_EQ(flag_at_build_, GetParam().before);
  EXPECT_EQ(flag_at_read_, 1);
  EXPECT_EQ(context_->Parameters().StateFlag(), GetParam().before);
}

TEST_P(DecodeStateFlagTable, RestoredWhenTheReadFails) {
  context_->Parameters().SetStateFlag(GetParam().before);
  fail_read_ = true;
  ConnectAndUpload();
  // The failed read ends its transaction; the error stays in the manager.
  EXPECT_NO_THROW(loop_.RunUntilIdle());
  EXPECT_EQ(log_.back(), "sink.Finished(u1,False)");
  EXPECT_EQ(flag_at_read_, 1);
  EXPECT_EQ(context_->Parameters().StateFlag(), GetParam().before);
}

INSTANTIATE_TEST_SUITE_P(Table, DecodeStateFlagTable, ::testing::ValuesIn(kFlagCases),
                         [](const auto& i) { return std::string(i.param.name); });

}  // namespace
}  // namespace dtm::runtime
