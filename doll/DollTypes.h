// The doll's sizes and the types its state is made of: profiles, row bounds and the table of
// texture stretches per view pixel.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "framework/TavoBmp.h"

inline constexpr int DollRows = 200;            // rows of a profile, a view and the texture
inline constexpr int ViewSize = 200;            // a view is ViewSize × ViewSize pixels
inline constexpr int MaxRadius = 100;           // radii are 0..MaxRadius
inline constexpr int TextureColumns = 250;      // one full turn of the doll
inline constexpr int ShadeLevels = 6;           // ShadeLevel runs 0..5
inline constexpr int OpenProgressAtRest = 200;  // OpenProgress when no opening is under way

// The texture image in the doll's folder; the shape image's name is in ShapeProfile.h.
inline const std::string TextureFileName = "テクスチャ.bmp";

// The doll's radius in pixels on each row, row 0 at the top; 0..100.
using DollProfile = std::array<std::int32_t, DollRows>;

// One side of the columns a row covers: Left[i] = 100 − r[i], Right[i] = r[i] + 99.
using RowBounds = std::array<std::int32_t, DollRows>;

// What one view pixel sees of the texture: the stretch of columns First..Last (before
// rotation) less FirstTrim of the first and LastTrim of the last, its Width, and its Light.
struct ColumnSpan {
  std::int32_t First;
  std::int32_t Last;
  float FirstTrim;
  float LastTrim;
  float Width;
  float Light;
};

using ColumnSpanRow = std::array<ColumnSpan, ViewSize>;

// The 200 × 200 table of spans, row by row. It also remembers, for each row, the radius
// whose spans BuildColumnMap last copied into it, so that the renderer may use tables worked
// out per radius. Any writable access to a row forgets that: a row changed by other hands
// is read as it stands.
class TColumnMap {
 public:
  ColumnSpanRow& operator[](int y) {
    FBuilt.at(static_cast<std::size_t>(y)) = BuiltFrom{};
    return FRows.at(static_cast<std::size_t>(y));
  }
  const ColumnSpanRow& operator[](int y) const { return FRows.at(static_cast<std::size_t>(y)); }
  std::size_t size() const { return FRows.size(); }
  ColumnSpanRow* begin() {
    FBuilt.fill(BuiltFrom{});
    return FRows.begin();
  }
  ColumnSpanRow* end() { return FRows.end(); }
  const ColumnSpanRow* begin() const { return FRows.begin(); }
  const ColumnSpanRow* end() const { return FRows.end(); }

  // Copies columns first..last of a radius's spans into row y and remembers the radius.
  void CopyRadiusSpans(int y, int first, int last, const ColumnSpanRow& spans, int radius);
  // The radius whose spans row y holds untouched in columns first..last, or NotBuilt.
  int BuiltRadius(int y, int first, int last) const;

  static constexpr int NotBuilt = -1;

 private:
  struct BuiltFrom {
    int Radius = NotBuilt;
    int First = 0;
    int Last = -1;
  };
  std::array<ColumnSpanRow, DollRows> FRows{};
  std::array<BuiltFrom, DollRows> FBuilt{};
};

// Turning directions, compared byte for byte.
inline const std::string DirectionClockwise = "右回り";
inline const std::string DirectionCounterClockwise = "左回り";

// The nested doll's size: the float nearest 0.8.
inline constexpr float InnerScale = 0.8f;
