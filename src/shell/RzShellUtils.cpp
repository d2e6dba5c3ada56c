#include "shell/RzShellUtils.h"

#include <lm.h>
#include <shellapi.h>
#include <shlwapi.h>
#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "controls/RzStrings.h"
#include "framework/Application.h"
#include "framework/Dialogs.h"
#include "framework/Handles.h"
#include "framework/WindowClass.h"
#include "shell/RzComBase.h"

namespace kovra {

namespace {

// ---- Layer state (user-interface thread only) ----

struct TLayerState {
  IMalloc* malloc = nullptr;
  bool comInitialized = false;
  bool oleInitialized = false;
  UINT idListFormat = 0;
  TRzDragHoverMetrics hover;
  bool hoverRead = false;
  std::unique_ptr<TRzDeviceChangeHandler> deviceHandler;
  // The network library: not tried yet, failed, or loaded with both functions.
  enum { netUntried, netMissing, netLoaded } netState = netUntried;
  HMODULE netapi = nullptr;
  decltype(&NetUseGetInfo) netUseGetInfo = nullptr;
  decltype(&NetApiBufferFree) netApiBufferFree = nullptr;
  int driveRefreshSuspended = 0;
  bool overlaysAdded = false;
  bool started = false;
  DWORD thread = 0;

  // A program that never finalised the layer is exiting: its window and the framework behind it
  // may already be gone, so the handler is left to the process's end rather than destroyed.
  ~TLayerState() { static_cast<void>(deviceHandler.release()); }
};

TLayerState& Layer() {
  static TLayerState state;
  return state;
}

void ReadFileVersion(const wchar_t* module, DWORD& ms, DWORD& ls) {
  ms = ls = 0;
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(module, &ignored);
  if (size == 0) return;
  std::vector<std::uint8_t> data(size);
  if (!GetFileVersionInfoW(module, 0, size, data.data())) return;
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length)) return;
  if (!fixed || length < sizeof(VS_FIXEDFILEINFO)) return;
  ms = fixed->dwFileVersionMS;
  ls = fixed->dwFileVersionLS;
}

TRzPidl AllocIdList(std::size_t size, IMalloc* allocator) {
  IMalloc* m = allocator ? allocator : ShellMalloc();
  if (!m) return {};
  auto* p = static_cast<LPITEMIDLIST>(m->Alloc(size));
  return TRzPidl(p, allocator);
}

// Text in the system's ANSI code page (older shell extensions answer in it).
std::string AnsiToUtf8(std::string_view text) {
  if (text.empty()) return {};
  const int length = static_cast<int>(std::min<std::size_t>(text.size(), 0x7FFFFFFF));
  const int units = MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
  if (units <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(units), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), length, wide.data(), units);
  return Narrow(wide);
}

const std::uint8_t* Bytes(LPCITEMIDLIST list) {
  return reinterpret_cast<const std::uint8_t*>(list);
}

std::wstring WidePath(std::string_view path) {
  std::wstring wide = Wide(path);
  if (wide.size() > MAX_PATH) wide.resize(MAX_PATH);
  return wide;
}

}  // namespace

// ---- Platform and lifetime ----

const TRzShellPlatform& ShellPlatform() {
  static const TRzShellPlatform platform = [] {
    TRzShellPlatform p;
    p.Os.dwOSVersionInfoSize = sizeof(p.Os);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    GetVersionExW(&p.Os);
#pragma GCC diagnostic pop
    p.IsNT = p.Os.dwPlatformId == VER_PLATFORM_WIN32_NT;
    ReadFileVersion(L"comctl32.dll", p.ComCtlVersionMS, p.ComCtlVersionLS);
    ReadFileVersion(L"shell32.dll", p.Shell32VersionMS, p.Shell32VersionLS);
    return p;
  }();
  return platform;
}

void EnsureShellLayer() {
  auto& s = Layer();
  if (s.started) return;
  // The change-handler threads free identifier lists too; only the first user's thread owns COM.
  if (s.thread && s.thread != GetCurrentThreadId()) return;
  s.thread = GetCurrentThreadId();
  s.started = true;  // before the start, which itself uses the allocator
  InitializeShellUtils();
  InitializeShellControls();
}

bool ShellLayerStarted() {
  return Layer().started;
}

bool ShellOleInitialized() {
  return Layer().oleInitialized;
}

TRzShellLayerScope::~TRzShellLayerScope() {
  auto& s = Layer();
  if (!s.started || s.thread != GetCurrentThreadId()) return;
  FinalizeShellControls();
  FinalizeShellUtils();
  s.started = false;
}

void InitializeShellUtils() {
  ShellPlatform();
  ShellMalloc();
  auto& s = Layer();
  if (!s.comInitialized) s.comInitialized = SUCCEEDED(CoInitialize(nullptr));
}

void FinalizeShellUtils() {
  auto& s = Layer();
  s.deviceHandler.reset();
  if (s.netapi) FreeLibrary(s.netapi);
  s.netapi = nullptr;
  s.netUseGetInfo = nullptr;
  s.netApiBufferFree = nullptr;
  s.netState = TLayerState::netUntried;
  if (s.malloc) s.malloc->Release();
  s.malloc = nullptr;
  if (s.comInitialized) CoUninitialize();
  s.comInitialized = false;
}

void InitializeShellControls() {
  auto& s = Layer();
  ShellIdListFormat();
  if (!s.oleInitialized) s.oleInitialized = SUCCEEDED(OleInitialize(nullptr));
  DragHoverMetrics();
}

void FinalizeShellControls() {
  auto& s = Layer();
  if (s.oleInitialized) OleUninitialize();
  s.oleInitialized = false;
}

UINT ShellIdListFormat() {
  auto& s = Layer();
  if (!s.idListFormat) s.idListFormat = RegisterClipboardFormatW(L"Shell IDList Array");
  return s.idListFormat;
}

