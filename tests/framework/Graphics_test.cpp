// Canvas, pens, brushes, fonts and bitmaps, checked by the pixels they leave in memory DIBs.
#include "framework/Graphics.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>
#include <stdexcept>

#include "framework/ImgList.h"
#include "support/Gdi.h"
#include "support/TestPaths.h"

namespace kovra {
namespace {

// A white bitmap of the given size whose canvas the test draws on.
TBitmap WhiteBitmap(int width, int height) {
  TBitmap b(width, height);
  b.Canvas().Brush().SetColor(clWhite);
  b.Canvas().FillRect(RECT{0, 0, width, height});
  return b;
}

TColor At(const TBitmap& b, int x, int y) {
  return TBitmap::PixelToColor(b.ScanLine(y)[x]);
}

int CountNot(const TBitmap& b, TColor background, const RECT& r) {
  int n = 0;
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x) n += At(b, x, y) != background;
  return n;
}

std::string Narrow(const std::wstring& w) {
  std::string s;
  for (wchar_t c : w) s.push_back(static_cast<char>(c));  // scratch paths are ASCII
  return s;
}

TEST(ColorTest, SystemColorsResolveThroughGetSysColorOthersStay) {
  EXPECT_EQ(ColorToRGB(clBtnFace), static_cast<TColor>(GetSysColor(COLOR_BTNFACE)));
  EXPECT_EQ(ColorToRGB(clHighlight), static_cast<TColor>(GetSysColor(COLOR_HIGHLIGHT)));
  EXPECT_EQ(ColorToRGB(clSilver), clSilver);
  EXPECT_EQ(ColorToRGB(clNone), clNone);
  EXPECT_EQ(ColorToRGB(clDefault), clDefault);
  EXPECT_EQ(ToColorRef(clNone), CLR_NONE);
  EXPECT_EQ(ToColorRef(clDefault), CLR_DEFAULT);
  EXPECT_EQ(ToColorRef(clRed), RGB(255, 0, 0));
  EXPECT_EQ(FromColorRef(RGB(1, 2, 3)), RGBColor(1, 2, 3));
}

TEST(CanvasLinesTest, LineToLeavesOutItsEndPointAndMovesThePen) {
  TBitmap b = WhiteBitmap(10, 10);
  TCanvas& c = b.Canvas();
  c.Pen().SetColor(clBlack);
  c.MoveTo(1, 1);
  c.LineTo(5, 1);
  for (int x = 1; x < 5; ++x) EXPECT_EQ(At(b, x, 1), clBlack) << x;
  EXPECT_EQ(At(b, 5, 1), clWhite);
  EXPECT_EQ(At(b, 0, 1), clWhite);
  EXPECT_EQ(c.PenPos().x, 5);
  c.LineTo(5, 4);  // continues from the end point, which the second line does draw
  EXPECT_EQ(At(b, 5, 1), clBlack);
  EXPECT_EQ(At(b, 5, 3), clBlack);
  EXPECT_EQ(At(b, 5, 4), clWhite);
}

TEST(CanvasLinesTest, PenStylesWidthsAndModes) {
  TBitmap b = WhiteBitmap(60, 20);
  TCanvas& c = b.Canvas();
  c.Pen().SetColor(clRed);
  c.Pen().SetStyle(psClear);
  c.MoveTo(0, 1);
  c.LineTo(60, 1);
  EXPECT_EQ(CountNot(b, clWhite, RECT{0, 1, 60, 2}), 0) << "a clear pen draws nothing";

  c.Pen().SetStyle(psDash);
  c.MoveTo(0, 3);
  c.LineTo(60, 3);
  const int dashed = CountNot(b, clWhite, RECT{0, 3, 60, 4});
  EXPECT_GT(dashed, 10);
  EXPECT_LT(dashed, 60) << "a dashed line has gaps";

  c.Pen().SetStyle(psSolid);
  c.Pen().SetWidth(3);
  c.MoveTo(10, 10);
  c.LineTo(40, 10);
  EXPECT_EQ(At(b, 20, 9), clRed);
  EXPECT_EQ(At(b, 20, 11), clRed);
  EXPECT_EQ(At(b, 20, 13), clWhite);

  c.Pen().SetWidth(1);
  c.Pen().SetMode(pmNot);  // twice inverted is the original
  c.MoveTo(0, 16);
  c.LineTo(30, 16);
  EXPECT_EQ(At(b, 5, 16), clBlack);
  c.MoveTo(0, 16);
  c.LineTo(30, 16);
  EXPECT_EQ(At(b, 5, 16), clWhite);
}

TEST(CanvasShapesTest, FillRectUsesResolvedSystemColourAndExclusiveEdges) {
  TBitmap b = WhiteBitmap(10, 10);
  TCanvas& c = b.Canvas();
  c.Brush().SetColor(clBtnShadow);
  c.FillRect(RECT{2, 2, 5, 5});
  EXPECT_EQ(At(b, 2, 2), ColorToRGB(clBtnShadow));
  EXPECT_EQ(At(b, 4, 4), ColorToRGB(clBtnShadow));
  EXPECT_EQ(At(b, 5, 4), clWhite);
  EXPECT_EQ(At(b, 4, 5), clWhite);
  c.Brush().SetStyle(bsClear);
  c.Brush().SetColor(clRed);
  c.FillRect(RECT{0, 0, 10, 10});
  EXPECT_EQ(At(b, 0, 0), clWhite) << "a clear brush fills nothing";
}

TEST(CanvasShapesTest, RectangleFramesAtRightMinusOneAndFillsWithBrush) {
  TBitmap b = WhiteBitmap(10, 10);
  TCanvas& c = b.Canvas();
  c.Pen().SetColor(clBlue);
  c.Brush().SetColor(clLime);
  c.Rectangle(1, 1, 6, 6);
  EXPECT_EQ(At(b, 1, 1), clBlue);
  EXPECT_EQ(At(b, 5, 5), clBlue);
  EXPECT_EQ(At(b, 6, 6), clWhite);
  EXPECT_EQ(At(b, 3, 3), clLime);
  c.Brush().SetStyle(bsClear);
  c.Pen().SetColor(clRed);
  c.Rectangle(1, 1, 6, 6);
  EXPECT_EQ(At(b, 3, 3), clLime) << "clear brush keeps the interior";
  EXPECT_EQ(At(b, 1, 3), clRed);

  const std::array<POINT, 3> triangle{{{0, 9}, {9, 9}, {0, 0}}};
  c.Brush().SetStyle(bsSolid);
  c.Brush().SetColor(clYellow);
  c.Pen().SetStyle(psClear);
  c.Polygon(triangle);
  EXPECT_EQ(At(b, 1, 8), clYellow);
  EXPECT_EQ(At(b, 8, 1), clWhite);
}

TEST(CanvasShapesTest, PixelsAndSetPixel) {
  TBitmap b = WhiteBitmap(4, 4);
  TCanvas& c = b.Canvas();
  c.SetPixel(2, 3, clTeal);
  EXPECT_EQ(c.Pixels(2, 3), clTeal);
  EXPECT_EQ(At(b, 2, 3), clTeal);
  c.SetPixel(1, 1, clNone);
  EXPECT_EQ(c.Pixels(1, 1), clWhite);
  EXPECT_EQ(c.Pixels(100, 100), clNone) << "outside the surface";
}

TEST(CanvasClipTest, ClipScopeRestoresNoClipAndAnEarlierRegion) {
  TBitmap b = WhiteBitmap(20, 20);
  TCanvas& c = b.Canvas();
  c.Brush().SetColor(clRed);
  {
    TCanvasClip clip(c, RECT{5, 5, 10, 10});
    c.FillRect(RECT{0, 0, 20, 20});
    const RECT box = c.ClipRect();
    EXPECT_EQ(box.left, 5);
    EXPECT_EQ(box.right, 10);
  }
  EXPECT_EQ(At(b, 7, 7), clRed);
  EXPECT_EQ(At(b, 2, 2), clWhite);
  HDC dc = c.Handle();
  RegionHandle probe(CreateRectRgn(0, 0, 0, 0));
  EXPECT_EQ(GetClipRgn(dc, probe.Get()), 0) << "no clip region afterwards, as before";

  RegionHandle outer(CreateRectRgn(0, 0, 15, 15));
  SelectClipRgn(dc, outer.Get());
  {
    TCanvasClip clip(c, RECT{12, 12, 20, 20});
    c.Brush().SetColor(clBlue);
    c.FillRect(RECT{0, 0, 20, 20});
  }
  EXPECT_EQ(At(b, 13, 13), clBlue);
  EXPECT_EQ(At(b, 16, 16), clWhite) << "the scope intersects with the earlier region";
  EXPECT_EQ(At(b, 11, 11), clWhite);
  ASSERT_EQ(GetClipRgn(dc, probe.Get()), 1);
  EXPECT_TRUE(EqualRgn(probe.Get(), outer.Get())) << "the earlier region is back";
  SelectClipRgn(dc, nullptr);

  RegionHandle region(CreateRectRgn(0, 0, 3, 3));
  {
    TCanvasClip clip(c, region.Get());
    c.Brush().SetColor(clLime);
    c.FillRect(RECT{0, 0, 20, 20});
  }
  EXPECT_EQ(At(b, 1, 1), clLime);
  EXPECT_EQ(At(b, 4, 1), clWhite);
}

// A DC with objects of its own, as a window's DC has.
struct ForeignDC {
  MemoryDC dc{CreateCompatibleDC(nullptr)};
  BitmapHandle bitmap{CreateCompatibleBitmap(WindowDC(nullptr).Get(), 8, 8)};
  PenHandle pen{CreatePen(PS_SOLID, 1, RGB(1, 2, 3))};
  BrushHandle brush{CreateSolidBrush(RGB(4, 5, 6))};
  FontHandle font{CreateFontW(-9, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, L"Tahoma")};
  ForeignDC() {
    SelectObject(dc.Get(), bitmap.Get());
    SelectObject(dc.Get(), pen.Get());
    SelectObject(dc.Get(), brush.Get());
    SelectObject(dc.Get(), font.Get());
  }
  void ExpectOwnObjects() const {
    EXPECT_EQ(GetCurrentObject(dc.Get(), OBJ_PEN), pen.Get());
    EXPECT_EQ(GetCurrentObject(dc.Get(), OBJ_BRUSH), brush.Get());
    EXPECT_EQ(GetCurrentObject(dc.Get(), OBJ_FONT), font.Get());
  }
};

TEST(CanvasObjectsTest, CanvasPutsBackTheDCsObjectsOnEveryPath) {
  ForeignDC foreign;
  {
    TCanvas c(foreign.dc.Get());
    c.Pen().SetColor(clRed);
    c.Rectangle(0, 0, 4, 4);
    c.TextOut(0, 0, "x");
    EXPECT_NE(GetCurrentObject(foreign.dc.Get(), OBJ_PEN), foreign.pen.Get());
  }
  foreign.ExpectOwnObjects();

  EXPECT_THROW(
      {
        TCanvas c(foreign.dc.Get());
        c.Rectangle(0, 0, 4, 4);
        c.TextOut(0, 0, "x");
        throw std::runtime_error("painting failed");
      },
      std::runtime_error);
  foreign.ExpectOwnObjects();

  TCanvas c(foreign.dc.Get());
  c.FillRect(RECT{0, 0, 2, 2});
  c.SetHandle(nullptr);
  foreign.ExpectOwnObjects();
  EXPECT_THROW(c.LineTo(1, 1), EInvalidOperation);
}

TEST(CanvasObjectsTest, ChangingASelectedObjectDeletesTheOldHandleNotTheSelectedOne) {
  ForeignDC foreign;
  TCanvas c(foreign.dc.Get());
  c.TextOut(0, 0, "x");
  const HFONT first = c.Font().Handle();
  ASSERT_EQ(GetCurrentObject(foreign.dc.Get(), OBJ_FONT), first);
  c.Font().SetStyle({fsBold});
  EXPECT_EQ(GetObjectType(first), 0u) << "the replaced font is freed";
  EXPECT_NE(GetCurrentObject(foreign.dc.Get(), OBJ_FONT), first);
  c.TextOut(0, 0, "x");
  EXPECT_EQ(GetCurrentObject(foreign.dc.Get(), OBJ_FONT), c.Font().Handle());
}

TEST(FontTest, HandleIsRebuiltOnlyAfterARealChange) {
  TFont f;
  int changes = 0;
  f.OnChange = [&](TObject* sender) {
    EXPECT_EQ(sender, &f);
    ++changes;
  };
  const HFONT h = f.Handle();
  EXPECT_EQ(f.Handle(), h);
  f.SetName(f.Name());
  f.SetHeight(f.Height());
  f.SetStyle({});
  EXPECT_EQ(f.Handle(), h);
  EXPECT_EQ(changes, 0);

  f.SetSize(12);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(f.Height(), -16);
  EXPECT_EQ(f.Size(), 12);
  EXPECT_EQ(GetObjectType(h), 0u) << "the old handle is freed";
  const HFONT h2 = f.Handle();
  LOGFONTW lf{};
  ASSERT_NE(GetObjectW(h2, sizeof lf, &lf), 0);
  EXPECT_EQ(lf.lfHeight, -16);

  TFont g;
  g.Assign(f);
  EXPECT_TRUE(g == f);
  f.Assign(g);
  EXPECT_EQ(changes, 1) << "assigning equal attributes is no change";
  EXPECT_EQ(f.Handle(), h2);
  g.SetStyle({fsBold, fsUnderline});
  EXPECT_FALSE(g == f);
  f.SetFromHandle(g.Handle());
  EXPECT_TRUE(f.Style().Contains(fsBold));
  EXPECT_TRUE(f.Style().Contains(fsUnderline));
  EXPECT_FALSE(f.Style().Contains(fsItalic));
}

TEST(FontTest, LongFaceNamesAreCutToTheLogFontLimit) {
  TFont f;
  f.SetName(std::string(100, 'A'));
  const LOGFONTW lf = f.ToLogFont();
  EXPECT_EQ(lf.lfFaceName[LF_FACESIZE - 1], L'\0');
  EXPECT_NE(f.Handle(), nullptr);
}

// Glyphs drawn, not empty boxes or nothing: the four characters differ, so their columns must
// not all hold the same number of inked pixels.
void ExpectChineseGlyphs(std::string_view face) {
  SCOPED_TRACE(face);
  TBitmap b = WhiteBitmap(120, 40);
  TCanvas& c = b.Canvas();
  if (!face.empty()) c.Font().SetName(face);
  c.Font().SetHeight(-16);
  c.Font().SetColor(clBlack);
  const SIZE extent = c.TextExtent("中文买卖");
  EXPECT_GT(extent.cx, 30);
  EXPECT_GT(extent.cy, 10);
  c.Brush().SetStyle(bsClear);
  c.TextOut(2, 2, "中文买卖");
  EXPECT_GT(CountNot(b, clWhite, RECT{2, 2, 2 + extent.cx, 2 + extent.cy}), 40);
  int previous = -1, distinct = 0;
  const int quarter = extent.cx / 4;
  for (int i = 0; i < 4; ++i) {
    const int n = CountNot(b, clWhite, RECT{2 + i * quarter, 2, 2 + (i + 1) * quarter, 40});
    distinct += n != previous;
    previous = n;
  }
  EXPECT_GE(distinct, 3);
}

TEST(CanvasTextTest, ChineseTextLeavesGlyphPixels) {
  ExpectChineseGlyphs("微软雅黑");
  ExpectChineseGlyphs("");  // the default face
}

TEST(CanvasTextTest, OpaqueTextFillsItsBoxWithTheBrush) {
  TBitmap b = WhiteBitmap(80, 30);
  TCanvas& c = b.Canvas();
  c.Brush().SetColor(clYellow);
  c.Font().SetColor(clBlue);
  c.TextOut(0, 0, "Hi");
  EXPECT_EQ(At(b, 0, 0), clYellow);
  EXPECT_GT(CountNot(b, clYellow, RECT{0, 0, c.TextWidth("Hi"), c.TextHeight("Hi")}), 0);

  RECT r{0, 0, 40, 0};
  const int height = c.DrawText("one two three four", r, DT_WORDBREAK | DT_CALCRECT);
  EXPECT_GT(height, c.TextHeight("x")) << "wraps to several lines";
  EXPECT_EQ(r.bottom, height);
  RECT narrow{0, 0, 20, 20};
  c.DrawText("a long text cut with an ellipsis", narrow,
             DT_END_ELLIPSIS | DT_MODIFYSTRING | DT_SINGLELINE);  // must not write past the text
}

// A 4x3 picture: bottom-left pixel red (the automatic transparent colour).
TBitmap Picture() {
  TBitmap b(4, 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) b.ScanLine(y)[x] = TBitmap::ColorToPixel(clGreen);
  b.ScanLine(2)[0] = TBitmap::ColorToPixel(clRed);
  b.ScanLine(0)[3] = TBitmap::ColorToPixel(clRed);
  b.ScanLine(1)[1] = TBitmap::ColorToPixel(clBlue);
  return b;
}

TEST(BitmapTest, TransparentDrawLeavesTheBottomLeftColourOut) {
  TBitmap picture = Picture();
  EXPECT_EQ(picture.TransparentColor(), clRed);
  TBitmap target = WhiteBitmap(10, 10);
  target.Canvas().Draw(1, 1, picture);
  EXPECT_EQ(At(target, 1, 3), clRed) << "opaque by default";

  target = WhiteBitmap(10, 10);
  picture.SetTransparent(true);
  target.Canvas().Draw(1, 1, picture);
  EXPECT_EQ(At(target, 1, 3), clWhite);
  EXPECT_EQ(At(target, 4, 1), clWhite);
  EXPECT_EQ(At(target, 2, 2), clBlue);
  EXPECT_EQ(At(target, 1, 1), clGreen);

  picture.SetTransparentColor(clBlue);
  EXPECT_EQ(picture.TransparentMode(), tmFixed);
  target = WhiteBitmap(10, 10);
  target.Canvas().Draw(1, 1, picture);
  EXPECT_EQ(At(target, 2, 2), clWhite);
  EXPECT_EQ(At(target, 1, 3), clRed);
}

TEST(BitmapTest, StretchDrawScalesAndSetSizeKeepsTheTopLeft) {
  TBitmap picture = Picture();
  TBitmap target = WhiteBitmap(10, 10);
  target.Canvas().StretchDraw(RECT{0, 0, 8, 6}, picture);
  EXPECT_EQ(At(target, 2, 2), clBlue);
  EXPECT_EQ(At(target, 3, 3), clBlue);
  EXPECT_EQ(At(target, 0, 5), clRed);
  EXPECT_EQ(At(target, 8, 0), clWhite);

  int changes = 0;
  picture.OnChange = [&](TObject*) { ++changes; };
  picture.Canvas().Pen().SetColor(clBlack);  // a canvas made before the resize keeps working
  picture.SetSize(2, 5);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(At(picture, 1, 1), clBlue);
  EXPECT_EQ(At(picture, 0, 4), clBlack) << "new pixels are black";
  picture.Canvas().SetPixel(1, 4, clYellow);
  EXPECT_EQ(At(picture, 1, 4), clYellow);
  EXPECT_THROW(picture.ScanLine(5), EInvalidGraphic);
  EXPECT_THROW(picture.ScanLine(-1), EInvalidGraphic);
  picture.SetSize(0, 0);
  EXPECT_TRUE(picture.Empty());
  EXPECT_EQ(picture.Handle(), nullptr);
}

TEST(BitmapTest, AssignCopiesAndHandlesRoundTrip) {
  TBitmap picture = Picture();
  picture.SetTransparent(true);
  TBitmap copy;
  copy.Assign(picture);
  picture.ScanLine(0)[0] = TBitmap::ColorToPixel(clBlack);
  EXPECT_EQ(At(copy, 0, 0), clGreen) << "a copy, not a share";
  EXPECT_TRUE(copy.Transparent());
  TBitmap fromHandle;
  fromHandle.LoadFromHandle(copy.Handle());  // selected into copy's DC all along
  EXPECT_EQ(fromHandle.Width(), 4);
  EXPECT_EQ(At(fromHandle, 1, 1), clBlue);
  EXPECT_THROW(fromHandle.LoadFromHandle(nullptr), EInvalidGraphic);

  // Resource bitmaps come as paletted, bottom-up DIBs.
  struct {
    BITMAPINFOHEADER header{sizeof(BITMAPINFOHEADER), 2, 2, 1, 4, BI_RGB, 0, 0, 0, 0, 0};
    RGBQUAD colors[16]{{0, 0, 0, 0}, {0, 0, 0xFF, 0}, {0xFF, 0, 0, 0}};
  } paletted;
  void* bits = nullptr;
  BitmapHandle dib(CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&paletted),
                                    DIB_RGB_COLORS, &bits, nullptr, 0));
  ASSERT_NE(dib.Get(), nullptr);
  static_cast<std::uint8_t*>(bits)[0] = 0x12;  // bottom row: red, blue
  static_cast<std::uint8_t*>(bits)[4] = 0x21;  // top row: blue, red
  fromHandle.LoadFromHandle(dib.Get());
  EXPECT_EQ(At(fromHandle, 0, 0), clBlue);
  EXPECT_EQ(At(fromHandle, 0, 1), clRed);
  EXPECT_EQ(fromHandle.TransparentColor(), clRed) << "the bottom-left pixel";
}

