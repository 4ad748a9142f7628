// Makes the README's animated picture from the program's own frames: the sample doll turning
// in its two views over the green streaks, opened, turned, opened again, as a looping
// animated PNG (a viewer without animation shows its first frame).
// Usage: make_animation <samples folder> <output.png>
#include <zlib.h>

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QSaveFile>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <span>
#include <stdexcept>
#include <string>
#include <system_error>
#include <unordered_map>
#include <vector>

#include "doll/Opening.h"
#include "doll/ShapeProfile.h"
#include "scene/Scene.h"
#include "scene/StreakBackdrop.h"

namespace {

// The story in the program's frames of 50 ms: a turn, the first opening, a turn, the second
// opening, a last turn; then the loop starts again with the big doll.
constexpr int TurnBefore = 30;
constexpr int TurnBetween = 20;
constexpr int TurnAfter = 24;
// The streaks start from a black backdrop: they run this many frames with the doll stopped
// before the first frame is kept, so that the loop does not flash back to black.
constexpr int WarmUp = 20;
// Every second frame is kept and shown for two frames' time: the streaks change much of the
// picture every frame, and twice the frames would not fit in MaxBytes.
constexpr int KeptEvery = 2;
constexpr int DelayMilliseconds = KeptEvery * FrameInterval;
// A fixed seed gives the same streaks, and the same file, on every run.
constexpr std::uint32_t StreakSeed = 1;
// The picture is kept in the repository and loads with the README.
constexpr qint64 MaxBytes = 1'000'000;
constexpr int PaletteSize = 256;

// ---- The frames --------------------------------------------------------------------------

struct Recording {
  std::vector<QImage> Frames;
  int Ticks = 0;
};

// Loads the doll and seeds the streaks as the program does at start-up. The program reads
// the two pictures from its working folder, so the tool works in `folder` while loading;
// the errors name only the picture, so the folder goes in front.
void LoadSampleScene(const std::filesystem::path& folder) {
  const std::filesystem::path here = std::filesystem::current_path();
  std::error_code error;
  std::filesystem::current_path(folder, error);
  if (error) throw std::runtime_error(folder.string() + ": " + error.message());
  RandSeed = StreakSeed;
  try {
    CreateSceneBitmaps();
  } catch (const std::exception& failure) {
    throw std::runtime_error(folder.string() + ": " + failure.what());
  }
  std::filesystem::current_path(here);
}

// FrameLeft and FrameRight side by side, as the window shows them.
QImage ShownFrame() {
  QImage frame(2 * ViewSize, ViewSize, QImage::Format_RGB32);
  for (int y = 0; y < ViewSize; ++y) {
    for (int x = 0; x < ViewSize; ++x) {
      frame.setPixel(x, y, FrameLeft->pixel(x, y));
      frame.setPixel(ViewSize + x, y, FrameRight->pixel(x, y));
    }
  }
  return frame;
}

// One frame tick; every KeptEvery-th frame is kept.
void Tick(Recording& recording) {
  FrameTick();
  if (recording.Ticks++ % KeptEvery == 0) recording.Frames.push_back(ShownFrame());
}

void Turn(Recording& recording, int ticks) {
  for (int i = 0; i < ticks; ++i) Tick(recording);
}

// Opens the doll, as the Open button does, and runs the frames until it is at rest again.
void Open(Recording& recording) {
  if (!IsOpenable()) throw std::runtime_error("the sample doll cannot open");
  OpenDoll();
  while (OpenProgress < OpenProgressAtRest) Tick(recording);
}

std::vector<QImage> RecordFrames(const std::filesystem::path& samples) {
  LoadSampleScene(samples);
  Direction = "";
  for (int i = 0; i < WarmUp; ++i) FrameTick();
  Direction = DirectionClockwise;
  Recording recording;
  Turn(recording, TurnBefore);
  Open(recording);
  Turn(recording, TurnBetween);
  Open(recording);
  Turn(recording, TurnAfter);
  return recording.Frames;
}

// ---- The palette: median cut over every pixel of every frame -----------------------------

struct ColourCount {
  QRgb Colour;
  qint64 Count;
};
using Box = std::span<ColourCount>;

int Channel(QRgb colour, int channel) {
  return (colour >> (16 - 8 * channel)) & 0xFF;  // 0 red, 1 green, 2 blue
}

std::vector<ColourCount> CountColours(const std::vector<QImage>& frames) {
  std::unordered_map<QRgb, qint64> counts;
  for (const QImage& frame : frames) {
    for (int y = 0; y < frame.height(); ++y) {
      const auto* row = reinterpret_cast<const QRgb*>(frame.constScanLine(y));
      for (int x = 0; x < frame.width(); ++x) ++counts[row[x]];
    }
  }
  std::vector<ColourCount> colours;
  for (const auto& [colour, count] : counts) colours.push_back({colour, count});
  return colours;
}

// How far the box's colours spread along `channel`.
int Spread(Box box, int channel) {
  const auto [low, high] = std::minmax_element(box.begin(), box.end(), [&](auto& a, auto& b) {
    return Channel(a.Colour, channel) < Channel(b.Colour, channel);
  });
  return Channel(high->Colour, channel) - Channel(low->Colour, channel);
}

int WidestChannel(Box box) {
  int widest = 0;
  for (int channel = 1; channel < 3; ++channel)
    if (Spread(box, channel) > Spread(box, widest)) widest = channel;
  return widest;
}

// Sorts the box along its widest channel and cuts it where half of its pixels lie on either
// side, so that the colours most pixels show get the finest steps.
std::pair<Box, Box> Split(Box box) {
  const int channel = WidestChannel(box);
  std::sort(box.begin(), box.end(), [&](auto& a, auto& b) {
    return Channel(a.Colour, channel) < Channel(b.Colour, channel);
  });
  qint64 total = 0;
  for (const ColourCount& c : box) total += c.Count;
  std::size_t cut = 1;
  for (qint64 below = box[0].Count; cut + 1 < box.size() && 2 * below < total; ++cut)
    below += box[cut].Count;
  return {box.first(cut), box.subspan(cut)};
}

// The count-weighted mean colour of a box.
QRgb Mean(Box box) {
  qint64 sum[3] = {}, total = 0;
  for (const ColourCount& c : box) {
    for (int channel = 0; channel < 3; ++channel)
      sum[channel] += Channel(c.Colour, channel) * c.Count;
    total += c.Count;
  }
  const auto mean = [&](int channel) {
    return static_cast<int>((sum[channel] + total / 2) / total);
  };
  return qRgb(mean(0), mean(1), mean(2));
}

// Splits the box that spreads furthest in any channel until there are `size` boxes, or no
// box holds more than one colour, and gives each box its mean colour.
QList<QRgb> MedianCut(std::vector<ColourCount> colours, int size) {
  std::vector<Box> boxes{Box(colours)};
  const auto reach = [](Box box) { return Spread(box, WidestChannel(box)); };
  while (static_cast<int>(boxes.size()) < size) {
    const auto widest = std::max_element(boxes.begin(), boxes.end(),
                                         [&](Box a, Box b) { return reach(a) < reach(b); });
    if (reach(*widest) == 0) break;
    const auto [low, high] = Split(*widest);
    *widest = low;
    boxes.push_back(high);
  }
  QList<QRgb> palette;
  for (Box box : boxes) palette.append(Mean(box));
  return palette;
}

// ---- The animated PNG --------------------------------------------------------------------

void PutInt(QByteArray& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.append(static_cast<char>(value >> shift));
}

void PutShort(QByteArray& out, int value) {
  out.append(static_cast<char>(value >> 8));
  out.append(static_cast<char>(value));
}

// A chunk: the length of its data, its type and data, and the CRC of type and data.
void PutChunk(QByteArray& png, const char* type, const QByteArray& data) {
  const QByteArray body = QByteArray(type, 4) + data;
  PutInt(png, static_cast<std::uint32_t>(data.size()));
  png.append(body);
  PutInt(png, crc32(0, reinterpret_cast<const Bytef*>(body.constData()), body.size()));
}

// The picture's size, 8-bit indices into a palette, the one compression and filter method,
// no interlace.
QByteArray ImageHeader(QSize size) {
  QByteArray data;
  PutInt(data, size.width());
  PutInt(data, size.height());
  data.append("\x08\x03\x00\x00\x00", 5);
  return data;
}

// How many frames, played forever.
QByteArray AnimationControl(int frames) {
  QByteArray data;
  PutInt(data, frames);
  PutInt(data, 0);
  return data;
}

QByteArray Palette(const QList<QRgb>& palette) {
  QByteArray data;
  for (QRgb colour : palette) {
    data.append(static_cast<char>(qRed(colour)));
    data.append(static_cast<char>(qGreen(colour)));
    data.append(static_cast<char>(qBlue(colour)));
  }
  return data;
}

// A frame covering the whole picture, shown for DelayMilliseconds, that replaces the frame
// before it and stays until the next one.
QByteArray FrameControl(int sequence, QSize size) {
  QByteArray data;
  PutInt(data, sequence);
  PutInt(data, size.width());
  PutInt(data, size.height());
  PutInt(data, 0);  // x offset
  PutInt(data, 0);  // y offset
  PutShort(data, DelayMilliseconds);
  PutShort(data, 1000);
  data.append("\x00\x00", 2);  // no disposal, source blending
  return data;
}

// The rows, each after the filter byte 0: filters only help pictures of true colour.
QByteArray Deflated(const QImage& indexed) {
  QByteArray rows;
  for (int y = 0; y < indexed.height(); ++y) {
    rows.append('\0');
    rows.append(reinterpret_cast<const char*>(indexed.constScanLine(y)), indexed.width());
  }
  uLongf size = compressBound(rows.size());
  QByteArray data(static_cast<qsizetype>(size), '\0');
  if (compress2(reinterpret_cast<Bytef*>(data.data()), &size,
                reinterpret_cast<const Bytef*>(rows.constData()), rows.size(),
                Z_BEST_COMPRESSION) != Z_OK)
    throw std::runtime_error("zlib could not compress a frame");
  data.truncate(static_cast<qsizetype>(size));
  return data;
}

// Qt gives each pixel the palette's nearest colour (least sum of channel differences) and
// does not dither: a steady colour stays one index from frame to frame, which packs well and
// does not shimmer. The first frame is also the picture viewers without animation show.
QByteArray EncodeApng(const std::vector<QImage>& frames, const QList<QRgb>& palette) {
  const QSize size = frames.front().size();
  QByteArray png("\x89PNG\r\n\x1A\n", 8);
  PutChunk(png, "IHDR", ImageHeader(size));
  PutChunk(png, "acTL", AnimationControl(static_cast<int>(frames.size())));
  PutChunk(png, "PLTE", Palette(palette));
  int sequence = 0;  // frame controls and frame data share one count
  for (std::size_t i = 0; i < frames.size(); ++i) {
    PutChunk(png, "fcTL", FrameControl(sequence++, size));
    const QByteArray data = Deflated(frames[i].convertToFormat(QImage::Format_Indexed8, palette));
    if (i == 0) {
      PutChunk(png, "IDAT", data);
      continue;
    }
    QByteArray numbered;
    PutInt(numbered, sequence++);
    PutChunk(png, "fdAT", numbered + data);
  }
  PutChunk(png, "IEND", QByteArray());
  return png;
}

void Save(const QByteArray& png, const char* fileName) {
  if (png.size() >= MaxBytes)
    throw std::runtime_error("the picture would be " + std::to_string(png.size()) +
                             " bytes, over the README's limit");
  QSaveFile file(QString::fromLocal8Bit(fileName));
  if (!file.open(QIODevice::WriteOnly) || file.write(png) != png.size() || !file.commit())
    throw EFCreateError(fileName, file.errorString().toStdString());
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_animation <samples folder> <output.png>\n");
    return 2;
  }
  try {
    const std::vector<QImage> frames = RecordFrames(argv[1]);
    const QList<QRgb> palette = MedianCut(CountColours(frames), PaletteSize);
    const QByteArray png = EncodeApng(frames, palette);
    Save(png, argv[2]);
    std::printf("wrote %s: %zu frames of %d ms, %lld colours, %lld bytes\n", argv[2], frames.size(),
                DelayMilliseconds, static_cast<long long>(palette.size()),
                static_cast<long long>(png.size()));
  } catch (const std::exception& error) {
    std::fprintf(stderr, "make_animation: %s\n", error.what());
    return 1;
  }
  return 0;
}
