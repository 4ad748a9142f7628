// The task table and the cooperative main loop, driven by a clock and a message pump of the
// test's own.
#include <gtest/gtest.h>

#include <QApplication>
#include <functional>
#include <stdexcept>
#include <utility>
#include <vector>

#include "framework/TavoClock.h"
#include "framework/TavoForm.h"
#include "framework/TavoTimer.h"
#include "framework/TavoUtility.h"

namespace {

// The world the loop sees: a clock that moves only when a pass pumps, and a script per pass.
struct FakeWorld {
  std::uint32_t Now = 0;
  std::uint32_t Step = 1;  // milliseconds the clock moves in each pump
  int Passes = 0;
  int StopAfter = 1000;  // the pump sets the terminate flag in this pass
  std::function<void()> OnPump;
  std::vector<std::pair<int, std::uint32_t>> Runs;  // task id and clock at its run
};
FakeWorld World;

std::uint32_t FakeClock() {
  return World.Now;
}
void FakePump() {
  ++World.Passes;
  World.Now += World.Step;
  if (World.OnPump) World.OnPump();
  if (World.Passes >= World.StopAfter) SetApplicationTerminated(true);
}
void TaskA() {
  World.Runs.emplace_back(1, World.Now);
}
void TaskB() {
  World.Runs.emplace_back(2, World.Now);
}

int Beeps = 0;
void CountBeep() {
  ++Beeps;
}

class MainLoop : public ::testing::Test {
 protected:
  void SetUp() override {
    World = FakeWorld{};
    Beeps = 0;
    SetClockSource(FakeClock);
    SetMessagePump(FakePump);
    SetBeepHandler(CountBeep);
    SetApplicationTerminated(false);
    TaskTable.clear();
  }
  void TearDown() override {
    SetClockSource(nullptr);
    SetMessagePump(nullptr);
    SetBeepHandler(nullptr);
    SetApplicationTerminated(false);
    TaskTable.clear();
  }
  // Registers a task at the current fake time.
  static void Add(void (*proc)(), std::int32_t interval) {
    TaskTable.push_back(TTavoThread{"", proc, interval, World.Now});
  }
  static std::vector<std::uint32_t> RunTimes(int id) {
    std::vector<std::uint32_t> times;
    for (const auto& [task, at] : World.Runs)
      if (task == id) times.push_back(at);
    return times;
  }
};

TEST_F(MainLoop, AnEmptyTableOnlyPumpsUntilTerminated) {
  World.StopAfter = 5;
  RunMainLoop();
  EXPECT_EQ(World.Passes, 5);
  EXPECT_TRUE(World.Runs.empty());
}

TEST_F(MainLoop, ZeroOrNegativeIntervalsAndNullProceduresNeverRun) {
  World.Step = 10;
  Add(TaskA, 0);
  Add(TaskA, -5);
  Add(nullptr, 50);
  RunMainLoop();
  EXPECT_TRUE(World.Runs.empty());
}

TEST_F(MainLoop, ATaskRunsOnceMoreThanItsIntervalHasPassed) {
  World.Now = 1000;
  Add(TaskA, 50);
  World.StopAfter = 160;
  RunMainLoop();
  EXPECT_EQ(RunTimes(1), (std::vector<std::uint32_t>{1051, 1102, 1153}));
}

TEST_F(MainLoop, DueTasksRunInRegistrationOrderAndShareTheNewLastRun) {
  Add(TaskB, 50);
  Add(TaskA, 50);
  World.Step = 60;
  World.StopAfter = 1;
  RunMainLoop();
  EXPECT_EQ(World.Runs, (std::vector<std::pair<int, std::uint32_t>>{{2, 60}, {1, 60}}));
  EXPECT_EQ(TaskTable[0].LastRun, 60u);
  EXPECT_EQ(TaskTable[1].LastRun, 60u);
}

TEST_F(MainLoop, ALateRunIsNotMadeUp) {
  Add(TaskA, 50);
  World.OnPump = [] {
    if (World.Passes == 1) World.Now = 500;  // a long stall
  };
  World.StopAfter = 60;
  RunMainLoop();
  EXPECT_EQ(RunTimes(1), (std::vector<std::uint32_t>{500, 551}));
}

void AddOverdueTask() {
  TaskA();
  if (TaskTable.size() == 1) {
    TaskTable.push_back(TTavoThread{"", TaskB, 1, 0});  // overdue at once
  }
}

TEST_F(MainLoop, ATaskAddedDuringAPassWaitsForTheNextPass) {
  Add(AddOverdueTask, 1);
  World.Step = 5;
  World.StopAfter = 2;
  RunMainLoop();
  EXPECT_EQ(World.Runs, (std::vector<std::pair<int, std::uint32_t>>{{1, 5}, {1, 10}, {2, 10}}));
}

void EmptyTheTable() {
  TaskA();
  TaskTable.clear();
}

TEST_F(MainLoop, ATaskThatEmptiesTheTableEndsThePassWithoutWritingPastIt) {
  Add(EmptyTheTable, 1);
  Add(TaskB, 1);
  World.Step = 5;
  World.StopAfter = 3;
  RunMainLoop();
  EXPECT_EQ(World.Runs, (std::vector<std::pair<int, std::uint32_t>>{{1, 5}}));
  EXPECT_TRUE(TaskTable.empty());
}

TEST_F(MainLoop, ThePassThatSeesTheQuitStillRunsItsDueTasks) {
  Add(TaskA, 50);
  World.Step = 51;
  World.StopAfter = 1;
  RunMainLoop();
  EXPECT_EQ(World.Passes, 1);
  EXPECT_EQ(RunTimes(1), (std::vector<std::uint32_t>{51}));
}

TEST_F(MainLoop, KeepsItsPaceWhenTheClockPassesTwoToTheThirtyOneAndWraps) {
  for (std::uint32_t start : {0x7FFFFFF0u, 0xFFFFFFE0u}) {
    World = FakeWorld{};
    World.Now = start;
    TaskTable.clear();
    SetApplicationTerminated(false);
    Add(TaskA, 50);
    World.StopAfter = 110;
    RunMainLoop();
    EXPECT_EQ(RunTimes(1), (std::vector<std::uint32_t>{start + 51, start + 102})) << start;
  }
}

void Fail() {
  throw std::runtime_error("frame failed");
}

TEST_F(MainLoop, AnExceptionFromATaskEndsTheLoop) {
  Add(Fail, 1);
  World.Step = 2;
  EXPECT_THROW(RunMainLoop(), std::runtime_error);
  EXPECT_EQ(World.Passes, 1);
}

TEST_F(MainLoop, ClearThenAddTaskMakesTheNewTaskEntryZero) {
  TTavoForm form(100, 100, nullptr);
  TTavoTimer timer(form);
  timer.AddTask(TaskA, 50, "first");
  timer.AddTask(TaskB, 50, "second");
  timer.Clear();
  World.Now = 12345;  // not 0, which a task entry holds before anything sets it
  timer.AddTask(TaskB, 20, "third");
  ASSERT_EQ(TaskTable.size(), 1u);
  const auto* const proc = TaskTable[0].Proc.target<void (*)()>();
  ASSERT_NE(proc, nullptr);
  EXPECT_EQ(*proc, &TaskB);
  EXPECT_EQ(TaskTable[0].Interval, 20);
  EXPECT_EQ(TaskTable[0].Name, "third");
  EXPECT_EQ(TaskTable[0].LastRun, 12345u);
  QCoreApplication::removePostedEvents(&form);
}

TEST_F(MainLoop, ASecondTimerOnlyBeepsAndTheLoopStartsOnce) {
  TTavoForm form(100, 100, nullptr);
  auto first = std::make_unique<TTavoTimer>(form);
  first->AddTask(TaskA, 50, "");
  {
    TTavoTimer second(form);
    EXPECT_EQ(Beeps, 1);
    EXPECT_EQ(TaskTable.size(), 1u);
  }
  EXPECT_FALSE(TimerCreated);  // any destruction clears the flag
  SetApplicationTerminated(true);
  QCoreApplication::sendPostedEvents(&form, WM_RUNLOOP);
  EXPECT_EQ(World.Passes, 1);  // one WM_RUNLOOP, one loop, one pass before it returned
  first.reset();
  TTavoTimer again(form);  // with the flag clear, a new timer takes over
  EXPECT_EQ(Beeps, 1);
  QCoreApplication::removePostedEvents(&form);
}

}  // namespace

