// The vocabulary shared by the framed controls: frame styles, sides, visual and gradient looks.
// Free of the Windows API, so the colour math and the frame controller build natively too.
#pragma once

#include <cstdint>
#include <initializer_list>

#include "framework/runtime/Colors.h"

namespace kovra {

enum TFrameStyleEx : std::uint8_t {
  fsNone,
  fsFlat,
  fsGroove,
  fsBump,
  fsLowered,
  fsButtonDown,
  fsRaised,
  fsButtonUp,
  fsStatus,
  fsPopup,
  fsFlatBold,
  fsFlatRounded
};
// The subrange fsNone..fsFlatBold: what a single frame routine can paint.
using TFrameStyle = TFrameStyleEx;
constexpr bool IsFrameStyle(TFrameStyleEx style) {
  return style <= fsFlatBold;
}

enum TSide : std::uint8_t { sdLeft, sdTop, sdRight, sdBottom };

// A set of sides: bit 0 left, bit 1 top, bit 2 right, bit 3 bottom.
class TSides {
 public:
  constexpr TSides() = default;
  constexpr explicit TSides(std::uint8_t bits) : bits_(bits & 0x0F) {}
  constexpr TSides(std::initializer_list<TSide> sides) {
    for (TSide s : sides) bits_ |= static_cast<std::uint8_t>(1u << s);
  }
  static constexpr TSides All() { return TSides(0x0F); }
  static constexpr TSides Empty() { return TSides(); }

  constexpr bool Contains(TSide s) const { return (bits_ >> s) & 1u; }
  constexpr bool IsEmpty() const { return bits_ == 0; }
  constexpr std::uint8_t Bits() const { return bits_; }
  constexpr TSides With(TSide s) const { return TSides(bits_ | (1u << s)); }
  constexpr TSides Without(TSide s) const { return TSides(bits_ & ~(1u << s)); }
  friend constexpr bool operator==(TSides, TSides) = default;

 private:
  std::uint8_t bits_ = 0;
};
constexpr TSides kAllSides = TSides::All();

enum TRzVisualStyle : std::uint8_t { vsClassic, vsWinXP, vsGradient };
enum TRzGradientColorStyle : std::uint8_t { gcsSystem, gcsMSOffice, gcsCustom };
enum TGradientDirection : std::uint8_t {
  gdDiagonalUp,
  gdDiagonalDown,
  gdHorizontalEnd,
  gdHorizontalCenter,
  gdHorizontalBox,
  gdVerticalEnd,
  gdVerticalCenter,
  gdVerticalBox,
  gdSquareBox,
  gdBigSquareBox
};
enum TAlignmentVertical : std::uint8_t { avTop, avCenter, avBottom };
enum TTextStyle : std::uint8_t { tsNormal, tsRaised, tsRecessed, tsShadow };
enum TOrientation : std::uint8_t { orHorizontal, orVertical };
enum TFramingPreference : std::uint8_t { fpCustomFraming, fpXPThemes };
enum TRzHotTrackColorType : std::uint8_t { htctComplement, htctActual };
enum TRzButtonHotTrackStyle : std::uint8_t { htsInterior, htsFrame };
enum TRzGroupBarGradientPath : std::uint8_t { gpTopToBottom, gpBottomToTop };

}  // namespace kovra
