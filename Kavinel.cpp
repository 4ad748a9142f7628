// Program entry: the application, its title and icon, and the main window.
#include <QApplication>

#include "framework/TavoApplication.h"
#include "framework/TavoUtility.h"
#include "scene/UnitForm.h"

int main(int argc, char* argv[]) {
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
