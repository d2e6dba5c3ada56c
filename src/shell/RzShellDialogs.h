// The shell dialog components: non-visual components that show a modal window built from the
// shell controls and hand back what was chosen.
//   TRzShellDialog        placement, title, appearance and events shared by every shell dialog;
//                         the Execute sequence and the layout record
//   TRzFileDialog         the open/save window's settings and result (Files, FileName)
//   TRzCustomOpenDialog   the open dialog's default options
//   TRzOpenDialog         its published form
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "controls/RzCommonTypes.h"
#include "framework/Application.h"
#include "framework/Forms.h"
#include "framework/runtime/Colors.h"
#include "shell/RzShellDialogsLogic.h"
#include "shell/RzShellTree.h"

namespace kovra {

class TRzShellOpenSaveForm;

class TRzShellDialog : public TComponent {
 public:
  explicit TRzShellDialog(TComponent* owner);
  ~TRzShellDialog() override;

  // -1: the window's own.
  int FormLeft() const { return formLeft_; }
  void SetFormLeft(int value) { formLeft_ = value; }
  int FormTop() const { return formTop_; }
  void SetFormTop(int value) { formTop_ = value; }
  int FormWidth() const { return formWidth_; }
  void SetFormWidth(int value) { formWidth_ = value; }
  int FormHeight() const { return formHeight_; }
  void SetFormHeight(int value) { formHeight_ = value; }
  TWindowState FormWindowState() const { return formWindowState_; }
  void SetFormWindowState(TWindowState value) { formWindowState_ = value; }
  TPosition FormPosition() const { return formPosition_; }
  void SetFormPosition(TPosition value) { formPosition_ = value; }
  const std::string& Title() const { return title_; }
  void SetTitle(std::string_view value) { title_ = value; }

  TColor FrameColor() const { return frameColor_; }
  void SetFrameColor(TColor value) { frameColor_ = value; }
  TFrameStyle FrameStyle() const { return frameStyle_; }
  void SetFrameStyle(TFrameStyle value) { frameStyle_ = value; }
  bool FrameVisible() const { return frameVisible_; }
  void SetFrameVisible(bool value) { frameVisible_ = value; }
  TFramingPreference FramingPreference() const { return framingPreference_; }
  void SetFramingPreference(TFramingPreference value) { framingPreference_ = value; }
  TColor ButtonColor() const { return buttonColor_; }
  void SetButtonColor(TColor value) { buttonColor_ = value; }
  bool ShowButtonGlyphs() const { return showButtonGlyphs_; }
  void SetShowButtonGlyphs(bool value) { showButtonGlyphs_ = value; }
  TColor HighlightColor() const { return highlightColor_; }
  void SetHighlightColor(TColor value) { highlightColor_ = value; }
  bool HotTrack() const { return hotTrack_; }
  void SetHotTrack(bool value) { hotTrack_ = value; }
  TColor HotTrackColor() const { return hotTrackColor_; }
  void SetHotTrackColor(TColor value) { hotTrackColor_ = value; }
  TRzHotTrackColorType HotTrackColorType() const { return hotTrackColorType_; }
  void SetHotTrackColorType(TRzHotTrackColorType value) { hotTrackColorType_ = value; }
  TRzGradientColorStyle ToolBtnGradientColorStyle() const { return toolBtnGradientColorStyle_; }
  void SetToolBtnGradientColorStyle(TRzGradientColorStyle value) {
    toolBtnGradientColorStyle_ = value;
  }
  TColor ToolBtnSelectionColorStart() const { return toolBtnSelectionColorStart_; }
  void SetToolBtnSelectionColorStart(TColor value) { toolBtnSelectionColorStart_ = value; }
  TColor ToolBtnSelectionColorStop() const { return toolBtnSelectionColorStop_; }
  void SetToolBtnSelectionColorStop(TColor value) { toolBtnSelectionColorStop_ = value; }
  TColor ToolBtnSelectionFrameColor() const { return toolBtnSelectionFrameColor_; }
  void SetToolBtnSelectionFrameColor(TColor value) { toolBtnSelectionFrameColor_ = value; }
  TRzVisualStyle ToolBtnVisualStyle() const { return toolBtnVisualStyle_; }
  void SetToolBtnVisualStyle(TRzVisualStyle value) { toolBtnVisualStyle_ = value; }

  // The component's class name, for the "already executing" message.
  virtual std::string ClassName() const { return "TRzShellDialog"; }
  // True from the start of Execute to its end.
  bool Executing() const { return executing_; }
  // The window while Execute shows it, else null.
  TForm* Form() const { return form_; }

  // The window layout as a record (see TRzDialogLayout); derived dialogs append their part.
  virtual void WriteLayout(std::vector<std::uint8_t>& out) const;
  // Applies a record written by WriteLayout; a short or malformed one changes nothing and gives
  // false. `pos` moves past what was read.
  virtual bool ReadLayout(std::span<const std::uint8_t> data, std::size_t& pos);
  bool ReadLayout(std::span<const std::uint8_t> data) {
    std::size_t pos = 0;
    return ReadLayout(data, pos);
  }

  TNotifyEvent OnInitialized;
  TNotifyEvent OnFormShow;
  TNotifyEvent OnFormClose;

 protected:
  // The Execute sequence: refuses a nested call ("<class> already executing") and a second
  // window (WindowExistsMessage), shows the hourglass, creates and configures the window,
  // fires OnInitialized, shows it modally, reads it back and destroys it. The cursor, the
  // executing flag and Form() are restored on every path. True when the window closed with OK.
  bool ExecuteDialog();
  virtual std::unique_ptr<TForm> CreateDialogForm() = 0;
  virtual void ConfigureDialogForm(TForm& form) = 0;
  virtual void ReadBackDialogForm(TForm& form, bool ok) = 0;
  // "<Name> already executing".
  virtual std::string WindowExistsMessage() const;

