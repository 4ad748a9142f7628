#include "TavoApplication.h"

#include <QApplication>
#include <QFont>
#include <QIcon>

#include "TavoUtility.h"

void InitApplication() {
  QApplication::setApplicationName("kavinel");
  QApplication::setApplicationDisplayName(QString::fromUtf8(ApplicationTitle));
  // The icon's sizes are compiled into the executable from the icon theme's files.
  QIcon icon;
  for (int size : {16, 32, 64, 256}) icon.addFile(QStringLiteral(":/kavinel-%1.png").arg(size));
  QApplication::setWindowIcon(icon);
  // fontconfig knows no alias for this family; without one Latin text would fall to
  // DejaVu Sans and kana to the fixed-width IPAGothic.
  QFont::insertSubstitution("ＭＳ Ｐゴシック", "IPAPGothic");
}
