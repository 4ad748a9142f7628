#include "Scene.h"

#include <algorithm>
#include <filesystem>

#include "PaintSession.h"
#include "SkinPicture.h"
#include "StreakBackdrop.h"
#include "doll/Opening.h"
#include "doll/ShapeProfile.h"
#include "dollfile/DollUnpack.h"
#include "framework/FileOutput.h"
#include "framework/TavoClock.h"
#include "framework/TavoForm.h"
#include "framework/Translation.h"
#include "pictures/PictureReader.h"
#include "platform/DollFolder.h"
#include "platform/DollShelf.h"
#include "platform/ShelfIndex.h"

namespace {

// The level a level inside takes a picture from when it has none of its own.
int OutsideLevel(int level) {
  return std::max(level - 1, 1);
}

// The folder the files of the doll in `folder` are named in (see TScene::FilesFolder).
std::string FilesFolderOf(const std::string& folder) {
  std::error_code error;
  return std::filesystem::equivalent(folder, std::filesystem::current_path(error), error) ? ""
                                                                                          : folder;
}

}  // namespace

TLevelPictures ReadLevel(const std::string& folder, int level, std::vector<std::string>* setAside) {
  TLevelPictures own;
  const auto read = [&](const std::string& name, const auto& reader) {
    const std::string path = (std::filesystem::path(folder) / name).string();
    if (level >= 2 && !NameTaken(path)) return;
    try {
      reader(path);
    } catch (const std::exception& error) {
      if (level == 1 || !setAside) throw;
      setAside->push_back(error.what());
    }
  };
  read(LevelShapeName(level),
       [&](const std::string& path) { own.Outline = ReadShapeProfile(path); });
  read(LevelSkinName(level), [&](const std::string& path) { own.Skin = ReadSkin(path); });
  return own;
}

TNest ReadNest(const std::string& folder, std::vector<std::string>* setAside) {
  TNest nest;
  nest[1] = ReadLevel(folder, 1);
  for (const int level : LevelsInFolder(folder))
    if (TLevelPictures own = ReadLevel(folder, level, setAside); own.Outline || own.Skin)
      nest[level] = std::move(own);
  return nest;
}

TScene::TScene(const std::string& folder) {
  SetFolder(folder);
  BackdropLeft.SetSizeFilled(ViewSize, ViewSize, FrameColour);
  BackdropRight.SetSizeFilled(ViewSize, ViewSize, FrameColour);
  FrameLeft.SetSizeBlank(ViewSize, ViewSize);
  FrameRight.SetSizeBlank(ViewSize, ViewSize);
  SaveSheet.SetSizeBlank(2 * ViewSize, ViewSize);
  LoadDoll(&FLeftOutAtStart);
  SeedStreaks(StreaksLeft, StreaksRight);
  DrawnRotation = Doll.RotationOffset;
}

TScene::~TScene() {
  Stop();
}

void TScene::Start(TTavoForm& form, TPaintBox* frontBox, TPaintBox* backBox) {
  RandSeed = MillisecondsSinceUtcMidnight();
  SeedStreaks(StreaksLeft, StreaksRight);
  FSoundDevice = std::make_unique<TTavoMidi>();
  FTaskTimer = std::make_unique<TTavoTimer>(form);
  FFrontBox = frontBox;
  FBackBox = backBox;
  FTaskTimer->AddTask([this] { FrameTick(); }, FrameInterval, "");
}

void TScene::Stop() {
  Painting.ForgetPainting();
  FSoundDevice.reset();
  FTaskTimer.reset();
  FFrontBox = nullptr;
  FBackBox = nullptr;
}

std::string TScene::PathOf(const std::string& name) const {
  return (std::filesystem::path(FFilesFolder) / name).string();
}

void TScene::SetFolder(const std::string& folder) {
  FFolder = std::filesystem::absolute(folder).lexically_normal().string();
  FFilesFolder = FilesFolderOf(FFolder);
}

void TScene::ReloadLevel(int level) {
  TLevelPictures own = ReadLevel(FFilesFolder, level);
  if (level >= 2 && !own.Outline && !own.Skin) {
    Doll.Nest.erase(level);
  } else {
    Doll.Nest[level] = std::move(own);
  }
  ShowLevel(Doll, level);
}

void TScene::ShowNest(TNest nest) {
  Doll.Nest = std::move(nest);
  ShowLevel(Doll, 1);
}

void TScene::LoadDoll(std::vector<std::string>* setAside) {
  ShowNest(ReadNest(FFilesFolder, setAside));
}

void TScene::ReloadDoll() {
  const int level = Doll.DollLevel;
  const auto picturesFrom = [level](const TNest& nest) {
    return nest.lower_bound(level) != nest.end();
  };
  const bool had = picturesFrom(Doll.Nest);
  TNest nest = ReadNest(FFilesFolder);
  const bool has = picturesFrom(nest);
  ShowNest(std::move(nest));
  if (level > 1 && (has || !had)) ShowLevel(Doll, level);
}

