// The auto-record cycle: its call sequence, its delays, and every way of ending it. The worker's
// wait is scripted (TestEdge), so the cycle runs through its phases without real delays.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>

#include "tools/FakeRecorderService.h"
#include "service/Random15.h"
#include "service/ServiceControl.h"
#include "service/TestEdge.h"

using sivrel_test::FakeRecorderService;
using sivrel_test::TestEdge;
using Names = std::vector<std::string>;

namespace {

struct Adapter {
  FakeRecorderService service;
  TestEdge edge{&service};
  std::unique_ptr<vesk::ServiceControl> control;
  Adapter() {
    edge.SetSeed(1700000000);
    control = std::make_unique<vesk::ServiceControl>(edge.Edge());
  }
  // Calls made after construction and Start, in order, with the wait markers.
  Names Sequence() const {
    const Names all = service.CallNames();
    return Names(all.begin() + 9, all.end());
  }
};

std::vector<std::uint32_t> ExpectedDelays(std::uint32_t seed, int draws) {
  vesk::Random15 random(seed);
  std::vector<std::uint32_t> delays;
  for (int i = 0; i < draws; ++i) delays.push_back(vesk::AutoRecordDelayMs(random.Next()));
  return delays;
}

}  // namespace

TEST(AutoRecord, CycleAlternatesRecordingsAndPausesOfTheSameDrawnLength) {
  Adapter a;
  a.edge.LetDelaysPass(5);
  a.control->StartAutoRecord();
  ASSERT_TRUE(a.edge.AwaitWaits(6));  // three recordings, three pauses; the sixth wait blocks
  EXPECT_TRUE(a.control->IsAutoRecordRunning());
  a.control->StopAutoRecord();
  EXPECT_FALSE(a.control->IsAutoRecordRunning());
  EXPECT_EQ(a.Sequence(), (Names{"StartRecording", "StopRecording", "StartRecording",
                                 "StopRecording", "StartRecording", "StopRecording",
                                 "worker woken"}));
  // Each stop names the recording started just before it; each start gets a fresh id.
  const Names starts = a.service.ArgumentsOf("StartRecording");
  EXPECT_EQ(starts, (Names{"20200115T093005", "20200115T093007", "20200115T093009"}));
  EXPECT_EQ(a.service.ArgumentsOf("StopRecording"), starts);
  // One draw per recording, seeded from the calendar time; the pause repeats the delay.
  const auto drawn = ExpectedDelays(1700000000, 3);
  EXPECT_EQ(a.edge.Delays(), (std::vector<std::uint32_t>{drawn[0], drawn[0], drawn[1], drawn[1],
                                                         drawn[2], drawn[2]}));
  // The worker drives the service from a thread of its own.
  for (const auto& call : a.service.Calls())
    if (call.name == "StartRecording") {
      EXPECT_NE(call.thread, std::this_thread::get_id());
    }
}

TEST(AutoRecord, TogglingTwiceStartsOneRecordingAndLeavesItRunning) {
  // With the real wait: the stop signal must end it at once, whenever it arrives.
  FakeRecorderService service;
  TestEdge edge(&service);
  vesk::ServiceEdge real = edge.Edge();
  real.waitFor = &vesk::RealWaitFor;
  vesk::ServiceControl control(real);
  for (int round = 0; round < 20; ++round) {
    control.StartAutoRecord();
    EXPECT_TRUE(control.IsAutoRecordRunning());
    control.StopAutoRecord();
    EXPECT_FALSE(control.IsAutoRecordRunning());
  }
  EXPECT_EQ(service.CountOf("StartRecording"), 20);
  EXPECT_EQ(service.CountOf("StopRecording"), 0);
}

TEST(AutoRecord, RealWaitEndsPromptlyWhenStoppedInTheMiddleOfARecording) {
  FakeRecorderService service;
  TestEdge edge(&service);
  vesk::ServiceEdge real = edge.Edge();
  real.waitFor = &vesk::RealWaitFor;
  vesk::ServiceControl control(real);
  control.StartAutoRecord();
  ASSERT_TRUE(service.WaitForCount("StartRecording", 1));
  control.StopAutoRecord();  // the wait is at least ten seconds; the test timeout would catch it
  EXPECT_EQ(service.CountOf("StopRecording"), 0);
}

TEST(AutoRecord, StoppingDuringAPauseSendsNothingFurther) {
  Adapter a;
  a.edge.LetDelaysPass(1);
  a.control->StartAutoRecord();
  ASSERT_TRUE(a.edge.AwaitWaits(2));
  a.control->StopAutoRecord();
  EXPECT_EQ(a.Sequence(), (Names{"StartRecording", "StopRecording", "worker woken"}));
}

