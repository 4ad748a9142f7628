// The table of interval tasks and the cooperative main loop that runs them between pumping
// the window's messages. The program's only source of timing.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class TTavoForm;

// One task: it runs when more than Interval milliseconds have passed since LastRun.
struct TTavoThread {
  std::string Name;            // stored only
  std::function<void()> Proc;  // an entry without a procedure never runs
  std::int32_t Interval = 0;   // 0 or less never runs
  std::uint32_t LastRun = 0;   // clock reading of the pass that last ran it
};

// The tasks in registration order; one table for the program.
extern std::vector<TTavoThread> TaskTable;
// Whether a TTavoTimer exists.
extern bool TimerCreated;

class TTavoTimer {
 public:
  // The first instance clears the table and hands RunMainLoop to the window; a second one
  // while the first exists only beeps.
  explicit TTavoTimer(TTavoForm& AForm);
  ~TTavoTimer();
  TTavoTimer(const TTavoTimer&) = delete;
  TTavoTimer& operator=(const TTavoTimer&) = delete;

  // Appends a task whose LastRun is the clock now; nothing is validated.
  void AddTask(std::function<void()> AProc, std::int32_t AInterval, const std::string& AName);
  void Clear();
};

// Pumps every waiting message without waiting, reads the clock once, runs every due task in
// table order, and returns at the end of the pass in which the application was told to
// terminate. Never sleeps, unless the loop is quiet: each pass then ends by waiting for the
// next message, or until the next task is due, whichever comes first. An exception from a
// task ends it.
void RunMainLoop();

// Whether the main loop waits between passes (off: it spins, as it always did).
void SetQuietLoop(bool quiet);
bool QuietLoop();

// Replaces the message pump (tests drive the loop with their own); null restores
// QCoreApplication::processEvents.
using TMessagePump = void (*)();
void SetMessagePump(TMessagePump pump);

// Replaces the quiet loop's wait, which handles messages as they come for at most `ms`
// milliseconds; null restores the real one.
using TMessageWait = void (*)(std::uint32_t ms);
void SetMessageWait(TMessageWait wait);