TEST(BitmapTest, FilesRoundTripAndMalformedFilesAreRefused) {
  test::ScratchDir dir;
  const std::string path = Narrow(dir.Path()) + "picture.bmp";
  TBitmap picture = Picture();
  picture.SaveToFile(path);
  TBitmap loaded;
  loaded.LoadFromFile(path);
  ASSERT_EQ(loaded.Width(), 4);
  ASSERT_EQ(loaded.Height(), 3);
  EXPECT_EQ(At(loaded, 0, 2), clRed);
  EXPECT_EQ(At(loaded, 1, 1), clBlue);

  const std::array<std::uint8_t, 20> junk{'B', 'M', 0xFF, 0xFF, 0xFF, 0xFF};
  EXPECT_THROW(loaded.LoadFromMemory(junk), EInvalidGraphic);
  EXPECT_EQ(loaded.Width(), 4) << "a refused file leaves the picture as it was";
  EXPECT_THROW(loaded.LoadFromFile(Narrow(dir.Path()) + "missing.bmp"), EOSError);
  EXPECT_THROW(loaded.LoadFromResource(GetModuleHandleW(nullptr), "NOSUCHBITMAP"), EInvalidGraphic);
}

TEST(BrushTest, PatternBrushTilesACopyOfTheBitmap) {
  TBitmap pattern(8, 8);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x)
      pattern.ScanLine(y)[x] = TBitmap::ColorToPixel((x + y) % 2 ? clBlack : clWhite);
  TBitmap target(16, 16);
  target.Canvas().Brush().SetBitmap(&pattern);
  pattern.SetSize(0, 0);  // the brush holds its own copy
  target.Canvas().FillRect(RECT{0, 0, 16, 16});
  EXPECT_NE(At(target, 0, 0), At(target, 1, 0));
  EXPECT_EQ(At(target, 0, 0), At(target, 1, 1));
  EXPECT_EQ(At(target, 0, 0), At(target, 8, 8));
}

