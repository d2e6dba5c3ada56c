// The colour picker: a framed panel showing a forty-colour palette, optionally the thirty system
// colours and "None", "Default" and "More Colors..." rows, with a tooltip naming the colour under
// the mouse. The geometry and the keyboard moves are in RzColorPickerLogic.h.
//   TRzCustomColors   the colour dialog's sixteen custom colours as "ColorA=FFFFFF" lines
//   TRzColorDialog    the system colour chooser, for one showing
//   TRzColorPicker    the picker
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "controls/RzColorPickerLogic.h"
#include "controls/RzPanel.h"

namespace kovra {

// A custom-colour line whose value is not hexadecimal.
class ERzColorListError : public Exception {
 public:
  using Exception::Exception;
};

enum TColorDialogOption : std::uint8_t {
  cdFullOpen,
  cdPreventFullOpen,
  cdShowHelp,
  cdSolidColor,
  cdAnyColor
};
using TColorDialogOptions = std::uint8_t;
constexpr TColorDialogOptions ColorDialogOption(TColorDialogOption o) {
  return static_cast<TColorDialogOptions>(1u << o);
}

// A tooltip window of our own, destroyed with its holder (unless the system destroyed it first).
struct TRzOwnedWindowTraits {
  using Handle = HWND;
  static HWND Invalid() { return nullptr; }
  static bool IsValid(HWND h) { return h != nullptr; }
  static void Close(HWND h) {
    if (IsWindow(h)) DestroyWindow(h);
  }
};
using TRzOwnedWindow = ScopedHandle<TRzOwnedWindowTraits>;

class TRzCustomColors : public TComponent {
 public:
  explicit TRzCustomColors(TComponent* owner = nullptr);
  ~TRzCustomColors() override;

  // Sixteen lines "ColorA=FFFFFF" .. "ColorP=FFFFFF" to begin with.
  const std::vector<std::string>& Colors() const { return colors_; }
  // Takes a copy with every value rewritten as six upper-case hexadecimal digits ("ff" becomes
  // "0000FF"). A value that is not hexadecimal raises ERzColorListError and keeps the old list.
  void SetColors(const std::vector<std::string>& lines);

  // Where the list may be kept; the picker itself only reads and writes Colors. Not owned.
  TRzRegIniFile* RegIniFile() const { return regIniFile_; }
  void SetRegIniFile(TRzRegIniFile* store) { regIniFile_ = store; }

 private:
  std::vector<std::string> colors_;
  TRzRegIniFile* regIniFile_ = nullptr;
};

// The system colour chooser. Color is what it starts with and, after a confirmed Execute, what
// the user chose (RGB); CustomColors are read and written back the same way.
class TRzColorDialog {
 public:
  TColor Color = clBlack;
  std::array<TColor, kPickerCustomColorCount> CustomColors{};
  TColorDialogOptions Options = ColorDialogOption(cdFullOpen);

  TRzColorDialog() { CustomColors.fill(clWhite); }
  // Modal, owned by `owner`; true when the user confirmed.
  bool Execute(HWND owner);
  // The CHOOSECOLOR flags the options stand for.
  DWORD Flags() const;
};

class TRzColorPicker : public TRzCustomPanel {
 public:
  explicit TRzColorPicker(TComponent* owner);
  ~TRzColorPicker() override;

  // clNone for no colour; writing a colour outside the palette puts it into CustomColor and
  // selects the custom swatch.
  TColor SelectedColor() const;
  void SetSelectedColor(TColor color);
  // The selected item: a palette entry 0..69 or one of the kPicker* indices.
  int SelectedIndex() const { return selected_; }
  // The item under the mouse, kPickerNoHot when none.
  int HotIndex() const { return hot_; }

  TColor CustomColor() const { return customColor_; }
  void SetCustomColor(TColor value);
  TColor DefaultColor() const { return defaultColor_; }
  void SetDefaultColor(TColor value);
  TColorDialogOptions ColorDlgOptions() const { return colorDlgOptions_; }
  void SetColorDlgOptions(TColorDialogOptions value) { colorDlgOptions_ = value; }
  TRzCustomColors* CustomColors() const { return customColors_; }
  void SetCustomColors(TRzCustomColors* value);

