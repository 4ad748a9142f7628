// The turn saved as a GIF: read back with giflib, its frames are the sheets Save writes as
// the window turns the doll, the scene is left as it was, and the file is named like the
// sheets, never replaces one and is written whole or not at all.
#include <gif_lib.h>
#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "TestFiles.h"
#include "doll/ShapeProfile.h"
#include "framework/FileOutput.h"
#include "scene/Scene.h"
#include "scene/TurnAnimation.h"

#include <fcntl.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

struct DecodedGif {
  int Width = 0;
  int Height = 0;
  std::vector<QImage> Frames;
  std::vector<int> DelaysMs;
  bool LoopsForEver = false;
};

// The NETSCAPE2.0 application block with a repeat count of 0.
bool HasEndlessLoop(const ExtensionBlock* blocks, int count) {
  for (int i = 0; i + 1 < count; ++i) {
    const ExtensionBlock& app = blocks[i];
    const ExtensionBlock& loop = blocks[i + 1];
    if (app.Function == APPLICATION_EXT_FUNC_CODE && app.ByteCount == 11 &&
        std::equal(app.Bytes, app.Bytes + 11, "NETSCAPE2.0") && loop.ByteCount == 3 &&
        loop.Bytes[0] == 1 && loop.Bytes[1] == 0 && loop.Bytes[2] == 0)
      return true;
  }
  return false;
}

// Each frame must cover the whole picture: the exporter writes no partial frames.
DecodedGif Decode(const std::string& fileName) {
  DecodedGif decoded;
  int error = 0;
  GifFileType* gif = DGifOpenFileName(fileName.c_str(), &error);
  if (!gif) throw std::runtime_error(GifErrorString(error));
  if (DGifSlurp(gif) != GIF_OK) throw std::runtime_error(GifErrorString(gif->Error));
  decoded.Width = gif->SWidth;
  decoded.Height = gif->SHeight;
  decoded.LoopsForEver = HasEndlessLoop(gif->ExtensionBlocks, gif->ExtensionBlockCount);
  for (int i = 0; i < gif->ImageCount; ++i) {
    const SavedImage& image = gif->SavedImages[i];
    decoded.LoopsForEver |= HasEndlessLoop(image.ExtensionBlocks, image.ExtensionBlockCount);
    const GifImageDesc& desc = image.ImageDesc;
    EXPECT_TRUE(desc.Left == 0 && desc.Top == 0 && desc.Width == gif->SWidth &&
                desc.Height == gif->SHeight && !desc.Interlace);
    const ColorMapObject* map = desc.ColorMap ? desc.ColorMap : gif->SColorMap;
    QImage frame(desc.Width, desc.Height, QImage::Format_RGB32);
    for (int y = 0; y < desc.Height; ++y) {
      for (int x = 0; x < desc.Width; ++x) {
        const GifColorType c = map->Colors[image.RasterBits[y * desc.Width + x]];
        frame.setPixel(x, y, qRgb(c.Red, c.Green, c.Blue));
      }
    }
    decoded.Frames.push_back(frame);
    GraphicsControlBlock control{};
    DGifSavedExtensionToGCB(gif, i, &control);
    decoded.DelaysMs.push_back(control.DelayTime * 10);
  }
  DGifCloseFile(gif, &error);
  return decoded;
}

// The largest of the three channels' mean differences, in levels of 0..255.
double MeanDifference(const QImage& a, const QImage& b) {
  double sum[3] = {};
  for (int y = 0; y < a.height(); ++y) {
    for (int x = 0; x < a.width(); ++x) {
      const QRgb p = a.pixel(x, y);
      const QRgb q = b.pixel(x, y);
      sum[0] += std::abs(qRed(p) - qRed(q));
      sum[1] += std::abs(qGreen(p) - qGreen(q));
      sum[2] += std::abs(qBlue(p) - qBlue(q));
    }
  }
  return *std::max_element(sum, sum + 3) / (a.width() * a.height());
}

// The sheet Save writes now.
QImage SheetNow(TScene& scene) {
  const std::string name = scene.PathOf(scene.SaveViews());
  const QImage sheet = QImage(QString::fromStdString(name)).convertToFormat(QImage::Format_RGB32);
  fs::remove(name);
  return sheet;
}

// What the export may read, and what the window's own animation goes on from.
struct SceneSnapshot {
  explicit SceneSnapshot(const TDoll& doll)
      : Rotation(doll.RotationOffset),
        Turning(doll.Direction),
        Shade(doll.ShadeLevel),
        Progress(doll.OpenProgress),
        Profile(doll.View.DisplayedProfile),
        Front(doll.View.FrontView.copy()),
        Back(doll.View.BackView.copy()),
        Skin(doll.Texture.copy()) {}
  std::int32_t Rotation;
  std::string Turning;
  std::int32_t Shade;
  std::int32_t Progress;
  DollProfile Profile;
  // Deep copies: the bitmaps are written through their row tables, behind QImage's sharing.
  QImage Front;
  QImage Back;
  QImage Skin;
  bool operator==(const SceneSnapshot&) const = default;
};

