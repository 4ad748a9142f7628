#include "ApplicationService.h"

#include <QDBusError>
#include <QTimer>
#include <QUrl>
#include <QWidget>
#include <vector>

#include "SessionBus.h"
#include "WindowActivation.h"

TApplicationService::TApplicationService(QWidget& window, TActions actions)
    : QObject(&window), Window(window), Actions(std::move(actions)) {}

bool TApplicationService::Serve(QDBusConnection bus) {
  // The object first: a call queued for the name meets it as soon as the name is taken.
  return bus.isConnected() &&
         bus.registerObject(ApplicationPath, this, QDBusConnection::ExportScriptableSlots) &&
         bus.registerService(ApplicationId);
}

void TApplicationService::Activate(const QVariantMap& platformData) {
  Later(platformData, [] {});
}

void TApplicationService::Open(const QStringList& uris, const QVariantMap& platformData) {
  std::vector<std::string> files;
  for (const QString& uri : uris)
    if (const QUrl url(uri); url.isLocalFile()) files.push_back(url.toLocalFile().toStdString());
  Later(platformData, [this, files] {
    for (const std::string& file : files) Actions.OpenFile(file);
  });
}

void TApplicationService::ActivateAction(const QString& name, const QVariantList& parameter,
                                         const QVariantMap& platformData) {
  if (name != ShowFolderAction || parameter.size() != 1 ||
      parameter[0].typeId() != QMetaType::QString) {
    sendErrorReply(QDBusError::InvalidArgs,
                   QStringLiteral("no action %1 with these parameters").arg(name));
    return;
  }
  const std::string folder = parameter[0].toString().toStdString();
  Later(platformData, [this, folder] { Actions.ShowFolder(folder); });
}

void TApplicationService::Later(const QVariantMap& platformData, std::function<void()> work) {
  QTimer::singleShot(0, this, [this, platformData, work = std::move(work)] {
    BringToFront(Window, platformData.value("desktop-startup-id").toString().toUtf8(),
                 platformData.value("activation-token").toString().toUtf8());
    work();
  });
}
