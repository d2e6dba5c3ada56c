// The order record's lines and the balloon's texts, from an action's outcome.
#include <gtest/gtest.h>

#include "bar/OrderNoticeLogic.h"
#include "bar/OrderRecordLogic.h"
#include "framework/runtime/Text.h"

namespace kovra {
namespace {

TOrderOutcome PlacedBuy() {
  TOrderOutcome outcome;
  outcome.Request = {OrderAction::Buy, 6, "600000", false};
  outcome.Kind = OutcomeKind::Placed;
  outcome.PriceText = "10.30";
  outcome.QuantityText = "4800";
  outcome.TotalMs = 412;
  return outcome;
}

constexpr TRecordTime kMorning{2026, 12, 7, 9, 31, 5, 123};

TEST(OrderRecordLogic, TimeHasMillisecondsAndFixedWidths) {
  EXPECT_EQ(RecordTimeText(kMorning), "2026-12-07 09:31:05.123");
  EXPECT_EQ(RecordTimeText({2027, 1, 2, 0, 0, 0, 7}), "2027-01-02 00:00:00.007");
}

TEST(OrderRecordLogic, FieldsAreQuotedOnlyWhenCsvNeedsIt) {
  EXPECT_EQ(CsvField("10.30"), "10.30");
  EXPECT_EQ(CsvField("资金不足"), "资金不足");
  EXPECT_EQ(CsvField(""), "");
  EXPECT_EQ(CsvField("a,b"), "\"a,b\"");
  EXPECT_EQ(CsvField("say \"yes\""), "\"say \"\"yes\"\"\"");
  EXPECT_EQ(CsvField("line\r\nnext"), "\"line\r\nnext\"");
  EXPECT_EQ(CsvField("lf\nonly"), "\"lf\nonly\"");
}

TEST(OrderRecordLogic, HeaderNamesTheTenColumnsInOrder) {
  EXPECT_EQ(RecordHeaderLine(), "时间,动作,选择,代码,价格,数量,结果,原因,回报,耗时毫秒\r\n");
  EXPECT_EQ(kRecordBom, "\xEF\xBB\xBF");
}

TEST(OrderRecordLogic, LineCarriesEveryColumnOfTheOutcome) {
  EXPECT_EQ(RecordLine(PlacedBuy(), kMorning),
            "2026-12-07 09:31:05.123,买,6,600000,10.30,4800,已下单,,,412\r\n");

  TOrderOutcome refused;
  refused.Request = {OrderAction::Sell, 2, "000001", false};
  refused.Kind = OutcomeKind::Refused;
  refused.Reason = OutcomeReason::NoPrice;
  refused.TotalMs = 3004;
  EXPECT_EQ(RecordLine(refused, kMorning),
            "2026-12-07 09:31:05.123,卖,2,000001,,,未下单,无价格,,3004\r\n");

  TOrderOutcome cancel;
  cancel.Request = {OrderAction::Cancel, 0, "", false};
  cancel.Kind = OutcomeKind::Placed;
  EXPECT_EQ(RecordLine(cancel, kMorning), "2026-12-07 09:31:05.123,撤单,,,,,已下单,,,0\r\n");
}

TEST(OrderRecordLogic, ReplyWithCommasAndLinesStaysOneField) {
  TOrderOutcome outcome = PlacedBuy();
  outcome.Reply = "委托已提交，合同编号：12,345\r\n\"请核对\"";
  EXPECT_EQ(RecordLine(outcome, kMorning),
            "2026-12-07 09:31:05.123,买,6,600000,10.30,4800,已下单,,"
            "\"委托已提交，合同编号：12,345\r\n\"\"请核对\"\"\",412\r\n");
}

TEST(OrderRecordLogic, PendingLinesKeepOrderAndDropTheOldestWhenFull) {
  TPendingLines pending(3);
  EXPECT_TRUE(pending.Empty());
  for (const char* line : {"a\r\n", "b\r\n", "c\r\n"}) pending.Push(line);
  EXPECT_EQ(pending.Joined(), "a\r\nb\r\nc\r\n");
  EXPECT_EQ(pending.Dropped(), 0u);
  pending.Push("d\r\n");
  EXPECT_EQ(pending.Size(), 3u);
  EXPECT_EQ(pending.Joined(), "b\r\nc\r\nd\r\n");
  EXPECT_EQ(pending.Dropped(), 1u);
  pending.Clear();
  EXPECT_TRUE(pending.Empty());
}

TEST(OrderNoticeLogic, PlacedAndRehearsedSayWhatWasWritten) {
  TOrderNotice notice = NoticeFor(PlacedBuy());
  EXPECT_EQ(notice.Title, "已下单");
  EXPECT_EQ(notice.Text, "买 600000 10.30 × 4800");

  TOrderOutcome rehearsed = PlacedBuy();
  rehearsed.Kind = OutcomeKind::Rehearsed;
  rehearsed.Request.Action = OrderAction::MarginBuy;
  notice = NoticeFor(rehearsed);
  EXPECT_EQ(notice.Title, "演练");
  EXPECT_EQ(notice.Text, "融买 600000 10.30 × 4800");
}

TEST(OrderNoticeLogic, RefusalsAndFailuresGiveTheReasonAndAReplyFollows) {
  TOrderOutcome refused;
  refused.Request = {OrderAction::Buy, 6, "600000", false};
  refused.Kind = OutcomeKind::Refused;
  refused.Reason = OutcomeReason::NoClient;
  EXPECT_EQ(NoticeFor(refused).Title, "未下单");
  EXPECT_EQ(NoticeFor(refused).Text, "买 600000\n未找到交易软件");

  TOrderOutcome failed = refused;
  failed.Kind = OutcomeKind::Failed;
  failed.Reason = OutcomeReason::None;
  EXPECT_EQ(NoticeFor(failed).Title, "未下单");
  EXPECT_EQ(NoticeFor(failed).Text, "买 600000\n失败");

  TOrderOutcome replied = PlacedBuy();
  replied.Reply = "资金不足";
  EXPECT_EQ(NoticeFor(replied).Text, "买 600000 10.30 × 4800\n资金不足");
}

TEST(OrderNoticeLogic, LongTextIsCutToTheShellsLimitOnACharacter) {
  TOrderOutcome outcome = PlacedBuy();
  outcome.Reply = std::string(300 * 3, 'x');
  EXPECT_EQ(Utf8ToUtf16(NoticeFor(outcome).Text).size(), kNoticeTextLimit);
  EXPECT_EQ(CutUtf16("中文字", 2), "中文");
  EXPECT_EQ(CutUtf16("a\xF0\x9F\x98\x80", 2), "a");  // the pair is not split
  EXPECT_EQ(CutUtf16("short", 255), "short");
}

}  // namespace
}  // namespace kovra
