#include "framework/StdCtrls.h"

#include <algorithm>

namespace kovra {

// ---- TLabel ----

TLabel::TLabel(TComponent* owner) : TGraphicControl(owner) {
  SetControlStyle(ControlStyle() | csReplicatable);
  SetBounds(0, 0, 65, 17);
}

TLabel::~TLabel() {
  Destroying();
}

void TLabel::SetAlignment(TAlignment value) {
  if (value == alignment_) return;
  alignment_ = value;
  Invalidate();
}

void TLabel::SetLayout(TTextLayout value) {
  if (value == layout_) return;
  layout_ = value;
  Invalidate();
}

void TLabel::SetWordWrap(bool value) {
  if (value == wordWrap_) return;
  wordWrap_ = value;
  AdjustBounds();
  Invalidate();
}

void TLabel::SetTransparent(bool value) {
  if (value == transparent_) return;
  transparent_ = value;
  Invalidate();
}

void TLabel::SetAutoSize(bool value) {
  if (value == autoSize_) return;
  autoSize_ = value;
  AdjustBounds();
}

void TLabel::SetShowAccelChar(bool value) {
  if (value == showAccelChar_) return;
  showAccelChar_ = value;
  AdjustBounds();
  Invalidate();
}

UINT TLabel::TextFlags() const {
  UINT flags = DT_EXPANDTABS;
  if (wordWrap_) flags |= DT_WORDBREAK;
  if (!showAccelChar_) flags |= DT_NOPREFIX;
  if (alignment_ == taRightJustify)
    flags |= DT_RIGHT;
  else if (alignment_ == taCenter)
    flags |= DT_CENTER;
  return flags;
}

void TLabel::AdjustBounds() {
  if (!autoSize_ || IsLoading()) return;
  HDC screen = GetDC(nullptr);
  struct Release {
    HDC dc;
    ~Release() { ReleaseDC(nullptr, dc); }
  } release{screen};
  TCanvas canvas(screen);
  canvas.Font().Assign(Font());
  RECT r{0, 0, wordWrap_ ? Width() : 0, 0};
  std::string text = Text();
  if (text.empty()) text = " ";  // an empty label keeps a line's height
  canvas.DrawText(text, r, TextFlags() | DT_CALCRECT);
  int left = Left();
  const int width = wordWrap_ ? Width() : static_cast<int>(r.right);
  if (alignment_ == taRightJustify && !wordWrap_) left += Width() - width;
  SetBounds(left, Top(), width, r.bottom);
}

void TLabel::Loaded() {
  TGraphicControl::Loaded();
  AdjustBounds();
}

void TLabel::CMTextChanged(TMessage& m) {
  TGraphicControl::CMTextChanged(m);
  AdjustBounds();
}

void TLabel::CMFontChanged(TMessage& m) {
  TGraphicControl::CMFontChanged(m);
  AdjustBounds();
}

void TLabel::Paint() {
  TCanvas& canvas = Canvas();
  RECT r = ClientRect();
  if (!transparent_) {
    canvas.Brush().SetColor(Color());
    canvas.FillRect(r);
  }
  canvas.Brush().SetStyle(bsClear);
  const std::string text = Text();
  if (text.empty()) return;
  UINT flags = TextFlags();
  if (layout_ != tlTop) {
    RECT calc = r;
    canvas.DrawText(text, calc, flags | DT_CALCRECT);
    const int h = calc.bottom - calc.top;
    r.top = layout_ == tlCenter ? (r.bottom - h) / 2 : r.bottom - h;
  }
  if (!Enabled()) {
    // The classic engraved look: a highlight copy one pixel down and right, then grey text.
    RECT shifted = r;
    OffsetRect(&shifted, 1, 1);
    canvas.Font().SetColor(clBtnHighlight);
    canvas.DrawText(text, shifted, flags);
    canvas.Font().SetColor(clBtnShadow);
  }
  canvas.DrawText(text, r, flags);
}

// ---- TImage ----

TImage::TImage(TComponent* owner) : TGraphicControl(owner) {
  SetBounds(0, 0, 105, 105);
}

TImage::~TImage() {
  Destroying();
}

void TImage::SetBitmap(const TBitmap& bitmap) {
  if (bitmap.Empty()) {
    Clear();
    return;
  }
  auto copy = std::make_unique<TBitmap>();
  copy->Assign(bitmap);
  copy->SetTransparent(transparent_);
  picture_ = std::move(copy);
  Invalidate();
}

void TImage::SetIcon(const TIcon& icon) {
  if (icon.Empty()) {
    Clear();
    return;
  }
  auto copy = std::make_unique<TIcon>();
  copy->Assign(icon);
  picture_ = std::move(copy);
  Invalidate();
}

void TImage::Clear() {
  if (!picture_) return;
  picture_.reset();
  Invalidate();
}

void TImage::SetStretch(bool value) {
  if (value == stretch_) return;
  stretch_ = value;
  Invalidate();
}

void TImage::SetCenter(bool value) {
  if (value == center_) return;
  center_ = value;
  Invalidate();
}

void TImage::SetProportional(bool value) {
  if (value == proportional_) return;
  proportional_ = value;
  Invalidate();
}

void TImage::SetTransparent(bool value) {
  if (value == transparent_) return;
  transparent_ = value;
  if (picture_) picture_->SetTransparent(value);
  Invalidate();
}

RECT TImage::DestRect() const {
  if (!picture_) return RECT{0, 0, 0, 0};
  const int pw = picture_->Width(), ph = picture_->Height();
  const int cw = Width(), ch = Height();
  int w = pw, h = ph;
  if (stretch_ || (proportional_ && (pw > cw || ph > ch))) {
    if (proportional_ && pw > 0 && ph > 0) {
      // The largest size of the picture's shape that fits.
      if (static_cast<long long>(cw) * ph < static_cast<long long>(ch) * pw) {
        w = cw;
        h = static_cast<int>(static_cast<long long>(cw) * ph / pw);
      } else {
        h = ch;
        w = static_cast<int>(static_cast<long long>(ch) * pw / ph);
      }
    } else {
      w = cw;
      h = ch;
    }
  }
  RECT r{0, 0, w, h};
  if (center_) OffsetRect(&r, (cw - w) / 2, (ch - h) / 2);
  return r;
}

void TImage::Paint() {
  if (!picture_) return;
  picture_->Draw(Canvas(), DestRect());
}

}  // namespace kovra
