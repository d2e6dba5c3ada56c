#include "bar/OrderOutcome.h"

namespace kovra {

OrderAction ActionOf(OrderKind kind) {
  switch (kind) {
    case OrderKind::Buy:
      return OrderAction::Buy;
    case OrderKind::MarginBuy:
      return OrderAction::MarginBuy;
    case OrderKind::Sell:
      break;
  }
  return OrderAction::Sell;
}

std::string_view OutcomeText(OutcomeKind kind) {
  switch (kind) {
    case OutcomeKind::Placed:
      return "已下单";
    case OutcomeKind::Rehearsed:
      return "演练";
    case OutcomeKind::Refused:
      return "未下单";
    case OutcomeKind::Failed:
      break;
  }
  return "失败";
}

std::string_view ReasonText(OutcomeReason reason) {
  switch (reason) {
    case OutcomeReason::None:
      return "";
    case OutcomeReason::Busy:
      return "上一单未完成";
    case OutcomeReason::NoCode:
      return "无股票代码";
    case OutcomeReason::NoClient:
      return "未找到交易软件";
    case OutcomeReason::ClientHung:
      return "交易软件无响应";
    case OutcomeReason::FocusElsewhere:
      return "焦点不在交易软件";
    case OutcomeReason::PageNotReady:
      return "页面未就绪";
    case OutcomeReason::CodeNotWritten:
      return "代码未写入";
    case OutcomeReason::NoPrice:
      return "无价格";
    case OutcomeReason::ZeroQuantity:
      return "数量为0";
    case OutcomeReason::WriteNotApplied:
      return "写入未生效";
    case OutcomeReason::NoCancelPage:
      return "撤单页面未就绪";
    case OutcomeReason::Unexpected:
      break;
  }
  return "意外错误";
}

std::string_view ActionText(OrderAction action) {
  switch (action) {
    case OrderAction::MarginBuy:
      return "融买";
    case OrderAction::Buy:
      return "买";
    case OrderAction::Sell:
      return "卖";
    case OrderAction::Cancel:
      break;
  }
  return "撤单";
}

}  // namespace kovra
