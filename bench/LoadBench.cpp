// How fast and how lean a photo-sized picture loads: LoadFromFileAuto on a 24-megapixel BMP
// and JPEG, each beside a plain decode of the same file in the same run (Qt's QImage::load
// for the BMP; the JPEG library's own decode with the same floating-point transform for the
// JPEG), and the peak resident memory that one load adds, beside the 24-bit picture's size;
// and the same peak for an A4 page scanned at 600 dpi in 48-bit colour, as PNG and as TIFF,
// read as a dropped picture.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QImage>
#include <QImageWriter>
#include <cstdio>
// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <string>

#include "MedianReporter.h"
#include "framework/TavoBmp.h"
#include "pictures/PictureReader.h"

namespace {

constexpr int PhotoWidth = 6000;
constexpr int PhotoHeight = 4000;
constexpr double PictureBytes = 3.0 * PhotoWidth * PhotoHeight;  // the 24-bit picture

// An A4 page at 600 dpi: about 35 megapixels.
constexpr int PageWidth = 4961;
constexpr int PageHeight = 7016;
constexpr double PageBytes = 3.0 * PageWidth * PageHeight;

std::string BmpFile;
std::string JpegFile;

// A camera-like picture: smooth gradients with a little noise, so that the JPEG is as
// large as a photo's.
void MakePhoto(TTavoBitmap& photo) {
  photo.SetSizeBlank(PhotoWidth, PhotoHeight);
  std::mt19937 random(7);
  for (int y = 0; y < PhotoHeight; ++y) {
    Pixel24* row = photo.Rows[y].Data();
    for (int x = 0; x < PhotoWidth; ++x) {
      const int noise = static_cast<int>(random() % 16);
      row[x] = Pixel24{static_cast<std::uint8_t>(x * 239 / PhotoWidth + noise),
                       static_cast<std::uint8_t>(y * 239 / PhotoHeight + noise),
                       static_cast<std::uint8_t>((x + y) / 64 % 240 + noise)};
    }
  }
}

// A scanned page in 16 bits a sample: gradients with a little noise in the low byte.
void WritePage(const std::string& pngFile, const std::string& tiffFile) {
  QImage page(PageWidth, PageHeight, QImage::Format_RGBX64);
  std::mt19937 random(7);
  for (int y = 0; y < PageHeight; ++y) {
    auto* row = reinterpret_cast<QRgba64*>(page.scanLine(y));
    for (int x = 0; x < PageWidth; ++x) {
      const auto noise = static_cast<std::uint16_t>(random() % 256);
      row[x] = QRgba64::fromRgba64(static_cast<std::uint16_t>(x * 60000 / PageWidth + noise),
                                   static_cast<std::uint16_t>(y * 60000 / PageHeight + noise),
                                   static_cast<std::uint16_t>((x + y) % 4096 * 14 + noise), 0xFFFF);
    }
  }
  QImageWriter png(QString::fromStdString(pngFile), "png");
  png.setQuality(100);  // stored, not compressed: the largest file such a page makes
  QImageWriter tiff(QString::fromStdString(tiffFile), "tiff");
  if (!png.write(page) || !tiff.write(page)) throw std::runtime_error("cannot write the page");
}

void WriteJpeg(const TTavoBitmap& photo, const std::string& fileName) {
  FILE* out = std::fopen(fileName.c_str(), "wb");
  if (!out) throw std::runtime_error("cannot write " + fileName);
  jpeg_compress_struct cinfo{};
  jpeg_error_mgr errors{};
  cinfo.err = jpeg_std_error(&errors);
  jpeg_create_compress(&cinfo);
  jpeg_stdio_dest(&cinfo, out);
  cinfo.image_width = PhotoWidth;
  cinfo.image_height = PhotoHeight;
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_EXT_BGR;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, 90, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = reinterpret_cast<JSAMPROW>(photo.Rows[cinfo.next_scanline].Data());
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  std::fclose(out);
}

void LoadAuto(benchmark::State& state, const std::string& fileName) {
  for (auto _ : state) {
    TTavoBitmap picture;
    picture.LoadFromFileAuto(fileName);
    benchmark::DoNotOptimize(picture.Rows[0].Data());
  }
}

void QtLoad(benchmark::State& state) {
  for (auto _ : state) {
    QImage picture;
    if (!picture.load(QString::fromStdString(BmpFile))) state.SkipWithError("Qt cannot load");
    benchmark::DoNotOptimize(picture.constBits());
  }
}

// The JPEG library alone: the file through its stdio source, full scale, floating-point
// transform, straight into a 24-bit picture.
void PlainJpeg(benchmark::State& state) {
  for (auto _ : state) {
    FILE* in = std::fopen(JpegFile.c_str(), "rb");
    jpeg_decompress_struct cinfo{};
    jpeg_error_mgr errors{};
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&cinfo);
    jpeg_stdio_src(&cinfo, in);
    jpeg_read_header(&cinfo, TRUE);
    cinfo.dct_method = JDCT_FLOAT;
    cinfo.out_color_space = JCS_EXT_BGR;
    jpeg_start_decompress(&cinfo);
    QImage picture(static_cast<int>(cinfo.output_width), static_cast<int>(cinfo.output_height),
                   QImage::Format_BGR888);
    while (cinfo.output_scanline < cinfo.output_height) {
      JSAMPROW row = picture.scanLine(static_cast<int>(cinfo.output_scanline));
      jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    std::fclose(in);
    benchmark::DoNotOptimize(picture.constBits());
  }
}

long ResidentKb() {
  std::ifstream statm("/proc/self/statm");
  long size = 0, resident = 0;
  statm >> size >> resident;
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// The resident memory one load adds at its peak, in bytes, measured in a child process so
// that no earlier allocation hides it.
template <typename Load>
double PeakLoadBytes(const std::string& fileName, Load load) {
  int pipeEnds[2];
  if (::pipe(pipeEnds) != 0) return -1;
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(pipeEnds[0]);
    const long before = ResidentKb();
    try {
      load(fileName);
    } catch (const std::exception& e) {
      std::cerr << e.what() << "\n";
      ::_exit(1);
    }
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const double added = 1024.0 * static_cast<double>(usage.ru_maxrss - before);
    ::_exit(::write(pipeEnds[1], &added, sizeof added) == sizeof added ? 0 : 1);
  }
  ::close(pipeEnds[1]);
  double added = -1;  // what a child that failed reports
  if (::read(pipeEnds[0], &added, sizeof added) != sizeof added) added = -1;
  ::waitpid(child, nullptr, 0);
  ::close(pipeEnds[0]);
  return added;
}

template <class Run>
void Register(const char* name, Run run) {
  benchmark::RegisterBenchmark(name, run)
      ->Unit(benchmark::kMillisecond)
      ->Repetitions(7)
      ->ReportAggregatesOnly(true);
}

}  // namespace

