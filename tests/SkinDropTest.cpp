// A picture dropped on a view: how it is fitted to the skin, where it lands, that the old
// skin is kept, and that a drop that cannot be done changes nothing.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QCoreApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QPainter>
#include <QUrl>
#include <cmath>
#include <filesystem>
#include <numbers>
#include <random>

#include "MessageBoxWatcher.h"
#include "TestFiles.h"
#include "doll/ShapeProfile.h"
#include "framework/FileOutput.h"
#include "pictures/PictureReader.h"
#include "scene/Scene.h"
#include "scene/SkinPicture.h"
#include "scene/TextureFile.h"
#include "scene/UnitForm.h"

namespace {

namespace fs = std::filesystem;

// Every file of the working folder with its bytes.
std::map<std::string, Bytes> Folder() {
  std::map<std::string, Bytes> files;
  for (const auto& entry : fs::directory_iterator("."))
    files[entry.path().filename().string()] = ReadBytes(entry.path().string());
  return files;
}

std::vector<Pixel24> TextureColumn(const TTavoBitmap& skin, int x) {
  std::vector<Pixel24> column;
  for (int y = 0; y < DollRows; ++y) column.push_back(skin.Rows[y][x]);
  return column;
}

QImage Filled(int width, int height, QColor colour) {
  QImage picture(width, height, QImage::Format_RGB32);
  picture.fill(colour);
  return picture;
}

class SkinDrop : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const std::string& file : {ShapeFileName, TextureFileName})
      fs::copy_file(fs::path(KAVINEL_SAMPLES) / file, file);
    Direction.clear();
    RotationOffset = 0;
    ShadeLevel = 0;
    form = std::make_unique<TFormMain>();
    QCoreApplication::removePostedEvents(form.get(), WM_RUNLOOP);
  }
  void TearDown() override {
    SetFileOutputFunctions(nullptr, nullptr);
    form.reset();
  }

  ScratchFolder folder{true};
  std::unique_ptr<TFormMain> form;
};

TEST(SkinPicture, AWideOrTallPictureIsCutEquallyFromBothSidesToTheDollsProportions) {
  // Red rises from 0 to 255 along the picture's long side. The box for radius 90 is
  // π·90 × 200, so a cut keeps h·π·90/200 columns (or w·200/(π·90) rows) in the middle.
  const double proportions = std::numbers::pi * 90 / 200;
  for (const bool wide : {true, false}) {
    const int length = 1000, across = 100;
    QImage picture = wide ? Filled(length, across, Qt::black) : Filled(across, length, Qt::black);
    for (int y = 0; y < picture.height(); ++y)
      for (int x = 0; x < picture.width(); ++x)
        picture.setPixel(x, y, qRgb((wide ? x : y) * 255 / (length - 1), 0, 0));
    const double kept = wide ? across * proportions : across / proportions;
    const double cell = kept / (wide ? SkinHalfColumns : DollRows);
    const double first = (length - kept) / 2 + cell / 2;  // the first cell's middle
    const QImage half = FitToSkinHalf(picture, 90);
    ASSERT_EQ(half.size(), QSize(125, 200));
    const QColor start = wide ? half.pixelColor(0, 100) : half.pixelColor(60, 0);
    const QColor end = wide ? half.pixelColor(124, 100) : half.pixelColor(60, 199);
    EXPECT_NEAR(start.red(), std::floor(first) * 255 / (length - 1), 1.0) << wide;
    EXPECT_NEAR(end.red(), 255 - std::floor(first) * 255 / (length - 1), 1.0) << wide;
  }
}

// A photo-like 3000 × 2000 picture: gradients, soft waves, a little noise.
QImage Photo() {
  QImage photo(3000, 2000, QImage::Format_RGB32);
  std::mt19937 random(5);
  for (int y = 0; y < photo.height(); ++y)
    for (int x = 0; x < photo.width(); ++x) {
      // Detail in the light, as in photos; colour changes slowly.
      const int light =
          static_cast<int>(random() % 12 + 40 * std::sin(x / 90.0) * std::cos(y / 70.0));
      photo.setPixel(x, y,
                     qRgb(x * 150 / 3000 + 50 + light, y * 150 / 2000 + 50 + light, 120 + light));
    }
  return photo;
}

