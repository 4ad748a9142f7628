// A long run of the scene with random commands from a fixed seed: no error escapes, no
// bitmap or memory is left behind, and every saved sheet is a sound 400 × 200 BMP. The
// number of frames comes from KAVINEL_SOAK_FRAMES (a short run by default; `make soak` runs
// an hour's worth).
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <utility>

#include "DollModel.h"
#include "MessageBoxWatcher.h"
#include "TestFiles.h"
#include "doll/ShapeProfile.h"
#include "scene/Scene.h"
#include "scene/UnitForm.h"

namespace {

// AddressSanitizer keeps freed memory in quarantine, so resident memory says nothing there;
// its leak checker watches instead.
#ifdef __SANITIZE_ADDRESS__
constexpr bool WatchResidentMemory = false;
#else
constexpr bool WatchResidentMemory = true;
#endif

long SoakFrames() {
  const char* frames = std::getenv("KAVINEL_SOAK_FRAMES");
  return frames ? std::atol(frames) : 3000;
}

// Resident memory in kilobytes.
long ResidentKb() {
  std::ifstream statm("/proc/self/statm");
  long size = 0, resident = 0;
  statm >> size >> resident;
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

std::vector<int> Radii(std::mt19937& random, bool withNeck) {
  const int widest = 30 + static_cast<int>(random() % 71);
  const int at = 20 + static_cast<int>(random() % 160);
  std::vector<int> radii(200);
  for (int y = 0; y < 200; ++y) radii[y] = std::max(0, widest - std::abs(y - at) / 3);
  if (withNeck) radii[at - 10] -= 1;  // a neck one pixel deep: the rows on either side are wider
  return radii;
}

void ExpectSoundSheet(const std::string& name) {
  TTavoBitmap sheet;
  sheet.LoadFromFileAuto(name);
  EXPECT_EQ(sheet.width(), 400);
  EXPECT_EQ(sheet.height(), 200);
  EXPECT_EQ(ReadBytes(name).size(), 54u + 400u * 3u * 200u);
  std::filesystem::remove(name);
}

TEST(Soak, RandomCommandsForManyFramesLeaveNothingBehind) {
  ScratchFolder folder(true);
  std::mt19937 random(2026);
  WriteBytes(ShapeFileName, ShapeBmp(Radii(random, false)));
  WriteBytes(TextureFileName, Bmp24(RandomTexture(5)));
  TFormMain form;
  QCoreApplication::removePostedEvents(&form, WM_RUNLOOP);
  TScene& scene = *form.Scene;

  const long frames = SoakFrames();
  const long warmUp = std::min(1000L, frames / 2);
  int bitmaps = 0;
  long residentAfterWarmUp = 0;
  int saves = 0, openings = 0, loads = 0, openRefusals = 0, loadRefusals = 0;
  for (long frame = 0; frame < frames; ++frame) {
    if (frame == warmUp) {
      bitmaps = TTavoBitmap::LiveCount();
      residentAfterWarmUp = ResidentKb();
    }
    ASSERT_NO_THROW(scene.FrameTick()) << "frame " << frame;
    if (random() % 25 != 0) continue;
    switch (random() % 9) {
      case 0:
        form.BtnTurnLeft->click();
        break;
      case 1:
        form.BtnTurnRight->click();
        break;
      case 2:
        form.BtnShade->click();
        break;
      case 3:
      case 4:  // open, during an opening as often as after one
        if (scene.Doll.Openable) {
          form.BtnOpen->click();
          ++openings;
        }
        break;
      case 5: {
        form.BtnSave->click();
        ExpectSoundSheet("out00.bmp");
        ++saves;
        break;
      }
      case 6: {  // a new doll, the first and now and then another one that cannot open
        const bool neck = loads == 0 || random() % 4 == 0;
        WriteBytes(ShapeFileName, ShapeBmp(Radii(random, neck)));
        form.BtnLoad->click();
        ++loads;
        if (neck) {
          EXPECT_TRUE(CloseNextMessageBox([&] { form.BtnOpen->click(); }).Shown);
          ++openRefusals;
        }
        break;
      }
      case 7:
        if (!scene.Doll.Openable && random() % 8 == 0) {
          EXPECT_TRUE(CloseNextMessageBox([&] { form.BtnOpen->click(); }).Shown);
          ++openRefusals;
        }
        break;
      case 8:  // the first time and now and then: a texture cut short, refused, the skin stays
        if (loadRefusals == 0 || random() % 16 == 0) {
          Bytes cut = Bmp24(RandomTexture(6));
          cut.resize(cut.size() / 2);
          WriteBytes(TextureFileName, cut);
          EXPECT_TRUE(CloseNextMessageBox([&] { form.BtnLoad->click(); }).Shown);
          WriteBytes(TextureFileName, Bmp24(RandomTexture(5)));
          ++loadRefusals;
        }
        break;
    }
  }
  EXPECT_EQ(TTavoBitmap::LiveCount(), bitmaps);
  const long growth = ResidentKb() - residentAfterWarmUp;
  if (WatchResidentMemory) {
    EXPECT_LT(growth, 8 * 1024) << "resident memory grew by " << growth << " kB";
  }
  std::printf(
      "soak: %ld frames, %d saves, %d openings, %d loads, %d + %d refusals (Open, Load); "
      "resident memory %+ld kB after warm-up\n",
      frames, saves, openings, loads, openRefusals, loadRefusals, growth);
  // Every kind of command ran: the seed is fixed, so a run of the default length or longer
  // does each.
  const std::pair<const char*, int> counts[] = {{"saves", saves},
                                                {"openings", openings},
                                                {"loads", loads},
                                                {"Open refusals", openRefusals},
                                                {"Load refusals", loadRefusals}};
  for (const auto& [what, count] : counts) EXPECT_GT(count, 0) << what;
}

}  // namespace
