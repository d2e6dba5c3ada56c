// The program's version (the latest tag, or 0.0.0-<commit>) and the "--version" answer.
#pragma once

#include <string>
#include <string_view>

namespace kovra {

std::string_view KovraVersion();
// "Kovra " and the version.
std::string KovraVersionLine();

// Whether the command line after the program's name asks only for the version.
bool AsksForVersion(std::wstring_view arguments);
// Writes the version line to standard output, to the console the program was started from, or,
// with neither, shows it in a message box.
void ReportVersion();

}  // namespace kovra
