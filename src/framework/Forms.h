// Forms: top-level windows with border styles, placement, modal showing, closing with handlers
// that can refuse, keyboard navigation (Tab, default and cancel keys) and colour-key transparency.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>

#include "framework/Controls.h"

namespace kovra {

enum TFormBorderStyle : std::uint8_t {
  bsNone,
  bsSingle,
  bsSizeable,
  bsDialog,
  bsToolWindow,
  bsSizeToolWin
};
// The default kinds let the system choose position, size or both when the window is created;
// the centring kinds fall back to the screen when there is no form to centre on.
enum TPosition : std::uint8_t {
  poDesigned,
  poDefault,
  poDefaultPosOnly,
  poDefaultSizeOnly,
  poScreenCenter,
  poDesktopCenter,
  poMainFormCenter,
  poOwnerFormCenter
};
enum TWindowState : std::uint8_t { wsNormal, wsMinimized, wsMaximized };
enum TFormStyle : std::uint8_t { fsNormal, fsStayOnTop };
enum TCloseAction : std::uint8_t { caNone, caHide, caFree, caMinimize };

using TModalResult = int;
constexpr TModalResult mrNone = 0, mrOk = IDOK, mrCancel = IDCANCEL, mrAbort = IDABORT,
                       mrRetry = IDRETRY, mrIgnore = IDIGNORE, mrYes = IDYES, mrNo = IDNO,
                       mrClose = 8, mrAll = 12;

using TCloseEvent = std::function<void(TObject* sender, TCloseAction& action)>;
using TCloseQueryEvent = std::function<void(TObject* sender, bool& canClose)>;

class TForm : public TWinControl {
 public:
  explicit TForm(TComponent* owner = nullptr);
  ~TForm() override;

  TFormBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TFormBorderStyle style);
  TPosition Position() const { return position_; }
  void SetPosition(TPosition position) { position_ = position; }
  TFormStyle FormStyle() const { return formStyle_; }
  void SetFormStyle(TFormStyle style);
  void SetClientWidth(int width);
  void SetClientHeight(int height);
  RECT ClientRect() const override;

  // Read from the window while it exists; setting it on a shown form shows it that way, on a
  // hidden one applies at the next showing.
  TWindowState WindowState() const;
  void SetWindowState(TWindowState state);
  // Size constraints (0: none): SetBounds never goes below them, nor does the user's dragging.
  int MinWidth() const { return minWidth_; }
  int MinHeight() const { return minHeight_; }
  void SetMinConstraints(int width, int height);
  // The smallest size the user may drag the frame to (WM_GETMINMAXINFO); the constraints win
  // when larger. 0 leaves the system's.
  SIZE MinTrackSize() const { return minTrackSize_; }
  void SetMinTrackSize(int width, int height) { minTrackSize_ = SIZE{width, height}; }
  void SetBounds(int left, int top, int width, int height) override;

  // Show makes the form visible and brings it forward, activating it unless ShowActivated is off;
  // Hide keeps the window.
  void Show();
  bool ShowActivated() const { return showActivated_; }
  void SetShowActivated(bool value) { showActivated_ = value; }
  void Hide() { SetVisible(false); }
  // Shows the form modally: every other window of the thread is disabled and a nested message
  // loop runs until ModalResult is set (Close sets mrCancel). Returns the result.
  TModalResult ShowModal();
  TModalResult ModalResult() const { return modalResult_; }
  void SetModalResult(TModalResult result) { modalResult_ = result; }
  bool IsModal() const { return modal_; }
  // Asks OnCloseQuery, then OnClose, then acts on the close action. Closing the main form ends
  // the application.
  void Close();
  // Frees the form once the current message has unwound.
  void Release();

  TWinControl* ActiveControl() const { return activeControl_; }
  void SetActiveControl(TWinControl* control);
  bool KeyPreview() const { return keyPreview_; }
  void SetKeyPreview(bool value) { keyPreview_ = value; }

  // Colour-key transparency through a layered window: pixels of the value are see-through.
  bool TransparentColor() const { return transparentColor_; }
  void SetTransparentColor(bool value);
  TColor TransparentColorValue() const { return transparentColorValue_; }
  void SetTransparentColorValue(TColor color);

  // A form is designed at 96 pixels per inch. It is scaled to the screen's resolution once, when
  // first shown or created (and then to its monitor's); a caller about to give it lengths that
  // are already on screen (a placement read back from an earlier showing) scales it first.
  void ScaleToScreen();

  // Runs OnCreate once (CreateForm and the first showing call it; derived forms may call it at
  // the end of their constructor). Ends any loading begun with BeginLoading first.
  void AfterConstruction();

  TNotifyEvent OnCreate;
  TNotifyEvent OnDestroy;
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  TCloseEvent OnClose;
  TCloseQueryEvent OnCloseQuery;

  // Called by controls when they take the focus, and when one leaves the form.
  void FocusChanged(TWinControl* control);
  void ControlRemoved(TControl* control);
  bool CloseQuery();

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void DoClose(TCloseAction& action);
  void CMDialogKey(TMessage& m) override;
  void CMVisibleChanged(TMessage& m) override;
  void WndProc(TMessage& m) override;

  virtual void WMClose(TMessage& m);
  virtual void WMActivate(TMessage& m);
  virtual void WMShowWindow(TMessage& m);
  virtual void WMSysCommand(TMessage& m);
  virtual void WMGetMinMaxInfo(TMessage& m);
  // Moved to a monitor of another resolution: rescaled in place, into the system's rectangle.
  virtual void WMDpiChanged(TMessage& m);
  void WMSize(TMessage& m) override;
  void ChangeScale(int m, int d) override;

 private:
  void ApplyPosition();
  // The window to centre on for the form-centring positions, or null.
  HWND CentringWindow() const;
  int ShowCommand() const;
  void ApplyLayered();
  void CloseModal();
  void EnsureFocus();

  TFormBorderStyle borderStyle_ = bsSizeable;
  TPosition position_ = poDesigned;
  TFormStyle formStyle_ = fsNormal;
  TModalResult modalResult_ = mrNone;
  bool modal_ = false;
  bool created_ = false;
  bool positioned_ = false;
  bool keyPreview_ = false;
  bool showActivated_ = true;
  bool showingInactive_ = false;  // within a Show that must not activate
  bool transparentColor_ = false;
  TColor transparentColorValue_ = clBlack;
  TWinControl* activeControl_ = nullptr;
  TWindowState windowState_ = wsNormal;
  int minWidth_ = 0, minHeight_ = 0;
  SIZE minTrackSize_{0, 0};
  bool scaled_ = false;
  std::optional<RECT> scaledPlace_;  // where the next SetBounds puts the window instead
};

}  // namespace kovra