void TScene::DropPicture(const std::string& fileName, int firstColumn) {
  const int level = Doll.DollLevel;
  const TNest& nest = Doll.Nest;
  // The level's own pictures as the folder holds them, or, for an outer doll with no skin
  // in the folder, as it is shown.
  TLevelPictures own = level == 1 && !NameTaken(PathOf(TextureFileName))
                           ? nest.at(1)
                           : ReadLevel(FFilesFolder, level);
  const DollProfile& outline =
      own.Outline ? *own.Outline : *nest.at(OutlineLevel(nest, OutsideLevel(level))).Outline;
  const TTavoBitmap& skinUsed =
      own.Skin ? *own.Skin : *nest.at(SkinLevel(nest, OutsideLevel(level))).Skin;
  const int widest = *std::max_element(outline.begin(), outline.end());
  const QImage picture =
      ReadPicture(fileName, [widest](QSize size) { return HoldsTwiceTheSkinHalf(size, widest); });
  std::unique_ptr<TTavoBitmap> skin = CopyOfSkin(skinUsed);
  PaintSkinHalf(*skin, FitToSkinHalf(picture, widest), firstColumn);
  const std::string skinPath = PathOf(LevelSkinName(level));
  DollHistory.Record(skinPath, skin->SaveKeepingOld(skinPath), level >= 2);
  own.Skin = std::move(skin);
  Doll.Nest[level] = std::move(own);
  ShowLevel(Doll, level);
}

void TScene::ShowDollFolder(const std::string& folder) {
  TNest nest = ReadNest(FilesFolderOf(std::filesystem::absolute(folder)));
  SetFolder(folder);
  ShowNest(std::move(nest));
  DollHistory.Clear();
  RememberDoll(DollFolderPath(), FFolder);
}

void TScene::FolderRenamed(const std::string& folder) {
  SetFolder(folder);
}

void TScene::OpenDollFile(const std::string& fileName) {
  const std::string shelf = DollFolderPath();
  ShowDollFolder(
      UnpackDollFile(std::filesystem::absolute(fileName), shelf, {},
                     [&](const std::string& content) { return FindCopyOnShelf(shelf, content); }));
}

std::string TScene::DescribeDollAtRest() const {
  const int level = Doll.DollLevel;
  const TNest& nest = Doll.Nest;
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
  borrowed(LevelShapeName(level), OutlineLevel(nest, level),
           LevelShapeName(OutlineLevel(nest, level)));
  borrowed(LevelSkinName(level), SkinLevel(nest, level), LevelSkinName(SkinLevel(nest, level)));
  return text;
}

bool TScene::UndoDollChange() {
  const std::optional<std::string> changed = DollHistory.Undo(FFilesFolder);
  if (changed) ReloadLevel(LevelOfFile(*changed));
  return changed.has_value();
}

bool TScene::RedoDollChange() {
  const std::optional<std::string> changed = DollHistory.Redo(FFilesFolder);
  if (changed) ReloadLevel(LevelOfFile(*changed));
  return changed.has_value();
}

void TScene::FrameTick() {
  if (Doll.OpenProgress < OpenProgressAtRest) {
    AdvanceOpening(Doll);
  } else if (Doll.CloseProgress < OpenProgressAtRest) {
    AdvanceClosing(Doll);
  }
  Painting.TurnHeldBrush(Doll.RotationOffset);
  Painting.TurnSticker(Doll.RotationOffset);
  RenderViews(Doll);
  DrawnRotation = Doll.RotationOffset;
  std::int32_t& rotation = Doll.RotationOffset;
  if (Doll.Direction == DirectionClockwise)
    rotation = (rotation + TextureColumns - TurnStep) % TextureColumns;
  if (Doll.Direction == DirectionCounterClockwise)
    rotation = (rotation + TurnStep) % TextureColumns;
  StepBackdrop(BackdropLeft, StreaksLeft);
  StepBackdrop(BackdropRight, StreaksRight);
  BackdropLeft.DrawOn(FrameLeft, 0, 0);
  BackdropRight.DrawOn(FrameRight, 0, 0);
  Doll.View.FrontView.DrawOn(FrameLeft, 0,
                             0);  // through the masks: only the doll covers the streaks
  Doll.View.BackView.DrawOn(FrameRight, 0, 0);
  if (FFrontBox) FrameLeft.DrawToPaintBox(*FFrontBox);
  if (FBackBox) FrameRight.DrawToPaintBox(*FBackBox);
  TTavoForm::ReportErrors([this] { Painting.SavePaintingWhenDue(TimeGetTime()); });
}

std::string TScene::SaveViews() {
  SaveSheet.Fill(FrameColour);
  Doll.View.FrontView.DrawOn(SaveSheet, 0, 0);
  Doll.View.BackView.DrawOn(SaveSheet, ViewSize, 0);
  for (int n = 0;; ++n) {
    const std::string name = "out" + TwoDigits(n) + ".bmp";
    if (SaveSheet.SaveToNewFile(PathOf(name))) return name;
  }
}
