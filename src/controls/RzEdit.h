// The framed edit: the single-line edit every edit control of the library builds on.
//   TRzCustomEdit  colour by state (normal, focused, read-only, disabled), a custom frame in the
//                  non-client area with hot tracking, cue text, TabOnEnter, and an optional drop
//                  button in the non-client area for descendants (the numeric edit's calculator)
//   TRzEdit        its published form
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <string_view>

#include "controls/RzCommon.h"
#include "controls/RzFramedEdit.h"
#include "framework/Mask.h"

namespace kovra {

enum TRzDropButtonState : std::uint8_t { dbsUp, dbsDown };

class TRzCustomEdit : public TRzFramedEdit<TCustomMaskEdit> {
 public:
  explicit TRzCustomEdit(TComponent* owner);
  ~TRzCustomEdit() override;

  void SetAlignment(TAlignment value) override;
  void SetReadOnly(bool value) override;
  bool IsReadOnly() const override { return ReadOnly(); }

  bool TextHintVisibleOnFocus() const { return textHintVisibleOnFocus_; }
  void SetTextHintVisibleOnFocus(bool value);

  // The rectangle left to the text.
  virtual RECT GetEditRect() const { return ClientRect(); }
  // The drop button, for descendants and whoever inspects it.
  bool DropButtonVisible() const { return dropButtonShown_; }
  TRzDropButtonState DropButtonState() const { return buttonState_; }
  bool DroppedDown() const { return droppedDown_; }
  // The button strip in window coordinates, as painted and as the mouse finds it; empty when
  // not shown.
  RECT DropButtonRect() const;

  TNotifyEvent OnDropDown;  // not published: descendants fire them through DropDown/CloseUp
  TNotifyEvent OnCloseUp;

 protected:
  RECT DropButtonRing() const;
  void ApplyTextHint() override;
  virtual void ReadOnlyChanged();
  virtual void HideDropButton();
  virtual void RestoreDropButton();
  virtual void DrawDropButton(TCanvas& canvas, RECT r);
  virtual void SetButtonState(TRzDropButtonState value);
  virtual void SetDropButtonRequested(bool value);
  virtual void SetDropButtonShown(bool value);
  // Descendants open their popup here; the defaults fire OnDropDown and OnCloseUp.
  virtual void DoDropDown();
  virtual void DoCloseUp();
  void DropDown();
  void ReleaseDropButton();

  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void WndProc(TMessage& m) override;
  bool DoKeyPress(wchar_t& key) override;
  bool DoKeyDown(WORD& key, TShiftState shift) override;
  void WMSetFocus(TMessage& m) override;
  void WMKillFocus(TMessage& m) override;
  void WMNCPaint(TMessage& m) override;
  void WMNCCalcSize(TMessage& m) override;
  void WMNCHitTest(TMessage& m) override;
  void WMSize(TMessage& m) override;
  void WMSetCursor(TMessage& m) override;
  void CMColorChanged(TMessage& m) override;
  bool InFocusState() const override { return Focused(); }
  void FrameVisibleChanged() override;
  void HotTrackChanged() override {
    TRzFramedEdit::HotTrackChanged();
    Invalidate();
  }
  void RepaintHot() override;

 private:
  void PaintNonClient();
  void PaintOwnHint();
  void RedrawFrameRegion(const RECT* r);
  bool NonClientMouse(TMessage& m);

  bool textHintVisibleOnFocus_ = false;
  bool dropButtonRequested_ = false;
  bool dropButtonShown_ = false;
  bool mouseOverButton_ = false;
  bool droppedDown_ = false;
  TRzDropButtonState buttonState_ = dbsUp;
};

class TRzEdit : public TRzCustomEdit {
 public:
  explicit TRzEdit(TComponent* owner);
  ~TRzEdit() override;
};

}  // namespace kovra
