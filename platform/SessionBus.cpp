#include "SessionBus.h"

#include <sys/stat.h>

#include <QByteArray>
#include <QtGlobal>

namespace {

constexpr const char* AddressVariable = "DBUS_SESSION_BUS_ADDRESS";

bool IsSocket(const QByteArray& path) {
  struct stat status {};
  return ::stat(path.constData(), &status) == 0 && S_ISSOCK(status.st_mode);
}

}  // namespace

bool FindSessionBus() {
  if (!qEnvironmentVariableIsEmpty(AddressVariable)) return true;
  const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
  if (!runtime.isEmpty() && IsSocket(runtime + "/bus")) {
    // Escaped as bus addresses are: every byte outside [-0-9A-Za-z_/.\*] as %XX.
    qputenv(AddressVariable, "unix:path=" + (runtime + "/bus").toPercentEncoding("/\\*", "~"));
    return true;
  }
  // Unset, libdbus would run dbus-launch wherever DISPLAY is set.
  qputenv(AddressVariable, "unix:path=/dev/null");
  return false;
}