const TRzDragHoverMetrics& DragHoverMetrics() {
  auto& s = Layer();
  if (!s.hoverRead) {
    UINT value = 0;
    if (SystemParametersInfoW(SPI_GETMOUSEHOVERWIDTH, 0, &value, 0) && value) {
      s.hover.Width = value;
    }
    if (SystemParametersInfoW(SPI_GETMOUSEHOVERHEIGHT, 0, &value, 0) && value) {
      s.hover.Height = value;
    }
    if (SystemParametersInfoW(SPI_GETMOUSEHOVERTIME, 0, &value, 0) && value) s.hover.Time = value;
    s.hoverRead = true;
  }
  return s.hover;
}

// ---- Identifier lists ----

IMalloc* ShellMalloc() {
  EnsureShellLayer();
  auto& s = Layer();
  if (!s.malloc && FAILED(SHGetMalloc(&s.malloc))) s.malloc = nullptr;
  return s.malloc;
}

void FreeIdList(LPITEMIDLIST list, IMalloc* allocator) {
  if (!list) return;
  if (IMalloc* m = allocator ? allocator : ShellMalloc()) {
    m->Free(list);
  } else {
    CoTaskMemFree(list);  // the shell allocator is the task allocator
  }
}

TRzPidl& TRzPidl::operator=(TRzPidl&& other) noexcept {
  if (this != &other) {
    IMalloc* allocator = other.allocator_;
    Reset(other.Release());
    allocator_ = allocator;
  }
  return *this;
}

void TRzPidl::Reset(LPITEMIDLIST list) {
  if (list_ && list_ != list) FreeIdList(list_, allocator_);
  list_ = list;
}

std::size_t IdListSize(LPCITEMIDLIST list) {
  return IdBytesSize(Bytes(list));
}

int IdListItemCount(LPCITEMIDLIST list) {
  return IdBytesCount(Bytes(list));
}

TRzPidl IdListCopy(LPCITEMIDLIST list, IMalloc* allocator) {
  const std::size_t size = list ? IdListSize(list) : 2;
  TRzPidl copy = AllocIdList(size, allocator);
  if (!copy) return copy;
  auto* out = reinterpret_cast<std::uint8_t*>(copy.Get());
  if (list) std::memcpy(out, list, size - 2);
  out[size - 2] = out[size - 1] = 0;
  return copy;
}

TRzPidl IdListConcat(LPCITEMIDLIST first, LPCITEMIDLIST second, IMalloc* allocator) {
  const std::size_t a = first ? IdListSize(first) - 2 : 0;
  const std::size_t b = second ? IdListSize(second) - 2 : 0;
  TRzPidl joined = AllocIdList(a + b + 2, allocator);
  if (!joined) return joined;
  auto* out = reinterpret_cast<std::uint8_t*>(joined.Get());
  if (a) std::memcpy(out, first, a);
  if (b) std::memcpy(out + a, second, b);
  out[a + b] = out[a + b + 1] = 0;
  return joined;
}

TRzPidl IdListFromBytes(std::span<const std::uint8_t> bytes) {
  const std::size_t size = ValidIdBytesSize(bytes);
  if (size == 0) return {};
  TRzPidl list = AllocIdList(size, nullptr);
  if (list) std::memcpy(list.Get(), bytes.data(), size);
  return list;
}

std::span<const std::uint8_t> IdListBytes(LPCITEMIDLIST list) {
  return {Bytes(list), IdListSize(list)};
}

LPCITEMIDLIST IdListLastItem(LPCITEMIDLIST list) {
  const int count = IdListItemCount(list);
  if (count == 0) return nullptr;
  return reinterpret_cast<LPCITEMIDLIST>(IdBytesItem(Bytes(list), count - 1));
}

int IdListCompare(LPCITEMIDLIST a, LPCITEMIDLIST b) {
  if (!a && !b) return 0;
  if (!a || !b) return -1;
  const bool emptyA = a->mkid.cb == 0;
  const bool emptyB = b->mkid.cb == 0;
  if (emptyA && emptyB) return 0;
  if (emptyA || emptyB) return -1;
  TShellFolderPtr desktop = DesktopFolder();
  if (!desktop) return kIdListCompareFailed;
  const HRESULT hr = desktop->CompareIDs(0, AsRelative(a), AsRelative(b));
  return static_cast<std::int16_t>(HRESULT_CODE(hr) & 0xFFFF);
}

// ---- Folders, paths and special folders ----

TShellFolderPtr DesktopFolder() {
  EnsureShellLayer();
  TShellFolderPtr desktop;
  if (FAILED(SHGetDesktopFolder(desktop.Put()))) desktop.Reset();
  return desktop;
}

HRESULT BindToFolder(LPCITEMIDLIST absolute, TShellFolderPtr& folder) {
  folder.Reset();
  TShellFolderPtr desktop;
  HRESULT hr = SHGetDesktopFolder(desktop.Put());
  if (FAILED(hr)) return hr;
  if (!absolute || absolute->mkid.cb == 0) {
    folder = std::move(desktop);
    return S_OK;
  }
  void* raw = nullptr;
  hr = desktop->BindToObject(AsRelative(absolute), nullptr, IID_IShellFolder, &raw);
  if (SUCCEEDED(hr) && raw) folder.Reset(static_cast<IShellFolder*>(raw));
  if (SUCCEEDED(hr) && !raw) hr = E_FAIL;
  return hr;
}

