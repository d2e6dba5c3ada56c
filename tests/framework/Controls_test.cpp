// Controls on real windows: alignment, repainting, recreation, windowless children, colours,
// fonts, reflection and ownership.
#include "framework/Controls.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

#include "framework/Application.h"
#include "framework/Forms.h"
#include "support/Wait.h"

namespace kovra {
namespace {

using test::WaitUntil;

// A framework-painted child that counts its paints and can inset its aligned children.
class Box : public TCustomControl {
 public:
  explicit Box(TComponent* owner, int inset = 0) : TCustomControl(owner), inset_(inset) {}
  int paints = 0;

 protected:
  void AdjustClientRect(RECT& r) const override { InflateRect(&r, -inset_, -inset_); }
  void Paint() override {
    ++paints;
    Canvas().Brush().SetColor(Color());
    Canvas().FillRect(ClientRect());
  }

 private:
  int inset_;
};

// A windowless control that fills itself with its colour.
class Patch : public TGraphicControl {
 public:
  explicit Patch(TComponent* owner) : TGraphicControl(owner) {}

 protected:
  void Paint() override {
    Canvas().Brush().SetColor(Color());
    Canvas().FillRect(ClientRect());
  }
};

// The system EDIT control, subclassed.
class Edit : public TWinControl {
 public:
  explicit Edit(TComponent* owner) : TWinControl(owner) {
    SetControlStyle(ControlStyle() & ~csCaptureMouse);
  }

