#include "app/StockCode.h"

#include <gtest/gtest.h>

#include <map>
#include <stdexcept>
#include <vector>

namespace kovra {
namespace {

class WatchTitleTest : public testing::Test {
 protected:
  std::optional<TCodeChange> Watch(std::string_view title) {
    auto change = WatchTitle(title, last_, [this](const std::string& key) {
      lookups_.push_back(key);
      const auto it = table_.find(key);
      return it == table_.end() ? std::string() : it->second;
    });
    if (change) last_ = change->TitleCode;
    return change;
  }

  std::map<std::string, std::string> table_{
      {"600000", "600000"}, {"浦发银行", " 600000 浦发 "}, {"指数", "上证指数"}};
  std::vector<std::string> lookups_;
  std::string last_;
};

TEST_F(WatchTitleTest, ANewKeyIsLookedUpShownAndTrimmedIntoTheCode) {
  auto change = Watch("大智慧[浦发银行]");
  ASSERT_TRUE(change);
  EXPECT_EQ(change->TitleCode, "浦发银行");
  EXPECT_EQ(change->Display, " 600000 浦发 ");
  EXPECT_EQ(change->CurrentCode, "600000 浦发");
  EXPECT_EQ(lookups_, std::vector<std::string>{"浦发银行"});
}

TEST_F(WatchTitleTest, AnUnchangedKeyDoesNotConsultTheTable) {
  ASSERT_TRUE(Watch("行情 [600000]"));
  EXPECT_FALSE(Watch("行情 [600000]"));
  EXPECT_FALSE(Watch("other text [600000] more"));
  EXPECT_EQ(lookups_.size(), 1u);
}

TEST_F(WatchTitleTest, AKeyMissingFromTheTableIsShownButLeavesNoCode) {
  auto change = Watch("[000001]");
  ASSERT_TRUE(change);
  EXPECT_EQ(change->Display, "000001");
  EXPECT_EQ(change->CurrentCode, "");
}

TEST_F(WatchTitleTest, BracketlessTitlesChangeNothingUntilAKeyHasBeenSeen) {
  EXPECT_FALSE(Watch("大智慧"));
  EXPECT_FALSE(Watch("x]y[600000]"));
  ASSERT_TRUE(Watch("[600000]"));
  auto cleared = Watch("[600000");
  ASSERT_TRUE(cleared);
  EXPECT_EQ(cleared->TitleCode, "");
  EXPECT_EQ(cleared->Display, "");
  EXPECT_EQ(cleared->CurrentCode, "");
  EXPECT_EQ(lookups_, std::vector<std::string>{"600000"});
}

TEST_F(WatchTitleTest, AFailedLookupLeavesTheKeyUnseenForTheNextTick) {
  const CodeLookup failing = [](const std::string&) -> std::string {
    throw std::runtime_error("table unreadable");
  };
  EXPECT_THROW(WatchTitle("[600000]", last_, failing), std::runtime_error);
  EXPECT_TRUE(Watch("[600000]"));
}

}  // namespace
}  // namespace kovra
