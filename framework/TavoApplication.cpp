#include "TavoApplication.h"

#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QFont>
#include <QIcon>
#include <QSocketNotifier>
#include <QWidget>
#include <csignal>

#include "TavoUtility.h"
#include "Translation.h"

namespace {

// A signal handler may only do what is safe at any moment: it writes one byte, and the event
// loop, which watches the other end, closes the window.
int SignalSocket[2] = {-1, -1};

void WriteSignalByte(int /*signal*/) {
  const char byte = 1;
  [[maybe_unused]] const ssize_t written = ::write(SignalSocket[0], &byte, 1);
}

}  // namespace

const char* ApplicationVersion() {
  return KAVINEL_VERSION;
}

void InitApplication() {
  UseDesktopLanguage();
  QApplication::setApplicationName("kavinel");
  QApplication::setApplicationVersion(ApplicationVersion());
  QApplication::setApplicationDisplayName(QString::fromUtf8(ApplicationTitle));
  // The icon's sizes are compiled into the executable from the icon theme's files.
  QIcon icon;
  for (int size : {16, 32, 64, 256}) icon.addFile(QStringLiteral(":/kavinel-%1.png").arg(size));
  QApplication::setWindowIcon(icon);
  // fontconfig knows no alias for this family; without one Latin text would fall to
  // DejaVu Sans and kana to the fixed-width IPAGothic.
  QFont::insertSubstitution("ＭＳ Ｐゴシック", "IPAPGothic");
}

void CloseOnTerminationSignals(QWidget& window) {
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, SignalSocket) != 0)
    return;  // without it the signals keep their default action
  auto* notifier = new QSocketNotifier(SignalSocket[1], QSocketNotifier::Read, &window);
  QObject::connect(notifier, &QSocketNotifier::activated, &window, [&window] {
    char bytes[16];
    while (::read(SignalSocket[1], bytes, sizeof bytes) > 0) {
    }
    // A message box open meanwhile runs a loop of its own, which would keep the program on.
    for (QWidget* shown : QApplication::topLevelWidgets())
      if (shown->isModal() && shown->isVisible()) shown->close();
    window.close();
  });
  struct sigaction action {};
  action.sa_handler = WriteSignalByte;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (const int signal : {SIGTERM, SIGINT, SIGHUP}) ::sigaction(signal, &action, nullptr);
}
