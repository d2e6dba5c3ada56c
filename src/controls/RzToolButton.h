// Windowless buttons of the framed controls (unit RzButton).
//   TRzToolButton     flat toolbar-style button: image-list image, optional caption, toggle
//                     groups, an optional drop-down menu, themed, classic and gradient looks
//   TRzControlButton  the small button embedded in edit controls: glyph or arrow, click repeat
//   IRzToolbarSettings what a toolbar parent offers its tool buttons
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

#include "controls/RzButton.h"
#include "controls/RzButtonGroup.h"
#include "controls/RzButtonLogic.h"
#include "controls/RzCommon.h"
#include "framework/Controls.h"
#include "framework/ImgList.h"
#include "framework/Menus.h"
#include "framework/Timers.h"

namespace kovra {

enum TRzToolStyle : std::uint8_t { tsButton, tsDropDown };
enum TRzToolButtonState : std::uint8_t { tbsUp, tbsDisabled, tbsPressed, tbsExclusive, tbsDropped };

// A container that lays tool buttons out in a row implements this; buttons on any other parent
// keep their own settings.
class IRzToolbarSettings {
 public:
  virtual bool ToolbarShowCaption() const = 0;
  virtual TButtonLayout ToolbarButtonLayout() const = 0;
  virtual SIZE ToolbarButtonSize() const = 0;
  virtual TRzVisualStyle ToolbarVisualStyle() const = 0;
  virtual TImageList* ToolbarImages() const = 0;

