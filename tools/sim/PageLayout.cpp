#include "PageLayout.h"

namespace kovra::sim {
namespace {

using K = ControlKind;
using R = ControlRole;

// The keys' legend at the foot of the buy and sell pages.
constexpr const char* kKeyHelp = "F1 买入  F2 卖出  F3 撤单  F5 融资买入";

// Buy page: price 3, quantity 7, order button 10, funds 18.
constexpr ControlEntry kBuy[] = {
    {K::kEdit, R::kCode, 0, "", 100, 40, 120, 22},                  // 0
    {K::kStatic, R::kLabel, 0, "证券代码", 20, 44, 76, 18},         // 1
    {K::kStatic, R::kReadyText, 0, "模拟股票", 100, 70, 120, 18},   // 2
    {K::kEdit, R::kPrice, 0, "", 100, 96, 120, 22},                 // 3
    {K::kStatic, R::kLabel, 0, "买入价格", 20, 100, 76, 18},        // 4
    {K::kCombo, R::kLabel, 0, "限价委托", 100, 124, 120, 120},      // 5
    {K::kStatic, R::kLabel, 0, "买入数量", 20, 156, 76, 18},        // 6
    {K::kEdit, R::kQuantity, 0, "", 100, 152, 120, 22},             // 7
    {K::kStatic, R::kLabel, 0, "股", 224, 156, 20, 18},             // 8
    {K::kButton, R::kResetButton, 0, "重填", 20, 196, 90, 28},      // 9
    {K::kButton, R::kOrderButton, 0, "买入", 130, 196, 90, 28},     // 10
    {K::kPanel, R::kLabel, 0, "", 280, 40, 300, 190},               // 11
    {K::kStatic, R::kLabel, 1, "资金余额", 10, 10, 90, 18},         // 12
    {K::kStatic, R::kReadyText, 1, "100000.00", 110, 10, 170, 18},  // 13
    {K::kStatic, R::kLabel, 1, "冻结资金", 10, 40, 90, 18},         // 14
    {K::kStatic, R::kReadyText, 1, "0.00", 110, 40, 170, 18},       // 15
    {K::kStatic, R::kLabel, 1, "股东代码", 10, 70, 90, 18},         // 16
    {K::kStatic, R::kLabel, 1, "可用资金", 10, 100, 90, 18},        // 17
    {K::kStatic, R::kFigure, 1, "", 110, 100, 170, 18},             // 18
    {K::kStatic, R::kLabel, 0, kKeyHelp, 20, 320, 560, 18},
};

// Margin-buy page: price 2, quantity 3, order button 5, buyable quantity 19.
constexpr ControlEntry kMargin[] = {
    {K::kEdit, R::kCode, 0, "", 100, 40, 120, 22},                   // 0
    {K::kStatic, R::kReadyText, 0, "模拟股票", 100, 70, 120, 18},    // 1
    {K::kEdit, R::kPrice, 0, "", 100, 96, 120, 22},                  // 2
    {K::kEdit, R::kQuantity, 0, "", 100, 152, 120, 22},              // 3
    {K::kCombo, R::kLabel, 0, "融资买入", 100, 124, 120, 120},       // 4
    {K::kButton, R::kOrderButton, 0, "融资买入", 130, 196, 90, 28},  // 5
    {K::kButton, R::kResetButton, 0, "重填", 20, 196, 90, 28},       // 6
    {K::kPanel, R::kLabel, 0, "", 10, 40, 86, 140},                  // 7
    {K::kStatic, R::kLabel, 1, "证券代码", 10, 4, 76, 18},           // 8
    {K::kStatic, R::kLabel, 1, "证券名称", 10, 30, 76, 18},          // 9
    {K::kStatic, R::kLabel, 1, "买入价格", 10, 60, 76, 18},          // 10
    {K::kStatic, R::kLabel, 1, "买入数量", 10, 116, 76, 18},         // 11
    {K::kPanel, R::kLabel, 0, "", 280, 40, 300, 190},                // 12
    {K::kStatic, R::kLabel, 1, "可用保证金", 10, 10, 100, 18},       // 13
    {K::kStatic, R::kReadyText, 1, "50000.00", 120, 10, 160, 18},    // 14
    {K::kPanel, R::kLabel, 1, "", 0, 36, 300, 60},                   // 15
    {K::kStatic, R::kLabel, 2, "融资额度", 10, 4, 100, 18},          // 16
    {K::kStatic, R::kReadyText, 2, "200000.00", 120, 4, 160, 18},    // 17
    {K::kStatic, R::kLabel, 1, "最大可买", 10, 100, 100, 18},        // 18
    {K::kStatic, R::kFigure, 1, "", 120, 100, 160, 18},              // 19
    {K::kStatic, R::kLabel, 0, "股", 224, 156, 20, 18},              // 20
};

// Sell page: price 3, quantity 7, order button 9, sellable quantity 17.
constexpr ControlEntry kSell[] = {
    {K::kEdit, R::kCode, 0, "", 100, 40, 120, 22},                 // 0
    {K::kStatic, R::kLabel, 0, "证券代码", 20, 44, 76, 18},        // 1
    {K::kStatic, R::kReadyText, 0, "模拟股票", 100, 70, 120, 18},  // 2
    {K::kEdit, R::kPrice, 0, "", 100, 96, 120, 22},                // 3
    {K::kStatic, R::kLabel, 0, "卖出价格", 20, 100, 76, 18},       // 4
    {K::kCombo, R::kLabel, 0, "限价委托", 100, 124, 120, 120},     // 5
    {K::kStatic, R::kLabel, 0, "卖出数量", 20, 156, 76, 18},       // 6
    {K::kEdit, R::kQuantity, 0, "", 100, 152, 120, 22},            // 7
    {K::kButton, R::kResetButton, 0, "重填", 20, 196, 90, 28},     // 8
    {K::kButton, R::kOrderButton, 0, "卖出", 130, 196, 90, 28},    // 9
    {K::kPanel, R::kLabel, 0, "", 280, 40, 300, 190},              // 10
    {K::kStatic, R::kLabel, 1, "股票余额", 10, 10, 100, 18},       // 11
    {K::kStatic, R::kReadyText, 1, "5000", 120, 10, 160, 18},      // 12
    {K::kStatic, R::kLabel, 1, "冻结数量", 10, 40, 100, 18},       // 13
    {K::kStatic, R::kReadyText, 1, "0", 120, 40, 160, 18},         // 14
    {K::kStatic, R::kLabel, 1, "可卖数量", 10, 70, 100, 18},       // 15
    {K::kStatic, R::kLabel, 1, "(股)", 10, 90, 100, 18},           // 16
    {K::kStatic, R::kFigure, 1, "", 120, 70, 160, 18},             // 17
    {K::kStatic, R::kLabel, 0, kKeyHelp, 20, 320, 560, 18},
};

// Withdrawal page: "全选" at 12 and "撤单" at 9, pressed in that order to withdraw everything.
constexpr ControlEntry kCancel[] = {
    {K::kListBox, R::kOrderList, 0, "", 10, 40, 580, 200},           // 0
    {K::kStatic, R::kLabel, 0, "可撤委托", 10, 14, 100, 18},         // 1
    {K::kStatic, R::kLabel, 0, "共 0 笔", 120, 14, 100, 18},         // 2
    {K::kPanel, R::kLabel, 0, "", 10, 250, 580, 34},                 // 3
    {K::kButton, R::kCancelButton, 1, "撤买", 0, 2, 80, 28},         // 4
    {K::kButton, R::kCancelButton, 1, "撤卖", 90, 2, 80, 28},        // 5
    {K::kButton, R::kCancelButton, 1, "撤尾单", 180, 2, 80, 28},     // 6
    {K::kButton, R::kCancelButton, 1, "刷新", 270, 2, 80, 28},       // 7
    {K::kStatic, R::kLabel, 0, "双击委托可撤单", 10, 330, 300, 18},  // 8
    {K::kButton, R::kCancelButton, 0, "撤单", 100, 292, 80, 28},     // 9
    {K::kButton, R::kCancelButton, 0, "全撤", 190, 292, 80, 28},     // 10
    {K::kEdit, R::kLabel, 0, "", 420, 12, 120, 22},                  // 11
    {K::kButton, R::kCancelButton, 0, "全选", 10, 292, 80, 28},      // 12
    {K::kStatic, R::kLabel, 0, "代码", 380, 14, 36, 18},             // 13
};

constexpr PageTable kPages[] = {
    {PageKind::kBuy, "buy", "买入股票", 0x70, kBuy},
    {PageKind::kSell, "sell", "卖出股票", 0x71, kSell},
    {PageKind::kCancel, "cancel", "撤单", 0x72, kCancel},
    {PageKind::kMargin, "margin", "融资买入", 0x74, kMargin},
};

}  // namespace

std::span<const PageTable> AllPages() {
  return kPages;
}

const PageTable& PageFor(PageKind kind) {
  for (const auto& page : kPages) {
    if (page.kind == kind) return page;
  }
  return kPages[0];
}

const PageTable* PageForKey(unsigned key) {
  for (const auto& page : kPages) {
    if (page.key == key) return &page;
  }
  return nullptr;
}

int PositionOf(const PageTable& page, ControlRole role) {
  for (size_t i = 0; i < page.controls.size(); ++i) {
    if (page.controls[i].role == role) return static_cast<int>(i);
  }
  return -1;
}

int ParentPosition(const PageTable& page, int position) {
  if (position < 0 || position >= static_cast<int>(page.controls.size())) return -1;
  int depth = page.controls[position].depth;
  for (int i = position - 1; i >= 0; --i) {
    if (page.controls[i].depth < depth) return i;
  }
  return -1;
}

}  // namespace kovra::sim
