// Controls that show a small state glyph beside their caption.
//   TRzCustomGlyphButton  glyph placement, automatic size, buffered painting with a cached
//                         background, glyphs from the theme, a classic frame control, the
//                         hot-track drawing, custom glyph cells or an image list
//   TRzCustomCheckBox     the three-state check logic, keys, accelerator, frame controller
//   TRzCheckBox           the published check box
#pragma once

#include <windows.h>

#include <cstdint>

#include "controls/RzButton.h"
#include "controls/RzCommon.h"
#include "framework/ImgList.h"

namespace kovra {

enum TCheckBoxState : std::uint8_t { cbUnchecked, cbChecked, cbGrayed };
// How a glyph is drawn: by its interaction state (the check state picks the image).
enum TRzGlyphDrawState : std::uint8_t { gdsNormal, gdsHot, gdsPressed, gdsDisabled };

class TRzCustomGlyphButton : public TRzCustomButton {
 public:
  explicit TRzCustomGlyphButton(TComponent* owner);
  ~TRzCustomGlyphButton() override;

  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment value);
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool value);
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool value);
  // Right-to-left reading mirrors the glyph's side and right-aligns the caption.
  bool RightToLeftReading() const { return rightToLeft_; }
  void SetRightToLeftReading(bool value);

  TColor FillColor() const { return fillColor_; }
  void SetFillColor(TColor value) { Store(fillColor_, value); }
  TColor FocusColor() const { return focusColor_; }
  void SetFocusColor(TColor value) { Store(focusColor_, value); }
  TColor FrameColor() const { return frameColor_; }
  void SetFrameColor(TColor value) { Store(frameColor_, value); }
  TColor DisabledColor() const { return disabledColor_; }
  void SetDisabledColor(TColor value) { Store(disabledColor_, value); }
  TColor ReadOnlyColor() const { return readOnlyColor_; }
  void SetReadOnlyColor(TColor value) { Store(readOnlyColor_, value); }
  bool ReadOnlyColorOnFocus() const { return readOnlyColorOnFocus_; }
  void SetReadOnlyColorOnFocus(bool value) { Store(readOnlyColorOnFocus_, value); }
  TRzButtonHotTrackStyle HotTrackStyle() const { return hotTrackStyle_; }
  void SetHotTrackStyle(TRzButtonHotTrackStyle value) { Store(hotTrackStyle_, value); }
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool value) { Store(readOnly_, value); }
  bool TabOnEnter() const { return tabOnEnter_; }
  void SetTabOnEnter(bool value) { tabOnEnter_ = value; }

  // Nine cells of equal width side by side (copied).
  const TBitmap& CustomGlyphs() const { return customGlyphs_; }
  void SetCustomGlyphs(const TBitmap& glyphs);
  TImageList* CustomGlyphImages() const { return customGlyphImages_; }
  void SetCustomGlyphImages(TImageList* images);
  bool UseCustomGlyphs() const { return useCustomGlyphs_; }
  void SetUseCustomGlyphs(bool value);
  TColor TransparentColor() const { return transparentColor_; }
  void SetTransparentColor(TColor value) { Store(transparentColor_, value); }
  TColor WinMaskColor() const { return winMaskColor_; }
  void SetWinMaskColor(TColor value) { Store(winMaskColor_, value); }
  bool Transparent() const override { return TRzCustomButton::Transparent(); }
  void SetTransparent(bool value);

  int GlyphWidth() const { return glyphWidth_; }
  int GlyphHeight() const { return glyphHeight_; }
  // The glyph's place in client coordinates.
  RECT GlyphRect() const;
  // The caption's rectangle as painting uses it.
  RECT CaptionRect() const;
  // The image index or cell the last paint drew from custom glyphs; -1 for the other looks.
  int PaintedGlyphIndex() const { return paintedGlyphIndex_; }
  // Sizes the control to glyph and caption now (AutoSize permitting).
  void AdjustBounds();

  // Pressed look from the mouse or the Space key.
  bool Pressed() const { return PressedLook() || keyPressed_; }

 protected:
  // Which of the three images to show (0 unchecked, 1 checked, 2 grayed).
  virtual int GlyphStateIndex() const = 0;
  // The check image by look into `image` (glyph-sized).
  virtual void DrawCheckImage(TCanvas& canvas, const RECT& r, TRzGlyphDrawState state);
  void PaintCheckMarkBox(TCanvas& canvas, const RECT& r, TRzGlyphDrawState state);
  void HoverColors(TColor& light, TColor& dark) const;
  TRzGlyphDrawState DrawState() const;
  // A press of the mouse or Space completed; the mouse flag tells the two apart.
  bool MouseInitiated() const { return mouseInitiated_; }

  void Paint() override;
  void Loaded() override;
  void CreateWnd() override;
  void ChangeScale(int m, int d) override;
  void EraseBackground(HDC dc, const RECT& r) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void WMKeyDown(TMessage& m) override;
  void WMKeyUp(TMessage& m) override;
  void WMKillFocus(TMessage& m) override;
  void WMEraseBkgnd(TMessage& m) override;
  void WMSize(TMessage& m) override;
  void CMMouseLeave(TMessage& m) override;
  void CMEnabledChanged(TMessage& m) override;
  void CMColorChanged(TMessage& m) override;
  void CMParentColorChanged(TMessage& m) override;
  void CMFontChanged(TMessage& m) override;
  void CMTextChanged(TMessage& m) override;
  bool DoKeyPress(wchar_t& key) override;
  void WndProc(TMessage& m) override;

  // The glyph's size follows the look; the custom glyphs' count of cells.
  void SetNumCells(int cells) { numCells_ = cells; }
  void UpdateGlyphSize();
  bool GlyphOnRight() const;
  void InvalidateBackground() { backgroundDirty_ = true; }

 private:
  void PaintBackground(TCanvas& canvas);
  // The theme draws the glyph at the control's resolution; every other look is designed at 96
  // pixels per inch and shown scaled.
  bool GlyphFromTheme() const;
  SIZE ShownGlyphSize() const;
  void PaintGlyph(TCanvas& canvas);
  void DrawGlyphImage(TCanvas& canvas, const RECT& r, TRzGlyphDrawState state);
  void CustomGlyphsChanged();
  void ClearKeyPress();

  TAlignment alignment_ = taRightJustify;
  bool autoSize_ = true;
  bool wordWrap_ = false;
  bool rightToLeft_ = false;
  TColor fillColor_ = clWindow;
  TColor focusColor_ = clWindow;
  TColor frameColor_ = clBtnShadow;
  TColor disabledColor_ = clBtnFace;
  TColor readOnlyColor_ = clInfoBk;
  bool readOnlyColorOnFocus_ = false;
  TRzButtonHotTrackStyle hotTrackStyle_ = htsInterior;
  bool readOnly_ = false;
  bool tabOnEnter_ = false;
  TBitmap customGlyphs_;
  TImageList* customGlyphImages_ = nullptr;
  TChangeLink imagesLink_;
  bool useCustomGlyphs_ = false;
  TColor transparentColor_ = 0x008080;
  TColor winMaskColor_ = 0x00FF00;

  int glyphWidth_ = 13;
  int glyphHeight_ = 13;
  int themedGlyphWidth_ = 13;
  int themedGlyphHeight_ = 13;
  int numCells_ = 9;
  TBitmap background_;
  bool backgroundDirty_ = true;
  bool mouseInitiated_ = false;
  bool keyToggle_ = false;
  bool keyPressed_ = false;
  bool adjusting_ = false;
  int paintedGlyphIndex_ = -1;
};

