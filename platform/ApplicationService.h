// The running program's side of "one Kavinel": it owns the application ID on the session bus and
// serves org.freedesktop.Application, so that a second start hands its doll over instead of
// running a program of its own. Each request is carried out once the call has been answered,
// so that the caller, the launcher in a terminal, ends at once.
#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QObject>
#include <QStringList>
#include <QVariantList>
#include <QVariantMap>
#include <functional>
#include <string>

class QWidget;

class TApplicationService : public QObject, protected QDBusContext {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Application")

 public:
  // What the window does with a request: open a doll file, show the doll of a folder.
  struct TActions {
    std::function<void(const std::string& fileName)> OpenFile;
    std::function<void(const std::string& folder)> ShowFolder;
  };
  TApplicationService(QWidget& window, TActions actions);

  // Serves on `bus` and takes the application ID where it is free; false where another program
  // holds it (this one then runs alone).
  bool Serve(QDBusConnection bus);

 public slots:
  // The menu entry without a file: the window comes to the front.
  Q_SCRIPTABLE void Activate(const QVariantMap& platformData);
  // Doll files as file:// URIs, each opened as the menu opens it.
  Q_SCRIPTABLE void Open(const QStringList& uris, const QVariantMap& platformData);
  // "show-folder" with the folder's path: the doll of that folder.
  Q_SCRIPTABLE void ActivateAction(const QString& name, const QVariantList& parameter,
                                   const QVariantMap& platformData);

 private:
  QWidget& Window;
  const TActions Actions;

  // Raises and activates the window once the call is answered, then does `work`.
  void Later(const QVariantMap& platformData, std::function<void()> work);
};
