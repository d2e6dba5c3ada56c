#include "framework/runtime/Numbers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <vector>

#include "framework/runtime/Text.h"

namespace kovra {
namespace {

// A finite value as decimal digits: |value| = 0.digits x 10^exponent. No leading or trailing
// zeros in digits; zero has no digits.
struct Decimal {
  bool negative = false;
  std::string digits;
  int exponent = 0;

  bool IsZero() const { return digits.empty(); }
  // The i-th digit after the point of 0.digits; '0' outside the stored digits (either side).
  char DigitAt(int index) const {
    return index >= 0 && index < static_cast<int>(digits.size()) ? digits[index] : '0';
  }
};

void Normalize(Decimal& d) {
  const size_t first = d.digits.find_first_not_of('0');
  if (first == std::string::npos) {
    d.digits.clear();
    d.exponent = 0;
    return;
  }
  d.digits.erase(0, first);
  d.exponent -= static_cast<int>(first);
  d.digits.erase(d.digits.find_last_not_of('0') + 1);
}

// The shortest decimal text that reads back as the value. A value that came from a double (the
// usual case) is taken as that double, so 10.305 is "10.305" and not its 80-bit expansion.
Decimal ToDecimal(long double value) {
  char buf[128];
  std::to_chars_result r;
  const double asDouble = static_cast<double>(value);
  if (std::isfinite(asDouble) && static_cast<long double>(asDouble) == value) {
    r = std::to_chars(buf, buf + sizeof buf, asDouble, std::chars_format::scientific);
  } else {
    r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific);
  }
  const std::string_view text(buf, r.ptr - buf);  // "-d.ddde+xx"
  Decimal d;
  size_t i = 0;
  if (text[i] == '-') d.negative = true, ++i;
  const size_t e = text.find('e');
  for (; i < e; ++i) {
    if (text[i] != '.') d.digits += text[i];
  }
  int exp10 = 0;
  const char* expBegin = text.data() + e + 1;
  if (*expBegin == '+') ++expBegin;
  std::from_chars(expBegin, text.data() + text.size(), exp10);
  d.exponent = exp10 + 1;
  Normalize(d);
  return d;
}

// Keeps `keep` leading digits, rounding half away from zero.
void RoundDigits(Decimal& d, int keep) {
  if (keep >= static_cast<int>(d.digits.size())) return;
  if (keep < 0) {
    d.digits.clear();
    Normalize(d);
    return;
  }
  const bool up = d.digits[keep] >= '5';
  d.digits.resize(keep);
  if (up) {
    int k = keep - 1;
    while (k >= 0 && d.digits[k] == '9') d.digits[k--] = '0';
    if (k >= 0) {
      ++d.digits[k];
    } else {
      d.digits.insert(d.digits.begin(), '1');
      ++d.exponent;
    }
  }
  Normalize(d);
}

void RoundToDecimals(Decimal& d, int decimals) {
  if (!d.IsZero()) RoundDigits(d, d.exponent + decimals);
}

std::string NonFinite(long double value) {
  if (std::isnan(value)) return "NAN";
  return value < 0 ? "-INF" : "INF";
}

std::string GeneralText(long double value, char decimalSeparator) {
  if (!std::isfinite(value)) return NonFinite(value);
  Decimal d = ToDecimal(value);
  RoundDigits(d, 15);
  if (d.IsZero()) return "0";
  std::string out = d.negative ? "-" : "";
  const int n = static_cast<int>(d.digits.size());
  if (d.exponent > 15 || d.exponent < -3) {
    out += d.digits[0];
    if (n > 1) out += decimalSeparator + d.digits.substr(1);
    out += 'E';
    out += std::to_string(d.exponent - 1);
  } else if (d.exponent <= 0) {
    out += '0';
    out += decimalSeparator;
    out.append(-d.exponent, '0');
    out += d.digits;
  } else {
    out += d.digits.substr(0, std::min(n, d.exponent));
    if (n < d.exponent) out.append(d.exponent - n, '0');
    if (n > d.exponent) out += decimalSeparator + d.digits.substr(d.exponent);
  }
  return out;
}

// ---- Display formats ----

// What a format section asks for, from one pass over it.
struct SectionInfo {
  int intPlaces = 0;  // "0" and "#" before the decimal point
  int intZeros = 0;   // integer places from the first "0" on: digits always shown
  int decPlaces = 0;  // places after the point
  int decZeros = 0;   // decimals up to the last "0": always shown
  bool thousands = false;
  bool scientific = false;
  int expZeros = 0;
};

// Calls visit(kind, text) for each element of a section: 'q' literal text (quotes removed),
// '0'/'#' a digit place, '.' the decimal point, ',' the thousands flag, 'E' an exponent marker
// with its sign and zeros ("E+00").
template <typename Visit>
void ScanSection(std::string_view s, Visit&& visit) {
  bool seenPoint = false, seenExp = false;
  for (size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    if (c == '"' || c == '\'') {
      const size_t close = s.find(c, i + 1);
      const size_t end = close == std::string_view::npos ? s.size() : close;
      visit('q', s.substr(i + 1, end - i - 1));
      i = end;
    } else if ((c == 'E' || c == 'e') && !seenExp && i + 1 < s.size() &&
               (s[i + 1] == '+' || s[i + 1] == '-')) {
      size_t zeros = 0;
      while (i + 2 + zeros < s.size() && s[i + 2 + zeros] == '0') ++zeros;
      visit('E', s.substr(i, 2 + zeros));
      seenExp = true;
      i += 1 + zeros;
    } else if ((c == '0' || c == '#') && !seenExp) {
      visit(c, s.substr(i, 1));
    } else if (c == '.' && !seenPoint && !seenExp) {
      seenPoint = true;
      visit('.', s.substr(i, 1));
    } else if (c == ',') {
      visit(',', s.substr(i, 1));
    } else {
      visit('q', s.substr(i, 1));
    }
  }
}

SectionInfo Analyze(std::string_view section) {
  SectionInfo info;
  bool afterPoint = false;
  bool firstZeroSeen = false;
  ScanSection(section, [&](char kind, std::string_view text) {
    switch (kind) {
      case '0':
      case '#':
        if (afterPoint) {
          ++info.decPlaces;
          if (kind == '0') info.decZeros = info.decPlaces;
        } else {
          ++info.intPlaces;
          if (kind == '0') firstZeroSeen = true;
          if (firstZeroSeen) ++info.intZeros;
        }
        break;
      case '.':
        afterPoint = true;
        break;
      case ',':
        if (!afterPoint) info.thousands = true;
        break;
      case 'E':
        info.scientific = true;
        info.expZeros = std::min<int>(static_cast<int>(text.size()) - 2, 4);
        break;
    }
  });
  return info;
}

// Integer digits written into the integer places: right-aligned, any surplus at the first place.
class IntegerWriter {
 public:
  IntegerWriter(std::string digits, int places, bool thousands, char separator)
      : digits_(std::move(digits)), places_(places), thousands_(thousands), sep_(separator) {}

