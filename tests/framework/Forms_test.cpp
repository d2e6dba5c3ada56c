// Forms on real windows: modal showing, closing handlers, keyboard navigation, styles.
#include "framework/Forms.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <stdexcept>

#include "framework/Application.h"
#include "framework/StdCtrls.h"
#include "framework/Timers.h"
#include "support/Pump.h"
#include "support/Windows.h"

namespace kovra {
namespace {

// Bounded polling through the framework's own loop step, so keys go through its preprocessing.
using test::PumpUntil;

// A focusable framework control that can claim dialog keys like a default or cancel button.
class Field : public TCustomControl {
 public:
  explicit Field(TComponent* owner, UINT claims = 0) : TCustomControl(owner), claims_(claims) {
    SetTabStop(true);
  }
  int dialogKeys = 0;

 protected:
  void CMDialogKey(TMessage& m) override {
    if (claims_ && m.WParam == claims_) {
      ++dialogKeys;
      m.Result = 1;
    }
  }

 private:
  UINT claims_;
};

std::unique_ptr<TForm> NewForm(TFormBorderStyle style = bsSizeable) {
  auto form = std::make_unique<TForm>();
  form->SetBorderStyle(style);
  form->SetBounds(50, 50, 240, 160);
  return form;
}

TEST(FormsModal, ModalResultFromATimerEndsTheNestedLoop) {
  auto owner = NewForm();
  owner->Show();
  auto dialog = NewForm(bsDialog);
  TTimer timer(dialog.get());
  timer.SetInterval(20);
  int ticks = 0;
  bool ownerDisabledDuring = false;
  int levelDuring = -1;
  timer.OnTimer = [&](TObject*) {
    ++ticks;
    ownerDisabledDuring = !IsWindowEnabled(owner->Handle());
    levelDuring = Application().ModalLevel();
    dialog->SetModalResult(mrOk);
  };
  EXPECT_EQ(dialog->ShowModal(), mrOk);
  EXPECT_GE(ticks, 1);
  EXPECT_TRUE(ownerDisabledDuring);
  EXPECT_EQ(levelDuring, 1);
  EXPECT_EQ(Application().ModalLevel(), 0);
  EXPECT_TRUE(IsWindowEnabled(owner->Handle()));
  EXPECT_FALSE(dialog->Visible());
  EXPECT_FALSE(IsWindowVisible(dialog->Handle()));
  EXPECT_FALSE(dialog->IsModal());
  EXPECT_THROW(owner->ShowModal(), EInvalidOperation);  // already visible
}

TEST(FormsModal, CloseQueryCanRefuseAndModalsNest) {
  auto outer = NewForm(bsDialog);
  auto inner = NewForm(bsDialog);
  int queries = 0;
  outer->OnCloseQuery = [&](TObject*, bool& canClose) { canClose = ++queries > 1; };
  TModalResult innerResult = -1;
  bool outerStillModal = false;
  TTimer step(nullptr);
  step.SetInterval(15);
  int stage = 0;
  step.OnTimer = [&](TObject*) {
    ++stage;
    if (stage == 1) {
      step.SetEnabled(false);
      inner->OnShow = [&](TObject*) { PostMessageW(inner->Handle(), WM_CLOSE, 0, 0); };
      innerResult = inner->ShowModal();
      outerStillModal = outer->IsModal();
      step.SetEnabled(true);
    } else if (stage == 2 || stage == 3) {
      PostMessageW(outer->Handle(), WM_CLOSE, 0, 0);  // the first is refused
    }
  };
  EXPECT_EQ(outer->ShowModal(), mrCancel);
  EXPECT_EQ(innerResult, mrCancel);
  EXPECT_TRUE(outerStillModal);
  EXPECT_EQ(queries, 2);
}

TEST(FormsClose, CloseActionsHideKeepOrFree) {
  auto form = NewForm();
  form->Show();
  TCloseAction next = caNone;
  int closes = 0;
  form->OnClose = [&](TObject* sender, TCloseAction& action) {
    EXPECT_EQ(sender, form.get());
    EXPECT_EQ(action, caHide);
    action = next;
    ++closes;
  };
  form->Close();
  EXPECT_TRUE(IsWindowVisible(form->Handle()));
  next = caHide;
  form->Close();
  EXPECT_FALSE(IsWindowVisible(form->Handle()));
  EXPECT_EQ(closes, 2);

  // caFree from inside the form's own WM_CLOSE: freed only after that message unwinds.
  bool destroyed = false;
  auto* freed = new TForm();
  freed->OnDestroy = [&](TObject*) { destroyed = true; };
  freed->OnClose = [&](TObject*, TCloseAction& action) { action = caFree; };
  freed->Show();
  SendMessageW(freed->Handle(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(destroyed);
  EXPECT_TRUE(PumpUntil([&] { return destroyed; }));
}

TEST(FormsKeyboard, TabMovesFocusInTabOrderSkippingNonStops) {
  auto form = NewForm();
  auto* a = new Field(form.get());
  auto* b = new Field(form.get());
  auto* c = new Field(form.get());
  auto* skipped = new Field(form.get());
  for (auto* f : {a, b, skipped, c}) {
    f->SetBounds(0, 0, 20, 20);
    f->SetParent(form.get());
  }
  skipped->SetTabStop(false);
  form->Show();
  SetForegroundWindow(form->Handle());
  ASSERT_TRUE(PumpUntil([&] { return a->Focused(); }));
  EXPECT_EQ(form->ActiveControl(), a);
  auto pressTab = [&](bool shift) {
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_SHIFT] = shift ? 0x80 : 0;
    SetKeyboardState(keys);
    PostMessageW(GetFocus(), WM_KEYDOWN, VK_TAB, 0);
    PumpUntil([] { return false; }, std::chrono::milliseconds(30));
    keys[VK_SHIFT] = 0;
    SetKeyboardState(keys);
  };
  pressTab(false);
  EXPECT_TRUE(b->Focused());
  pressTab(false);
  EXPECT_TRUE(c->Focused());
  pressTab(false);
  EXPECT_TRUE(a->Focused());  // wraps
  pressTab(true);
  EXPECT_TRUE(c->Focused());
  c->SetTabOrder(0);
  pressTab(false);
  EXPECT_TRUE(a->Focused());
  EXPECT_EQ(form->ActiveControl(), a);
}

TEST(FormsKeyboard, EnterAndEscapeAreOfferedAsDialogKeys) {
  auto form = NewForm();
  auto* focus = new Field(form.get());
  auto* defaultButton = new Field(form.get(), VK_RETURN);
  auto* cancelButton = new Field(form.get(), VK_ESCAPE);
  WORD keyDown = 0;
  focus->OnKeyDown = [&](TObject*, WORD& key, TShiftState) { keyDown = key; };
  for (auto* f : {focus, defaultButton, cancelButton}) f->SetParent(form.get());
  form->Show();
  SetForegroundWindow(form->Handle());
  focus->SetFocus();
  ASSERT_TRUE(PumpUntil([&] { return focus->Focused(); }));
  PostMessageW(focus->Handle(), WM_KEYDOWN, VK_RETURN, 0);
  PostMessageW(focus->Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
  PostMessageW(focus->Handle(), WM_KEYDOWN, 'A', 0);
  ASSERT_TRUE(PumpUntil([&] { return keyDown == 'A'; }));
  EXPECT_EQ(defaultButton->dialogKeys, 1);
  EXPECT_EQ(cancelButton->dialogKeys, 1);
  EXPECT_TRUE(focus->Focused());  // claimed keys never reached the focused control
}

TEST(FormsKeyboard, KeyPreviewSeesKeysFirstAndCanSwallowThem) {
  auto form = NewForm();
  auto* field = new Field(form.get());
  field->SetParent(form.get());
  form->SetKeyPreview(true);
  std::string order;
  form->OnKeyPress = [&](TObject*, wchar_t& key) {
    order += "form ";
    if (key == L'x') key = 0;
  };
  field->OnKeyPress = [&](TObject*, wchar_t&) { order += "field "; };
  form->Show();
  SendMessageW(field->Handle(), WM_CHAR, L'a', 0);
  SendMessageW(field->Handle(), WM_CHAR, L'x', 0);
  EXPECT_EQ(order, "form field form ");
}

TEST(FormsStyles, BorderStylesPositionParentAndTransparency) {
  auto form = NewForm(bsNone);
  auto* child = new Field(form.get());
  child->SetParent(form.get());
  HWND wnd = form->Handle();
  EXPECT_TRUE(GetWindowLongPtrW(wnd, GWL_STYLE) & WS_POPUP);
  EXPECT_FALSE((GetWindowLongPtrW(wnd, GWL_STYLE) & WS_CAPTION) == WS_CAPTION);
  EXPECT_EQ(GetWindow(wnd, GW_OWNER), Application().Handle());

  form->SetBorderStyle(bsToolWindow);  // recreates, keeping the child
  EXPECT_NE(form->Handle(), wnd);
  EXPECT_TRUE(GetWindowLongPtrW(form->Handle(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
  EXPECT_EQ(GetParent(child->Handle()), form->Handle());
  form->SetBorderStyle(bsDialog);
  EXPECT_TRUE(GetWindowLongPtrW(form->Handle(), GWL_EXSTYLE) & WS_EX_DLGMODALFRAME);

  auto bar = NewForm(bsNone);
  bar->SetParentWindow(GetDesktopWindow());
  bar->SetFormStyle(fsStayOnTop);
  bar->SetTransparentColorValue(clSilver);
  bar->SetTransparentColor(true);
  bar->SetPosition(poScreenCenter);
  bar->Show();
  HWND barWnd = bar->Handle();
  EXPECT_EQ(GetWindow(barWnd, GW_OWNER), nullptr);
  EXPECT_TRUE(GetWindowLongPtrW(barWnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_TRUE(GetWindowLongPtrW(barWnd, GWL_EXSTYLE) & WS_EX_LAYERED);
  COLORREF key = 0;
  DWORD flags = 0;
  ASSERT_TRUE(GetLayeredWindowAttributes(barWnd, &key, nullptr, &flags));
  EXPECT_EQ(key, static_cast<COLORREF>(clSilver));
  EXPECT_TRUE(flags & LWA_COLORKEY);
  RECT r;
  GetWindowRect(barWnd, &r);
  EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXSCREEN) - 240) / 2);
  EXPECT_EQ(r.top, (GetSystemMetrics(SM_CYSCREEN) - 160) / 2);
  bar->SetTransparentColor(false);
  EXPECT_FALSE(GetWindowLongPtrW(barWnd, GWL_EXSTYLE) & WS_EX_LAYERED);
}

TEST(FormsStyles, ClientSizeAndEventsOfCreationAndShowing) {
  auto form = NewForm(bsSingle);
  std::string events;
  form->OnCreate = [&](TObject*) { events += "create "; };
  form->OnShow = [&](TObject*) { events += "show "; };
  form->OnHide = [&](TObject*) { events += "hide "; };
  form->OnDestroy = [&](TObject*) { events += "destroy"; };
  form->SetClientWidth(200);
  form->SetClientHeight(100);
  form->Show();
  form->Hide();
  form->Show();
  RECT client;
  GetClientRect(form->Handle(), &client);
  EXPECT_EQ(client.right, 200);
  EXPECT_EQ(client.bottom, 100);
  // Minimised, the form keeps the bounds it returns to, and so do aligned children.
  auto* child = new Field(form.get());
  child->SetParent(form.get());
  child->SetAlign(alClient);
  const RECT before = form->BoundsRect();
  ShowWindow(form->Handle(), SW_MINIMIZE);
  EXPECT_EQ(form->Left(), before.left);
  EXPECT_EQ(form->Width(), before.right - before.left);
  EXPECT_EQ(child->Width(), 200);
  ShowWindow(form->Handle(), SW_RESTORE);
  EXPECT_EQ(form->Left(), before.left);
  EXPECT_EQ(child->Height(), 100);
  form.reset();
  EXPECT_EQ(events, "create show hide show destroy");
}

TEST(FormsStyles, ShowWithoutActivationLeavesTheForegroundAndItsWindowAlone) {
  auto active = NewForm();
  active->Show();
  SetForegroundWindow(active->Handle());
  ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == active->Handle(); }));
  // Shown both ways: with its window made beforehand (as the bar makes it during its start-up
  // search) and made by the showing itself.
  for (const bool handleFirst : {true, false}) {
    SCOPED_TRACE(handleFirst ? "window made beforehand" : "window made by Show");
    auto quiet = NewForm(bsNone);
    quiet->SetShowActivated(false);
    auto* field = new Field(quiet.get());
    field->SetParent(quiet.get());
    if (handleFirst) quiet->Handle();
    quiet->Show();
    EXPECT_TRUE(IsWindowVisible(quiet->Handle()));
    PumpUntil([] { return false; }, std::chrono::milliseconds(100));
    EXPECT_EQ(GetForegroundWindow(), active->Handle());
    EXPECT_NE(GetFocus(), field->Handle());
    // Shown again after hiding, it activates as any form does: only Show is quiet.
    quiet->Hide();
    quiet->SetVisible(true);
    EXPECT_TRUE(PumpUntil([&] { return GetForegroundWindow() == quiet->Handle(); }));
    SetForegroundWindow(active->Handle());
    PumpUntil([&] { return GetForegroundWindow() == active->Handle(); });
  }
}

}  // namespace
}  // namespace kovra

namespace kovra {
namespace {

TEST(FormsPlacement, CentringFollowsTheOwnerFormOrFallsBackToTheScreen) {
  auto owner = NewForm();
  owner->SetBounds(100, 80, 400, 300);
  owner->Show();
  auto dialog = std::make_unique<TForm>(owner.get());
  dialog->SetBounds(0, 0, 200, 100);
  dialog->SetPosition(poOwnerFormCenter);
  dialog->Show();
  RECT r;
  GetWindowRect(dialog->Handle(), &r);
  EXPECT_EQ(r.left, 100 + (400 - 200) / 2);
  EXPECT_EQ(r.top, 80 + (300 - 100) / 2);

  auto orphan = NewForm();  // no main form to centre on: the screen
  orphan->SetPosition(poMainFormCenter);
  orphan->Show();
  GetWindowRect(orphan->Handle(), &r);
  EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXSCREEN) - 240) / 2);
}

