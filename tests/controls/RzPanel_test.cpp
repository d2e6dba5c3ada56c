// Framed panels on real windows: frame pixels, the rectangle aligned children share, captions,
// grids, transparency, resizing repaints, disabling, the frame controller, docking and the
// status bar.
#include "controls/RzPanel.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "framework/Application.h"
#include "framework/Forms.h"
#include "support/Wait.h"

namespace kovra {
namespace {

using test::WaitUntil;

std::unique_ptr<TForm> ShownForm(int width = 300, int height = 200,
                                 TFormBorderStyle border = bsNone) {
  auto form = std::make_unique<TForm>();
  form->SetBorderStyle(border);
  form->SetBounds(40, 40, width, height);
  form->Show();
  return form;
}

// The panel's client area as its own painting produces it.
TBitmap Capture(TWinControl& control) {
  const RECT r = control.ClientRect();
  TBitmap bmp(r.right, r.bottom);
  SendMessageW(control.Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(bmp.Canvas().Handle()),
               PRF_CLIENT | PRF_ERASEBKGND);
  return bmp;
}

TColor Rgb(TColor c) {
  return ColorToRGB(c);
}

void ExpectBounds(const TControl& c, int l, int t, int w, int h) {
  EXPECT_EQ(c.Left(), l) << c.Name();
  EXPECT_EQ(c.Top(), t) << c.Name();
  EXPECT_EQ(c.Width(), w) << c.Name();
  EXPECT_EQ(c.Height(), h) << c.Name();
}

TRzPanel* AddPanel(TForm& form, TWinControl* parent, TAlign align, int w = 100, int h = 57) {
  auto* panel = new TRzPanel(&form);
  panel->SetBounds(0, 0, w, h);
  panel->SetParent(parent);
  panel->SetAlign(align);
  return panel;
}

TRzPanel* AddChild(TForm& form, TWinControl* parent, TAlign align, int w = 37, int h = 10) {
  return AddPanel(form, parent, align, w, h);
}

// ---- frames and the aligned rectangle ----

TEST(RzPanelFrames, DefaultRaisedOuterAndLoweredInnerWithChildrenFourPixelsIn) {
  auto form = ShownForm(232, 57);
  TRzPanel* panel = AddPanel(*form, form.get(), alClient);
  panel->SetBorderInner(fsLowered);
  panel->SetVisualStyle(vsClassic);
  TRzPanel* first = AddChild(*form, panel, alLeft);
  TRzPanel* second = AddChild(*form, panel, alLeft);
  second->SetLeft(100);

  ExpectBounds(*first, 4, 4, 37, 49);
  ExpectBounds(*second, 41, 4, 37, 49);

  const TBitmap shot = Capture(*panel);
  const int w = panel->Width(), h = panel->Height();
  auto at = [&](int x, int y) { return BitmapPixel(shot, x, y); };
  // Raised: outer ring cl3DLight over cl3DDkShadow, inner ring clBtnHighlight over clBtnShadow.
  EXPECT_EQ(at(0, 0), Rgb(cl3DLight));
  EXPECT_EQ(at(20, 0), Rgb(cl3DLight));
  EXPECT_EQ(at(0, 30), Rgb(cl3DLight));
  EXPECT_EQ(at(w - 1, 30), Rgb(cl3DDkShadow));
  EXPECT_EQ(at(20, h - 1), Rgb(cl3DDkShadow));
  EXPECT_EQ(at(1, 20), Rgb(clBtnHighlight));
  EXPECT_EQ(at(w - 2, 20), Rgb(clBtnShadow));
  EXPECT_EQ(at(20, h - 2), Rgb(clBtnShadow));
  // Lowered inside it: clBtnShadow over clBtnHighlight, then cl3DDkShadow over cl3DLight.
  EXPECT_EQ(at(2, 20), Rgb(clBtnShadow));
  EXPECT_EQ(at(20, 2), Rgb(clBtnShadow));
  EXPECT_EQ(at(w - 3, 20), Rgb(clBtnHighlight));
  EXPECT_EQ(at(3, 20), Rgb(cl3DDkShadow));
  EXPECT_EQ(at(w - 4, 20), Rgb(cl3DLight));
  EXPECT_EQ(at(20, h - 4), Rgb(cl3DLight));
  // The rest is Color.
  EXPECT_EQ(at(4, 4), Rgb(clBtnFace));
  EXPECT_EQ(at(w / 2, h / 2), Rgb(clBtnFace));
}

TEST(RzPanelFrames, NoFramesGiveChildrenAndFillTheWholeClientArea) {
  auto form = ShownForm();
  TRzPanel* panel = AddPanel(*form, form.get(), alNone, 120, 60);
  panel->SetBorderOuter(fsNone);
  panel->SetColor(clRed);
  TRzPanel* child = AddChild(*form, panel, alClient);
  ExpectBounds(*child, 0, 0, 120, 60);
  child->SetVisible(false);
  const TBitmap shot = Capture(*panel);
  EXPECT_EQ(BitmapPixel(shot, 0, 0), clRed);
  EXPECT_EQ(BitmapPixel(shot, 119, 59), clRed);
}

TEST(RzPanelFrames, TopSideOnlyMovesChildrenDownAndKeepsTheFullWidth) {
  auto form = ShownForm();
  TRzPanel* panel = AddPanel(*form, form.get(), alNone, 120, 60);
  panel->SetBorderSides(TSides{sdTop});
  TRzPanel* child = AddChild(*form, panel, alClient);
  ExpectBounds(*child, 0, 2, 120, 58);
  child->SetVisible(false);
  const TBitmap shot = Capture(*panel);
  EXPECT_EQ(BitmapPixel(shot, 60, 0), Rgb(cl3DLight));
  EXPECT_EQ(BitmapPixel(shot, 60, 1), Rgb(clBtnHighlight));
  EXPECT_EQ(BitmapPixel(shot, 0, 30), Rgb(clBtnFace));  // no left frame
  EXPECT_EQ(BitmapPixel(shot, 119, 30), Rgb(clBtnFace));
  EXPECT_EQ(BitmapPixel(shot, 60, 59), Rgb(clBtnFace));
}

TEST(RzPanelFrames, BorderWidthRingFollowsSidesButInsetsChildrenOnEverySide) {
  auto form = ShownForm();
  TRzPanel* panel = AddPanel(*form, form.get(), alNone, 120, 60);
  panel->SetBorderSides(TSides{sdLeft});
  panel->SetBorderWidth(3);
  panel->SetBorderColor(clBlue);
  TRzPanel* child = AddChild(*form, panel, alClient);
  // Raised on the left (2), then BorderWidth off all four sides.
  ExpectBounds(*child, 5, 3, 112, 54);
  child->SetVisible(false);
  const TBitmap shot = Capture(*panel);
  EXPECT_EQ(BitmapPixel(shot, 0, 30), Rgb(cl3DLight));
  for (int x = 2; x < 5; ++x) EXPECT_EQ(BitmapPixel(shot, x, 30), clBlue) << x;
  EXPECT_EQ(BitmapPixel(shot, 5, 30), Rgb(clBtnFace));
  EXPECT_EQ(BitmapPixel(shot, 60, 0), Rgb(clBtnFace));  // no ring at the top
  EXPECT_EQ(BitmapPixel(shot, 118, 30), Rgb(clBtnFace));

  // Narrowing the ring realigns at once.
  child->SetVisible(true);
  panel->SetBorderWidth(1);
  ExpectBounds(*child, 3, 1, 116, 58);
}

TEST(RzPanelFrames, StatusOuterUsesBevelWidthAndItsOwnColours) {
  auto form = ShownForm();
  TRzPanel* panel = AddPanel(*form, form.get(), alNone, 60, 40);
  panel->SetBorderOuter(fsStatus);
  panel->SetBevelWidth(3);
  panel->SetBorderShadow(clGreen);
  panel->SetBorderHighlight(clYellow);
  TRzPanel* child = AddChild(*form, panel, alClient);
  ExpectBounds(*child, 3, 3, 54, 34);
  child->SetVisible(false);
  const TBitmap shot = Capture(*panel);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(BitmapPixel(shot, i, 20), clGreen) << i;
    EXPECT_EQ(BitmapPixel(shot, 59 - i, 20), clYellow) << i;
  }
  EXPECT_EQ(BitmapPixel(shot, 3, 20), Rgb(clBtnFace));
}

// ---- interior: gradient, grid, caption, transparency ----

TEST(RzPanelInterior, CustomGradientRunsFromStartToStop) {
  auto form = ShownForm();
  TRzPanel* panel = AddPanel(*form, form.get(), alNone, 200, 40);
  panel->SetBorderOuter(fsNone);
  panel->SetVisualStyle(vsGradient);
  panel->SetGradientColorStyle(gcsCustom);
  panel->SetGradientColorStart(clBlack);
  panel->SetGradientColorStop(clWhite);
  panel->SetGradientDirection(gdHorizontalEnd);
  const TBitmap shot = Capture(*panel);
  // Horizontal bands: the colour runs from the top edge to the bottom one.
  const TColor top = BitmapPixel(shot, 100, 0), bottom = BitmapPixel(shot, 100, 39);
  EXPECT_LT(GetRValue(top), 20);
  EXPECT_GT(GetRValue(bottom), 235);
  EXPECT_LT(GetRValue(BitmapPixel(shot, 100, 10)), GetRValue(BitmapPixel(shot, 100, 30)));
  EXPECT_EQ(BitmapPixel(shot, 0, 10), BitmapPixel(shot, 199, 10));
}

TEST(RzPanelInterior, GridDotsSitAtTheEndOfEachCellAndZeroSizeDrawsNone) {
  auto form = ShownForm();
  TRzPanel* panel = AddPanel(*form, form.get(), alNone, 40, 30);
  panel->SetBorderOuter(fsNone);
  panel->SetShowGrid(true);
  panel->SetGridColor(clRed);
  TBitmap shot = Capture(*panel);
  int dots = 0;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x)
      if (BitmapPixel(shot, x, y) == clRed) {
        ++dots;
        EXPECT_EQ((x + 1) % 8, 0) << x << "," << y;
        EXPECT_EQ((y + 1) % 8, 0) << x << "," << y;
      }
  EXPECT_EQ(dots, 5 * 3);

