// Reads saved sheets for the end-to-end tests of painting.
// Usage: sheet_check black SHEET X Y [X Y …]   exits 0 when every pixel named is black
//        sheet_check count SHEET1 SHEET2       prints how many pixels the two differ in
//        sheet_check field SHEET               prints X Y of a front view pixel in the middle
//                                              of a field of one colour, 7 × 7, not black
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>

#include "framework/TavoBmp.h"

namespace {

void Read(TTavoBitmap& sheet, const char* fileName) {
  sheet.LoadFromFileAuto(fileName);
}

int Black(int argc, char** argv) {
  TTavoBitmap sheet;
  Read(sheet, argv[2]);
  int notBlack = 0;
  for (int i = 3; i + 1 < argc; i += 2) {
    const int x = std::atoi(argv[i]), y = std::atoi(argv[i + 1]);
    const Pixel24 pixel = sheet.Rows[y][x];
    const bool black = pixel.Red == 0 && pixel.Green == 0 && pixel.Blue == 0;
    std::printf("(%d, %d): #%02x%02x%02x\n", x, y, pixel.Red, pixel.Green, pixel.Blue);
    notBlack += !black;
  }
  return notBlack == 0 ? 0 : 1;
}

int Count(char** argv) {
  TTavoBitmap a, b;
  Read(a, argv[2]);
  Read(b, argv[3]);
  if (a.width() != b.width() || a.height() != b.height()) return 1;
  int differ = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) differ += !SameColour(a.Rows[y][x], b.Rows[y][x]);
  std::printf("%d\n", differ);
  return 0;
}

// Where a fill is sure to paint more than a speck, whatever the doll's turn.
int Field(char** argv) {
  TTavoBitmap sheet;
  Read(sheet, argv[2]);
  const auto plain = [&](int x, int y) {
    const Pixel24 middle = sheet.Rows[y][x];
    if (middle.Red == 0 && middle.Green == 0 && middle.Blue == 0) return false;
    for (int dy = -3; dy <= 3; ++dy)
      for (int dx = -3; dx <= 3; ++dx)
        if (!SameColour(sheet.Rows[y + dy][x + dx], middle)) return false;
    return true;
  };
  for (int y = 30; y <= 170; ++y)
    for (int x = 70; x <= 130; ++x)
      if (plain(x, y)) {
        std::printf("%d %d\n", x, y);
        return 0;
      }
  return 1;
}

}  // namespace

int main(int argc, char** argv) try {
  if (argc >= 5 && std::strcmp(argv[1], "black") == 0) return Black(argc, argv);
  if (argc == 4 && std::strcmp(argv[1], "count") == 0) return Count(argv);
  if (argc == 3 && std::strcmp(argv[1], "field") == 0) return Field(argv);
  std::fprintf(stderr,
               "usage: sheet_check black SHEET X Y [X Y …] | count SHEET1 SHEET2 | field SHEET\n");
  return 2;
} catch (const std::exception& error) {
  std::fprintf(stderr, "%s\n", error.what());
  return 2;
}