int main(int argc, char** argv) {
  const auto folder = std::filesystem::temp_directory_path() / "kavinel-load-bench";
  std::filesystem::create_directories(folder);
  BmpFile = (folder / "photo.bmp").string();
  JpegFile = (folder / "photo.jpg").string();
  const std::string pngPage = (folder / "page.png").string();
  const std::string tiffPage = (folder / "page.tif").string();
  // Written in a child: Qt's writers start a pool of threads, on which a child forked later
  // from this process would wait for ever.
  if (const pid_t writer = ::fork(); writer == 0) {
    TTavoBitmap photo;
    MakePhoto(photo);
    photo.SaveToFile(BmpFile);
    WriteJpeg(photo, JpegFile);
    WritePage(pngPage, tiffPage);
    ::_exit(0);
  } else {
    ::waitpid(writer, nullptr, 0);
  }
  std::cout << "A " << PhotoWidth << " × " << PhotoHeight << " photo: BMP "
            << std::filesystem::file_size(BmpFile) << " bytes, JPEG "
            << std::filesystem::file_size(JpegFile) << " bytes\n"
            << "A " << PageWidth << " × " << PageHeight << " 48-bit page: PNG "
            << std::filesystem::file_size(pngPage) << " bytes, TIFF "
            << std::filesystem::file_size(tiffPage) << " bytes\n"
            << std::flush;  // not again from a child that reports an error
  // Measured first, before the benchmarks' own allocations.
  const auto loadAuto = [](const std::string& name) { TTavoBitmap().LoadFromFileAuto(name); };
  const double bmpPeak = PeakLoadBytes(BmpFile, loadAuto);
  const double jpegPeak = PeakLoadBytes(JpegFile, loadAuto);
  const auto drop = [](const std::string& name) { ReadPicture(name); };
  const double pngPeak = PeakLoadBytes(pngPage, drop);
  const double tiffPeak = PeakLoadBytes(tiffPage, drop);
  std::filesystem::remove(pngPage);
  std::filesystem::remove(tiffPage);

  Register("LoadFromFileAuto(bmp)", [](benchmark::State& state) { LoadAuto(state, BmpFile); });
  Register("QImage::load(bmp)", QtLoad);
  Register("LoadFromFileAuto(jpeg)", [](benchmark::State& state) { LoadAuto(state, JpegFile); });
  Register("libjpeg(jpeg)", PlainJpeg);
  auto m = RunBenchmarksForMedians(argc, argv);
  std::cout << "\nMedians beside the plain decode (target: ratio at most 1.5):\n"
            << "  BMP:  " << m["LoadFromFileAuto(bmp)"] << " ms, QImage::load "
            << m["QImage::load(bmp)"] << " ms, ratio "
            << m["LoadFromFileAuto(bmp)"] / m["QImage::load(bmp)"] << "\n"
            << "  JPEG: " << m["LoadFromFileAuto(jpeg)"] << " ms, libjpeg " << m["libjpeg(jpeg)"]
            << " ms, ratio " << m["LoadFromFileAuto(jpeg)"] / m["libjpeg(jpeg)"] << "\n"
            << "Peak resident memory a load adds, in 24-bit pictures (target: at most 4):\n"
            << "  BMP:  " << bmpPeak / 1e6 << " MB, " << bmpPeak / PictureBytes << "\n"
            << "  JPEG: " << jpegPeak / 1e6 << " MB, " << jpegPeak / PictureBytes << "\n"
            << "Peak resident memory a dropped 48-bit page adds, in 24-bit pictures (target: at "
               "most 4.5; a failed read shows as negative):\n"
            << "  PNG:  " << pngPeak / 1e6 << " MB, " << pngPeak / PageBytes << "\n"
            << "  TIFF: " << tiffPeak / 1e6 << " MB, " << tiffPeak / PageBytes << "\n";
  std::filesystem::remove_all(folder);
}
