// The simulated trading client's journal: one event per line, fields separated by tabs, the
// last field the milliseconds since the program started. Shared by the program that writes it
// and the tests that read it. Free of the Windows API.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kovra::sim {

// Field texts come from other processes: a tab, line break or backslash inside one would break
// the line apart, so they are written as \t, \n, \r and \\.
inline std::string EscapeJournalField(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      default:
        out += c;
    }
  }
  return out;
}

inline std::string UnescapeJournalField(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c != '\\' || i + 1 == text.size()) {
      out += c;
      continue;
    }
    switch (text[++i]) {
      case 't':
        out += '\t';
        break;
      case 'n':
        out += '\n';
        break;
      case 'r':
        out += '\r';
        break;
      default:
        out += text[i];
    }
  }
  return out;
}

// One complete line, newline included: event, the escaped fields, then the time.
inline std::string FormatJournalLine(std::string_view event, const std::vector<std::string>& fields,
                                     int64_t ms) {
  std::string line(event);
  for (const auto& field : fields) {
    line += '\t';
    line += EscapeJournalField(field);
  }
  line += '\t';
  line += std::to_string(ms);
  line += '\n';
  return line;
}

struct JournalEntry {
  std::string event;
  std::vector<std::string> fields;  // unescaped, without the event and the time
  int64_t ms = -1;                  // -1 when the last field is not a time

  // The field at `index`, or an empty text when there is none.
  const std::string& Field(size_t index) const {
    static const std::string kEmpty;
    return index < fields.size() ? fields[index] : kEmpty;
  }
};

// Parses one line (with or without its line break). A line cut short by a writer that is still
// writing has no time and parses with ms = -1.
inline JournalEntry ParseJournalLine(std::string_view line) {
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
  std::vector<std::string_view> parts;
  size_t start = 0;
  for (;;) {
    size_t tab = line.find('\t', start);
    parts.push_back(line.substr(start, tab == std::string_view::npos ? tab : tab - start));
    if (tab == std::string_view::npos) break;
    start = tab + 1;
  }
  JournalEntry entry;
  entry.event = std::string(parts.front());
  size_t last = parts.size();
  if (parts.size() > 1) {
    std::string_view time = parts.back();
    int64_t ms = 0;
    bool digits = !time.empty() && time.size() <= 15;
    for (char c : time) {
      if (c < '0' || c > '9') digits = false;
      if (digits) ms = ms * 10 + (c - '0');
    }
    if (digits) {
      entry.ms = ms;
      --last;
    }
  }
  for (size_t i = 1; i < last; ++i) entry.fields.push_back(UnescapeJournalField(parts[i]));
  return entry;
}

// Parses a whole journal; only complete lines (ending in a line break) count.
inline std::vector<JournalEntry> ParseJournal(std::string_view text) {
  std::vector<JournalEntry> entries;
  size_t start = 0;
  for (size_t nl; (nl = text.find('\n', start)) != std::string_view::npos; start = nl + 1) {
    std::string_view line = text.substr(start, nl - start);
    if (!line.empty() && line != "\r") entries.push_back(ParseJournalLine(line));
  }
  return entries;
}

}  // namespace kovra::sim