HRESULT BindToChildFolder(IShellFolder* parent, LPCITEMIDLIST child, TShellFolderPtr& folder) {
  folder.Reset();
  if (!parent) return E_INVALIDARG;
  if (!child || child->mkid.cb == 0) return BindToFolder(nullptr, folder);
  void* raw = nullptr;
  const HRESULT hr = parent->BindToObject(AsRelative(child), nullptr, IID_IShellFolder, &raw);
  if (FAILED(hr)) return hr;
  if (!raw) return E_FAIL;
  folder.Reset(static_cast<IShellFolder*>(raw));
  return S_OK;
}

SFGAOF ItemAttributes(IShellFolder* folder, LPCITEMIDLIST child, SFGAOF requested) {
  if (!folder || !child) return 0;
  PCUITEMID_CHILD children[] = {AsChild(child)};
  SFGAOF attributes = requested;
  if (FAILED(folder->GetAttributesOf(1, children, &attributes))) return 0;
  return attributes & requested;
}

HRESULT PathToIdList(std::string_view path, TRzPidl& list) {
  list.Reset();
  TShellFolderPtr desktop;
  HRESULT hr = SHGetDesktopFolder(desktop.Put());
  if (FAILED(hr)) return hr;
  std::wstring wide = WidePath(path);
  ULONG eaten = 0;
  PIDLIST_RELATIVE parsed = nullptr;
  hr = desktop->ParseDisplayName(nullptr, nullptr, wide.data(), &eaten, &parsed, nullptr);
  list.Reset(parsed);  // a failing call that still handed out a list has it freed with `list`
  if (FAILED(hr)) list.Reset();
  return hr;
}

std::string IdListToPath(LPCITEMIDLIST list) {
  static const std::uint16_t kDesktop = 0;
  wchar_t path[MAX_PATH + 1] = {};
  const auto* effective = list ? list : reinterpret_cast<LPCITEMIDLIST>(&kDesktop);
  if (!SHGetPathFromIDListW(AsAbsolute(effective), path)) return {};
  path[MAX_PATH] = 0;
  return Narrow(path);
}

HRESULT SpecialFolderLocation(HWND owner, int number, TRzPidl& list) {
  return SHGetSpecialFolderLocation(owner, number & 0x7F, list.Put<ITEMIDLIST_ABSOLUTE>());
}

std::string SpecialFolderPath(HWND owner, int number) {
  TRzPidl list;
  if (FAILED(SpecialFolderLocation(owner, number, list))) return {};
  return IdListToPath(list.Get());
}

std::uint8_t IdentifySpecialFolder(LPCITEMIDLIST list) {
  for (int number = 0; number < kNoSpecialFolder; ++number) {
    TRzPidl location;
    if (FAILED(SpecialFolderLocation(nullptr, number, location)) || !location) continue;
    if (IdListCompare(location.Get(), list) == 0) return static_cast<std::uint8_t>(number);
  }
  return kNoSpecialFolder;
}

TRzShellFileInfo FileInfoOfIdList(LPCITEMIDLIST list, UINT flags) {
  TRzShellFileInfo result;
  static const std::uint16_t kDesktop = 0;
  const auto* effective = list ? list : reinterpret_cast<LPCITEMIDLIST>(&kDesktop);
  result.Result = SHGetFileInfoW(reinterpret_cast<LPCWSTR>(effective), 0, &result.Info,
                                 sizeof(result.Info), flags | SHGFI_PIDL | SHGFI_SYSICONINDEX);
  return result;
}

TRzShellFileInfo FileInfoOfPath(std::string_view path, UINT flags) {
  TRzShellFileInfo result;
  const std::wstring wide = WidePath(path);
  result.Result = SHGetFileInfoW(wide.c_str(), 0, &result.Info, sizeof(result.Info),
                                 (flags & ~SHGFI_PIDL) | SHGFI_SYSICONINDEX);
  return result;
}

TRzShellFileInfo SpecialFolderIconIndex(int number, UINT flags) {
  TRzPidl list;
  const HRESULT hr = SpecialFolderLocation(nullptr, number, list);
  if (FAILED(hr)) throw EOSError(static_cast<DWORD>(hr));
  return FileInfoOfIdList(list.Get(), flags);
}

// ---- Names, icons, attributes ----

DWORD ShellNameFlags(TRzShellNameKind kind) {
  switch (kind) {
    case snkInFolder:
      return SHGDN_INFOLDER;
    case snkForParsing:
      return SHGDN_FORPARSING;
    case snkForEditing:
      return SHGDN_INFOLDER | SHGDN_FOREDITING;
    case snkNormal:
    default:
      return SHGDN_NORMAL;
  }
}

std::string StrRetToString(STRRET& value, LPCITEMIDLIST item) {
  switch (value.uType) {
    case STRRET_WSTR: {
      std::string text = value.pOleStr ? Narrow(value.pOleStr) : std::string();
      CoTaskMemFree(value.pOleStr);
      value.pOleStr = nullptr;
      return text;
    }
    case STRRET_OFFSET: {
      if (!item) return {};
      // The offset points into the item; never read past the item's own bytes.
      const std::size_t size = IdListSize(item);
      if (value.uOffset >= size) return {};
      const char* start = reinterpret_cast<const char*>(item) + value.uOffset;
      const std::size_t length = strnlen(start, size - value.uOffset);
      return AnsiToUtf8(std::string_view(start, length));
    }
    case STRRET_CSTR: {
      const std::size_t length = strnlen(value.cStr, sizeof(value.cStr));
      return AnsiToUtf8(std::string_view(value.cStr, length));
    }
    default:
      return {};
  }
}

std::string ItemDisplayName(IShellFolder* folder, LPCITEMIDLIST item, TRzShellNameKind kind) {
  TShellFolderPtr desktop;
  if (!folder) {
    desktop = DesktopFolder();
    folder = desktop.Get();
    if (!folder) return {};
  }
  const DWORD flags = ShellNameFlags(kind);
  STRRET value{};
  value.uType = STRRET_WSTR;
  if (FAILED(folder->GetDisplayNameOf(AsChild(item), flags, &value))) {
    value = STRRET{};
    value.uType = STRRET_CSTR;
    if (FAILED(folder->GetDisplayNameOf(AsChild(item), flags, &value))) return {};
  }
  return StrRetToString(value, item);
}