 protected:
  ~IRzToolbarSettings() = default;
};

class TRzToolButton : public TGraphicControl,
                      public TRzGroupedButton<TRzToolButton>,
                      public IRzTransparentControl {
 public:
  static constexpr int kDropDownWidth = 14;
  // Pressing the arrow this soon after the menu closed only ends that menu.
  static constexpr DWORD kReDropGuardMs = 100;

  explicit TRzToolButton(TComponent* owner);
  ~TRzToolButton() override;

  TImageList* Images() const { return images_; }
  void SetImages(TImageList* images);
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int value) { Store(imageIndex_, value); }
  int HotIndex() const { return hotIndex_; }
  void SetHotIndex(int value) { Store(hotIndex_, value); }
  int DownIndex() const { return downIndex_; }
  void SetDownIndex(int value) { Store(downIndex_, value); }
  int DisabledIndex() const { return disabledIndex_; }
  void SetDisabledIndex(int value) { Store(disabledIndex_, value); }
  bool ShowCaption() const { return showCaption_; }
  void SetShowCaption(bool value) { Store(showCaption_, value); }
  TButtonLayout Layout() const { return layout_; }
  void SetLayout(TButtonLayout value) { Store(layout_, value); }
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment value) { Store(alignment_, value); }

  // Down given while loading waits for Loaded, since the group may be read after it.
  void SetDown(bool value);

  TPopupMenu* DropDownMenu() const { return dropDownMenu_; }
  void SetDropDownMenu(TPopupMenu* menu);
  TRzToolStyle ToolStyle() const { return toolStyle_; }
  void SetToolStyle(TRzToolStyle value) { Store(toolStyle_, value); }

  bool Flat() const { return flat_; }
  void SetFlat(bool value) { Store(flat_, value); }
  TRzVisualStyle VisualStyle() const { return visualStyle_; }
  void SetVisualStyle(TRzVisualStyle value) { Store(visualStyle_, value); }
  TRzGradientColorStyle GradientColorStyle() const { return gradientColorStyle_; }
  void SetGradientColorStyle(TRzGradientColorStyle value) { Store(gradientColorStyle_, value); }
  TColor SelectionColorStart() const { return selectionColorStart_; }
  void SetSelectionColorStart(TColor value) { Store(selectionColorStart_, value); }
  TColor SelectionColorStop() const { return selectionColorStop_; }
  void SetSelectionColorStop(TColor value) { Store(selectionColorStop_, value); }
  TColor SelectionFrameColor() const { return selectionFrameColor_; }
  void SetSelectionFrameColor(TColor value) { Store(selectionFrameColor_, value); }
  bool Transparent() const override { return transparent_; }
  void SetTransparent(bool value) { Store(transparent_, value); }

  bool UseToolbarButtonLayout() const { return useToolbarButtonLayout_; }
  void SetUseToolbarButtonLayout(bool value) { useToolbarButtonLayout_ = value; }
  bool UseToolbarButtonSize() const { return useToolbarButtonSize_; }
  void SetUseToolbarButtonSize(bool value) { useToolbarButtonSize_ = value; }
  bool UseToolbarShowCaption() const { return useToolbarShowCaption_; }
  void SetUseToolbarShowCaption(bool value) { useToolbarShowCaption_ = value; }
  bool UseToolbarVisualStyle() const { return useToolbarVisualStyle_; }
  void SetUseToolbarVisualStyle(bool value) { useToolbarVisualStyle_ = value; }
  // Takes caption visibility, layout, size and look from a toolbar parent, as the flags allow.
  void UpdateFromToolbar();
  // The size a toolbar gives a captioned button with its button size `base`.
  SIZE ToolbarSizeFor(SIZE base);

  void SetParent(TWinControl* parent) override;

  // Older stored forms.
  void ReadGradientColorDefault(bool) {}
  void ReadThemeAware(bool) {}
  void ReadGradientColorStart(TColor value) { SetSelectionColorStart(value); }
  void ReadGradientColorStop(TColor value) { SetSelectionColorStop(value); }
  void ReadFrameColor(TColor value) { SetSelectionFrameColor(value); }
  // The same three as a colour identifier or an integer; other text is ignored.
  void ReadGradientColorStart(std::string_view text) {
    if (auto c = ColorFromFormText(text)) SetSelectionColorStart(*c);
  }
  void ReadGradientColorStop(std::string_view text) {
    if (auto c = ColorFromFormText(text)) SetSelectionColorStop(*c);
  }
  void ReadFrameColor(std::string_view text) {
    if (auto c = ColorFromFormText(text)) SetSelectionFrameColor(*c);
  }
  void ReadUseGradients(bool value) {
    if (value) SetVisualStyle(vsGradient);
  }

  TRzToolButtonState State() const { return state_; }
  bool MouseOver() const { return mouseOver_; }
  bool Themed() const { return visualStyle_ == vsWinXP && ThemesActive(); }
  // The arrow section in client coordinates; empty for plain buttons.
  RECT DropDownRect() const;
  // Which image the last paint drew (-1: none) and where.
  int PaintedImage() const { return paintedImage_; }
  RECT ImageRect() const { return imageRect_; }
  RECT CaptionRect() const { return captionRect_; }

  void Click() override;
  // Opens the drop-down menu below the button, as a press on the arrow does.
  void DropDown();

  TNotifyEvent OnDropDown;

 protected:
  void Paint() override;
  void Loaded() override;
  void Notification(TComponent* component, TOperation operation) override;
  void WndProc(TMessage& m) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void WMCancelMode(TMessage& m) override;
  void CMMouseEnter(TMessage& m) override;
  void CMMouseLeave(TMessage& m) override;
  void CMEnabledChanged(TMessage& m) override;
  void CMTextChanged(TMessage& m) override;
  void CMDialogChar(TMessage& m);

 private:
  friend class TRzGroupedButton<TRzToolButton>;
  void GroupDownChanged() { state_ = down_ ? tbsExclusive : tbsUp; }
  TRzToolButtonState PaintState() const;
  bool HasClickHandler() const { return static_cast<bool>(OnClick); }
  bool InArrowSection(int x) const;
  bool Inside(int x, int y) const;
  void SyncHover();
  POINT MenuPoint(int menuWidth) const;
  int MenuWidth() const;
  void PaintFrame(TCanvas& canvas, TRzToolButtonState state, RECT& r);
  void PaintGradientBox(TCanvas& canvas, const RECT& r, bool reversed, bool exclusive);
  void PaintCheckerPattern(TCanvas& canvas, const RECT& r);
  void PaintDropDownSection(TCanvas& canvas, TRzToolButtonState state);
  void PaintContent(TCanvas& canvas, TRzToolButtonState state);
  int ChooseImage(TRzToolButtonState state, bool& enabledLook) const;
  void GradientColors(TColor& frame, TColor& start, TColor& stop) const;

  TImageList* images_ = nullptr;
  TChangeLink imageLink_;
  int imageIndex_ = -1, hotIndex_ = -1, downIndex_ = -1, disabledIndex_ = -1;
  bool showCaption_ = false;
  TButtonLayout layout_ = blGlyphLeft;
  TAlignment alignment_ = taCenter;
  TPopupMenu* dropDownMenu_ = nullptr;
  TRzToolStyle toolStyle_ = tsButton;
  bool flat_ = true;
  TRzVisualStyle visualStyle_ = vsWinXP;
  TRzGradientColorStyle gradientColorStyle_ = gcsSystem;
  TColor selectionColorStart_ = clBtnFace;
  TColor selectionColorStop_ = clBtnShadow;
  TColor selectionFrameColor_ = cl3DDkShadow;
  bool transparent_ = true;
  bool useToolbarButtonLayout_ = true, useToolbarButtonSize_ = true, useToolbarShowCaption_ = true,
       useToolbarVisualStyle_ = true;

  TRzToolButtonState state_ = tbsUp;
  bool dragging_ = false;
  bool mouseOver_ = false;
  bool inDropDown_ = false;
  bool treatAsNormal_ = true;
  DWORD lastDropDown_ = 0;
  bool droppedOnce_ = false;
  int paintedImage_ = -1;
  RECT imageRect_{}, captionRect_{};
};

