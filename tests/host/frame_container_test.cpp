#include "host/frame/frame_container.h"

#include <gtest/gtest.h>

namespace dtm::frame {
namespace {

using Lines = std::vector<std::string>;

class FrameContainerNotices : public ::testing::Test {
 protected:
  std::shared_ptr<FrameContainerStandIn> container_ = std::make_shared<FrameContainerStandIn>();
};

TEST_F(FrameContainerNotices, AreLoggedInOrderWithTheirArguments) {
  EXPECT_TRUE(container_->UploadFinished("u1", true));
  EXPECT_TRUE(container_->DownloadFinished("d1", false));
  EXPECT_TRUE(container_->OpenFunctionRequest("TV-101", "<FDT/>"));
  EXPECT_TRUE(container_->CommunicationReleased("TV-101"));
  EXPECT_TRUE(container_->PreparedToRelease("TV-101"));
  EXPECT_EQ(container_->LogLines(),
            (Lines{"UploadFinished(u1, true)", "DownloadFinished(d1, false)",
                   "OpenFunctionRequest(TV-101, <FDT/>)", "CommunicationReleased(TV-101)",
                   "PreparedToRelease(TV-101)"}));
  EXPECT_EQ(container_->Log()[1],
            (FrameContainerStandIn::Notice{"DownloadFinished", {"d1", "false"}}));
  container_->ClearLog();
  EXPECT_TRUE(container_->Log().empty());
}

TEST_F(FrameContainerNotices, SaveRequestRunsTheCallbackAfterLoggingAndAnswersAsSet) {
  std::vector<std::string> saved;
  container_->SetSaveCallback([&](const std::string& tag) {
    saved.push_back(tag);
    // The request is in the log before the frame acts on it.
    EXPECT_EQ(container_->LogLines().back(), "SaveRequest(" + tag + ")");
  });
  EXPECT_TRUE(container_->SaveRequest("TV-101"));
  container_->SetSaveAnswer(false);
  EXPECT_FALSE(container_->SaveRequest("TV-102"));
  EXPECT_EQ(saved, (Lines{"TV-101", "TV-102"}));
  EXPECT_EQ(container_->LogLines(), (Lines{"SaveRequest(TV-101)", "SaveRequest(TV-102)"}));
}

TEST_F(FrameContainerNotices, OfferBothFramesFacesToTheDTM) {
  const std::shared_ptr<FrameContainer> as_container = container_;
  EXPECT_NE(std::dynamic_pointer_cast<FrameStorage>(as_container), nullptr);
}

}  // namespace
}  // namespace dtm::frame
