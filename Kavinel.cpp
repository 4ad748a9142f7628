// Program entry: the application, its title and icon, the main window, and its service on the
// session bus, which takes the starts handed over by the launcher.
#include <QApplication>
#include <iostream>

#include "framework/TavoApplication.h"
#include "framework/TavoUtility.h"
#include "framework/Translation.h"
#include "platform/ApplicationService.h"
#include "platform/DisplayCheck.h"
#include "platform/SessionBus.h"
#include "scene/UnitForm.h"

int main(int argc, char* argv[]) {
  // Before Qt, whose accessibility and themes may ask for the bus too: none is ever started.
  const bool bus = FindSessionBus();
  // Qt aborts where no display can be reached: say so in one line, having made nothing.
  if (!DisplayUnreachable().empty()) {
    int noArguments = 1;
    const QCoreApplication core(noArguments, argv);
    UseDesktopLanguage();
    std::cerr << "Kavinel: " << DisplayUnreachable() << std::endl;
    return 1;
  }
  QApplication application(argc, argv);
  InitApplication();
  QGuiApplication::setDesktopFileName(ApplicationId);
  try {
    TFormMain form;
    CloseOnTerminationSignals(form);
    // Where the name is taken, this program simply runs alone.
    auto* service = new TApplicationService(
        form, {[&form](const std::string& file) { form.OpenDollFileNamed(file); },
               [&form](const std::string& folder) { form.ShowDoll(folder); }});
    if (bus) service->Serve(QDBusConnection::sessionBus());
    form.show();
    return QApplication::exec();
  } catch (const std::exception& e) {
    // The doll could not be read at start-up: say why, and end without a window.
    ShowMsg(e.what());
    return 1;
  }
}
