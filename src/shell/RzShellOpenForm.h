// The open/save window: a places bar, the look-in combo with a tool bar, the shell tree and list
// in a splitter, the name and type fields and the push buttons. The file dialogs create one for
// each showing, configure it, show it modally and read it back.
//   TRzPlaceData           one places-bar button's folder
//   TRzShellOpenSaveForm   the window, its checks of the typed names and its commands
#pragma once

#include <windows.h>

#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "controls/RzButton.h"
#include "controls/RzCmboBx.h"
#include "controls/RzEdit.h"
#include "controls/RzPanel.h"
#include "controls/RzRadChk.h"
#include "controls/RzSplit.h"
#include "controls/RzStrings.h"
#include "controls/RzToolButton.h"
#include "framework/Application.h"
#include "framework/Dialogs.h"
#include "framework/Forms.h"
#include "framework/ImgList.h"
#include "framework/Menus.h"
#include "framework/StdCtrls.h"
#include "shell/RzShellCombo.h"
#include "shell/RzShellDialogsLogic.h"
#include "shell/RzShellList.h"
#include "shell/RzShellTree.h"

namespace kovra {

class TRzShellDialog;

// The window's texts are in controls/RzStrings.h.
inline constexpr const char* kRzStrPlacesPolicyKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Comdlg32\\Placesbar";

struct TRzPlaceData {
  int SpecialFolder = kPlaceIsPath;
  std::string Caption;
  std::string Path;  // empty for a special folder
  int ImageIndex = -1;
};

enum TRzLastInput : std::uint8_t { liList, liEdit };

class TRzShellOpenSaveForm : public TForm {
 public:
  explicit TRzShellOpenSaveForm(TComponent* owner);
  ~TRzShellOpenSaveForm() override;

  // ---- Configuration (by the dialog) ----
  TRzOpenSaveOptions Options() const { return options_; }
  // Stores the whole set and sets exactly the tree and list options it governs.
  void SetOptions(TRzOpenSaveOptions options);
  // Parses "description|mask|..." into the type combo and gives it to the list as its filter.
  void SetFilter(std::string_view filter);
  // 1-based; out of range selects the first type (without the type change).
  void SelectFilterIndex(int index);
  // The selected type's index + 1, or 0 without types.
  int FilterIndex() const;
  const std::vector<TRzFileType>& FileTypes() const { return fileTypes_; }
  const std::string& UserFilter() const { return userFilter_; }
  void SetInitialDir(std::string_view dir);
  void SetFileNameText(std::string_view text);
  void SetDefaultExt(std::string_view ext) { defaultExt_ = ext; }
  void SetSplitterPos(int pos);
  int SplitterPos() const;
  void SetHelpContext(int context) { helpContext_ = context; }
  void SetOpenButtonCaption(std::string_view caption);
  void ApplyAppearance(const TRzShellDialog& dialog);
  void SetAddListItemHook(const TRzShAddItemEvent& hook);
  void SetAddTreeItemHook(const TRzShAddItemEvent& hook);

  TNotifyEvent FormCloseHook;
  TNotifyEvent FormShowHook;
  TNotifyEvent FolderChangedHook;
  TNotifyEvent SelectionChangedHook;
  TNotifyEvent TypeChangedHook;
  THelpEvent HelpHook;  // the dialog's OnHelp

  // ---- Results ----
  // The full paths the last successful evaluation accepted.
  const std::vector<std::string>& SelectionList() const { return selectionList_; }
  // While active, the first accepted path; otherwise the name edit's text.
  std::string CurrentFileName();
  bool DialogActive() const { return active_; }
  TRzLastInput LastInput() const { return lastInput_; }

  // ---- The controls (for the dialogs and tests) ----
  TRzShellCombo& ShellCombo() { return *shellCombo_; }
  TRzShellTree& ShellTree() { return *shellTree_; }
  TRzShellList& ShellList() { return *shellList_; }
  TRzEdit& FileNameEdit() { return *edtFileName_; }
  TRzComboBox& FileTypesCombo() { return *cbxFileTypes_; }
  TRzCheckBox& ReadOnlyCheck() { return *chkReadOnly_; }
  TRzBitBtn& OpenButton() { return *btnOpen_; }
  TRzBitBtn& CancelButton() { return *btnCancel_; }
  TRzBitBtn& HelpButton() { return *btnHelp_; }
  TRzSplitter& Splitter() { return *splitter_; }
  TRzToolButton& PlaceButton(int i) { return *btnPlaces_.at(static_cast<size_t>(i)); }
  const std::vector<TRzPlaceData>& Places() const { return places_; }
  TRzToolButton& ShowTreeButton() { return *btnShowTree_; }
  TRzToolButton& ListButton() { return *btnList_; }
  TRzToolButton& DetailsButton() { return *btnDetails_; }
  TPopupMenu& ListPopup() { return *lvPopup_; }
  HWND SizeGrip() const { return sizeGrip_; }

