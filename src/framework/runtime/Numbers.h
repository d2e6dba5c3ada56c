// Numbers and dates as text, always with the program's own format settings ("." as decimal
// separator whatever the regional settings say); never touches the C locale.
//
// TFormatSettings / FormatSettings   the process-wide separators and date formats
// FormatFloat                        display formats with "0", "#", ",", ".", "E+" and sections
// FloatToStr, FormatFixed, IntToStr  plain number texts
// TryStrToInt64, TryHexToInt64, TryStrToFloat   text to number, nullopt when it does not convert
// FormatDateTime                     "yyyy-mm-dd hh:nn:ss" style formats
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kovra {

struct TFormatSettings {
  char DecimalSeparator = '.';
  char ThousandSeparator = ',';
  char DateSeparator = '-';
  std::string ShortDateFormat = "yyyy-mm-dd";
  std::string ShortTimeFormat = "hh:nn:ss";
};

// The settings every conversion uses unless given others; the user-interface thread owns them.
TFormatSettings& FormatSettings();

// Up to three sections separated by ';' (positive, negative, zero). A value that rounds to zero
// at the shown decimals counts as zero (no "-0.00"). Quoted text ('...' or "...") is copied as
// is. An empty format, or a fixed format for a value of 1E18 and above, gives FloatToStr.
std::string FormatFloat(std::string_view format, long double value,
                        const TFormatSettings& fs = FormatSettings());

// Shortest general form with up to 15 significant digits: "3", "2.5", "0.0001", "1E20", "1.5E-7".
std::string FloatToStr(long double value);

// Fixed decimals, halves rounded away from zero on the value's shortest decimal form, so that
// 10.305 gives "10.31" although its binary value lies just below.
std::string FormatFixed(long double value, int decimals);

std::string IntToStr(int64_t value);

// Decimal with an optional sign; blanks around the number allowed; overflow gives nullopt.
std::optional<int64_t> TryStrToInt64(std::string_view text);
// Hexadecimal digits only (no prefix, sign or blanks), at most 64 bits; 16 digits give the
// two's-complement value ("FFFFFFFFFFFFFFFF" is -1).
std::optional<int64_t> TryHexToInt64(std::string_view digits);
// Optional sign, digits with the settings' decimal separator, optional exponent; blanks around
// allowed, nothing else (no thousands separators). Beyond the double range gives nullopt.
std::optional<long double> TryStrToFloat(std::string_view text,
                                         const TFormatSettings& fs = FormatSettings());

// yyyy, yy, mm, m, dd, d, hh, h, nn, n, ss, s; "m"/"mm" right after an hour means minutes;
// "/" is the date separator; quoted text and other characters are copied.
std::string FormatDateTime(std::string_view format, int year, int month, int day, int hour,
                           int minute, int second);

}  // namespace kovra