  panel->SetGridXSize(0);
  shot = Capture(*panel);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) ASSERT_NE(BitmapPixel(shot, x, y), clRed) << x << "," << y;

  panel->SetGridXSize(10);
  panel->SetGridStyle(gsSolidLines);
  shot = Capture(*panel);
  for (int y = 0; y < 30; ++y) EXPECT_EQ(BitmapPixel(shot, 9, y), clRed) << y;
  for (int x = 0; x < 40; ++x) EXPECT_EQ(BitmapPixel(shot, x, 7), clRed) << x;
}

// Text pixels, smoothed or not: dark ones for black text, mid-grey ones for grey text.
bool IsDark(TColor c) {
  return GetRValue(c) < 60 && GetGValue(c) < 60 && GetBValue(c) < 60;
}
bool IsGrey(TColor c) {
  return !IsDark(c) && GetRValue(c) < 200 && GetRValue(c) == GetGValue(c);
}

// The first and last rows of the capture that hold a pixel the predicate accepts.
template <class Predicate>
std::pair<int, int> RowsWhere(const TBitmap& shot, Predicate accept) {
  int first = -1, last = -1;
  for (int y = 0; y < shot.Height(); ++y)
    for (int x = 0; x < shot.Width(); ++x)
      if (accept(BitmapPixel(shot, x, y))) {
        if (first < 0) first = y;
        last = y;
        break;
      }
  return {first, last};
}