  void Place(std::string& out) {
    const int index = static_cast<int>(digits_.size()) - places_ + placed_;
    const int from = placed_ == 0 ? 0 : index;
    ++placed_;
    for (int i = std::max(from, 0); i <= index; ++i) Digit(out, i);
  }
  // All digits at once, for a section with no integer places.
  void All(std::string& out) {
    for (int i = 0; i < static_cast<int>(digits_.size()); ++i) Digit(out, i);
  }

 private:
  void Digit(std::string& out, int i) {
    out += digits_[i];
    const int rest = static_cast<int>(digits_.size()) - 1 - i;
    if (thousands_ && rest > 0 && rest % 3 == 0) out += sep_;
  }

  std::string digits_;
  int places_;
  bool thousands_;
  char sep_;
  int placed_ = 0;
};

int MantissaIntegerDigits(const SectionInfo& info) {
  return std::max(info.intPlaces, 1);
}

void RoundForSection(Decimal& d, const SectionInfo& info) {
  if (info.scientific) {
    RoundDigits(d, MantissaIntegerDigits(info) + info.decPlaces);
  } else {
    RoundToDecimals(d, info.decPlaces);
  }
}

// Writes a rounded, non-negative value through a section.
std::string Render(std::string_view section, const SectionInfo& info, const Decimal& d, bool minus,
                   const TFormatSettings& fs) {
  const int intCount = info.scientific ? MantissaIntegerDigits(info) : std::max(d.exponent, 0);
  std::string integer;
  for (int i = 0; i < intCount; ++i) integer += d.DigitAt(i);
  if (static_cast<int>(integer.size()) < info.intZeros) {
    integer.insert(0, info.intZeros - integer.size(), '0');
  }
  const int fracStart = info.scientific ? intCount : d.exponent;
  std::string fraction;
  for (int k = 0; k < info.decPlaces; ++k) fraction += d.DigitAt(fracStart + k);
  int shownDecimals = info.decPlaces;
  while (shownDecimals > info.decZeros && fraction[shownDecimals - 1] == '0') --shownDecimals;
  const int exponent = d.IsZero() ? 0 : d.exponent - intCount;

  std::string out = minus ? "-" : "";
  IntegerWriter writer(integer, info.intPlaces, info.thousands && !info.scientific,
                       fs.ThousandSeparator);
  bool afterPoint = false;
  int decimal = 0;
  ScanSection(section, [&](char kind, std::string_view text) {
    switch (kind) {
      case '0':
      case '#':
        if (!afterPoint) {
          writer.Place(out);
        } else if (decimal < shownDecimals) {
          out += fraction[decimal++];
        }
        break;
      case '.':
        afterPoint = true;
        if (info.intPlaces == 0) writer.All(out);
        if (shownDecimals > 0) out += fs.DecimalSeparator;
        break;
      case ',':
        break;
      case 'E': {
        out += text[0];
        if (exponent < 0) {
          out += '-';
        } else if (text[1] == '+') {
          out += '+';
        }
        const std::string digits = std::to_string(exponent < 0 ? -exponent : exponent);
        if (static_cast<int>(digits.size()) < info.expZeros) {
          out.append(info.expZeros - digits.size(), '0');
        }
        out += digits;
        break;
      }
      default:
        out += text;
    }
  });
  return out;
}

// Splits at ';' outside quotes; at most three sections count.
std::vector<std::string_view> SplitSections(std::string_view format) {
  std::vector<std::string_view> sections;
  size_t start = 0;
  char quote = 0;
  for (size_t i = 0; i <= format.size(); ++i) {
    const char c = i < format.size() ? format[i] : ';';
    if (quote != 0) {
      if (c == quote) quote = 0;
      if (i < format.size()) continue;
    } else if (c == '"' || c == '\'') {
      quote = c;
      continue;
    }
    if (c == ';' || i == format.size()) {
      sections.push_back(format.substr(start, i - start));
      start = i + 1;
      if (sections.size() == 3) break;
    }
  }
  return sections;
}

// Whether a number in from_chars' grammar ("ddd.ddde-ddd") lies below 1 in magnitude: its
// decimal exponent, computed without overflow, is negative.
bool IsTiny(std::string_view number) {
  const size_t e = number.find('e');
  const std::string_view mantissa = number.substr(0, e);
  const size_t point = std::min(mantissa.find('.'), mantissa.size());
  const size_t first = mantissa.find_first_of("123456789");
  if (first == std::string_view::npos) return true;
  long long magnitude = first < point ? static_cast<long long>(point - first)
                                      : -static_cast<long long>(first - point - 1);
  if (e != std::string_view::npos) {
    std::string_view exp = number.substr(e + 1);
    const bool negative = !exp.empty() && exp[0] == '-';
    if (negative) exp.remove_prefix(1);
    long long value = 0;
    for (const char c : exp) value = std::min(value * 10 + (c - '0'), 1'000'000'000LL);
    magnitude += negative ? -value : value;
  }
  return magnitude <= 0;
}

// Date and time fields, each written with at least `width` digits.
void AppendNumber(std::string& out, int value, int width) {
  const std::string digits = std::to_string(value < 0 ? -value : value);
  if (value < 0) out += '-';
  if (static_cast<int>(digits.size()) < width) out.append(width - digits.size(), '0');
  out += digits;
}

}  // namespace

TFormatSettings& FormatSettings() {
  static TFormatSettings settings;
  return settings;
}

std::string FormatFloat(std::string_view format, long double value, const TFormatSettings& fs) {
  if (!std::isfinite(value)) return NonFinite(value);
  const std::vector<std::string_view> sections = SplitSections(format);
  const auto has = [&](size_t i) { return i < sections.size() && !sections[i].empty(); };
  size_t index = value < 0 && has(1) ? 1 : 0;
  if (!has(index)) return GeneralText(value, fs.DecimalSeparator);

  Decimal d = ToDecimal(value);
  const bool negative = d.negative;
  d.negative = false;
  SectionInfo info = Analyze(sections[index]);
  // Fixed formats of huge values would spell out hundreds of digits.
  if (!info.scientific && d.exponent > 18) return GeneralText(value, fs.DecimalSeparator);
  RoundForSection(d, info);
  if (d.IsZero()) {
    // Whatever rounds to zero is shown as zero: no "-0.00" and no "(0)".
    index = has(2) ? 2 : 0;
    info = Analyze(sections[index]);
    return Render(sections[index], info, Decimal{}, false, fs);
  }
  return Render(sections[index], info, d, negative && index == 0, fs);
}

std::string FloatToStr(long double value) {
  return GeneralText(value, '.');
}

std::string FormatFixed(long double value, int decimals) {
  if (!std::isfinite(value)) return NonFinite(value);
  decimals = std::clamp(decimals, 0, 18);
  Decimal d = ToDecimal(value);
  RoundToDecimals(d, decimals);
  std::string out = d.negative && !d.IsZero() ? "-" : "";
  if (d.exponent <= 0 || d.IsZero()) out += '0';
  for (int i = 0; i < d.exponent; ++i) out += d.DigitAt(i);
  if (decimals > 0) out += '.';
  for (int k = 0; k < decimals; ++k) out += d.DigitAt(d.exponent + k);
  return out;
}

std::string IntToStr(int64_t value) {
  char buf[24];
  const auto r = std::to_chars(buf, buf + sizeof buf, value);
  return std::string(buf, r.ptr);
}

std::optional<int64_t> TryStrToInt64(std::string_view text) {
  text = Trim(text);
  bool negative = false;
  if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return std::nullopt;
  uint64_t magnitude = 0;
  const uint64_t limit = negative ? uint64_t{1} << 63 : (uint64_t{1} << 63) - 1;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    const unsigned digit = c - '0';
    if (magnitude > (limit - digit) / 10) return std::nullopt;
    magnitude = magnitude * 10 + digit;
  }
  return negative ? static_cast<int64_t>(0 - magnitude) : static_cast<int64_t>(magnitude);
}

