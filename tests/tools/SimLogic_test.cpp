// The simulators' platform-free parts: option parsing, the journal's line format, page tables.
#include <gtest/gtest.h>

#include "JournalFormat.h"
#include "PageLayout.h"
#include "SimOptions.h"

namespace kovra::sim {
namespace {

TEST(TradeOptionsParsing, TakesFiguresAsLiteralTextsIncludingEmptyOnes) {
  TradeOptions o;
  std::string error;
  ASSERT_TRUE(ParseTradeOptions({"--funds", "100,000.00", "--buyable=", "--sellable", "abc",
                                 "--price", "9.5", "--sell-price=10.30"},
                                o, error))
      << error;
  EXPECT_EQ(o.funds, "100,000.00");
  EXPECT_EQ(o.buyable, "");
  EXPECT_EQ(o.sellable, "abc");
  EXPECT_EQ(o.PriceFor(PageKind::kBuy), "9.5");
  EXPECT_EQ(o.PriceFor(PageKind::kSell), "10.30");
}

TEST(TradeOptionsParsing, ReadsFaultModes) {
  TradeOptions o;
  std::string error;
  ASSERT_TRUE(ParseTradeOptions({"--hang", "700", "--hang-on", "settext", "--exit-on", "click",
                                 "--confirm", "--short-page", "5", "--ready-delay", "0"},
                                o, error))
      << error;
  EXPECT_EQ(o.hangMs, 700);
  EXPECT_EQ(o.hangOn, SimEvent::kSetText);
  EXPECT_EQ(o.exitOn, SimEvent::kClick);
  EXPECT_EQ(o.confirm, ConfirmMode::kAfter);
  EXPECT_EQ(o.shortPage, 5);
  EXPECT_EQ(o.readyDelayMs, 0);
  EXPECT_FALSE(o.reply);
}

TEST(TradeOptionsParsing, ReplyTakesAnyText) {
  TradeOptions o;
  std::string error;
  ASSERT_TRUE(ParseTradeOptions({"--reply", "委托已提交，合同编号：123, \"A\""}, o, error))
      << error;
  EXPECT_EQ(o.reply, "委托已提交，合同编号：123, \"A\"");
}

TEST(TradeOptionsParsing, ReadsTheReadinessOptionsAndPricesPerCode) {
  TradeOptions o;
  std::string error;
  ASSERT_TRUE(ParseTradeOptions({"--switch-delay", "800", "--stale", "--ignore-settext", "--prices",
                                 "600000=10.00,000001=20.50", "--sell-price", "9"},
                                o, error))
      << error;
  EXPECT_EQ(o.switchDelayMs, 800);
  EXPECT_TRUE(o.stale);
  EXPECT_TRUE(o.ignoreSetText);
  EXPECT_EQ(o.PriceFor(PageKind::kBuy, "600000"), "10.00");
  EXPECT_EQ(o.PriceFor(PageKind::kSell, "000001"), "20.50");  // the code's price comes first
  EXPECT_EQ(o.PriceFor(PageKind::kSell, "600001"), "9");
  EXPECT_EQ(o.PriceFor(PageKind::kBuy, "600001"), "10.00");
  for (const char* bad : {"600000", "=1", "600000=1,,", "600000=1,x"}) {
    TradeOptions rejected;
    EXPECT_FALSE(ParseTradeOptions({"--prices", bad}, rejected, error)) << bad;
  }
  TradeOptions defaults;
  EXPECT_EQ(defaults.switchDelayMs, 0);
  EXPECT_FALSE(defaults.stale || defaults.ignoreSetText);
}

TEST(TradeOptionsParsing, RejectsWhatItCannotHonour) {
  const std::vector<std::vector<std::string>> bad = {
      {"--fund", "1"},                      // unknown
      {"--funds"},                          // value missing
      {"--confirm=yes"},                    // flag with a value
      {"--ready-delay", "-1"},              // out of range
      {"--ready-delay", "12x"},             // not a number
      {"--switch-delay", "600001"},         // out of range
      {"--stale=1"},                        // flag with a value
      {"--short-page", "0"},                // a page keeps at least its first control
      {"--hang", "500"},                    // without --hang-on
      {"--hang-on", "key"},                 // without --hang
      {"--exit-on", "never"},               // unknown event
      {"--title", std::string(5000, 'x')},  // unbounded text
  };
  for (const auto& args : bad) {
    TradeOptions o;
    std::string error;
    EXPECT_FALSE(ParseTradeOptions(args, o, error)) << args.front();
    EXPECT_FALSE(error.empty());
  }
}

TEST(QuoteOptionsParsing, TitlesMayBeAnyTextOfUpTo4095Characters) {
  QuoteOptions o;
  std::string error;
  ASSERT_TRUE(ParseQuoteOptions({"--set-title", "]] [--x"}, o, error)) << error;
  EXPECT_EQ(o.setTitle, "]] [--x");
  std::string longest;
  for (int i = 0; i < 4095; ++i) longest += "股";
  ASSERT_TRUE(ParseQuoteOptions({"--title", longest}, o, error)) << error;
  EXPECT_EQ(o.title, longest);
  EXPECT_FALSE(ParseQuoteOptions({"--title", longest + "x"}, o, error));
  EXPECT_FALSE(ParseQuoteOptions({"--bogus"}, o, error));
}

TEST(JournalFormat, FieldsWithSeparatorsSurviveTheRoundTrip) {
  std::vector<std::string> fields = {"buy", "a\tb", "line\nbreak\r", "back\\slash\\t", "", "中文"};
  std::string line = FormatJournalLine("ORDER", fields, 1234);
  EXPECT_EQ(line.find('\n'), line.size() - 1);
  JournalEntry entry = ParseJournalLine(line);
  EXPECT_EQ(entry.event, "ORDER");
  EXPECT_EQ(entry.fields, fields);
  EXPECT_EQ(entry.ms, 1234);
}

TEST(JournalFormat, OnlyCompleteLinesCount) {
  auto entries = ParseJournal("START\t42\t0\nKEY\tF1\tbuy\t12\nORDER\tbuy\t6000");
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[1].fields, (std::vector<std::string>{"F1", "buy"}));
  EXPECT_EQ(ParseJournalLine("ODD").ms, -1);
  EXPECT_EQ(ParseJournalLine("ODD\tx").fields, std::vector<std::string>{"x"});
}

TEST(PageTables, KeepThePositionsCallersRelyOn) {
  struct Expect {
    PageKind kind;
    int figure, price, quantity, button;
  };
  for (Expect e : {Expect{PageKind::kBuy, 18, 3, 7, 10}, Expect{PageKind::kMargin, 19, 2, 3, 5},
                   Expect{PageKind::kSell, 17, 3, 7, 9}}) {
    const PageTable& page = PageFor(e.kind);
    EXPECT_EQ(PositionOf(page, ControlRole::kFigure), e.figure) << page.name;
    EXPECT_EQ(PositionOf(page, ControlRole::kPrice), e.price) << page.name;
    EXPECT_EQ(PositionOf(page, ControlRole::kQuantity), e.quantity) << page.name;
    EXPECT_EQ(PositionOf(page, ControlRole::kOrderButton), e.button) << page.name;
    EXPECT_EQ(ParentPosition(page, PositionOf(page, ControlRole::kCode)), -1) << page.name;
  }
  const PageTable& cancel = PageFor(PageKind::kCancel);
  EXPECT_EQ(cancel.controls[12].role, ControlRole::kCancelButton);
  EXPECT_EQ(cancel.controls[9].role, ControlRole::kCancelButton);
  EXPECT_EQ(ParentPosition(cancel, PositionOf(cancel, ControlRole::kOrderList)), -1);
}

TEST(PageTables, NestingIsWellFormed) {
  for (const PageTable& page : AllPages()) {
    EXPECT_EQ(PageForKey(page.key), &page);
    for (size_t i = 0; i < page.controls.size(); ++i) {
      int parent = ParentPosition(page, static_cast<int>(i));
      if (page.controls[i].depth == 0) {
        EXPECT_EQ(parent, -1);
      } else {
        ASSERT_GE(parent, 0) << page.name << " " << i;
        EXPECT_EQ(page.controls[parent].kind, ControlKind::kPanel) << page.name << " " << i;
        EXPECT_EQ(page.controls[parent].depth, page.controls[i].depth - 1);
      }
    }
  }
}

}  // namespace
}  // namespace kovra::sim
