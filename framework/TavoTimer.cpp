#include "TavoTimer.h"

#include <QCoreApplication>
#include <QTimer>
#include <algorithm>
#include <ctime>

#include "TavoClock.h"
#include "TavoForm.h"
#include "TavoUtility.h"

std::vector<TTavoThread> TaskTable;
bool TimerCreated = false;

namespace {

// Every waiting message, without waiting for new ones.
void ProcessWaitingMessages() {
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

TMessagePump Pump = ProcessWaitingMessages;

// Handles messages as they come until the first has been handled or the clock has moved on by
// `ms`: to the start of that millisecond of CLOCK_MONOTONIC, which the clock counts in. The
// event loop wakes only to the millisecond, and often one or more late; so it is asked to wake
// two milliseconds early, and the rest is slept to the deadline: the busy loop's pace.
void WaitForMessages(std::uint32_t ms) {
  if (ms == 0) return;
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  const std::int64_t nowNs = static_cast<std::int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
  const std::int64_t deadline = (nowNs / 1'000'000 + ms) * 1'000'000;
  if (const std::int64_t early = (deadline - nowNs) / 1'000'000 - 2; early > 0) {
    QTimer wake;  // its expiry is the message that ends the wait
    wake.setSingleShot(true);
    wake.setTimerType(Qt::PreciseTimer);
    wake.start(static_cast<int>(early));
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    if (wake.isActive()) return;  // a message came first
  }
  const timespec until{static_cast<time_t>(deadline / 1'000'000'000),
                       static_cast<long>(deadline % 1'000'000'000)};
  clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr);
}

TMessageWait Wait = WaitForMessages;
bool Quiet = false;
// The longest wait when no task is due at all: the loop still looks at the quit now and then.
constexpr std::uint32_t LongestWait = 100;

bool Due(const TTavoThread& task, std::uint32_t now) {
  return task.Proc && task.Interval > 0 &&
         static_cast<std::int64_t>(ElapsedMs(now, task.LastRun)) > task.Interval;
}

// Milliseconds from `now` until the first task is due (it runs once more than its interval
// has passed), 0 when one is due already.
std::uint32_t UntilNextDue(std::uint32_t now) {
  std::uint32_t until = LongestWait;
  for (const TTavoThread& task : TaskTable) {
    if (!task.Proc || task.Interval <= 0) continue;
    const std::uint32_t elapsed = ElapsedMs(now, task.LastRun);
    const auto due = static_cast<std::uint32_t>(task.Interval) + 1;
    until = std::min(until, elapsed >= due ? 0 : due - elapsed);
  }
  return until;
}

}  // namespace

TTavoTimer::TTavoTimer(TTavoForm& AForm) {
  if (TimerCreated) {
    DefaultBeep();
    return;
  }
  TimerCreated = true;
  Clear();
  AForm.StartLoop(RunMainLoop);
}

TTavoTimer::~TTavoTimer() {
  TimerCreated = false;
}

void TTavoTimer::AddTask(std::function<void()> AProc, std::int32_t AInterval,
                         const std::string& AName) {
  TaskTable.push_back(TTavoThread{AName, std::move(AProc), AInterval, TimeGetTime()});
}

void TTavoTimer::Clear() {
  TaskTable.clear();
}

void RunMainLoop() {
  for (;;) {
    Pump();
    const std::uint32_t now = TimeGetTime();
    const std::size_t count = TaskTable.size();
    // A task may shrink the table; the pass then stops at its new end.
    for (std::size_t i = 0; i < count && i < TaskTable.size(); ++i) {
      if (!Due(TaskTable[i], now)) continue;
      const std::function<void()> proc = TaskTable[i].Proc;  // the task may clear the table
      proc();
      if (i < TaskTable.size()) TaskTable[i].LastRun = now;
    }
    if (ApplicationTerminated()) return;
    if (Quiet) Wait(UntilNextDue(TimeGetTime()));
  }
}

void SetQuietLoop(bool quiet) {
  Quiet = quiet;
}

bool QuietLoop() {
  return Quiet;
}

void SetMessageWait(TMessageWait wait) {
  Wait = wait ? wait : WaitForMessages;
}

void SetMessagePump(TMessagePump pump) {
  Pump = pump ? pump : ProcessWaitingMessages;
}
