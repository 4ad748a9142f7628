#include "Scene.h"

#include <algorithm>
#include <filesystem>

#include "PaintSession.h"
#include "SkinPicture.h"
#include "StreakBackdrop.h"
#include "doll/Geometry.h"
#include "doll/Opening.h"
#include "doll/Resampler.h"
#include "doll/ShapeProfile.h"
#include "dollfile/DollUnpack.h"
#include "framework/FileOutput.h"
#include "framework/TavoClock.h"
#include "framework/TavoForm.h"
#include "framework/Translation.h"
#include "pictures/PictureReader.h"
#include "platform/DollFolder.h"
#include "platform/DollShelf.h"

std::unique_ptr<TTavoMidi> SoundDevice;
std::unique_ptr<TTavoTimer> TaskTimer;
TPaintBox* FrontBox = nullptr;
TPaintBox* BackBox = nullptr;
TDollHistory DollHistory;
std::int32_t DrawnRotation = 0;

namespace {

constexpr int TurnStep = 2;  // texture columns per frame

// The ten scene bitmaps in the order they are made and freed.
std::unique_ptr<TTavoBitmap>* const SceneBitmaps[] = {
    &FrontView,     &BackView,  &Texture,    &SaveSheet,    &BackdropLeft,
    &BackdropRight, &FrameLeft, &FrameRight, &InnerTexture, &TextureCopy};

// The level a level inside takes a picture from when it has none of its own.
int OutsideLevel(int level) {
  return std::max(level - 1, 1);
}

}  // namespace

std::vector<std::string> StartScene(TTavoForm& form, TPaintBox* frontBox, TPaintBox* backBox) {
  RandSeed = MillisecondsSinceUtcMidnight();
  SoundDevice = std::make_unique<TTavoMidi>();
  TaskTimer = std::make_unique<TTavoTimer>(form);
  FrontBox = frontBox;
  BackBox = backBox;
  std::vector<std::string> setAside;
  CreateSceneBitmaps(&setAside);
  DollHistory.Clear();
  DrawnRotation = RotationOffset;
  TaskTimer->AddTask(FrameTick, FrameInterval, "");
  return setAside;
}

void StopScene() {
  ForgetPainting();
  SoundDevice.reset();
  TaskTimer.reset();
  for (auto* bitmap : SceneBitmaps) bitmap->reset();
  FrontBox = nullptr;
  BackBox = nullptr;
}

void CreateSceneBitmaps(std::vector<std::string>* setAside) {
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
  LoadDoll(setAside);
  SeedStreaks();
}

TLevelPictures ReadLevel(int level, std::vector<std::string>* setAside) {
  TLevelPictures own;
  const auto read = [&](const std::string& fileName, const auto& reader) {
    if (level >= 2 && !NameTaken(fileName)) return;
    try {
      reader(fileName);
    } catch (const std::exception& error) {
      if (level == 1 || !setAside) throw;
      setAside->push_back(error.what());
    }
  };
  read(LevelShapeName(level),
       [&](const std::string& name) { own.Outline = ReadShapeProfile(name); });
  read(LevelSkinName(level), [&](const std::string& name) { own.Skin = ReadSkin(name); });
  return own;
}

TNest ReadNest(std::vector<std::string>* setAside) {
  TNest nest;
  nest[1] = ReadLevel(1);
  for (const int level : LevelsInFolder())
    if (TLevelPictures own = ReadLevel(level, setAside); own.Outline || own.Skin)
      nest[level] = std::move(own);
  return nest;
}

void ReloadLevel(int level) {
  TLevelPictures own = ReadLevel(level);
  if (level >= 2 && !own.Outline && !own.Skin) {
    Nest.erase(level);
  } else {
    Nest[level] = std::move(own);
  }
  ShowLevel(level);
}

void ShowNest(TNest nest) {
  Nest = std::move(nest);
  ShowLevel(1);
}

void ShowLevelSkin() {
  MakeLevelAtRest(DollLevel, 0);
  Texture = CopyOfSkin(*TextureCopy);
}

void ShowLevel(int level) {
  if (level == 1) {
    DisplayedProfile = *Nest.at(1).Outline;
    TestOpenability();  // the outer doll's shape decides for the whole nest
  }
  MakeLevelAtRest(level, 0);
  DisplayedProfile = CurrentProfile;
  RefreshGeometry();
  Texture = CopyOfSkin(*TextureCopy);
  DollLevel = level;
  OpenProgress = OpenProgressAtRest;
  CloseProgress = OpenProgressAtRest;
}