  // Position (and, for poDesigned, left and top); size when above 0; window state.
  void ApplyFormPosition(TForm& form) const;
  void ApplyFormSize(TForm& form) const;
  void ApplyFormWindowState(TForm& form) const;
  // FormLeft..FormHeight from the window's restored rectangle, FormWindowState, FormPosition.
  void ReadBackPlacement(TForm& form);

 private:
  int formLeft_ = -1, formTop_ = -1, formWidth_ = -1, formHeight_ = -1;
  TWindowState formWindowState_ = wsNormal;
  TPosition formPosition_ = poScreenCenter;
  std::string title_;
  TColor frameColor_ = clBtnShadow;
  TFrameStyle frameStyle_ = fsFlat;
  bool frameVisible_ = false;
  TFramingPreference framingPreference_ = fpXPThemes;
  TColor buttonColor_ = clBtnFace;
  bool showButtonGlyphs_ = false;
  TColor highlightColor_ = clHighlight;
  bool hotTrack_ = false;
  TColor hotTrackColor_ = 0x149BF0;
  TRzHotTrackColorType hotTrackColorType_ = htctActual;
  TRzGradientColorStyle toolBtnGradientColorStyle_ = gcsSystem;
  TColor toolBtnSelectionColorStart_ = clBtnFace;
  TColor toolBtnSelectionColorStop_ = clBtnShadow;
  TColor toolBtnSelectionFrameColor_ = cl3DDkShadow;
  TRzVisualStyle toolBtnVisualStyle_ = vsWinXP;
  bool executing_ = false;
  TForm* form_ = nullptr;
};

class TRzFileDialog : public TRzShellDialog {
 public:
  explicit TRzFileDialog(TComponent* owner);
  ~TRzFileDialog() override;

  std::string ClassName() const override { return "TRzFileDialog"; }

  // True when the user chose a file (FileName, Files); false on Cancel.
  virtual bool Execute();

  // Setting Options, Filter, FilterIndex or FormSplitterPos while the window is open applies
  // them to it.
  TRzOpenSaveOptions Options() const { return options_; }
  void SetOptions(TRzOpenSaveOptions options);
  const std::string& Filter() const { return filter_; }
  void SetFilter(std::string_view filter);
  // 1-based; 0 reads back when there are no types.
  int FilterIndex() const { return filterIndex_; }
  void SetFilterIndex(int index);
  int FormSplitterPos() const { return formSplitterPos_; }
  void SetFormSplitterPos(int pos);
  const std::vector<std::string>& HistoryList() const { return historyList_; }
  void SetHistoryList(std::vector<std::string> list) { historyList_ = std::move(list); }
  const std::string& InitialDir() const { return initialDir_; }
  void SetInitialDir(std::string_view dir) { initialDir_ = dir; }
  const std::string& DefaultExt() const { return defaultExt_; }
  void SetDefaultExt(std::string_view ext) { defaultExt_ = ext; }
  int HelpContext() const { return helpContext_; }
  void SetHelpContext(int context) { helpContext_ = context; }

  // The chosen full paths.
  const std::vector<std::string>& Files() const { return files_; }
  // While the window is open, the window's current name; otherwise the first of Files.
  std::string FileName() const;
  // The name the window starts with (a directory part makes it start there).
  void SetFileName(std::string_view name);

  // Hooked to the window's shell list and tree (also while it is open).
  const TRzShAddItemEvent& OnAddListItem() const { return onAddListItem_; }
  void SetOnAddListItem(TRzShAddItemEvent handler);
  const TRzShAddItemEvent& OnAddTreeItem() const { return onAddTreeItem_; }
  void SetOnAddTreeItem(TRzShAddItemEvent handler);
  TRzShAddItemEvent OnAddComboItem;  // kept; the look-in combo lists no events
  TNotifyEvent OnFolderChanged;
  TNotifyEvent OnSelectionChanged;
  TNotifyEvent OnTypeChanged;
  // The window's help requests, before the application's: clearing callHelp answers them here.
  THelpEvent OnHelp;

  void WriteLayout(std::vector<std::uint8_t>& out) const override;
  bool ReadLayout(std::span<const std::uint8_t> data, std::size_t& pos) override;
  using TRzShellDialog::ReadLayout;

 protected:
  std::unique_ptr<TForm> CreateDialogForm() override;
  void ConfigureDialogForm(TForm& form) override;
  void ReadBackDialogForm(TForm& form, bool ok) override;
  TRzShellOpenSaveForm* OpenSaveForm() const;

 private:
  TRzOpenSaveOptions options_ = 0;
  std::string filter_;
  int filterIndex_ = 1;
  int formSplitterPos_ = -1;
  std::vector<std::string> historyList_;
  std::string initialDir_;
  std::string defaultExt_;
  int helpContext_ = 0;
  std::vector<std::string> files_;
  TRzShAddItemEvent onAddListItem_;
  TRzShAddItemEvent onAddTreeItem_;
};

class TRzCustomOpenDialog : public TRzFileDialog {
 public:
  explicit TRzCustomOpenDialog(TComponent* owner);
  std::string ClassName() const override { return "TRzCustomOpenDialog"; }

 protected:
  void ConfigureDialogForm(TForm& form) override;
};

class TRzOpenDialog : public TRzCustomOpenDialog {
 public:
  explicit TRzOpenDialog(TComponent* owner) : TRzCustomOpenDialog(owner) {}
  std::string ClassName() const override { return "TRzOpenDialog"; }
};

}  // namespace kovra
