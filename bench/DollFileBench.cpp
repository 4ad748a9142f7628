// How fast the sample set (three levels) is written as a doll file and opened into a folder of
// its own, and how fast a file manager gets the 128-pixel thumbnail of that file: in the
// process, the doll rendered, scaled and written as a PNG; and kavinel-thumbnailer run end to
// end as a file manager runs it (start-up, reading and checking the file, the same work, exit),
// with no display.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>

#include <QImage>
#include <QImageWriter>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "MedianReporter.h"
#include "doll/DollThumbnail.h"
#include "doll/Nest.h"
#include "doll/ShapeProfile.h"
#include "dollfile/DollExport.h"
#include "dollfile/DollUnpack.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr int Size = 128;  // what file managers ask for first

fs::path Folder;
DollProfile Outline;
std::shared_ptr<const TTavoBitmap> Skin;

// The sample doll, every level, in a folder of its own; and its doll file written beside it.
void PrepareSampleDoll() {
  fs::create_directories(Folder / "doll");
  for (const auto& entry : fs::directory_iterator(KAVINEL_SAMPLES))
    if (entry.path().extension() == ".bmp")
      fs::copy_file(entry.path(), Folder / "doll" / entry.path().filename(),
                    fs::copy_options::overwrite_existing);
  ExportDoll((Folder / "doll").string(), (Folder / "sample.kavinel").string(), false);
}

// The doll file made from the doll's folder and written whole beside its name.
void Export(benchmark::State& state) {
  const std::string file = (Folder / "export.kavinel").string();
  for (auto _ : state) {
    ExportDoll((Folder / "doll").string(), file, false);
    state.PauseTiming();
    fs::remove(file);
    state.ResumeTiming();
  }
}

// The sample doll file unpacked, checked and moved into a new folder.
void Open(benchmark::State& state) {
  const std::string parent = (Folder / "opened").string();
  for (auto _ : state) {
    const std::string folder = UnpackDollFile((Folder / "sample.kavinel").string(), parent);
    state.PauseTiming();
    fs::remove_all(folder);
    state.ResumeTiming();
  }
}

void InProcess(benchmark::State& state) {
  const QString output = QString::fromStdString((Folder / "in-process.png").string());
  for (auto _ : state) {
    const QImage thumbnail = DollThumbnail(Outline, *Skin)
                                 .scaled(Size, Size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    QImageWriter writer(output, "png");
    if (!writer.write(thumbnail)) state.SkipWithError("cannot write the PNG");
  }
}

// Run as a file manager runs it: a new process, an environment with no display.
void EndToEnd(benchmark::State& state) {
  const std::string input = (Folder / "sample.kavinel").string();
  const std::string output = (Folder / "end-to-end").string();
  const std::string size = std::to_string(Size);
  std::vector<char*> argv = {
      const_cast<char*>(KAVINEL_THUMBNAILER), const_cast<char*>("-s"),
      const_cast<char*>(size.c_str()),        const_cast<char*>(input.c_str()),
      const_cast<char*>(output.c_str()),      nullptr};
  std::vector<std::string> kept;
  for (char** variable = environ; *variable; ++variable) {
    const std::string_view text(*variable);
    if (!text.starts_with("DISPLAY=") && !text.starts_with("WAYLAND_DISPLAY=") &&
        !text.starts_with("QT_QPA_PLATFORM="))
      kept.emplace_back(text);
  }
  std::vector<char*> envp;
  for (std::string& variable : kept) envp.push_back(variable.data());
  envp.push_back(nullptr);
  for (auto _ : state) {
    pid_t child = 0;
    int status = 0;
    if (posix_spawn(&child, argv[0], nullptr, nullptr, argv.data(), envp.data()) != 0 ||
        waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
      state.SkipWithError("kavinel-thumbnailer failed");
  }
}

}  // namespace

int main(int argc, char** argv) {
  Folder = fs::temp_directory_path() / "kavinel-thumbnail-bench";
  fs::create_directories(Folder);
  PrepareSampleDoll();
  Outline = ReadShapeProfile(std::string(KAVINEL_SAMPLES) + "/" + ShapeFileName);
  Skin = ReadSkin(std::string(KAVINEL_SAMPLES) + "/" + TextureFileName);

  using TRun = void (*)(benchmark::State&);
  for (const auto& [name, run] : {std::pair<const char*, TRun>{"Export", Export}, {"Open", Open}})
    benchmark::RegisterBenchmark(name, run)
        ->Unit(benchmark::kMillisecond)
        ->Repetitions(7)
        ->ReportAggregatesOnly(true);
  benchmark::RegisterBenchmark("InProcess", InProcess)
      ->Unit(benchmark::kMillisecond)
      ->Repetitions(7)
      ->ReportAggregatesOnly(true);
  benchmark::RegisterBenchmark("EndToEnd", EndToEnd)
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime()  // the work is the child's
      ->Iterations(5)
      ->Repetitions(7)
      ->ReportAggregatesOnly(true);
  auto m = RunBenchmarksForMedians(argc, argv);
  std::cout << "\nMedians, the sample set as a doll file (target: at most 50 ms each):\n"
            << "  written from its folder: " << m["Export"] << " ms\n"
            << "  opened into a new folder: " << m["Open"] << " ms\n";
  std::cout << "\nMedians, a " << Size << "-pixel thumbnail of the sample doll file (target: at "
            << "most 50 ms):\n"
            << "  in the process (render, scale, write the PNG): " << m["InProcess"] << " ms\n"
            << "  kavinel-thumbnailer end to end: " << m["EndToEnd"] << " ms\n";
  fs::remove_all(Folder);
}
