#include "TavoTimer.h"

#include <QCoreApplication>

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

bool Due(const TTavoThread& task, std::uint32_t now) {
  return task.Proc && task.Interval > 0 &&
         static_cast<std::int64_t>(ElapsedMs(now, task.LastRun)) > task.Interval;
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

void TTavoTimer::AddTask(void (*AProc)(), std::int32_t AInterval, const std::string& AName) {
  TaskTable.push_back(TTavoThread{AName, AProc, AInterval, TimeGetTime()});
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
      TaskTable[i].Proc();
      if (i < TaskTable.size()) TaskTable[i].LastRun = now;
    }
    if (ApplicationTerminated()) return;
  }
}

void SetMessagePump(TMessagePump pump) {
  Pump = pump ? pump : ProcessWaitingMessages;
}