std::string AbsoluteDisplayName(LPCITEMIDLIST absolute) {
  TShellFolderPtr desktop = DesktopFolder();
  if (!desktop) return {};
  static const std::uint16_t kDesktop = 0;
  if (IdListItemCount(absolute) <= 1) {
    const auto* effective = absolute ? absolute : reinterpret_cast<LPCITEMIDLIST>(&kDesktop);
    return ItemDisplayName(desktop.Get(), effective, snkInFolder);
  }
  TRzIdListArray parts(absolute);
  TShellFolderPtr parent;
  if (FAILED(BindToFolder(parts.Ancestor(1), parent)) || !parent) return {};
  return ItemDisplayName(parent.Get(), IdListLastItem(absolute), snkInFolder);
}

namespace {

struct LibraryTraits {
  using Handle = HMODULE;
  static HMODULE Invalid() { return nullptr; }
  static bool IsValid(HMODULE h) { return h != nullptr; }
  static void Close(HMODULE h) { FreeLibrary(h); }
};
using LibraryHandle = ScopedHandle<LibraryTraits>;

HIMAGELIST ShellIconList(UINT sizeFlag) {
  SHFILEINFOW info{};
  auto list = reinterpret_cast<HIMAGELIST>(
      SHGetFileInfoW(L"C:\\", 0, &info, sizeof(info), SHGFI_SYSICONINDEX | sizeFlag));
  if (!list) list = reinterpret_cast<HIMAGELIST>(FileInfoOfIdList(nullptr, sizeFlag).Result);
  return list;
}

// Every list the shell appends a new icon to, handing out one index for all of them: the small
// and large ones, and the other sizes where the shell has them. The lists live with the process.
std::vector<HIMAGELIST> ShellIconListsInStep(HIMAGELIST small, HIMAGELIST large) {
  static constexpr GUID kIidImageList = {
      0x46EB5926, 0x582E, 0x4017, {0x9F, 0xDF, 0xE8, 0x99, 0x8D, 0xAA, 0x09, 0x50}};
  std::vector<HIMAGELIST> lists{small, large};
  for (int kind = SHIL_LARGE; kind <= SHIL_LAST; ++kind) {
    HIMAGELIST list = nullptr;
    if (FAILED(SHGetImageList(kind, kIidImageList, reinterpret_cast<void**>(&list))) || !list)
      continue;
    if (std::find(lists.begin(), lists.end(), list) == lists.end()) lists.push_back(list);
    reinterpret_cast<IUnknown*>(list)->Release();  // the shell keeps its own reference
  }
  return lists;
}

// The shell's icon cache: loads an icon file's icon once and appends it to all its lists at
// one index. Newer shells export it by name, older ones by number only (wide on NT).
using TCachedImageIndex = int(WINAPI*)(LPCWSTR, int, UINT);
TCachedImageIndex CachedImageIndexEntry(HMODULE shell32) {
  FARPROC entry = GetProcAddress(shell32, "Shell_GetCachedImageIndexW");
  if (!entry) entry = GetProcAddress(shell32, MAKEINTRESOURCEA(72));
  return reinterpret_cast<TCachedImageIndex>(reinterpret_cast<void*>(entry));
}

// The shell's shared-folder hand and shortcut arrow (icons 29 and 30 of shell32) become overlay
// images 1 and 2 of the system lists, once per process. Adding them to the small and large lists
// alone would shift those lists against the index the shell hands out for every later icon, so
// they go in through the shell's cache, or into all of its lists at once.
void AddSystemOverlays() {
  auto& s = Layer();
  if (s.overlaysAdded) return;
  s.overlaysAdded = true;
  const auto& platform = ShellPlatform();
  if (!platform.IsNT || platform.ComCtlVersionMS <= 0x00040046) return;
  HIMAGELIST small = ShellIconList(SHGFI_SMALLICON);
  HIMAGELIST large = ShellIconList(SHGFI_LARGEICON);
  if (!small || !large) return;
  LibraryHandle shell32(LoadLibraryW(L"shell32.dll"));
  if (!shell32) return;
  wchar_t path[MAX_PATH]{};
  const DWORD length = GetModuleFileNameW(shell32.Get(), path, MAX_PATH);
  const TCachedImageIndex cached =
      length > 0 && length < MAX_PATH ? CachedImageIndexEntry(shell32.Get()) : nullptr;
  const std::vector<HIMAGELIST> lists = ShellIconListsInStep(small, large);
  for (int overlay = 1; overlay <= 2; ++overlay) {
    const int resource = 28 + overlay;
    const int index =
        cached ? cached(path, -resource, 0) : AddIconInStep(lists, shell32.Get(), resource);
    if (index < 0) continue;
    for (HIMAGELIST list : lists)
      if (index < ImageList_GetImageCount(list)) ImageList_SetOverlayImage(list, index, overlay);
  }
}

}  // namespace

HIMAGELIST SystemImageList(TRzShellIconSize size) {
  AddSystemOverlays();
  return ShellIconList(size == sisSmall ? SHGFI_SMALLICON : SHGFI_LARGEICON);
}

