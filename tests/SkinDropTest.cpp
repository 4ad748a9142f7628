// A picture dropped on a view: how it is fitted to the skin, where it lands, that the old
// skin is kept, and that a drop that cannot be done changes nothing.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QCoreApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QPainter>
#include <QUrl>
#include <atomic>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <numbers>
#include <random>
#include <set>
#include <thread>

#include "MessageBoxWatcher.h"
#include "SampleDollWindow.h"
#include "TestFiles.h"
#include "doll/ShapeProfile.h"
#include "framework/FileOutput.h"
#include "pictures/PictureReader.h"
#include "scene/Scene.h"
#include "scene/SkinPicture.h"
#include "scene/UnitForm.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

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

class SkinDrop : public SampleDollWindow {
 protected:
  TSkin& Texture() const { return Doll().Texture; }
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
  Bytes file = jpeg;
  file.insert(file.begin() + 2, app1.begin(), app1.end());
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
  const TDollView& view = Doll().View;
  const DollProfile& displayed = view.DisplayedProfile;
  const int widest = *std::max_element(displayed.begin(), displayed.end());
  const int middleRow = Doll().SplitRow;  // the middle of the widest rows
  ASSERT_EQ(displayed[middleRow], widest);
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
  Doll().RotationOffset = 40;
  form->Scene->DropPicture("disc.png", Doll().RotationOffset);
  form->Scene->FrameTick();
  QRect disc;
  for (int y = 0; y < ViewSize; ++y)
    for (int x = view.Left[y]; x <= view.Right[y]; ++x)
      if (view.FrontView.Rows[y][x].Red < 128) disc |= QRect(x, y, 1, 1);
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
    form->Scene->DropPicture("red.png", 240 + row.Turn);
    for (int x = 0; x < TextureColumns; ++x) {
      const bool painted = (x - row.First + TextureColumns) % TextureColumns < SkinHalfColumns;
      const std::vector<Pixel24> expected =
          painted ? std::vector<Pixel24>(200, Pixel24{0, 0, 255}) : TextureColumn(before, x);
      ASSERT_EQ(TextureColumn(Texture(), x), expected) << "column " << x << ", turn " << row.Turn;
    }
  }
}

TEST_F(SkinDrop, TheOldSkinIsKeptByteForByteUnderTheFirstFreeBackupName) {
  const Bytes old = ReadBytes(TextureFileName);
  WriteBytes(BackupName(TextureFileName, 1), {'o', 'n', 'e'});
  Filled(40, 60, Qt::blue).save("blue.png");
  form->Scene->DropPicture("blue.png", 0);
  EXPECT_EQ(ReadBytes(BackupName(TextureFileName, 2)), old);
  EXPECT_EQ(ReadBytes(BackupName(TextureFileName, 1)), (Bytes{'o', 'n', 'e'}));
  TTavoBitmap written;
  written.LoadFromFileAuto(TextureFileName);
  EXPECT_EQ(static_cast<const QImage&>(written), static_cast<const QImage&>(Texture()));
  EXPECT_EQ(FolderFiles().size(), 5u);  // shape, texture, two backups, the dropped picture
}

int ReadOnlyOpen(const char*, int, mode_t) {
  errno = EROFS;
  return -1;
}
ssize_t FullDiskWrite(int, const void*, std::size_t) {
  errno = ENOSPC;
  return -1;
}
bool IsFolder(int fd) {
  struct stat status {};
  return ::fstat(fd, &status) == 0 && S_ISDIR(status.st_mode);
}
int FileFsyncFails(int fd) {
  if (IsFolder(fd)) return ::fsync(fd);
  errno = EIO;
  return -1;
}
int FolderFsyncFails(int fd) {
  if (!IsFolder(fd)) return ::fsync(fd);
  errno = EDQUOT;
  return -1;
}
int LinkFails(const char*, const char*) {
  errno = EMLINK;
  return -1;
}
int RenameFails(const char*, const char*) {
  errno = EBUSY;
  return -1;
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
    const QImage skin = Texture();
    bool taken = false;
    EXPECT_FALSE(
        CloseNextMessageBox([&] { taken = DragAndDrop(form->PaintBox2, row.Urls); }).Shown);
    EXPECT_EQ(taken, row.Taken) << row.Urls.size();
    EXPECT_EQ(Texture() != skin, row.Taken);
  }
}

TEST_F(SkinDrop, ADropThatCannotBeDoneIsReportedNamingTheDollsFileAndChangesNothing) {
  Filled(40, 60, Qt::blue).save("blue.png");
  Bytes broken = ReadBytes("blue.png");
  broken.resize(40);  // a PNG cut short after its header
  WriteBytes("broken <b>.png", broken);
  WriteBytes("50%2off.png", broken);
  struct Failing {
    TOpenFunction Open = nullptr;
    TWriteFunction Write = nullptr;
    TFsyncFunction Fsync = nullptr;
    TLinkFunction Link = nullptr;
    TRenameFunction Rename = nullptr;
  };
  const Bytes photo = JpegOf(Photo());
  WriteBytes("cut.jpg", Bytes(photo.begin(), photo.begin() + photo.size() * 6 / 100));
  const std::string cannot = "ファイル \"" + TextureFileName + "\" を書き込めません: ";
  const struct {
    const char* File;
    Failing Fails;
    std::string Says;
  } rows[] = {
      {"blue.png", {.Open = ReadOnlyOpen}, cannot + "Read-only file system"},
      {"blue.png", {.Write = FullDiskWrite}, cannot + "No space left on device"},
      {"blue.png", {.Fsync = FileFsyncFails}, cannot + "Input/output error"},
      {"blue.png", {.Link = LinkFails}, cannot + "Too many links"},
      {"blue.png", {.Rename = RenameFails}, cannot + "Device or resource busy"},
      {"blue.png", {.Fsync = FolderFsyncFails}, cannot + "Disk quota exceeded"},
      {"broken <b>.png", {}, "broken <b>.png"},
      {"50%2off.png", {}, "50%2off.png\""},  // filled in one pass: %2 stays in the name
      {"cut.jpg", {}, "cut.jpg\" は読める絵ではありません: 画素データが途中で切れています"}};
  for (const auto& row : rows) {
    const auto files = FolderFiles();
    const QImage skin = Texture();
    const Failing& f = row.Fails;
    SetFileOutputFunctions(f.Open, f.Write, f.Fsync, f.Link, f.Rename);
    const std::string says = CloseNextMessageBox([&] {
                               DragAndDrop(form->PaintBox1, {Local(row.File)});
                             }).Text.toStdString();
    EXPECT_NE(says.find(row.Says), std::string::npos) << says;
    EXPECT_EQ(FolderFiles(), files) << row.Says;
    EXPECT_EQ(static_cast<const QImage&>(Texture()), skin) << row.Says;
  }
}

