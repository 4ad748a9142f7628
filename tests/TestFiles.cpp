#include "TestFiles.h"

#include <jpeglib.h>
#include <png.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace fs = std::filesystem;

namespace {

// The tests' settings, caches and trash lie in a scratch folder of their own, never the
// developer's: set before any test runs.
struct TDesktopFolders {
  TDesktopFolders() {
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME"}) {
      fs::create_directories(Folders.Path(name));
      setenv(name, Folders.Path(name).c_str(), 1);
    }
  }
  ScratchFolder Folders;
} const DesktopFolders;

}  // namespace

ScratchFolder::ScratchFolder(bool enter) {
  std::string pattern = (fs::temp_directory_path() / "kavinel-test-XXXXXX").string();
  if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot make a scratch folder");
  FPath = pattern;
  if (enter) {
    FPrevious = fs::current_path();
    fs::current_path(FPath);
  }
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  if (!FPrevious.empty()) fs::current_path(FPrevious, ignored);
  fs::permissions(FPath, fs::perms::owner_all, fs::perm_options::add, ignored);
  fs::remove_all(FPath, ignored);
}

std::string ScratchFolder::Path(const std::string& name) const {
  return (FPath / name).string();
}

void WriteBytes(const std::string& fileName, const Bytes& bytes) {
  std::ofstream out(fileName, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + fileName);
}

TFolder FolderFiles(const std::string& folder) {
  TFolder files;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    files[entry.path().filename().string()] = ReadBytes(entry.path().string());
  return files;
}

