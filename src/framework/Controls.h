// Controls: the windowless and windowed bases every visible part of the program derives from.
//   TControl         bounds, alignment, visibility, colour, font, text, mouse and its events
//   TGraphicControl  windowless; its parent paints it and passes it mouse messages
//   TWinControl      owns an HWND (ours or a subclassed system control), children, focus, keys
//   TCustomControl   windowed and custom-painted, double-buffered, with a canvas
//
// Ownership: a control belongs to its owner component (see Components.h) and to its parent: a
// parent's destructor frees the children it still holds, and a child freed earlier leaves both
// lists itself. Messages reach a control through WndProc, whose default routes to the small
// virtual handlers below; DefaultHandler is the system's (or the subclassed control's) own.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "framework/Components.h"
#include "framework/Graphics.h"
#include "framework/Messages.h"
#include "framework/SysUtils.h"
#include "framework/WindowClass.h"
#include "framework/runtime/Colors.h"

namespace kovra {

class TWinControl;
class TPopupMenu;
class TForm;

enum TAlign : std::uint8_t { alNone, alTop, alBottom, alLeft, alRight, alClient };
enum TAlignment : std::uint8_t { taLeftJustify, taRightJustify, taCenter };
enum TMouseButton : std::uint8_t { mbLeft, mbRight, mbMiddle };
// Only docking drags exist (Docking.h): a plain drag kind starts nothing.
enum TDragKind : std::uint8_t { dkDrag, dkDock };
enum TDragMode : std::uint8_t { dmManual, dmAutomatic };

using TShiftState = std::uint8_t;
constexpr TShiftState ssShift = 0x01, ssAlt = 0x02, ssCtrl = 0x04, ssLeft = 0x08, ssRight = 0x10,
                      ssMiddle = 0x20, ssDouble = 0x40;
// The modifier and button state of a mouse message's WParam, or of the keyboard now (keys only).
TShiftState MouseShiftState(WPARAM keys);
TShiftState KeyboardShiftState();

// What a control does for itself (ControlStyle).
using TControlStyle = std::uint32_t;
constexpr TControlStyle csAcceptsControls = 0x0001, csCaptureMouse = 0x0002, csClickEvents = 0x0008,
                        csFramed = 0x0010, csSetCaption = 0x0020, csOpaque = 0x0040,
                        csDoubleClicks = 0x0080, csFixedWidth = 0x0100, csFixedHeight = 0x0200,
                        csReplicatable = 0x0800, csNoStdEvents = 0x1000, csReflector = 0x4000,
                        csParentBackground = 0x40000;
// Transient state (ControlState).
using TControlState = std::uint32_t;
constexpr TControlState csLButtonDown = 0x01, csClicked = 0x02, csFocusing = 0x10,
                        csCreating = 0x20, csAligning = 0x40;

// System cursors by the framework's numbers.
enum TCursor : std::int16_t {
  crDefault = 0,
  crNone = -1,
  crArrow = -2,
  crCross = -3,
  crIBeam = -4,
  crSizeNESW = -6,
  crSizeNS = -7,
  crSizeNWSE = -8,
  crSizeWE = -9,
  crUpArrow = -10,
  crHourGlass = -11,
  crNo = -12,
  crAppStart = -19,
  crHelp = -20,
  crHandPoint = -21,
  crSizeAll = -22,
};
HCURSOR CursorHandle(TCursor cursor);  // null for crDefault and crNone

// The screen cursor: anything but crDefault overrides every control's own cursor in the
// program's windows (crHourGlass while a long task runs).
class TScreen {
 public:
  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor cursor);

 private:
  TCursor cursor_ = crDefault;
};
TScreen& Screen();

// Sets the screen cursor for a scope and restores the previous one on every path.
class TScreenCursor {
 public:
  explicit TScreenCursor(TCursor cursor) : saved_(Screen().Cursor()) { Screen().SetCursor(cursor); }
  ~TScreenCursor() { Screen().SetCursor(saved_); }
  TScreenCursor(const TScreenCursor&) = delete;
  TScreenCursor& operator=(const TScreenCursor&) = delete;

 private:
  TCursor saved_;
};

using TMouseEvent =
    std::function<void(TObject* sender, TMouseButton button, TShiftState shift, int x, int y)>;
