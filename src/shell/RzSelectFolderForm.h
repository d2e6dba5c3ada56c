// The folder selection window: a shell tree to pick a folder in, Create Folder and Delete tool
// buttons, OK and Cancel, and a status bar showing the selected folder's path. Built in code;
// TRzSelectFolderDialog creates one per Execute.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <functional>
#include <memory>
#include <string>

#include "controls/RzButton.h"
#include "controls/RzPanel.h"
#include "controls/RzStrings.h"
#include "controls/RzToolButton.h"
#include "framework/Forms.h"
#include "framework/ImgList.h"
#include "shell/RzSelectFolderLogic.h"
#include "shell/RzShellTree.h"

namespace kovra {

// The window's texts are in controls/RzStrings.h.
inline constexpr const char* kSelectFolderStrFontName = "MS Sans Serif";

// The selected folder changed; `newSelection` is its absolute identifier list (borrowed).
using TRzFolderBrowseSelChangeEvent =
    std::function<void(TObject* sender, LPCITEMIDLIST newSelection)>;

class TRzSelectFolderForm : public TForm {
 public:
  static constexpr int kDesignWidth = 383, kDesignHeight = 359;
  static constexpr int kMinTrackWidth = 366, kMinTrackHeight = 340;
  // The status text keeps this much of the bar's width free.
  static constexpr int kStatusMargin = 20;

  explicit TRzSelectFolderForm(TComponent* owner = nullptr);
  ~TRzSelectFolderForm() override;

  TRzSelectFolderDialogOptions Options() const { return options_; }
  // Maps onto the tree's options and read-only state and onto the two tool buttons.
  void SetOptions(TRzSelectFolderDialogOptions options);

  // The status bar's text before the first selection.
  void SetStatusText(std::string_view text);
  // The full path of the selection, as the status bar shows it shortened.
  const std::string& SelectedPath() const { return selectedPath_; }

  TRzShellTree* ShellTree() const { return shellTree_; }
  TRzToolButton* BtnNewFolder() const { return btnNewFolder_; }
  TRzToolButton* BtnDeleteFolder() const { return btnDeleteFolder_; }
  TRzPanel* ButtonPanel() const { return buttonPanel_; }
  TRzBitBtn* BtnOk() const { return btnOk_; }
  TRzBitBtn* BtnCancel() const { return btnCancel_; }
  TRzStatusBar* StatusBar() const { return statusBar_; }
  TImageList& ImageList1() { return *imageList_; }

  // Hooks of the dialog that shows this window.
  TRzFolderBrowseSelChangeEvent OnSelChange;
  TNotifyEvent OnFormShow;
  TNotifyEvent OnFormClose;

  // What the buttons do; public so that a menu or a test can run them too.
  void btnNewFolderClick(TObject* sender);
  void btnDeleteFolderClick(TObject* sender);

 protected:
  void CreateParams(TCreateParams& params) override;
  void Resize() override;
  void ChangeScale(int m, int d) override;

 private:
  void BuildControls();
  void FillImageList();
  void FormShow(TObject* sender);
  void FormHide(TObject* sender);
  void ShellTreeChange(TObject* sender, TTreeNode* node);
  void LayoutControls();
  void ShowStatusPath();

  TRzSelectFolderDialogOptions options_ = 0;
  std::string selectedPath_;
  bool pathShown_ = false;  // false until a selection replaced the initial text
  std::unique_ptr<TImageList> imageList_;
  TRzToolButton* btnNewFolder_ = nullptr;
  TRzToolButton* btnDeleteFolder_ = nullptr;
  TRzShellTree* shellTree_ = nullptr;
  TRzPanel* buttonPanel_ = nullptr;
  TRzBitBtn* btnOk_ = nullptr;
  TRzBitBtn* btnCancel_ = nullptr;
  TRzStatusBar* statusBar_ = nullptr;
};

}  // namespace kovra