Bytes ReadBytes(const std::string& fileName) {
  std::ifstream in(fileName, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

namespace {

void Put16(Bytes& b, std::size_t at, std::uint32_t v) {
  b[at] = static_cast<std::uint8_t>(v);
  b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
void Put32(Bytes& b, std::size_t at, std::uint32_t v) {
  Put16(b, at, v & 0xFFFF);
  Put16(b, at + 2, v >> 16);
}

}  // namespace

Bytes BuildBmp(const BmpParts& parts) {
  const bool core = parts.HeaderSize == 12;
  // Every field of the largest header, cut to the header's size: a short OS/2 header ends
  // after any field, and the masks are inside a header of 52 bytes or more.
  Bytes header(124, 0);
  Put32(header, 0, parts.HeaderSize);
  if (core) {
    Put16(header, 4, static_cast<std::uint32_t>(parts.Width));
    Put16(header, 6, static_cast<std::uint32_t>(parts.Height));
    Put16(header, 8, parts.Planes);
    Put16(header, 10, parts.Bits);
  } else {
    Put32(header, 4, static_cast<std::uint32_t>(parts.Width));
    Put32(header, 8, static_cast<std::uint32_t>(parts.Height));
    Put16(header, 12, parts.Planes);
    Put16(header, 14, parts.Bits);
    Put32(header, 16, parts.Compression);
    Put32(header, 32, parts.ColoursUsed);
    for (int i = 0; i < 4; ++i) Put32(header, 40 + 4 * i, parts.Masks[i]);
  }
  Bytes file(14 + parts.HeaderSize, 0);
  file[0] = 'B';
  file[1] = 'M';
  std::copy_n(header.begin(), std::min<std::size_t>(parts.HeaderSize, 124), file.begin() + 14);
  if (parts.WriteMasks) {
    for (int i = 0; i < (parts.Compression == 6 ? 4 : 3); ++i) {
      file.resize(file.size() + 4);
      Put32(file, file.size() - 4, parts.Masks[i]);
    }
  }
  for (const auto& entry : parts.Palette) {
    file.insert(file.end(), entry.begin(), entry.end());
    if (!core) file.push_back(0);
  }
  Put32(file, 10, parts.DataOffset.value_or(static_cast<std::uint32_t>(file.size())));
  const bool rle = parts.Compression == 1 || parts.Compression == 2;
  const std::size_t rowBytes = (static_cast<std::size_t>(parts.Width) * parts.Bits + 31) / 32 * 4;
  for (const Bytes& row : parts.Rows) {
    file.insert(file.end(), row.begin(), row.end());
    if (!rle) file.resize(file.size() + rowBytes - row.size(), 0);
  }
  Put32(file, 2, static_cast<std::uint32_t>(file.size()));
  return file;
}

Bytes Bmp24(const std::vector<std::vector<Pixel24>>& picture) {
  BmpParts parts;
  parts.Width = static_cast<std::int32_t>(picture.at(0).size());
  parts.Height = static_cast<std::int32_t>(picture.size());
  for (auto row = picture.rbegin(); row != picture.rend(); ++row) {
    Bytes bytes;
    for (const Pixel24& p : *row) bytes.insert(bytes.end(), {p.Blue, p.Green, p.Red});
    parts.Rows.push_back(bytes);
  }
  return BuildBmp(parts);
}

Bytes ShapeBmp(const std::vector<int>& radii, int width, Pixel24 inside) {
  std::vector<std::vector<Pixel24>> picture;
  for (int r : radii) {
    std::vector<Pixel24> row(static_cast<std::size_t>(width), FrameColour);
    for (int x = 0; x < r && x < width; ++x) row[static_cast<std::size_t>(x)] = inside;
    picture.push_back(row);
  }
  return Bmp24(picture);
}

namespace {

// `samples` in colour space `in` with `components` per pixel, stored as `stored`.
Bytes Compress(int width, int height, J_COLOR_SPACE in, int components, J_COLOR_SPACE stored,
               bool adobeMarker, const Bytes& samples, int quality, bool arithmetic = false) {
  jpeg_compress_struct cinfo{};
  jpeg_error_mgr errors{};
  cinfo.err = jpeg_std_error(&errors);
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = static_cast<JDIMENSION>(width);
  cinfo.image_height = static_cast<JDIMENSION>(height);
  cinfo.input_components = components;
  cinfo.in_color_space = in;
  jpeg_set_defaults(&cinfo);
  jpeg_set_colorspace(&cinfo, stored);
  cinfo.write_Adobe_marker = adobeMarker;
  jpeg_set_quality(&cinfo, quality, TRUE);
  cinfo.arith_code = arithmetic;
  jpeg_start_compress(&cinfo, TRUE);
  const std::size_t stride = static_cast<std::size_t>(width) * components;
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(&samples[cinfo.next_scanline * stride]);
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  Bytes out(buffer, buffer + size);
  std::free(buffer);
  return out;
}

}  // namespace

Bytes EncodeJpeg(int width, int height, bool grey, const Bytes& samples, int quality) {
  return grey ? Compress(width, height, JCS_GRAYSCALE, 1, JCS_GRAYSCALE, false, samples, quality)
              : Compress(width, height, JCS_RGB, 3, JCS_YCbCr, false, samples, quality);
}

Bytes EncodeArithmeticJpeg(int width, int height, const Bytes& rgb, int quality) {
  return Compress(width, height, JCS_RGB, 3, JCS_YCbCr, false, rgb, quality, true);
}

Bytes EncodeCmykJpeg(int width, int height, CmykJpeg kind, const Bytes& cmyk) {
  const J_COLOR_SPACE stored = kind == CmykJpeg::AdobeYcck ? JCS_YCCK : JCS_CMYK;
  return Compress(width, height, JCS_CMYK, 4, stored, kind != CmykJpeg::Plain, cmyk, 100);
}

namespace {

void AppendPngBytes(png_structp png, png_bytep data, std::size_t length) {
  auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

void WritePng(png_structp png, png_infop info, const PngParts& parts, Bytes& out) {
  png_set_write_fn(png, &out, AppendPngBytes, nullptr);
  png_set_IHDR(png, info, static_cast<png_uint_32>(parts.Width),
               static_cast<png_uint_32>(parts.Height), parts.Depth, parts.ColourType,
               parts.Interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  std::vector<png_color> palette;
  for (std::size_t i = 0; i + 2 < parts.Palette.size(); i += 3)
    palette.push_back({parts.Palette[i], parts.Palette[i + 1], parts.Palette[i + 2]});
  if (!palette.empty()) png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
  png_color_16 colour{};
  if (parts.TransparentColour) {
    const auto& c = *parts.TransparentColour;
    colour = {0, c[0], c[1], c[2], c[0]};
  }
  if (!parts.PaletteAlpha.empty() || parts.TransparentColour)
    png_set_tRNS(png, info, parts.PaletteAlpha.empty() ? nullptr : parts.PaletteAlpha.data(),
                 static_cast<int>(parts.PaletteAlpha.size()),
                 parts.TransparentColour ? &colour : nullptr);
  png_write_info(png, info);
  const std::size_t rowBytes = parts.Samples.size() / static_cast<std::size_t>(parts.Height);
  std::vector<png_bytep> rows;
  for (int y = 0; y < parts.Height; ++y)
    rows.push_back(const_cast<png_bytep>(parts.Samples.data()) + y * rowBytes);
  png_write_image(png, rows.data());
  png_write_end(png, info);
}

}  // namespace

Bytes EncodePng(const PngParts& parts) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  Bytes out;
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    throw std::runtime_error("the PNG library cannot write these parts");
  }
  WritePng(png, info, parts, out);
  png_destroy_write_struct(&png, &info);
  return out;
}

bool operator==(const Pixel24& a, const Pixel24& b) {
  return SameColour(a, b);
}

std::ostream& operator<<(std::ostream& out, const Pixel24& p) {
  return out << "(b " << int{p.Blue} << ", g " << int{p.Green} << ", r " << int{p.Red} << ")";
}

::testing::AssertionResult PixelsAre(const TTavoBitmap& bitmap,
                                     const std::vector<std::vector<Pixel24>>& expected) {
  const int h = static_cast<int>(expected.size());
  const int w = h > 0 ? static_cast<int>(expected[0].size()) : 0;
  if (bitmap.width() != w || bitmap.height() != h || bitmap.Rows.Count() != h)
    return ::testing::AssertionFailure()
           << "size " << bitmap.width() << " x " << bitmap.height() << " with "
           << bitmap.Rows.Count() << " rows, expected " << w << " x " << h;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const Pixel24 got = bitmap.Rows[y][x];
      const Pixel24 want = expected[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)];
      if (!(got == want))
        return ::testing::AssertionFailure()
               << "pixel (" << x << ", " << y << ") is " << got << ", expected " << want;
    }
  return ::testing::AssertionSuccess();
}