enum TRzControlButtonStyle : std::uint8_t {
  cbsNone,
  cbsLeft,
  cbsUp,
  cbsRight,
  cbsDown,
  cbsDropDown
};

class TRzControlButton : public TGraphicControl {
 public:
  explicit TRzControlButton(TComponent* owner);
  ~TRzControlButton() override;

  TRzControlButtonStyle Style() const { return style_; }
  void SetStyle(TRzControlButtonStyle value) { Store(style_, value); }
  const TBitmap& Glyph() const { return glyph_; }
  // Copies the bitmap; NumGlyphs follows its width in heights (1 from five on).
  void SetGlyph(const TBitmap& glyph);
  int NumGlyphs() const { return numGlyphs_; }
  void SetNumGlyphs(int value);
  bool Flat() const { return flat_; }
  void SetFlat(bool value) { Store(flat_, value); }
  bool RepeatClicks() const { return repeatClicks_; }
  void SetRepeatClicks(bool value) { repeatClicks_ = value; }
  UINT InitialDelay() const { return initialDelay_; }
  void SetInitialDelay(UINT value) { initialDelay_ = value; }
  UINT Delay() const { return delay_; }
  void SetDelay(UINT value) { delay_ = value; }

  // From an OnMouseDown handler: the press that is starting is dropped (no down look, no
  // repeat, no click).
  void AbandonPress();

  bool IsDown() const { return down_; }
  bool MouseOver() const { return mouseOver_; }
  bool Repeating() const { return timer_ && timer_->Enabled(); }
  // The glyph cell the last paint drew (-1: none) and where.
  int PaintedCell() const { return paintedCell_; }
  RECT GlyphRect() const { return glyphRect_; }

 protected:
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void WMCancelMode(TMessage& m) override;
  void CMMouseEnter(TMessage& m) override;
  void CMMouseLeave(TMessage& m) override;
  void CMEnabledChanged(TMessage& m) override;

 private:
  void PaintClassicFrame(TCanvas& canvas, RECT& r);
  bool PaintThemedFrame(TCanvas& canvas, RECT& r, bool& arrowDone);
  void PaintGlyph(TCanvas& canvas, const RECT& r);
  void TimerTick();
  void StopRepeat();
  void SyncHover();

  TRzControlButtonStyle style_ = cbsNone;
  TBitmap glyph_;
  int numGlyphs_ = 1;
  bool flat_ = false;
  bool repeatClicks_ = false;
  UINT initialDelay_ = 400;
  UINT delay_ = 100;
  bool down_ = false;
  bool dragging_ = false;
  bool mouseOver_ = false;
  bool abandoned_ = false;
  std::unique_ptr<TTimer> timer_;
  int paintedCell_ = -1;
  RECT glyphRect_{};
};

}  // namespace kovra
