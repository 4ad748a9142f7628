// The About box: the program's name, version and licence, the folder it works in, and what
// the mouse and the keys do.
#pragma once

#include <QString>

class QWidget;

// The box's caption.
inline const char* const AboutCaption = QT_TRANSLATE_NOOP("Window", "カヴィネルについて");

// The box's text, naming `folder` as the folder the program works in.
QString AboutText(const QString& folder);

// Shows the box for the doll's folder `folder`, modal over `parent`, with one OK button.
void ShowAboutBox(QWidget* parent, const QString& folder);
