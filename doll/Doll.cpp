#include "Doll.h"

#include "Resampler.h"
#include "ShapeProfile.h"

TDoll::TDoll() {
  Texture.SetSizeBlank(TextureColumns, DollRows);
  TextureCopy.SetSizeBlank(TextureColumns, DollRows);
  InnerTexture.SetSizeBlank(TextureColumns, DollRows);
}

void ShowLevel(TDoll& doll, int level) {
  if (level == 1) {
    doll.View.DisplayedProfile = *doll.Nest.at(1).Outline;
    TestOpenability(doll);  // the outer doll's shape decides for the whole nest
  }
  MakeLevelAtRest(doll, level, 0);
  doll.View.DisplayedProfile = doll.CurrentProfile;
  doll.View.RefreshGeometry();
  CopySkinInto(doll.TextureCopy, doll.Texture);
  doll.DollLevel = level;
  doll.OpenProgress = OpenProgressAtRest;
  doll.CloseProgress = OpenProgressAtRest;
}

void ShowLevelSkin(TDoll& doll) {
  MakeLevelAtRest(doll, doll.DollLevel, 0);
  CopySkinInto(doll.TextureCopy, doll.Texture);
}

void RenderViews(TDoll& doll) {
  RenderView(doll.View, doll.Texture, doll.View.FrontView, doll.RotationOffset, doll.ShadeLevel);
  // Up to 374: the renderer wraps.
  RenderView(doll.View, doll.Texture, doll.View.BackView, doll.RotationOffset + BackViewTurn,
             doll.ShadeLevel);
}
