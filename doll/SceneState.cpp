#include "SceneState.h"

DollProfile DisplayedProfile{};
RowBounds Left{};
RowBounds Right{};
DollProfile CurrentProfile{};
DollProfile InnerProfile{};
ColumnMapTable ColumnMap{};

std::int32_t RotationOffset = 0;
std::int32_t ShadeLevel = 0;
const float InnerScale = 0.8f;
bool Openable = false;
std::int32_t SplitRow = 0;
std::int32_t OpenProgress = 200;
std::string Direction = DirectionClockwise;

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
