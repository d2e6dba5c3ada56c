// QuoteSim: its title as another program sets it, and as its own second instance sets it.
#include <gtest/gtest.h>

#include "support/Sim.h"
#include "support/Wait.h"

namespace kovra::test {
namespace {

TEST(QuoteSim, ShowsTheGivenTitleAndTakesAnyNewOne) {
  QuoteSim quote("大智慧 - [600000]");
  EXPECT_EQ(quote.Title(), "大智慧 - [600000]");
  std::string longTitle = "[" + std::string(4093, 'x') + "]";
  quote.SetTitle(longTitle);
  EXPECT_EQ(quote.Title(), longTitle);
  quote.SetTitle("]][[ 大智慧 [");
  EXPECT_EQ(quote.Title(), "]][[ 大智慧 [");
  PostMessageW(quote.MainWindow(), WM_CLOSE, 0, 0);
  EXPECT_EQ(quote.Process().WaitExit(), 0);
}

TEST(QuoteSim, TakesTheLongestTitleFromItsCommandLine) {
  std::string title = "[";
  for (int i = 0; i < 4093; ++i) title += "股";
  QuoteSim quote(title + "]");
  EXPECT_EQ(quote.Title(), title + "]");
}

TEST(QuoteSim, ASecondInstanceSetsTheRunningOnesTitleAndExits) {
  QuoteSim quote;
  TestProcess setter(SimPath(L"QuoteSim.exe"), {L"--set-title", L"大智慧 - [000001 平安]"});
  EXPECT_EQ(setter.WaitExit(), 0);
  EXPECT_EQ(quote.Title(), "大智慧 - [000001 平安]");
  EXPECT_TRUE(quote.Process().Running());
  quote.Process().Kill();
  // The server takes the windows of an ended process down a moment after the process.
  ASSERT_TRUE(WaitUntil([] { return FindWindowW(L"KovraQuoteSim", nullptr) == nullptr; }));
  TestProcess lonely(SimPath(L"QuoteSim.exe"), {L"--set-title", L"x"});
  EXPECT_EQ(lonely.WaitExit(), 1);
}

}  // namespace
}  // namespace kovra::test