using TMouseMoveEvent = std::function<void(TObject* sender, TShiftState shift, int x, int y)>;
using TKeyEvent = std::function<void(TObject* sender, WORD& key, TShiftState shift)>;
using TKeyPressEvent = std::function<void(TObject* sender, wchar_t& key)>;

class TControl : public TComponent {
 public:
  explicit TControl(TComponent* owner);
  ~TControl() override;

  TWinControl* Parent() const { return parent_; }
  virtual void SetParent(TWinControl* parent);
  virtual bool IsWindowed() const { return false; }

  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
  void SetTop(int v) { SetBounds(left_, v, width_, height_); }
  void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
  void SetHeight(int v) { SetBounds(left_, top_, width_, v); }
  virtual void SetBounds(int left, int top, int width, int height);
  RECT BoundsRect() const { return RECT{left_, top_, left_ + width_, top_ + height_}; }
  void SetBoundsRect(const RECT& r) {
    SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
  }
  virtual RECT ClientRect() const;
  int ClientWidth() const;
  int ClientHeight() const;
  // Origin of this control's client area in the nearest window's client coordinates.
  POINT ClientOrigin() const;

  // Aligned controls keep their order: one newly given an alignment goes innermost (after the
  // ones already aligned that way); moving an aligned control past another reorders the two.
  TAlign Align() const { return align_; }
  void SetAlign(TAlign align);

  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  // Visible, with every parent visible.
  virtual bool Showing() const;
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);

  TColor Color() const { return color_; }
  void SetColor(TColor color);
  bool ParentColor() const { return parentColor_; }
  void SetParentColor(bool value);
  TFont& Font() { return font_; }
  const TFont& Font() const { return font_; }
  void SetFont(const TFont& font) { font_.Assign(font); }
  bool ParentFont() const { return parentFont_; }
  void SetParentFont(bool value);

  // UTF-8. For windowed controls the window's own text (what the user typed) once created.
  virtual std::string Text() const;
  void SetText(std::string_view text);
  std::string Caption() const { return Text(); }
  void SetCaption(std::string_view text) { SetText(text); }

  TPopupMenu* PopupMenu() const { return popupMenu_; }
  void SetPopupMenu(TPopupMenu* menu);
  const std::string& Hint() const { return hint_; }
  void SetHint(std::string_view hint) { hint_ = hint; }
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool value) { showHint_ = value; }
  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor cursor);

  TDragKind DragKind() const { return dragKind_; }
  void SetDragKind(TDragKind value) { dragKind_ = value; }
  // Automatic: a left press starts BeginDrag(false) by itself.
  TDragMode DragMode() const { return dragMode_; }
  void SetDragMode(TDragMode value) { dragMode_ = value; }
  // From a left press: drags a dock-kind control onto dock sites at once or, unless
  // `immediate`, once the mouse has moved a few pixels. False when no drag took place (the
  // button went up in place, or there is nothing to drag); the press then goes on as usual.
  bool BeginDrag(bool immediate);

  // The resolution this control's bounds and font are at: the design's (96) until it is scaled.
  int CurrentPPI() const { return currentPPI_; }
  // Scales bounds, font, designed metrics and children to `ppi`: a form shown on, or moved to, a
  // monitor of another resolution. A control given a parent at another resolution follows it.
  void ScaleForPPI(int ppi);
  // Takes `ppi` as the resolution without scaling anything: what the control holds is already
  // there (a popup sized from the control it drops from).
  void AdoptPPI(int ppi);
  // A designed length at this control's resolution: the one rule for paint metrics.
  int ScaleValue(int designed) const { return MulDiv(designed, currentPPI_, kDesignPixelsPerInch); }

  TControlStyle ControlStyle() const { return controlStyle_; }
  void SetControlStyle(TControlStyle style) { controlStyle_ = style; }
  TControlState ControlState() const { return controlState_; }

  // Sends a message straight to this control's WndProc and returns its result.
  LRESULT Perform(UINT msg, WPARAM w = 0, LPARAM l = 0);
  virtual void Invalidate();
  // Invalidate, then paint at once.
  virtual void Repaint();
  virtual void Update();
  void Refresh() { Repaint(); }
  void BringToFront();
  void SendToBack();

  POINT ClientToScreen(POINT p) const;
  POINT ScreenToClient(POINT p) const;
  bool MouseCapture() const;
  void SetMouseCapture(bool capture);
  bool MouseInControl() const { return mouseInControl_; }

  virtual void WndProc(TMessage& m);
  virtual void DefaultHandler(TMessage& m);

  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseEvent OnMouseDown;
  TMouseMoveEvent OnMouseMove;
  TMouseEvent OnMouseUp;
  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;
  TNotifyEvent OnResize;

  // Fires OnClick; derived controls add what a click means to them.
  virtual void Click();

 protected:
  friend class TWinControl;
  // A setter's store: a changed value is kept and the control repaints; an equal one costs
  // nothing.
  template <class T>
  void Store(T& field, T value) {
    if (field == value) return;
    field = std::move(value);
    Invalidate();
  }

  virtual void DblClick();
  virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseMove(TShiftState shift, int x, int y);
  virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
  virtual void Resize();
  // Scales by m/d, m being the new resolution: bounds (a window without parent keeps its place on
  // screen) and the control's own font. Controls with designed lengths of their own scale them
  // too, then call this.
  virtual void ChangeScale(int m, int d);
  // Windowless controls paint here, on Canvas() (see TGraphicControl).
  virtual void Paint() {}
  void Loaded() override;
  void Notification(TComponent* component, TOperation operation) override;

  // Message handlers; each default does the framework's part and calls DefaultHandler where the
  // system must see the message too.
  virtual void WMLButtonDown(TMessage& m);
  virtual void WMLButtonUp(TMessage& m);
  virtual void WMLButtonDblClk(TMessage& m);
  virtual void WMRButtonDown(TMessage& m);
  virtual void WMRButtonUp(TMessage& m);
  virtual void WMMButtonDown(TMessage& m);
  virtual void WMMButtonUp(TMessage& m);
  virtual void WMMouseMove(TMessage& m);
  virtual void WMCancelMode(TMessage& m);
  virtual void CMMouseEnter(TMessage& m);
  virtual void CMMouseLeave(TMessage& m);
  virtual void CMEnabledChanged(TMessage& m);
  virtual void CMVisibleChanged(TMessage& m);
  virtual void CMColorChanged(TMessage& m);
  virtual void CMFontChanged(TMessage& m);
  virtual void CMTextChanged(TMessage& m);
  virtual void CMParentColorChanged(TMessage& m);
  virtual void CMParentFontChanged(TMessage& m);
  virtual void CMHitTest(TMessage& m);

  // Asks the parent to realign its children after this one's bounds, alignment or visibility
  // changed.
  void RequestAlign();
  // Stores new bounds without moving any window (the window moved itself).
  void UpdateBoundsFields(int left, int top, int width, int height);
  void SetControlState(TControlState flags) { controlState_ |= flags; }
  void ClearControlState(TControlState flags) { controlState_ &= ~flags; }
  // The text field itself, without asking a window.
  const std::string& StoredText() const { return text_; }
  void SetStoredText(std::string text) { text_ = std::move(text); }
  // Windowed controls push the changed text into their window.
  virtual void TextChanging(const std::string& text) { (void)text; }
  // Forwards a font change (TFont::OnChange) into CM_FONTCHANGED.
  void FontChanged();

 private:
  void MouseButtonDown(TMessage& m, TMouseButton button);
  void MouseButtonUp(TMessage& m, TMouseButton button);

  TWinControl* parent_ = nullptr;
  int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  TAlign align_ = alNone;
  bool alignPlaced_ = false;  // laid out at least once under align_
  bool visible_ = true;
  bool enabled_ = true;
  TColor color_ = clWindow;
  bool parentColor_ = false;
  TFont font_;
  bool parentFont_ = true;
  std::string text_;
  TPopupMenu* popupMenu_ = nullptr;
  std::string hint_;
  bool showHint_ = false;
  TCursor cursor_ = crDefault;
  TDragKind dragKind_ = dkDrag;
  TDragMode dragMode_ = dmManual;
  TControlStyle controlStyle_ = csCaptureMouse | csClickEvents | csSetCaption | csDoubleClicks;
  TControlState controlState_ = 0;
  bool mouseInControl_ = false;
  int currentPPI_ = kDesignPixelsPerInch;
};