  // ---- Commands ----
  // Evaluates the typed text; true when every name passed (SelectionList then holds them).
  bool EvaluateText();
  void ShowTreePane(bool show);
  bool TreePaneShown() const;
  // Sets the list's view style by tag (0 large icons, 1 small icons, 2 list, 3 details).
  void SetViewStyle(int tag);
  void GoToPlace(int index);

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void WndProc(TMessage& m) override;
  void ChangeScale(int m, int d) override;

 private:
  void BuildControls();
  void BuildPlacesBar();
  void BuildToolBar();
  void BuildEditsPanel();
  void BuildPopupMenu();
  void LoadPlaces();
  void UpdatePlacesState();
  void LayoutControls();
  void PlaceSizeGrip();

  void FormShowSequence();
  void FormHidden();
  void FormKeyDown(WORD& key, TShiftState shift);
  void FormCloseQuery(bool& canClose);
  void CloseCheck(bool& canClose);
  bool LabelAccelerator(wchar_t ch);
  void TypeChanged();
  void ShellListChange();
  void ShellListFolderChanged();
  void ViewBtnClick(TObject* sender);
  void CreateNewFolder();
  void HelpClick();

  bool EvaluateName(const std::string& typed, const std::string& name, bool single,
                    const std::string& base);
  bool MatchTypedName(std::string& full, const std::string& base);
  // The target of a shortcut path, unless shortcuts are to be returned as they are.
  void DereferenceShortcut(std::string& full) const;
  bool ExistenceCheck(const std::string& path);
  bool IsShellFolder(const std::string& path);
  bool MoveToFolder(const std::string& path);
  void MoveComboTo(const std::string& dir);
  std::string ListFolderPath();
  void SetEditText(std::string_view text);
  const std::string* SelectedMask() const;
  int Message(std::string_view format, std::string_view arg, TMsgDlgType type,
              TMsgDlgButtons buttons);

  // Controls, owned through the component tree.
  TRzPanel* pnlJumps_ = nullptr;
  std::array<TRzToolButton*, kMaxPlaces> btnPlaces_{};
  TRzPanel* pnlWork_ = nullptr;
  TLabel* lblLookIn_ = nullptr;
  TRzShellCombo* shellCombo_ = nullptr;
  TRzToolButton* btnUpOneLevel_ = nullptr;
  TRzToolButton* btnShowDesktop_ = nullptr;
  TRzToolButton* btnCreateNewFolder_ = nullptr;
  TRzToolButton* btnShowTree_ = nullptr;
  TRzToolButton* btnList_ = nullptr;
  TRzToolButton* btnDetails_ = nullptr;
  TRzSplitter* splitter_ = nullptr;
  TRzShellTree* shellTree_ = nullptr;
  TRzShellList* shellList_ = nullptr;
  TRzPanel* pnlEdits_ = nullptr;
  TLabel* lblFileName_ = nullptr;
  TRzEdit* edtFileName_ = nullptr;
  TRzComboBox* cbxFileName_ = nullptr;
  TLabel* lblFilesOfType_ = nullptr;
  TRzComboBox* cbxFileTypes_ = nullptr;
  TRzCheckBox* chkReadOnly_ = nullptr;
  TRzBitBtn* btnOpen_ = nullptr;
  TRzBitBtn* btnCancel_ = nullptr;
  TRzBitBtn* btnHelp_ = nullptr;
  TPopupMenu* lvPopup_ = nullptr;
  std::array<TMenuItem*, 4> viewItems_{};
  TImageList imlPlaces_{32, 32};
  TImageList imlToolbar_{16, 16};
  TBitmap toolbarGlyphs_;

  TRzOpenSaveOptions options_ = 0;
  std::vector<TRzFileType> fileTypes_;
  std::string userFilter_;
  std::string initialDir_;
  std::string defaultExt_;
  std::vector<std::string> fileList_;
  std::vector<std::string> selectionList_;
  std::vector<TRzPlaceData> places_;
  TRzLastInput lastInput_ = liList;
  bool active_ = false;
  bool settingEdit_ = false;  // the edit's text is set by the window, not typed
  int helpContext_ = 0;
  HWND sizeGrip_ = nullptr;
};

}  // namespace kovra
