// The sound library's three entry points that the program calls. The program plays no
// sound: it only selects the output device at start-up and stops and frees the library at
// shut-down. No result is used.
#pragma once

extern "C" {
int GGSSetDevice(int deviceId, int options);
int GGSStop();
int GGSFree();
}
