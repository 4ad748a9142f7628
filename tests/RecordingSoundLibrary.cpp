#include "RecordingSoundLibrary.h"

#include "platform/GuruGuruSMF.h"

std::vector<std::string> SoundLibraryCalls;

extern "C" {

int GGSSetDevice(int deviceId, int options) {
  SoundLibraryCalls.push_back("GGSSetDevice(" + std::to_string(deviceId) + ", " +
                              std::to_string(options) + ")");
  return 0;
}

int GGSStop() {
  SoundLibraryCalls.push_back("GGSStop()");
  return 0;
}

int GGSFree() {
  SoundLibraryCalls.push_back("GGSFree()");
  return 0;
}
}
