// How fast painting by hand answers on the sample doll: one dab of the largest brush on the
// widest row, and the same dab mirrored; a second of dragging (60 pointer moves, each a line of
// dabs) with it; the painting's work in a frame tick while the brush is held on a turning doll
// (the band, the level shown again, the check for a write that is due), and while a sticker
// floats over it; the painted skin written; a bucket fill of a whole one-colour skin; and a large
// picture laid as a sticker.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <memory>

#include "MedianReporter.h"
#include "SampleFolder.h"
#include "doll/Fill.h"
#include "doll/Nest.h"
#include "doll/Painting.h"
#include "doll/Sticker.h"
#include "framework/FileOutput.h"
#include "framework/TavoClock.h"
#include "scene/PaintSession.h"
#include "scene/Scene.h"

namespace {

constexpr int Largest = BrushDiameters[std::size(BrushDiameters) - 1];

std::unique_ptr<TScene> Scene;  // the sample doll

// The sample doll's widest row.
int WidestRow() {
  const DollProfile& profile = Scene->Doll.View.DisplayedProfile;
  return static_cast<int>(std::max_element(profile.begin(), profile.end()) - profile.begin());
}

void Dab(benchmark::State& state) {
  const auto skin = CopyOfSkin(*Scene->Doll.Nest.at(1).Skin);
  const TViewPoint point{QPointF(100, WidestRow()), false, 17};
  for (auto _ : state) PaintDab(Scene->Doll, *skin, point, Largest, {Pixel24{0, 0, 0}});
}

// The same dab laid again at its mirror image.
void MirroredDab(benchmark::State& state) {
  const auto skin = CopyOfSkin(*Scene->Doll.Nest.at(1).Skin);
  const TViewPoint point{QPointF(100, WidestRow()), false, 17};
  for (auto _ : state)
    PaintDab(Scene->Doll, *skin, point, Largest, {Pixel24{0, 0, 0}, nullptr, true});
}

// A skin of one colour filled whole, in black and white by turns so that every fill paints.
void FillWholeSkin(benchmark::State& state) {
  TTavoBitmap skin;
  skin.SetSizeFilled(TextureColumns, DollRows, FrameColour);
  bool white = true;
  for (auto _ : state) {
    FillSkin(skin, QPoint(0, 0), DefaultFillTolerance, {white ? KeyColour : FrameColour});
    white = !white;
  }
}

// Sixty moves of five pixels across the doll and back, as a quick hand drags in a second.
void SecondOfDragging(benchmark::State& state) {
  const auto skin = CopyOfSkin(*Scene->Doll.Nest.at(1).Skin);
  const int row = WidestRow();
  for (auto _ : state) {
    TViewPoint from{QPointF(50, row), false, 17};
    for (int move = 1; move <= 60; ++move) {
      const QPointF to(50 + 5 * (move <= 30 ? move : 60 - move), row + move % 7);
      PaintLine(Scene->Doll, *skin, from, to, Largest, {Pixel24{0, 0, 0}});
      from.At = to;
    }
  }
}

// What a frame tick adds while the brush is held and the doll turns by a column a frame.
void HeldBrushTick(benchmark::State& state) {
  TPaintSession& painting = Scene->Painting;
  painting.BeginPainting();
  painting.BeginStroke(painting.ViewPoint(QPointF(100, WidestRow()), false));
  int rotation = 0;
  for (auto _ : state) {
    painting.TurnHeldBrush(++rotation % TextureColumns);
    painting.SavePaintingWhenDue(TimeGetTime());
  }
  painting.EndStroke(false);
  painting.ForgetPainting();
}

// What a frame tick adds while a 1000 × 1000 sticker 64 pixels wide floats over a doll turning
// by a column a frame: the sticker laid on a copy of the skin at the new rotation, shown.
void FloatingStickerTick(benchmark::State& state) {
  TPaintSession& painting = Scene->Painting;
  painting.BeginPainting();
  QImage picture(1000, 1000, QImage::Format_ARGB32);
  picture.fill(qRgba(200, 30, 60, 255));
  painting.FloatSticker(picture, painting.ViewPoint(QPointF(100, WidestRow()), false));
  painting.StepStickerSize(1);
  int rotation = 0;
  for (auto _ : state) {
    painting.TurnSticker(++rotation % TextureColumns);
    painting.SavePaintingWhenDue(TimeGetTime());
  }
  painting.ForgetPainting();
}

// The painted skin written, the old one kept the first time; backups are removed untimed.
void WriteSkin(benchmark::State& state) {
  TPaintSession& painting = Scene->Painting;
  painting.BeginPainting();
  int x = 40;
  for (auto _ : state) {
    state.PauseTiming();
    painting.BeginStroke(painting.ViewPoint(QPointF(x = x < 160 ? x + 1 : 40, WidestRow()), false));
    painting.EndStroke(true);
    state.ResumeTiming();
    painting.SavePainting();
  }
  painting.ForgetPainting();
  for (int n = 1; std::filesystem::remove(BackupName(Scene->PathOf(TextureFileName), n)); ++n) {
  }
}

// A 1000 × 1000 picture, already read, shrunk and laid 120 pixels wide on the widest row:
// each iteration starts from a fresh TStickerPicture, so that the shrink is counted.
void PlaceSticker1000(benchmark::State& state) {
  const auto skin = CopyOfSkin(*Scene->Doll.Nest.at(1).Skin);
  QImage picture(1000, 1000, QImage::Format_ARGB32);
  for (int y = 0; y < picture.height(); ++y)
    for (int x = 0; x < picture.width(); ++x)
      picture.setPixel(x, y, qRgba(x % 256, y % 256, (x + y) % 256, (x * y) % 256));
  const TViewPoint centre{QPointF(100, WidestRow()), false, 17};
  for (auto _ : state) {
    state.PauseTiming();
    TStickerPicture sticker(picture);
    state.ResumeTiming();
    const QSize size = sticker.SizeAt(120);
    PlaceSticker(Scene->Doll, *skin, centre, size, sticker.ShrunkTo(size), false);
  }
}

}  // namespace