// `jpeg` with an EXIF orientation note right after its start marker.
Bytes WithOrientation(const Bytes& jpeg, std::uint8_t orientation) {
  const Bytes app1 = {
      0xFF,        0xE1, 0,    34,   'E', 'x', 'i', 'f', 0, 0,  // segment of 34 bytes
      'I',         'I',  42,   0,    8,   0,   0,   0,          // little-endian TIFF
      1,           0,    0x12, 0x01, 3,   0,   1,   0,   0, 0,  // one tag: orientation
      orientation, 0,    0,    0,    0,   0,   0,   0};         // its value; no next IFD
  Bytes file(jpeg.begin(), jpeg.begin() + 2);
  file.insert(file.end(), app1.begin(), app1.end());
  file.insert(file.end(), jpeg.begin() + 2, jpeg.end());
  return file;
}

Bytes JpegOf(const QImage& picture) {
  QByteArray data;
  QBuffer buffer(&data);
  buffer.open(QIODevice::WriteOnly);
  picture.save(&buffer, "jpeg", 95);
  return Bytes(data.begin(), data.end());
}

TEST(SkinPicture, AJpegReadReducedFromItsBlocksFitsAsTheFullSizeDecodeDoes) {
  // Stored as the camera held it, with the note that turns it upright again.
  const QImage upright = Photo();
  const struct {
    std::uint8_t Orientation;
    QTransform Stored;
  } rows[] = {{1, QTransform()}, {6, QTransform().rotate(-90)}, {3, QTransform().rotate(180)}};
  ScratchFolder folder;
  WriteBytes(folder.Path("upright.jpg"), JpegOf(upright));
  const QImage expected = FitToSkinHalf(ReadPicture(folder.Path("upright.jpg")), 90);
  for (const auto& row : rows) {
    const std::string name = folder.Path("stored.jpg");
    WriteBytes(name, WithOrientation(JpegOf(upright.transformed(row.Stored)), row.Orientation));
    const QImage reduced =
        ReadPicture(name, [](QSize size) { return HoldsTwiceTheSkinHalf(size, 90); });
    // 3000 × 2000 at 1/4; at 1/8 the kept part (π·90 : 200) would be only 250 rows high.
    ASSERT_EQ(reduced.size(), QSize(750, 500)) << int{row.Orientation};
    const QImage half = FitToSkinHalf(reduced, 90);
    int worst = 0;
    for (int y = 0; y < DollRows; ++y)
      for (int x = 0; x < SkinHalfColumns; ++x) {
        const QRgb a = half.pixel(x, y), b = expected.pixel(x, y);
        worst = std::max({worst, std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                          std::abs(qBlue(a) - qBlue(b))});
      }
    EXPECT_LE(worst, 1) << "orientation " << int{row.Orientation};
  }
}

TEST_F(SkinDrop, ASmallCircleComesOutRoundWhereTheDollFacesTheViewer) {
  const int widest = *std::max_element(DisplayedProfile.begin(), DisplayedProfile.end());
  const int middleRow = SplitRow;  // the middle of the widest rows
  ASSERT_EQ(DisplayedProfile[middleRow], widest);
  // A photo twice the doll's height, with a black disc of 60 px on the widest rows.
  QImage photo = Filled(900, 400, Qt::white);
  {
    QPainter painter(&photo);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    painter.drawEllipse(QPointF(450, 2 * middleRow + 1), 30, 30);
  }
  photo.save("disc.png");
  RotationOffset = 40;
  DropPicture("disc.png", RotationOffset);
  FrameTick();
  QRect disc;
  for (int y = 0; y < ViewSize; ++y)
    for (int x = Left[y]; x <= Right[y]; ++x)
      if (FrontView->Rows[y][x].Red < 128) disc |= QRect(x, y, 1, 1);
  std::printf("disc on the doll: %d × %d pixels at %d, %d\n", disc.width(), disc.height(),
              disc.left(), disc.top());
  EXPECT_NEAR(disc.height(), 30, 2);
  EXPECT_NEAR(disc.width(), disc.height(), 0.1 * disc.height());
  EXPECT_NEAR(disc.center().x(), 99.5, 2);  // facing the viewer
}

TEST_F(SkinDrop, TheHalfAViewShowsIsPaintedWrappingRound) {
  // At rotation 240 the front view shows columns 240..249 and 0..114, the back view 115..239.
  const struct {
    int Turn;
    int First;
  } rows[] = {{0, 240}, {BackViewTurn, 115}};
  for (const auto& row : rows) {
    WriteBytes(TextureFileName, ReadBytes(fs::path(KAVINEL_SAMPLES) / TextureFileName));
    form->BtnLoad->click();
    TTavoBitmap before;
    before.LoadFromFileAuto(TextureFileName);
    Filled(50, 50, Qt::red).save("red.png");
    DropPicture("red.png", 240 + row.Turn);
    for (int x = 0; x < TextureColumns; ++x) {
      const bool painted = (x - row.First + TextureColumns) % TextureColumns < SkinHalfColumns;
      const std::vector<Pixel24> expected =
          painted ? std::vector<Pixel24>(200, Pixel24{0, 0, 255}) : TextureColumn(before, x);
      ASSERT_EQ(TextureColumn(*Texture, x), expected) << "column " << x << ", turn " << row.Turn;
    }
  }
}

