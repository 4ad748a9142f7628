// The menu entry's launcher: a desktop starts programs in the home folder, where there is no
// doll, so this starts the program in a folder of its own, ~/Kavinel, with the sample doll
// copied in on the first start. Whatever goes wrong is shown in a message box, since there
// is no terminal to read.
#include <unistd.h>

#include <QApplication>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>

#include "framework/TavoApplication.h"
#include "framework/TavoErrors.h"
#include "framework/TavoUtility.h"
#include "platform/DollFolder.h"

namespace fs = std::filesystem;

namespace {

// The launcher is installed beside the program; the sample doll lies in the shared data.
fs::path InstalledHere() {
  return fs::read_symlink("/proc/self/exe").parent_path();
}

[[noreturn]] void StartProgram(const fs::path& program, char* argv[]) {
  argv[0] = const_cast<char*>(program.c_str());
  execv(program.c_str(), argv);
  throw ETavoError("プログラム \"" + program.string() +
                   "\" を起動できません: " + std::strerror(errno));
}

int Report(int argc, char* argv[], const std::string& text) {
  QApplication application(argc, argv);
  InitApplication();
  ShowMsg(text);
  return 1;
}

}  // namespace

int main(int argc, char* argv[]) {
  try {
    const fs::path here = InstalledHere();
    const std::string folder = DollFolderPath();
    PrepareDollFolder(folder, (here / KAVINEL_SAMPLES_FROM_LAUNCHER).lexically_normal());
    if (chdir(folder.c_str()) != 0)
      throw ETavoError("フォルダー \"" + folder + "\" に移れません: " + std::strerror(errno));
    StartProgram(here / "Kavinel", argv);
  } catch (const std::exception& e) {
    return Report(argc, argv, e.what());
  }
}
