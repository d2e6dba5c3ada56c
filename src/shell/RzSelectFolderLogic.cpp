// Path shortening and option mapping of the folder selection window.
#include "shell/RzSelectFolderLogic.h"

namespace kovra {

namespace {

constexpr TRzShellTreeOptions kMappedTreeOptions = stoContextMenus | stoIncludeNonFolders |
                                                   stoOleDrag | stoOleDrop | stoVirtualFolders |
                                                   stoShowHidden;

constexpr std::string_view kEllipsisDir = "...\\";
constexpr std::string_view kRootedEllipsisDir = "\\...\\";

// Drops the first directory of a directory part ("\a\b\" -> "\...\b\", "...\b\" -> "...\").
void CutFirstDirectory(std::string& dir) {
  if (dir == "\\") {
    dir.clear();
    return;
  }
  const bool rooted = !dir.empty() && dir.front() == '\\';
  if (rooted) dir.erase(0, 1);
  if (dir.starts_with(kEllipsisDir)) dir.erase(0, kEllipsisDir.size());
  const size_t slash = dir.find('\\');
  if (slash == std::string::npos) {
    dir.clear();
  } else {
    dir.erase(0, slash + 1);
    dir.insert(0, kEllipsisDir);
  }
  if (rooted) dir.insert(0, 1, '\\');
}

}  // namespace

TRzShellTreeOptions SelectFolderTreeOptions(TRzSelectFolderDialogOptions options,
                                            TRzShellTreeOptions treeOptions) {
  TRzShellTreeOptions mapped = 0;
  if (options & sfdoContextMenus) mapped |= stoContextMenus;
  if (options & sfdoIncludeNonFolders) mapped |= stoIncludeNonFolders;
  if (options & sfdoOleDrag) mapped |= stoOleDrag;
  if (options & sfdoOleDrop) mapped |= stoOleDrop;
  if (options & sfdoVirtualFolders) mapped |= stoVirtualFolders;
  if (options & sfdoShowHidden) mapped |= stoShowHidden;
  return static_cast<TRzShellTreeOptions>((treeOptions & ~kMappedTreeOptions) | mapped);
}

TRzSelectFolderButtonLooks SelectFolderButtonLooks(TRzSelectFolderDialogOptions options) {
  TRzSelectFolderButtonLooks looks;
  looks.Visible = (options & sfdoCreateDeleteButtons) != 0;
  const bool createIcon = (options & sfdoCreateFolderIcon) != 0;
  const bool deleteIcon = (options & sfdoDeleteFolderIcon) != 0;
  looks.Flat = createIcon && deleteIcon;
  if (createIcon) {
    looks.CreateImage = 0;
    looks.CreateDisabledImage = 1;
  }
  if (deleteIcon) {
    looks.DeleteImage = 2;
    looks.DeleteDisabledImage = 3;
  }
  return looks;
}

TRzSelectFolderButtonStates SelectFolderButtonStates(std::string_view path, bool isRootNode) {
  TRzSelectFolderButtonStates states;
  states.CreateEnabled = !path.empty();
  states.DeleteEnabled = !path.empty() && !isRootNode;
  return states;
}

std::string ShortenFolderPath(std::string_view path, int maxWidth, const TRzTextWidth& width) {
  std::string drive;
  std::string_view rest = path;
  if (path.size() >= 2 && path[1] == ':') {
    drive.assign(path.substr(0, 2));
    rest.remove_prefix(2);
  }
  const size_t lastSlash = rest.rfind('\\');
  std::string dir(lastSlash == std::string_view::npos ? std::string_view()
                                                      : rest.substr(0, lastSlash + 1));
  const std::string_view name =
      lastSlash == std::string_view::npos ? rest : rest.substr(lastSlash + 1);

  std::string result(path);
  // Every step shortens the directory part once it carries an ellipsis, so the loop ends well
  // within this bound; the bound stands guard against a measure that misbehaves.
  size_t stepsLeft = 2 * path.size() + 8;
  while ((!dir.empty() || !drive.empty()) && stepsLeft-- > 0 && width(result) > maxWidth) {
    if (dir == kRootedEllipsisDir) {
      drive.clear();
      dir.assign(kEllipsisDir);
    } else if (dir.empty()) {
      drive.clear();
    } else {
      CutFirstDirectory(dir);
    }
    result = drive;
    result += dir;
    result += name;
  }
  return result;
}

}  // namespace kovra
