// The pocket calculator and the drop-down host that shows a panel's children under a control.
//   TRzCalculatorColors  the calculator's eight colours, read and written by index
//   TRzCalculator        a four-function calculator drawn on a framed panel; mouse and keys;
//                        in popup mode a "set" button hands its result to whoever popped it up
//   TRzCustomPopup       the framed panel look shared by the two popup classes
//   TRzPopup             the borderless, never-activated window a drop-down runs in
//   TRzPopupPanel        holds the children at design time and pops them up under a control,
//                        running a local message loop until accepted or cancelled
// The arithmetic is in RzCalculatorLogic.h.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <memory>

#include "controls/RzCalculatorLogic.h"
#include "controls/RzPanel.h"

namespace kovra {

class TRzCalculator;

class TRzCalculatorColors : public TObject {
 public:
  static constexpr int kCount = 8;
  enum Index : std::uint8_t {
    ccNumberFont,
    ccNumberBtns,
    ccOperatorFont,
    ccOperatorBtns,
    ccCommandFont,
    ccCommandBtns,
    ccDisplayFont,
    ccDisplay
  };

  explicit TRzCalculatorColors(TRzCalculator* owner = nullptr) : owner_(owner) {}

  // Out of range reads clNone and writes nothing.
  TColor Color(int index) const;
  void SetColor(int index, TColor value);
  void Assign(const TRzCalculatorColors& other);

  TColor NumberFont() const { return Color(ccNumberFont); }
  void SetNumberFont(TColor v) { SetColor(ccNumberFont, v); }
  TColor NumberBtns() const { return Color(ccNumberBtns); }
  void SetNumberBtns(TColor v) { SetColor(ccNumberBtns, v); }
  TColor OperatorFont() const { return Color(ccOperatorFont); }
  void SetOperatorFont(TColor v) { SetColor(ccOperatorFont, v); }
  TColor OperatorBtns() const { return Color(ccOperatorBtns); }
  void SetOperatorBtns(TColor v) { SetColor(ccOperatorBtns, v); }
  TColor CommandFont() const { return Color(ccCommandFont); }
  void SetCommandFont(TColor v) { SetColor(ccCommandFont, v); }
  TColor CommandBtns() const { return Color(ccCommandBtns); }
  void SetCommandBtns(TColor v) { SetColor(ccCommandBtns, v); }
  TColor DisplayFont() const { return Color(ccDisplayFont); }
  void SetDisplayFont(TColor v) { SetColor(ccDisplayFont, v); }
  TColor Display() const { return Color(ccDisplay); }
  void SetDisplay(TColor v) { SetColor(ccDisplay, v); }

 private:
  TRzCalculator* owner_;
  std::array<TColor, kCount> colors_{clWindowText, clBtnFace, clWindowText, clBtnFace,
                                     clWindowText, clBtnFace, clWindowText, clWindow};
};

class TRzCalculator : public TRzCustomPanel {
 public:
  // Button areas: 0..9 digits, then these; kDisplay also stands for "no button".
  static constexpr int kPoint = 10, kAdd = 11, kSubtract = 12, kMultiply = 13, kDivide = 14,
                       kClear = 15, kEquals = 16, kSet = 17, kDisplay = 18, kAreaCount = 19;

  explicit TRzCalculator(TComponent* owner);
  ~TRzCalculator() override;

  long double Result() const { return engine_.Result(); }
  void SetResult(long double value);
  bool BoldButtons() const { return boldButtons_; }
  void SetBoldButtons(bool value) { SetPainted(boldButtons_, value); }
  TRzCalculatorColors& CalculatorColors() { return colors_; }
  void SetCalculatorColors(const TRzCalculatorColors& value) { colors_.Assign(value); }
  bool ThemeAware() const { return themeAware_; }
  void SetThemeAware(bool value) { SetPainted(themeAware_, value); }
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool value);
  bool PopupMode() const { return popupMode_; }
  void SetPopupMode(bool value);

  // What the display shows now ("E" in the error state).
  std::string DisplayText() const { return engine_.DisplayText(); }
  bool Error() const { return engine_.Error(); }
  // Button area `index` in client coordinates (empty for the set button outside popup mode).
  RECT ButtonRect(int index);
  int PressedIndex() const { return pressed_; }
  int HotIndex() const { return hot_; }
  // Width = height = 5 x the height of "0" + 84.
  int NaturalSize() const { return 5 * zeroHeight_ + ScaleValue(84); }

  void SetBounds(int left, int top, int width, int height) override;

  TNotifyEvent OnChange;
  TNotifyEvent OnSetBtnClick;

