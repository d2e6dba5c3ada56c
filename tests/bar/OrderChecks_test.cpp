#include "bar/OrderChecks.h"

#include <gtest/gtest.h>

namespace kovra {
namespace {

TFocusSample Focus(std::uintptr_t control, std::string text, bool onClient = true) {
  return {control, onClient, std::move(text)};
}

TEST(PageSwitched, TheFocusMovingToAnotherControlOfTheClientCounts) {
  const TFocusSample before = Focus(1, "600000");
  EXPECT_TRUE(PageSwitched(before, Focus(2, ""), 0));
  EXPECT_TRUE(PageSwitched(before, Focus(2, "600000"), 0));  // a client that keeps the code
  EXPECT_TRUE(PageSwitched(Focus(0, ""), Focus(2, ""), 0));  // from no focus at all
}

TEST(PageSwitched, TheSameFieldCountsOnlyOnceCleared) {
  const TFocusSample before = Focus(1, "600000");
  EXPECT_FALSE(PageSwitched(before, Focus(1, "600000"), 5000));  // the page being left
  EXPECT_FALSE(PageSwitched(before, Focus(1, "6000001"), 5000));
  EXPECT_TRUE(PageSwitched(before, Focus(1, ""), 0));
  EXPECT_TRUE(PageSwitched(before, Focus(1, " "), 0));
}

TEST(PageSwitched, AFieldEmptyBeforeTheKeyIsTakenAfterTheTimeTheKeyAlwaysHad) {
  const TFocusSample before = Focus(1, "");
  EXPECT_FALSE(PageSwitched(before, Focus(1, ""), kUnobservableSwitchMs - 1));
  EXPECT_TRUE(PageSwitched(before, Focus(1, ""), kUnobservableSwitchMs));
  EXPECT_FALSE(PageSwitched(before, Focus(1, "6"), kUnobservableSwitchMs));
}

TEST(PageSwitched, NothingCountsWhileTheFocusIsNotOnTheClient) {
  EXPECT_FALSE(PageSwitched(Focus(1, "600000"), Focus(2, "", false), 5000));
  EXPECT_FALSE(PageSwitched(Focus(1, "600000"), Focus(0, ""), 5000));
}

TFigureReading Reading(std::optional<std::string> price, std::optional<std::string> figure) {
  return {std::move(price), std::move(figure)};
}

TEST(FreshFigures, TakesFiguresOnceShownAndSettled) {
  TFreshFigures fresh;
  EXPECT_FALSE(fresh.Update(Reading("", ""), 0));
  EXPECT_FALSE(fresh.Update(Reading("10.00", ""), 5));  // the figure is not there yet
  EXPECT_FALSE(fresh.Update(Reading("10.00", "100000"), 10));
  EXPECT_FALSE(fresh.Update(Reading("10.00", "100000"), 10 + kStableMs - 1));
  EXPECT_TRUE(fresh.Update(Reading("10.00", "100000"), 10 + kStableMs));
  EXPECT_EQ(fresh.Last().Price, "10.00");
  EXPECT_EQ(fresh.Last().Figure, "100000");
}

TEST(FreshFigures, AChangeStartsTheSettlingAgain) {
  TFreshFigures fresh;
  EXPECT_FALSE(fresh.Update(Reading("10.00", "100000"), 0));
  EXPECT_FALSE(fresh.Update(Reading("10.01", "100000"), kStableMs));
  EXPECT_FALSE(fresh.Update(Reading("10.01", "100000"), 2 * kStableMs - 1));
  EXPECT_TRUE(fresh.Update(Reading("10.01", "100000"), 2 * kStableMs));
  EXPECT_EQ(fresh.Last().Price, "10.01");
  // Blank again: the page took them back.
  EXPECT_FALSE(fresh.Update(Reading("", "100000"), 3 * kStableMs));
  EXPECT_FALSE(fresh.Update(Reading("10.01", "100000"), 4 * kStableMs));
}

TEST(FreshFigures, APositionThePageLacksIsNotWaitedFor) {
  TFreshFigures fresh;
  EXPECT_FALSE(fresh.Update(Reading("10.00", std::nullopt), 0));
  EXPECT_TRUE(fresh.Update(Reading("10.00", std::nullopt), kStableMs));
  EXPECT_FALSE(fresh.Last().Figure);
}

TEST(OrderOutcome, RefusedAndFailedCarryTheirReasonAndStep) {
  TOrderOutcome outcome;
  Refuse(outcome, OutcomeReason::ZeroQuantity);
  EXPECT_EQ(outcome.Kind, OutcomeKind::Refused);
  EXPECT_EQ(ReasonText(outcome.Reason), "数量为0");
  EXPECT_FALSE(outcome.Pressed());
  Fail(outcome, "write", OutcomeReason::ClientHung);
  EXPECT_EQ(outcome.Kind, OutcomeKind::Failed);
  EXPECT_EQ(outcome.FailedStep, "write");
  EXPECT_EQ(ReasonText(OutcomeReason::Unexpected), "意外错误");
  EXPECT_EQ(OutcomeText(OutcomeKind::Rehearsed), "演练");
}

}  // namespace
}  // namespace kovra
