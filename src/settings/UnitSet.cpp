#include "settings/UnitSet.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>

#include "app/Global.h"
#include "controls/RzBtnEdt.h"
#include "controls/RzButton.h"
#include "controls/RzColorPicker.h"
#include "controls/RzNumEdit.h"
#include "framework/StdCtrls.h"
#include "shell/RzSelectFolder.h"
#include "shell/RzShellDialogs.h"

namespace kovra {
namespace {

constexpr const char* kFontName = "宋体";
constexpr int kFontHeight = -12;  // 12-pixel characters
constexpr int kUnitFontHeight = -16;
constexpr int kEditWidth = 69;
constexpr int kEditHeight = 20;
constexpr int kPathLeft = 128;
constexpr int kPathWidth = 278;
constexpr const char* kIntegerFormat = ",0;(,0)";
constexpr const char* kPriceFormat = "0.00;-,0.00";
constexpr const char* kExecutableFilter = "Advanced Get 执行文件(*.exe)|*.exe";
constexpr int kGlyphSize = 16;
constexpr TColor kGlyphKey = clOlive;  // bottom-left pixel: the transparent colour

// The figures are 32-bit fields while the edit reads 64 bits: a larger entry keeps its low 32
// bits, a defined wrap rather than an out-of-range conversion.
std::int32_t Low32(std::int64_t value) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

void UseUnitFont(TLabel* label, TColor color) {
  label->SetParentFont(false);
  label->Font().SetName(kFontName);
  label->Font().SetHeight(kUnitFontHeight);
  label->Font().SetCharset(ANSI_CHARSET);
  label->Font().SetColor(color);
  label->Font().SetStyle(TFontStyles{fsBold});
}

}  // namespace

TFormSet::TFormSet(TComponent* owner, TButtonColorSink buttonColor)
    : TForm(owner), buttonColor_(std::move(buttonColor)) {
  SetName("FormSet");
  // Numeric edits format their text once loading ends, before the values are put in.
  BeginLoading();
  SetCaption("Kovra设置");
  SetPosition(poDesktopCenter);
  Font().SetName(kFontName);
  Font().SetHeight(kFontHeight);
  Font().SetCharset(ANSI_CHARSET);
  SetBounds(Left(), Top(), kWidth, kHeight);
  BuildControls();
  OnCreate = [this](TObject* sender) { FormCreate(sender); };
  OnClose = [this](TObject* sender, TCloseAction& action) { FormClose(sender, action); };
  AfterConstruction();
}

TFormSet::~TFormSet() {
  Destroying();
}

void TFormSet::BuildControls() {
  lbl1_ = AddLabel("lbl1", "指定交易软件：", 23, 9);
  lbl1_->SetAutoSize(false);
  lbl1_->SetBounds(23, 9, 101, 19);
  btn1_ = AddPathEdit("btn1", 8, 0);
  btn1_->OnButtonClick = [this](TObject* sender) { btn1ButtonClick(sender); };

  lbl2_ = AddLabel("lbl2", "大智慧运行文件：", 9, 34);
  lbl2_->SetAutoSize(false);
  lbl2_->SetBounds(9, 34, 115, 13);
  btn2_ = AddPathEdit("btn2", 30, 1);
  btn2_->OnButtonClick = [this](TObject* sender) { btn2ButtonClick(sender); };

  lbl3_ = AddLabel("lbl3", "按金额每次买：", 42, 70);
  rzNumericEdit1_ = AddNumberEdit("RzNumericEdit1", 66, 2);
  lbl4_ = AddLabel("lbl4", "万元", 210, 68);
  UseUnitFont(lbl4_, clRed);

  lbl5_ = AddLabel("lbl5", "按股数每次买/卖：", 24, 106);
  rzNumericEdit2_ = AddNumberEdit("RzNumericEdit2", 102, 3);
  lbl6_ = AddLabel("lbl6", "股", 210, 104);
  UseUnitFont(lbl6_, clBlack);

  lbl7_ = AddLabel("lbl7", "现价下单浮动±", 42, 144);
  rzNumericEdit3_ = AddNumberEdit("RzNumericEdit3", 140, 4);
  rzNumericEdit3_->SetIntegersOnly(false);
  rzNumericEdit3_->SetDisplayFormat(kPriceFormat);
  lbl8_ = AddLabel("lbl8", "%", 212, 142);
  UseUnitFont(lbl8_, clBlack);

  rzColorPicker1_ = new TRzColorPicker(this);
  rzColorPicker1_->SetName("RzColorPicker1");
  rzColorPicker1_->SetParent(this);
  rzColorPicker1_->SetBorderOuter(fsLowered);
  rzColorPicker1_->SetBounds(250, 66, 148, 94);
  rzColorPicker1_->SetTabOrder(5);
  rzColorPicker1_->OnChange = [this](TObject* sender) { RzColorPicker1Change(sender); };

  img1_ = new TImage(this);
  img1_->SetName("img1");
  img1_->SetParent(this);
  img1_->SetBounds(14, 172, kPictureSize, kPictureSize);
  img1_->SetBitmap(DrawPicture());
  img1_->SetStretch(true);  // drawn at the design's size; a scaled window stretches it

  rzBitBtn1_ = new TRzBitBtn(this);
  rzBitBtn1_->SetName("RzBitBtn1");
  rzBitBtn1_->SetParent(this);
  rzBitBtn1_->SetLeft(214);
  rzBitBtn1_->SetTop(204);
  rzBitBtn1_->SetCaption("&E.退出");
  rzBitBtn1_->SetGlyph(DrawExitGlyph());
  // Escape leaves the window like the button does.
  rzBitBtn1_->SetCancel(true);
  rzBitBtn1_->SetTabOrder(6);
  rzBitBtn1_->OnClick = [this](TObject* sender) { RzBitBtn1Click(sender); };

  // One dialog serves both browse buttons.
  rzOpenDialog1_ = new TRzOpenDialog(this);
  rzOpenDialog1_->SetName("RzOpenDialog1");
  rzOpenDialog1_->SetFilter(kExecutableFilter);
  rzSelectFolderDialog1_ = new TRzSelectFolderDialog(this);
  rzSelectFolderDialog1_->SetName("RzSelectFolderDialog1");
}

TLabel* TFormSet::AddLabel(const char* name, const char* caption, int left, int top) {
  auto* label = new TLabel(this);
  label->SetName(name);
  label->SetParent(this);
  label->SetCaption(caption);
  label->SetLeft(left);
  label->SetTop(top);
  return label;
}

TRzButtonEdit* TFormSet::AddPathEdit(const char* name, int top, int tabOrder) {
  auto* edit = new TRzButtonEdit(this);
  edit->SetName(name);
  edit->SetParent(this);
  edit->SetAutoSize(false);  // the window's layout has them 20 pixels high whatever the font
  edit->SetBounds(kPathLeft, top, kPathWidth, kEditHeight);
  edit->SetTabOrder(tabOrder);
  return edit;
}

TRzNumericEdit* TFormSet::AddNumberEdit(const char* name, int top, int tabOrder) {
  auto* edit = new TRzNumericEdit(this);
  edit->SetName(name);
  edit->SetParent(this);
  edit->SetAutoSize(false);
  edit->SetBounds(kPathLeft, top, kEditWidth, kEditHeight);
  edit->SetDisplayFormat(kIntegerFormat);
  edit->SetTabOrder(tabOrder);
  return edit;
}

// ---- the handlers ----

void TFormSet::FormCreate(TObject*) {
  const TGlobal& state = *GlobalState;
  btn1_->SetText(state.TradeSoftPath);
  btn2_->SetText(state.StockSoftPath);
  rzNumericEdit1_->SetIntegerValue(state.BuyAmount);
  rzNumericEdit2_->SetIntegerValue(state.TradeShares);
  rzNumericEdit3_->SetValue(state.PriceFloat);
  shownPriceFloat_ = state.PriceFloat;
  shownPriceText_ = rzNumericEdit3_->Text();
}

void TFormSet::FormClose(TObject*, TCloseAction&) {
  CopyBack();
}

void TFormSet::CopyBack() {
  TGlobal& state = *GlobalState;
  state.TradeSoftPath = btn1_->Text();
  state.StockSoftPath = btn2_->Text();
  state.BuyAmount = Low32(rzNumericEdit1_->IntegerValue());
  state.TradeShares = Low32(rzNumericEdit2_->IntegerValue());
  const std::string priceText = rzNumericEdit3_->Text();
  state.PriceFloat = priceText == shownPriceText_ ? shownPriceFloat_
                                                  : static_cast<double>(rzNumericEdit3_->Value());
}

void TFormSet::btn1ButtonClick(TObject*) {
  Browse(btn1_);
}

void TFormSet::btn2ButtonClick(TObject*) {
  Browse(btn2_);
}

void TFormSet::Browse(TRzButtonEdit* edit) {
  if (rzOpenDialog1_->Execute()) edit->SetText(rzOpenDialog1_->FileName());
}

void TFormSet::RzColorPicker1Change(TObject*) {
  if (buttonColor_) buttonColor_(rzColorPicker1_->SelectedColor());
}

void TFormSet::RzBitBtn1Click(TObject*) {
  Close();
}

// ---- the pictures ----

namespace {

struct TCandle {
  int open, close, high, low;  // 0..100, bottom to top of the chart
};

// A day's session climbing with two pull-backs.
constexpr std::array<TCandle, 9> kCandles{{{22, 30, 34, 18},
                                           {30, 26, 33, 22},
                                           {27, 41, 44, 25},
                                           {41, 50, 55, 38},
                                           {50, 44, 52, 40},
                                           {45, 58, 62, 43},
                                           {58, 66, 71, 55},
                                           {66, 61, 69, 57},
                                           {62, 80, 84, 60}}};
constexpr std::array<int, 9> kVolumes{{5, 4, 8, 9, 6, 10, 12, 7, 14}};

constexpr int kChartTop = 12, kChartBottom = 64, kVolumeBottom = 84, kVolumeMax = 14;
constexpr int kCandleLeft = 8, kCandleStep = 9, kCandleWidth = 5;

int ChartY(int value) {
  return kChartBottom - value * (kChartBottom - kChartTop) / 100;
}

// Rows blended from `top` to `bottom`, written straight into the pixels.
void FillVertical(TBitmap& bitmap, TColor top, TColor bottom) {
  const int h = bitmap.Height();
  auto channel = [](TColor c, int shift) { return (static_cast<int>(c) >> shift) & 0xFF; };
  for (int y = 0; y < h; ++y) {
    const int t = h > 1 ? y * 255 / (h - 1) : 0;
    auto mix = [&](int shift) {
      return (channel(top, shift) * (255 - t) + channel(bottom, shift) * t) / 255;
    };
    const auto rgb = static_cast<TColor>(mix(0) | (mix(8) << 8) | (mix(16) << 16));
    const std::uint32_t pixel = TBitmap::ColorToPixel(rgb);
    std::uint32_t* row = bitmap.ScanLine(y);
    for (int x = 0; x < bitmap.Width(); ++x) row[x] = pixel;
  }
}

void DrawGrid(TCanvas& c, int size) {
  c.Pen().SetColor(static_cast<TColor>(0x5A4030));  // muted blue
  c.Pen().SetStyle(psDot);
  for (int y = kChartTop; y <= kChartBottom; y += 13) {
    c.MoveTo(4, y);
    c.LineTo(size - 4, y);
  }
  c.Pen().SetStyle(psSolid);
  c.Pen().SetColor(static_cast<TColor>(0x806048));
  c.MoveTo(4, kChartBottom + 4);
  c.LineTo(size - 4, kChartBottom + 4);
}

// Red for a rise and green for a fall, as quote screens in China draw them.
void DrawCandles(TCanvas& c) {
  for (std::size_t i = 0; i < kCandles.size(); ++i) {
    const TCandle& k = kCandles[i];
    const int x = kCandleLeft + static_cast<int>(i) * kCandleStep;
    const TColor color = k.close >= k.open ? static_cast<TColor>(0x3030F0)   // red
                                           : static_cast<TColor>(0x40C020);  // green
    c.Pen().SetColor(color);
    c.MoveTo(x + kCandleWidth / 2, ChartY(k.high));
    c.LineTo(x + kCandleWidth / 2, ChartY(k.low) + 1);
    const int top = ChartY(std::max(k.open, k.close));
    const int bottom = std::max(ChartY(std::min(k.open, k.close)), top + 1);
    c.Brush().SetColor(color);
    c.FillRect(RECT{x, top, x + kCandleWidth, bottom + 1});
    const int volume = kVolumes[i] * (kVolumeBottom - kChartBottom - 8) / kVolumeMax;
    c.FillRect(RECT{x, kVolumeBottom - volume, x + kCandleWidth, kVolumeBottom});
  }
}

// The average of the last three closes, in gold.
void DrawAverage(TCanvas& c) {
  std::array<POINT, kCandles.size()> points{};
  for (std::size_t i = 0; i < kCandles.size(); ++i) {
    int sum = 0, n = 0;
    for (std::size_t j = i >= 2 ? i - 2 : 0; j <= i; ++j, ++n) sum += kCandles[j].close;
    points[i] =
        POINT{kCandleLeft + static_cast<int>(i) * kCandleStep + kCandleWidth / 2, ChartY(sum / n)};
  }
  c.Pen().SetColor(static_cast<TColor>(0x30C8F0));
  c.Pen().SetWidth(1);
  c.Polyline(points);
}

}  // namespace

TBitmap TFormSet::DrawPicture() {
  TBitmap picture(kPictureSize, kPictureSize);
  FillVertical(picture, static_cast<TColor>(0x4A2E1C), static_cast<TColor>(0x1E120A));
  TCanvas& c = picture.Canvas();
  DrawGrid(c, kPictureSize);
  DrawCandles(c);
  DrawAverage(c);
  c.Brush().SetColor(static_cast<TColor>(0x9C7A5A));
  c.FrameRect(RECT{0, 0, kPictureSize, kPictureSize});
  GdiFlush();
  return picture;
}

namespace {

// An open door with an arrow leaving through it.
void DrawExitCell(TCanvas& c) {
  c.Brush().SetColor(static_cast<TColor>(0x2F5F9F));  // the door, brown
  c.FillRect(RECT{2, 1, 9, 15});
  c.Brush().SetColor(static_cast<TColor>(0x1C3C6C));
  c.FrameRect(RECT{2, 1, 9, 15});
  c.SetPixel(7, 8, clYellow);                       // the handle
  c.Pen().SetColor(static_cast<TColor>(0x208020));  // the arrow, green
  for (int y = 7; y <= 8; ++y) {
    c.MoveTo(8, y);
    c.LineTo(14, y);
  }
  const std::array<POINT, 3> head{{{11, 4}, {15, 8}, {11, 11}}};
  c.Brush().SetColor(static_cast<TColor>(0x208020));
  c.Polygon(head);
}

}  // namespace

TBitmap TFormSet::DrawExitGlyph() {
  TBitmap glyph(2 * kGlyphSize, kGlyphSize);
  TCanvas& c = glyph.Canvas();
  c.Brush().SetColor(kGlyphKey);
  c.FillRect(RECT{0, 0, 2 * kGlyphSize, kGlyphSize});
  DrawExitCell(c);
  GdiFlush();
  // The disabled cell: the shape embossed, highlight under shadow.
  const std::uint32_t key = TBitmap::ColorToPixel(kGlyphKey);
  const std::uint32_t highlight = TBitmap::ColorToPixel(ColorToRGB(clBtnHighlight));
  const std::uint32_t shadow = TBitmap::ColorToPixel(ColorToRGB(clBtnShadow));
  for (int y = 0; y + 1 < kGlyphSize; ++y)
    for (int x = 0; x + 1 < kGlyphSize; ++x)
      if (glyph.ScanLine(y)[x] != key) glyph.ScanLine(y + 1)[kGlyphSize + x + 1] = highlight;
  for (int y = 0; y < kGlyphSize; ++y)
    for (int x = 0; x < kGlyphSize; ++x)
      if (glyph.ScanLine(y)[x] != key) glyph.ScanLine(y)[kGlyphSize + x] = shadow;
  return glyph;
}

}  // namespace kovra
