#include "bar/OrderSizing.h"

#include <gtest/gtest.h>

#include <array>
#include <limits>

namespace kovra {
namespace {

struct Expected {
  const char* quantity;
  bool press;
};

class OrderSizingTest : public testing::Test {
 protected:
  TOrderFill Size(OrderKind kind, int choice, std::string_view figure, std::string_view price) {
    auto fill = SizeOrder(kind, choice, figure, price, settings_);
    EXPECT_TRUE(fill) << "choice " << choice;
    return fill.value_or(TOrderFill{});
  }

  void ExpectQuantity(OrderKind kind, int choice, std::string_view figure, std::string_view price,
                      const char* quantity) {
    const TOrderFill fill = Size(kind, choice, figure, price);
    EXPECT_EQ(fill.QuantityText, quantity) << "choice " << choice << ", figure " << figure;
    EXPECT_TRUE(fill.Press) << "choice " << choice << ", figure " << figure;
  }

  void ExpectNoOrder(OrderKind kind, int choice, std::string_view figure, std::string_view price,
                     const char* priceText) {
    const TOrderFill fill = Size(kind, choice, figure, price);
    EXPECT_EQ(fill.PriceText, priceText) << "choice " << choice << ", price " << price;
    EXPECT_EQ(fill.QuantityText, "0") << "choice " << choice << ", price " << price;
    EXPECT_FALSE(fill.Press) << "choice " << choice << ", price " << price;
  }

