// What a doll file made to be costly costs: each one opened into a new folder, as the program
// and the launcher open it, and thumbnailed by kavinel-thumbnailer, each in a process of its
// own, measured by its wall time and its peak resident size beside those of the sample doll
// file. Targets: at most 100 MB above the sample's peak and 2 s to open (1 s to thumbnail);
// the sample itself no slower than before.
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "dollfile/DollExport.h"
#include "dollfile/DollUnpack.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

void Put(TBytes& bytes, std::uint32_t value, int width) {
  for (int i = 0; i < width; ++i) bytes.push_back(value >> 8 * i & 0xFF);
}

// A BMP with a two-colour table (black, white) of `side` × `side` pixels, `bits` deep, whose
// pixel data is `data`; run-length coded when `compression` is 1.
TBytes Bmp(int side, int bits, std::uint32_t compression, const TBytes& data) {
  TBytes bmp{'B', 'M'};
  const std::uint32_t offset = 14 + 40 + 2 * 4;
  Put(bmp, offset + data.size(), 4);
  Put(bmp, 0, 4);
  Put(bmp, offset, 4);
  for (const auto& [value, width] :
       std::initializer_list<std::pair<std::uint32_t, int>>{{40, 4},
                                                            {std::uint32_t(side), 4},
                                                            {std::uint32_t(side), 4},
                                                            {1, 2},
                                                            {std::uint32_t(bits), 2},
                                                            {compression, 4},
                                                            {std::uint32_t(data.size()), 4},
                                                            {0, 4},
                                                            {0, 4},
                                                            {2, 4},
                                                            {0, 4},
                                                            {0, 4},
                                                            {0xFFFFFF, 4}})
    Put(bmp, value, width);
  bmp.insert(bmp.end(), data.begin(), data.end());
  return bmp;
}

// Rows of black, stored plainly.
TBytes Plain(int side, int bits) {
  return Bmp(side, bits, 0, TBytes(std::size_t(side) * ((side * bits + 31) / 32 * 4), 0));
}

// Every row made of runs of two pixels, alternately black and white: as many codes as a
// picture of that size can hold.
TBytes RunLength(int side) {
  TBytes codes;
  for (int y = 0; y < side; ++y) {
    for (int x = 0; x < side; x += 2) codes.insert(codes.end(), {2, std::uint8_t(x / 2 % 2)});
    codes.insert(codes.end(), {0, 0});
  }
  codes.insert(codes.end(), {0, 1});
  return Bmp(side, 8, 1, codes);
}

void Write(const fs::path& file, const TBytes& bytes) {
  std::ofstream(file, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

struct TCost {
  double Seconds = 0;
  double PeakMb = 0;
};

// Runs `argv` in a new process; its wall time and peak resident size.
TCost Run(std::vector<std::string> arguments) {
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  const auto start = std::chrono::steady_clock::now();
  pid_t child = 0;
  int status = 0;
  rusage usage{};
  if (posix_spawn(&child, argv[0], nullptr, nullptr, argv.data(), environ) != 0 ||
      wait4(child, &status, 0, &usage) != child)
    throw std::runtime_error("cannot run " + arguments[0]);
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  return {took.count(), usage.ru_maxrss / 1024.0};
}

// The median time and the largest peak of three runs.
TCost Measure(const std::vector<std::string>& arguments) {
  std::vector<TCost> costs;
  for (int i = 0; i < 3; ++i) costs.push_back(Run(arguments));
  std::sort(costs.begin(), costs.end(),
            [](const TCost& a, const TCost& b) { return a.Seconds < b.Seconds; });
  TCost cost = costs[1];
  for (const TCost& each : costs) cost.PeakMb = std::max(cost.PeakMb, each.PeakMb);
  return cost;
}

// The files: the sample set, and the four a hostile sender would send.
void MakeFiles(const fs::path& folder) {
  fs::create_directories(folder / "doll");
  for (const auto& entry : fs::directory_iterator(KAVINEL_SAMPLES))
    fs::copy_file(entry.path(), folder / "doll" / entry.path().filename(),
                  fs::copy_options::overwrite_existing);
  const fs::path sample = folder / "sample.kavinel";
  fs::remove(sample);
  ExportDoll((folder / "doll").string(), sample.string(), false);
  const auto pair = [&](const char* name, const TBytes& picture) {
    Write(folder / name, PackDoll({{"シェイプ.bmp", picture}, {"テクスチャ.bmp", picture}}, {}));
  };
  pair("large.kavinel", Plain(8192, 8));
  pair("one-bit.kavinel", Plain(8192, 1));
  pair("run-length.kavinel", RunLength(8192));
  Write(folder / "no-zip.kavinel", {});
  fs::resize_file(folder / "no-zip.kavinel", std::uintmax_t{500} << 20);
}

const std::pair<const char*, const char*> Files[] = {
    {"the sample set", "sample.kavinel"},
    {"two 8192 × 8192 8-bit pictures", "large.kavinel"},
    {"two 8192 × 8192 one-bit pictures", "one-bit.kavinel"},
    {"two 8192 × 8192 run-length pictures", "run-length.kavinel"},
    {"a 500 MiB file that is no ZIP", "no-zip.kavinel"}};

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "--open") {  // one opening, in its own process
    try {
      UnpackDollFile(argv[2], argv[3]);
    } catch (const std::exception&) {
      // A refusal is an outcome like any other here.
    }
    return 0;
  }
  if (argc == 3 && std::string(argv[1]) == "--make") {
    MakeFiles(argv[2]);
    return 0;
  }
  // Everything is made and measured in other processes: a process started from this one
  // counts this one's memory in its peak.
  const fs::path folder = fs::temp_directory_path() / "kavinel-hostile-bench";
  fs::remove_all(folder);
  const std::string self = fs::read_symlink("/proc/self/exe").string();
  Run({self, "--make", folder.string()});
  std::printf("%-38s %12s %12s %16s %16s\n", "doll file", "open (s)", "open (MB)", "thumbnail (s)",
              "thumbnail (MB)");
  for (const auto& [what, name] : Files) {
    const fs::path file = folder / name;
    const TCost open = Measure({self, "--open", file.string(), (folder / "opened").string()});
    const TCost thumbnail =
        Measure({KAVINEL_THUMBNAILER, "-s", "128", file.string(), (folder / "t.png").string()});
    std::printf("%-38s %12.3f %12.1f %16.3f %16.1f\n", what, open.Seconds, open.PeakMb,
                thumbnail.Seconds, thumbnail.PeakMb);
    fs::remove_all(folder / "opened");
  }
  std::cout << "\n(A refusal, as of the file that is no ZIP, is an outcome like any other.)\n"
            << "Targets: each at most 100 MB above the sample set's peak, opened in at most 2 s "
               "and thumbnailed in at most 1 s.\n";
  fs::current_path(fs::temp_directory_path());
  fs::remove_all(folder);
}
