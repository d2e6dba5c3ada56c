#include "controls/RzFrameController.h"

#include <algorithm>
#include <array>

namespace kovra {

TRzFrameControllerClient::~TRzFrameControllerClient() {
  if (frameController_) frameController_->RemoveControl(this);
}

void TRzFrameControllerClient::SetFrameController(TRzFrameController* controller) {
  if (controller == frameController_) return;
  if (frameController_) frameController_->RemoveControl(this);
  frameController_ = controller;
  if (controller) controller->AddControl(this);
}

TRzRegIniFile::~TRzRegIniFile() {
  for (TRzFrameController* c : std::vector(referrers_)) c->RegIniFileDestroyed(this);
}

TRzFrameController::~TRzFrameController() {
  SetRegIniFile(nullptr);
  for (TRzFrameControllerClient* c : controls_) c->frameController_ = nullptr;
}

void TRzFrameController::AddControl(TRzFrameControllerClient* control) {
  if (!control || std::find(controls_.begin(), controls_.end(), control) != controls_.end()) return;
  if (control->frameController_ && control->frameController_ != this)
    control->frameController_->RemoveControl(control);
  controls_.push_back(control);
  control->frameController_ = this;
  if (updateCount_ <= 0) Push(*control, fcpAll);
}

void TRzFrameController::RemoveControl(TRzFrameControllerClient* control) {
  auto it = std::find(controls_.begin(), controls_.end(), control);
  if (it == controls_.end()) return;
  controls_.erase(it);
  if (control->frameController_ == this) control->frameController_ = nullptr;
  if (controls_.empty()) controls_.shrink_to_fit();
}

void TRzFrameController::EndUpdate() {
  if (--updateCount_ > 0) return;
  updateCount_ = 0;
  PushToAll(fcpAll);
}

void TRzFrameController::Loaded() {
  loading_ = false;
  PushToAll(fcpAll);
}

void TRzFrameController::Assign(const TRzFrameController& source) {
  if (&source == this) return;
  BeginUpdate();
  color_ = source.color_;
  focusColor_ = source.focusColor_;
  disabledColor_ = source.disabledColor_;
  readOnlyColor_ = source.readOnlyColor_;
  readOnlyColorOnFocus_ = source.readOnlyColorOnFocus_;
  parentColor_ = source.parentColor_;
  flatButtonColor_ = source.flatButtonColor_;
  flatButtons_ = source.flatButtons_;
  frameColor_ = source.frameColor_;
  frameHotColor_ = source.frameHotColor_;
  frameHotTrack_ = source.frameHotTrack_;
  frameHotStyle_ = source.frameHotStyle_;
  frameSides_ = source.frameSides_;
  frameStyle_ = source.frameStyle_;
  frameVisible_ = source.frameVisible_;
  framingPreference_ = source.framingPreference_;
  EndUpdate();
}

void TRzFrameController::SetColor(TColor value) {
  if (color_ == value) return;
  // A focus colour left equal to the colour keeps the controls looking the same when focused.
  if (focusColor_ == color_) focusColor_ = value;
  color_ = value;
  parentColor_ = false;
  PushToAll(fcpColor);
}

void TRzFrameController::SetParentColor(bool value) {
  if (parentColor_ == value) return;
  parentColor_ = value;
  PushToAll(fcpParentColor);
  if (!value) PushToAll(fcpColor);
}

void TRzFrameController::SetFrameHotTrack(bool value) {
  if (frameHotTrack_ == value) return;
  frameHotTrack_ = value;
  if (value) {
    frameVisible_ = true;
    PushToAll(fcpFrameVisible);
    if (!loading_) frameSides_ = kAllSides;
  }
  PushToAll(fcpFrameHotTrack);
}

// Frame styles outside the TFrameStyle subrange cannot be painted by a single frame routine.
void TRzFrameController::SetFrameHotStyle(TFrameStyle value) {
  if (IsFrameStyle(value)) Set(frameHotStyle_, value, fcpFrameHotStyle);
}

void TRzFrameController::SetFrameStyle(TFrameStyle value) {
  if (IsFrameStyle(value)) Set(frameStyle_, value, fcpFrameStyle);
}

void TRzFrameController::SetRegIniFile(TRzRegIniFile* store) {
  if (store == regIniFile_) return;
  if (regIniFile_) std::erase(regIniFile_->referrers_, this);
  regIniFile_ = store;
  if (store) store->referrers_.push_back(this);
}

void TRzFrameController::RegIniFileDestroyed(TRzRegIniFile* store) {
  if (regIniFile_ == store) regIniFile_ = nullptr;
}

void TRzFrameController::ReadFrameFlat(bool value) {
  SetFrameHotTrack(value);
  if (value) {
    SetFrameStyle(fsStatus);
    SetFrameHotStyle(fsLowered);
  }
}

void TRzFrameController::ReadFrameFocusStyle(std::string_view styleName) {
  TFrameStyle style;
  if (FrameStyleFromName(styleName, style)) SetFrameHotStyle(style);
}

void TRzFrameController::PushToAll(TRzFrameControllerProperty property) {
  if (updateCount_ > 0) return;
  // A control may leave the list while it takes a setting; walk a snapshot.
  for (TRzFrameControllerClient* c : std::vector(controls_)) {
    if (std::find(controls_.begin(), controls_.end(), c) != controls_.end()) Push(*c, property);
  }
}

void TRzFrameController::Push(TRzFrameControllerClient& control,
                              TRzFrameControllerProperty property) const {
  if (auto* reader = dynamic_cast<IRzFrameControllerNotification*>(&control)) {
    reader->FrameControllerUpdate();
    return;
  }
  const TRzFrameControllerNotifications mask = control.FrameControllerNotifications();
  if (property != fcpAll) {
    if (mask.Contains(property)) Apply(control, property);
    return;
  }
  // Parent colour first, so that a control following its parent does not take Color.
  static constexpr std::array kAllOrder = {
      fcpParentColor,          fcpColor,         fcpDisabledColor,   fcpReadOnlyColor,
      fcpReadOnlyColorOnFocus, fcpFocusColor,    fcpFlatButtonColor, fcpFlatButtons,
      fcpFrameColor,           fcpFrameHotColor, fcpFrameHotTrack,   fcpFrameHotStyle,
      fcpFrameSides,           fcpFrameStyle,    fcpFrameVisible,    fcpFramingPreference};
  for (TRzFrameControllerProperty p : kAllOrder) {
    if (p == fcpColor && parentColor_) continue;
    if (mask.Contains(p)) Apply(control, p);
  }
}

void TRzFrameController::Apply(TRzFrameControllerClient& c, TRzFrameControllerProperty p) const {
  switch (p) {
    case fcpColor:
      c.ControllerSetColor(color_);
      break;
    case fcpFocusColor:
      c.ControllerSetFocusColor(focusColor_);
      break;
    case fcpDisabledColor:
      c.ControllerSetDisabledColor(disabledColor_);
      break;
    case fcpReadOnlyColor:
      c.ControllerSetReadOnlyColor(readOnlyColor_);
      break;
    case fcpReadOnlyColorOnFocus:
      c.ControllerSetReadOnlyColorOnFocus(readOnlyColorOnFocus_);
      break;
    case fcpParentColor:
      c.ControllerSetParentColor(parentColor_);
      break;
    case fcpFlatButtonColor:
      c.ControllerSetFlatButtonColor(flatButtonColor_);
      break;
    case fcpFlatButtons:
      c.ControllerSetFlatButtons(flatButtons_);
      break;
    case fcpFrameColor:
      c.ControllerSetFrameColor(frameColor_);
      break;
    case fcpFrameHotColor:
      c.ControllerSetFrameHotColor(frameHotColor_);
      break;
    case fcpFrameHotTrack:
      c.ControllerSetFrameHotTrack(frameHotTrack_);
      break;
    case fcpFrameHotStyle:
      c.ControllerSetFrameHotStyle(frameHotStyle_);
      break;
    case fcpFrameSides:
      c.ControllerSetFrameSides(frameSides_);
      break;
    case fcpFrameStyle:
      c.ControllerSetFrameStyle(frameStyle_);
      break;
    case fcpFrameVisible:
      c.ControllerSetFrameVisible(frameVisible_);
      break;
    case fcpFramingPreference:
      c.ControllerSetFramingPreference(framingPreference_);
      break;
    case fcpAll:
      break;
  }
}

bool FrameStyleFromName(std::string_view name, TFrameStyle& style) {
  static constexpr std::array<std::string_view, 11> kNames = {
      "fsNone",   "fsFlat",     "fsGroove", "fsBump",  "fsLowered", "fsButtonDown",
      "fsRaised", "fsButtonUp", "fsStatus", "fsPopup", "fsFlatBold"};
  for (std::size_t i = 0; i < kNames.size(); ++i) {
    if (kNames[i] == name) {
      style = static_cast<TFrameStyle>(i);
      return true;
    }
  }
  return false;
}

}  // namespace kovra
