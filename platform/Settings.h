// The program's one settings file, and every setting it keeps there: the doll last shown, the
// main loop's pace, the brush, the windows' sizes and the dialogs' last folders. Nothing else
// opens the file. A value that is missing or cannot be read gives the setting's default; each
// change is flushed to the disk at once.
#pragma once

#include <QSize>
#include <QString>
#include <optional>
#include <string>

#include "doll/Painting.h"

// The settings file, in the desktop's configuration folder.
std::string SettingsFile();

// The name of the doll last shown within the shelf ("" for the shelf's own doll); none when
// nothing was remembered or the value is not a folder's name.
std::optional<std::string> LastDollName();
void KeepLastDollName(const std::string& name);

// Whether the main loop waits between frames: true until the person chooses.
bool QuietLoopSetting();
void KeepQuietLoop(bool quiet);

// The brush as the person last left it; a colour, size or tool that cannot be read keeps the
// new brush's.
TBrush RememberedBrush();
void KeepBrush(const TBrush& brush);

// The size a window named `window` was last left at, or `fallback` for none or an unlikely one.
QSize WindowSize(const QString& window, QSize fallback);
void KeepWindowSize(const QString& window, QSize size);

// The folder a file dialog named `dialog` was last left in, or `fallback`.
QString DialogFolder(const QString& dialog, const QString& fallback);
void KeepDialogFolder(const QString& dialog, const QString& folder);
