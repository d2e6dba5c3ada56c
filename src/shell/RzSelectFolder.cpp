// The folder selection dialog.
#include "shell/RzSelectFolder.h"

namespace kovra {

TRzCustomSelectFolderDialog::TRzCustomSelectFolderDialog(TComponent* owner)
    : TRzShellDialog(owner) {}

TRzCustomSelectFolderDialog::~TRzCustomSelectFolderDialog() {
  Destroying();
}

bool TRzCustomSelectFolderDialog::Execute() {
  return ExecuteDialog();
}

TRzSelectFolderForm* TRzCustomSelectFolderDialog::SelectFolderForm() const {
  return static_cast<TRzSelectFolderForm*>(Form());
}

void TRzCustomSelectFolderDialog::SetOptions(TRzSelectFolderDialogOptions options) {
  options_ = options;
  if (TRzSelectFolderForm* form = SelectFolderForm()) form->SetOptions(options);
}

std::unique_ptr<TForm> TRzCustomSelectFolderDialog::CreateDialogForm() {
  return std::make_unique<TRzSelectFolderForm>(nullptr);
}

void TRzCustomSelectFolderDialog::ConfigureDialogForm(TForm& baseForm) {
  auto& form = static_cast<TRzSelectFolderForm&>(baseForm);
  // The handlers are read when they fire, so that changes made while the window is open count.
  form.OnSelChange = [this](TObject*, LPCITEMIDLIST list) {
    if (OnSelChange) OnSelChange(this, list);
  };
  form.ShellTree()->OnAddItem = [this](TObject*, IShellFolder* parentFolder,
                                       LPCITEMIDLIST parentAbsolute, LPCITEMIDLIST item,
                                       SFGAOF attributes, bool& allowAdd) {
    if (OnAddItem) OnAddItem(this, parentFolder, parentAbsolute, item, attributes, allowAdd);
  };
  form.OnFormShow = [this](TObject*) {
    if (OnFormShow) OnFormShow(this);
  };
  form.OnFormClose = [this](TObject*) {
    if (OnFormClose) OnFormClose(this);
  };
  form.SetStatusText(statusText_);
  ApplyFormPosition(form);
  ApplyFormSize(form);
  ApplyFormWindowState(form);
  form.SetOptions(options_);
  form.SetCaption(Title().empty() ? std::string(RzLoadStr(rsBrowseForFolder)) : Title());
  ApplyAppearance(form);
  form.ShellTree()->BaseFolder().Assign(&baseFolder_);
  form.ShellTree()->SelectedFolder().Assign(&selectedFolder_);
}

void TRzCustomSelectFolderDialog::ApplyAppearance(TRzSelectFolderForm& form) const {
  for (TRzBitBtn* button : {form.BtnOk(), form.BtnCancel()}) {
    button->SetColor(ButtonColor());
    button->SetHighlightColor(HighlightColor());
    button->SetHotTrack(HotTrack());
    button->SetHotTrackColor(HotTrackColor());
    button->SetHotTrackColorType(HotTrackColorType());
  }
  if (ShowButtonGlyphs()) {
    form.BtnOk()->SetGlyph(TRzBitBtn::StockGlyph(bkOK));
    form.BtnCancel()->SetGlyph(TRzBitBtn::StockGlyph(bkCancel));
  }
  for (TRzToolButton* button : {form.BtnNewFolder(), form.BtnDeleteFolder()}) {
    button->SetGradientColorStyle(ToolBtnGradientColorStyle());
    button->SetSelectionColorStart(ToolBtnSelectionColorStart());
    button->SetSelectionColorStop(ToolBtnSelectionColorStop());
    button->SetSelectionFrameColor(ToolBtnSelectionFrameColor());
    button->SetVisualStyle(ToolBtnVisualStyle());
  }
}

void TRzCustomSelectFolderDialog::ReadBackDialogForm(TForm& baseForm, bool ok) {
  auto& form = static_cast<TRzSelectFolderForm&>(baseForm);
  ReadBackPlacement(form);
  if (ok) selectedFolder_.Assign(&form.ShellTree()->SelectedFolder());
}

}  // namespace kovra
