// One doll as a value: the pictures of its nest, the doll at rest and the one nested in it, an
// opening or a close under way, its turn and shade, and what its views show. Every doll
// function works on the doll it is given, so that any number of dolls live at once and each
// thread may draw one of its own.
#pragma once

#include <cstdint>
#include <string>

#include "DollView.h"
#include "Nest.h"
#include "Skin.h"

struct TDoll {
  TDoll();

  TNest Nest;                    // the pictures of the nest, by level
  TDollView View;                // what the views show
  TSkin Texture;                 // the skin the views show; changes row by row while opening
  TTavoBitmap TextureCopy;       // the skin of the doll at rest
  TTavoBitmap InnerTexture;      // the skin of the nested doll
  DollProfile CurrentProfile{};  // the doll at rest, source of the next nested doll
  DollProfile InnerProfile{};    // the nested doll

  bool Openable = false;                            // the outer doll's shape can open
  std::int32_t SplitRow = 0;                        // where every doll of the series opens
  std::int32_t OpenProgress = OpenProgressAtRest;   // rows each half has moved; 200 = at rest
  std::int32_t CloseProgress = OpenProgressAtRest;  // steps of a close done; 200 = none
  std::int32_t DollLevel = 1;  // which doll of the nest is at rest: 1 is the outer one

  std::int32_t RotationOffset = 0;             // texture column at the front, 0..249
  std::int32_t ShadeLevel = 0;                 // shading strength 0..5
  std::string Direction = DirectionClockwise;  // DirectionClockwise, …CounterClockwise or ""
};

// Makes the doll of `level`, from the nest's pictures as they are now, the doll at rest: its
// outline (and, for the outer doll, the openability it decides), geometry and skin. An
// opening or a close under way stops.
void ShowLevel(TDoll& doll, int level);

// Shows the skin of the doll at rest again from the nest's pictures, after only its skin
// changed: its outline and so its geometry stand as they are.
void ShowLevelSkin(TDoll& doll);

// Renders both views as a frame shows them: the front at RotationOffset, the back half a
// turn on, at ShadeLevel.
void RenderViews(TDoll& doll);

// The back view shows the doll turned by half a turn.
inline constexpr int BackViewTurn = TextureColumns / 2;
// Texture columns a turning doll turns between two frames.
inline constexpr int TurnStep = 2;
