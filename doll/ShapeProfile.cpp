#include "ShapeProfile.h"

#include "Doll.h"

DollProfile ShapeProfileOf(const TBmpRegion& shape, const std::string& fileName) {
  // Checked before any row is read, so that a short picture cannot leave the profile half
  // new and half old.
  if (shape.Width < ShapeWidth || shape.Height < ShapeHeight)
    throw EImageSizeError(fileName, shape.Width, shape.Height, ShapeWidth, ShapeHeight);

  DollProfile profile{};
  for (int i = 0; i < ShapeHeight; ++i) {
    const auto* row = reinterpret_cast<const Pixel24*>(shape.Picture.constScanLine(i));
    profile[i] = 0;
    for (int x = 0; x < ShapeWidth; ++x) {
      if (SameColour(row[x], FrameColour)) break;
      ++profile[i];
    }
  }
  return profile;
}

DollProfile ReadShapeProfile(const std::string& fileName) {
  return ShapeProfileOf(ReadBmpRegion(fileName, ShapeWidth, ShapeHeight), fileName);
}

void TestOpenability(TDoll& doll) {
  const DollProfile& p = doll.View.DisplayedProfile;
  // Rising part: start is where the widest radius is first reached, end the row before the
  // first narrower row.
  int level = 0;
  int start = 0;
  int end = DollRows - 1;
  for (int i = 0; i < DollRows; ++i) {
    if (p[i] > level) {
      level = p[i];
      start = i;
    } else if (p[i] < level) {
      end = i - 1;
      break;
    }
  }
  // Falling part: any widening after that is a neck.
  for (int i = end; i < DollRows; ++i) {
    if (p[i] > level) {
      doll.Openable = false;
      return;
    }
    if (p[i] < level) level = p[i];
  }
  doll.Openable = true;
  doll.SplitRow = (start + end) / 2;
}

void SetCurrentProfile(TDoll& doll, const DollProfile& profile) {
  doll.CurrentProfile = profile;
}

bool IsOpenable(const TDoll& doll) {
  return doll.Openable;
}
