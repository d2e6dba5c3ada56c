#include "bar/OrderNoticeLogic.h"

#include "framework/runtime/Text.h"

namespace kovra {

TOrderNotice NoticeFor(const TOrderOutcome& outcome) {
  TOrderNotice notice;
  // Nothing was pressed after a failure either; the text says where it stopped.
  notice.Title = outcome.Kind == OutcomeKind::Failed
                     ? std::string(OutcomeText(OutcomeKind::Refused))
                     : std::string(OutcomeText(outcome.Kind));
  const TOrderRequest& request = outcome.Request;
  std::string what(ActionText(request.Action));
  if (request.Action != OrderAction::Cancel && !request.Code.empty()) what += " " + request.Code;
  if (!outcome.PriceText.empty() || !outcome.QuantityText.empty())
    what += " " + outcome.PriceText + " × " + outcome.QuantityText;
  std::string why(ReasonText(outcome.Reason));
  if (why.empty() && outcome.Kind == OutcomeKind::Failed) why = OutcomeText(outcome.Kind);
  notice.Text = what;
  if (!why.empty()) notice.Text += "\n" + why;
  if (!outcome.Reply.empty()) notice.Text += "\n" + outcome.Reply;
  notice.Text = CutUtf16(notice.Text, kNoticeTextLimit);
  return notice;
}

std::string CutUtf16(const std::string& text, std::size_t limit) {
  const std::u16string wide = Utf8ToUtf16(text);
  if (wide.size() <= limit) return text;
  std::size_t n = limit;
  if (n > 0 && wide[n - 1] >= 0xD800 && wide[n - 1] <= 0xDBFF) --n;
  return Utf16ToUtf8(std::u16string_view(wide).substr(0, n));
}

}  // namespace kovra