TEST(IconTest, IconsDrawWithTheirMaskAndCopyOnAssign) {
  TBitmap color(16, 16);  // black where the mask is transparent, as icons are made
  color.Canvas().Brush().SetColor(clRed);
  color.Canvas().FillRect(RECT{0, 0, 8, 16});
  std::array<std::uint8_t, 32> andBits{};  // left half opaque, right half transparent
  for (int y = 0; y < 16; ++y) andBits[y * 2 + 1] = 0xFF;
  BitmapHandle mask(CreateBitmap(16, 16, 1, 1, andBits.data()));
  ICONINFO info{TRUE, 0, 0, mask.Get(), color.Handle()};
  TIcon icon(CreateIconIndirect(&info));
  ASSERT_NE(icon.Handle(), nullptr);
  EXPECT_EQ(icon.Width(), 16);
  EXPECT_EQ(icon.Height(), 16);
  TIcon copy;
  copy.Assign(icon);
  EXPECT_NE(copy.Handle(), icon.Handle());
  TBitmap target = WhiteBitmap(20, 20);
  target.Canvas().Draw(2, 2, copy);
  EXPECT_EQ(At(target, 4, 4), clRed);
  EXPECT_EQ(At(target, 14, 4), clWhite);
  TIcon moved(std::move(copy));
  EXPECT_EQ(copy.Handle(), nullptr);
  EXPECT_EQ(moved.Width(), 16);
}

