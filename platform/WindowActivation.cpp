#include "WindowActivation.h"

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QWidget>
#include <algorithm>
#include <cstring>
#include <optional>

namespace {

xcb_atom_t Atom(xcb_connection_t* connection, const char* name) {
  xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
      connection, xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name),
      nullptr);
  const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
  std::free(reply);
  return atom;
}

// A value of a startup message, quoted, with its quotes and backslashes escaped.
QByteArray Quoted(QByteArray value) {
  return '"' + value.replace('\\', "\\\\").replace('"', "\\\"") + '"';
}

// Tells the desktop that the start `startupId` is complete, in messages of 20 bytes to the
// root window, from `window`.
void EndStartup(xcb_connection_t* connection, xcb_window_t window, const QByteArray& startupId) {
  const QByteArray message = "remove: ID=" + Quoted(startupId) + '\0';
  const xcb_atom_t begin = Atom(connection, "_NET_STARTUP_INFO_BEGIN");
  const xcb_atom_t more = Atom(connection, "_NET_STARTUP_INFO");
  const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
  for (qsizetype offset = 0; offset < message.size(); offset += 20) {
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 8;
    event.window = window;
    event.type = offset == 0 ? begin : more;
    std::memcpy(event.data.data8, message.constData() + offset,
                static_cast<std::size_t>(std::min<qsizetype>(20, message.size() - offset)));
    xcb_send_event(connection, 0, root, XCB_EVENT_MASK_PROPERTY_CHANGE,
                   reinterpret_cast<const char*>(&event));
  }
}

// The time of the click that made the start, which its startup id ends with as "_TIME<n>".
std::optional<xcb_timestamp_t> ClickTime(const QByteArray& startupId) {
  const qsizetype at = startupId.lastIndexOf("_TIME");
  bool number = false;
  const uint time = at < 0 ? 0 : startupId.mid(at + 5).toUInt(&number);
  return number ? std::optional<xcb_timestamp_t>(time) : std::nullopt;
}

bool WindowManagerRuns(xcb_connection_t* connection, xcb_window_t root) {
  xcb_get_property_reply_t* reply = xcb_get_property_reply(
      connection,
      xcb_get_property(connection, 0, root, Atom(connection, "_NET_SUPPORTING_WM_CHECK"),
                       XCB_ATOM_WINDOW, 0, 1),
      nullptr);
  const bool runs = reply && xcb_get_property_value_length(reply) > 0;
  std::free(reply);
  return runs;
}

// Asks for the focus at `time`: of the window manager as an application does, or, where none
// runs, of the X server.
void ActivateAt(xcb_connection_t* connection, xcb_window_t window, xcb_timestamp_t time) {
  const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
  if (!WindowManagerRuns(connection, root)) {
    xcb_set_input_focus(connection, XCB_INPUT_FOCUS_PARENT, window, time);
    return;
  }
  xcb_client_message_event_t event{};
  event.response_type = XCB_CLIENT_MESSAGE;
  event.format = 32;
  event.window = window;
  event.type = Atom(connection, "_NET_ACTIVE_WINDOW");
  event.data.data32[0] = 1;  // from an application
  event.data.data32[1] = time;
  xcb_send_event(connection, 0, root,
                 XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                 reinterpret_cast<const char*>(&event));
}

// Takes the startup id on X11 and, where it carries the click's time, activates the window at
// that time; false where Qt is to activate it.
bool ActivateForStart(QWidget& window, const QByteArray& startupId) {
  const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  if (!x11 || startupId.isEmpty()) return false;
  xcb_connection_t* connection = x11->connection();
  const auto id = static_cast<xcb_window_t>(window.winId());
  xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, Atom(connection, "_NET_STARTUP_ID"),
                      Atom(connection, "UTF8_STRING"), 8, static_cast<uint32_t>(startupId.size()),
                      startupId.constData());
  const std::optional<xcb_timestamp_t> time = ClickTime(startupId);
  if (time) ActivateAt(connection, id, *time);
  EndStartup(connection, id, startupId);
  xcb_flush(connection);
  return time.has_value();
}

}  // namespace

void BringToFront(QWidget& window, const QByteArray& startupId, const QByteArray& token) {
  window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
  window.show();
  window.raise();
  if (!token.isEmpty()) qputenv("XDG_ACTIVATION_TOKEN", token);
  if (!ActivateForStart(window, startupId)) window.activateWindow();
}