TEST(FormsPlacement, DefaultPositionLetsTheSystemChooseAndTheFieldsLearnIt) {
  auto form = std::make_unique<TForm>();
  form->SetBounds(-5000, -5000, 240, 160);
  form->SetPosition(poDefaultPosOnly);
  form->Show();
  RECT r;
  GetWindowRect(form->Handle(), &r);
  EXPECT_NE(r.left, -5000);
  EXPECT_EQ(form->Left(), r.left);
  EXPECT_EQ(form->Width(), 240);
}

TEST(FormsPlacement, WindowStateAppliesAtShowingAndFollowsTheUser) {
  auto form = NewForm();
  form->SetWindowState(wsMaximized);
  EXPECT_EQ(form->WindowState(), wsMaximized);  // hidden: the state it will show with
  form->Show();
  EXPECT_TRUE(IsZoomed(form->Handle()));
  EXPECT_EQ(form->WindowState(), wsMaximized);
  ShowWindow(form->Handle(), SW_RESTORE);  // as the user's restore button
  EXPECT_EQ(form->WindowState(), wsNormal);
  form->SetWindowState(wsMinimized);
  EXPECT_TRUE(IsIconic(form->Handle()));
  form->SetWindowState(wsNormal);
  EXPECT_FALSE(IsIconic(form->Handle()));
  EXPECT_FALSE(IsZoomed(form->Handle()));
}

