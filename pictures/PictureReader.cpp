#include "PictureReader.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
#include <QPainter>
#include <QTransform>

#include "BmpReader.h"
#include "ImageInput.h"
#include "JpegReader.h"
#include "framework/TavoErrors.h"

namespace {

QImage DecodeWithQt(const std::vector<std::uint8_t>& bytes, const std::string& fileName) {
  QByteArray data = QByteArray::fromRawData(reinterpret_cast<const char*>(bytes.data()),
                                            static_cast<qsizetype>(bytes.size()));
  QBuffer buffer(&data);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer);
  reader.setAutoTransform(true);  // phone photos are stored sideways with an EXIF note
  if (!reader.canRead()) throw EInvalidGraphic(fileName, "画像の形式がわかりません");
  const QSize size = reader.size();
  if (size.isValid()) CheckImageDimensions(size.width(), size.height(), fileName);
  // Qt's own allocation limit is below ours: a picture inside our limit must not fail there.
  QImageReader::setAllocationLimit(static_cast<int>(4 * MaxImagePixels >> 20) + 1);
  QImage picture;
  if (!reader.read(&picture)) throw EInvalidGraphic(fileName, reader.errorString().toStdString());
  CheckImageDimensions(picture.width(), picture.height(), fileName);
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
QImage ReadJpeg(const std::vector<std::uint8_t>& bytes, const std::string& fileName,
                const std::function<bool(QSize)>& largeEnough) {
  const QImageIOHandler::Transformations turn = StoredTurn(bytes);
  const bool sideways = turn.testFlag(QImageIOHandler::TransformationRotate90);
  const auto storedLargeEnough = [&](QSize stored) {
    return largeEnough && largeEnough(sideways ? stored.transposed() : stored);
  };
  QImage picture = DecodeJpegReduced(bytes, fileName, storedLargeEnough);
  picture = picture.mirrored(turn.testFlag(QImageIOHandler::TransformationMirror),
                             turn.testFlag(QImageIOHandler::TransformationFlip));
  return sideways ? picture.transformed(QTransform().rotate(90)) : picture;
}

// Transparent parts become white, as on paper.
QImage OnWhite(const QImage& picture) {
  QImage flat(picture.size(), QImage::Format_RGB32);
  flat.fill(Qt::white);
  QPainter painter(&flat);
  painter.drawImage(0, 0, picture);
  return flat;
}

}  // namespace

QImage ReadPicture(const std::string& fileName, const std::function<bool(QSize)>& largeEnough) {
  const std::vector<std::uint8_t> bytes = ReadImageFile(fileName);
  const bool bmp = bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M';
  const bool jpeg = bytes.size() >= 3 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF;
  QImage picture = bmp    ? DecodeBmp(bytes, fileName)
                   : jpeg ? ReadJpeg(bytes, fileName, largeEnough)
                          : DecodeWithQt(bytes, fileName);
  if (picture.hasAlphaChannel()) return OnWhite(picture);
  picture.convertTo(QImage::Format_RGB32);
  if (picture.isNull()) throw EInvalidGraphic(fileName, "画像を作るメモリが足りません");
  return picture;
}