int AddIconInStep(std::span<const HIMAGELIST> lists, HMODULE module, int resource) {
  if (lists.empty()) return -1;
  const int index = ImageList_GetImageCount(lists.front());
  // Loaded unshared and freed here: shared icons are meant for the standard sizes only.
  std::vector<IconHandle> icons;
  for (HIMAGELIST list : lists) {
    int cx = 0, cy = 0;
    if (ImageList_GetImageCount(list) != index || !ImageList_GetIconSize(list, &cx, &cy)) return -1;
    IconHandle icon(
        static_cast<HICON>(LoadImageW(module, MAKEINTRESOURCEW(resource), IMAGE_ICON, cx, cy, 0)));
    if (!icon) return -1;
    icons.push_back(std::move(icon));
  }
  for (std::size_t i = 0; i < lists.size(); ++i) {
    if (ImageList_AddIcon(lists[i], icons[i].Get()) == index) continue;
    for (std::size_t j = 0; j <= i; ++j)
      if (ImageList_GetImageCount(lists[j]) > index) ImageList_Remove(lists[j], index);
    return -1;
  }
  return index;
}

bool IsFolderItem(SFGAOF attributes, bool filesCanBeFolders) {
  if ((attributes & SFGAO_FOLDER) == 0) return false;
  if (filesCanBeFolders) return true;
  if (Shell32Before6()) return true;
  return (attributes & SFGAO_STREAM) == 0;
}

// ---- Shortcuts ----

HRESULT ResolveShortcut(std::string_view shortcutPath, TRzShortcutInfo& info, bool wantIdList) {
  EnsureShellLayer();
  ComPtr<IShellLinkW> link;
  HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                link.PutVoid());
  if (FAILED(hr)) return hr;
  ComPtr<IPersistFile> file = link.As<IPersistFile>(IID_IPersistFile);
  if (!file) return E_NOINTERFACE;
  const std::wstring path = WidePath(shortcutPath);
  if (FAILED(hr = file->Load(path.c_str(), 0))) return hr;
  if (FAILED(hr = link->Resolve(nullptr, 0))) return hr;

  wchar_t buffer[MAX_PATH + 1] = {};
  auto take = [&buffer] {
    buffer[MAX_PATH] = 0;
    std::string text = Narrow(buffer);
    buffer[0] = 0;
    return text;
  };
  if (FAILED(hr = link->GetPath(buffer, MAX_PATH, &info.FindData, 0))) return hr;
  info.TargetPath = take();
  if (FAILED(hr = link->GetArguments(buffer, MAX_PATH))) return hr;
  info.Arguments = take();
  if (FAILED(hr = link->GetDescription(buffer, MAX_PATH))) return hr;
  info.Description = take();
  if (FAILED(hr = link->GetIconLocation(buffer, MAX_PATH, &info.IconIndex))) return hr;
  info.IconLocation = take();
  if (FAILED(hr = link->GetWorkingDirectory(buffer, MAX_PATH))) return hr;
  info.WorkingDirectory = take();
  if (FAILED(hr = link->GetShowCmd(&info.ShowCmd))) return hr;
  if (FAILED(hr = link->GetHotkey(&info.HotKey))) return hr;
  info.ResolveMode = 0;
  info.Mask = kShortcutInfoComplete;
  info.IdList.Reset();
  if (wantIdList) {
    if (FAILED(hr = link->GetIDList(info.IdList.Put<ITEMIDLIST_ABSOLUTE>()))) return hr;
  }
  return S_OK;
}

// ---- New folders ----

namespace {

bool FolderListsItem(IShellFolder* folder, std::string_view name, DWORD enumFlags) {
  ComPtr<IEnumIDList> items;
  const HRESULT hr = folder->EnumObjects(nullptr, enumFlags, items.Put());
  if (FAILED(hr) || hr == S_FALSE || !items) return false;
  for (;;) {
    TRzPidl item;
    ULONG fetched = 0;
    if (items->Next(1, item.Put<ITEMID_CHILD>(), &fetched) != S_OK || fetched == 0) return false;
    if (ItemDisplayName(folder, item.Get(), snkInFolder) == name) return true;
  }
}

}  // namespace

bool WaitForShellItem(IShellFolder* folder, std::string_view name, DWORD enumFlags,
                      DWORD timeoutMs) {
  if (!folder || name.empty()) return false;
  constexpr DWORD kPollMs = 50;
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  for (;;) {
    if (FolderListsItem(folder, name, enumFlags)) return true;
    const ULONGLONG now = GetTickCount64();
    if (now >= deadline) return false;
    const DWORD wait = static_cast<DWORD>(std::min<ULONGLONG>(kPollMs, deadline - now));
    // Wakes early for input, so the window stays responsive; the poll then comes round again.
    MsgWaitForMultipleObjects(0, nullptr, FALSE, wait, QS_ALLINPUT);
    Application().ProcessMessages();
  }
}

TRzCreateFolderResult CreateNewFolder(std::string_view parentPath, std::string& newName,
                                      const TRzCreateFolderErrorSink& onError) {
  std::string parent(parentPath);
  if (parent.empty()) {
    wchar_t current[MAX_PATH + 1] = {};
    const DWORD length = GetCurrentDirectoryW(MAX_PATH, current);
    if (length == 0 || length > MAX_PATH) return cfrFailed;
    parent = Narrow(current);
  }
  parent = EnsureTrailingChar(parent, '\\');
  auto report = [&onError](DWORD code, const std::string& name) {
    const std::string args[] = {SysErrorMessage(code), name};
    const std::string message = FormatStrPos(RzLoadStr(rsCreateFolderError), args);
    if (onError) {
      onError(message);
    } else {
      MessageDlg(message, mtError, MsgDlgButton(mbOK));
    }
  };
  for (int pass = 0; pass < 2; ++pass) {
    for (int attempt = 1; attempt <= kNewFolderAttempts; ++attempt) {
      const std::string name = NewFolderName(RzLoadStr(rsNewFolder), pass, attempt);
      if (CreateDirectoryW(Wide(parent + name).c_str(), nullptr)) {
        newName = name;
        return cfrCreated;
      }
      const DWORD error = GetLastError();
      if (error == ERROR_ALREADY_EXISTS) continue;
      report(error, name);
      return cfrFailed;
    }
  }
  report(ERROR_ALREADY_EXISTS, std::string(RzLoadStr(rsNewFolder)));
  return cfrAlreadyExists;
}

