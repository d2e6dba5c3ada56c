// TRzGroupedButton: the down state that the buttons of one group (same GroupIndex, same parent)
// share, given to a button class through CRTP. `Button` is a TControl that keeps its own
// painted state and brings it in line with down_ in GroupDownChanged() (no repaint there).
#pragma once

#include "framework/Controls.h"

namespace kovra {

template <class Button>
class TRzGroupedButton {
 public:
  int GroupIndex() const { return groupIndex_; }
  bool Down() const { return down_; }
  bool AllowAllUp() const { return allowAllUp_; }

  // Leaving every group releases the button.
  void SetGroupIndex(int value) {
    if (value == groupIndex_) return;
    groupIndex_ = value;
    if (groupIndex_ == 0 && down_) ShowDown(false);
    BroadcastGroup();
    Self().Invalidate();
  }
  void SetAllowAllUp(bool value) {
    if (value == allowAllUp_) return;
    allowAllUp_ = value;
    BroadcastGroup();
    Self().Invalidate();
  }
  // Only a grouped button stays down; the last one down in a group without AllowAllUp cannot be
  // released.
  void SetDown(bool value) {
    if (groupIndex_ == 0) value = false;
    if (value == down_) return;
    if (down_ && !allowAllUp_ && groupIndex_ != 0) return;
    ShowDown(value);
    Self().Invalidate();
    if (value) BroadcastGroup();
  }

 protected:
  TRzGroupedButton() = default;
  ~TRzGroupedButton() = default;

  // Tells the siblings which button of the group went down and whether all may be up.
  void BroadcastGroup() {
    Button& self = Self();
    if (groupIndex_ == 0 || !self.Parent()) return;
    TMessage m{CM_BUTTONPRESSED, static_cast<WPARAM>(groupIndex_),
               reinterpret_cast<LPARAM>(static_cast<TControl*>(&self)), 0};
    self.Parent()->Broadcast(m);
  }
  // A sibling of the same kind and group went down (or changed AllowAllUp).
  void CMButtonPressed(TMessage& m) {
    if (groupIndex_ == 0 || static_cast<int>(m.WParam) != groupIndex_) return;
    auto* sender = dynamic_cast<Button*>(reinterpret_cast<TControl*>(m.LParam));
    if (!sender || sender == &Self()) return;
    if (sender->Down() && down_) {
      ShowDown(false);
      Self().Invalidate();
    }
    allowAllUp_ = sender->AllowAllUp();
  }
  void ShowDown(bool value) {
    down_ = value;
    Self().GroupDownChanged();
  }

  int groupIndex_ = 0;
  bool down_ = false;
  bool allowAllUp_ = false;

 private:
  Button& Self() { return static_cast<Button&>(*this); }
};

}  // namespace kovra
