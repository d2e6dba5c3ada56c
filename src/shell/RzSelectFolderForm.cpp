// The folder selection window.
#include "shell/RzSelectFolderForm.h"

#include <algorithm>
#include <array>

#include "framework/Handles.h"

namespace kovra {

namespace {

constexpr int kGlyphSize = 16;
using TGlyphArt = std::array<const char*, kGlyphSize>;

// A folder with a spark: create. '.' is transparent.
constexpr TGlyphArt kCreateFolderArt = {
    ".............S..", "...........S.S.S", "............SSS.", "...........SSSSS",
    ".KKKK.......SSS.", "KLLLLK.....S.S.S", "KLYYYLKKKKK..S..", "KLYYYYYYYYYK....",
    "KLYYYYYYYYYK....", "KLYYYYYYYYYK....", "KLYYYYYYYYYK....", "KLYYYYYYYYYK....",
    "KLYYYYYYYYYK....", "KYYYYYYYYYYK....", "KKKKKKKKKKKK....", "................"};

// A cross: delete.
constexpr TGlyphArt kDeleteArt = {
    "................", "................", "..RR.......RR...", "..RRR.....RRR...",
    "...RRR...RRR....", "....RRR.RRR.....", ".....RRRRR......", "......RRR.......",
    ".....RRRRR......", "....RRR.RRR.....", "...RRR...RRR....", "..RRR.....RRR...",
    "..RR.......RR...", "................", "................", "................"};

constexpr TColor kMaskColor = clFuchsia;

TColor GlyphColor(char c, bool enabled) {
  switch (c) {
    case 'K':
      return enabled ? TColor(0x00006080) : clGray;
    case 'L':
      return enabled ? TColor(0x00BEF5FF) : TColor(0x00E0E0E0);
    case 'Y':
      return enabled ? TColor(0x005ADCFF) : clSilver;
    case 'S':
      return enabled ? TColor(0x0000A0F0) : clGray;
    case 'R':
      return enabled ? TColor(0x001E1ED2) : clGray;
    default:
      return kMaskColor;
  }
}

TBitmap DrawGlyph(const TGlyphArt& art, bool enabled) {
  TBitmap bitmap(kGlyphSize, kGlyphSize);
  TCanvas& canvas = bitmap.Canvas();
  for (int y = 0; y < kGlyphSize; ++y) {
    const std::string_view row = art[static_cast<size_t>(y)];
    for (int x = 0; x < kGlyphSize; ++x) {
      const char c = x < static_cast<int>(row.size()) ? row[static_cast<size_t>(x)] : '.';
      canvas.SetPixel(x, y, GlyphColor(c, enabled));
    }
  }
  return bitmap;
}

}  // namespace

TRzSelectFolderForm::TRzSelectFolderForm(TComponent* owner)
    : TForm(owner), imageList_(std::make_unique<TImageList>(kGlyphSize, kGlyphSize)) {
  SetBounds(0, 0, kDesignWidth, kDesignHeight);
  SetPosition(poScreenCenter);
  SetMinTrackSize(kMinTrackWidth, kMinTrackHeight);
  SetCaption(RzLoadStr(rsBrowseForFolder));
  Font().SetName(kSelectFolderStrFontName);
  Font().SetSize(8);
  FillImageList();
  BuildControls();
  OnShow = [this](TObject* sender) { FormShow(sender); };
  OnHide = [this](TObject* sender) { FormHide(sender); };
}

TRzSelectFolderForm::~TRzSelectFolderForm() {
  Destroying();
  // The buttons hold links into the list: they go first.
  delete btnNewFolder_;
  delete btnDeleteFolder_;
}

void TRzSelectFolderForm::FillImageList() {
  for (const TGlyphArt* art : {&kCreateFolderArt, &kDeleteArt})
    for (bool enabled : {true, false})
      imageList_->AddMasked(ScaledGlyph(DrawGlyph(*art, enabled), CurrentPPI()), kMaskColor);
}

// The buttons' pictures are drawn at 96 pixels per inch; the list holds them at the form's. The
// layout runs again once the aligned panels have their new places.
void TRzSelectFolderForm::ChangeScale(int m, int d) {
  TForm::ChangeScale(m, d);
  LayoutControls();
  const int size = ScaleValue(kGlyphSize);
  if (size == imageList_->Width()) return;
  imageList_->SetSize(size, size);  // empties the list
  FillImageList();
}

void TRzSelectFolderForm::BuildControls() {
  btnNewFolder_ = new TRzToolButton(this);
  btnNewFolder_->SetName("btnNewFolder");
  btnNewFolder_->SetParent(this);
  btnNewFolder_->SetBounds(8, 4, 121, 24);
  btnNewFolder_->SetCaption(RzLoadStr(rsCreateFolder));
  btnNewFolder_->SetShowCaption(true);
  btnNewFolder_->SetImages(imageList_.get());
  btnNewFolder_->SetImageIndex(0);
  btnNewFolder_->SetDisabledIndex(1);
  btnNewFolder_->SetVisualStyle(vsWinXP);
  btnNewFolder_->OnClick = [this](TObject* sender) { btnNewFolderClick(sender); };

  btnDeleteFolder_ = new TRzToolButton(this);
  btnDeleteFolder_->SetName("btnDeleteFolder");
  btnDeleteFolder_->SetParent(this);
  btnDeleteFolder_->SetBounds(137, 4, 92, 24);
  btnDeleteFolder_->SetCaption(RzLoadStr(rsDeleteButton));
  btnDeleteFolder_->SetShowCaption(true);
  btnDeleteFolder_->SetImages(imageList_.get());
  btnDeleteFolder_->SetImageIndex(2);
  btnDeleteFolder_->SetDisabledIndex(3);
  btnDeleteFolder_->SetVisualStyle(vsWinXP);
  btnDeleteFolder_->OnClick = [this](TObject* sender) { btnDeleteFolderClick(sender); };

  // The status bar goes in first, so that it stays below the button panel.
  statusBar_ = new TRzStatusBar(this);
  statusBar_->SetName("RzStatusBar1");
  statusBar_->SetParent(this);
  statusBar_->SetSimpleStatus(true);
  statusBar_->SetSimpleFrameStyle(fsNone);

  buttonPanel_ = new TRzPanel(this);
  buttonPanel_->SetName("ButtonPanel");
  buttonPanel_->SetParent(this);
  buttonPanel_->SetAlign(alBottom);
  buttonPanel_->SetHeight(29);
  buttonPanel_->SetBorderOuter(fsNone);

  btnOk_ = new TRzBitBtn(buttonPanel_);
  btnOk_->SetName("btnOk");
  btnOk_->SetParent(buttonPanel_);
  btnOk_->SetCaption(RzLoadStr(rsOk));
  btnOk_->SetDefault(true);
  btnOk_->SetModalResult(mrOk);
  btnOk_->SetHotTrack(true);
  btnOk_->SetTop(2);

  btnCancel_ = new TRzBitBtn(buttonPanel_);
  btnCancel_->SetName("btnCancel");
  btnCancel_->SetParent(buttonPanel_);
  btnCancel_->SetCaption(RzLoadStr(rsCancel));
  btnCancel_->SetCancel(true);
  btnCancel_->SetModalResult(mrCancel);
  btnCancel_->SetHotTrack(true);
  btnCancel_->SetTop(2);

  shellTree_ = new TRzShellTree(this);
  shellTree_->SetName("ShellTree");
  shellTree_->SetParent(this);
  shellTree_->SetBounds(8, 32, 341, 241);
  shellTree_->SetOptions(0);  // nothing fills before the window shows
  shellTree_->SetHideSelection(false);
  shellTree_->SetShowRoot(true);
  shellTree_->SetTabStop(true);
  shellTree_->OnChange = [this](TObject* sender, TTreeNode* node) {
    ShellTreeChange(sender, node);
  };
  SetActiveControl(shellTree_);
}

void TRzSelectFolderForm::CreateParams(TCreateParams& params) {
  TForm::CreateParams(params);
  params.Style &= ~WS_MINIMIZEBOX;
}

void TRzSelectFolderForm::SetOptions(TRzSelectFolderDialogOptions options) {
  options_ = options;
  shellTree_->SetOptions(SelectFolderTreeOptions(options, shellTree_->Options()));
  shellTree_->SetReadOnly((options & sfdoReadOnly) != 0);
  const TRzSelectFolderButtonLooks looks = SelectFolderButtonLooks(options);
  btnNewFolder_->SetVisible(looks.Visible);
  btnDeleteFolder_->SetVisible(looks.Visible);
  btnNewFolder_->SetImageIndex(looks.CreateImage);
  btnNewFolder_->SetDisabledIndex(looks.CreateDisabledImage);
  btnDeleteFolder_->SetImageIndex(looks.DeleteImage);
  btnDeleteFolder_->SetDisabledIndex(looks.DeleteDisabledImage);
  btnNewFolder_->SetFlat(looks.Flat);
  btnDeleteFolder_->SetFlat(looks.Flat);
  LayoutControls();
}

void TRzSelectFolderForm::SetStatusText(std::string_view text) {
  pathShown_ = false;
  statusBar_->SetSimpleCaption(text);
}

void TRzSelectFolderForm::FormShow(TObject*) {
  Font().SetName(kSelectFolderStrFontName);
  shellTree_->SetOptions(shellTree_->Options() | stoAutoFill);
  if (shellTree_->Items().Count() == 0) shellTree_->FillTree();
  btnOk_->SetCaption(RzLoadStr(rsOk));
  btnCancel_->SetCaption(RzLoadStr(rsCancel));
  btnNewFolder_->SetCaption(RzLoadStr(rsCreateFolder));
  btnDeleteFolder_->SetCaption(RzLoadStr(rsDelete));
  if (Caption().empty()) SetCaption(RzLoadStr(rsBrowseForFolder));
  LayoutControls();
  if (OnFormShow) OnFormShow(this);
}

void TRzSelectFolderForm::FormHide(TObject*) {
  if (OnFormClose) OnFormClose(this);
}

void TRzSelectFolderForm::ShellTreeChange(TObject*, TTreeNode* node) {
  TRzShellTreeData* data = TRzCustomShellTree::NodeData(node);
  if (!data) return;
  selectedPath_ = data->Path();
  pathShown_ = true;
  ShowStatusPath();
  const TRzSelectFolderButtonStates states =
      SelectFolderButtonStates(selectedPath_, node == shellTree_->Items().GetFirstNode());
  btnNewFolder_->SetEnabled(states.CreateEnabled);
  btnDeleteFolder_->SetEnabled(states.DeleteEnabled);
  if (OnSelChange) OnSelChange(this, data->AbsoluteIdList());
}

void TRzSelectFolderForm::ShowStatusPath() {
  if (!pathShown_) return;
  MemoryDC dc(CreateCompatibleDC(nullptr));
  if (!dc) {
    statusBar_->SetSimpleCaption(selectedPath_);
    return;
  }
  std::string shown;
  {
    TCanvas canvas(dc.Get());
    canvas.Font().Assign(statusBar_->Font());
    shown = ShortenFolderPath(selectedPath_, statusBar_->Width() - kStatusMargin,
                              [&](std::string_view text) { return canvas.TextWidth(text); });
  }
  statusBar_->SetSimpleCaption(shown);
}

void TRzSelectFolderForm::btnNewFolderClick(TObject*) {
  shellTree_->CreateNewFolder();
}

void TRzSelectFolderForm::btnDeleteFolderClick(TObject*) {
  if (shellTree_->DoCommandForNode(shellTree_->Selected(), "delete")) shellTree_->RefreshTree();
}

void TRzSelectFolderForm::Resize() {
  TForm::Resize();
  LayoutControls();
}

void TRzSelectFolderForm::LayoutControls() {
  if (!shellTree_ || !buttonPanel_) return;  // still being built
  const int gap = ScaleValue(4), margin = ScaleValue(8);
  int top = margin;
  if (btnNewFolder_->Visible())
    top = btnNewFolder_->Top() + btnNewFolder_->Height() + gap;
  else if (btnDeleteFolder_->Visible())
    top = btnDeleteFolder_->Top() + btnDeleteFolder_->Height() + gap;
  // Margins match on both sides whatever the frame's width.
  const int left = shellTree_->Left();
  const int width = std::max(0, ClientWidth() - 2 * left);
  const int height = std::max(0, buttonPanel_->Top() - gap - top);
  shellTree_->SetBounds(left, top, width, height);

  const int panelWidth = buttonPanel_->ClientWidth();
  btnCancel_->SetLeft(panelWidth - margin - btnCancel_->Width());
  btnOk_->SetLeft(btnCancel_->Left() - margin - btnOk_->Width());
  ShowStatusPath();
}

}  // namespace kovra
