// A stand-in for the sound library: it accepts the three calls and plays nothing.
#include "GuruGuruSMF.h"

extern "C" {

__attribute__((visibility("default"))) int GGSSetDevice(int /*deviceId*/, int /*options*/) {
  return 0;
}

__attribute__((visibility("default"))) int GGSStop() {
  return 0;
}

__attribute__((visibility("default"))) int GGSFree() {
  return 0;
}
}
