// The doll's outline, read from the shape image, and whether that outline can open.
#pragma once

#include <string>

#include "DollTypes.h"
#include "pictures/BmpRegion.h"

// The shape image in the doll's folder.
inline const std::string ShapeFileName = "シェイプ.bmp";
// Only this much of the shape image is read: the radius is counted in the first 100
// columns of the first 200 rows.
inline constexpr int ShapeWidth = MaxRadius;
inline constexpr int ShapeHeight = DollRows;

// The profile of a shape image of which `shape` holds the top-left: row i's radius is the
// column of its first pure-black pixel among columns 0..99, 100 when there is none. A picture
// narrower than 100 pixels or with fewer than 200 rows is refused with an error naming
// `fileName` and the picture's size.
DollProfile ShapeProfileOf(const TBmpRegion& shape, const std::string& fileName);

// Reads a profile from the shape image `fileName`, decoding only its top-left 100 × 200.
DollProfile ReadShapeProfile(const std::string& fileName);

struct TDoll;

// Sets the doll's Openable, and its SplitRow when its DisplayedProfile is a single bulge: it
// only widens or stays until its first narrower row, and only narrows or stays from there on.
void TestOpenability(TDoll& doll);

void SetCurrentProfile(TDoll& doll, const DollProfile& profile);

bool IsOpenable(const TDoll& doll);
