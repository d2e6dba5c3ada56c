// Push buttons of the framed controls.
//   TRzCustomButton  focusable, custom-painted base: mouse tracking, Space, keyboard cues,
//                    caption text styles and hot tracking (the glyph buttons derive from it too)
//   TRzButton        default/cancel keys, modal result, toggle groups; themed, classic and
//                    hot-track looks
//   TRzBitBtn        a TRzButton with a glyph or image-list image, stock kinds and glyph layout
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string_view>

#include "controls/RzButtonGroup.h"
#include "controls/RzCommon.h"
#include "framework/Controls.h"
#include "framework/Forms.h"
#include "framework/ImgList.h"

namespace kovra {

enum TButtonState : std::uint8_t { bsUp, bsDisabled, bsDown, bsExclusive };
enum TBitBtnKind : std::uint8_t {
  bkCustom,
  bkOK,
  bkCancel,
  bkHelp,
  bkYes,
  bkNo,
  bkClose,
  bkAbort,
  bkRetry,
  bkIgnore,
  bkAll
};
enum TButtonLayout : std::uint8_t { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

class TRzCustomButton : public TCustomControl, public IRzTransparentControl {
 public:
  explicit TRzCustomButton(TComponent* owner);
  ~TRzCustomButton() override;

  TAlignmentVertical AlignmentVertical() const { return alignmentVertical_; }
  void SetAlignmentVertical(TAlignmentVertical value);
  bool HotTrack() const { return hotTrack_; }
  virtual void SetHotTrack(bool value);
  TColor HighlightColor() const { return highlightColor_; }
  void SetHighlightColor(TColor value);
  TColor HotTrackColor() const { return hotTrackColor_; }
  void SetHotTrackColor(TColor value);
  TRzHotTrackColorType HotTrackColorType() const { return hotTrackColorType_; }
  void SetHotTrackColorType(TRzHotTrackColorType value);
  TTextStyle TextStyle() const { return textStyle_; }
  void SetTextStyle(TTextStyle value);
  bool LightTextStyle() const { return lightTextStyle_; }
  void SetLightTextStyle(bool value);
  TColor TextHighlightColor() const { return textHighlightColor_; }
  void SetTextHighlightColor(TColor value);
  TColor TextShadowColor() const { return textShadowColor_; }
  void SetTextShadowColor(TColor value);
  int TextShadowDepth() const { return textShadowDepth_; }
  void SetTextShadowDepth(int value);
  bool ThemeAware() const { return themeAware_; }
  void SetThemeAware(bool value);

  // Older stored forms carry "FrameFlat"; it means HotTrack.
  void ReadFrameFlat(bool value) { SetHotTrack(value); }

  // The current look and state, for painting and for whoever inspects the button.
  bool Themed() const;
  bool PressedLook() const { return pressed_; }
  bool MouseOver() const { return mouseOver_; }
  // Keyboard cues as the window's UI state reports them.
  bool ShowAccelerators() const;
  bool ShowFocusCues() const;

 protected:
  // A press completed with the mouse or the Space key.
  virtual void ButtonPressed();
  // The caption in `r` with the text style, alignment flags `format` and vertical alignment.
  void DrawCaption(TCanvas& canvas, RECT r, UINT format, TColor faceColor);
  int MeasureCaptionHeight(TCanvas& canvas, const RECT& r, UINT format);
  // A panel whose gradient changes repaints the transparent buttons on it.
  bool Transparent() const override { return transparent_; }
  void SetTransparentFlag(bool value) { transparent_ = value; }
  bool Dragging() const { return dragging_; }

  void CreateWnd() override;
  void EraseBackground(HDC dc, const RECT& r) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void WMKeyDown(TMessage& m) override;
  void WMKeyUp(TMessage& m) override;
  void WMSetFocus(TMessage& m) override;
  void WMKillFocus(TMessage& m) override;
  void WMCancelMode(TMessage& m) override;
  void CMMouseEnter(TMessage& m) override;
  void CMMouseLeave(TMessage& m) override;
  void CMEnabledChanged(TMessage& m) override;
  void CMTextChanged(TMessage& m) override;

 private:
  TAlignmentVertical alignmentVertical_ = avCenter;
  bool hotTrack_ = false;
  TColor highlightColor_ = clHighlight;
  TColor hotTrackColor_ = 0x00149BF0;
  TRzHotTrackColorType hotTrackColorType_ = htctActual;
  TTextStyle textStyle_ = tsNormal;
  bool lightTextStyle_ = false;
  TColor textHighlightColor_ = clBtnHighlight;
  TColor textShadowColor_ = clBtnShadow;
  int textShadowDepth_ = 2;
  bool themeAware_ = true;
  bool transparent_ = false;
  bool dragging_ = false;
  bool pressed_ = false;
  bool mouseOver_ = false;
  bool keyToggle_ = false;
};

class TRzButton : public TRzCustomButton, public TRzGroupedButton<TRzButton> {
 public:
  explicit TRzButton(TComponent* owner);
  ~TRzButton() override;

  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment value) { Store(alignment_, value); }
  bool Cancel() const { return cancel_; }
  void SetCancel(bool value) { Store(cancel_, value); }
  bool Default() const { return default_; }
  void SetDefault(bool value);
  bool DropDownOnEnter() const { return dropDownOnEnter_; }
  void SetDropDownOnEnter(bool value) { dropDownOnEnter_ = value; }
  TColor FrameColor() const { return frameColor_; }
  void SetFrameColor(TColor value) { Store(frameColor_, value); }
  TModalResult ModalResult() const { return modalResult_; }
  void SetModalResult(TModalResult value) { Store(modalResult_, value); }
  bool ShowDownPattern() const { return showDownPattern_; }
  void SetShowDownPattern(bool value) { Store(showDownPattern_, value); }
  bool ShowFocusRect() const { return showFocusRect_; }
  void SetShowFocusRect(bool value) { Store(showFocusRect_, value); }
  void SetHotTrack(bool value) override;

