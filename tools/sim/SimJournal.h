// Appends the trading client's events to its journal file, each line written whole and at once
// so that a test reading the file while the program runs never waits for a buffer.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace kovra::sim {

class Journal {
 public:
  Journal() = default;
  ~Journal();
  Journal(const Journal&) = delete;
  Journal& operator=(const Journal&) = delete;

  // Opens (or creates) the file for appending; an empty path keeps no journal.
  bool Open(std::string_view utf8Path);
  void Write(std::string_view event, const std::vector<std::string>& fields);

 private:
  HANDLE file_ = INVALID_HANDLE_VALUE;
};

}  // namespace kovra::sim