TEST(RzPanelInterior, CaptionFollowsVerticalAlignmentAndGreysWhenDisabled) {
  auto form = ShownForm();
  TRzPanel* panel = AddPanel(*form, form.get(), alNone, 120, 90);
  panel->SetBorderOuter(fsNone);
  panel->SetCaption("Hx");
  panel->Font().SetColor(clBlack);

  panel->SetAlignmentVertical(avTop);
  auto [top1, top2] = RowsWhere(Capture(*panel), IsDark);
  ASSERT_GE(top1, 0);
  EXPECT_LT(top2, 20);

  panel->SetAlignmentVertical(avBottom);
  auto [bottom1, bottom2] = RowsWhere(Capture(*panel), IsDark);
  ASSERT_GE(bottom1, 0);
  EXPECT_GT(bottom1, 70);

  panel->SetAlignmentVertical(avCenter);
  auto [centre1, centre2] = RowsWhere(Capture(*panel), IsDark);
  EXPECT_GT(centre1, 30);
  EXPECT_LT(centre2, 60);

  panel->SetEnabled(false);
  const TBitmap disabled = Capture(*panel);
  EXPECT_EQ(RowsWhere(disabled, IsDark).first, -1);
  EXPECT_GE(RowsWhere(disabled, IsGrey).first, 0);
}

