// Shared frame and colour settings for a form's framed controls, and the settings-store component.
//   TRzFrameControllerNotifications  the 16-bit set of settings a control accepts
//   TRzFrameControllerClient         the side every framed control implements (one virtual per
//                                    setting; the defaults ignore it) plus its FrameController link
//   IRzFrameControllerNotification   controls that read the controller themselves (the panel)
//   TRzFrameController               holds the settings and pushes them to registered controls
//   TRzRegIniFile                    names an INI file or registry key for persisted state
// Free of the Windows API.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "controls/RzCommonTypes.h"

namespace kovra {

enum TRzFrameControllerProperty : std::uint8_t {
  fcpColor,
  fcpFocusColor,
  fcpDisabledColor,
  fcpReadOnlyColor,
  fcpReadOnlyColorOnFocus,
  fcpParentColor,
  fcpFlatButtonColor,
  fcpFlatButtons,
  fcpFrameColor,
  fcpFrameHotColor,
  fcpFrameHotTrack,
  fcpFrameHotStyle,
  fcpFrameSides,
  fcpFrameStyle,
  fcpFrameVisible,
  fcpFramingPreference,
  fcpAll  // not a member of the notification set: "push every setting"
};
// The members 0..15 of TRzFrameControllerProperty.
using TRzFrameControllerPropertyConnection = TRzFrameControllerProperty;

class TRzFrameControllerNotifications {
 public:
  constexpr TRzFrameControllerNotifications() = default;
  constexpr explicit TRzFrameControllerNotifications(std::uint16_t bits) : bits_(bits) {}
  constexpr TRzFrameControllerNotifications(std::initializer_list<TRzFrameControllerProperty> ps) {
    for (auto p : ps)
      if (p < fcpAll) bits_ |= static_cast<std::uint16_t>(1u << p);
  }
  static constexpr TRzFrameControllerNotifications All() {
    return TRzFrameControllerNotifications(0xFFFF);
  }
  constexpr bool Contains(TRzFrameControllerProperty p) const {
    return p < fcpAll && ((bits_ >> p) & 1u);
  }
  constexpr TRzFrameControllerNotifications Without(TRzFrameControllerProperty p) const {
    return p < fcpAll ? TRzFrameControllerNotifications(bits_ & ~(1u << p)) : *this;
  }
  constexpr std::uint16_t Bits() const { return bits_; }
  friend constexpr bool operator==(TRzFrameControllerNotifications,
                                   TRzFrameControllerNotifications) = default;

 private:
  std::uint16_t bits_ = 0;
};

class TRzFrameController;

// Controls that take a frame controller derive from this. Each ControllerSet* receives one
// setting; a control that has no such property leaves the default, and the setting passes it by.
class TRzFrameControllerClient {
 public:
  TRzFrameControllerClient() = default;
  virtual ~TRzFrameControllerClient();
  TRzFrameControllerClient(const TRzFrameControllerClient&) = delete;
  TRzFrameControllerClient& operator=(const TRzFrameControllerClient&) = delete;

  TRzFrameController* FrameController() const { return frameController_; }
  // Leaves the old controller's list and joins the new one's, which pushes every setting.
  void SetFrameController(TRzFrameController* controller);

  TRzFrameControllerNotifications FrameControllerNotifications() const { return notifications_; }
  void SetFrameControllerNotifications(TRzFrameControllerNotifications n) { notifications_ = n; }

  virtual void ControllerSetColor(TColor) {}
  virtual void ControllerSetFocusColor(TColor) {}
  virtual void ControllerSetDisabledColor(TColor) {}
  virtual void ControllerSetReadOnlyColor(TColor) {}
  virtual void ControllerSetReadOnlyColorOnFocus(bool) {}
  virtual void ControllerSetParentColor(bool) {}
  virtual void ControllerSetFlatButtonColor(TColor) {}
  virtual void ControllerSetFlatButtons(bool) {}
  virtual void ControllerSetFrameColor(TColor) {}
  virtual void ControllerSetFrameHotColor(TColor) {}
  virtual void ControllerSetFrameHotTrack(bool) {}
  virtual void ControllerSetFrameHotStyle(TFrameStyle) {}
  virtual void ControllerSetFrameSides(TSides) {}
  virtual void ControllerSetFrameStyle(TFrameStyle) {}
  virtual void ControllerSetFrameVisible(bool) {}
  virtual void ControllerSetFramingPreference(TFramingPreference) {}

