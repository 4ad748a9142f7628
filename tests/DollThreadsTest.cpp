// Dolls are values: two of them drawn at once on two threads each give, bit for bit, what they
// give alone. Built on its own under ThreadSanitizer too (make test-threads).
#include <gtest/gtest.h>

#include <QByteArray>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "doll/Doll.h"
#include "doll/DollThumbnail.h"
#include "doll/Opening.h"
#include "doll/ShapeProfile.h"

namespace {

const std::filesystem::path Samples = KAVINEL_SAMPLES;

// The sample nest: the outer doll and the pictures of levels 2 and 3.
TNest SampleNest() {
  TNest nest;
  for (const int level : {1, 2, 3})
    nest[level] = {ReadShapeProfile(Samples / LevelShapeName(level)),
                   ReadSkin(Samples / LevelSkinName(level))};
  return nest;
}

void Append(QByteArray& out, const TTavoBitmap& bitmap) {
  for (int y = 0; y < bitmap.height(); ++y)
    out.append(reinterpret_cast<const char*>(bitmap.Rows[y].Data()), 3 * bitmap.width());
}

// The frames of the sample doll opened twice, shaded and turning, both views of each.
QByteArray SceneFrames(const TNest& nest) {
  auto doll = std::make_unique<TDoll>();
  doll->Nest = nest;
  ShowLevel(*doll, 1);
  doll->ShadeLevel = 3;
  QByteArray frames;
  for (int opening = 0; opening < 2; ++opening) {
    OpenDoll(*doll);
    while (!DollAtRest(*doll)) {
      AdvanceOpening(*doll);
      RenderViews(*doll);
      doll->RotationOffset = (doll->RotationOffset + TurnStep) % TextureColumns;
      Append(frames, doll->View.FrontView);
      Append(frames, doll->View.BackView);
    }
  }
  return frames;
}

// The pictures the shelf and a doll file show of the sample doll: at rest, and left turned and
// shaded.
QByteArray Thumbnails(const TNest& nest) {
  QByteArray pictures;
  const QImage thumbnail = DollThumbnail(*nest.at(1).Outline, *nest.at(1).Skin);
  pictures.append(reinterpret_cast<const char*>(thumbnail.constBits()), thumbnail.sizeInBytes());
  TDollFront front(*nest.at(2).Outline, *nest.at(2).Skin);
  for (const int rotation : {0, 77, 249}) {
    const QImage picture = front.Draw(rotation, 5);
    pictures.append(reinterpret_cast<const char*>(picture.constBits()), picture.sizeInBytes());
  }
  return pictures;
}

TEST(DollThreads, TwoDollsDrawnAtOnceGiveWhatEachGivesAlone) {
  const TNest nest = SampleNest();
  using TWork = std::function<QByteArray(const TNest&)>;
  const struct {
    const char* Name;
    TWork First;
    TWork Second;
  } rows[] = {
      {"a thumbnail while the scene renders its frames", SceneFrames, Thumbnails},
      {"two scenes", SceneFrames, SceneFrames},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Name);
    const QByteArray first = row.First(nest);
    const QByteArray second = row.Second(nest);
    QByteArray together[2];
    std::thread one([&] { together[0] = row.First(nest); });
    std::thread other([&] { together[1] = row.Second(nest); });
    one.join();
    other.join();
    EXPECT_TRUE(together[0] == first);
    EXPECT_TRUE(together[1] == second);
  }
}

}  // namespace