TEST(RzPanelInterior, TransparentPanelShowsItsParentAndInvalidatesChildren) {
  auto form = ShownForm();
  form->SetColor(clRed);
  TRzPanel* panel = AddPanel(*form, form.get(), alNone, 80, 40);
  panel->SetBorderOuter(fsNone);
  panel->SetColor(clBlue);
  TRzPanel* child = AddChild(*form, panel, alNone, 10, 10);
  EXPECT_EQ(BitmapPixel(Capture(*panel), 40, 20), clBlue);

  ASSERT_TRUE(WaitUntil([&] { return !GetUpdateRect(child->Handle(), nullptr, FALSE); }));
  panel->SetTransparent(true);
  EXPECT_FALSE(panel->ControlStyle() & csOpaque);
  EXPECT_TRUE(GetUpdateRect(child->Handle(), nullptr, FALSE));
  EXPECT_EQ(BitmapPixel(Capture(*panel), 40, 20), clRed);

  panel->SetTransparent(false);
  EXPECT_TRUE(panel->ControlStyle() & csOpaque);
  EXPECT_EQ(BitmapPixel(Capture(*panel), 40, 20), clBlue);
}

// ---- resizing, disabling, bounds ----

bool Pending(HWND wnd, int x, int y) {
  RegionHandle rgn(CreateRectRgn(0, 0, 0, 0));
  GetUpdateRgn(wnd, rgn.Get(), FALSE);
  return PtInRegion(rgn.Get(), x, y) != FALSE;
}

TEST(RzPanelResize, WithoutFullRepaintOnlyTheMovingFramesAreRepainted) {
  auto form = ShownForm();
  TRzPanel* panel = AddPanel(*form, form.get(), alNone, 100, 50);
  panel->SetFullRepaint(false);
  HWND wnd = panel->Handle();
  ASSERT_TRUE(WaitUntil([&] { return !GetUpdateRect(wnd, nullptr, FALSE); }));

  panel->SetWidth(80);  // shrinking: the new right frame must be drawn as well
  EXPECT_TRUE(Pending(wnd, 78, 25));
  EXPECT_TRUE(Pending(wnd, 79, 25));
  EXPECT_FALSE(Pending(wnd, 40, 25));
  ASSERT_TRUE(WaitUntil([&] { return !GetUpdateRect(wnd, nullptr, FALSE); }));
  EXPECT_EQ(BitmapPixel(Capture(*panel), 79, 25), Rgb(cl3DDkShadow));

  panel->SetCaption("x");  // a caption moves with the size: everything again
  ASSERT_TRUE(WaitUntil([&] { return !GetUpdateRect(wnd, nullptr, FALSE); }));
  panel->SetHeight(60);
  EXPECT_TRUE(Pending(wnd, 40, 25));
}

