// The settings window: the two executables' paths, the sizing figures, the price offset and the
// bar's button colour. Modal, created for one showing; it edits GlobalState in place and copies
// the values back however it is closed (there is no cancel).
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "framework/Forms.h"

namespace kovra {

class TLabel;
class TImage;
class TRzButtonEdit;
class TRzNumericEdit;
class TRzColorPicker;
class TRzBitBtn;
class TRzOpenDialog;
class TRzSelectFolderDialog;

// Receives the picker's colour for the bar's four buttons, so this window needs to know nothing
// of the bar.
using TButtonColorSink = std::function<void(TColor color)>;

class TFormSet : public TForm {
 public:
  static constexpr int kWidth = 485;
  static constexpr int kHeight = 304;
  static constexpr int kPictureSize = 90;

  explicit TFormSet(TComponent* owner = nullptr, TButtonColorSink buttonColor = {});
  ~TFormSet() override;

  TLabel* lbl1() const { return lbl1_; }
  TRzButtonEdit* btn1() const { return btn1_; }
  TLabel* lbl2() const { return lbl2_; }
  TRzButtonEdit* btn2() const { return btn2_; }
  TLabel* lbl3() const { return lbl3_; }
  TRzNumericEdit* RzNumericEdit1() const { return rzNumericEdit1_; }
  TLabel* lbl4() const { return lbl4_; }
  TLabel* lbl5() const { return lbl5_; }
  TRzNumericEdit* RzNumericEdit2() const { return rzNumericEdit2_; }
  TLabel* lbl6() const { return lbl6_; }
  TLabel* lbl7() const { return lbl7_; }
  TRzNumericEdit* RzNumericEdit3() const { return rzNumericEdit3_; }
  TLabel* lbl8() const { return lbl8_; }
  TRzColorPicker* RzColorPicker1() const { return rzColorPicker1_; }
  TImage* img1() const { return img1_; }
  TRzBitBtn* RzBitBtn1() const { return rzBitBtn1_; }
  TRzOpenDialog* RzOpenDialog1() const { return rzOpenDialog1_; }
  TRzSelectFolderDialog* RzSelectFolderDialog1() const { return rzSelectFolderDialog1_; }

  void FormCreate(TObject* sender);
  void FormClose(TObject* sender, TCloseAction& action);
  void btn1ButtonClick(TObject* sender);
  void btn2ButtonClick(TObject* sender);
  void RzColorPicker1Change(TObject* sender);
  void RzBitBtn1Click(TObject* sender);

  // The decorative picture and the exit button's glyph (enabled and disabled cells side by side).
  static TBitmap DrawPicture();
  static TBitmap DrawExitGlyph();

 private:
  void BuildControls();
  TLabel* AddLabel(const char* name, const char* caption, int left, int top);
  TRzButtonEdit* AddPathEdit(const char* name, int top, int tabOrder);
  TRzNumericEdit* AddNumberEdit(const char* name, int top, int tabOrder);
  void Browse(TRzButtonEdit* edit);
  void CopyBack();

  TButtonColorSink buttonColor_;
  TLabel* lbl1_ = nullptr;
  TRzButtonEdit* btn1_ = nullptr;
  TLabel* lbl2_ = nullptr;
  TRzButtonEdit* btn2_ = nullptr;
  TLabel* lbl3_ = nullptr;
  TRzNumericEdit* rzNumericEdit1_ = nullptr;
  TLabel* lbl4_ = nullptr;
  TLabel* lbl5_ = nullptr;
  TRzNumericEdit* rzNumericEdit2_ = nullptr;
  TLabel* lbl6_ = nullptr;
  TLabel* lbl7_ = nullptr;
  TRzNumericEdit* rzNumericEdit3_ = nullptr;
  TLabel* lbl8_ = nullptr;
  TRzColorPicker* rzColorPicker1_ = nullptr;
  TImage* img1_ = nullptr;
  TRzBitBtn* rzBitBtn1_ = nullptr;
  TRzOpenDialog* rzOpenDialog1_ = nullptr;
  TRzSelectFolderDialog* rzSelectFolderDialog1_ = nullptr;
  // The offset as the window showed it: the edit shows two decimals, and a value it did not
  // change must come back with all of its own.
  double shownPriceFloat_ = 0;
  std::string shownPriceText_;
};

}  // namespace kovra
