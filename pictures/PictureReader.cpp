#include "PictureReader.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
#include <QPainter>

#include "BmpReader.h"
#include "ImageInput.h"
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

// Transparent parts become white, as on paper.
QImage OnWhite(const QImage& picture) {
  QImage flat(picture.size(), QImage::Format_RGB32);
  flat.fill(Qt::white);
  QPainter painter(&flat);
  painter.drawImage(0, 0, picture);
  return flat;
}

}  // namespace

QImage ReadPicture(const std::string& fileName) {
  const std::vector<std::uint8_t> bytes = ReadImageFile(fileName);
  const bool bmp = bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M';
  QImage picture = bmp ? DecodeBmp(bytes, fileName) : DecodeWithQt(bytes, fileName);
  if (picture.hasAlphaChannel()) return OnWhite(picture);
  picture.convertTo(QImage::Format_RGB32);
  if (picture.isNull()) throw EInvalidGraphic(fileName, "画像を作るメモリが足りません");
  return picture;
}