// A windowless control. Its parent paints it in z-order after its own background, with the
// canvas's origin at the control's top-left corner and the clip set to its bounds.
class TGraphicControl : public TControl {
 public:
  explicit TGraphicControl(TComponent* owner);
  ~TGraphicControl() override;

  void Invalidate() override;
  void Update() override;
  // Paints into `dc`, whose origin the caller has moved to this control's top-left corner.
  void PaintTo(HDC dc);

 protected:
  // Valid during Paint only.
  TCanvas& Canvas() { return canvas_; }

 private:
  TCanvas canvas_;
};

class TWinControl : public TControl, public TWindowObject {
 public:
  explicit TWinControl(TComponent* owner);
  ~TWinControl() override;

  bool IsWindowed() const override { return true; }
  void SetParent(TWinControl* parent) override;
  // A window outside the framework to parent (or, for forms, own) this control's window.
  HWND ParentWindow() const { return parentWindow_; }
  void SetParentWindow(HWND wnd);

  HWND Handle();
  bool HandleAllocated() const { return WindowHandle() != nullptr; }
  void HandleNeeded() { Handle(); }
  // Destroys and creates the window again (new styles), keeping children and texts. Inside one
  // of this window's own messages the rebuild is posted instead (CM_RECREATEWND).
  void RecreateWnd();
  // The control that owns `wnd`, or that `wnd` belongs to (a child of a subclassed control).
  static TWinControl* FindControl(HWND wnd);

