// The texts the framed controls and the shell dialogs show, in an English and a Chinese column;
// the user's interface language picks the column. The bar's and the settings window's own
// Chinese texts are not here: they are the same for every user.
//   TRzString     the texts, by name
//   TRzLanguage   the two columns
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace kovra {

enum TRzString : std::uint16_t {
  // Stock button kinds
  rsOk,
  rsCancel,
  rsHelp,
  rsYes,
  rsNo,
  rsClose,
  rsAbort,
  rsRetry,
  rsIgnore,
  rsAll,
  // Colour picker rows
  rsMoreColors,
  rsNoColor,
  rsDefaultColor,
  // Colour names of the picker's palette, in palette order
  rsColorBlack,
  rsColorBrown,
  rsColorOliveGreen,
  rsColorDarkGreen,
  rsColorDarkTeal,
  rsColorDarkBlue,
  rsColorIndigo,
  rsColorGray80,
  rsColorDarkRed,
  rsColorOrange,
  rsColorDarkYellow,
  rsColorGreen,
  rsColorTeal,
  rsColorBlue,
  rsColorBlueGray,
  rsColorGray50,
  rsColorRed,
  rsColorLightOrange,
  rsColorLime,
  rsColorSeaGreen,
  rsColorAqua,
  rsColorLightBlue,
  rsColorViolet,
  rsColorGray40,
  rsColorPink,
  rsColorGold,
  rsColorYellow,
  rsColorBrightGreen,
  rsColorTurquoise,
  rsColorSkyBlue,
  rsColorPlum,
  rsColorGray25,
  rsColorRose,
  rsColorTan,
  rsColorLightYellow,
  rsColorLightGreen,
  rsColorLightTurquoise,
  rsColorPaleBlue,
  rsColorLavender,
  rsColorWhite,
  rsColorScrollBar,
  rsColorBackground,
  rsColorActiveCaption,
  rsColorInactiveCaption,
  rsColorMenu,
  rsColorWindow,
  rsColorWindowFrame,
  rsColorMenuText,
  rsColorWindowText,
  rsColorCaptionText,
  rsColorActiveBorder,
  rsColorInactiveBorder,
  rsColorAppWorkspace,
  rsColorHighlight,
  rsColorHighlightText,
  rsColorButtonFace,
  rsColorButtonShadow,
  rsColorGrayText,
  rsColorButtonText,
  rsColorInactiveCaptionText,
  rsColorButtonHighlight,
  rsColor3DDarkShadow,
  rsColor3DLight,
  rsColorInfoText,
  rsColorInfoBackground,
  rsColorHotLight,
  rsColorGradientActiveCaption,
  rsColorGradientInactiveCaption,
  rsColorMenuHighlight,
  rsColorMenuBar,
  // Open window
  rsOpenCaption,
  rsOpenButton,
  rsLookIn,
  rsFileName,
  rsFilesOfType,
  rsOpenReadOnly,
  rsPlaceRecent,
  rsPlaceDesktop,
  rsPlaceDocuments,
  rsPlaceComputer,
  rsPlaceNetwork,
  rsUpOneLevel,
  rsShowDesktop,
  rsCreateNewFolder,
  rsShowTree,
  rsListHint,
  rsDetailsHint,
  rsMenuView,
  rsMenuLargeIcons,
  rsMenuSmallIcons,
  rsMenuList,
  rsMenuDetails,
  rsMenuPaste,
  rsMenuNew,
  rsMenuFolder,
  rsMenuProperties,
  rsInvalidFileName,
  rsDuplicateName,
  rsReadOnlyExists,
  rsReplaceFile,
  rsFileNotFound,
  rsCreateFile,
  // Folder window
  rsBrowseForFolder,
  rsCreateFolder,
  rsDelete,
  rsDeleteButton,
  // Shell list and folder utilities
  rsColumnName,
  rsColumnSize,
  rsColumnType,
  rsColumnModified,
  rsSystemFolder,
  rsDesktopHasNoParent,
  rsFolderLacksVerb,
  rsNewFolder,
  rsCreateFolderError,
  rsCount
};

enum class TRzLanguage : std::uint8_t { English, Chinese };

// The column for a Windows language identifier: Chinese for every Chinese language (zh-CN,
// zh-SG, zh-TW, zh-HK, zh-MO), English for any other.
TRzLanguage LanguageOfLangId(std::uint16_t langId);
// The text in a given column (free of the Windows API).
std::string_view RzStringIn(TRzString id, TRzLanguage language);

// The column of the user's interface language (GetUserDefaultUILanguage), unless one was chosen.
TRzLanguage RzUiLanguage();
// Chooses the column for this process (tests show the dialogs in each); nullopt goes back to
// the user's.
void SetRzUiLanguage(std::optional<TRzLanguage> language);
// The text in the chosen column; the view stays valid for the whole run.
std::string_view RzLoadStr(TRzString id);

}  // namespace kovra