TEST(RzPanelEnabling, ReEnablingRestoresEachChildsEarlierState) {
  auto form = ShownForm();
  TRzPanel* panel = AddPanel(*form, form.get(), alClient);
  TRzPanel* a = AddChild(*form, panel, alLeft);
  TRzPanel* b = AddChild(*form, panel, alLeft);
  TRzPanel* c = AddChild(*form, panel, alLeft);
  b->SetEnabled(false);

  panel->SetEnabled(false);
  EXPECT_FALSE(a->Enabled());
  EXPECT_FALSE(b->Enabled());
  EXPECT_FALSE(c->Enabled());
  TRzPanel* late = AddChild(*form, panel, alLeft);  // joined while disabled
  late->SetEnabled(false);

  panel->SetEnabled(true);
  EXPECT_TRUE(a->Enabled());
  EXPECT_FALSE(b->Enabled());
  EXPECT_TRUE(c->Enabled());
  EXPECT_TRUE(late->Enabled());
  EXPECT_TRUE(IsWindowEnabled(a->Handle()));
  EXPECT_FALSE(IsWindowEnabled(b->Handle()));
}

// ---- frame controller ----

TEST(RzPanelFrameController, AcceptedSettingsArriveOnlyWhileFramesAreVisible) {
  auto form = ShownForm();
  TRzPanel* panel = AddPanel(*form, form.get(), alNone);
  TRzFrameController controller;
  controller.SetFrameStyle(fsFlat);
  controller.SetColor(clYellow);
  panel->SetFrameController(&controller);
  EXPECT_EQ(panel->BorderOuter(), fsRaised);  // FrameVisible is False

  panel->SetFrameControllerNotifications(TRzFrameControllerNotifications::All().Without(fcpColor));
  controller.SetFrameVisible(true);
  EXPECT_EQ(panel->BorderOuter(), fsFlat);
  EXPECT_EQ(panel->FlatColorAdjustment(), 0);
  EXPECT_EQ(panel->Color(), clBtnFace);

  panel->SetFrameControllerNotifications(TRzFrameControllerNotifications::All());
  controller.SetColor(clGreen);
  EXPECT_EQ(panel->Color(), clGreen);
  EXPECT_EQ(panel->BorderHighlight(), LightenColor(clGreen, 100));
  EXPECT_EQ(panel->BorderShadow(), DarkenColor(clGreen, 50));

  delete panel;  // leaves the controller's list
  EXPECT_EQ(controller.ControlCount(), 0u);
}

TEST(RzPanelFrameController, ControllerGoingAwayClearsTheReference) {
  auto form = ShownForm();
  TRzPanel* panel = AddPanel(*form, form.get(), alNone);
  {
    TRzFrameController controller;
    panel->SetFrameController(&controller);
    EXPECT_EQ(panel->FrameController(), &controller);
  }
  EXPECT_EQ(panel->FrameController(), nullptr);
  panel->ReadUseGradients(true);
  EXPECT_EQ(panel->VisualStyle(), vsGradient);
}

// ---- docking ----