TEST(PaintBufferTest, PaintsInTargetCoordinatesAndCopiesOnlyTheArea) {
  TBitmap target = WhiteBitmap(30, 30);
  TPaintBuffer buffer;
  buffer.Paint(target.Canvas().Handle(), RECT{10, 10, 20, 20}, [](TCanvas& c) {
    c.Brush().SetColor(clNavy);
    c.FillRect(RECT{0, 0, 30, 30});
    c.SetPixel(12, 13, clYellow);
  });
  EXPECT_EQ(At(target, 10, 10), clNavy);
  EXPECT_EQ(At(target, 19, 19), clNavy);
  EXPECT_EQ(At(target, 12, 13), clYellow);
  EXPECT_EQ(At(target, 9, 9), clWhite);
  EXPECT_EQ(At(target, 20, 20), clWhite);

  EXPECT_THROW(buffer.Paint(target.Canvas().Handle(), RECT{0, 0, 30, 30},
                            [](TCanvas& c) {
                              c.Brush().SetColor(clRed);
                              c.FillRect(RECT{0, 0, 30, 30});
                              throw std::runtime_error("painter failed");
                            }),
               std::runtime_error);
  EXPECT_EQ(At(target, 0, 0), clWhite) << "nothing half-painted reaches the target";

  buffer.Paint(target.Canvas().Handle(), RECT{20, 0, 30, 10}, [](TCanvas& c) {
    c.FillRect(RECT{20, 0, 30, 10});                   // painters own every pixel of the area
    RegionHandle corner(CreateRectRgn(20, 0, 23, 3));  // logical, like everything else
    TCanvasClip clip(c, corner.Get());
    c.Brush().SetColor(clMaroon);
    c.FillRect(RECT{20, 0, 30, 10});
  });
  EXPECT_EQ(At(target, 21, 1), clMaroon);
  EXPECT_EQ(At(target, 24, 1), clWhite) << "clipped away";

  buffer.Paint(target.Canvas().Handle(), RECT{0, 0, 5, 5}, [](TCanvas& c) {
    c.FillRect(RECT{0, 0, 5, 5});  // a fresh canvas state: the default white brush
  });
  EXPECT_EQ(At(target, 0, 0), clWhite);
}

