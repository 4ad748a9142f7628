// Program entry: the application, its title and icon, and the main window.
#include <QApplication>
#include <iostream>

#include "framework/TavoApplication.h"
#include "framework/TavoUtility.h"
#include "framework/Translation.h"
#include "platform/DisplayCheck.h"
#include "scene/UnitForm.h"

int main(int argc, char* argv[]) {
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
  try {
    TFormMain form;
    CloseOnTerminationSignals(form);
    form.show();
    return QApplication::exec();
  } catch (const std::exception& e) {
    // The doll could not be read at start-up: say why, and end without a window.
    ShowMsg(e.what());
    return 1;
  }
}