TEST(FormsPlacement, MinimumSizeHoldsForCodeAndForTheFramesDrag) {
  auto form = NewForm();
  form->SetMinConstraints(300, 200);
  EXPECT_EQ(form->Width(), 300);  // raised at once
  EXPECT_EQ(form->Height(), 200);
  form->SetBounds(10, 10, 50, 50);
  EXPECT_EQ(form->Width(), 300);
  form->SetMinTrackSize(250, 150);
  form->Show();
  MINMAXINFO info{};
  SendMessageW(form->Handle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_EQ(info.ptMinTrackSize.x, 300);  // the constraint is larger
  EXPECT_EQ(info.ptMinTrackSize.y, 200);
  form->SetMinConstraints(0, 0);
  SendMessageW(form->Handle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_EQ(info.ptMinTrackSize.x, 250);
  EXPECT_EQ(info.ptMinTrackSize.y, 150);
}

TEST(FormsScreenCursor, OverridesEveryControlAndTheGuardRestoresOnEveryPath) {
  auto form = NewForm();
  form->SetCursor(crHandPoint);
  form->Show();
  HWND wnd = form->Handle();
  auto cursorAfterSetCursor = [&] {
    SendMessageW(wnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(wnd), MAKELPARAM(HTCLIENT, 0));
    return GetCursor();
  };
  EXPECT_EQ(Screen().Cursor(), crDefault);
  try {
    TScreenCursor busy(crHourGlass);
    EXPECT_EQ(Screen().Cursor(), crHourGlass);
    EXPECT_EQ(cursorAfterSetCursor(), LoadCursorW(nullptr, IDC_WAIT));
    {
      TScreenCursor nested(crDefault);
      EXPECT_EQ(Screen().Cursor(), crDefault);
    }
    EXPECT_EQ(Screen().Cursor(), crHourGlass);
    throw std::runtime_error("leaves the scope");
  } catch (const std::runtime_error&) {
  }
  EXPECT_EQ(Screen().Cursor(), crDefault);
}

}  // namespace
}  // namespace kovra