 protected:
  void CreateParams(TCreateParams& params) override {
    TWinControl::CreateParams(params);
    params.ClassName = L"EDIT";
    params.Style |= ES_AUTOHSCROLL;
  }
};

std::unique_ptr<TForm> ShownForm(int clientWidth = 300, int clientHeight = 200) {
  auto form = std::make_unique<TForm>();
  form->SetBorderStyle(bsNone);
  form->SetBounds(40, 40, clientWidth, clientHeight);
  form->Show();
  return form;
}

void ExpectBounds(const TControl& c, int l, int t, int w, int h) {
  EXPECT_EQ(c.Left(), l) << c.Name();
  EXPECT_EQ(c.Top(), t) << c.Name();
  EXPECT_EQ(c.Width(), w) << c.Name();
  EXPECT_EQ(c.Height(), h) << c.Name();
}

TColor PixelOf(HWND wnd, int x, int y) {
  RECT r;
  GetClientRect(wnd, &r);
  TBitmap bmp(r.right, r.bottom);
  SendMessageW(wnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(bmp.Canvas().Handle()),
               PRF_CLIENT | PRF_ERASEBKGND);
  return bmp.Canvas().Pixels(x, y);
}

TEST(ControlsAlignment, SidesThenClientInOrderInsideTheAdjustedRectangle) {
  auto form = ShownForm();
  auto* host = new Box(form.get(), 4);
  host->SetParent(form.get());
  host->SetAlign(alClient);
  auto make = [&](const char* name, TAlign align, int w, int h) {
    auto* c = new Box(form.get());
    c->SetName(name);
    c->SetBounds(0, 0, w, h);
    c->SetParent(host);
    c->SetAlign(align);
    return c;
  };
  auto* top = make("top", alTop, 10, 20);
  auto* hidden = make("hidden", alTop, 10, 15);
  hidden->SetVisible(false);
  auto* bottom = make("bottom", alBottom, 10, 30);
  auto* left1 = make("left1", alLeft, 40, 10);
  auto* left2 = make("left2", alLeft, 25, 10);
  auto* right = make("right", alRight, 50, 10);
  auto* client = make("client", alClient, 1, 1);
  auto* free = make("free", alNone, 7, 8);
  free->SetBounds(100, 100, 7, 8);

  ExpectBounds(*host, 0, 0, 300, 200);
  ExpectBounds(*top, 4, 4, 292, 20);
  ExpectBounds(*bottom, 4, 166, 292, 30);
  ExpectBounds(*left1, 4, 24, 40, 142);
  ExpectBounds(*left2, 44, 24, 25, 142);
  ExpectBounds(*right, 246, 24, 50, 142);
  ExpectBounds(*client, 69, 24, 177, 142);
  ExpectBounds(*free, 100, 100, 7, 8);

  // Showing the hidden one pushes the rest down; resizing the form realigns everything.
  hidden->SetVisible(true);
  ExpectBounds(*hidden, 4, 24, 292, 15);
  ExpectBounds(*left1, 4, 39, 40, 127);
  form->SetBounds(40, 40, 400, 250);
  ExpectBounds(*host, 0, 0, 400, 250);
  ExpectBounds(*bottom, 4, 216, 392, 30);
  ExpectBounds(*right, 346, 39, 50, 177);
  // The windows follow the fields.
  RECT r;
  GetWindowRect(right->Handle(), &r);
  MapWindowPoints(nullptr, host->Handle(), reinterpret_cast<POINT*>(&r), 2);
  EXPECT_EQ(r.left, 346);
  EXPECT_EQ(r.bottom - r.top, 177);
}

TEST(ControlsAlignment, WindowlessControlsAndDisabledAlignment) {
  auto form = ShownForm(200, 100);
  auto* a = new Patch(form.get());
  a->SetBounds(0, 0, 30, 5);
  a->SetParent(form.get());
  form->DisableAlign();
  a->SetAlign(alLeft);
  EXPECT_EQ(a->Height(), 5);  // not yet
  form->EnableAlign();
  ExpectBounds(*a, 0, 0, 30, 100);
  // A shrinking parent never gives a child negative space.
  auto* b = new Patch(form.get());
  b->SetBounds(0, 0, 500, 5);
  b->SetParent(form.get());
  b->SetAlign(alRight);
  EXPECT_GE(b->Left() + 0, -500);
  auto* c = new Patch(form.get());
  c->SetParent(form.get());
  c->SetAlign(alClient);
  EXPECT_GE(c->Width(), 0);
}

TEST(ControlsPainting, SettersInvalidateOnlyWhenTheValueChanges) {
  auto form = ShownForm();
  auto* box = new Box(form.get());
  box->SetBounds(10, 10, 50, 50);
  box->SetParent(form.get());
  HWND wnd = box->Handle();
  ASSERT_TRUE(WaitUntil([&] { return box->paints > 0 && !GetUpdateRect(wnd, nullptr, FALSE); }));
  const int before = box->paints;

  box->SetColor(box->Color());
  box->SetText(box->Text());
  box->SetVisible(true);
  box->SetEnabled(true);
  box->SetBounds(10, 10, 50, 50);
  box->SetDoubleBuffered(true);
  EXPECT_FALSE(GetUpdateRect(wnd, nullptr, FALSE));
  UpdateWindow(wnd);
  EXPECT_EQ(box->paints, before);

  box->SetColor(clRed);
  EXPECT_TRUE(GetUpdateRect(wnd, nullptr, FALSE));
  UpdateWindow(wnd);
  EXPECT_EQ(box->paints, before + 1);
  box->SetText("changed");
  EXPECT_TRUE(GetUpdateRect(wnd, nullptr, FALSE));
  UpdateWindow(wnd);
  EXPECT_EQ(box->paints, before + 2);
  EXPECT_EQ(PixelOf(wnd, 5, 5), clRed);
}

TEST(ControlsPainting, WindowlessChildrenArePaintedByTheirParentInZOrder) {
  auto form = ShownForm(100, 100);
  form->SetColor(clBlue);
  auto* lower = new Patch(form.get());
  lower->SetBounds(10, 10, 40, 40);
  lower->SetColor(clRed);
  lower->SetParent(form.get());
  auto* upper = new Patch(form.get());
  upper->SetBounds(30, 30, 40, 40);
  upper->SetColor(clLime);
  upper->SetParent(form.get());
  HWND wnd = form->Handle();
  EXPECT_EQ(PixelOf(wnd, 5, 5), clBlue);
  EXPECT_EQ(PixelOf(wnd, 15, 15), clRed);
  EXPECT_EQ(PixelOf(wnd, 35, 35), clLime);
  EXPECT_EQ(PixelOf(wnd, 69, 69), clLime);
  EXPECT_EQ(PixelOf(wnd, 70, 70), clBlue);  // clipped to its bounds
  lower->BringToFront();
  EXPECT_EQ(PixelOf(wnd, 35, 35), clRed);
  lower->SetVisible(false);
  EXPECT_EQ(PixelOf(wnd, 15, 15), clBlue);
}

TEST(ControlsPainting, PrintWindowCapturesWindowedChildrenAtTheirPlaces) {
  auto form = ShownForm(100, 80);
  form->SetColor(clBlue);
  auto* panel = new Box(form.get());
  panel->SetBounds(10, 10, 60, 50);
  panel->SetColor(clRed);
  panel->SetParent(form.get());
  auto* inner = new Box(form.get());
  inner->SetBounds(20, 20, 10, 10);
  inner->SetColor(clLime);
  inner->SetParent(panel);
  auto* hidden = new Box(form.get());
  hidden->SetBounds(80, 60, 10, 10);
  hidden->SetColor(clYellow);
  hidden->SetParent(form.get());
  hidden->SetVisible(false);
  TBitmap shot(100, 80);
  ASSERT_TRUE(PrintWindow(form->Handle(), shot.Canvas().Handle(), 0));
  EXPECT_EQ(shot.Canvas().Pixels(5, 5), clBlue);
  EXPECT_EQ(shot.Canvas().Pixels(12, 12), clRed);
  EXPECT_EQ(shot.Canvas().Pixels(35, 35), clLime);  // 10 + 20 + 5
  EXPECT_EQ(shot.Canvas().Pixels(41, 41), clRed);
  EXPECT_EQ(shot.Canvas().Pixels(85, 65), clBlue);
}

TEST(ControlsMouse, WindowlessControlsGetClicksAndEnterLeave) {
  auto form = ShownForm(100, 100);
  auto* patch = new Patch(form.get());
  patch->SetBounds(20, 20, 30, 30);
  patch->SetParent(form.get());
  int clicks = 0, enters = 0, leaves = 0;
  POINT down{};
  patch->OnClick = [&](TObject* sender) {
    EXPECT_EQ(sender, patch);
    ++clicks;
  };
  patch->OnMouseDown = [&](TObject*, TMouseButton b, TShiftState, int x, int y) {
    EXPECT_EQ(b, mbLeft);
    down = POINT{x, y};
  };
  patch->OnMouseEnter = [&](TObject*) { ++enters; };
  patch->OnMouseLeave = [&](TObject*) { ++leaves; };
  HWND wnd = form->Handle();
  SendMessageW(wnd, WM_MOUSEMOVE, 0, MAKELPARAM(25, 26));
  EXPECT_EQ(enters, 1);
  EXPECT_TRUE(patch->MouseInControl());
  SendMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(25, 26));
  EXPECT_EQ(down.x, 5);  // the control's own coordinates
  EXPECT_EQ(down.y, 6);
  EXPECT_TRUE(patch->MouseCapture());
  SendMessageW(wnd, WM_LBUTTONUP, 0, MAKELPARAM(26, 26));
  EXPECT_EQ(clicks, 1);
  EXPECT_FALSE(patch->MouseCapture());

