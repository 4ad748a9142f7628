#include "TavoMidi.h"

#include "TavoUtility.h"
#include "platform/GuruGuruSMF.h"

bool MidiCreated = false;

TTavoMidi::TTavoMidi() {
  if (MidiCreated) {
    DefaultBeep();
    return;
  }
  MidiCreated = true;
  GGSSetDevice(-1, 0);
  FPlaying = false;
}

TTavoMidi::~TTavoMidi() {
  Stop();
  GGSFree();
  MidiCreated = false;
}

void TTavoMidi::Stop() {
  GGSStop();
  FPlaying = false;
}