  TSizingSettings settings_{3.0, 5, 2000, true};
};

TEST_F(OrderSizingTest, WorkedExampleOfTheThreeKinds) {
  const std::array<const char*, 5> buy{"9700", "4800", "3200", "2400", "1900"};
  const std::array<const char*, 5> margin{"9400", "4700", "3100", "2300", "1800"};
  const std::array<const char*, 5> sell{"2350", "1100", "700", "500", "400"};
  for (int choice = 1; choice <= 5; ++choice) {
    ExpectQuantity(OrderKind::Buy, choice, "100000", "10.00", buy[choice - 1]);
    ExpectQuantity(OrderKind::MarginBuy, choice, "9700", "10.00", margin[choice - 1]);
    ExpectQuantity(OrderKind::Sell, choice, "2350", "10.30", sell[choice - 1]);
  }
  EXPECT_EQ(Size(OrderKind::Buy, 1, "100000", "10.00").PriceText, "10.30");
  EXPECT_EQ(Size(OrderKind::MarginBuy, 1, "9700", "10.00").PriceText, "10.30");
  EXPECT_EQ(Size(OrderKind::Sell, 1, "2350", "10.30").PriceText, "10.00");

  ExpectQuantity(OrderKind::Buy, 6, "100000", "10.00", "4800");
  ExpectQuantity(OrderKind::MarginBuy, 6, "9700", "10.00", "4800");
  ExpectQuantity(OrderKind::Sell, 6, "2350", "10.30", "2000");
  settings_.ByAmount = false;
  ExpectQuantity(OrderKind::Buy, 6, "100000", "10.00", "2000");
  ExpectQuantity(OrderKind::MarginBuy, 6, "9700", "10.00", "2000");
}

TEST_F(OrderSizingTest, BuysRoundDownToWholeLots) {
  ExpectQuantity(OrderKind::Buy, 1, "10350", "10.00", "1000");  // ten lots and change
  settings_.ByAmount = false;
  ExpectQuantity(OrderKind::Buy, 6, "0", "10.00", "2000");  // by shares ignores the funds
}

TEST_F(OrderSizingTest, ByAmountUsesTheFullRangeOfTheSetting) {
  settings_.BuyAmount = 300000;  // 30 亿: more than a 32-bit product holds
  ExpectQuantity(OrderKind::Buy, 6, "0", "1000.00", "2912600");
  settings_.BuyAmount = INT32_MAX;
  ExpectQuantity(OrderKind::MarginBuy, 6, "0", "10.00", "2084935579600");
}

// Less than a lot, or nothing held: 0 is written and nothing is pressed.
TEST_F(OrderSizingTest, NothingToOrderPressesNothing) {
  ExpectNoOrder(OrderKind::Buy, 1, "1000", "10.00", "10.30");
  ExpectNoOrder(OrderKind::Buy, 1, "abc", "10.00", "10.30");
  ExpectNoOrder(OrderKind::Buy, 1, "100,000.00", "10.00", "10.30");  // separators are not numbers
  ExpectNoOrder(OrderKind::MarginBuy, 2, "0", "10.00", "10.30");
  ExpectNoOrder(OrderKind::Sell, 1, "0", "10.30", "10.00");
  ExpectNoOrder(OrderKind::Sell, 6, "", "10.30", "10.00");
  settings_.ByAmount = false;
  settings_.TradeShares = 0;
  ExpectNoOrder(OrderKind::Buy, 6, "100000", "10.00", "10.30");
}

TEST_F(OrderSizingTest, SellFixedSizeIsCappedByWhatIsHeld) {
  ExpectQuantity(OrderKind::Sell, 6, "1500", "10.30", "1500");
  ExpectQuantity(OrderKind::Sell, 6, "2000", "10.30", "2000");
  ExpectQuantity(OrderKind::Sell, 6, "2001", "10.30", "2000");
  ExpectQuantity(OrderKind::Sell, 2, "2350", "0.01", "1100");  // halves do not depend on the price
}

TEST_F(OrderSizingTest, PricesCarryTheOffsetWithTwoDecimals) {
  settings_.PriceFloat = 0;
  EXPECT_EQ(Size(OrderKind::Buy, 1, "1000", "9.5").PriceText, "9.50");
  EXPECT_EQ(Size(OrderKind::Sell, 1, "100", "9.5").PriceText, "9.50");
  settings_.PriceFloat = 10;
  EXPECT_EQ(Size(OrderKind::Sell, 1, "100", "11.00").PriceText, "10.00");  // divided, not 9.90
  EXPECT_EQ(Size(OrderKind::MarginBuy, 1, "100", "3.21").PriceText, "3.53");
}

TEST_F(OrderSizingTest, WithoutAPositivePriceNothingIsSubmitted) {
  for (int choice = 1; choice <= 6; ++choice) {
    for (bool byAmount : {true, false}) {
      settings_.ByAmount = byAmount;
      ExpectNoOrder(OrderKind::Buy, choice, "100000", "", "0.00");
      ExpectNoOrder(OrderKind::Buy, choice, "100000", "--", "0.00");
      ExpectNoOrder(OrderKind::MarginBuy, choice, "9700", "0", "0.00");
      ExpectNoOrder(OrderKind::MarginBuy, choice, "9700", "-1", "-1.03");
      ExpectNoOrder(OrderKind::Sell, choice, "2350", "", "0.00");
      ExpectNoOrder(OrderKind::Sell, choice, "2350", "-2", "-2.00");
    }
  }
}

TEST_F(OrderSizingTest, ResultsThatCannotBeASaneOrderAreNotSubmitted) {
  ExpectNoOrder(OrderKind::Buy, 1, "-50000", "10.00", "10.30");  // negative funds
  ExpectNoOrder(OrderKind::Sell, 1, "-100", "10.30", "10.00");
  ExpectNoOrder(OrderKind::Sell, 6, "-100", "10.30", "10.00");
  ExpectNoOrder(OrderKind::Buy, 1, "1e300", "10.00", "10.30");  // more lots than a count holds
  ExpectNoOrder(OrderKind::Sell, 1, "1e300", "10.30", "10.00");
  ExpectNoOrder(OrderKind::Buy, 1, "100000", "1e300", "0.00");
  settings_.PriceFloat = -100;  // a zero factor: no buy price, an infinite sell price
  ExpectNoOrder(OrderKind::Buy, 1, "100000", "10.00", "0.00");
  ExpectNoOrder(OrderKind::Sell, 1, "100", "10.00", "0.00");
  settings_ = {3.0, -5, -100, true};
  ExpectNoOrder(OrderKind::Buy, 6, "100000", "10.00", "10.30");
  settings_.ByAmount = false;
  ExpectNoOrder(OrderKind::Buy, 6, "100000", "10.00", "10.30");
  ExpectNoOrder(OrderKind::Sell, 6, "2350", "10.30", "10.00");
}

TEST_F(OrderSizingTest, ChoicesOutsideOneToSixDoNothing) {
  EXPECT_FALSE(SizeOrder(OrderKind::Buy, 0, "100000", "10.00", settings_));
  EXPECT_FALSE(SizeOrder(OrderKind::Sell, 7, "100", "10.00", settings_));
  EXPECT_FALSE(SizeOrder(OrderKind::MarginBuy, -1, "100", "10.00", settings_));
}

}  // namespace
}  // namespace kovra
