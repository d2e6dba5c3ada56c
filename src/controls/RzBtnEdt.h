// The button edit: a framed edit with up to two small buttons inside its right edge.
//   TRzButtonPair        the child window hosting the main and the alternate button
//   TRzCustomButtonEdit  glyph kinds, button events, keyboard shortcuts, text kept clear of the
//                        buttons, buttons hidden while read-only
//   TRzButtonEdit        its published form
#pragma once

#include <windows.h>

#include <cstdint>
#include <string_view>

#include "controls/RzEdit.h"
#include "controls/RzToolButton.h"

namespace kovra {

class TRzButtonPair : public TCustomControl {
 public:
  explicit TRzButtonPair(TComponent* owner);
  ~TRzButtonPair() override;

  TRzControlButton* AltButton() const { return alt_; }
  TRzControlButton* MainButton() const { return main_; }
  // The control that takes the focus when a button is pressed (the edit).
  TWinControl* FocusControl() const { return focusControl_; }
  void SetFocusControl(TWinControl* control);
  bool Flat() const { return flat_; }
  void SetFlat(bool value);

  TNotifyEvent OnAltClick;
  TNotifyEvent OnMainClick;

 protected:
  void Paint() override;
  void Notification(TComponent* component, TOperation operation) override;
  void CMColorChanged(TMessage& m) override;
  void CMEnabledChanged(TMessage& m) override;
  void CMMouseEnter(TMessage& m) override;
  void CMMouseLeave(TMessage& m) override;

 private:
  TRzControlButton* MakeButton();
  void ButtonClick(TObject* sender);
  void KeepFocus(TObject* sender);

  TRzControlButton* alt_ = nullptr;
  TRzControlButton* main_ = nullptr;
  TWinControl* focusControl_ = nullptr;
  bool flat_ = false;
};

class TRzCustomButtonEdit : public TRzEdit {
 public:
  enum TButtonKind : std::uint8_t {
    bkCustom,
    bkLookup,
    bkDropDown,
    bkCalendar,
    bkAccept,
    bkReject,
    bkFolder,
    bkFind,
    bkSearch
  };
  static constexpr int kAltButton = 1, kMainButton = 2;
  static constexpr std::uint16_t kShift = kShortCutShift, kCtrl = kShortCutCtrl,
                                 kAlt = kShortCutAlt;

  explicit TRzCustomButtonEdit(TComponent* owner);
  ~TRzCustomButtonEdit() override;

  // 1: the alternate button, 2: the main button.
  TRzControlButton* Button(int index) const;
  TRzButtonPair* ButtonPair() const { return pair_; }

  bool AllowKeyEdit() const { return allowKeyEdit_; }
  void SetAllowKeyEdit(bool value) { allowKeyEdit_ = value; }
  bool HideButtonsOnReadOnly() const { return hideButtonsOnReadOnly_; }
  void SetHideButtonsOnReadOnly(bool value);

  const TBitmap& AltBtnGlyph() const { return AltRef().Glyph(); }
  void SetAltBtnGlyph(const TBitmap& glyph) { SetGlyphOf(kAltButton, glyph); }
  const TBitmap& ButtonGlyph() const { return MainRef().Glyph(); }
  void SetButtonGlyph(const TBitmap& glyph) { SetGlyphOf(kMainButton, glyph); }
  int AltBtnNumGlyphs() const { return AltRef().NumGlyphs(); }
  void SetAltBtnNumGlyphs(int value) { AltRef().SetNumGlyphs(value); }
  int ButtonNumGlyphs() const { return MainRef().NumGlyphs(); }
  void SetButtonNumGlyphs(int value) { MainRef().SetNumGlyphs(value); }
  const std::string& AltBtnHint() const { return AltRef().Hint(); }
  void SetAltBtnHint(std::string_view value) { AltRef().SetHint(value); }
  const std::string& ButtonHint() const { return MainRef().Hint(); }
  void SetButtonHint(std::string_view value) { MainRef().SetHint(value); }
  TButtonKind AltBtnKind() const { return altBtnKind_; }
  void SetAltBtnKind(TButtonKind value) { SetKindOf(kAltButton, value); }
  TButtonKind ButtonKind() const { return buttonKind_; }
  void SetButtonKind(TButtonKind value) { SetKindOf(kMainButton, value); }
  std::uint16_t AltBtnShortCut() const { return altBtnShortCut_; }
  void SetAltBtnShortCut(std::uint16_t value) { altBtnShortCut_ = value; }
  std::uint16_t ButtonShortCut() const { return buttonShortCut_; }
  void SetButtonShortCut(std::uint16_t value) { buttonShortCut_ = value; }
  bool AltBtnVisible() const { return AltRef().Visible(); }
  void SetAltBtnVisible(bool value) { SetVisibleOf(kAltButton, value); }
  bool ButtonVisible() const { return MainRef().Visible(); }
  void SetButtonVisible(bool value) { SetVisibleOf(kMainButton, value); }
  int AltBtnWidth() const { return AltRef().Width(); }
  void SetAltBtnWidth(int value) { SetWidthOf(kAltButton, value); }
  int ButtonWidth() const { return MainRef().Width(); }
  void SetButtonWidth(int value) { SetWidthOf(kMainButton, value); }

