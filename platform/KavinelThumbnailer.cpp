// The file managers' thumbnailer for doll files: `kavinel-thumbnailer -s SIZE INPUT OUTPUT`
// writes the outer doll's front view, SIZE pixels a side, as a PNG. File managers run it in a
// sandbox without a display, so it uses no window system at all: its application object is
// Qt Core's, there only so that its messages speak the desktop's language.

#include <QCoreApplication>
#include <QImage>
#include <charconv>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>

#include "doll/DollThumbnail.h"
#include "dollfile/DollUnpack.h"
#include "framework/FileOutput.h"
#include "framework/Translation.h"

namespace {

// Larger than any size a file manager asks for, small enough that no request costs much.
constexpr int MaxSize = 4096;

// SIZE in decimal, all of it, within 1..MaxSize.
std::optional<int> ParseSize(std::string_view text) {
  int size = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), size);
  if (error != std::errc() || end != text.data() + text.size() || size < 1 || size > MaxSize)
    return std::nullopt;
  return size;
}

// The outer doll of the doll file `input`, read from memory with every check that opening it
// makes: nothing is written but the thumbnail.
QImage ThumbnailOf(const std::string& input) {
  TDollFile doll(input);
  const TOuterDoll outer = ReadDollPictures(doll);
  return DollThumbnail(outer.Outline, *outer.Skin);
}

// Writes `picture` as a PNG named `output`, replacing what is there: by its contents, whatever
// the name ends in, since file managers may hand over a file they have made already under a
// name without a suffix.
void WritePng(const QImage& picture, const std::string& output) {
  const QByteArray png = EncodePicture(picture, "png", output);
  WriteWholeFile(output, png.constData(), static_cast<std::size_t>(png.size()));
}

}  // namespace

int main(int argc, char* argv[]) {
  int noArguments = 1;  // the file manager's arguments are none of Qt's
  const QCoreApplication application(noArguments, argv);
  UseDesktopLanguage();
  const std::optional<int> size =
      argc == 5 && std::string_view(argv[1]) == "-s" ? ParseSize(argv[2]) : std::nullopt;
  if (!size) {
    std::cerr << std::string(Tr("Thumbnailer",
                                "使い方: kavinel-thumbnailer -s SIZE INPUT OUTPUT  (SIZE: 1..%1)")
                                 .Arg(MaxSize))
              << std::endl;
    return 2;
  }
  // Qt's own PNG writer is all it needs. Without plugin folders Qt does not load every image
  // plugin, and the libraries each one needs, just to ask whether it writes PNG.
  QCoreApplication::setLibraryPaths({});
  try {
    const QImage thumbnail =
        ThumbnailOf(argv[3]).scaled(*size, *size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    WritePng(thumbnail, argv[4]);
    return 0;
  } catch (const std::exception& e) {
    std::cerr << "kavinel-thumbnailer: " << e.what() << std::endl;
    return 1;
  }
}
