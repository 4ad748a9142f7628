#include "PictureReader.h"

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QImageReader>
#include <QTransform>
#include <cstring>

#include "BmpReader.h"
#include "ImageFile.h"
#include "ImageInput.h"
#include "JpegReader.h"
#include "PngReader.h"
#include "WhiteBackground.h"
#include "framework/TavoErrors.h"
#include "framework/Translation.h"

namespace {

bool StartsWith(const std::vector<std::uint8_t>& head, const char* signature, std::size_t length) {
  return head.size() >= length && std::memcmp(head.data(), signature, length) == 0;
}

// Turns the picture upright once it is 32-bit, rather than a 64-bit one before.
void Transform(QImage& picture, QImageIOHandler::Transformations transformation) {
  const bool mirror = transformation & QImageIOHandler::TransformationMirror;
  const bool flip = transformation & QImageIOHandler::TransformationFlip;
  if (mirror || flip) picture.mirror(mirror, flip);
  if (transformation & QImageIOHandler::TransformationRotate90)
    picture = picture.transformed(QTransform().rotate(90));
}

// Qt's readers read the file itself through its descriptor, so that no copy of the file is
// held beside the picture.
QImage DecodeWithQt(const ImageFile& file, TAlpha alpha) {
  QFile device;
  if (!device.open(file.Descriptor(), QIODevice::ReadOnly, QFileDevice::DontCloseHandle))
    throw EFOpenError(file.Name(), device.errorString().toStdString());
  QImageReader reader(&device);
  if (!reader.canRead())
    throw EInvalidGraphic(file.Name(), Tr("Pictures", "絵の形式がわかりません"));
  const QSize size = reader.size();
  if (size.isValid()) CheckImageDimensions(size.width(), size.height(), file.Name());
  // Qt's own allocation limit must not refuse a picture inside ours, 16-bit ones included.
  QImageReader::setAllocationLimit(static_cast<int>(8 * MaxImagePixels >> 20) + 1);
  // A reader that fills in the picture it is given leaves no byte of it unwritten.
  QImage picture;
  if (size.isValid() && reader.imageFormat() != QImage::Format_Invalid) {
    picture = QImage(size, reader.imageFormat());
    picture.fill(Qt::white);
  }
  if (!reader.read(&picture))
    throw EInvalidGraphic(file.Name(), reader.errorString().toStdString());
  CheckImageDimensions(picture.width(), picture.height(), file.Name());
  FinishAlpha(picture, file.Name(), alpha);
  Transform(picture, reader.transformation());  // phone photos are stored sideways
  return picture;
}

// How the camera says the stored picture is to be turned, read from the header alone.
QImageIOHandler::Transformations StoredTurn(const std::vector<std::uint8_t>& bytes) {
  QByteArray data = QByteArray::fromRawData(reinterpret_cast<const char*>(bytes.data()),
                                            static_cast<qsizetype>(bytes.size()));
  QBuffer buffer(&data);
  buffer.open(QIODevice::ReadOnly);
  return QImageReader(&buffer, "jpeg").transformation();
}

// Decoded as small as the caller allows, then turned upright: a sideways photo's stored width
// is its upright height.
QImage DecodeJpegUpright(const ImageFile& file, const std::function<bool(QSize)>& largeEnough) {
  const std::vector<std::uint8_t> bytes = file.ReadAll();
  const QImageIOHandler::Transformations turn = StoredTurn(bytes);
  const bool sideways = turn.testFlag(QImageIOHandler::TransformationRotate90);
  const auto storedLargeEnough = [&](QSize stored) {
    return largeEnough && largeEnough(sideways ? stored.transposed() : stored);
  };
  QImage picture = DecodeJpegReduced(bytes, file.Name(), storedLargeEnough);
  Transform(picture, turn);
  return picture;
}

// Each format to its reader, the picture's transparent parts as `alpha` says.
QImage Read(const std::string& fileName, const std::function<bool(QSize)>& largeEnough,
            TAlpha alpha) {
  const ImageFile file(fileName);
  const std::vector<std::uint8_t> head = file.Head(8);
  if (StartsWith(head, "\x89PNG\r\n\x1A\n", 8)) return DecodePng(file, alpha);
  QImage picture;
  if (StartsWith(head, "\xFF\xD8\xFF", 3)) {
    picture = DecodeJpegUpright(file, largeEnough);
  } else if (StartsWith(head, "BM", 2)) {
    picture = DecodeBmpForDrop(file.ReadAll(), fileName);
  } else {
    return DecodeWithQt(file, alpha);
  }
  FinishAlpha(picture, fileName, alpha);
  return picture;
}

}  // namespace

QImage ReadPicture(const std::string& fileName, const std::function<bool(QSize)>& largeEnough) {
  return Read(fileName, largeEnough, TAlpha::LaidOnWhite);
}

QImage ReadPictureWithAlpha(const std::string& fileName) {
  return Read(fileName, {}, TAlpha::Kept);
}

QImage ReadPngWithAlpha(const QByteArray& bytes, const std::string& name) {
  return DecodePng(bytes, name, TAlpha::Kept);
}