class TRzCustomCheckBox : public TRzCustomGlyphButton,
                          public TRzFrameControllerClient,
                          public IRzFrameControllerNotification {
 public:
  explicit TRzCustomCheckBox(TComponent* owner);
  ~TRzCustomCheckBox() override;

  TCheckBoxState State() const { return state_; }
  // A changed state repaints and clicks.
  void SetState(TCheckBoxState value);
  bool Checked() const { return state_ == cbChecked; }
  void SetChecked(bool value) { SetState(value ? cbChecked : cbUnchecked); }
  bool AllowGrayed() const { return allowGrayed_; }
  void SetAllowGrayed(bool value) { allowGrayed_ = value; }

  // The click operation: unchecked -> grayed (AllowGrayed) or checked, checked -> unchecked,
  // grayed -> checked. A mouse press on a read-only box changes nothing.
  virtual void Toggle();

  // A linked action's Checked drives the box without a click.
  void ActionCheckedChanged(bool checked);
  // An action's properties taken over: its Checked unless defaults are being checked and the
  // box is already checked.
  void ActionChange(bool actionChecked, bool checkDefaults);

  // Stored forms of older versions carry "Flat"; it means HotTrack.
  void ReadFlat(bool value) { SetHotTrack(value); }

  void FrameControllerUpdate() override;

 protected:
  int GlyphStateIndex() const override { return state_; }
  void ButtonPressed() override;
  void CMDialogChar(TMessage& m) override;
  void WndProc(TMessage& m) override;

 private:
  TCheckBoxState state_ = cbUnchecked;
  bool allowGrayed_ = false;
  bool fromAction_ = false;
};

class TRzCheckBox : public TRzCustomCheckBox {
 public:
  explicit TRzCheckBox(TComponent* owner) : TRzCustomCheckBox(owner) {}
  ~TRzCheckBox() override { Destroying(); }
};

}  // namespace kovra
