// Windowless standard controls painted by their parent.
//   TLabel   a caption with alignment, layout, word wrap, transparency and auto size
//   TImage   a bitmap or icon, stretched, centred or at its natural size
#pragma once

#include <cstdint>
#include <memory>

#include "framework/Controls.h"

namespace kovra {

enum TTextLayout : std::uint8_t { tlTop, tlCenter, tlBottom };

class TLabel : public TGraphicControl {
 public:
  explicit TLabel(TComponent* owner);
  ~TLabel() override;

  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment value);
  TTextLayout Layout() const { return layout_; }
  void SetLayout(TTextLayout value);
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool value);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool value);
  // Fits the bounds to the caption (the width too unless WordWrap).
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool value);
  // "&" marks an accelerator unless this is off.
  bool ShowAccelChar() const { return showAccelChar_; }
  void SetShowAccelChar(bool value);

 protected:
  void Paint() override;
  void Loaded() override;
  void CMTextChanged(TMessage& m) override;
  void CMFontChanged(TMessage& m) override;
  UINT TextFlags() const;
  void AdjustBounds();

 private:
  TAlignment alignment_ = taLeftJustify;
  TTextLayout layout_ = tlTop;
  bool wordWrap_ = false;
  bool transparent_ = false;
  bool autoSize_ = true;
  bool showAccelChar_ = true;
};

class TImage : public TGraphicControl {
 public:
  explicit TImage(TComponent* owner);
  ~TImage() override;

  // The picture is a copy; an empty bitmap or icon clears it.
  void SetBitmap(const TBitmap& bitmap);
  void SetIcon(const TIcon& icon);
  void Clear();
  const TGraphic* Picture() const { return picture_.get(); }

  bool Stretch() const { return stretch_; }
  void SetStretch(bool value);
  bool Center() const { return center_; }
  void SetCenter(bool value);
  bool Proportional() const { return proportional_; }
  void SetProportional(bool value);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool value);
  // Where the picture lands in client coordinates.
  RECT DestRect() const;

 protected:
  void Paint() override;

 private:
  std::unique_ptr<TGraphic> picture_;
  bool stretch_ = false;
  bool center_ = false;
  bool proportional_ = false;
  bool transparent_ = false;
};

}  // namespace kovra
