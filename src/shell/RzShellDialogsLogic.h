// The open dialog's rules that need no window: its options, the type filter, the typed names
// (splitting, combining with the shown folder, checks), the default extension and the layout
// record a dialog writes to a stream. Free of the Windows API; texts are UTF-8.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kovra {

// ---- Options ----

using TRzOpenSaveOptions = std::uint32_t;
constexpr TRzOpenSaveOptions osoAllowMultiselect = 1u << 0, osoCreatePrompt = 1u << 1,
                             osoExtensionDifferent = 1u << 2, osoFileMustExist = 1u << 3,
                             osoHideReadOnly = 1u << 4, osoNoChangeDir = 1u << 5,
                             osoNoDereferenceLinks = 1u << 6, osoNoReadOnlyReturn = 1u << 7,
                             osoNoTestFileCreate = 1u << 8, osoNoValidate = 1u << 9,
                             osoOverwritePrompt = 1u << 10, osoReadOnly = 1u << 11,
                             osoPathMustExist = 1u << 12, osoShareAware = 1u << 13,
                             osoShowHelp = 1u << 14, osoAllowTree = 1u << 15,
                             osoShowTree = 1u << 16, osoShowHints = 1u << 17,
                             osoHideFoldersInListWhenTreeVisible = 1u << 18, osoOleDrag = 1u << 19,
                             osoOleDrop = 1u << 20, osoShowHidden = 1u << 21,
                             osoFilesCanBeFolders = 1u << 22;
constexpr TRzOpenSaveOptions kAllOpenSaveOptions = (1u << 23) - 1;
constexpr TRzOpenSaveOptions kDefaultOpenDialogOptions = osoHideReadOnly | osoAllowTree |
                                                         osoShowHints | osoOleDrag | osoOleDrop |
                                                         osoShowHidden;  // 0x3A8010

// What the options ask of the window's controls; the window turns it into tree and list option
// bits, leaving the others as they are.
struct TRzOpenSaveControlSettings {
  bool OleDrag = false;
  bool OleDrop = false;
  bool ShowHidden = false;
  bool HideFoldersWhenLinkedToTree = false;  // the list only
  bool FilesCanBeFolders = false;            // the list only
  bool MultiSelect = false;
  bool ReadOnlyBoxVisible = false;
  bool HelpButtonVisible = false;
  bool ShowHint = false;
};
TRzOpenSaveControlSettings ControlSettingsFor(TRzOpenSaveOptions options);

// ---- File types ----

struct TRzFileType {
  std::string Description;
  std::string Mask;
};
// "Text (*.txt)|*.txt|All|*.*": description and mask pairs; a last description without a mask
// gets an empty one. Code points are never split.
std::vector<TRzFileType> ParseFilter(std::string_view filter);
// The extension a mask gives names (".exe" for "*.exe"; the first pattern of "*.a;*.b"); empty
// when the pattern has none or it holds wildcards ("*.*").
std::string MaskExtension(std::string_view mask);

// ---- Typed names ----

// The directory part, up to and including the last '\' or ':'; the name part after it.
std::string_view DirectoryPart(std::string_view path);
std::string_view NamePart(std::string_view path);
// ".txt" for "a\b.txt"; empty when the name part has no dot.
std::string_view ExtensionPart(std::string_view path);
bool HasWildcard(std::string_view name);
// "C:\..." or "\\server\share...": a path that needs no folder to be read against.
bool IsAbsolutePath(std::string_view path);

// Names in the edit: quoted names and runs of unquoted text, blanks between them skipped and
// trailing control characters and blanks trimmed. Spaces inside an unquoted name stay.
std::vector<std::string> SplitQuotedNames(std::string_view text);

// No "/", "<", ">", "|", and no doubled backslash after a leading "\\".
bool IsValidFileNameText(std::string_view text);

// The longest path (UTF-16 units) the window works with.
constexpr std::size_t kMaxDialogPath = 261;
// A typed name made a full path against the shown folder `base`: drive and "\"-rooted names
// are absolute, "\\server\share" names are taken as they are, relative ones walk from the base
// ("..", "..." go up, never above the drive root or the server and share). Empty for an empty
// name; nullopt when base, name or result exceeds kMaxDialogPath.
std::optional<std::string> CombineBaseAndName(std::string_view base, std::string_view name);

// The default-extension decision for `path`. `selectedMask` is null without a selected type;
// `classExists` tells whether HKEY_CLASSES_ROOT has a key for an extension such as ".txt".
struct TRzDefaultExtResult {
  std::string Path;
  std::optional<bool> ExtensionDifferent;  // unset: the option stays as it was
};
TRzDefaultExtResult ApplyDefaultExtension(std::string_view path, std::string_view defaultExt,
                                          const std::string* selectedMask,
                                          const std::function<bool(std::string_view)>& classExists);

// Ascii case folding for the comparisons the window makes on names and paths.
bool SameTextAscii(std::string_view a, std::string_view b);

// ---- Places bar ----

// A places value: a path (string values, environment already expanded) or a special folder.
struct TRzPlaceValue {
  bool IsPath = false;
  std::string Path;
  int SpecialFolder = 0;
};
// The special folders shown when no policy says otherwise: recent documents, desktop,
// documents, my computer, network.
std::vector<TRzPlaceValue> DefaultPlaces();
// The caption of a path place: its name part, or an empty string for a drive ("C:\") whose
// caption the shell gives.
std::string PlacePathCaption(std::string_view path);
constexpr int kPlaceIsPath = 50;  // the special-folder number a path place carries
constexpr int kMaxPlaces = 5;

// ---- Layout record ----

// Little-endian: left, top, width, height (4 bytes each), window state, position (1 byte each);
// a file dialog appends the tree flag (1 byte) and the splitter position (4 bytes).
struct TRzDialogLayout {
  std::int32_t Left = -1, Top = -1, Width = -1, Height = -1;
  std::uint8_t WindowState = 0;  // wsNormal .. wsMaximized
  std::uint8_t Position = 4;     // poDesigned .. poOwnerFormCenter; poScreenCenter
};
struct TRzFileDialogLayout {
  bool ShowTree = false;
  std::int32_t SplitterPos = -1;
};
constexpr std::size_t kDialogLayoutSize = 18;
constexpr std::size_t kFileDialogLayoutSize = 5;
void AppendDialogLayout(std::vector<std::uint8_t>& out, const TRzDialogLayout& layout);
void AppendFileDialogLayout(std::vector<std::uint8_t>& out, const TRzFileDialogLayout& layout);
// Read at `pos`, which moves past the record only on success. A short record or values out of
// range give nullopt and leave `pos` alone.
std::optional<TRzDialogLayout> ReadDialogLayout(std::span<const std::uint8_t> data,
                                                std::size_t& pos);
std::optional<TRzFileDialogLayout> ReadFileDialogLayout(std::span<const std::uint8_t> data,
                                                        std::size_t& pos);

}  // namespace kovra