// Every object a canvas, bitmap, clip or image list makes for itself is freed again, on the
// error path too.
TEST(GdiLeakTest, RepeatedDrawingFreesEveryObjectItMakes) {
  TImageList list;
  list.AddMasked(Picture(), clDefault);
  const TBitmap glyph = Picture();
  TBitmap target(8, 8);
  const auto round = [&](int i) {
    TBitmap scratch(4, 4);
    TCanvas& c = scratch.Canvas();
    c.TextOut(0, 0, "字");
    c.Font().SetHeight(-12 - i % 2);  // replaces a font that is selected
    c.TextOut(0, 0, "字");
    c.Pen().SetWidth(1 + i % 2);
    c.LineTo(3, 3);
    c.Brush().SetStyle(i % 2 ? bsCross : bsSolid);
    c.FillRect(RECT{0, 0, 4, 4});
    RegionHandle earlier(CreateRectRgn(0, 0, 3, 3));
    SelectClipRgn(c.Handle(), earlier.Get());
    {
      TCanvasClip clip(c, RECT{0, 0, 2, 2});
      c.Draw(0, 0, glyph);
    }
    try {
      TCanvasClip clip(c, RECT{0, 0, 1, 1});
      TCanvas borrowed(target.Canvas().Handle());
      borrowed.Rectangle(0, 0, 3, 3);
      throw std::runtime_error("painting failed");
    } catch (const std::runtime_error&) {
    }
    list.Draw(target.Canvas(), 0, 0, 0, i % 2 == 0);
  };
  round(0);
  const int before = test::GdiHeadroom();
  for (int i = 1; i < 100; ++i) ASSERT_NO_THROW(round(i)) << "round " << i;
  EXPECT_EQ(test::GdiHeadroom(), before);
}

}  // namespace
}  // namespace kovra