 private:
  friend class TRzFrameController;
  TRzFrameController* frameController_ = nullptr;
  TRzFrameControllerNotifications notifications_ = TRzFrameControllerNotifications::All();
};

// A control that reads the controller's settings itself: on every push it is told only that
// something changed, and none of its ControllerSet* operations is called.
class IRzFrameControllerNotification {
 public:
  virtual void FrameControllerUpdate() = 0;

 protected:
  ~IRzFrameControllerNotification() = default;
};

enum TRzPathType : std::uint8_t { ptIniFile, ptRegistry };
enum TRzRegKey : std::uint8_t {
  hkeyClassesRoot,
  hkeyCurrentUser,
  hkeyLocalMachine,
  hkeyUsers,
  hkeyPerformanceData,
  hkeyCurrentConfig,
  hkeyDynData
};
enum TRzRegAccessKey : std::uint8_t {
  keyQueryValue,
  keySetValue,
  keyCreateSubKey,
  keyEnumerateSubKeys,
  keyNotify,
  keyCreateLink,
  keyRead,
  keyWrite,
  keyExecute,
  keyAllAccess
};
using TRzRegAccess = std::uint16_t;  // bit n = TRzRegAccessKey n
constexpr TRzRegAccess RegAccessOf(TRzRegAccessKey k) {
  return static_cast<TRzRegAccess>(1u << k);
}
enum TRzSpecialFolder : std::uint8_t {
  sfNone,
  sfUserAppDataRoaming,
  sfUserAppDataLocal,
  sfUserDocuments,
  sfProgramData
};
enum TRzIniFileEncoding : std::uint8_t { feDefault, feUTF8, feUnicode };

// Names a settings store. Nothing in this program persists through it, so it only keeps its
// properties and notes that the store has to be opened again after any of them changed.
class TRzRegIniFile {
 public:
  TRzRegIniFile() = default;
  ~TRzRegIniFile();
  TRzRegIniFile(const TRzRegIniFile&) = delete;
  TRzRegIniFile& operator=(const TRzRegIniFile&) = delete;

  TRzPathType PathType() const { return pathType_; }
  void SetPathType(TRzPathType v) { Store(pathType_, v); }
  const std::string& Path() const { return path_; }
  void SetPath(std::string v) { Store(path_, std::move(v)); }
  TRzRegKey RegKey() const { return regKey_; }
  void SetRegKey(TRzRegKey v) { Store(regKey_, v); }
  TRzRegAccess RegAccess() const { return regAccess_; }
  void SetRegAccess(TRzRegAccess v) { Store(regAccess_, v); }
  TRzSpecialFolder SpecialFolder() const { return specialFolder_; }
  void SetSpecialFolder(TRzSpecialFolder v) { Store(specialFolder_, v); }
  TRzIniFileEncoding FileEncoding() const { return fileEncoding_; }
  void SetFileEncoding(TRzIniFileEncoding v) { Store(fileEncoding_, v); }

  bool NeedsReopen() const { return needsReopen_; }

 private:
  friend class TRzFrameController;
  template <class T>
  void Store(T& field, T value) {
    if (field == value) return;
    field = std::move(value);
    needsReopen_ = true;
  }

  TRzPathType pathType_ = ptIniFile;
  std::string path_;
  TRzRegKey regKey_ = hkeyCurrentUser;
  TRzRegAccess regAccess_ = RegAccessOf(keyAllAccess);
  TRzSpecialFolder specialFolder_ = sfNone;
  TRzIniFileEncoding fileEncoding_ = feDefault;
  bool needsReopen_ = true;
  std::vector<TRzFrameController*> referrers_;  // cleared when this store goes away
};

class TRzFrameController {
 public:
  TRzFrameController() = default;
  ~TRzFrameController();
  TRzFrameController(const TRzFrameController&) = delete;
  TRzFrameController& operator=(const TRzFrameController&) = delete;

  // Registering twice keeps one entry; a new entry receives every setting it accepts.
  void AddControl(TRzFrameControllerClient* control);
  void RemoveControl(TRzFrameControllerClient* control);
  std::size_t ControlCount() const { return controls_.size(); }

  void BeginUpdate() { ++updateCount_; }
  void EndUpdate();
  void UpdateControls() { PushToAll(fcpAll); }
  // While a stored form is read, FrameHotTrack leaves FrameSides alone; its end pushes everything.
  void BeginLoading() { loading_ = true; }
  void Loaded();
  bool Loading() const { return loading_; }

  void Assign(const TRzFrameController& source);

