// The launcher's side of "one Kavinel": a start hands its request to the program that owns the
// application ID on the session bus, through org.freedesktop.Application, passing on the
// desktop's startup id or activation token.
#pragma once

#include <QDBusConnection>
#include <QVariantList>
#include <QVariantMap>
#include <string>

class THandover {
 public:
  // Reaches the session bus where FindSessionBus found one.
  THandover();

  // Whether a program owns the application ID.
  bool Running() const;
  // Each is true when the running program took the request; false when it could not be
  // reached (it ended meanwhile), and the start runs its own program.
  bool Open(const std::string& dollFile);
  bool ShowFolder(const std::string& folder);
  bool Activate();

 private:
  QDBusConnection Bus;
  QVariantMap PlatformData;

  bool Call(const QString& method, const QVariantList& arguments);
};
