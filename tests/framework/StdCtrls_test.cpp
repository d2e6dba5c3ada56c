// Labels and images, painted by their parent.
#include "framework/StdCtrls.h"

#include <gtest/gtest.h>

#include <memory>

#include "framework/Forms.h"
#include "support/TestForm.h"

namespace kovra {
namespace {

std::unique_ptr<TForm> Host(TColor color) {
  auto form = std::make_unique<TForm>();
  form->SetBorderStyle(bsNone);
  form->SetBounds(60, 60, 120, 80);
  form->SetColor(color);
  form->Show();
  return form;
}

// The form's client area as its WM_PRINTCLIENT paints it.
std::unique_ptr<TBitmap> Capture(TForm& form) {
  auto bmp = std::make_unique<TBitmap>(form.ClientWidth(), form.ClientHeight());
  SendMessageW(form.Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(bmp->Canvas().Handle()),
               PRF_CLIENT | PRF_ERASEBKGND);
  return bmp;
}

template <class Match>
int CountIf(TBitmap& bmp, const RECT& r, Match match) {
  int n = 0;
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x)
      if (match(bmp.Canvas().Pixels(x, y))) ++n;
  return n;
}

int CountPixels(TBitmap& bmp, const RECT& r, TColor color) {
  return CountIf(bmp, r, [color](TColor c) { return c == color; });
}

// Text ink: dark, whatever the font smoothing made of its edges.
int CountInk(TBitmap& bmp, const RECT& r) {
  return CountIf(bmp, r,
                 [](TColor c) { return RedOf(c) < 110 && GreenOf(c) < 110 && BlueOf(c) < 110; });
}

TEST(Labels, AutoSizeFollowsCaptionAndFontButWordWrapKeepsTheWidth) {
  auto form = Host(clWhite);
  auto* label = new TLabel(form.get());
  label->SetParent(form.get());
  label->SetCaption("Hi");
  const int shortWidth = label->Width();
  EXPECT_GT(shortWidth, 0);
  label->SetCaption("Hello, 世界");
  EXPECT_GT(label->Width(), shortWidth);
  const int height = label->Height();
  label->Font().SetHeight(-30);
  EXPECT_GT(label->Height(), height);

  label->SetWordWrap(true);
  label->SetWidth(40);
  label->SetCaption("one two three four");
  EXPECT_EQ(label->Width(), 40);
  EXPECT_GT(label->Height(), 40);  // several lines

  label->SetAutoSize(false);
  label->SetBounds(0, 0, 10, 10);
  label->SetCaption("no longer sized");
  EXPECT_EQ(label->Width(), 10);
}

TEST(Labels, OpaqueLabelsFillTransparentOnesShowTheParent) {
  auto form = Host(clBlue);
  auto* label = new TLabel(form.get());
  label->SetParent(form.get());
  label->SetAutoSize(false);
  label->SetBounds(10, 10, 60, 30);
  label->SetColor(clYellow);
  label->Font().SetColor(clBlack);
  label->SetCaption("Wg");
  auto bmp = Capture(*form);
  const RECT area{10, 10, 70, 40};
  EXPECT_GT(CountPixels(*bmp, area, clYellow), 600);
  EXPECT_GT(CountInk(*bmp, area), 5);  // some text
  EXPECT_EQ(bmp->Canvas().Pixels(5, 5), clBlue);

  label->SetTransparent(true);
  bmp = Capture(*form);
  EXPECT_EQ(CountPixels(*bmp, area, clYellow), 0);
  EXPECT_GT(CountPixels(*bmp, area, clBlue), 600);
  EXPECT_GT(CountInk(*bmp, area), 5);
}

TEST(Labels, AlignmentMovesTheText) {
  auto form = Host(clWhite);
  auto* label = new TLabel(form.get());
  label->SetParent(form.get());
  label->SetAutoSize(false);
  label->SetBounds(0, 0, 120, 80);
  label->SetColor(clWhite);
  label->Font().SetColor(clBlack);
  label->SetCaption("I");
  auto inkIn = [&](const RECT& r) { return CountInk(*Capture(*form), r); };
  EXPECT_GT(inkIn(RECT{0, 0, 30, 30}), 0);
  label->SetAlignment(taRightJustify);
  label->SetLayout(tlBottom);
  EXPECT_EQ(inkIn(RECT{0, 0, 30, 30}), 0);
  EXPECT_GT(inkIn(RECT{90, 50, 120, 80}), 0);
  label->SetAlignment(taCenter);
  label->SetLayout(tlCenter);
  EXPECT_GT(inkIn(RECT{45, 25, 75, 55}), 0);
}

TEST(Images, PlacementByStretchCenterAndProportion) {
  auto form = Host(clWhite);
  auto* image = test::Place<TImage>(*form, 0, 0, 100, 60);
  EXPECT_EQ(image->DestRect().right, 0);  // empty
  TBitmap pic(20, 10);
  pic.Canvas().Brush().SetColor(clRed);
  pic.Canvas().FillRect(RECT{0, 0, 20, 10});
  image->SetBitmap(pic);
  auto expect = [&](RECT want) {
    const RECT r = image->DestRect();
    EXPECT_EQ(r.left, want.left);
    EXPECT_EQ(r.top, want.top);
    EXPECT_EQ(r.right, want.right);
    EXPECT_EQ(r.bottom, want.bottom);
  };
  expect({0, 0, 20, 10});
  image->SetCenter(true);
  expect({40, 25, 60, 35});
  image->SetStretch(true);
  expect({0, 0, 100, 60});
  image->SetProportional(true);
  expect({0, 5, 100, 55});

  auto bmp = Capture(*form);
  EXPECT_EQ(bmp->Canvas().Pixels(50, 30), clRed);
  EXPECT_EQ(bmp->Canvas().Pixels(50, 2), clWhite);
  image->Clear();
  bmp = Capture(*form);
  EXPECT_EQ(bmp->Canvas().Pixels(50, 30), clWhite);
}

}  // namespace
}  // namespace kovra
