// The framework's picture: a 24-bit image with a table of row addresses through which the
// program reads and writes pixels directly, an optional transparency mask, loading by file
// name (BMP, or JPEG by the name's ending), and block copies onto other pictures.
#pragma once

#include <QImage>
#include <QRect>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "TavoErrors.h"

class TPaintBox;

// The bytes of `picture` as a file in `format` ("bmp", "png"), whatever it will be named: the
// file-create error names `fileName` when Qt's writer fails.
QByteArray EncodePicture(const QImage& picture, const char* format, const std::string& fileName);

// One pixel of a row: blue, green, red, as the bytes lie in memory.
struct Pixel24 {
  std::uint8_t Blue;
  std::uint8_t Green;
  std::uint8_t Red;
};
static_assert(sizeof(Pixel24) == 3, "a row is a packed array of three-byte pixels");

// Outside the doll, transparent in masks, the backdrops' fill; ends a row of the shape image.
inline constexpr Pixel24 FrameColour{0, 0, 0};
// Inside the doll in the silhouettes, and the fill of newly sized bitmaps.
inline constexpr Pixel24 KeyColour{255, 255, 255};

// True exactly when blue, green and red are all equal.
inline bool SameColour(const Pixel24& a, const Pixel24& b) {
  return a.Blue == b.Blue && a.Green == b.Green && a.Red == b.Red;
}

// A colour value as the toolkit passes it: red in the lowest byte, then green, then blue.
using TColor = std::uint32_t;
inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clWhite = 0xFFFFFF;
Pixel24 ColorToPixel(TColor colour);

// Font styles as a set of flags.
enum TFontStyle : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = unsigned;

// The address of one row of pixels. Columns are checked only against the declared range
// 0..40,000,000, not against the width: callers keep 0 <= x < width themselves.
class TPixelRow {
 public:
  static constexpr int MaxColumn = 40'000'000;

  TPixelRow() = default;
  explicit TPixelRow(Pixel24* row) : FRow(row) {}

  Pixel24& operator[](int x) const {
    if (static_cast<unsigned>(x) > static_cast<unsigned>(MaxColumn)) throw ERangeError();
    return FRow[x];
  }
  // Raw start of the row, for loops that have already kept their columns in range.
  Pixel24* Data() const { return FRow; }

 private:
  Pixel24* FRow = nullptr;
};

class TTavoBitmap;

// One row address per image row, row 0 at the top; every row index is checked. Rows asked for
// through a bitmap that may be written are its own: where its pixels are shared with a copy
// (a QImage taken of it), it takes pixels of its own first, so that the copy never changes.
class TPixelTable {
 public:
  explicit TPixelTable(TTavoBitmap& owner) : FOwner(owner) {}
  TPixelTable(const TPixelTable&) = delete;
  TPixelTable& operator=(const TPixelTable&) = delete;

  TPixelRow operator[](int y) const {
    CheckIndex(y, static_cast<std::int64_t>(FRows.size()));
    return FRows[static_cast<std::size_t>(y)];
  }
  TPixelRow operator[](int y);
  int Count() const { return static_cast<int>(FRows.size()); }

 private:
  friend class TTavoBitmap;
  TTavoBitmap& FOwner;
  std::vector<TPixelRow> FRows;
};

// The state of the drawing surface that text would be drawn with. The program draws no
// text; a new bitmap starts with height 20, bold, black, clear brush.
struct TCanvasTextStyle {
  int FontHeight = 0;
  TFontStyles FontStyle = 0;
  TColor FontColor = clBlack;
  bool BrushClear = false;
};

// A 24-bit picture (bytes blue, green, red; rows padded to 4 bytes) with its row table.
// The row table points into this bitmap's own pixel memory: a copy takes pixels of its own.
class TTavoBitmap : public QImage {
 public:
  TPixelTable Rows;
  std::unique_ptr<TTavoBitmap> MaskBitmap;

  TTavoBitmap();
  ~TTavoBitmap();
  TTavoBitmap(const TTavoBitmap& other);
  TTavoBitmap& operator=(const TTavoBitmap& other);
  // Takes pixels of its own where a QImage copy shares them, and points the rows there.
  void OwnPixels();

  // Loads a JPEG when the name's bytes end in ".jpg" or ".jpeg", a BMP otherwise. On any
  // error the bitmap keeps its previous picture and row table.
  void LoadFromFileAuto(const std::string& fileName);
  // Decodes a JPEG file into the bitmap; the caller rebuilds the row table.
  void LoadJpeg(const std::string& fileName);
  // Converts to 24 bits and refills Rows from the pixel memory as it is now.
  void RebuildRowTable();

  void SetSizeBlank(int width, int height);
  void SetSizeFilled(int width, int height, Pixel24 colour);
  void Fill(Pixel24 colour);

  // Copies this picture into a new two-colour mask (white where the pixel was
  // `transparent`, black elsewhere) and blackens the transparent pixels here.
  void MakeMask(TColor transparent);
  // Draws this whole picture onto `target` at (x, y), through the mask if there is one,
  // cut off at the target's edges.
  void DrawOn(TTavoBitmap& target, int x, int y) const;
  // Shows this whole picture in the paint box at 0, 0, cut off at its edges. (Defined with
  // the paint box, in the window library.)
  void DrawToPaintBox(TPaintBox& paintBox) const;
  // Stretches or shrinks `sourceRect` of `source` into `targetRect` of this bitmap.
  // Rectangles are left, top, right, bottom with right and bottom exclusive. Where rows or
  // columns are shrunk, the dropped ones are ANDed in, so dark pixels survive.
  void CopyRect(const QRect& targetRect, const TTavoBitmap& source, const QRect& sourceRect);

  void SetTextStyle(int height, TFontStyles style, TColor colour);

  // How many bitmaps exist now (masks included): a long run must not leave any behind.
  static int LiveCount() { return FLiveCount; }
  const TCanvasTextStyle& TextStyle() const { return FTextStyle; }

  // Writes an uncompressed 24-bit BMP, replacing the file whole or not at all (WriteWholeFile).
  void SaveToFile(const std::string& fileName) const;
  // Writes an uncompressed 24-bit BMP into a file that does not exist yet, created so that
  // no existing file can ever be replaced. Returns false, writing nothing, when the name is
  // taken; a failed write removes the partial file and raises an error naming it.
  bool SaveToNewFile(const std::string& fileName) const;
  // Writes an uncompressed 24-bit BMP as `fileName`, keeping the file it replaces under its
  // first free backup name (see ReplaceKeepingOld). Returns the backup's name, or "" when
  // there was no file to keep.
  std::string SaveKeepingOld(const std::string& fileName) const;

 private:
  // CopyRect where the columns map one to one and the target rectangle lies inside.
  void AndRowsInto(const QRect& targetRect, const TTavoBitmap& source, const QRect& sourceRect);
  void Assign(QImage&& picture);

  TCanvasTextStyle FTextStyle;
  static inline std::atomic<int> FLiveCount = 0;  // bitmaps live on any thread
};

inline TPixelRow TPixelTable::operator[](int y) {
  FOwner.OwnPixels();
  return std::as_const(*this)[y];
}

// Which source cells [First, Last) land on target cell i when `source` cells are spread over
// `target` cells, as CopyRect spreads both rows and columns: several, ANDed, when shrinking,
// one repeated when stretching.
struct TCellRange {
  int First;
  int Last;
};
TCellRange SourceCells(int i, int target, int source);

// Rectangle from left, top, right, bottom with right and bottom exclusive.
inline QRect RectLTRB(int left, int top, int right, int bottom) {
  return QRect(left, top, right - left, bottom - top);
}