// ---- resolution ----

namespace kovra {
namespace {

using test::Edges;

// A form laid out as the bar is: a client-aligned panel, fixed-width children aligned left, a
// font of its own and one inherited.
struct ScaledLayout {
  std::unique_ptr<TForm> form = NewForm(bsNone);
  TCustomControl* panel = new TCustomControl(form.get());
  TCustomControl* button = new TCustomControl(form.get());
  TCustomControl* box = new TCustomControl(form.get());
  TCustomControl* placed = new TCustomControl(form.get());

  ScaledLayout() {
    form->SetBounds(40, 60, 232, 30);
    form->Font().SetHeight(-12);
    panel->SetParent(form.get());
    panel->SetAlign(alClient);
    button->SetParent(panel);
    button->SetWidth(37);
    button->SetAlign(alLeft);
    box->SetParent(panel);
    box->SetWidth(77);
    box->SetAlign(alLeft);
    box->SetParentFont(false);
    box->Font().SetHeight(-14);
    placed->SetParent(panel);
    placed->SetBounds(150, 4, 20, 10);
  }
};

TEST(FormsScale, DesignedLengthsFontsAndConstraintsFollowTheResolutionOnce) {
  ScaledLayout l;
  l.form->SetMinTrackSize(100, 20);
  l.form->ScaleForPPI(144);
  EXPECT_EQ(l.form->CurrentPPI(), 144);
  // Halves round up, as MulDiv does.
  // A window of its own keeps its place on the screen; children scale with their places.
  EXPECT_EQ(Edges(l.form->BoundsRect()), Edges(RECT{40, 60, 40 + 348, 60 + 45}));
  EXPECT_EQ(Edges(l.button->BoundsRect()), Edges(RECT{0, 0, 56, 45}));
  EXPECT_EQ(Edges(l.box->BoundsRect()), Edges(RECT{56, 0, 56 + 116, 45}));
  EXPECT_EQ(Edges(l.placed->BoundsRect()), Edges(RECT{225, 6, 225 + 30, 6 + 15}));
  EXPECT_EQ(l.form->Font().Height(), -18);
  EXPECT_EQ(l.button->Font().Height(), -18);  // inherited
  EXPECT_TRUE(l.button->ParentFont());
  EXPECT_EQ(l.box->Font().Height(), -21);
  EXPECT_EQ(l.box->Font().Size(), 11);  // the same points at the new resolution
  EXPECT_EQ(l.form->MinTrackSize().cx, 150);
  EXPECT_EQ(l.box->ScaleValue(4), 6);
  l.form->ScaleForPPI(144);  // already there: nothing grows twice
  EXPECT_EQ(l.form->Width(), 348);
  l.form->ScaleForPPI(96);  // and back
  EXPECT_EQ(Edges(l.form->BoundsRect()), Edges(RECT{40, 60, 40 + 232, 60 + 30}));
  EXPECT_EQ(Edges(l.box->BoundsRect()), Edges(RECT{37, 0, 37 + 77, 30}));
  EXPECT_EQ(l.box->Font().Height(), -14);
}

TEST(FormsScale, AControlJoiningAParentAtAnotherResolutionFollowsIt) {
  ScaledLayout l;
  l.form->ScaleForPPI(192);
  auto* late = new TCustomControl(l.form.get());
  late->SetBounds(10, 2, 30, 12);  // designed lengths, given before it has a parent
  late->SetParentFont(false);
  late->Font().SetHeight(-12);
  late->SetParent(l.panel);
  EXPECT_EQ(late->CurrentPPI(), 192);
  EXPECT_EQ(Edges(late->BoundsRect()), Edges(RECT{20, 4, 20 + 60, 4 + 24}));
  EXPECT_EQ(late->Font().Height(), -24);
  // A window sized from what is already on screen takes the resolution as it is.
  TForm popup;
  popup.SetBounds(0, 0, 60, 24);
  popup.AdoptPPI(192);
  late->SetParent(&popup);
  EXPECT_EQ(Edges(late->BoundsRect()), Edges(RECT{20, 4, 20 + 60, 4 + 24}));
}

// A container that places its one child from its own size, as the button edit places its buttons.
class TInsetPanel : public TCustomControl {
 public:
  using TCustomControl::TCustomControl;
  TControl* inner = nullptr;

