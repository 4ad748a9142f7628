// How fast a photo dropped on the doll becomes its new skin: DropPicture on a 24-megapixel
// JPEG and PNG (read, fit to the half a view shows, the texture written and the doll read
// again), each beside Qt's plain decode of the same file in the same run.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <filesystem>
#include <iostream>
#include <memory>
#include <random>
#include <string>

#include "MedianReporter.h"
#include "SampleFolder.h"
#include "framework/FileOutput.h"
#include "scene/Scene.h"
#include "scene/SkinPicture.h"

namespace {

constexpr int PhotoWidth = 6000;
constexpr int PhotoHeight = 4000;

std::string JpegFile;
std::string PngFile;
std::unique_ptr<TScene> Scene;  // the sample doll, shown again after each drop

// A camera-like picture: smooth gradients with a little noise, so that the files are as large
// as a photo's.
QImage MakePhoto() {
  QImage photo(PhotoWidth, PhotoHeight, QImage::Format_RGB32);
  std::mt19937 random(7);
  for (int y = 0; y < PhotoHeight; ++y) {
    auto* row = reinterpret_cast<QRgb*>(photo.scanLine(y));
    for (int x = 0; x < PhotoWidth; ++x) {
      const int noise = static_cast<int>(random() % 16);
      row[x] = qRgb(x * 239 / PhotoWidth + noise, y * 239 / PhotoHeight + noise,
                    (x + y) / 64 % 240 + noise);
    }
  }
  return photo;
}

// Each drop keeps the skin it replaces under a new backup name; those are removed untimed.
void RemoveBackups() {
  for (int n = 1; std::filesystem::remove(BackupName(Scene->PathOf(TextureFileName), n)); ++n) {
  }
}

void Drop(benchmark::State& state, const std::string& fileName) {
  for (auto _ : state) {
    Scene->DropPicture(fileName, 0);
    state.PauseTiming();
    RemoveBackups();
    state.ResumeTiming();
  }
}

void QtLoad(benchmark::State& state, const std::string& fileName) {
  for (auto _ : state) {
    QImage picture;
    if (!picture.load(QString::fromStdString(fileName))) state.SkipWithError("Qt cannot load");
    benchmark::DoNotOptimize(picture.constBits());
  }
}

// The fit alone, on the full-size photo (what a PNG drop fits).
void Fit(benchmark::State& state, const std::string& fileName) {
  QImage photo;
  photo.load(QString::fromStdString(fileName));
  for (auto _ : state) benchmark::DoNotOptimize(FitToSkinHalf(photo, 90).constBits());
}

void Register(const char* name, void (*run)(benchmark::State&, const std::string&),
              const std::string& fileName) {
  benchmark::RegisterBenchmark(name, run, fileName)
      ->Unit(benchmark::kMillisecond)
      ->Repetitions(7)
      ->ReportAggregatesOnly(true);
}

}  // namespace

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  const std::string folder = MakeSampleFolder("kavinel-drop-bench");
  JpegFile = (std::filesystem::path(folder) / "photo.jpg").string();
  PngFile = (std::filesystem::path(folder) / "photo.png").string();
  {
    const QImage photo = MakePhoto();
    photo.save(QString::fromStdString(JpegFile), "jpeg", 90);
    photo.save(QString::fromStdString(PngFile), "png");
  }
  std::cout << "A " << PhotoWidth << " × " << PhotoHeight << " photo: JPEG "
            << std::filesystem::file_size(JpegFile) << " bytes, PNG "
            << std::filesystem::file_size(PngFile) << " bytes\n";
  Scene = std::make_unique<TScene>(folder);  // the scene a drop shows the doll again in

  Register("DropPicture(jpeg)", Drop, JpegFile);
  Register("QImage::load(jpeg)", QtLoad, JpegFile);
  Register("DropPicture(png)", Drop, PngFile);
  Register("QImage::load(png)", QtLoad, PngFile);
  Register("FitToSkinHalf(png)", Fit, PngFile);
  auto m = RunBenchmarksForMedians(argc, argv);
  std::cout << "\nMedians, drop to new skin beside Qt's plain decode:\n"
            << "  JPEG: " << m["DropPicture(jpeg)"] << " ms (target: at most 100), QImage::load "
            << m["QImage::load(jpeg)"] << " ms\n"
            << "  PNG:  " << m["DropPicture(png)"] << " ms, QImage::load " << m["QImage::load(png)"]
            << " ms, ratio " << m["DropPicture(png)"] / m["QImage::load(png)"]
            << " (target: at most 1.2)\n"
            << "  The fit of the full-size PNG alone: " << m["FitToSkinHalf(png)"] << " ms\n";
  Scene.reset();
  std::filesystem::remove_all(folder);
}