  // Empty captions show "More Colors...", "None" and "Default".
  const std::string& CustomColorCaption() const { return customColorCaption_; }
  void SetCustomColorCaption(std::string_view value) { SetPainted(customColorCaption_, value); }
  const std::string& NoColorCaption() const { return noColorCaption_; }
  void SetNoColorCaption(std::string_view value) { SetPainted(noColorCaption_, value); }
  const std::string& DefaultColorCaption() const { return defaultColorCaption_; }
  void SetDefaultColorCaption(std::string_view value) { SetPainted(defaultColorCaption_, value); }

  bool ShowCustomColor() const { return options_.showCustomColor; }
  void SetShowCustomColor(bool value) { SetOption(options_.showCustomColor, value); }
  bool ShowNoColor() const { return options_.showNoColor; }
  void SetShowNoColor(bool value) { SetOption(options_.showNoColor, value); }
  bool ShowDefaultColor() const { return options_.showDefaultColor; }
  void SetShowDefaultColor(bool value) { SetOption(options_.showDefaultColor, value); }
  bool ShowSystemColors() const { return options_.showSystemColors; }
  void SetShowSystemColors(bool value) { SetOption(options_.showSystemColors, value); }
  bool ShowColorHints() const { return showColorHints_; }
  void SetShowColorHints(bool value);

  TColor ButtonColor() const { return buttonColor_; }
  void SetButtonColor(TColor value) { SetPainted(buttonColor_, value); }
  TColor ButtonFontColor() const { return buttonFontColor_; }
  void SetButtonFontColor(TColor value) { SetPainted(buttonFontColor_, value); }

  // Keeps the control at the palette's natural size (18-pixel cells inside the frames).
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool value);

  // The items' geometry in client coordinates, for the painting and for callers placing things.
  TRzColorPickerLayout PickerLayout() const;
  RECT ItemRect(int index) const;
  int ItemAtPos(POINT p) const;
  // The colour-name tooltip, once it was first needed; null before.
  HWND ColorHintWindow() const { return hintWindow_.Get(); }

  TNotifyEvent OnChange;

 protected:
  void Paint() override;
  void Loaded() override;
  void Notification(TComponent* component, TOperation operation) override;
  void AlignControls(TControl* changed, RECT& rect) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  bool DoKeyDown(WORD& key, TShiftState shift) override;
  void WndProc(TMessage& m) override;
  void WMSetFocus(TMessage& m) override;
  void WMKillFocus(TMessage& m) override;
  void CMMouseLeave(TMessage& m) override;
  void CMFontChanged(TMessage& m) override;
  void CMVisibleChanged(TMessage& m) override;

  // Shows the colour dialog; true when the user confirmed. Tests replace it.
  virtual bool RunColorDialog(TRzColorDialog& dialog);

 private:
  using TRzCustomPanel::SetPainted;
  void SetPainted(std::string& field, std::string_view value);
  void SetOption(bool& field, bool value);
  void SelectIndex(int index);
  void SetHotIndex(int index);
  void AdjustToNaturalSize();
  void OpenColorDialog();
  RECT PickerClientRect() const;
  void PaintItemBackground(TCanvas& canvas, int index, const RECT& r, bool soft);
  void PaintSwatch(TCanvas& canvas, const RECT& cell, TColor color);
  void PaintCaptionButton(TCanvas& canvas, const RECT& part, std::string_view caption);
  void PaintCaptionRow(TCanvas& canvas, int index, const RECT& row, std::string_view caption,
                       bool withSwatch, TColor swatchColor);
  void UpdateColorHint(int index);
  void HideColorHint();
  bool CreateHintWindow();

  TColor customColor_ = clWhite;
  TColor defaultColor_ = clHighlight;
  TColorDialogOptions colorDlgOptions_ = ColorDialogOption(cdFullOpen);
  TRzCustomColors* customColors_ = nullptr;
  std::string customColorCaption_;
  std::string noColorCaption_;
  std::string defaultColorCaption_;
  TRzColorPickerOptions options_;
  int selected_ = kPickerNoColor;
  int hot_ = kPickerNoHot;
  TColor themedFrameColor_ = clBtnShadow;
  bool showColorHints_ = true;
  TColor buttonColor_ = clBtnFace;
  TColor buttonFontColor_ = clWindowText;
  bool autoSize_ = true;
  bool sizing_ = false;

  TRzOwnedWindow hintWindow_;
  TFont hintFont_;
  bool hintShown_ = false;
  POINT hintPos_{};
  int hintIndex_ = kPickerNothing;
};

}  // namespace kovra