TEST_F(SkinDrop, ADropWithNoSkinToReplaceOrAStaleNewFileWritesJustTheNewSkin) {
  Filled(40, 60, Qt::blue).save("blue.png");
  const struct {
    bool NoSkin;
    std::set<std::string> After;
  } rows[] = {
      {true, {ShapeFileName, TextureFileName, "blue.png"}},
      {false, {ShapeFileName, TextureFileName, BackupName(TextureFileName, 1), "blue.png"}}};
  for (const auto& row : rows) {
    for (const auto& [name, bytes] : FolderFiles())
      if (name != ShapeFileName && name != "blue.png") fs::remove(name);
    fs::copy_file(fs::path(KAVINEL_SAMPLES) / TextureFileName, TextureFileName);
    form->BtnLoad->click();
    const QImage shown = Doll().TextureCopy;
    if (row.NoSkin) fs::remove(TextureFileName);
    if (!row.NoSkin) WriteBytes(TextureFileName + ".new", {'c', 'u', 't'});  // left by a crash
    EXPECT_FALSE(
        CloseNextMessageBox([&] { DragAndDrop(form->PaintBox1, {Local("blue.png")}); }).Shown);
    std::set<std::string> names;
    for (const auto& [name, bytes] : FolderFiles()) names.insert(name);
    EXPECT_EQ(names, row.After);
    TTavoBitmap written;
    written.LoadFromFileAuto(TextureFileName);
    EXPECT_EQ(static_cast<const QImage&>(written), static_cast<const QImage&>(Texture()));
    // The half the front view does not show is the skin that was shown.
    EXPECT_EQ(Texture().copy(SkinHalfColumns, 0, TextureColumns - SkinHalfColumns, DollRows),
              shown.copy(SkinHalfColumns, 0, TextureColumns - SkinHalfColumns, DollRows));
  }
}

// Whenever something opens the pipe for reading, opens it for writing too, so that the reader,
// which would otherwise wait for good, goes on and finds it empty; tells whether it happened.
class PipeWatch {
 public:
  explicit PipeWatch(std::string pipe)
      : FThread([this, pipe] {
          while (!FStop) {
            const int fd = ::open(pipe.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (fd >= 0) FOpened = true, ::close(fd);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
          }
        }) {}
  ~PipeWatch() {
    FStop = true;
    FThread.join();
  }
  bool Opened() const { return FOpened; }

 private:
  std::atomic<bool> FStop{false};
  std::atomic<bool> FOpened{false};
  std::thread FThread;
};

TEST_F(SkinDrop, APipeADeviceOrAFolderIsNeverOpenedAndIsRefused) {
  ASSERT_EQ(::mkfifo("pipe.png", 0600), 0);
  fs::create_directory("folder.png");
  Filled(40, 60, Qt::blue).save("blue.png");
  const struct {
    std::string File;
    const char* Reason;
  } rows[] = {{fs::absolute("pipe.png"), "通常のファイルではありません"},
              {"/dev/null", "通常のファイルではありません"},
              {fs::absolute("folder.png"), "フォルダーです"}};
  const PipeWatch pipe("pipe.png");
  const QImage skin = Texture();
  for (const auto& row : rows) {
    // Held over a view: the cursor says no, and nothing is said.
    bool taken = true;
    EXPECT_FALSE(CloseNextMessageBox([&] {
                   taken = DragAndDrop(form->PaintBox1, {Local(row.File)});
                 }).Shown);
    EXPECT_FALSE(taken) << row.File;
    // A picture when it came over the view, then the name was given to the file: dropped, it
    // is refused with a message that names it.
    fs::remove("swap.png");
    fs::create_symlink("blue.png", "swap.png");
    QMimeData data;
    data.setUrls({Local("swap.png")});
    QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(form->PaintBox2, &enter);
    ASSERT_TRUE(enter.isAccepted());
    fs::remove("swap.png");
    fs::create_symlink(row.File, "swap.png");
    QDropEvent drop(QPointF(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    const std::string says = CloseNextMessageBox([&] {
                               QCoreApplication::sendEvent(form->PaintBox2, &drop);
                               QCoreApplication::processEvents();
                             }).Text.toStdString();
    EXPECT_EQ(says,
              "ファイル \"" + fs::absolute("swap.png").string() + "\" を開けません: " + row.Reason);
  }
  form->Scene->FrameTick();  // the next frame comes
  EXPECT_FALSE(pipe.Opened());
  EXPECT_EQ(Texture(), skin);
}

}  // namespace