TEST(AutoRecord, StartingAgainEndsTheOldCycleFirst) {
  Adapter a;
  a.control->StartAutoRecord();
  ASSERT_TRUE(a.edge.AwaitWaits(1));
  a.edge.SetSeed(1700000999);
  a.edge.AdvanceSeconds(1);
  a.control->StartAutoRecord();
  ASSERT_TRUE(a.edge.AwaitWaits(2));
  EXPECT_EQ(a.Sequence(), (Names{"StartRecording", "worker woken", "StartRecording"}));
  // The new cycle draws from its own seed.
  const auto delays = a.edge.Delays();
  EXPECT_EQ(delays[0], ExpectedDelays(1700000000, 1)[0]);
  EXPECT_EQ(delays[1], ExpectedDelays(1700000999, 1)[0]);
}

TEST(AutoRecord, RestartEndsTheWorkerBeforeTheServiceStopsAndLeavesItStopped) {
  Adapter a;
  a.control->Start();
  a.edge.LetDelaysPass(2);
  a.control->StartAutoRecord();
  ASSERT_TRUE(a.edge.AwaitWaits(3));
  a.control->Stop();
  a.control->Start();
  EXPECT_FALSE(a.control->IsAutoRecordRunning());
  EXPECT_EQ(a.Sequence(), (Names{"Start", "StartRecording", "StopRecording", "StartRecording",
                                 "worker woken", "Stop", "Start"}));
}

TEST(AutoRecord, OwnStartRecordingAfterEndingTheCycleUsesAFreshId) {
  Adapter a;
  a.control->StartAutoRecord();
  ASSERT_TRUE(a.edge.AwaitWaits(1));
  a.control->StopAutoRecord();  // what the frame does before its own start command
  a.edge.AdvanceSeconds(30);
  a.control->StartRecording();
  a.control->StopRecording();
  EXPECT_EQ(a.service.ArgumentsOf("StartRecording"), (Names{"20200115T093005", "20200115T093035"}));
  EXPECT_EQ(a.service.ArgumentsOf("StopRecording"), (Names{"20200115T093035"}));
}

TEST(AutoRecord, DestroyingTheAdapterEndsARunningCycle) {
  Adapter a;
  a.control->StartAutoRecord();
  ASSERT_TRUE(a.edge.AwaitWaits(1));
  a.control.reset();
  EXPECT_EQ(a.Sequence(), (Names{"StartRecording", "worker woken", "Stop", "Release"}));
}

TEST(AutoRecord, DelaysDependOnTheSeedAndStayWithinTheirRange) {
  std::vector<std::vector<std::uint32_t>> runs;
  for (std::time_t seed : {std::time_t(1700000000), std::time_t(1700000001)}) {
    Adapter a;
    a.edge.SetSeed(seed);
    a.edge.LetDelaysPass(39);  // twenty recordings
    a.control->StartAutoRecord();
    ASSERT_TRUE(a.edge.AwaitWaits(40));
    a.control->StopAutoRecord();
    runs.push_back(a.edge.Delays());
  }
  EXPECT_NE(runs[0], runs[1]);
  for (const auto& delays : runs)
    for (std::uint32_t d : delays) {
      EXPECT_GE(d, 10000u);
      EXPECT_LE(d, 42767u);
    }
}

TEST(AutoRecord, GeneratorCoversFifteenBitsAndDelaysMapOntoTheirRange) {
  vesk::Random15 random(12345);
  int lowest = vesk::Random15::kMax, highest = 0;
  std::set<int> distinct;
  for (int i = 0; i < 1000000; ++i) {
    const int r = random.Next();
    lowest = std::min(lowest, r);
    highest = std::max(highest, r);
    distinct.insert(r);
  }
  EXPECT_EQ(lowest, 0);
  EXPECT_EQ(highest, 32767);
  EXPECT_EQ(distinct.size(), 32768u);
  EXPECT_EQ(vesk::AutoRecordDelayMs(0), 10000u);
  EXPECT_EQ(vesk::AutoRecordDelayMs(32767), 42767u);
  // The same seed replays the same draws; a neighbouring seed does not.
  vesk::Random15 first(12345), again(12345), other(12346);
  const int firstDraw = first.Next();
  EXPECT_EQ(again.Next(), firstDraw);
  EXPECT_NE(other.Next(), firstDraw);
}
