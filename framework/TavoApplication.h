// The application's identity, set up once a QApplication exists: its name, the title that
// captions every message box, the window icon and the Japanese user-interface font.
#pragma once

void InitApplication();