  TColor Color() const { return color_; }
  void SetColor(TColor value);
  TColor FocusColor() const { return focusColor_; }
  void SetFocusColor(TColor value) { Set(focusColor_, value, fcpFocusColor); }
  TColor DisabledColor() const { return disabledColor_; }
  void SetDisabledColor(TColor value) { Set(disabledColor_, value, fcpDisabledColor); }
  TColor ReadOnlyColor() const { return readOnlyColor_; }
  void SetReadOnlyColor(TColor value) { Set(readOnlyColor_, value, fcpReadOnlyColor); }
  bool ReadOnlyColorOnFocus() const { return readOnlyColorOnFocus_; }
  void SetReadOnlyColorOnFocus(bool v) { Set(readOnlyColorOnFocus_, v, fcpReadOnlyColorOnFocus); }
  bool ParentColor() const { return parentColor_; }
  void SetParentColor(bool value);
  TColor FlatButtonColor() const { return flatButtonColor_; }
  void SetFlatButtonColor(TColor value) { Set(flatButtonColor_, value, fcpFlatButtonColor); }
  bool FlatButtons() const { return flatButtons_; }
  void SetFlatButtons(bool value) { Set(flatButtons_, value, fcpFlatButtons); }
  TColor FrameColor() const { return frameColor_; }
  void SetFrameColor(TColor value) { Set(frameColor_, value, fcpFrameColor); }
  TColor FrameHotColor() const { return frameHotColor_; }
  void SetFrameHotColor(TColor value) { Set(frameHotColor_, value, fcpFrameHotColor); }
  bool FrameHotTrack() const { return frameHotTrack_; }
  void SetFrameHotTrack(bool value);
  TFrameStyle FrameHotStyle() const { return frameHotStyle_; }
  void SetFrameHotStyle(TFrameStyle value);
  TSides FrameSides() const { return frameSides_; }
  void SetFrameSides(TSides value) { Set(frameSides_, value, fcpFrameSides); }
  TFrameStyle FrameStyle() const { return frameStyle_; }
  void SetFrameStyle(TFrameStyle value);
  bool FrameVisible() const { return frameVisible_; }
  void SetFrameVisible(bool value) { Set(frameVisible_, value, fcpFrameVisible); }
  TFramingPreference FramingPreference() const { return framingPreference_; }
  void SetFramingPreference(TFramingPreference v) {
    Set(framingPreference_, v, fcpFramingPreference);
  }

  TRzRegIniFile* RegIniFile() const { return regIniFile_; }
  void SetRegIniFile(TRzRegIniFile* store);

  // Properties of older stored forms. Unknown style names are ignored.
  void ReadFrameFlat(bool value);
  void ReadFrameFocusStyle(std::string_view styleName);
  void ReadFrameFlatStyle(std::string_view) {}

 private:
  friend class TRzRegIniFile;
  template <class T>
  void Set(T& field, T value, TRzFrameControllerProperty property) {
    if (field == value) return;
    field = value;
    PushToAll(property);
  }
  void PushToAll(TRzFrameControllerProperty property);
  void Push(TRzFrameControllerClient& control, TRzFrameControllerProperty property) const;
  void Apply(TRzFrameControllerClient& control, TRzFrameControllerProperty property) const;
  void RegIniFileDestroyed(TRzRegIniFile* store);

  TColor color_ = clWindow;
  TColor focusColor_ = clWindow;
  TColor disabledColor_ = clBtnFace;
  TColor readOnlyColor_ = clInfoBk;
  bool readOnlyColorOnFocus_ = false;
  bool parentColor_ = false;
  TColor flatButtonColor_ = clBtnFace;
  bool flatButtons_ = true;
  TColor frameColor_ = clBtnShadow;
  TColor frameHotColor_ = clBtnShadow;
  bool frameHotTrack_ = false;
  TFrameStyle frameHotStyle_ = fsFlatBold;
  TSides frameSides_ = kAllSides;
  TFrameStyle frameStyle_ = fsFlat;
  bool frameVisible_ = false;
  TFramingPreference framingPreference_ = fpXPThemes;
  TRzRegIniFile* regIniFile_ = nullptr;

  int updateCount_ = 0;
  bool loading_ = false;
  std::vector<TRzFrameControllerClient*> controls_;  // not owned
};

// The TFrameStyle named by an identifier of a stored form ("fsLowered"); false when unknown.
bool FrameStyleFromName(std::string_view name, TFrameStyle& style);

}  // namespace kovra