 protected:
  void Paint() override;
  void WndProc(TMessage& m) override;
  void Click() override;
  bool DoKeyDown(WORD& key, TShiftState shift) override;
  void WMNCHitTest(TMessage& m) override;
  void WMLButtonDown(TMessage& m) override;
  void WMLButtonUp(TMessage& m) override;
  void WMSetFocus(TMessage& m) override;
  void WMKillFocus(TMessage& m) override;
  void CMFontChanged(TMessage& m) override;

 private:
  void MeasureZero();
  void Layout();
  int IndexAt(POINT p);
  void RunAction(int index);
  void AfterAction(bool changed);
  void SetButton();
  void SetHot(int index);
  TColor FrameColor() const;
  bool Themed() const;
  void PaintButton(TCanvas& canvas, int index);
  void PaintDisplay(TCanvas& canvas, TColor frame);
  void PaintSetGlyph(TCanvas& canvas, const RECT& r, TColor color);
  static bool MarlettAvailable();

  TRzCalculatorEngine engine_;
  std::uint8_t pressed_ = kDisplay;
  std::uint8_t hot_ = kDisplay;
  std::uint8_t clickIndex_ = kDisplay;
  bool popupMode_ = false;
  RECT hotRect_{};
  int zeroWidth_ = 0;
  int zeroHeight_ = 0;
  bool boldButtons_ = false;
  TRzCalculatorColors colors_{this};
  bool themeAware_ = true;
  bool autoSize_ = true;
  std::array<RECT, kAreaCount> rects_{};
};

class TRzCustomPopup : public TRzCustomPanel {
 public:
  explicit TRzCustomPopup(TComponent* owner);
  ~TRzCustomPopup() override;
};

class TRzPopupPanel;

class TRzPopup : public TRzCustomPopup {
 public:
  // The private request that ends a popup's loop.
  static constexpr UINT kCloseRequest = 0x2423;

  TRzPopup(TRzPopupPanel& panel, TWinControl* popupFor);
  ~TRzPopup() override;

  TRzPopupPanel& Panel() const { return panel_; }
  TWinControl* PopupFor() const { return popupFor_; }
  TWinControl* FocusTarget() const { return focusTarget_; }
  void SetFocusTarget(TWinControl* target) { focusTarget_ = target; }
  bool Open() const { return open_; }
  void SetOpen(bool value) { open_ = value; }
  void RequestClose();

 protected:
  void CreateParams(TCreateParams& params) override;
  void WndProc(TMessage& m) override;
  void Paint() override;

 private:
  void PassKey(TMessage& m);

  TRzPopupPanel& panel_;
  TWinControl* popupFor_;
  TWinControl* focusTarget_ = nullptr;
  bool open_ = false;
};

class TRzPopupPanel : public TRzCustomPopup {
 public:
  explicit TRzPopupPanel(TComponent* owner);
  ~TRzPopupPanel() override;

  // Shows the children under `control` until accepted (true, through Close) or cancelled.
  bool Popup(TWinControl& control);
  // x = y = -1: below the control, placed by Alignment; otherwise an offset from its top-left.
  bool PopupAt(TWinControl& control, int x, int y);
  // Accepts: the running Popup returns true.
  void Close();
  // The popup window while one is open.
  TRzPopup* CurrentPopup() const { return popup_.get(); }
  // The rectangle children share inside the frames and the border ring.
  RECT ContentRect() const {
    RECT r = ClientRect();
    AdjustClientRect(r);
    return r;
  }
  // Fits the panel around its visible children before each popup.
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool value) { autoSize_ = value; }

  // Where a popup of size w x h lands for an anchor (screen) within `workArea`.
  static RECT PlacePopup(const RECT& anchor, int w, int h, int x, int y, TAlignment alignment,
                         const RECT& workArea);

  TNotifyEvent OnClose;
  TNotifyEvent OnPopup;

 protected:
  void DestroyWnd() override;
  void WMKillFocus(TMessage& m) override;

 private:
  void MoveChildren(TWinControl& from, TWinControl& to);
  void ShowPopup(TWinControl& control, int x, int y);
  void RunLoop(const std::shared_ptr<bool>& alive);
  // Hides the popup and takes the children back; true when it was accepted.
  bool EndPopup(bool notify);
  bool InsidePopup(HWND wnd) const;
  void AutoSizeToChildren();

  TWinControl* popupFor_ = nullptr;
  TWinControl* activeBefore_ = nullptr;  // checked with IsAlive before use
  HWND focusBefore_ = nullptr;
  std::unique_ptr<TRzPopup> popup_;
  // Cleared by the destructor, so a popup loop still on the stack never touches a freed panel.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
  bool looping_ = false;
  bool autoSize_ = true;
};

}  // namespace kovra
