// The menu entry's launcher and the `kavinel` command (bin/kavinel links here). A desktop
// starts programs in the home folder, where there is no doll, so the menu entry starts the
// program in a folder of its own, ~/Kavinel, with the sample doll copied in on the first
// start, or in the doll of the shelf last shown. The command starts it in the terminal's folder
// when that holds a doll, and says so and goes there when it does not. Given a doll file (a double
// click in the file manager), it unpacks it into a new folder in ~/Kavinel, unless a doll there
// holds the very same pictures, and starts there; `--export` writes the doll of the terminal's
// folder as a doll file without a window. Whatever goes wrong in starting is shown in a message box
// as well as on the terminal, since the menu entry has no terminal to read. Where a Kavinel runs
// already on the session bus, a start hands its doll file, its folder or just itself over to
// that program and ends (see Handover.h); the bus activates the launcher as
// `kavinel --gapplication-service`, which starts the program as the menu entry does.
#include <signal.h>
#include <unistd.h>

#include <QApplication>
#include <QCommandLineParser>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>

#include "doll/DollTypes.h"
#include "doll/ShapeProfile.h"
#include "dollfile/DollExport.h"
#include "dollfile/DollUnpack.h"
#include "framework/TavoApplication.h"
#include "framework/TavoErrors.h"
#include "framework/TavoUtility.h"
#include "framework/Translation.h"
#include "platform/CommandLineHelp.h"
#include "platform/DisplayCheck.h"
#include "platform/DollFolder.h"
#include "platform/DollShelf.h"
#include "platform/Handover.h"
#include "platform/ShelfIndex.h"

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

// Starts the program with no argument of the person's: none is Qt's to take.
[[noreturn]] void StartProgram(const fs::path& program) {
  char* const argv[] = {const_cast<char*>(program.c_str()), nullptr};
  execv(program.c_str(), argv);
  throw ETavoError(Tr("Launcher", "プログラム \"%1\" を起動できません: %2")
                       .Arg(program.string())
                       .Arg(std::strerror(errno)));
}

int Report(char* program, const std::string& text) {
  std::cerr << "kavinel: " << text << std::endl;
  if (!DisplayUnreachable().empty()) return 1;  // the terminal is all there is
  int argc = 1;
  char* argv[] = {program, nullptr};  // the person's arguments are none of Qt's
  QApplication application(argc, argv);
  InitApplication();
  ShowMsg(text);
  return 1;
}

void GoTo(const std::string& folder) {
  if (chdir(folder.c_str()) != 0)
    throw ETavoError(
        Tr("Launcher", "フォルダー \"%1\" に移れません: %2").Arg(folder).Arg(std::strerror(errno)));
}

// What the command line asks for: a doll file to open or to export to, both made absolute
// before anything changes folder; or, for the session bus, a program that takes over the
// application ID.
struct TCommandLine {
  std::string DollFile;
  std::string Export;
  bool BusService = false;
};

// Reads the command line before any application object exists, so that Qt takes none of the
// person's arguments for its own options. --help and --version are answered here, and a
// command line that cannot be followed is refused with the usage (status 2), all without a
// window.
TCommandLine ReadCommandLine(int argc, char* argv[]) {
  QStringList arguments;
  for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  QCommandLineParser parser;
  // Qt's own help and version options would list --help-all for Qt's options, which the
  // launcher takes none of, and speak in a voice of their own.
  const QCommandLineOption help({"h", "help"},
                                Tr("Launcher", "この使い方を表示して終わります").ToQString());
  parser.addOption(help);
  const QCommandLineOption version({"v", "version"},
                                   Tr("Launcher", "版を表示して終わります").ToQString());
  parser.addOption(version);
  const QCommandLineOption exportTo(
      "export",
      Tr("Launcher", "この人形フォルダーの人形を人形ファイル FILE.kavinel に書き出して終わります")
          .ToQString(),
      "FILE.kavinel");
  parser.addOption(exportTo);
  // Only the session bus's service file uses it.
  QCommandLineOption busService("gapplication-service");
  busService.setFlags(QCommandLineOption::HiddenFromHelp);
  parser.addOption(busService);
  const std::vector<THelpSection> sections{
      {Tr("Launcher", "オプション:").ToQString(),
       {{"-h, --help", help.description()},
        {"-v, --version", version.description()},
        {"--export <FILE.kavinel>", exportTo.description()}}},
      {Tr("Launcher", "引数:").ToQString(),
       {{Tr("Launcher", "人形ファイル").ToQString(),
         Tr("Launcher", "開く人形ファイル (.kavinel)").ToQString()}}}};
  const std::string helpText =
      HelpText(Tr("Launcher", "使い方: %1 [オプション] [人形ファイル.kavinel]")
                   .Arg(fs::path(argv[0]).filename().string())
                   .ToQString(),
               Tr("Launcher", "カヴィネル: 回って開く入れ子人形").ToQString(), sections)
          .toStdString();
  const bool parsed = parser.parse(arguments);
  if (parsed && parser.isSet(help)) {
    std::cout << helpText;
    std::exit(0);
  }
  if (parsed && parser.isSet(version)) {
    std::cout << std::string(Tr("Launcher", "カヴィネル (Kavinel) %1").Arg(ApplicationVersion()))
              << std::endl;
    std::exit(0);
  }
  const QStringList files = parser.positionalArguments();
  QString error = parser.errorText();
  if (parsed && files.size() > 1)
    error = Tr("Launcher", "人形ファイルは一つだけ渡せます").ToQString();
  if (parsed && files.size() == 1 && parser.isSet(exportTo))
    error = Tr("Launcher", "--export と人形ファイルは一緒に渡せません").ToQString();
  if (!error.isEmpty()) {
    std::cerr << "kavinel: " << error.toStdString() << "\n\n" << helpText;
    std::exit(2);
  }
  const auto absolute = [](const QString& file) {
    return file.isEmpty() ? std::string() : fs::absolute(file.toStdString()).string();
  };
  return {absolute(files.value(0)), absolute(parser.value(exportTo)), parser.isSet(busService)};
}