TEST_F(SkinDrop, TheOldSkinIsKeptByteForByteUnderTheFirstFreeBackupName) {
  const Bytes old = ReadBytes(TextureFileName);
  WriteBytes(TextureBackupName(1), {'o', 'n', 'e'});
  Filled(40, 60, Qt::blue).save("blue.png");
  DropPicture("blue.png", 0);
  EXPECT_EQ(ReadBytes(TextureBackupName(2)), old);
  EXPECT_EQ(ReadBytes(TextureBackupName(1)), (Bytes{'o', 'n', 'e'}));
  TTavoBitmap written;
  written.LoadFromFileAuto(TextureFileName);
  EXPECT_EQ(static_cast<const QImage&>(written), static_cast<const QImage&>(*Texture));
  EXPECT_EQ(Folder().size(), 5u);  // shape, texture, two backups, the dropped picture
}

int ReadOnlyOpen(const char*, int, mode_t) {
  errno = EROFS;
  return -1;
}

// Drags `urls` onto the paint box and drops them; returns whether the box took them. The
// drop is handled once the events are processed.
bool DragAndDrop(TPaintBox* box, const QList<QUrl>& urls) {
  QMimeData data;
  data.setUrls(urls);
  const QPoint middle(100, 100);
  QDragEnterEvent enter(middle, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(box, &enter);
  if (!enter.isAccepted()) return false;
  EXPECT_TRUE(box->ShowsDropFrame());
  QDropEvent drop(QPointF(middle), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(box, &drop);
  EXPECT_FALSE(box->ShowsDropFrame());
  QCoreApplication::processEvents();
  return drop.isAccepted();
}

QUrl Local(const std::string& file) {
  return QUrl::fromLocalFile(QString::fromStdString(fs::absolute(file).string()));
}

TEST_F(SkinDrop, OnlyLocalPicturesAreTakenTheFirstOfSeveral) {
  Filled(40, 60, Qt::blue).save("blue.png");
  WriteBytes("notes.txt", {'n', 'o', 't', 'e', 's'});
  const struct {
    QList<QUrl> Urls;
    bool Taken;
  } rows[] = {{{QUrl("trash:/picture.png")}, false},
              {{Local("notes.txt")}, false},
              {{Local("notes.txt"), Local("blue.png")}, true}};
  for (const auto& row : rows) {
    const QImage skin = *Texture;
    bool taken = false;
    EXPECT_FALSE(
        CloseNextMessageBox([&] { taken = DragAndDrop(form->PaintBox2, row.Urls); }).Shown);
    EXPECT_EQ(taken, row.Taken) << row.Urls.size();
    EXPECT_EQ(*Texture != skin, row.Taken);
  }
}

TEST_F(SkinDrop, ADropThatCannotBeDoneIsReportedAndChangesNothing) {
  Filled(40, 60, Qt::blue).save("blue.png");
  Bytes broken = ReadBytes("blue.png");
  broken.resize(40);  // a PNG cut short after its header
  WriteBytes("broken <b>.png", broken);
  const Bytes photo = JpegOf(Photo());
  WriteBytes("cut.jpg", Bytes(photo.begin(), photo.begin() + photo.size() * 6 / 100));
  const struct {
    const char* File;
    bool ReadOnly;
    const char* Says;
  } rows[] = {
      {"blue.png", true, "Read-only file system"},
      {"broken <b>.png", false, "broken <b>.png"},
      {"cut.jpg", false, "cut.jpg\" は読める画像ではありません: 画素データが途中で切れています"}};
  for (const auto& row : rows) {
    const auto files = Folder();
    const QImage skin = *Texture;
    SetFileOutputFunctions(row.ReadOnly ? ReadOnlyOpen : nullptr, nullptr);
    const std::string says = CloseNextMessageBox([&] {
                               DragAndDrop(form->PaintBox1, {Local(row.File)});
                             }).Text.toStdString();
    EXPECT_NE(says.find(row.Says), std::string::npos) << says;
    EXPECT_EQ(Folder(), files) << row.File;
    EXPECT_EQ(static_cast<const QImage&>(*Texture), skin) << row.File;
  }
}

}  // namespace
