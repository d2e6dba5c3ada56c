// Shell item identifiers and folder utilities: the common layer beneath the shell tree, list,
// combo and dialogs. Everything here runs on the user-interface thread.
//   TRzPidl                 an owned item identifier list (freed through the shell allocator)
//   IdList* helpers         size, copy, join, compare, ancestor and item access
//   TRzIdListArray          a view over one absolute list that hands out item and ancestor copies
//   TRzPidlList             an ordered, optionally sorted list of identifier lists with data
//   TRzShellLocator         the persistent folder reference (identifier list or special folder)
//   TRzShortcutInfo         what a shortcut file holds (ResolveShortcut)
//   TRzDeviceChangeHandler  the process-wide broadcaster of drive arrival and removal
#pragma once

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "framework/ComObj.h"
#include "framework/Messages.h"
#include "framework/SysUtils.h"
#include "shell/RzShellLogic.h"

namespace kovra {

class TUtilityWindow;

// The shell's folder interfaces, always held in a ComPtr so that every path releases them.
using IShellFolder_NRC = IShellFolder;
using IShellDetails_NRC = IShellDetails;
using IUnknown_NRC = IUnknown;
using TShellFolderPtr = ComPtr<IShellFolder>;

inline constexpr GUID kIidShellDetails = {
    0x000214EC, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr GUID kIidShellFolder2 = {
    0x93F2F68C, 0x1D1B, 0x11D3, {0xA3, 0x0E, 0x00, 0xC0, 0x4F, 0x79, 0xAB, 0xD1}};

// ---- Platform and the layer's lifetime ----

struct TRzShellPlatform {
  OSVERSIONINFOW Os{};
  bool IsNT = false;
  DWORD ComCtlVersionMS = 0, ComCtlVersionLS = 0;  // 0 when the version could not be read
  DWORD Shell32VersionMS = 0, Shell32VersionLS = 0;
};
// Read once, on first use.
const TRzShellPlatform& ShellPlatform();
inline bool Shell32Before6() {
  return ShellPlatform().Shell32VersionMS < 0x00060000;
}

// The layer's lifetime in a program: it starts at its first use on the user-interface thread
// (COM as a single-threaded apartment, then OLE, the clipboard format and the hover metrics), so
// that a run that never opens a dialog loads none of COM; the scope, held around the message
// loop, ends what was started in the reverse order.
class TRzShellLayerScope {
 public:
  TRzShellLayerScope() = default;
  ~TRzShellLayerScope();
  TRzShellLayerScope(const TRzShellLayerScope&) = delete;
  TRzShellLayerScope& operator=(const TRzShellLayerScope&) = delete;
};
// Starts the layer on the calling thread when it has not started yet; a call from any other
// thread than the one it started on does nothing.
void EnsureShellLayer();
bool ShellLayerStarted();
// Whether OLE is running on the layer's thread (the drop targets and the clipboard need it).
bool ShellOleInitialized();

// COM for this thread (remembered, so that the finalisation undoes only what succeeded).
void InitializeShellUtils();
// Frees the device-change handler, unloads the network library and releases the allocator.
void FinalizeShellUtils();
// What the shell controls need besides: OLE, the "Shell IDList Array" clipboard format and the
// mouse-hover rectangle and time for drag hovering.
void InitializeShellControls();
void FinalizeShellControls();
UINT ShellIdListFormat();  // registered on first use
struct TRzDragHoverMetrics {
  UINT Width = 4, Height = 4, Time = 400;
};
const TRzDragHoverMetrics& DragHoverMetrics();

// ---- Identifier lists ----

// The shell's task allocator, obtained once.
IMalloc* ShellMalloc();

// One identifier list, freed through the shell allocator (or the given one) when it goes.
class TRzPidl {
 public:
  TRzPidl() = default;
  explicit TRzPidl(LPITEMIDLIST list, IMalloc* allocator = nullptr)
      : list_(list), allocator_(allocator) {}
  ~TRzPidl() { Reset(); }
  TRzPidl(TRzPidl&& other) noexcept : list_(other.Release()), allocator_(other.allocator_) {}
  TRzPidl& operator=(TRzPidl&& other) noexcept;
  TRzPidl(const TRzPidl&) = delete;
  TRzPidl& operator=(const TRzPidl&) = delete;

  LPITEMIDLIST Get() const { return list_; }
  explicit operator bool() const { return list_ != nullptr; }
  // The typed views the shell's calls take.
  PIDLIST_ABSOLUTE Absolute() const { return static_cast<PIDLIST_ABSOLUTE>(list_); }
  PIDLIST_RELATIVE Relative() const { return static_cast<PIDLIST_RELATIVE>(list_); }
  PITEMID_CHILD Child() const { return static_cast<PITEMID_CHILD>(list_); }
  // For out parameters of shell calls (which allocate through the shell allocator); `T` is the
  // typed list the call fills (ITEMIDLIST_ABSOLUTE, ITEMIDLIST_RELATIVE, ...).
  template <class T = ITEMIDLIST>
  T** Put() {
    static_assert(sizeof(T) == sizeof(ITEMIDLIST));
    Reset();
    allocator_ = nullptr;
    return reinterpret_cast<T**>(&list_);
  }
  LPITEMIDLIST Release() { return std::exchange(list_, nullptr); }
  void Reset(LPITEMIDLIST list = nullptr);

 private:
  LPITEMIDLIST list_ = nullptr;
  IMalloc* allocator_ = nullptr;  // null: the shell allocator
};

// Frees through the allocator, the shell's when none is given; null does nothing.
void FreeIdList(LPITEMIDLIST list, IMalloc* allocator = nullptr);

// Sum of the item counts plus the terminator; 0 for null.
std::size_t IdListSize(LPCITEMIDLIST list);
int IdListItemCount(LPCITEMIDLIST list);
// A copy; a null input gives the desktop's empty list. Null only when memory ran out.
TRzPidl IdListCopy(LPCITEMIDLIST list, IMalloc* allocator = nullptr);
// The items of `first`, then those of `second`.
TRzPidl IdListConcat(LPCITEMIDLIST first, LPCITEMIDLIST second, IMalloc* allocator = nullptr);
// A list from raw bytes (stored forms, drag data): null unless the bytes hold a well-formed list.
TRzPidl IdListFromBytes(std::span<const std::uint8_t> bytes);
std::span<const std::uint8_t> IdListBytes(LPCITEMIDLIST list);
// The last item of `list`, or null when it has none. Points into `list`.
LPCITEMIDLIST IdListLastItem(LPCITEMIDLIST list);
// 0 when both name the same item. Both null: 0; one null: -1; both empty: 0; one empty: -1;
// otherwise the desktop's CompareIDs, low 16 bits signed; kIdListCompareFailed when the desktop
// folder cannot be had.
constexpr int kIdListCompareFailed = 2147483647;
int IdListCompare(LPCITEMIDLIST a, LPCITEMIDLIST b);
inline bool IdListEqual(LPCITEMIDLIST a, LPCITEMIDLIST b) {
  return IdListCompare(a, b) == 0;
}

// The typed views of an untyped list (the typed lists derive from ITEMIDLIST and add nothing).
inline PCIDLIST_ABSOLUTE AsAbsolute(LPCITEMIDLIST list) {
  return static_cast<PCIDLIST_ABSOLUTE>(list);
}
inline PCUIDLIST_RELATIVE AsRelative(LPCITEMIDLIST list) {
  return static_cast<PCUIDLIST_RELATIVE>(list);
}
inline PCUITEMID_CHILD AsChild(LPCITEMIDLIST list) {
  return static_cast<PCUITEMID_CHILD>(list);
}

// ---- Folders, paths and special folders ----

TShellFolderPtr DesktopFolder();
// Null or empty list: the desktop itself; otherwise the desktop's BindToObject.
HRESULT BindToFolder(LPCITEMIDLIST absolute, TShellFolderPtr& folder);
// The desktop's ParseDisplayName of the path (at most MAX_PATH characters).
HRESULT PathToIdList(std::string_view path, TRzPidl& list);
// The child folder `child` of `parent` (BindToObject); the desktop for an empty child.
HRESULT BindToChildFolder(IShellFolder* parent, LPCITEMIDLIST child, TShellFolderPtr& folder);
// The asked attributes of one child that the folder grants; 0 on failure.
SFGAOF ItemAttributes(IShellFolder* folder, LPCITEMIDLIST child, SFGAOF requested);
// The file-system path; empty for virtual items and on failure; null reads as the desktop.
std::string IdListToPath(LPCITEMIDLIST list);

constexpr std::uint8_t kNoSpecialFolder = 50;
// Only the low 7 bits of a special-folder number reach the shell.
HRESULT SpecialFolderLocation(HWND owner, int number, TRzPidl& list);
std::string SpecialFolderPath(HWND owner, int number);
// The first special folder (0 to 49) whose location equals the list, else kNoSpecialFolder.
std::uint8_t IdentifySpecialFolder(LPCITEMIDLIST list);

// SHGetFileInfo with the system icon index always asked. Result is 0 on failure.
struct TRzShellFileInfo {
  DWORD_PTR Result = 0;
  SHFILEINFOW Info{};
  int IconIndex() const { return Info.iIcon; }
};
TRzShellFileInfo FileInfoOfIdList(LPCITEMIDLIST list, UINT flags);
TRzShellFileInfo FileInfoOfPath(std::string_view path, UINT flags);
// Raises EOSError (the shell's code) when the special folder has no location.
TRzShellFileInfo SpecialFolderIconIndex(int number, UINT flags);

// ---- Names, icons, attributes ----

enum TRzShellNameKind : std::uint8_t { snkNormal, snkInFolder, snkForParsing, snkForEditing };
DWORD ShellNameFlags(TRzShellNameKind kind);
enum TRzShellIconSize : std::uint8_t { sisSmall, sisLarge };

// The text a STRRET carries; frees a wide string the shell allocated. `item` is the list an
// offset-type STRRET points into.
std::string StrRetToString(STRRET& value, LPCITEMIDLIST item);
// The folder's name for its child; the desktop when `folder` is null; empty on failure.
std::string ItemDisplayName(IShellFolder* folder, LPCITEMIDLIST item, TRzShellNameKind kind);
// The in-folder name of an absolute list, asked of its parent folder; empty on failure.
std::string AbsoluteDisplayName(LPCITEMIDLIST absolute);
// The system's icon list of that size (shared; never destroyed).
HIMAGELIST SystemImageList(TRzShellIconSize size);
// Adds icon resource `resource` of `module` to every one of `lists` at one index, each at its
// list's own size; adds nothing unless the lists hold as many images and every size loads.
// Returns that index, or -1.
int AddIconInStep(std::span<const HIMAGELIST> lists, HMODULE module, int resource);

// False without SFGAO_FOLDER. Archives the newer shell shows as folders (SFGAO_STREAM) count as
// files unless the control lets files be folders.
bool IsFolderItem(SFGAOF attributes, bool filesCanBeFolders);

// ---- Shortcuts ----

struct TRzShortcutInfo {
  std::string TargetPath;
  DWORD Mask = 0;  // 63 once every field was read
  std::string Description;
  std::string Arguments;
  std::string IconLocation;
  int IconIndex = 0;
  std::string WorkingDirectory;
  int ShowCmd = 0;
  WORD HotKey = 0;
  std::uint8_t ResolveMode = 0;  // 0: resolved with no window and no flags
  TRzPidl IdList;                // only when asked for
  WIN32_FIND_DATAW FindData{};
};
constexpr DWORD kShortcutInfoComplete = 63;
// Reads a .lnk file; the first failing step's code is returned.
HRESULT ResolveShortcut(std::string_view shortcutPath, TRzShortcutInfo& info, bool wantIdList);

// ---- New folders ----

enum TRzCreateFolderResult : std::uint8_t { cfrCreated, cfrAlreadyExists, cfrFailed };
// Reports a failure to the user; the default shows an error box.
using TRzCreateFolderErrorSink = std::function<void(const std::string& message)>;
// Creates "New Folder", "New Folder (2)", ... (then "fldr", "fldr2", ...) in `parentPath` (the
// current directory when empty). `newName` receives the name that was created.
TRzCreateFolderResult CreateNewFolder(std::string_view parentPath, std::string& newName,
                                      const TRzCreateFolderErrorSink& onError = {});

// Pumps this thread's messages until `folder`'s enumeration (with `enumFlags`) holds an item
// whose in-folder name is `name`, for at most `timeoutMs`; whether it came. The shell may list a
// folder just made only after a moment (the desktop merges several folders into one view).
bool WaitForShellItem(IShellFolder* folder, std::string_view name, DWORD enumFlags,
                      DWORD timeoutMs);

// ---- Context-menu verbs ----

// The command range the shell controls give a context menu's handler.
inline constexpr UINT kShellMenuFirstCommand = 1000;
inline constexpr UINT kShellMenuLastCommand = 0x7FFF;

// Runs the command of `menu` whose language-independent verb is `verb` (case ignored), with
// `owner` as the window of any interface it shows. False when the menu has no such verb or the
// command fails.
bool InvokeContextMenuVerb(IContextMenu* menu, HWND owner, std::string_view verb,
                           UINT queryFlags = CMF_EXPLORE);

// ---- Network, details, messages ----

// True when the network library is unavailable (nothing can be said), else whether the drive's
// connection is in the ok state.
bool IsNetworkDriveConnected(char driveLetter);

// The folder's details interface: an adapter over IShellFolder2 when the folder has one that
// answers column 0, else its own IShellDetails, else none.
ComPtr<IShellDetails> GetShellDetails(IShellFolder* folder);

// Fills %1, %2, ... from `args` (at most 50; more raises). Inserts the format names but `args`
// lacks become empty. An empty format or a failure gives "".
constexpr std::size_t kFormatStrPosMaxArgs = 50;
std::string FormatStrPos(std::string_view format, std::span<const std::string> args);

// Makes the shell re-check its drives (My Computer's attributes with SFGAO_VALIDATE), unless
// suspended by a live TRzDriveRefreshSuspension.
void RequestDriveListRefresh();
class TRzDriveRefreshSuspension {
 public:
  TRzDriveRefreshSuspension();
  ~TRzDriveRefreshSuspension();
  TRzDriveRefreshSuspension(const TRzDriveRefreshSuspension&) = delete;
  TRzDriveRefreshSuspension& operator=(const TRzDriveRefreshSuspension&) = delete;
};

// ---- TRzIdListArray ----

// A view over an absolute list it does not own. Every Item or Ancestor call frees the copy the
// previous call returned; a caller that keeps a result copies it.
class TRzIdListArray {
 public:
  explicit TRzIdListArray(LPCITEMIDLIST list) : list_(list) {}
  TRzIdListArray(const TRzIdListArray&) = delete;
  TRzIdListArray& operator=(const TRzIdListArray&) = delete;

  int ItemCount() const { return IdListItemCount(list_); }
  // A one-item list holding item `index`; for a list without items, index 0 gives an empty list.
  LPITEMIDLIST Item(int index);
  // The first (count - levels) items: the folder `levels` up; null when levels is above count.
  LPITEMIDLIST Ancestor(int levels);

 private:
  LPCITEMIDLIST list_;
  TRzPidl last_;
};

// ---- TRzPidlList ----

enum TRzDuplicates : std::uint8_t { dupIgnore, dupAccept, dupError };

class TRzPidlList {
 public:
  TRzPidlList() = default;
  ~TRzPidlList();
  TRzPidlList(const TRzPidlList&) = delete;
  TRzPidlList& operator=(const TRzPidlList&) = delete;

  int Count() const { return static_cast<int>(entries_.size()); }
  int Capacity() const { return static_cast<int>(entries_.capacity()); }
  void SetCapacity(int capacity);
  LPITEMIDLIST IdList(int index) const { return entries_.at(Checked(index)).List; }
  std::intptr_t Data(int index) const { return entries_.at(Checked(index)).Data; }

  bool Sorted() const { return sorted_; }
  void SetSorted(bool sorted);  // switching on sorts at once
  TRzDuplicates Duplicates() const { return duplicates_; }
  void SetDuplicates(TRzDuplicates value) { duplicates_ = value; }
  // Entries compare by this folder's CompareIDs when set (borrowed), else byte by byte.
  IShellFolder* Folder() const { return folder_; }
  void SetFolder(IShellFolder* folder) { folder_ = folder; }
  // With an allocator the list frees the identifier lists it drops; without, they stay the
  // caller's.
  IMalloc* Allocator() const { return allocator_; }
  void SetAllocator(IMalloc* allocator) { allocator_ = allocator; }

  // The index of the entry; with dupIgnore an existing equal entry's index. Raises Exception
  // "TRzPidlList: Duplicate PIDL" under dupError.
  int Add(LPITEMIDLIST list) { return AddWithData(list, 0); }
  int AddWithData(LPITEMIDLIST list, std::intptr_t data);
  int Find(LPCITEMIDLIST list) const;  // -1 when absent
  void Delete(int index);
  void Clear();

 private:
  struct Entry {
    LPITEMIDLIST List;
    std::intptr_t Data;
  };
  std::size_t Checked(int index) const;
  int CompareLists(LPCITEMIDLIST a, LPCITEMIDLIST b) const;
  // Binary search; returns the insertion index and whether an equal entry was seen.
  int Search(LPCITEMIDLIST key, bool& found) const;
  void Sort();

  std::vector<Entry> entries_;
  bool sorted_ = false;
  TRzDuplicates duplicates_ = dupError;
  IShellFolder* folder_ = nullptr;
  IMalloc* allocator_ = nullptr;
};

// ---- TRzShellLocator ----

// A folder reference: an absolute identifier list (the desktop held as none) or a special
// folder, resolved lazily. OnChange fires after each change.
class TRzShellLocator : public TObject {
 public:
  TRzShellLocator() = default;
  TRzShellLocator(const TRzShellLocator&) = delete;
  TRzShellLocator& operator=(const TRzShellLocator&) = delete;

  bool IsSpecialFolder() const { return mode_ != 0; }
  std::uint8_t SpecialFolder() const { return specialFolder_; }
  // Borrowed; null is the desktop. A special folder is located on first use and kept.
  LPCITEMIDLIST IdList();
  void SetIdList(LPCITEMIDLIST list);
  void SetSpecialFolder(std::uint8_t number);
  // A path that cannot be parsed leaves the desktop.
  void SetPath(std::string_view path);
  std::string Path();  // empty for virtual folders

  bool Equals(const TRzShellLocator& other) const;
  // Takes over the other's reference; null clears to the desktop. Notifies when it changed.
  void Assign(const TRzShellLocator* other);

  // The stored form: written only when HasStoredData.
  bool HasStoredData() const { return mode_ != 0 || list_; }
  TRzIdBytes WriteData() const;
  // False (and unchanged) when the bytes are not a valid record.
  bool ReadData(std::span<const std::uint8_t> bytes);

  TNotifyEvent OnChange;

 private:
  void Changed();

  std::uint8_t mode_ = 0;
  TRzPidl list_;
  std::uint8_t specialFolder_ = kNoSpecialFolder;
};

// ---- TRzDeviceChangeHandler ----

// Drive arrival and removal, passed on from a posted message, so that listeners run after the
// system's broadcast has returned.
class TRzDeviceChangeHandler : public TObject {
 public:
  using Callback = std::function<void(TRzDeviceChangeHandler* handler, TMessage& message)>;
  static constexpr UINT kPostedDeviceChange = 0x0464;

  TRzDeviceChangeHandler();
  ~TRzDeviceChangeHandler() override;

  // `owner` identifies the registration (a tree or list registers itself once).
  void Register(const void* owner, Callback callback);
  // Removes the first registration of `owner`.
  void Unregister(const void* owner);
  int Count() const { return static_cast<int>(entries_.size()); }
  bool Active() const { return active_; }
  void SetActive(bool active) { active_ = active; }
  HWND Handle() const;

 private:
  bool HandleMessage(TMessage& m);
  void Broadcast(TMessage& m);

  struct Entry {
    const void* Owner;
    Callback Run;
    std::uint64_t Id;
  };
  std::unique_ptr<TUtilityWindow> window_;
  std::vector<Entry> entries_;
  std::uint64_t nextId_ = 1;
  bool active_ = true;
};

// The process-wide handler, created on first request, freed by FinalizeShellUtils.
TRzDeviceChangeHandler& DeviceChangeHandler();

}  // namespace kovra