void LoadDoll(std::vector<std::string>* setAside) {
  ShowNest(ReadNest(setAside));
}

void ReloadDoll() {
  const int level = DollLevel;
  const auto picturesFrom = [level](const TNest& nest) {
    return nest.lower_bound(level) != nest.end();
  };
  const bool had = picturesFrom(Nest);
  TNest nest = ReadNest();
  const bool has = picturesFrom(nest);
  ShowNest(std::move(nest));
  if (level > 1 && (has || !had)) ShowLevel(level);
}

void DropPicture(const std::string& fileName, int firstColumn) {
  const int level = DollLevel;
  // The level's own pictures as the folder holds them, or, for an outer doll with no skin
  // in the folder, as it is shown.
  TLevelPictures own = level == 1 && !NameTaken(TextureFileName) ? Nest.at(1) : ReadLevel(level);
  const DollProfile& outline =
      own.Outline ? *own.Outline : *Nest.at(OutlineLevel(OutsideLevel(level))).Outline;
  const TTavoBitmap& skinUsed =
      own.Skin ? *own.Skin : *Nest.at(SkinLevel(OutsideLevel(level))).Skin;
  const int widest = *std::max_element(outline.begin(), outline.end());
  const QImage picture =
      ReadPicture(fileName, [widest](QSize size) { return HoldsTwiceTheSkinHalf(size, widest); });
  std::unique_ptr<TTavoBitmap> skin = CopyOfSkin(skinUsed);
  PaintSkinHalf(*skin, FitToSkinHalf(picture, widest), firstColumn);
  const std::string skinName = LevelSkinName(level);
  DollHistory.Record(skinName, skin->SaveKeepingOld(skinName), level >= 2);
  own.Skin = std::move(skin);
  Nest[level] = std::move(own);
  ShowLevel(level);
}

void ShowDollFolder(const std::string& folder) {
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(folder);
  TNest nest;
  try {
    nest = ReadNest();
  } catch (...) {
    std::filesystem::current_path(previous);
    throw;
  }
  ShowNest(std::move(nest));
  DollHistory.Clear();
  RememberDoll(DollFolderPath(), folder);
}

void OpenDollFile(const std::string& fileName) {
  const std::string shelf = DollFolderPath();
  ShowDollFolder(
      UnpackDollFile(std::filesystem::absolute(fileName), shelf, {},
                     [&](const std::string& content) { return FindCopyOnShelf(shelf, content); }));
}

std::string DescribeDollAtRest() {
  const int level = DollLevel;
  std::string text = Tr("Window", "入れ子の %1 番目の人形 (輪郭 %2、肌 %3)")
                         .Arg(level)
                         .Arg(LevelShapeName(level))
                         .Arg(LevelSkinName(level));
  const auto borrowed = [&](const std::string& own, int source, const std::string& used) {
    if (source != level)
      text +=
          '\n' +
          std::string(
              Tr("Window", "%1 はまだないので、外側の人形の %2 を使っています").Arg(own).Arg(used));
  };
  borrowed(LevelShapeName(level), OutlineLevel(level), LevelShapeName(OutlineLevel(level)));
  borrowed(LevelSkinName(level), SkinLevel(level), LevelSkinName(SkinLevel(level)));
  return text;
}

bool UndoDollChange() {
  const std::optional<std::string> changed = DollHistory.Undo();
  if (changed) ReloadLevel(LevelOfFile(*changed));
  return changed.has_value();
}

bool RedoDollChange() {
  const std::optional<std::string> changed = DollHistory.Redo();
  if (changed) ReloadLevel(LevelOfFile(*changed));
  return changed.has_value();
}

void FrameTick() {
  if (OpenProgress < OpenProgressAtRest) {
    AdvanceOpening();
  } else if (CloseProgress < OpenProgressAtRest) {
    AdvanceClosing();
  }
  TurnHeldBrush(RotationOffset);
  RenderView(*FrontView, RotationOffset);
  RenderView(*BackView, RotationOffset + BackViewTurn);  // up to 374; the renderer wraps
  DrawnRotation = RotationOffset;
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
  TTavoForm::ReportErrors([] { SavePaintingWhenDue(TimeGetTime()); });
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
