// The folder selection dialog: a non-visual component whose Execute shows a TRzSelectFolderForm
// modally and keeps the folder chosen there.
//   TRzCustomSelectFolderDialog  options, base and selected folders, events, Execute
//   TRzSelectFolderDialog        its published form
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "shell/RzSelectFolderForm.h"
#include "shell/RzSelectFolderLogic.h"
#include "shell/RzShellDialogs.h"
#include "shell/RzShellUtils.h"

namespace kovra {

inline constexpr const char* kSelectFolderStrFormActive =
    "TRzSelectFolderDialog form already active";

class TRzCustomSelectFolderDialog : public TRzShellDialog {
 public:
  explicit TRzCustomSelectFolderDialog(TComponent* owner);
  ~TRzCustomSelectFolderDialog() override;

  std::string ClassName() const override { return "TRzCustomSelectFolderDialog"; }

  // True when the window closed with OK; SelectedFolder then holds the chosen folder.
  virtual bool Execute();

  TRzSelectFolderDialogOptions Options() const { return options_; }
  // Applies to the window too while it is open.
  void SetOptions(TRzSelectFolderDialogOptions options);

  // The tree's root. Owned; SetBaseFolder copies.
  TRzShellLocator& BaseFolder() { return baseFolder_; }
  void SetBaseFolder(const TRzShellLocator& folder) { baseFolder_.Assign(&folder); }
  // Before Execute the folder to preselect, after an OK the one chosen (its Path is empty for
  // folders outside the file system). Owned; SetSelectedFolder copies.
  TRzShellLocator& SelectedFolder() { return selectedFolder_; }
  void SetSelectedFolder(const TRzShellLocator& folder) { selectedFolder_.Assign(&folder); }
  // The status bar's text until the first selection.
  const std::string& StatusText() const { return statusText_; }
  void SetStatusText(std::string_view text) { statusText_ = text; }

  // The window while Execute shows it.
  TRzSelectFolderForm* SelectFolderForm() const;

  TRzShAddItemEvent OnAddItem;
  TRzFolderBrowseSelChangeEvent OnSelChange;

 protected:
  std::unique_ptr<TForm> CreateDialogForm() override;
  void ConfigureDialogForm(TForm& form) override;
  void ReadBackDialogForm(TForm& form, bool ok) override;
  std::string WindowExistsMessage() const override { return kSelectFolderStrFormActive; }

 private:
  void ApplyAppearance(TRzSelectFolderForm& form) const;

  TRzSelectFolderDialogOptions options_ = kDefaultSelectFolderOptions;
  TRzShellLocator baseFolder_;
  TRzShellLocator selectedFolder_;
  std::string statusText_;
};

class TRzSelectFolderDialog : public TRzCustomSelectFolderDialog {
 public:
  explicit TRzSelectFolderDialog(TComponent* owner) : TRzCustomSelectFolderDialog(owner) {}
  std::string ClassName() const override { return "TRzSelectFolderDialog"; }
};

}  // namespace kovra