std::optional<int64_t> TryHexToInt64(std::string_view digits) {
  if (digits.empty()) return std::nullopt;
  uint64_t value = 0;
  for (const char c : digits) {
    unsigned digit;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else if (c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    } else {
      return std::nullopt;
    }
    if (value >> 60 != 0) return std::nullopt;
    value = value << 4 | digit;
  }
  return static_cast<int64_t>(value);
}

std::optional<long double> TryStrToFloat(std::string_view text, const TFormatSettings& fs) {
  text = Trim(text);
  std::string normal;  // the number in from_chars' grammar
  size_t i = 0;
  const auto digitsAt = [&](size_t k) {
    size_t n = 0;
    while (k + n < text.size() && text[k + n] >= '0' && text[k + n] <= '9') ++n;
    return n;
  };
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  const size_t intDigits = digitsAt(i);
  normal.append(text.substr(i, intDigits));
  i += intDigits;
  size_t fracDigits = 0;
  if (i < text.size() && text[i] == fs.DecimalSeparator) {
    fracDigits = digitsAt(++i);
    normal += '.';
    normal.append(text.substr(i, fracDigits));
    i += fracDigits;
  }
  if (intDigits + fracDigits == 0) return std::nullopt;
  if (i < text.size() && (text[i] == 'E' || text[i] == 'e')) {
    normal += 'e';
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
      if (text[i] == '-') normal += '-';
      ++i;
    }
    const size_t expDigits = digitsAt(i);
    if (expDigits == 0) return std::nullopt;
    normal.append(text.substr(i, expDigits));
    i += expDigits;
  }
  if (i != text.size()) return std::nullopt;

  double value = 0;
  const auto r = std::from_chars(normal.data(), normal.data() + normal.size(), value,
                                 std::chars_format::general);
  if (r.ec == std::errc::result_out_of_range) {
    // Too small to represent is zero; too large does not convert.
    if (!IsTiny(normal)) return std::nullopt;
    value = 0;
  } else if (r.ec != std::errc() || r.ptr != normal.data() + normal.size()) {
    return std::nullopt;
  }
  return negative ? -static_cast<long double>(value) : static_cast<long double>(value);
}