  void SetFlatButtons(bool value) override;
  void SetFlatButtonColor(TColor value);
  void SetFrameStyle(TFrameStyle value) override;
  void ControllerSetFlatButtonColor(TColor v) override { SetFlatButtonColor(v); }

  // Whether the buttons are hidden because the edit is read-only.
  bool ButtonsHiddenForReadOnly() const { return IsReadOnly() && hideButtonsOnReadOnly_; }
  RECT GetEditRect() const override;
  void UpdateFrame(bool viaMouse, bool inside) override;
  // Places the pair and its buttons inside the right edge and keeps the text clear of them.
  void ResizeButtons();

  // Older stored forms: shortcuts written as text ("F4", "Ctrl+Shift+L"); unknown text is
  // ignored.
  void ReadButtonShortCutText(std::string_view text);
  void ReadAltBtnShortCutText(std::string_view text);
  void ReadFlatButtonParentColor(bool) {}

  // The glyph of a kind: two 10 x 10 cells (enabled, disabled), drawn once per process.
  static const TBitmap& KindGlyph(TButtonKind kind);

  TNotifyEvent OnAltBtnClick;
  TNotifyEvent OnButtonClick;

 protected:
  virtual void AltBtnClick();
  virtual void ButtonClick();
  void ReadOnlyChanged() override;
  void Loaded() override;
  void CreateWnd() override;
  void WndProc(TMessage& m) override;
  bool DoKeyDown(WORD& key, TShiftState shift) override;
  bool DoKeyPress(wchar_t& key) override;
  void WMSetFocus(TMessage& m) override;
  void WMKillFocus(TMessage& m) override;
  void WMSize(TMessage& m) override;
  void CMColorChanged(TMessage& m) override;
  void CMEnabledChanged(TMessage& m) override;
  void CMFontChanged(TMessage& m) override;

 private:
  TRzControlButton& AltRef() const { return *pair_->AltButton(); }
  TRzControlButton& MainRef() const { return *pair_->MainButton(); }
  void SetGlyphOf(int index, const TBitmap& glyph);
  void SetKindOf(int index, TButtonKind value);
  void SetVisibleOf(int index, bool value);
  void SetWidthOf(int index, int value);
  void SetEditMargins();
  bool TryShortCut(WORD key, TShiftState shift);
  bool ButtonUsable(const TRzControlButton& b) const;
  void UpdateFlatButtons();

  TRzButtonPair* pair_ = nullptr;
  bool allowKeyEdit_ = true;
  TButtonKind altBtnKind_ = bkLookup;
  TButtonKind buttonKind_ = bkLookup;
  std::uint16_t altBtnShortCut_ = 0;
  std::uint16_t buttonShortCut_ = VK_F4;
  bool keyHandled_ = false;
  bool hideButtonsOnReadOnly_ = true;
  bool layingOut_ = false;
};

class TRzButtonEdit : public TRzCustomButtonEdit {
 public:
  explicit TRzButtonEdit(TComponent* owner);
  ~TRzButtonEdit() override;
};

using TButtonKind = TRzCustomButtonEdit::TButtonKind;

}  // namespace kovra
