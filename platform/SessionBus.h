// Kavinel on the desktop's session bus: its name there, which is its application ID, and the
// bus itself, found without ever starting one.
#pragma once

// The application ID (the build's KAVINEL_APP_ID): the well-known bus name, the menu entry's and
// the metainfo's name and the icon's.
inline constexpr const char* ApplicationId = KAVINEL_APP_ID;
// The object path derived from the ID ("/" + the ID with its dots as slashes), and the
// interface served there.
inline constexpr const char* ApplicationPath = KAVINEL_APP_PATH;
inline constexpr const char* ApplicationInterface = "org.freedesktop.Application";
// The action that shows the doll of a folder; its one parameter is the folder's absolute path.
inline constexpr const char* ShowFolderAction = "show-folder";

// Whether the session bus can be reached: DBUS_SESSION_BUS_ADDRESS is set, or
// $XDG_RUNTIME_DIR/bus is a socket, which then becomes the address. Without either it sets an
// address that reaches nothing, so that no part of this process, Qt's own included, makes
// libdbus launch a bus for the X display. Called before the application object.
bool FindSessionBus();
