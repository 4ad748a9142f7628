// Program entry: the application, its title and icon, and the main window.
#include <QApplication>
#include <QFont>
#include <QIcon>

#include "framework/TavoUtility.h"
#include "scene/UnitForm.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QApplication::setApplicationName("kavinel");
  QApplication::setApplicationDisplayName(QString::fromUtf8(ApplicationTitle));
  QApplication::setWindowIcon(QIcon(":/kavinel.png"));
  // fontconfig knows no alias for this family; without one Latin text would fall to
  // DejaVu Sans and kana to the fixed-width IPAGothic.
  QFont::insertSubstitution("ＭＳ Ｐゴシック", "IPAPGothic");
  try {
    TFormMain form;
    form.show();
    return QApplication::exec();
  } catch (const std::exception& e) {
    // The doll could not be read at start-up: say why, and end without a window.
    ShowMsg(e.what());
    return 1;
  }
}