// The scene of the sample doll, without a window: frames are driven by the test.
class TurnAnimation : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const std::string& file : {ShapeFileName, TextureFileName})
      fs::copy_file(fs::path(KAVINEL_SAMPLES) / file, file);
    scene = std::make_unique<TScene>(fs::current_path().string());
  }
  void TearDown() override {
    SetFileOutputFunctions(nullptr, nullptr);
    scene.reset();
  }

  TDoll& Doll() const { return scene->Doll; }
  void FrameTick() const { scene->FrameTick(); }
  SceneSnapshot Snapshot() const { return SceneSnapshot(Doll()); }
  std::string SaveTurnAnimation() const {
    return ::SaveTurnAnimation(scene->Doll, scene->Folder());
  }

  ScratchFolder folder{true};
  std::unique_ptr<TScene> scene;
};

// The palette's error: 256 colours for a doll of a few hundred, dithered, which keeps each
// area's mean colour but moves single pixels. On the sample doll each channel's mean error
// is at most 1.8 levels in every frame, and a sheet turned two columns further differs from
// a frame by at least 11: twice the error found leaves room for another libimagequant and
// still tells every step apart.
constexpr double PaletteTolerance = 3.6;

struct TurnCase {
  const char* Name;
  std::string Turning;
  int Rotation;
  int Shade;
};

TEST_F(TurnAnimation, FramesAreTheSheetsSaveWritesAsTheWindowTurnsTheDollFromWhereItIs) {
  const TurnCase cases[] = {
      {"clockwise across column 0", DirectionClockwise, 0, 0},
      {"counter-clockwise across column 249", DirectionCounterClockwise, 245, 5},
      {"standing still: as Turn→ turns", "", 37, 2},
  };
  for (const TurnCase& c : cases) {
    SCOPED_TRACE(c.Name);
    Doll().RotationOffset = c.Rotation;
    Doll().Direction = c.Turning;
    Doll().ShadeLevel = c.Shade;
    FrameTick();  // the views on screen
    const SceneSnapshot before = Snapshot();

    const std::string name = SaveTurnAnimation();
    EXPECT_TRUE(Snapshot() == before) << "the export changed the scene";
    const DecodedGif gif = Decode(name);
    fs::remove(name);
    EXPECT_EQ(gif.Width, 400);
    EXPECT_EQ(gif.Height, 200);
    EXPECT_TRUE(gif.LoopsForEver);
    ASSERT_EQ(gif.Frames.size(), 125u);
    EXPECT_EQ(gif.DelaysMs, std::vector<int>(125, 50));

    // The sheets the window shows from here on, turning the doll the way the export turns it.
    if (c.Turning.empty()) {
      Doll().Direction = DirectionClockwise;
      FrameTick();  // turns only after drawing the same view once more
    }
    std::vector<QImage> sheets;
    for (int k = 0; k < 125; ++k, FrameTick()) sheets.push_back(SheetNow(*scene));
    for (int k = 0; k < 125; ++k) {
      const double here = MeanDifference(gif.Frames[k], sheets[k]);
      EXPECT_LE(here, PaletteTolerance) << "frame " << k;
      // Closer to its own sheet than to the one a step either way, or the other way round.
      for (int other : {k + 124, k + 1, 125 - k}) {
        if (other % 125 == k) continue;
        EXPECT_LT(here, MeanDifference(gif.Frames[k], sheets[other % 125]))
            << "frame " << k << " is nearer the sheet " << other % 125;
      }
    }
  }
}

// A read-only folder: existing names are taken, new ones cannot be made.
int ReadOnlyOpen(const char* path, int, mode_t) {
  errno = ::access(path, F_OK) == 0 ? EEXIST : EROFS;
  return -1;
}
ssize_t FullDiskWrite(int, const void*, std::size_t) {
  errno = ENOSPC;
  return -1;
}

struct FileCase {
  const char* Name;
  TOpenFunction Open;
  TWriteFunction Write;
  std::string Written;  // or, when the export fails, the file its error names
};

TEST_F(TurnAnimation, IsTheFirstFreeOutGifWrittenWholeOrNotAtAllNeverReplacingAFile) {
  const FileCase cases[] = {
      {"out00.gif taken", nullptr, nullptr, "out01.gif"},
      {"read-only folder", ReadOnlyOpen, nullptr, ""},
      {"full disk", nullptr, FullDiskWrite, ""},
  };
  FrameTick();
  const SceneSnapshot before = Snapshot();
  for (const FileCase& c : cases) {
    SCOPED_TRACE(c.Name);
    WriteBytes("out00.gif", {'o', 'l', 'd'});
    SetFileOutputFunctions(c.Open, c.Write);
    try {
      EXPECT_EQ(SaveTurnAnimation(), c.Written);
      SetFileOutputFunctions(nullptr, nullptr);
      EXPECT_EQ(Decode(c.Written).Frames.size(), 125u);
    } catch (const EFCreateError& error) {
      SetFileOutputFunctions(nullptr, nullptr);
      EXPECT_EQ(c.Written, "") << error.what();
      EXPECT_NE(std::string(error.what()).find("out01.gif"), std::string::npos) << error.what();
      EXPECT_FALSE(fs::exists("out01.gif"));
    }
    EXPECT_EQ(ReadBytes("out00.gif"), (Bytes{'o', 'l', 'd'}));
    EXPECT_TRUE(Snapshot() == before);
    fs::remove("out01.gif");
  }
}

}  // namespace
