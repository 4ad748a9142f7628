// The dolls of the nest with pictures of their own: what each level shows, the doll closed
// again, the gestures on a nested doll, and a level picture that cannot be read.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>
#include <filesystem>
#include <map>

#include "DollModel.h"
#include "MessageBoxWatcher.h"
#include "SampleDollWindow.h"
#include "TestFiles.h"
#include "doll/Geometry.h"
#include "doll/Nest.h"
#include "doll/Opening.h"
#include "doll/Resampler.h"
#include "doll/Shaping.h"
#include "framework/FileOutput.h"
#include "framework/TavoUtility.h"
#include "scene/Reshape.h"
#include "scene/Scene.h"

namespace {

namespace fs = std::filesystem;

struct Views {
  QImage Front, Back;
  bool operator==(const Views&) const = default;
};

// The views as the frame tick renders them (deep copies: the renderer writes through rows).
Views Rendered(TDoll& doll) {
  TDollView& view = doll.View;
  RenderView(view, doll.Texture, view.FrontView, doll.RotationOffset, doll.ShadeLevel);
  RenderView(view, doll.Texture, view.BackView, doll.RotationOffset + BackViewTurn,
             doll.ShadeLevel);
  return {view.FrontView.copy(), view.BackView.copy()};
}

Views Frame(TScene& scene) {
  scene.FrameTick();
  return {scene.Doll.View.FrontView.copy(), scene.Doll.View.BackView.copy()};
}

// The level's own picture, or the nearest outside it, as the folder holds them.
std::string Nearest(int level, std::string (*name)(int)) {
  while (level > 1 && !fs::exists(name(level))) --level;
  return name(level);
}

// What `level` shows at rest, worked out plainly: its pictures nested level − 1 times with
// the opening's own steps, then rendered. It leaves that doll at rest.
Views PlainLevel(TDoll& doll, int level) {
  SetCurrentProfile(doll, ReadShapeProfile(Nearest(level, LevelShapeName)));
  TTavoBitmap skin;
  skin.LoadFromFileAuto(Nearest(level, LevelSkinName));
  DrawOnTextureCopy(doll, skin);
  for (int n = 1; n < level; ++n) {
    MakeInnerProfile(doll);
    SetCurrentProfile(doll, doll.InnerProfile);
    MakeInnerTexture(doll);
    DrawOnTextureCopy(doll, doll.InnerTexture);
  }
  doll.View.DisplayedProfile = doll.CurrentProfile;
  doll.View.RefreshGeometry();
  doll.TextureCopy.DrawOn(doll.Texture, 0, 0);
  return Rendered(doll);
}

// A bulge of radius `widest` on rows 20..189, narrower towards both ends.
Bytes OwnOutline(int widest) {
  std::vector<int> radii(200, 0);
  for (int y = 20; y < 190; ++y) radii[y] = widest - std::abs(y - 110) / 4;
  return ShapeBmp(radii);
}

// Writes the level pictures named, each unlike the outer doll's and the others'.
void WriteLevelPictures(const std::vector<std::string>& names) {
  for (const std::string& name : names) {
    const int level = LevelOfFile(name);
    WriteBytes(name, name == LevelShapeName(level) ? OwnOutline(40 + 20 * level)
                                                   : Bmp24(RandomTexture(level)));
  }
}

// Opens the doll and runs the frames until it is at rest; returns the views of each frame.
std::vector<Views> OpenToRest(TScene& scene) {
  OpenDoll(scene.Doll);
  std::vector<Views> frames;
  while (!DollAtRest(scene.Doll)) frames.push_back(Frame(scene));
  return frames;
}

class Nesting : public SampleDollWindow {
 protected:
  void Load() { form->BtnLoad->click(); }
  TScene& Scene() const { return *form->Scene; }
  Views Rendered() const { return ::Rendered(Doll()); }
  Views Frame() const { return ::Frame(Scene()); }
  Views PlainLevel(int level) const { return ::PlainLevel(Doll(), level); }
  std::vector<Views> OpenToRest() const { return ::OpenToRest(Scene()); }
  void FrameTick() const { Scene().FrameTick(); }
};

TEST_F(Nesting, EachLevelShowsItsOwnPicturesNestedAsTheOpeningsNestThem) {
  const std::vector<std::vector<std::string>> rows = {
      {},
      {"シェイプ2.bmp"},
      {"テクスチャ2.bmp"},
      {"シェイプ2.bmp", "テクスチャ2.bmp"},
      {"シェイプ3.bmp"},
      {"テクスチャ3.bmp"},
      {"シェイプ3.bmp", "テクスチャ3.bmp"},
      {"シェイプ2.bmp", "テクスチャ3.bmp"},
  };
  for (const auto& files : rows) {
    SCOPED_TRACE(::testing::PrintToString(files));
    for (int level = 2; level <= 3; ++level)
      for (const std::string& name : {LevelShapeName(level), LevelSkinName(level)})
        fs::remove(name);
    WriteLevelPictures(files);
    Load();
    std::vector<Views> plain;
    for (int level = 1; level <= 3; ++level) plain.push_back(PlainLevel(level));
    Load();
    EXPECT_TRUE(Rendered() == plain[0]);
    for (int level = 2; level <= 3; ++level) {
      OpenToRest();
      EXPECT_EQ(Doll().DollLevel, level);
      EXPECT_TRUE(Rendered() == plain[level - 1]) << "level " << level;
    }
  }
}

TEST_F(Nesting, CloseRunsTheOpeningBackwardsToTheDollAsItWas) {
  struct Row {
    std::vector<std::string> Files;
    int Openings;
  };
  for (const Row& row : {Row{{}, 3}, Row{{"シェイプ2.bmp", "テクスチャ3.bmp"}, 1},
                         Row{{"シェイプ2.bmp", "テクスチャ3.bmp"}, 2},
                         Row{{"シェイプ2.bmp", "テクスチャ3.bmp"}, 3}}) {
    SCOPED_TRACE(::testing::PrintToString(row.Files) + " " + std::to_string(row.Openings));
    WriteLevelPictures(row.Files);
    Load();
    std::vector<Views> atRest{Rendered()};
    std::vector<std::vector<Views>> openings;
    for (int n = 0; n < row.Openings; ++n) {
      openings.push_back(OpenToRest());
      atRest.push_back(Rendered());
    }
    for (int level = row.Openings + 1; level >= 2; --level) {
      ASSERT_TRUE(CanCloseDoll(Doll()));
      CloseDoll(Doll());
      // Close step k shows what the opening showed before its step 21 − k.
      const std::vector<Views>& opening = openings[level - 2];
      for (int k = 1; k <= 20; ++k)
        ASSERT_TRUE(Frame() == (k < 20 ? opening[19 - k] : atRest[level - 2])) << "step " << k;
      EXPECT_TRUE(DollAtRest(Doll()));
      EXPECT_EQ(Doll().DollLevel, level - 1);
    }
    EXPECT_FALSE(CanCloseDoll(Doll()));
    EXPECT_TRUE(OpenToRest() == openings[0]) << "the next Open is not the first one again";
    for (const std::string& name : row.Files) fs::remove(name);
  }
}

TEST_F(Nesting, AGestureOnANestedDollWritesOnlyItsLevelsFileAndCtrlZTakesItBack) {
  WriteBytes("red.bmp", Bmp24(std::vector(4, std::vector(4, Pixel24{0, 0, 255}))));
  const int row = 120;  // a row of the nested doll, below the split
  struct Row {
    std::string File;  // the level-2 file the gesture writes
    bool Own;          // whether level 2 had its own pictures before
  };
  for (const Row& c : {Row{"テクスチャ2.bmp", false}, Row{"テクスチャ2.bmp", true},
                       Row{"シェイプ2.bmp", false}, Row{"シェイプ2.bmp", true}}) {
    SCOPED_TRACE(c.File + (c.Own ? " over its own" : " borrowed"));
    if (c.Own) WriteLevelPictures({"シェイプ2.bmp", "テクスチャ2.bmp"});
    Load();
    OpenToRest();
    EXPECT_EQ(Scene().DescribeDollAtRest().find("外側の人形の " + Nearest(2, LevelSkinName)) !=
                  std::string::npos,
              !c.Own);  // the tooltip says what it borrows
    const TFolder before = FolderFiles();
    if (c.File == "テクスチャ2.bmp") {
      Scene().DropPicture("red.bmp", 0);
    } else {
      const int edge = ViewSize / 2 - 1 + Doll().View.DisplayedProfile[row];
      const auto send = [&](QEvent::Type type, int x, Qt::MouseButtons held) {
        const QPointF at(x + 0.5, row + 0.5);
        QMouseEvent event(type, at, form->PaintBox1->mapToGlobal(at), Qt::LeftButton, held,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(form->PaintBox1, &event);
      };
      send(QEvent::MouseButtonPress, edge, Qt::LeftButton);
      send(QEvent::MouseMove, edge - 12, Qt::LeftButton);
      EXPECT_LE(std::abs(Doll().View.DisplayedProfile[row] - PointerRadius(edge - 12)), 1);
      send(QEvent::MouseButtonRelease, edge - 12, Qt::NoButton);
    }
    TFolder after = FolderFiles();
    const Bytes written = after[c.File];
    EXPECT_NE(written, before.count(c.File) ? before.at(c.File) : Bytes{});
    if (c.Own) {
      EXPECT_EQ(after[BackupName(c.File, 1)], before.at(c.File));
    }
    after.erase(c.File);
    after.erase(BackupName(c.File, 1));
    TFolder others = before;
    others.erase(c.File);
    EXPECT_EQ(after, others) << "another file changed";
    const Views shown = Rendered();
    EXPECT_EQ(Doll().DollLevel, 2);
    EXPECT_TRUE(shown == PlainLevel(2));

    ASSERT_TRUE(Scene().UndoDollChange());
    TFolder undone = FolderFiles();
    for (const auto& [name, bytes] : before) EXPECT_EQ(undone[name], bytes) << name;
    EXPECT_EQ(fs::exists(c.File), c.Own);  // a file made is only set aside
    EXPECT_EQ(undone[BackupName(c.File, c.Own ? 2 : 1)], written);
    EXPECT_EQ(Doll().DollLevel, 2);
    const Views back = Rendered();
    EXPECT_TRUE(back == PlainLevel(2));
    for (const auto& entry : fs::directory_iterator("."))
      if (LevelOfFile(entry.path().filename().string()) >= 2) fs::remove(entry.path());
    for (int n = 1; n <= 2; ++n) fs::remove(BackupName(c.File, n));
  }
}

int Beeps = 0;

TEST_F(Nesting, WhileTheDollOpensOrClosesItsPicturesCannotChange) {
  WriteBytes("red.bmp", Bmp24(std::vector(4, std::vector(4, Pixel24{0, 0, 255}))));
  SetBeepHandler([] { ++Beeps; });
  for (const bool closing : {false, true}) {
    Load();
    Scene().DropPicture("red.bmp", 0);  // a change for Ctrl+Z
    OpenToRest();
    const TFolder before = FolderFiles();
    // A picture held over the view when the doll starts to move, then dropped.
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(fs::absolute("red.bmp").string()))});
    QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(form->PaintBox1, &enter);
    EXPECT_TRUE(enter.isAccepted());
    closing ? CloseDoll(Doll()) : OpenDoll(Doll());
    FrameTick();
    QDragMoveEvent move(QPoint(101, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(form->PaintBox1, &move);
    EXPECT_FALSE(move.isAccepted());
    EXPECT_FALSE(form->PaintBox1->ShowsDropFrame());
    Beeps = 0;
    QDropEvent drop(QPointF(101, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(form->PaintBox1, &drop);
    QCoreApplication::processEvents();
    form->UndoKeyPress();
    for (int y = 0; y < ViewSize; ++y)
      for (int x = 0; x < ViewSize; ++x)
        ASSERT_FALSE(Scene().Reshape.CanReshapeAt(y, x)) << x << ", " << y;
    EXPECT_EQ(Beeps, 2);
    EXPECT_EQ(FolderFiles(), before);
    while (!DollAtRest(Doll())) FrameTick();
  }
  SetBeepHandler(nullptr);
}

TEST_F(Nesting, AnUnreadableLevelPictureRefusesTheLoadAndIsLeftOutAtStartUp) {
  WriteLevelPictures({"シェイプ3.bmp"});
  OpenToRest();
  const Views level2 = Rendered();
  WriteBytes("テクスチャ3.bmp", {'B', 'M', 1, 2, 3});
  const SeenMessageBox refused = CloseNextMessageBox([&] { Load(); });
  EXPECT_TRUE(refused.Text.contains("テクスチャ3.bmp")) << refused.Text.toStdString();
  EXPECT_EQ(Doll().DollLevel, 2);
  EXPECT_TRUE(Rendered() == level2);

  form.reset();
  const SeenMessageBox told = CloseNextMessageBox([&] {
    OpenWindow();
    QCoreApplication::processEvents();
  });
  EXPECT_TRUE(told.Text.contains("テクスチャ3.bmp")) << told.Text.toStdString();
  OpenToRest();
  OpenToRest();
  const Views shown = Rendered();
  fs::remove("テクスチャ3.bmp");
  EXPECT_TRUE(shown == PlainLevel(3)) << "level 3 does not use the outer skin";
}

}  // namespace
