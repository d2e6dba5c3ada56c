// The shell dialog components: the shared Execute sequence, placement and layout record, and the
// open dialog's settings carried into its window and read back.
#include "shell/RzShellDialogs.h"

#include <algorithm>
#include <utility>

#include "framework/Controls.h"
#include "shell/RzShellOpenForm.h"
#include "shell/RzShellUtils.h"

namespace kovra {

// ---- TRzShellDialog ----

TRzShellDialog::TRzShellDialog(TComponent* owner) : TComponent(owner) {}

TRzShellDialog::~TRzShellDialog() {
  Destroying();
}

std::string TRzShellDialog::WindowExistsMessage() const {
  return Name() + " already executing";
}

bool TRzShellDialog::ExecuteDialog() {
  if (executing_) throw EInvalidOperation(ClassName() + " already executing");
  executing_ = true;
  struct ClearExecuting {
    bool& flag;
    ~ClearExecuting() { flag = false; }
  } clearExecuting{executing_};
  if (form_) throw EInvalidOperation(WindowExistsMessage());

  TScreenCursor hourglass(crHourGlass);
  EnsureShellLayer();  // before the window: its controls register drop targets as they appear
  std::unique_ptr<TForm> form = CreateDialogForm();
  struct ForgetForm {
    TForm*& current;
    ~ForgetForm() { current = nullptr; }
  } forgetForm{form_};
  form_ = form.get();
  form->ScaleToScreen();  // the placement read back last time is in screen pixels
  ConfigureDialogForm(*form);
  if (OnInitialized) OnInitialized(this);
  bool ok = false;
  {
    // The window shows its own cursor; the hourglass comes back for the read back.
    TScreenCursor normal(crDefault);
    ok = form->ShowModal() == mrOk;
  }
  ReadBackDialogForm(*form, ok);
  return ok;
}

void TRzShellDialog::ApplyFormPosition(TForm& form) const {
  form.SetPosition(formPosition_);
  if (formPosition_ == poDesigned) {
    if (formLeft_ != -1) form.SetLeft(formLeft_);
    if (formTop_ != -1) form.SetTop(formTop_);
  }
}

void TRzShellDialog::ApplyFormSize(TForm& form) const {
  if (formWidth_ > 0) form.SetWidth(formWidth_);
  if (formHeight_ > 0) form.SetHeight(formHeight_);
}

void TRzShellDialog::ApplyFormWindowState(TForm& form) const {
  form.SetWindowState(formWindowState_);
}

void TRzShellDialog::ReadBackPlacement(TForm& form) {
  formWindowState_ = form.WindowState();
  formPosition_ = form.Position();
  RECT r = form.BoundsRect();
  if (form.HandleAllocated()) {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    if (GetWindowPlacement(form.WindowHandle(), &placement)) r = placement.rcNormalPosition;
  }
  formLeft_ = r.left;
  formTop_ = r.top;
  formWidth_ = r.right - r.left;
  formHeight_ = r.bottom - r.top;
}

void TRzShellDialog::WriteLayout(std::vector<std::uint8_t>& out) const {
  TRzDialogLayout layout;
  layout.Left = formLeft_;
  layout.Top = formTop_;
  layout.Width = formWidth_;
  layout.Height = formHeight_;
  layout.WindowState = formWindowState_;
  layout.Position = formPosition_;
  AppendDialogLayout(out, layout);
}

bool TRzShellDialog::ReadLayout(std::span<const std::uint8_t> data, std::size_t& pos) {
  const auto layout = ReadDialogLayout(data, pos);
  if (!layout) return false;
  formLeft_ = layout->Left;
  formTop_ = layout->Top;
  formWidth_ = layout->Width;
  formHeight_ = layout->Height;
  formWindowState_ = static_cast<TWindowState>(layout->WindowState);
  formPosition_ = static_cast<TPosition>(layout->Position);
  return true;
}

// ---- TRzFileDialog ----

TRzFileDialog::TRzFileDialog(TComponent* owner) : TRzShellDialog(owner) {}

TRzFileDialog::~TRzFileDialog() {
  Destroying();
}

TRzShellOpenSaveForm* TRzFileDialog::OpenSaveForm() const {
  return static_cast<TRzShellOpenSaveForm*>(Form());
}

void TRzFileDialog::SetOptions(TRzOpenSaveOptions options) {
  options_ = options & kAllOpenSaveOptions;
  if (auto* form = OpenSaveForm()) form->SetOptions(options_);
}

void TRzFileDialog::SetFilter(std::string_view filter) {
  filter_ = filter;
  if (auto* form = OpenSaveForm()) {
    form->SetFilter(filter_);
    form->SelectFilterIndex(filterIndex_);  // the new types keep one selected
  }
}

void TRzFileDialog::SetFilterIndex(int index) {
  filterIndex_ = index;
  if (auto* form = OpenSaveForm()) form->SelectFilterIndex(index);
}

void TRzFileDialog::SetFormSplitterPos(int pos) {
  formSplitterPos_ = pos;
  if (auto* form = OpenSaveForm()) form->SetSplitterPos(pos);
}

void TRzFileDialog::SetOnAddListItem(TRzShAddItemEvent handler) {
  onAddListItem_ = std::move(handler);
  if (auto* form = OpenSaveForm()) form->SetAddListItemHook(onAddListItem_);
}

void TRzFileDialog::SetOnAddTreeItem(TRzShAddItemEvent handler) {
  onAddTreeItem_ = std::move(handler);
  if (auto* form = OpenSaveForm()) form->SetAddTreeItemHook(onAddTreeItem_);
}

std::string TRzFileDialog::FileName() const {
  if (auto* form = OpenSaveForm()) return form->CurrentFileName();
  return files_.empty() ? std::string() : files_.front();
}

void TRzFileDialog::SetFileName(std::string_view name) {
  files_.clear();
  if (!name.empty()) files_.emplace_back(name);
}

bool TRzFileDialog::Execute() {
  return ExecuteDialog();
}

std::unique_ptr<TForm> TRzFileDialog::CreateDialogForm() {
  return std::make_unique<TRzShellOpenSaveForm>(nullptr);
}

void TRzFileDialog::ConfigureDialogForm(TForm& baseForm) {
  auto& form = static_cast<TRzShellOpenSaveForm&>(baseForm);
  form.SetAddListItemHook(onAddListItem_);
  form.SetAddTreeItemHook(onAddTreeItem_);
  form.FormCloseHook = OnFormClose ? [this](TObject*) { OnFormClose(this); } : TNotifyEvent();
  form.FormShowHook = OnFormShow ? [this](TObject*) { OnFormShow(this); } : TNotifyEvent();
  form.TypeChangedHook = OnTypeChanged ? [this](TObject*) { OnTypeChanged(this); } : TNotifyEvent();
  form.FolderChangedHook =
      OnFolderChanged ? [this](TObject*) { OnFolderChanged(this); } : TNotifyEvent();
  form.SelectionChangedHook =
      OnSelectionChanged ? [this](TObject*) { OnSelectionChanged(this); } : TNotifyEvent();
  form.SetInitialDir(initialDir_);
  form.SetFileNameText(files_.empty() ? std::string() : files_.front());
  form.SetDefaultExt(defaultExt_);
  ApplyFormPosition(form);
  form.SetOptions(options_);
  ApplyFormSize(form);
  ApplyFormWindowState(form);
  form.SetFilter(filter_);
  form.SelectFilterIndex(filterIndex_);
  form.SetSplitterPos(formSplitterPos_);
  form.ApplyAppearance(*this);
  form.SetHelpContext(helpContext_);
  if (OnHelp)
    form.HelpHook = [this](UINT command, ULONG_PTR data, bool& callHelp) {
      return OnHelp(command, data, callHelp);
    };
}

void TRzFileDialog::ReadBackDialogForm(TForm& baseForm, bool ok) {
  (void)ok;
  auto& form = static_cast<TRzShellOpenSaveForm&>(baseForm);
  options_ = form.Options();
  files_ = form.SelectionList();
  ReadBackPlacement(form);
  filterIndex_ = form.FilterIndex();
  formSplitterPos_ = form.SplitterPos();
}

void TRzFileDialog::WriteLayout(std::vector<std::uint8_t>& out) const {
  TRzShellDialog::WriteLayout(out);
  AppendFileDialogLayout(out, {(options_ & osoShowTree) != 0, formSplitterPos_});
}

bool TRzFileDialog::ReadLayout(std::span<const std::uint8_t> data, std::size_t& pos) {
  // Both parts are checked before either is applied.
  std::size_t probe = pos;
  if (!ReadDialogLayout(data, probe) || !ReadFileDialogLayout(data, probe)) return false;
  TRzShellDialog::ReadLayout(data, pos);
  const auto extra = ReadFileDialogLayout(data, pos);
  options_ = extra->ShowTree ? (options_ | osoShowTree) : (options_ & ~osoShowTree);
  formSplitterPos_ = extra->SplitterPos;
  return true;
}

// ---- TRzCustomOpenDialog ----

TRzCustomOpenDialog::TRzCustomOpenDialog(TComponent* owner) : TRzFileDialog(owner) {
  SetOptions(kDefaultOpenDialogOptions);
}

void TRzCustomOpenDialog::ConfigureDialogForm(TForm& baseForm) {
  TRzFileDialog::ConfigureDialogForm(baseForm);
  auto& form = static_cast<TRzShellOpenSaveForm&>(baseForm);
  form.SetCaption(Title().empty() ? std::string(RzLoadStr(rsOpenCaption)) : Title());
  form.SetOpenButtonCaption(RzLoadStr(rsOpenButton));
}

}  // namespace kovra