int main(int argc, char** argv) {
  const std::string folder = MakeSampleFolder("kavinel-paint-bench");
  Scene = std::make_unique<TScene>(folder);
  using TRun = void (*)(benchmark::State&);
  for (const auto& [name, run] : {std::pair<const char*, TRun>{"Dab", Dab},
                                  {"MirroredDab", MirroredDab},
                                  {"FillWholeSkin", FillWholeSkin},
                                  {"SecondOfDragging", SecondOfDragging},
                                  {"HeldBrushTick", HeldBrushTick},
                                  {"FloatingStickerTick", FloatingStickerTick},
                                  {"WriteSkin", WriteSkin},
                                  {"PlaceSticker1000", PlaceSticker1000}})
    benchmark::RegisterBenchmark(name, run)
        ->Unit(benchmark::kMillisecond)
        ->Repetitions(7)
        ->ReportAggregatesOnly(true);
  auto m = RunBenchmarksForMedians(argc, argv);
  std::cout << "\nMedians, painting the sample doll by hand with the largest brush:\n"
            << "  one dab on the widest row: " << m["Dab"] << " ms (target: at most 0.1)\n"
            << "  the same dab mirrored: " << m["MirroredDab"]
            << " ms (target: at most twice the plain dab)\n"
            << "  a one-colour skin filled whole: " << m["FillWholeSkin"]
            << " ms (target: at most 2)\n"
            << "  a second of dragging, 60 moves: " << m["SecondOfDragging"]
            << " ms (target: at most 5)\n"
            << "  a frame tick's painting, brush held on a turning doll: " << m["HeldBrushTick"]
            << " ms (target: at most 0.5)\n"
            << "  a frame tick's painting, a sticker floating over a turning doll: "
            << m["FloatingStickerTick"] << " ms (target: at most 0.5)\n"
            << "  the painted skin written: " << m["WriteSkin"] << " ms (target: at most 30)\n"
            << "  a 1000 × 1000 sticker shrunk and laid 120 wide: " << m["PlaceSticker1000"]
            << " ms (target: at most 10)\n";
  Scene.reset();
  std::filesystem::remove_all(folder);
}