std::string FormatDateTime(std::string_view format, int year, int month, int day, int hour,
                           int minute, int second) {
  std::string out;
  bool afterHour = false;  // "m" right after an hour field means minutes
  for (size_t i = 0; i < format.size();) {
    const char c = format[i];
    const char lower = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    size_t run = 1;
    while (i + run < format.size() && (format[i + run] | 0x20) == lower && lower >= 'a' &&
           lower <= 'z') {
      ++run;
    }
    switch (lower) {
      case 'y':
        if (run <= 2) {
          AppendNumber(out, year % 100, 2);
        } else {
          AppendNumber(out, year, 4);
        }
        break;
      case 'm':
        AppendNumber(out, afterHour ? minute : month, run >= 2 ? 2 : 1);
        break;
      case 'd':
        AppendNumber(out, day, run >= 2 ? 2 : 1);
        break;
      case 'h':
        AppendNumber(out, hour, run >= 2 ? 2 : 1);
        afterHour = true;
        i += run;
        continue;
      case 'n':
        AppendNumber(out, minute, run >= 2 ? 2 : 1);
        break;
      case 's':
        AppendNumber(out, second, run >= 2 ? 2 : 1);
        break;
      case '"':
      case '\'': {
        const size_t close = format.find(c, i + 1);
        const size_t end = close == std::string_view::npos ? format.size() : close;
        out.append(format.substr(i + 1, end - i - 1));
        i = end + 1;
        continue;
      }
      case '/':
        out += FormatSettings().DateSeparator;
        run = 1;
        break;
      default:
        out.append(format.substr(i, run));
        i += run;
        continue;  // literals keep an hour's claim on a following "m"
    }
    afterHour = false;
    i += run;
  }
  return out;
}

}  // namespace kovra
