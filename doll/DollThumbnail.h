// The doll's picture for file managers and for the doll file's own thumbnail: its front view
// at rest, unturned and unshaded, on a transparent ground.
#pragma once

#include <QImage>

#include "SceneState.h"

// The front view of the doll of `outline` wearing the top-left TextureColumns × DollRows of
// `skin`, turned to texture column 0 and unshaded: ViewSize × ViewSize, Format_ARGB32, opaque
// where the doll is and fully transparent elsewhere. Renders through the scene's globals but
// leaves every one of them as it found it, so it may be called while a doll is on screen.
QImage DollThumbnail(const DollProfile& outline, const TTavoBitmap& skin);
