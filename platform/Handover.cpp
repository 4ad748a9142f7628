#include "Handover.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QUrl>

#include "SessionBus.h"

namespace {

// What the desktop gave this start to let the window take the focus: a startup id on X11, an
// activation token on Wayland.
QVariantMap PlatformDataOfStart() {
  QVariantMap data;
  if (const QString id = qEnvironmentVariable("DESKTOP_STARTUP_ID"); !id.isEmpty())
    data.insert("desktop-startup-id", id);
  if (const QString token = qEnvironmentVariable("XDG_ACTIVATION_TOKEN"); !token.isEmpty())
    data.insert("activation-token", token);
  return data;
}

}  // namespace

THandover::THandover()
    : Bus(FindSessionBus() ? QDBusConnection::sessionBus() : QDBusConnection(QString())),
      PlatformData(PlatformDataOfStart()) {}

bool THandover::Running() const {
  return Bus.isConnected() && Bus.interface()->isServiceRegistered(ApplicationId).value();
}

bool THandover::Open(const std::string& dollFile) {
  const QString uri = QUrl::fromLocalFile(QString::fromStdString(dollFile)).toString();
  return Call("Open", {QStringList{uri}, PlatformData});
}

bool THandover::ShowFolder(const std::string& folder) {
  return Call("ActivateAction", {QString(ShowFolderAction),
                                 QVariantList{QString::fromStdString(folder)}, PlatformData});
}

bool THandover::Activate() {
  return Call("Activate", {PlatformData});
}

bool THandover::Call(const QString& method, const QVariantList& arguments) {
  QDBusMessage call =
      QDBusMessage::createMethodCall(ApplicationId, ApplicationPath, ApplicationInterface, method);
  call.setArguments(arguments);
  call.setAutoStartService(false);  // the program found running, never one started for it
  return Bus.call(call).type() == QDBusMessage::ReplyMessage;
}