// ---- Context-menu verbs ----

bool InvokeContextMenuVerb(IContextMenu* menu, HWND owner, std::string_view verb, UINT queryFlags) {
  if (!menu) return false;
  MenuHandle popup(CreatePopupMenu());
  if (!popup || FAILED(menu->QueryContextMenu(popup.Get(), 0, kShellMenuFirstCommand,
                                              kShellMenuLastCommand, queryFlags)))
    return false;
  const std::string wanted(verb);
  const int count = GetMenuItemCount(popup.Get());
  for (int i = 0; i < count; ++i) {
    const UINT id = GetMenuItemID(popup.Get(), i);
    if (id == static_cast<UINT>(-1) || id < kShellMenuFirstCommand) continue;
    char name[MAX_PATH + 1] = {};
    if (FAILED(menu->GetCommandString(id - kShellMenuFirstCommand, GCS_VERBA, nullptr, name,
                                      MAX_PATH)))
      continue;
    if (lstrcmpiA(name, wanted.c_str()) != 0) continue;
    CMINVOKECOMMANDINFO info{};
    info.cbSize = sizeof info;
    info.hwnd = owner;
    info.lpVerb = MAKEINTRESOURCEA(id - kShellMenuFirstCommand);
    info.nShow = SW_SHOWNORMAL;
    return SUCCEEDED(menu->InvokeCommand(&info));
  }
  return false;
}

// ---- Network, details, messages ----

bool IsNetworkDriveConnected(char driveLetter) {
  auto& s = Layer();
  if (s.netState == TLayerState::netUntried) {
    s.netState = TLayerState::netMissing;
    s.netapi = LoadLibraryW(L"netapi32.dll");
    if (s.netapi) {
      s.netUseGetInfo = reinterpret_cast<decltype(s.netUseGetInfo)>(
          reinterpret_cast<void*>(GetProcAddress(s.netapi, "NetUseGetInfo")));
      s.netApiBufferFree = reinterpret_cast<decltype(s.netApiBufferFree)>(
          reinterpret_cast<void*>(GetProcAddress(s.netapi, "NetApiBufferFree")));
      if (s.netUseGetInfo && s.netApiBufferFree) s.netState = TLayerState::netLoaded;
    }
  }
  if (s.netState != TLayerState::netLoaded) return true;
  wchar_t use[3] = {static_cast<wchar_t>(static_cast<unsigned char>(driveLetter)), L':', 0};
  LPBYTE buffer = nullptr;
  if (s.netUseGetInfo(nullptr, use, 1, &buffer) != NERR_Success) {
    if (buffer) s.netApiBufferFree(buffer);
    return false;
  }
  const bool ok = buffer && reinterpret_cast<USE_INFO_1*>(buffer)->ui1_status == USE_OK;
  if (buffer) s.netApiBufferFree(buffer);
  return ok;
}

namespace {

// IShellDetails over a folder's IShellFolder2, answering only the columns that the folder shows
// by default so that the list's column walk ends where the folder's default view does.
class TShellFolder2ToShellDetailsAdapter final : public TRzComObject<IShellDetails> {
 public:
  explicit TShellFolder2ToShellDetailsAdapter(ComPtr<IShellFolder2> folder)
      : TRzComObject(kIidShellDetails), folder_(std::move(folder)) {}

  HRESULT STDMETHODCALLTYPE GetDetailsOf(PCUITEMID_CHILD item, UINT column,
                                         SHELLDETAILS* details) override {
    return ComGuard([&] {
      SHCOLSTATEF state = 0;
      if (SUCCEEDED(folder_->GetDefaultColumnState(column, &state)) &&
          (state & SHCOLSTATE_ONBYDEFAULT) == 0) {
        return E_INVALIDARG;
      }
      return folder_->GetDetailsOf(item, column, details);
    });
  }
  HRESULT STDMETHODCALLTYPE ColumnClick(UINT) override { return E_NOTIMPL; }

 private:
  ComPtr<IShellFolder2> folder_;
};

}  // namespace

ComPtr<IShellDetails> GetShellDetails(IShellFolder* folder) {
  if (!folder) return {};
  auto borrowed = ComPtr<IShellFolder>::AddRefOf(folder);
  if (auto folder2 = borrowed.As<IShellFolder2>(kIidShellFolder2)) {
    SHELLDETAILS details{};
    if (SUCCEEDED(folder2->GetDetailsOf(nullptr, 0, &details))) {
      if (details.str.uType == STRRET_WSTR) CoTaskMemFree(details.str.pOleStr);
      return ComPtr<IShellDetails>(new TShellFolder2ToShellDetailsAdapter(std::move(folder2)));
    }
  }
  if (auto details = borrowed.As<IShellDetails>(kIidShellDetails)) return details;
  void* raw = nullptr;
  if (SUCCEEDED(folder->CreateViewObject(nullptr, kIidShellDetails, &raw)) && raw) {
    return ComPtr<IShellDetails>(static_cast<IShellDetails*>(raw));
  }
  return {};
}