  // Released outside: captured, so the control sees the release, but it is no click.
  SendMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(25, 26));
  SendMessageW(wnd, WM_LBUTTONUP, 0, MAKELPARAM(90, 90));
  EXPECT_EQ(clicks, 1);

  SendMessageW(wnd, WM_MOUSEMOVE, 0, MAKELPARAM(80, 80));
  EXPECT_EQ(leaves, 1);
  EXPECT_FALSE(patch->MouseInControl());
  // A disabled control takes no mouse input.
  patch->SetEnabled(false);
  SendMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(25, 26));
  SendMessageW(wnd, WM_LBUTTONUP, 0, MAKELPARAM(25, 26));
  EXPECT_EQ(clicks, 1);
}

TEST(ControlsMouse, ClickOnAWindowedControlFiresOnceAndLeaveFollowsTheWindow) {
  auto form = ShownForm(100, 100);
  auto* box = new Box(form.get());
  box->SetBounds(0, 0, 50, 50);
  box->SetParent(form.get());
  int clicks = 0, dbl = 0, enters = 0, leaves = 0;
  box->OnClick = [&](TObject*) { ++clicks; };
  box->OnDblClick = [&](TObject*) { ++dbl; };
  box->OnMouseEnter = [&](TObject*) { ++enters; };
  box->OnMouseLeave = [&](TObject*) { ++leaves; };
  HWND wnd = box->Handle();
  SendMessageW(wnd, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  SendMessageW(wnd, WM_MOUSEMOVE, 0, MAKELPARAM(6, 5));
  EXPECT_EQ(enters, 1);
  SendMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageW(wnd, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  SendMessageW(wnd, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageW(wnd, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(dbl, 1);
  SendMessageW(wnd, WM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(leaves, 1);
  EXPECT_FALSE(box->MouseInControl());
}

TEST(ControlsWindow, RecreationKeepsChildrenTextsAndBounds) {
  auto form = ShownForm(200, 100);
  auto* host = new Box(form.get());
  host->SetBounds(5, 5, 150, 80);
  host->SetParent(form.get());
  auto* edit = new Edit(form.get());
  edit->SetBounds(10, 10, 100, 22);
  edit->SetParent(host);
  edit->SetText("first");
  auto* inner = new Box(form.get());
  inner->SetBounds(10, 40, 20, 20);
  inner->SetParent(host);
  HWND oldHost = host->Handle(), oldEdit = edit->Handle();
  // What the user typed lives in the window only.
  SetWindowTextW(oldEdit, L"typed 中文");
  EXPECT_EQ(edit->Text(), "typed 中文");

  host->RecreateWnd();
  ASSERT_TRUE(host->HandleAllocated());
  EXPECT_NE(host->Handle(), oldHost);
  EXPECT_FALSE(IsWindow(oldHost));
  EXPECT_FALSE(IsWindow(oldEdit));
  ASSERT_TRUE(edit->HandleAllocated());
  EXPECT_EQ(GetParent(edit->Handle()), host->Handle());
  EXPECT_EQ(WindowText(edit->Handle()), "typed 中文");
  EXPECT_EQ(GetParent(inner->Handle()), host->Handle());
  RECT r;
  GetWindowRect(inner->Handle(), &r);
  MapWindowPoints(nullptr, host->Handle(), reinterpret_cast<POINT*>(&r), 2);
  EXPECT_EQ(r.left, 10);
  EXPECT_EQ(r.top, 40);
  EXPECT_EQ(TWinControl::FindControl(edit->Handle()), edit);
}

TEST(ControlsWindow, RecreatingFromOwnMessageIsDeferredUntilItUnwinds) {
  auto form = ShownForm(100, 100);
  auto* box = new Box(form.get());
  box->SetBounds(0, 0, 50, 50);
  box->SetParent(form.get());
  HWND old = box->Handle();
  HWND during = nullptr;
  box->OnClick = [&](TObject*) {
    box->RecreateWnd();
    during = box->WindowHandle();
  };
  SendMessageW(old, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageW(old, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(during, old);
  ASSERT_TRUE(WaitUntil([&] { return box->WindowHandle() != old; }));
  EXPECT_FALSE(IsWindow(old));
}

TEST(ControlsColorsAndFonts, ParentColorAndFontFollowUntilSetOwn) {
  auto form = ShownForm();
  form->SetColor(clYellow);
  auto* child = new Box(form.get());
  child->SetParentColor(true);
  child->SetParent(form.get());
  EXPECT_EQ(child->Color(), clYellow);
  form->SetColor(clAqua);
  EXPECT_EQ(child->Color(), clAqua);
  child->SetColor(clRed);
  EXPECT_FALSE(child->ParentColor());
  form->SetColor(clGreen);
  EXPECT_EQ(child->Color(), clRed);

  EXPECT_TRUE(child->ParentFont());
  form->Font().SetHeight(-20);
  EXPECT_EQ(child->Font().Height(), -20);
  EXPECT_TRUE(child->ParentFont());
  child->Font().SetName("Arial");
  EXPECT_FALSE(child->ParentFont());
  form->Font().SetHeight(-30);
  EXPECT_EQ(child->Font().Height(), -20);
  child->SetParentFont(true);
  EXPECT_EQ(child->Font().Height(), -30);
  EXPECT_EQ(child->Font().Name(), form->Font().Name());
}

TEST(ControlsWindow, SystemControlColoursAreReflectedToTheChild) {
  auto form = ShownForm();
  auto* edit = new Edit(form.get());
  edit->SetBounds(0, 0, 100, 22);
  edit->SetParent(form.get());
  edit->SetColor(clYellow);
  edit->Font().SetColor(clRed);
  HDC dc = GetDC(edit->Handle());
  const auto brush = reinterpret_cast<HBRUSH>(
      SendMessageW(form->Handle(), WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc),
                   reinterpret_cast<LPARAM>(edit->Handle())));
  EXPECT_EQ(GetBkColor(dc), static_cast<COLORREF>(clYellow));
  EXPECT_EQ(GetTextColor(dc), static_cast<COLORREF>(clRed));
  LOGBRUSH lb{};
  ASSERT_NE(brush, nullptr);
  GetObjectW(brush, sizeof lb, &lb);
  EXPECT_EQ(lb.lbColor, static_cast<COLORREF>(clYellow));
  ReleaseDC(edit->Handle(), dc);
}

TEST(ControlsOwnership, ParentsFreeTheirChildrenAndFreedChildrenLeave) {
  struct Tracked : Patch {
    Tracked(TComponent* o, int* counter) : Patch(o), counter_(counter) {}
    ~Tracked() override { ++*counter_; }
    int* counter_;
  };
  int freed = 0;
  auto form = ShownForm();
  auto* host = new Box(nullptr);  // no owner: only the parent frees it
  host->SetParent(form.get());
  auto* a = new Tracked(nullptr, &freed);
  a->SetParent(host);
  auto* b = new Tracked(form.get(), &freed);
  b->SetParent(host);
  delete a;
  EXPECT_EQ(host->ControlCount(), 1);
  HWND hostWnd = host->Handle();
  delete host;  // frees b, which also leaves its owner
  EXPECT_EQ(freed, 2);
  EXPECT_FALSE(IsWindow(hostWnd));
  EXPECT_EQ(form->ComponentCount(), 0);
  EXPECT_EQ(form->ControlCount(), 0);
  EXPECT_THROW(form->SetParent(static_cast<TWinControl*>(form.get())), EInvalidOperation);
}

TEST(ControlsOwnership, LoadingDefersLoadedUntilTheOwnerEndsIt) {
  struct Part : TControl {
    Part(TComponent* owner, std::string* log, const char* name) : TControl(owner), log_(log) {
      SetName(name);
    }
    void Loaded() override {
      TControl::Loaded();
      *log_ += Name() + (IsLoading() ? "(loading) " : " ");
    }
    std::string* log_;
  };
  std::string log;
  TComponent owner;
  owner.BeginLoading();
  auto* a = new Part(&owner, &log, "a");
  auto* b = new Part(&owner, &log, "b");
  EXPECT_TRUE(a->IsLoading());
  EXPECT_EQ(log, "");
  owner.EndLoading();
  EXPECT_EQ(log, "a b ");
  EXPECT_FALSE(b->IsLoading());
  EXPECT_EQ(owner.FindComponent("b"), b);
  EXPECT_EQ(owner.FindComponent(""), nullptr);
  owner.EndLoading();  // once only
  EXPECT_EQ(log, "a b ");

  // Free notification runs both ways and is undone when either side goes first.
  struct Watcher : TComponent {
    TComponent* seen = nullptr;
    void Notification(TComponent* c, TOperation op) override {
      if (op == opRemove) seen = c;
    }
  } watcher;
  auto* watched = new TComponent(nullptr);
  watcher.FreeNotification(watched);
  delete watched;
  EXPECT_EQ(watcher.seen, watched);
  {
    Watcher early;
    watched = new TComponent(nullptr);
    early.FreeNotification(watched);
  }
  delete watched;  // must not reach the freed watcher
}

TEST(ControlsWindow, ChildWithoutParentWindowIsRefused) {
  Box orphan(nullptr);
  EXPECT_THROW(orphan.Handle(), EInvalidOperation);
  EXPECT_FALSE(orphan.HandleAllocated());
}

}  // namespace
}  // namespace kovra