TEST(RzPanelDocking, DockedClientsGetZonesBelowCaptionBarsAndCloseHidesOne) {
  auto form = ShownForm(300, 200);
  TRzPanel* site = AddPanel(*form, form.get(), alClient);
  site->SetBorderOuter(fsNone);
  EXPECT_FALSE(DockControl(*AddChild(*form, form.get(), alNone), *site));  // not a site yet
  site->SetDockSite(true);
  ASSERT_NE(dynamic_cast<TRzPanelDockManager*>(site->DockManager()), nullptr);

  TRzPanel* one = AddChild(*form, form.get(), alNone);
  TRzPanel* two = AddChild(*form, form.get(), alNone);
  one->SetCaption("One");
  ASSERT_TRUE(DockControl(*one, *site));
  ASSERT_TRUE(DockControl(*two, *site));
  EXPECT_EQ(one->Parent(), site);
  ExpectBounds(*one, 0, 14, 300, 86);
  ExpectBounds(*two, 0, 114, 300, 86);

  // The caption bar of an unfocused client is drawn in the inactive caption colour.
  const TBitmap shot = Capture(*site);
  EXPECT_EQ(BitmapPixel(shot, 150, 5), Rgb(clInactiveCaption));
  EXPECT_EQ(BitmapPixel(shot, 150, 105), Rgb(clInactiveCaption));

  // A click on the close glyph of the second zone hides that client; the first takes the room.
  const RECT close = site->DockManager()->CloseButtonRect(site->DockManager()->ZoneRect(two));
  EXPECT_EQ(close.left, 300 - 15);
  const LPARAM at = MAKELPARAM(close.left + 3, close.top + 3);
  SendMessageW(site->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageW(site->Handle(), WM_LBUTTONUP, 0, at);
  EXPECT_FALSE(two->Visible());
  ExpectBounds(*one, 0, 14, 300, 186);

  UndockControl(*one);
  EXPECT_EQ(site->DockManager()->ClientCount(), 1);
}

TEST(RzPanelDocking, TopAlignedSitesPutGrabbersOnTheLeft) {
  auto form = ShownForm(300, 200);
  TRzPanel* site = AddPanel(*form, form.get(), alTop, 100, 60);
  site->SetBorderOuter(fsNone);
  site->SetDockSite(true);
  TRzPanel* one = AddChild(*form, form.get(), alNone);
  TRzPanel* two = AddChild(*form, form.get(), alNone);
  DockControl(*one, *site);
  DockControl(*two, *site);
  ExpectBounds(*one, 14, 0, 136, 60);
  ExpectBounds(*two, 164, 0, 136, 60);
}

// ---- status bar ----

TEST(RzStatusBarTest, StylesItselfUntilABorderIsSet) {
  auto form = ShownForm(300, 200, bsSizeable);
  auto* bar = new TRzStatusBar(form.get());
  bar->SetParent(form.get());
  EXPECT_EQ(bar->Align(), alBottom);
  EXPECT_EQ(bar->Height(), 19);
  EXPECT_EQ(bar->BorderOuter(), fsNone);
  EXPECT_TRUE(bar->AutoStyle());
  EXPECT_EQ(bar->Top() + bar->Height(), form->ClientHeight());
  bar->SetBorderSides(kAllSides);  // unchanged: still automatic
  EXPECT_TRUE(bar->AutoStyle());
  bar->SetBorderOuter(fsLowered);
  EXPECT_FALSE(bar->AutoStyle());
}

TEST(RzStatusBarTest, GripOnlyOnSizeableFormsAndDrawnAsSquaresInTheClassicLook) {
  auto fixed = ShownForm(300, 200, bsSingle);
  auto* bar = new TRzStatusBar(fixed.get());
  bar->SetParent(fixed.get());
  bar->Repaint();
  EXPECT_FALSE(bar->SizeGripValid());
  const RECT before = fixed->BoundsRect();
  SendMessageW(bar->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(bar->Width() - 3, 10));
  SendMessageW(bar->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(bar->Width() - 3, 10));
  const RECT after = fixed->BoundsRect();
  EXPECT_TRUE(EqualRect(&before, &after));

  auto sizeable = ShownForm(300, 200, bsSizeable);
  auto* grip = new TRzStatusBar(sizeable.get());
  grip->SetParent(sizeable.get());
  grip->SetVisualStyle(vsClassic);
  grip->Repaint();
  EXPECT_TRUE(grip->SizeGripValid());
  const TBitmap shot = Capture(*grip);
  const int r = grip->Width(), b = grip->Height() - 1;
  EXPECT_EQ(BitmapPixel(shot, r - 4, b - 11), Rgb(clBtnHighlight));
  EXPECT_EQ(BitmapPixel(shot, r - 6, b - 13), Rgb(clBtnShadow));
  EXPECT_EQ(BitmapPixel(shot, r - 12, b - 3), Rgb(clBtnHighlight));
  EXPECT_EQ(BitmapPixel(shot, r - 20, b - 6), Rgb(clBtnFace));
}

TEST(RzStatusBarTest, SimpleStatusHidesPanesAndShowsTheCaption) {
  auto form = ShownForm(300, 200, bsSizeable);
  auto* bar = new TRzStatusBar(form.get());
  bar->SetParent(form.get());
  bar->SetVisualStyle(vsClassic);
  TRzPanel* pane = AddChild(*form, bar, alLeft, 80);
  TRzPanel* hidden = AddChild(*form, bar, alLeft, 80);
  hidden->SetVisible(false);
  bar->SetSimpleCaption("Ready");
  bar->Font().SetColor(clBlack);
  bar->SetSimpleStatus(true);
  EXPECT_FALSE(pane->Visible());
  EXPECT_GE(RowsWhere(Capture(*bar), IsDark).first, 0);
  bar->SetSimpleStatus(false);
  EXPECT_TRUE(pane->Visible());
  EXPECT_FALSE(hidden->Visible());
}

TEST(RzStatusBarTest, AutoScalePanesSharesAWidthChangeByPaneWidth) {
  auto form = ShownForm(300, 200);
  auto* bar = new TRzStatusBar(form.get());
  bar->SetParent(form.get());
  bar->SetAutoScalePanes(true);
  TRzPanel* a = AddChild(*form, bar, alLeft, 100);
  TRzPanel* b = AddChild(*form, bar, alLeft, 50);
  form->SetWidth(360);
  EXPECT_EQ(a->Width(), 120);
  EXPECT_EQ(b->Width(), 60);
}

// ---- every look on one form ----

// Each window of the tree painted by itself into its place, children over parents.
void PrintTree(TWinControl& control, HDC dc, POINT origin) {
  const int saved = SaveDC(dc);
  SetViewportOrgEx(dc, origin.x, origin.y, nullptr);
  SendMessageW(control.Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc),
               PRF_CLIENT | PRF_ERASEBKGND);
  RestoreDC(dc, saved);
  for (int i = 0; i < control.ControlCount(); ++i) {
    auto* child = dynamic_cast<TWinControl*>(control.Controls(i));
    if (child && child->Visible())
      PrintTree(*child, dc, POINT{origin.x + child->Left(), origin.y + child->Top()});
  }
}