std::string FormatStrPos(std::string_view format, std::span<const std::string> args) {
  if (args.size() > kFormatStrPosMaxArgs) {
    throw Exception("FormatStrPos: Too many substitution strings");
  }
  if (format.empty()) return {};
  // The message functions accept inserts up to %99; a format naming one beyond the strings
  // given reads an empty string instead of memory past the array.
  constexpr std::size_t kMaxInserts = 99;
  std::vector<std::wstring> wide;
  wide.reserve(args.size());
  for (const auto& arg : args) wide.push_back(Wide(arg));
  DWORD_PTR inserts[kMaxInserts];
  for (std::size_t i = 0; i < kMaxInserts; ++i) {
    inserts[i] = reinterpret_cast<DWORD_PTR>(i < wide.size() ? wide[i].c_str() : L"");
  }
  const std::wstring wideFormat = Wide(format);
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ARGUMENT_ARRAY | FORMAT_MESSAGE_ALLOCATE_BUFFER,
      wideFormat.c_str(), 0, 0, reinterpret_cast<LPWSTR>(&buffer), 0,
      reinterpret_cast<va_list*>(inserts));
  std::string result;
  if (length && buffer) result = Narrow(std::wstring_view(buffer, length));
  if (buffer) LocalFree(buffer);
  return result;
}

void RequestDriveListRefresh() {
  if (Layer().driveRefreshSuspended > 0) return;
  TRzPidl computer;
  if (FAILED(SpecialFolderLocation(nullptr, CSIDL_DRIVES, computer))) return;
  TShellFolderPtr desktop = DesktopFolder();
  if (!desktop) return;
  PCUITEMID_CHILD items[] = {AsChild(computer.Get())};
  SFGAOF attributes = SFGAO_VALIDATE;
  desktop->GetAttributesOf(1, items, &attributes);
}

TRzDriveRefreshSuspension::TRzDriveRefreshSuspension() {
  ++Layer().driveRefreshSuspended;
}
TRzDriveRefreshSuspension::~TRzDriveRefreshSuspension() {
  --Layer().driveRefreshSuspended;
}

// ---- TRzIdListArray ----

LPITEMIDLIST TRzIdListArray::Item(int index) {
  last_.Reset();
  if (!list_ || index < 0) return nullptr;
  const int count = ItemCount();
  if (count == 0) {
    if (index == 0) last_ = IdListCopy(nullptr);
    return last_.Get();
  }
  if (index >= count) return nullptr;
  const std::uint8_t* item = IdBytesItem(Bytes(list_), index);
  std::uint16_t cb = 0;
  std::memcpy(&cb, item, sizeof(cb));
  last_ = AllocIdList(cb + 2u, nullptr);
  if (!last_) return nullptr;
  auto* out = reinterpret_cast<std::uint8_t*>(last_.Get());
  std::memcpy(out, item, cb);
  out[cb] = out[cb + 1] = 0;
  return last_.Get();
}

LPITEMIDLIST TRzIdListArray::Ancestor(int levels) {
  last_.Reset();
  const int count = ItemCount();
  if (!list_ || levels < 0 || levels > count) return nullptr;
  const std::size_t bytes = IdBytesPrefixSize(Bytes(list_), count - levels);
  last_ = AllocIdList(bytes + 2, nullptr);
  if (!last_) return nullptr;
  auto* out = reinterpret_cast<std::uint8_t*>(last_.Get());
  std::memcpy(out, list_, bytes);
  out[bytes] = out[bytes + 1] = 0;
  return last_.Get();
}

// ---- TRzPidlList ----

TRzPidlList::~TRzPidlList() {
  Clear();
}

std::size_t TRzPidlList::Checked(int index) const {
  if (index < 0 || index >= Count()) throw Exception("TRzPidlList: index out of range");
  return static_cast<std::size_t>(index);
}

void TRzPidlList::SetCapacity(int capacity) {
  if (capacity > Count()) entries_.reserve(static_cast<std::size_t>(capacity));
}

void TRzPidlList::SetSorted(bool sorted) {
  if (sorted_ == sorted) return;
  sorted_ = sorted;
  if (sorted_) Sort();
}

int TRzPidlList::CompareLists(LPCITEMIDLIST a, LPCITEMIDLIST b) const {
  if (folder_)
    return static_cast<std::int16_t>(folder_->CompareIDs(0, AsRelative(a), AsRelative(b)) & 0xFFFF);
  return CompareIdBytes(Bytes(a), Bytes(b));
}

int TRzPidlList::Search(LPCITEMIDLIST key, bool& found) const {
  found = false;
  int low = 0;
  int high = Count() - 1;
  while (high >= low) {
    const int middle = (low + high) / 2;
    const int c = CompareLists(entries_[static_cast<std::size_t>(middle)].List, key);
    if (c < 0) {
      low = middle + 1;
    } else {
      high = middle - 1;
      if (c == 0) {
        found = true;
        if (duplicates_ != dupAccept) low = middle;
      }
    }
  }
  return low;
}

void TRzPidlList::Sort() {
  std::stable_sort(entries_.begin(), entries_.end(), [this](const Entry& a, const Entry& b) {
    return CompareLists(a.List, b.List) < 0;
  });
}

int TRzPidlList::AddWithData(LPITEMIDLIST list, std::intptr_t data) {
  if (!sorted_) {
    entries_.push_back({list, data});
    return Count() - 1;
  }
  bool found = false;
  const int index = Search(list, found);
  if (found) {
    if (duplicates_ == dupIgnore) return index;
    if (duplicates_ == dupError) throw Exception("TRzPidlList: Duplicate PIDL");
  }
  entries_.insert(entries_.begin() + index, Entry{list, data});
  return index;
}

int TRzPidlList::Find(LPCITEMIDLIST list) const {
  if (sorted_) {
    bool found = false;
    const int index = Search(list, found);
    return found ? index : -1;
  }
  for (int i = 0; i < Count(); ++i) {
    if (CompareLists(entries_[static_cast<std::size_t>(i)].List, list) == 0) return i;
  }
  return -1;
}

void TRzPidlList::Delete(int index) {
  const std::size_t at = Checked(index);
  LPITEMIDLIST list = entries_[at].List;
  entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(at));
  if (allocator_) FreeIdList(list, allocator_);
}

