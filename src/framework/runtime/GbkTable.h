// The two-byte half of code page 936. GbkTable.cpp is generated; to regenerate it run
//   python3 scripts/gen-gbk-table.py > src/framework/runtime/GbkTable.cpp
// and check it against the system's converter with the CodePage936 tests under Wine.
#pragma once

namespace kovra::gbk {

inline constexpr unsigned kLeadFirst = 0x81, kLeadLast = 0xFE;
inline constexpr unsigned kTrailFirst = 0x40, kTrailLast = 0xFE;  // 0x7F is never a trail byte
inline constexpr unsigned kLeadCount = kLeadLast - kLeadFirst + 1;
inline constexpr unsigned kTrailCount = kTrailLast - kTrailFirst + 1;

// kDoubleByte[lead - kLeadFirst][trail - kTrailFirst]: the character, 0 where there is none.
extern const char16_t kDoubleByte[kLeadCount][kTrailCount];

}  // namespace kovra::gbk