// A form holding the panels in each frame style, visual style, grid, caption placement and
// state, docked clients and both status-bar looks. Set KOVRA_GALLERY_BMP to a Windows path to
// keep a screenshot of it.
TEST(RzPanelGallery, EveryLookPaintsItsOwnInterior) {
  auto form = ShownForm(720, 470, bsSizeable);
  form->SetColor(RGBColor(0, 128, 128));
  auto panel = [&](int x, int y, int w, int h, const char* caption) {
    TRzPanel* p = AddPanel(*form, form.get(), alNone, w, h);
    p->SetBounds(x, y, w, h);
    p->SetCaption(caption);
    p->SetVisualStyle(vsClassic);
    return p;
  };
  const char* kStyles[] = {"fsNone",    "fsFlat",       "fsGroove",   "fsBump",
                           "fsLowered", "fsButtonDown", "fsRaised",   "fsButtonUp",
                           "fsStatus",  "fsPopup",      "fsFlatBold", "fsFlatRounded"};
  std::vector<TRzPanel*> framed;
  for (int i = 0; i < 12; ++i) {
    TRzPanel* p = panel(8 + (i % 6) * 118, 8 + (i / 6) * 48, 110, 40, kStyles[i]);
    p->SetBorderOuter(static_cast<TFrameStyleEx>(i));
    framed.push_back(p);
  }
  TRzPanel* winXP = panel(8, 112, 110, 56, "vsWinXP, inner lowered");
  winXP->SetVisualStyle(vsWinXP);
  winXP->SetBorderInner(fsLowered);
  TRzPanel* system = panel(126, 112, 110, 56, "gradient, system");
  system->SetVisualStyle(vsGradient);
  TRzPanel* office = panel(244, 112, 110, 56, "gradient, scheme");
  office->SetVisualStyle(vsGradient);
  office->SetGradientColorStyle(gcsMSOffice);
  office->SetGradientDirection(gdVerticalCenter);
  TRzPanel* custom = panel(362, 112, 110, 56, "gradient, custom box");
  custom->SetVisualStyle(vsGradient);
  custom->SetGradientColorStyle(gcsCustom);
  custom->SetGradientColorStart(RGBColor(255, 230, 160));
  custom->SetGradientColorStop(RGBColor(200, 80, 40));
  custom->SetGradientDirection(gdSquareBox);
  TRzPanel* ring = panel(480, 112, 110, 56, "BorderWidth 4, flat");
  ring->SetBorderOuter(fsFlatBold);
  ring->SetBorderInner(fsFlatRounded);
  ring->SetBorderWidth(4);
  ring->SetBorderColor(RGBColor(255, 255, 200));
  TRzPanel* disabled = panel(598, 112, 110, 56, "disabled caption");
  disabled->SetEnabled(false);

  const TRzGridStyle kGrids[] = {gsDots, gsDottedLines, gsSolidLines};
  for (int i = 0; i < 3; ++i) {
    TRzPanel* g = panel(8 + i * 118, 176, 110, 56, "");
    g->SetShowGrid(true);
    g->SetGridStyle(kGrids[i]);
    g->SetBorderOuter(fsLowered);
  }
  TRzPanel* wrapped = panel(362, 176, 110, 56, "a caption wrapped at word breaks, left");
  wrapped->SetAlignment(taLeftJustify);
  wrapped->SetAlignmentVertical(avTop);
  wrapped->SetTextMargin(4);
  TRzPanel* right = panel(480, 176, 110, 56, "bottom right");
  right->SetAlignment(taRightJustify);
  right->SetAlignmentVertical(avBottom);
  TRzPanel* transparent = panel(598, 176, 110, 56, "transparent");
  transparent->SetTransparent(true);
  transparent->SetBorderOuter(fsGroove);

  TRzPanel* site = panel(8, 240, 350, 130, "");
  site->SetBorderOuter(fsLowered);
  site->SetDockSite(true);
  TRzPanel* holder = panel(366, 240, 342, 130, "");
  holder->SetBorderOuter(fsNone);
  TRzPanel* topSite = AddPanel(*form, holder, alTop, 342, 130);  // grabbers on the left
  topSite->SetDockSite(true);
  const char* kClients[] = {"Quotes", "Orders", "Journal", "Funds"};
  for (int i = 0; i < 4; ++i) {
    TRzPanel* c = panel(0, 0, 50, 50, kClients[i]);
    c->SetColor(i % 2 ? RGBColor(230, 240, 255) : RGBColor(255, 245, 230));
    DockControl(*c, i < 2 ? *site : *topSite);
  }

  auto* themed = new TRzStatusBar(form.get());
  themed->SetParent(form.get());
  TRzPanel* pane = AddChild(*form, themed, alLeft, 200);
  pane->SetBorderOuter(fsStatus);
  pane->SetCaption("themed status bar");
  auto* classic = new TRzStatusBar(form.get());
  classic->SetParent(form.get());
  classic->SetVisualStyle(vsClassic);
  classic->SetSimpleCaption("classic status bar, simple status");
  classic->SetSimpleFrameStyle(fsLowered);
  classic->SetSimpleStatus(true);

  ASSERT_TRUE(WaitUntil([&] { return !GetUpdateRect(form->Handle(), nullptr, FALSE); }));
  for (TRzPanel* p : framed)
    EXPECT_EQ(BitmapPixel(Capture(*p), 8, 30), Rgb(clBtnFace)) << p->Caption();
  EXPECT_NE(BitmapPixel(Capture(*system), 55, 28), BitmapPixel(Capture(*custom), 55, 28));
  EXPECT_EQ(BitmapPixel(Capture(*transparent), 55, 10), RGBColor(0, 128, 128));
  EXPECT_TRUE(themed->SizeGripValid());

  if (const char* path = std::getenv("KOVRA_GALLERY_BMP")) {
    TBitmap shot(form->ClientWidth(), form->ClientHeight());
    PrintTree(*form, shot.Canvas().Handle(), POINT{0, 0});
    shot.SaveToFile(path);
  }
}

}  // namespace
}  // namespace kovra