int Export(const std::string& fileName) {
  try {
    if (!HoldsDoll("."))
      throw ETavoError(Tr("Launcher", "フォルダー \"%1\" には人形がありません")
                           .Arg(fs::current_path().string()));
    ExportDoll("", fileName, false);  // the doll of the working folder
    return 0;
  } catch (const std::exception& e) {
    std::cerr << "kavinel: " << e.what() << std::endl;
    return 1;
  }
}

// The signal that asked the launcher to end while it unpacked a doll file, or 0.
volatile std::sig_atomic_t StopSignal = 0;

extern "C" void NoteStop(int signal) {
  StopSignal = signal;
}

// Thrown between two chunks of an unpack once a signal asked the launcher to end.
struct TStopped {};

// Unpacks the doll file into `folder`. Ending the session or Ctrl+C meanwhile stops the unpack
// at its next chunk, which removes what it wrote, and then ends the launcher as the signal does.
std::string Unpack(const std::string& dollFile, const std::string& folder) {
  struct sigaction stop {};
  stop.sa_handler = NoteStop;
  sigemptyset(&stop.sa_mask);
  for (const int signal : {SIGTERM, SIGINT, SIGHUP}) sigaction(signal, &stop, nullptr);
  const auto restore = [] {
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) std::signal(signal, SIG_DFL);
  };
  std::string unpacked;
  try {
    unpacked = UnpackDollFile(
        dollFile, folder,
        [] {
          if (StopSignal != 0) throw TStopped();
        },
        [&](const std::string& content) {
          const std::string copy = FindCopyOnShelf(folder, content);
          if (!copy.empty())
            std::cerr << "kavinel: "
                      << std::string(Tr("Launcher",
                                        "人形ファイル \"%1\" と同じ人形が %2 "
                                        "にあるので、それを見せます")
                                         .Arg(dollFile)
                                         .Arg(copy))
                      << std::endl;
          return copy;
        });
  } catch (...) {
    restore();
    if (StopSignal != 0) std::raise(StopSignal);
    throw;
  }
  restore();
  if (StopSignal != 0) std::raise(StopSignal);
  return unpacked;
}

// Hands the start over to a Kavinel that runs already: the doll file, once read as the
// thumbnailer reads it (a refusal raises its error, nothing handed over, whether one runs or not);
// the doll of the folder the command is typed in; or otherwise the window to the front. False where
// none runs.
bool HandOver(const TCommandLine& line, bool command) {
  // Read before the bus is asked for anything: a refused file ends the start here.
  if (!line.DollFile.empty()) {
    TDollFile doll(line.DollFile);
    ReadDollPictures(doll);
  }
  THandover handover;
  if (!handover.Running()) return false;
  if (!line.DollFile.empty()) return handover.Open(line.DollFile);
  if (command && HoldsDoll(".")) return handover.ShowFolder(fs::current_path().string());
  return handover.Activate();
}

// Everything but the message box, which needs the window system: the command line, the export,
// the doll folder and the start of the program.
int Start(int argc, char* argv[]) {
  const TCommandLine line = ReadCommandLine(argc, argv);
  if (!line.Export.empty()) return Export(line.Export);
  // A start that cannot show its window makes nothing: no ~/Kavinel, no sample, no message box.
  if (const std::string why = DisplayUnreachable(); !why.empty()) {
    std::cerr << "kavinel: " << why << std::endl;
    return 1;
  }
  const fs::path here = InstalledHere();
  const bool command = StartedAsCommand(argv[0]) && !line.BusService;
  if (!line.BusService && HandOver(line, command)) return 0;
  if (command && line.DollFile.empty() && HoldsDoll(".")) StartProgram(here / "Kavinel");
  const std::string folder = DollFolderPath();
  RemoveAbandonedUnpacks(folder);
  if (!line.DollFile.empty()) {
    GoTo(Unpack(line.DollFile, folder));
    StartProgram(here / "Kavinel");
  }
  PrepareDollFolder(folder, (here / KAVINEL_SAMPLES_FROM_LAUNCHER).lexically_normal());
  const std::string doll = RememberedDoll(folder);
  GoTo(doll);
  if (command)
    std::cerr << "kavinel: "
              << std::string(
                     Tr("Launcher", "このフォルダーには人形 (%1, %2) がないので、%3 で起動します")
                         .Arg(ShapeFileName)
                         .Arg(TextureFileName)
                         .Arg(doll))
              << std::endl;
  StartProgram(here / "Kavinel");
}

}  // namespace

int main(int argc, char* argv[]) {
  try {
    // Qt Core's application object only gives the texts their language; a window system may
    // be missing. The person's arguments are none of Qt's.
    int noArguments = 1;
    const QCoreApplication application(noArguments, argv);
    UseDesktopLanguage();
    return Start(argc, argv);
  } catch (const std::exception& e) {
    // Told once Qt Core's application is gone, in a message box as well as on the terminal.
    return Report(argv[0], e.what());
  }
}
