#include "SceneState.h"

#include <cstring>

void TColumnMap::CopyRadiusSpans(int y, int first, int last, const ColumnSpanRow& spans,
                                 int radius) {
  CheckIndex(first, ViewSize);
  CheckIndex(last, ViewSize);
  ColumnSpanRow& row = FRows.at(static_cast<std::size_t>(y));
  if (first <= last)
    std::memcpy(&row[first], &spans[first], (last - first + 1) * sizeof(ColumnSpan));
  FBuilt[y] = BuiltFrom{radius, first, last};
}

int TColumnMap::BuiltRadius(int y, int first, int last) const {
  const BuiltFrom& built = FBuilt.at(static_cast<std::size_t>(y));
  return first >= built.First && last <= built.Last ? built.Radius : NotBuilt;
}

DollProfile DisplayedProfile{};
RowBounds Left{};
RowBounds Right{};
DollProfile CurrentProfile{};
DollProfile InnerProfile{};
TColumnMap ColumnMap;

std::int32_t RotationOffset = 0;
std::int32_t ShadeLevel = 0;
const float InnerScale = 0.8f;
bool Openable = false;
std::int32_t SplitRow = 0;
std::int32_t OpenProgress = OpenProgressAtRest;
std::string Direction = DirectionClockwise;
std::int32_t DollLevel = 1;
std::int32_t CloseProgress = OpenProgressAtRest;

StreakSet StreaksLeft{};
StreakSet StreaksRight{};

std::unique_ptr<TTavoBitmap> FrontView;
std::unique_ptr<TTavoBitmap> BackView;
std::unique_ptr<TTavoBitmap> Texture;
std::unique_ptr<TTavoBitmap> SaveSheet;
std::unique_ptr<TTavoBitmap> BackdropLeft;
std::unique_ptr<TTavoBitmap> BackdropRight;
std::unique_ptr<TTavoBitmap> FrameLeft;
std::unique_ptr<TTavoBitmap> FrameRight;
std::unique_ptr<TTavoBitmap> InnerTexture;
std::unique_ptr<TTavoBitmap> TextureCopy;