  int ControlCount() const { return static_cast<int>(controls_.size()); }
  TControl* Controls(int index) const { return controls_.at(static_cast<size_t>(index)); }
  bool ContainsControl(const TControl* control) const;
  // The visible, enabled child (windowless ones included) under a client point, topmost first.
  TControl* ControlAtPos(POINT p, bool allowDisabled = false) const;

  std::string Text() const override;
  RECT ClientRect() const override;
  bool Showing() const override;
  void SetBounds(int left, int top, int width, int height) override;
  void Invalidate() override;
  void Update() override;
  void InvalidateRect(const RECT& r, bool erase);

  // Lays the aligned children out inside AdjustClientRect's rectangle.
  void Realign();
  void DisableAlign() { ++alignDisabled_; }
  void EnableAlign();

  bool TabStop() const { return tabStop_; }
  void SetTabStop(bool value);
  int TabOrder() const;
  void SetTabOrder(int order);
  bool Focused() const;
  virtual bool CanFocus() const;
  virtual void SetFocus();
  // The next focusable descendant after `current` in tab order (wrapping), or null.
  TWinControl* FindNextControl(TWinControl* current, bool forward, bool checkTabStop) const;
  bool SelectNext(TWinControl* current, bool forward, bool checkTabStop);
  // Sends `m` to every child (windowless ones included) until one answers with a result.
  void Broadcast(TMessage& m);

  bool DoubleBuffered() const { return doubleBuffered_; }
  void SetDoubleBuffered(bool value);

  void WndProc(TMessage& m) override;
  void DefaultHandler(TMessage& m) override;

  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;
  TKeyEvent OnKeyDown;
  TKeyPressEvent OnKeyPress;
  TKeyEvent OnKeyUp;

 protected:
  friend class TControl;
  virtual void CreateParams(TCreateParams& params);
  // Children are scaled from their own resolution, before this control's bounds and font.
  void ChangeScale(int m, int d) override;
  virtual void CreateWnd();
  virtual void DestroyWnd();
  // The rectangle aligned children share; panels inset it by their frames.
  virtual void AdjustClientRect(RECT& r) const { (void)r; }
  virtual void AlignControls(TControl* changed, RECT& rect);
  // Paints this window's own content (not its windowless children) into `dc`.
  virtual void PaintWindow(HDC dc) { (void)dc; }
  // Fills the background with Color; used for WM_ERASEBKGND and buffered painting.
  virtual void EraseBackground(HDC dc, const RECT& r);
  // Windowless children, in z-order, over `clip` (client coordinates).
  void PaintControls(HDC dc, const RECT& clip);
  // Whether the framework paints this window; false for subclassed system controls.
  bool FrameworkPainted() const { return !IsSubclassed(); }

