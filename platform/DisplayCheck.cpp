#include "DisplayCheck.h"

#include <xcb/xcb.h>

#include <cstdlib>

#include "framework/Translation.h"

namespace {

bool Named(const char* variable) {
  const char* value = std::getenv(variable);
  return value && *value;
}

}  // namespace

std::string DisplayUnreachable() {
  if (Named("QT_QPA_PLATFORM") || Named("WAYLAND_DISPLAY") || Named("WAYLAND_SOCKET")) return {};
  if (!Named("DISPLAY"))
    return Tr("Launcher",
              "ウィンドウを出すディスプレイがありません (DISPLAY も WAYLAND_DISPLAY もありません)");
  xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
  const bool refused = xcb_connection_has_error(connection) != 0;
  xcb_disconnect(connection);
  if (refused)
    return Tr("Launcher", "ディスプレイ \"%1\" に接続できません").Arg(std::getenv("DISPLAY"));
  return {};
}
