// Image lists: equally sized images over a comctl32 image list, drawn masked or greyed out.
//   TImageList    the list (owns its HIMAGELIST)
//   TChangeLink   a listener of one list; unregisters itself when destroyed
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "framework/Graphics.h"
#include "framework/Handles.h"
#include "framework/SysUtils.h"

namespace kovra {

class TImageList;

// Controls that show images of a list they do not own hold a link: OnChange fires after every
// change of the list, OnFree when the list is destroyed (Sender() is then nullptr). Neither may
// throw.
class TChangeLink {
 public:
  TChangeLink() = default;
  ~TChangeLink();
  TChangeLink(const TChangeLink&) = delete;
  TChangeLink& operator=(const TChangeLink&) = delete;

  TImageList* Sender() const { return sender_; }

  TNotifyEvent OnChange;
  TNotifyEvent OnFree;

 private:
  friend class TImageList;
  TImageList* sender_ = nullptr;
};

class TImageList : public TObject {
 public:
  explicit TImageList(int width = 16, int height = 16);
  ~TImageList() override;
  TImageList(const TImageList&) = delete;
  TImageList& operator=(const TImageList&) = delete;

  int Width() const { return width_; }
  int Height() const { return height_; }
  // A new size empties the list, as the system's image list does.
  void SetWidth(int width) { SetSize(width, height_); }
  void SetHeight(int height) { SetSize(width_, height); }
  void SetSize(int width, int height);
  int Count() const;

  // A bitmap wider than Width() adds one image per Width() columns; returns the first index.
  // In `mask`, white pixels are transparent; without a mask every pixel is opaque.
  int Add(const TBitmap& image, const TBitmap* mask = nullptr);
  // Pixels of `maskColor` become transparent; clDefault takes the bitmap's TransparentColor().
  int AddMasked(const TBitmap& image, TColor maskColor);
  int AddIcon(const TIcon& icon);
  void Replace(int index, const TBitmap& image, const TBitmap* mask = nullptr);
  void Delete(int index);
  void Clear();

  // An index outside the list draws nothing. Disabled images are drawn as a washed-out grey of
  // their own shapes, blended over what the canvas holds.
  void Draw(TCanvas& canvas, int x, int y, int index, bool enabled = true) const;
  TIcon GetIcon(int index) const;

  // Overlay `overlay` (0..14) becomes image `index` of the list, for DrawOverlay.
  void Overlay(int index, int overlay);
  void DrawOverlay(TCanvas& canvas, int x, int y, int index, int overlay,
                   bool enabled = true) const;

  // clNone (the default) draws images transparently; another colour fills behind them.
  TColor BkColor() const;
  void SetBkColor(TColor color);

  HIMAGELIST Handle() const { return list_.Get(); }
  // Takes over a list made elsewhere (the system image lists, for instance); with ShareImages
  // set it is never destroyed here. The size becomes the list's own.
  void SetHandle(HIMAGELIST list);
  bool ShareImages() const { return shareImages_; }
  void SetShareImages(bool share) { shareImages_ = share; }
  void RegisterChanges(TChangeLink& link);
  void UnRegisterChanges(TChangeLink& link);

  TNotifyEvent OnChange;

 private:
  void CheckIndex(int index) const;
  void Changed();
  void DrawDisabled(TCanvas& canvas, int x, int y, int index, UINT overlayStyle) const;

  int width_;
  int height_;
  ImageListHandle list_;
  bool shareImages_ = false;
  bool takenOver_ = false;  // the list came through SetHandle
  std::vector<TChangeLink*> links_;
};

}  // namespace kovra