  virtual bool DoKeyDown(WORD& key, TShiftState shift);
  virtual bool DoKeyPress(wchar_t& key);
  virtual bool DoKeyUp(WORD& key, TShiftState shift);
  virtual void DoEnter();
  virtual void DoExit();

  virtual void WMPaint(TMessage& m);
  virtual void WMPrint(TMessage& m);
  virtual void WMPrintClient(TMessage& m);
  virtual void WMEraseBkgnd(TMessage& m);
  virtual void WMNCPaint(TMessage& m);
  virtual void WMNCCalcSize(TMessage& m);
  virtual void WMNCHitTest(TMessage& m);
  virtual void WMSize(TMessage& m);
  virtual void WMWindowPosChanged(TMessage& m);
  virtual void WMSetFocus(TMessage& m);
  virtual void WMKillFocus(TMessage& m);
  virtual void WMKeyDown(TMessage& m);
  virtual void WMKeyUp(TMessage& m);
  virtual void WMChar(TMessage& m);
  virtual void WMMouseLeave(TMessage& m);
  virtual void WMSetCursor(TMessage& m);
  virtual void WMContextMenu(TMessage& m);
  virtual void WMUpdateUIState(TMessage& m);
  virtual void WMReflected(TMessage& m);  // WM_COMMAND, WM_NOTIFY, WM_CTLCOLOR*, ...
  virtual void CNKeyDown(TMessage& m);
  virtual void CNChar(TMessage& m);
  virtual void CNCtlColor(TMessage& m);
  virtual void CMDialogKey(TMessage& m);
  virtual void CMDialogChar(TMessage& m);
  virtual void CMRecreateWnd(TMessage& m);
  virtual void CMFocusChanged(TMessage& m);
  virtual void WMCaptureChanged(TMessage& m);
  void CMEnabledChanged(TMessage& m) override;
  void CMVisibleChanged(TMessage& m) override;
  void CMColorChanged(TMessage& m) override;
  void CMFontChanged(TMessage& m) override;
  void CMTextChanged(TMessage& m) override;

  void HandleWindowMessage(TMessage& m) override;
  void WindowDestroyed() override;
  TObject* ExceptionSender() override { return this; }
  void TextChanging(const std::string& text) override;
  void Loaded() override;

  // The brush WM_CTLCOLOR* answers with; follows Color.
  HBRUSH ColorBrush();
  // Reads the window's styles (GWL_STYLE/GWL_EXSTYLE) and changes bits in place.
  void ChangeStyle(DWORD add, DWORD remove, bool extended = false);

 private:
  friend class TForm;
  void InsertControl(TControl* control);
  void RemoveControl(TControl* control);
  void ChildChanged(TControl* child);
  void CreateHandle();
  void RouteMouse(TMessage& m, bool& handled);
  void UpdateMouseHover(TControl* target);
  bool PaintHandler(HDC dc, const RECT& clip);
  void PrintChildren(HDC dc, LPARAM flags);
  void CollectTabOrder(std::vector<TWinControl*>& out) const;

  std::vector<TControl*> controls_;    // z-order, bottom first
  std::vector<TWinControl*> tabList_;  // tab order
  HWND parentWindow_ = nullptr;
  bool tabStop_ = false;
  bool doubleBuffered_ = false;
  bool tracking_ = false;
  bool recreatePending_ = false;
  int alignDisabled_ = 0;
  bool alignNeeded_ = false;
  TControl* captureControl_ = nullptr;  // windowless child holding the mouse
  TControl* hoverControl_ = nullptr;    // windowless child under the mouse
  std::unique_ptr<TBrush> brush_;
  TPaintBuffer paintBuffer_;
};

// A windowed control that paints itself on a canvas, always through an off-screen buffer; it
// answers WM_PRINTCLIENT so that PrintWindow captures it.
class TCustomControl : public TWinControl {
 public:
  explicit TCustomControl(TComponent* owner);
  ~TCustomControl() override;

 protected:
  TCanvas& Canvas() { return canvas_; }
  void PaintWindow(HDC dc) override;
  void CreateParams(TCreateParams& params) override;

 private:
  TCanvas canvas_;
};

// The form a control sits on, or null.
TForm* GetParentForm(const TControl* control);

}  // namespace kovra