  TButtonState State() const { return state_; }
  // Acting as the form's default button now (the default one, or a focused button).
  bool Active() const { return active_; }
  // True while a click that came through the Enter key runs with DropDownOnEnter off.
  bool EnterClick() const { return enterClick_; }
  bool Clicking() const { return clicking_; }

  // Sets the form's ModalResult to this button's, then fires OnClick.
  void Click() override;

 protected:
  void ButtonPressed() override;
  void Paint() override;
  // The face (frame and fill) into `r`, which shrinks to what is left inside.
  void PaintThemedFace(TCanvas& canvas, RECT& r);
  void PaintClassicFace(TCanvas& canvas, RECT& r);
  void PaintHotTrackFace(TCanvas& canvas, RECT& r);
  void PaintDownPattern(TCanvas& canvas, const RECT& r);
  // Caption (and, for bitmap buttons, the glyph) over the face.
  virtual void PaintContent(TCanvas& canvas);
  RECT CaptionRect() const;
  UINT CaptionFormat() const;
  bool PressedOrDown() const;

  void CreateWnd() override;
  void WndProc(TMessage& m) override;
  void CMDialogKey(TMessage& m) override;
  void CMDialogChar(TMessage& m) override;
  void CMFocusChanged(TMessage& m) override;
  void CMEnabledChanged(TMessage& m) override;
  void WMSetFocus(TMessage& m) override;
  void WMKillFocus(TMessage& m) override;

 private:
  friend class TRzGroupedButton<TRzButton>;
  void GroupDownChanged() { state_ = down_ ? bsExclusive : bsUp; }
  void AnnounceFocus(TWinControl* focused);

  TAlignment alignment_ = taCenter;
  bool cancel_ = false;
  bool default_ = false;
  bool dropDownOnEnter_ = true;
  TColor frameColor_ = cl3DDkShadow;
  TModalResult modalResult_ = mrNone;
  bool showDownPattern_ = true;
  bool showFocusRect_ = true;
  TButtonState state_ = bsUp;
  bool active_ = false;
  bool clicking_ = false;
  bool enterClick_ = false;
};

class TRzBitBtn : public TRzButton {
 public:
  explicit TRzBitBtn(TComponent* owner);
  ~TRzBitBtn() override;

  const TBitmap& Glyph() const { return glyph_; }
  // Copies the bitmap; a width that is a multiple of the height sets NumGlyphs.
  void SetGlyph(const TBitmap& glyph);
  int NumGlyphs() const { return numGlyphs_; }
  void SetNumGlyphs(int value);
  // Reads as bkCustom (and becomes it) once Default, Cancel, ModalResult or the glyph no longer
  // match the stock kind.
  TBitBtnKind Kind();
  void SetKind(TBitBtnKind value);
  TButtonLayout Layout() const { return layout_; }
  void SetLayout(TButtonLayout value) { Store(layout_, value); }
  // -1 centres glyph and caption together; below -1 is ignored.
  int Margin() const { return margin_; }
  void SetMargin(int value);
  int Spacing() const { return spacing_; }
  void SetSpacing(int value) { Store(spacing_, value); }
  TImageList* Images() const { return images_; }
  void SetImages(TImageList* images);
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int value) { Store(imageIndex_, value); }
  int DisabledIndex() const { return disabledIndex_; }
  void SetDisabledIndex(int value) { Store(disabledIndex_, value); }

  // A form moved to another DPI: margin and spacing follow.
  void ScaleForDpi(int newDpi, int oldDpi);

  // The stock caption and glyph of a kind. Glyphs are drawn once and shared by the process.
  static std::string_view KindCaption(TBitBtnKind kind);
  static TModalResult KindModalResult(TBitBtnKind kind);
  static const TBitmap& StockGlyph(TBitBtnKind kind);

  // Where the glyph lands (client coordinates) and which cell is drawn, as the last paint
  // decided; -1 when nothing was drawn.
  RECT GlyphRect() const { return glyphRect_; }
  int PaintedCell() const { return paintedCell_; }

 protected:
  void ChangeScale(int m, int d) override;
  void PaintContent(TCanvas& canvas) override;
  // On screen: a glyph cell scaled from its design, an image list's images as they are.
  SIZE GlyphSize() const;
  bool HasImage() const;
  void PaintGlyph(TCanvas& canvas, const RECT& g);

 private:
  void GlyphChanged();

  TBitmap glyph_;
  int numGlyphs_ = 1;
  TBitBtnKind kind_ = bkCustom;
  TButtonLayout layout_ = blGlyphLeft;
  int margin_ = 2;
  int spacing_ = 4;
  TImageList* images_ = nullptr;
  int imageIndex_ = -1;
  int disabledIndex_ = -1;
  bool glyphModified_ = false;
  TChangeLink imageLink_;
  RECT glyphRect_{};
  int paintedCell_ = -1;
};

}  // namespace kovra
