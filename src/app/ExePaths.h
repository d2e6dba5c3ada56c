// The paths derived from the executable's own full file name. Free of the Windows API.
#pragma once

#include <string>
#include <string_view>

namespace kovra {

// The folder part, with its trailing backslash: D:\tools\bar.exe gives D:\tools\.
std::string ExeDirOf(std::string_view exeFileName);
// The same path with its last extension replaced by ".ini": D:\tools\bar.exe gives
// D:\tools\bar.ini.
std::string IniPathOf(std::string_view exeFileName);
// The name of the object that one running copy per folder holds: "Local\Kovra-" and a hash of
// the folder, given with its letters upper-cased so that C:\Kovra and c:\kovra\ are one folder.
std::string InstanceNameOf(std::u16string_view upperCaseFolder);

}  // namespace kovra
