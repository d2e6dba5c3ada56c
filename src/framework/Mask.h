// The framework's single-line edit over the system EDIT class, and its masked form.
//   TCustomEdit      text, selection, maximum length, read-only, password character, case,
//                    auto-size, auto-select, alignment (ES_LEFT/ES_CENTER/ES_RIGHT), OnChange
//   TCustomMaskEdit  an edit whose typed characters must fit an edit mask
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "framework/Controls.h"

namespace kovra {

enum TEditCharCase : std::uint8_t { ecNormal, ecUpperCase, ecLowerCase };
enum TBorderStyle : std::uint8_t { bsNoBorder, bsSingleBorder };

class TCustomEdit : public TWinControl {
 public:
  explicit TCustomEdit(TComponent* owner);
  ~TCustomEdit() override;

  // The window's text once it exists (what the user typed).
  std::string Text() const override;

  virtual TAlignment Alignment() const { return alignment_; }
  // Recreates the window: the system edit reads its alignment style only when created.
  virtual void SetAlignment(TAlignment value);
  bool AutoSelect() const { return autoSelect_; }
  void SetAutoSelect(bool value) { autoSelect_ = value; }
  // Keeps the height at one line of the font plus the border.
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool value);
  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle value);
  // A sunken client edge rather than a flat line.
  bool Ctl3D() const { return ctl3D_; }
  void SetCtl3D(bool value);
  TEditCharCase CharCase() const { return charCase_; }
  void SetCharCase(TEditCharCase value);
  bool HideSelection() const { return hideSelection_; }
  void SetHideSelection(bool value);
  // 0: no limit beyond the system's.
  int MaxLength() const { return maxLength_; }
  void SetMaxLength(int value);
  bool OEMConvert() const { return oemConvert_; }
  void SetOEMConvert(bool value);
  // 0 shows the text; any other character hides each typed one behind it.
  wchar_t PasswordChar() const { return passwordChar_; }
  void SetPasswordChar(wchar_t value);
  virtual bool ReadOnly() const { return readOnly_; }
  virtual void SetReadOnly(bool value);
  bool Modified() const;
  void SetModified(bool value);

  // Selection in characters (UTF-16 positions, as the system edit counts).
  int SelStart() const;
  void SetSelStart(int value);
  int SelLength() const;
  void SetSelLength(int value);
  std::string SelText() const;
  void SetSelText(std::string_view text);
  void SelectAll();
  void ClearSelection() { SetSelText({}); }
  void Clear() { SetText({}); }
  bool CanUndo() const;
  void Undo();
  void CutToClipboard();
  void CopyToClipboard();
  void PasteFromClipboard();

  TNotifyEvent OnChange;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  // Fires OnChange; the system reports every text change, typed or set.
  virtual void Change();
  void AdjustHeight();
  LRESULT SendEdit(UINT msg, WPARAM w = 0, LPARAM l = 0) const;

  void WndProc(TMessage& m) override;
  void WMSetFocus(TMessage& m) override;
  void CMFontChanged(TMessage& m) override;
  void CMEnabledChanged(TMessage& m) override;
  virtual void CNCommand(TMessage& m);

 private:
  TAlignment alignment_ = taLeftJustify;
  bool autoSelect_ = true;
  bool autoSize_ = true;
  TBorderStyle borderStyle_ = bsSingleBorder;
  bool ctl3D_ = true;
  TEditCharCase charCase_ = ecNormal;
  bool hideSelection_ = true;
  int maxLength_ = 0;
  bool oemConvert_ = false;
  wchar_t passwordChar_ = 0;
  bool readOnly_ = false;
  // Kept across a window rebuild.
  int savedSelStart_ = 0, savedSelLength_ = 0;
  bool savedModified_ = false;
  bool refocusing_ = false;  // the window was rebuilt while focused
};

// The mask grammar: '0' digit, '9' digit or blank, '#' digit, sign or blank, 'L' letter,
// 'l' letter or blank, 'A' letter or digit, 'a' letter, digit or blank, 'C' any character,
// 'c' any character or blank; '>' and '<' switch to upper and lower case, '<>' back to as
// typed; '\' takes the next character literally; any other character is a literal. An optional
// ";1" or ";0" (keep literals in the text or not) and ";x" (the blank character, default '_')
// may follow.
class TEditMask {
 public:
  TEditMask() = default;
  explicit TEditMask(std::u16string_view mask);

  bool Empty() const { return slots_.empty(); }
  int Length() const { return static_cast<int>(slots_.size()); }
  char16_t Blank() const { return blank_; }
  bool SaveLiterals() const { return saveLiterals_; }
  bool IsLiteral(int pos) const;
  // The character to store for `ch` typed at `pos`, or 0 when the mask refuses it.
  char16_t Accept(int pos, char16_t ch) const;
  // The display text for no input: literals in place, blanks elsewhere.
  std::u16string EmptyText() const;
  // True when every required slot of `text` holds an accepted character.
  bool IsComplete(std::u16string_view text) const;
  // The text without literals (unless SaveLiterals) and without trailing blanks.
  std::u16string StripLiterals(std::u16string_view text) const;

 private:
  enum Kind : std::uint8_t { Literal, Digit, DigitOrSign, Letter, AlphaNum, AnyChar };
  struct Slot {
    Kind kind = Literal;
    bool required = false;
    std::int8_t caseShift = 0;  // 1 upper, -1 lower
    char16_t literal = 0;
  };
  std::vector<Slot> slots_;
  char16_t blank_ = u'_';
  bool saveLiterals_ = true;
};

class TCustomMaskEdit : public TCustomEdit {
 public:
  explicit TCustomMaskEdit(TComponent* owner);
  ~TCustomMaskEdit() override;

  const std::string& EditMask() const { return editMask_; }
  // An empty mask makes this a plain edit. A new mask shows its empty text.
  void SetEditMask(std::string_view mask);
  bool IsMasked() const { return !mask_.Empty(); }
  // With a mask: the text without unsaved literals; without one, the text.
  std::string EditText() const { return Text(); }
  std::string MaskedValue() const;
  bool IsMaskComplete() const;

 protected:
  bool DoKeyPress(wchar_t& key) override;
  bool DoKeyDown(WORD& key, TShiftState shift) override;
  void CreateWnd() override;

 private:
  // Puts `ch` at the next editable slot from the caret; false when the mask refuses it.
  bool TypeMasked(char16_t ch);
  void EraseMasked(bool forward);
  std::u16string WideText() const;
  void SetWideText(const std::u16string& text, int caret);

  std::string editMask_;
  TEditMask mask_;
};

}  // namespace kovra
