// The sound device: opens the sound library at start-up and closes it at shut-down.
#pragma once

// Whether a TTavoMidi exists.
extern bool MidiCreated;

class TTavoMidi {
 public:
  // Selects the output device; a second instance while the first exists only beeps.
  TTavoMidi();
  // Stops and frees the library, whichever instance it is.
  ~TTavoMidi();
  TTavoMidi(const TTavoMidi&) = delete;
  TTavoMidi& operator=(const TTavoMidi&) = delete;

  void Stop();

 private:
  bool FPlaying = false;
};