void TRzPidlList::Clear() {
  std::vector<Entry> entries = std::move(entries_);
  entries_.clear();
  if (allocator_) {
    for (const auto& e : entries) FreeIdList(e.List, allocator_);
  }
}

// ---- TRzShellLocator ----

LPCITEMIDLIST TRzShellLocator::IdList() {
  if (mode_ != 0 && !list_) {
    TRzPidl resolved;
    if (SUCCEEDED(SpecialFolderLocation(Application().Handle(), specialFolder_, resolved))) {
      list_ = std::move(resolved);
    }
  }
  return list_.Get();
}

void TRzShellLocator::SetIdList(LPCITEMIDLIST list) {
  TRzPidl stored;
  if (IdListSize(list) > 2) stored = IdListCopy(list);
  const bool wasSpecial = mode_ != 0;
  // A compare the shell could not make counts as no change.
  const int compared = IdListCompare(list_.Get(), stored.Get());
  const bool changed = wasSpecial || (compared != 0 && compared != kIdListCompareFailed);
  list_ = std::move(stored);
  mode_ = 0;
  specialFolder_ = kNoSpecialFolder;
  if (changed) Changed();
}

void TRzShellLocator::SetSpecialFolder(std::uint8_t number) {
  const bool changed = mode_ != 1 || specialFolder_ != number;
  list_.Reset();
  mode_ = 1;
  specialFolder_ = number;
  if (changed) Changed();
}

void TRzShellLocator::SetPath(std::string_view path) {
  TRzPidl parsed;
  if (FAILED(PathToIdList(path, parsed))) parsed.Reset();
  SetIdList(parsed.Get());
}

std::string TRzShellLocator::Path() {
  return IdListToPath(IdList());
}

bool TRzShellLocator::Equals(const TRzShellLocator& other) const {
  if (this == &other) return true;
  if (mode_ != other.mode_) return false;
  if (mode_ != 0) return specialFolder_ == other.specialFolder_;
  return IdListCompare(list_.Get(), other.list_.Get()) == 0;
}

void TRzShellLocator::Assign(const TRzShellLocator* other) {
  if (!other) {
    list_.Reset();
    mode_ = 0;
    specialFolder_ = kNoSpecialFolder;
    Changed();
    return;
  }
  if (Equals(*other)) return;
  mode_ = other->mode_;
  specialFolder_ = other->specialFolder_;
  list_.Reset();
  if (mode_ == 0 && other->list_) list_ = IdListCopy(other->list_.Get());
  Changed();
}

TRzIdBytes TRzShellLocator::WriteData() const {
  TRzLocatorRecord record;
  record.SpecialFolder = mode_ != 0;
  record.Folder = specialFolder_;
  if (mode_ == 0 && list_) {
    const auto bytes = IdListBytes(list_.Get());
    record.List.assign(bytes.begin(), bytes.end());
  }
  return EncodeLocatorRecord(record);
}

bool TRzShellLocator::ReadData(std::span<const std::uint8_t> bytes) {
  const auto record = DecodeLocatorRecord(bytes);
  if (!record) return false;
  if (record->SpecialFolder) {
    SetSpecialFolder(record->Folder);
  } else {
    TRzPidl list = IdListFromBytes(record->List);
    if (!list) return false;
    SetIdList(list.Get());
  }
  return true;
}

void TRzShellLocator::Changed() {
  if (OnChange) OnChange(this);
}

// ---- TRzDeviceChangeHandler ----

TRzDeviceChangeHandler::TRzDeviceChangeHandler() {
  // Device broadcasts reach top-level windows only, so this one is not message-only.
  window_ = std::make_unique<TUtilityWindow>([this](TMessage& m) { return HandleMessage(m); },
                                             TUtilityWindow::TopLevel, L"", this);
}

TRzDeviceChangeHandler::~TRzDeviceChangeHandler() = default;

HWND TRzDeviceChangeHandler::Handle() const {
  return window_ ? window_->Handle() : nullptr;
}

void TRzDeviceChangeHandler::Register(const void* owner, Callback callback) {
  entries_.push_back({owner, std::move(callback), nextId_++});
}

void TRzDeviceChangeHandler::Unregister(const void* owner) {
  auto it = std::find_if(entries_.begin(), entries_.end(),
                         [owner](const Entry& e) { return e.Owner == owner; });
  if (it != entries_.end()) entries_.erase(it);
}

bool TRzDeviceChangeHandler::HandleMessage(TMessage& m) {
  if (m.Msg == WM_DEVICECHANGE) {
    PostMessageW(Handle(), kPostedDeviceChange, m.WParam, m.LParam);
    return false;  // the default procedure answers the system
  }
  if (m.Msg == kPostedDeviceChange) {
    if (active_) Broadcast(m);
    return true;
  }
  return false;
}

void TRzDeviceChangeHandler::Broadcast(TMessage& m) {
  // A listener may unregister itself or others while the broadcast runs: call each one that is
  // still registered, in registration order.
  std::vector<std::uint64_t> ids;
  ids.reserve(entries_.size());
  for (const auto& e : entries_) ids.push_back(e.Id);
  for (const std::uint64_t id : ids) {
    auto it =
        std::find_if(entries_.begin(), entries_.end(), [id](const Entry& e) { return e.Id == id; });
    if (it == entries_.end() || !it->Run) continue;
    Callback run = it->Run;
    try {
      run(this, m);
    } catch (const Exception&) {
      Application().HandleException(this);
    }
  }
}

TRzDeviceChangeHandler& DeviceChangeHandler() {
  auto& s = Layer();
  if (!s.deviceHandler) s.deviceHandler = std::make_unique<TRzDeviceChangeHandler>();
  return *s.deviceHandler;
}

}  // namespace kovra
