#include "Scene.h"

#include <algorithm>
#include <filesystem>

#include "SkinPicture.h"
#include "StreakBackdrop.h"
#include "doll/Geometry.h"
#include "doll/Opening.h"
#include "doll/Resampler.h"
#include "doll/ShapeProfile.h"
#include "framework/FileOutput.h"
#include "framework/TavoForm.h"
#include "pictures/PictureReader.h"

std::unique_ptr<TTavoMidi> SoundDevice;
std::unique_ptr<TTavoTimer> TaskTimer;
TPaintBox* FrontBox = nullptr;
TPaintBox* BackBox = nullptr;
TDollHistory DollHistory;

namespace {

constexpr int TurnStep = 2;  // texture columns per frame

// The ten scene bitmaps in the order they are made and freed.
std::unique_ptr<TTavoBitmap>* const SceneBitmaps[] = {
    &FrontView,     &BackView,  &Texture,    &SaveSheet,    &BackdropLeft,
    &BackdropRight, &FrameLeft, &FrameRight, &InnerTexture, &TextureCopy};

// The doll a dropped picture is painted on: the one in the folder, or, when the folder has
// no skin to replace, the doll at rest that is shown.
DollPictures DollToPaint() {
  std::error_code error;
  if (std::filesystem::symlink_status(TextureFileName, error).type() !=
      std::filesystem::file_type::not_found)
    return ReadDollPictures();
  DollPictures doll{CurrentProfile, std::make_unique<TTavoBitmap>()};
  doll.Skin->SetSizeBlank(TextureColumns, DollRows);
  TextureCopy->DrawOn(*doll.Skin, 0, 0);
  return doll;
}

}  // namespace

void StartScene(TTavoForm& form, TPaintBox* frontBox, TPaintBox* backBox) {
  RandSeed = MillisecondsSinceUtcMidnight();
  SoundDevice = std::make_unique<TTavoMidi>();
  TaskTimer = std::make_unique<TTavoTimer>(form);
  FrontBox = frontBox;
  BackBox = backBox;
  CreateSceneBitmaps();
  DollHistory.Clear();
  TaskTimer->AddTask(FrameTick, FrameInterval, "");
}

void StopScene() {
  SoundDevice.reset();
  TaskTimer.reset();
  for (auto* bitmap : SceneBitmaps) bitmap->reset();
  FrontBox = nullptr;
  BackBox = nullptr;
}

void CreateSceneBitmaps() {
  for (auto* bitmap : SceneBitmaps) *bitmap = std::make_unique<TTavoBitmap>();
  FrontView->SetSizeBlank(ViewSize, ViewSize);
  BackView->SetSizeBlank(ViewSize, ViewSize);
  SaveSheet->SetSizeBlank(2 * ViewSize, ViewSize);
  BackdropLeft->SetSizeFilled(ViewSize, ViewSize, FrameColour);
  BackdropRight->SetSizeFilled(ViewSize, ViewSize, FrameColour);
  FrameLeft->SetSizeBlank(ViewSize, ViewSize);
  FrameRight->SetSizeBlank(ViewSize, ViewSize);
  InnerTexture->SetSizeBlank(TextureColumns, DollRows);
  TextureCopy->SetSizeBlank(TextureColumns, DollRows);
  LoadDoll();
  SeedStreaks();
}

DollPictures ReadDollPictures() {
  DollPictures doll{ReadShapeProfile(ShapeFileName), std::make_unique<TTavoBitmap>()};
  TTavoBitmap file;
  file.LoadFromFileAuto(TextureFileName);
  if (file.width() < TextureMinWidth || file.height() < TextureMinHeight)
    throw EImageSizeError(TextureFileName, file.width(), file.height(), TextureMinWidth,
                          TextureMinHeight);
  doll.Skin->SetSizeBlank(TextureColumns, DollRows);
  file.DrawOn(*doll.Skin, 0, 0);  // cut off at the skin's edges
  return doll;
}

void ShowDoll(DollPictures doll) {
  DisplayedProfile = doll.Profile;
  TestOpenability();
  RefreshGeometry();
  SetCurrentProfile(DisplayedProfile);
  Texture = std::move(doll.Skin);
  DrawOnTextureCopy(*Texture);
  OpenProgress = OpenProgressAtRest;
  DollAsRead = true;
}

void LoadDoll() {
  ShowDoll(ReadDollPictures());
}

void DropPicture(const std::string& fileName, int firstColumn) {
  DollPictures doll = DollToPaint();
  const int widest = *std::max_element(doll.Profile.begin(), doll.Profile.end());
  const QImage picture =
      ReadPicture(fileName, [widest](QSize size) { return HoldsTwiceTheSkinHalf(size, widest); });
  PaintSkinHalf(*doll.Skin, FitToSkinHalf(picture, widest), firstColumn);
  DollHistory.Record(TextureFileName, doll.Skin->SaveKeepingOld(TextureFileName));
  ShowDoll(std::move(doll));
}

bool UndoDollChange() {
  if (!DollHistory.Undo()) return false;
  LoadDoll();
  return true;
}

bool RedoDollChange() {
  if (!DollHistory.Redo()) return false;
  LoadDoll();
  return true;
}

void FrameTick() {
  if (OpenProgress < OpenProgressAtRest) AdvanceOpening();
  RenderView(*FrontView, RotationOffset);
  RenderView(*BackView, RotationOffset + BackViewTurn);  // up to 374; the renderer wraps
  if (Direction == DirectionClockwise)
    RotationOffset = (RotationOffset + TextureColumns - TurnStep) % TextureColumns;
  if (Direction == DirectionCounterClockwise)
    RotationOffset = (RotationOffset + TurnStep) % TextureColumns;
  StepBackdrop(*BackdropLeft, StreaksLeft);
  StepBackdrop(*BackdropRight, StreaksRight);
  BackdropLeft->DrawOn(*FrameLeft, 0, 0);
  BackdropRight->DrawOn(*FrameRight, 0, 0);
  FrontView->DrawOn(*FrameLeft, 0, 0);  // through the masks: only the doll covers the streaks
  BackView->DrawOn(*FrameRight, 0, 0);
  if (FrontBox) FrameLeft->DrawToPaintBox(*FrontBox);
  if (BackBox) FrameRight->DrawToPaintBox(*BackBox);
}

std::string SaveViews() {
  SaveSheet->Fill(FrameColour);
  FrontView->DrawOn(*SaveSheet, 0, 0);
  BackView->DrawOn(*SaveSheet, ViewSize, 0);
  for (int n = 0;; ++n) {
    const std::string name = "out" + TwoDigits(n) + ".bmp";
    if (SaveSheet->SaveToNewFile(name)) return name;
  }
}
