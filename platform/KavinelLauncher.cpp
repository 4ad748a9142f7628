// The menu entry's launcher and the `kavinel` command (bin/kavinel links here). A desktop
// starts programs in the home folder, where there is no doll, so the menu entry starts the
// program in a folder of its own, ~/Kavinel, with the sample doll copied in on the first
// start. The command starts it in the terminal's folder when that holds a doll, and says so
// and goes to ~/Kavinel when it does not. Whatever goes wrong is shown in a message box as
// well as on the terminal, since the menu entry has no terminal to read.
#include <unistd.h>

#include <QApplication>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>

#include "doll/SceneState.h"
#include "doll/ShapeProfile.h"
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

// Started through bin/kavinel, by the name a person types.
bool StartedAsCommand(const char* argv0) {
  return argv0 && fs::path(argv0).filename() == "kavinel";
}

[[noreturn]] void StartProgram(const fs::path& program, char* argv[]) {
  argv[0] = const_cast<char*>(program.c_str());
  execv(program.c_str(), argv);
  throw ETavoError("プログラム \"" + program.string() +
                   "\" を起動できません: " + std::strerror(errno));
}

int Report(int argc, char* argv[], const std::string& text) {
  std::cerr << "kavinel: " << text << std::endl;
  QApplication application(argc, argv);
  InitApplication();
  ShowMsg(text);
  return 1;
}

}  // namespace

int main(int argc, char* argv[]) {
  try {
    const fs::path here = InstalledHere();
    const bool command = StartedAsCommand(argv[0]);
    if (command && HoldsDoll(".")) StartProgram(here / "Kavinel", argv);
    const std::string folder = DollFolderPath();
    PrepareDollFolder(folder, (here / KAVINEL_SAMPLES_FROM_LAUNCHER).lexically_normal());
    if (chdir(folder.c_str()) != 0)
      throw ETavoError("フォルダー \"" + folder + "\" に移れません: " + std::strerror(errno));
    if (command)
      std::cerr << "kavinel: このフォルダーには人形 (" << ShapeFileName << ", " << TextureFileName
                << ") がないので、" << folder << " で起動します" << std::endl;
    StartProgram(here / "Kavinel", argv);
  } catch (const std::exception& e) {
    return Report(argc, argv, e.what());
  }
}