 protected:
  void Resize() override {
    TCustomControl::Resize();
    if (inner) inner->SetBounds(2, 2, Width() - 4, Height() - 4);
  }
};

TEST(FormsScale, WhatIsSizedFromTheInheritedFontOrFromItsParentIsSizedOnlyOnce) {
  ScaledLayout l;
  auto* label = new TLabel(l.form.get());
  label->SetParent(l.form.get());
  label->SetCaption("按金额每次买：");
  auto* inset = new TInsetPanel(l.form.get());
  inset->SetParent(l.form.get());
  inset->inner = new TCustomControl(l.form.get());
  inset->inner->SetParent(inset);
  inset->SetBounds(100, 0, 40, 20);
  // The label at the new font, measured at the design's resolution.
  auto reference = NewForm(bsNone);
  reference->Font().SetHeight(-24);
  auto* measured = new TLabel(reference.get());
  measured->SetParent(reference.get());
  measured->SetCaption(label->Caption());
  l.form->Show();
  ASSERT_EQ(Edges(inset->inner->BoundsRect()), Edges(RECT{2, 2, 38, 18}));

  l.form->ScaleForPPI(192);
  EXPECT_EQ(label->Font().Height(), -24);
  EXPECT_EQ(label->Width(), measured->Width());
  EXPECT_EQ(label->Height(), measured->Height());
  EXPECT_EQ(Edges(inset->BoundsRect()), Edges(RECT{200, 0, 280, 40}));
  EXPECT_EQ(Edges(inset->inner->BoundsRect()), Edges(RECT{2, 2, 78, 38}));
}

TEST(FormsScale, MovingToAMonitorOfAnotherResolutionRescalesIntoTheSuggestedRectangle) {
  ScaledLayout l;
  l.form->Show();
  HWND wnd = l.form->Handle();
  const RECT suggested{300, 200, 300 + 464, 200 + 60};
  SendMessageW(wnd, WM_DPICHANGED, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&suggested));
  RECT r;
  GetWindowRect(wnd, &r);
  EXPECT_EQ(Edges(r), Edges(suggested));
  EXPECT_EQ(Edges(l.form->BoundsRect()), Edges(suggested));
  EXPECT_EQ(l.form->CurrentPPI(), 192);
  EXPECT_EQ(Edges(l.box->BoundsRect()), Edges(RECT{74, 0, 74 + 154, 60}));
  EXPECT_EQ(l.box->Font().Height(), -28);
  // The children draw again once they are in place.
  GetWindowRect(l.box->Handle(), &r);
  EXPECT_EQ(r.right - r.left, 154);
  EXPECT_TRUE(IsWindowVisible(l.box->Handle()));
  const LONG style = GetWindowLongW(l.panel->Handle(), GWL_STYLE);
  EXPECT_TRUE(style & WS_VISIBLE);
  // The same resolution again, at another place: only moved.
  const RECT moved{320, 210, 320 + 464, 210 + 60};
  SendMessageW(wnd, WM_DPICHANGED, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&moved));
  EXPECT_EQ(Edges(l.form->BoundsRect()), Edges(moved));
  EXPECT_EQ(l.box->Width(), 154);
}

}  // namespace
}  // namespace kovra
