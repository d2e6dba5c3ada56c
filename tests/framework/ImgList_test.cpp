// Image lists: masks, strips, greyed drawing and change notification, checked by pixels.
#include "framework/ImgList.h"

#include <gtest/gtest.h>

#include "support/Gdi.h"

namespace kovra {
namespace {

TColor At(const TBitmap& b, int x, int y) {
  return TBitmap::PixelToColor(b.ScanLine(y)[x]);
}

TBitmap Filled(int width, int height, TColor color) {
  TBitmap b(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) b.ScanLine(y)[x] = TBitmap::ColorToPixel(color);
  return b;
}

// 16x16 red with a blue left column and a lime bottom-left pixel.
TBitmap Glyph() {
  TBitmap b = Filled(16, 16, clRed);
  for (int y = 0; y < 16; ++y) b.ScanLine(y)[0] = TBitmap::ColorToPixel(clBlue);
  b.ScanLine(15)[0] = TBitmap::ColorToPixel(clLime);
  return b;
}

TEST(ImageListTest, MaskWhitePixelsAreTransparent) {
  TImageList list;
  EXPECT_EQ(list.Width(), 16);
  EXPECT_EQ(list.Height(), 16);
  TBitmap mask = Filled(16, 16, clBlack);
  for (int y = 0; y < 16; ++y)
    for (int x = 8; x < 16; ++x) mask.ScanLine(y)[x] = TBitmap::ColorToPixel(clWhite);
  EXPECT_EQ(list.Add(Glyph(), &mask), 0);
  EXPECT_EQ(list.Add(Glyph()), 1);
  EXPECT_EQ(list.Count(), 2);

  TBitmap target = Filled(40, 20, clYellow);
  list.Draw(target.Canvas(), 2, 2, 0);
  list.Draw(target.Canvas(), 20, 2, 1);
  EXPECT_EQ(At(target, 2, 2), clBlue);
  EXPECT_EQ(At(target, 5, 5), clRed);
  EXPECT_EQ(At(target, 12, 5), clYellow) << "masked out";
  EXPECT_EQ(At(target, 30, 5), clRed) << "no mask: opaque";
  EXPECT_EQ(At(target, 1, 1), clYellow);
}

TEST(ImageListTest, AddMaskedKeysOnAColourOrTheBottomLeftPixel) {
  TImageList list;
  list.AddMasked(Glyph(), clBlue);
  list.AddMasked(Glyph(), clDefault);
  TBitmap target = Filled(40, 20, clYellow);
  list.Draw(target.Canvas(), 0, 0, 0);
  list.Draw(target.Canvas(), 20, 0, 1);
  EXPECT_EQ(At(target, 0, 3), clYellow);
  EXPECT_EQ(At(target, 0, 15), clLime);
  EXPECT_EQ(At(target, 5, 5), clRed);
  EXPECT_EQ(At(target, 20, 3), clBlue);
  EXPECT_EQ(At(target, 20, 15), clYellow) << "bottom-left colour keyed out";
}

TEST(ImageListTest, StripsDeleteClearAndBadIndexes) {
  TImageList list;
  int changes = 0;
  list.OnChange = [&](TObject*) { ++changes; };
  TBitmap strip = Filled(48, 16, clRed);
  for (int y = 0; y < 16; ++y)
    for (int x = 16; x < 32; ++x) strip.ScanLine(y)[x] = TBitmap::ColorToPixel(clBlue);
  EXPECT_EQ(list.Add(strip), 0);
  EXPECT_EQ(list.Count(), 3);
  list.Delete(0);
  EXPECT_EQ(list.Count(), 2);
  TBitmap target = Filled(16, 16, clWhite);
  list.Draw(target.Canvas(), 0, 0, 0);
  EXPECT_EQ(At(target, 4, 4), clBlue) << "the second image moved up";
  EXPECT_THROW(list.Delete(2), EInvalidOperation);
  EXPECT_THROW(list.Delete(-1), EInvalidOperation);
  EXPECT_THROW(list.GetIcon(5), EInvalidOperation);
  target = Filled(16, 16, clWhite);
  list.Draw(target.Canvas(), 0, 0, 7);
  list.Draw(target.Canvas(), 0, 0, -1);
  EXPECT_EQ(At(target, 4, 4), clWhite) << "a bad index draws nothing";
  EXPECT_THROW(list.Add(TBitmap()), EInvalidGraphic);
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(changes, 3);
  list.SetSize(24, 24);
  EXPECT_EQ(list.Width(), 24);
  EXPECT_EQ(changes, 4);
}

TEST(ImageListTest, DisabledImagesAreGreyAndKeepTheirShape) {
  TImageList list;
  list.AddMasked(Glyph(), clLime);
  TBitmap target = Filled(20, 20, clWhite);
  list.Draw(target.Canvas(), 0, 0, 0, false);
  const TColor face = At(target, 5, 5);
  EXPECT_EQ(RedOf(face), GreenOf(face));
  EXPECT_EQ(GreenOf(face), BlueOf(face));
  EXPECT_NE(face, clWhite);
  EXPECT_EQ(At(target, 0, 15), clWhite) << "transparent pixels stay transparent";
  EXPECT_EQ(At(target, 17, 17), clWhite);
  const TColor edge = At(target, 0, 5);
  EXPECT_EQ(RedOf(edge), BlueOf(edge));
  EXPECT_NE(edge, face) << "shapes inside the image stay visible";
}

TEST(ImageListTest, IconsGoInAndComeOut) {
  TImageList list;
  list.AddMasked(Glyph(), clLime);
  TIcon icon = list.GetIcon(0);
  ASSERT_NE(icon.Handle(), nullptr);
  EXPECT_EQ(icon.Width(), 16);
  EXPECT_EQ(list.AddIcon(icon), 1);
  TBitmap target = Filled(16, 16, clYellow);
  list.Draw(target.Canvas(), 0, 0, 1);
  EXPECT_EQ(At(target, 5, 5), clRed);
  EXPECT_EQ(At(target, 0, 3), clBlue);
  EXPECT_EQ(At(target, 0, 15), clYellow);
  EXPECT_THROW(list.AddIcon(TIcon()), EInvalidGraphic);
}

TEST(ImageListTest, ChangeLinksFollowTheListAndOutliveIt) {
  TChangeLink survivor;
  int survivorChanges = 0, freed = 0;
  survivor.OnChange = [&](TObject*) { ++survivorChanges; };
  survivor.OnFree = [&](TObject*) { ++freed; };
  {
    TImageList list;
    list.RegisterChanges(survivor);
    EXPECT_EQ(survivor.Sender(), &list);
    {
      TChangeLink shortLived;
      int shortChanges = 0;
      shortLived.OnChange = [&](TObject*) { ++shortChanges; };
      list.RegisterChanges(shortLived);
      list.Add(Glyph());
      EXPECT_EQ(shortChanges, 1);
    }
    list.Add(Glyph());  // the destroyed link is no longer called
    EXPECT_EQ(survivorChanges, 2);
  }
  EXPECT_EQ(freed, 1);
  EXPECT_EQ(survivor.Sender(), nullptr);
}

TEST(ImageListTest, BackgroundColourAndOverlays) {
  TImageList list;
  list.AddMasked(Glyph(), clLime);
  TBitmap dot = Filled(16, 16, clWhite);
  dot.ScanLine(8)[8] = TBitmap::ColorToPixel(clBlack);
  list.AddMasked(dot, clWhite);
  EXPECT_EQ(list.BkColor(), clNone);
  list.SetBkColor(clNavy);
  TBitmap target = Filled(16, 16, clYellow);
  list.Draw(target.Canvas(), 0, 0, 0);
  EXPECT_EQ(At(target, 0, 15), clNavy) << "the background colour fills the masked pixels";
  list.SetBkColor(clNone);

  list.Overlay(1, 0);
  EXPECT_THROW(list.Overlay(1, 15), EInvalidOperation);
  target = Filled(16, 16, clYellow);
  list.DrawOverlay(target.Canvas(), 0, 0, 0, 0);
  EXPECT_EQ(At(target, 8, 8), clBlack) << "overlay drawn over the image";
  EXPECT_EQ(At(target, 5, 5), clRed);
  EXPECT_EQ(At(target, 0, 15), clYellow);
}

TEST(ImageListTest, SharedHandlesOutliveTheirWrapper) {
  HIMAGELIST raw = ImageList_Create(24, 20, ILC_COLOR32 | ILC_MASK, 1, 1);
  ASSERT_NE(raw, nullptr);
  {
    TImageList shared;
    shared.SetShareImages(true);
    shared.SetHandle(raw);
    EXPECT_EQ(shared.Width(), 24);
    EXPECT_EQ(shared.Height(), 20);
    shared.Add(Filled(24, 20, clRed));
  }
  EXPECT_EQ(ImageList_GetImageCount(raw), 1) << "still alive after its wrapper";
  TImageList owner;
  owner.SetHandle(raw);  // owned from here on
  EXPECT_EQ(owner.Count(), 1);
  EXPECT_THROW(owner.SetHandle(nullptr), EInvalidOperation);
}

TEST(ImageListTest, TheListMadeHereGoesWhenASharedOneTakesItsPlace) {
  HIMAGELIST raw = ImageList_Create(24, 20, ILC_COLOR32 | ILC_MASK, 1, 1);
  ASSERT_NE(raw, nullptr);
  const int before = test::GdiHeadroom();
  for (int i = 0; i < 20; ++i) {
    TImageList shared;  // as the shell controls take the system's lists
    shared.SetShareImages(true);
    shared.SetHandle(raw);
  }
  EXPECT_EQ(test::GdiHeadroom(), before);
  EXPECT_EQ(ImageList_GetImageCount(raw), 0) << "the shared list is still alive";
  ImageList_Destroy(raw);
}

}  // namespace
}  // namespace kovra