namespace {

TTavoForm* ClosingForm = nullptr;
int Ticks = 0;
void TickThenClose() {
  if (++Ticks == 3) ClosingForm->close();
}

TEST(MainLoopInTheApplication, RunsFromTheWindowsEventAndEndsTheApplicationWhenClosed) {
  SetApplicationTerminated(false);
  TTavoForm form(200, 100, nullptr);
  ClosingForm = &form;
  Ticks = 0;
  form.show();
  const std::uint32_t start = TimeGetTime();  // before the task's first LastRun
  TTavoTimer timer(form);
  timer.AddTask(TickThenClose, 20, "close");
  EXPECT_EQ(QApplication::exec(), 0);  // returns once the window is closed
  EXPECT_EQ(Ticks, 3);
  EXPECT_GE(ElapsedMs(TimeGetTime(), start), 63u);  // three runs, each after more than 20 ms
  EXPECT_TRUE(ApplicationTerminated());
  // Exposed while the loop pumped its events, the window was centred with its frame, 2
  // pixels a side on the offscreen platform's 800 × 800 screen.
  EXPECT_EQ(form.frameGeometry(), QRect(298, 348, 204, 104));
  SetApplicationTerminated(false);
}

}  // namespace

namespace {

// The quiet loop's wait, on the fake clock: it lets the time pass that it was asked to.
std::vector<std::uint32_t> Waits;
void FakeWait(std::uint32_t ms) {
  Waits.push_back(ms);
  World.Now += ms;
}

TEST_F(MainLoop, AQuietLoopRunsTheBusyLoopsTasksAtTheSameTimesWaitingInBetween) {
  SetMessageWait(FakeWait);
  const std::vector<std::int32_t> rows[] = {{50}, {50, 30}, {50, 0}, {}};
  for (const auto& intervals : rows) {
    std::vector<std::pair<int, std::uint32_t>> runs[2];
    for (const bool quiet : {false, true}) {
      World = FakeWorld{};
      World.Step = 0;  // the busy loop's passes take a millisecond each; the quiet one waits
      World.StopAfter = 1 << 30;
      World.OnPump = [quiet] {
        if (!quiet) ++World.Now;
        if (World.Now >= 400) SetApplicationTerminated(true);
      };
      SetApplicationTerminated(false);
      Waits.clear();
      TaskTable.clear();
      for (std::size_t i = 0; i < intervals.size(); ++i) Add(i == 0 ? TaskA : TaskB, intervals[i]);
      SetQuietLoop(quiet);
      RunMainLoop();
      runs[quiet] = World.Runs;
      std::erase_if(runs[quiet], [](const auto& run) { return run.second >= 400; });  // the end
      EXPECT_EQ(Waits.empty(), !quiet);
      EXPECT_LT(World.Passes, quiet ? 30 : 1000);  // waits, not spins
    }
    EXPECT_EQ(runs[0], runs[1]);
  }
  // With the real wait and clock, a second of a 20 ms task is a few dozen passes, not a spin.
  SetMessageWait(nullptr);
  SetClockSource(nullptr);
  World = FakeWorld{};
  World.StopAfter = 1 << 30;
  const std::uint32_t start = TimeGetTime();
  World.OnPump = [start] {
    if (ElapsedMs(TimeGetTime(), start) >= 1000) SetApplicationTerminated(true);
  };
  SetApplicationTerminated(false);
  TaskTable = {TTavoThread{"", TaskA, 20, start}};
  RunMainLoop();
  EXPECT_LT(World.Passes, 200);
  EXPECT_GE(World.Runs.size(), 10u);
  SetQuietLoop(false);
}

}  // namespace
