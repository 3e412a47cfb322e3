// The job worker's wake-up on Windows: the session's "JobExecThreadEvent" can be opened by name
// while the session runs, a SetEvent through that name wakes the worker, and the name is gone with
// the session. A second event asked for under a taken name is a separate one.
#include "platform/WakeEvent.h"
#include "tests/win32/RegisteredLocationsTest.h"
#include "tray/model/ChangeEvent.h"

#include <filesystem>

namespace pellmar {
namespace {

HANDLE OpenWakeEvent() { return OpenEventW(EVENT_MODIFY_STATE | SYNCHRONIZE, FALSE, L"JobExecThreadEvent"); }

class SessionWakeEventTest : public test::RegisteredLocationsTest {};

TEST_F(SessionWakeEventTest, TheNamedEventLivesWithTheSessionAndWakesItsWorker) {
    ASSERT_EQ(OpenWakeEvent(), nullptr);
    StartSession();
    HANDLE wake = OpenWakeEvent();
    ASSERT_NE(wake, nullptr);
    test::WriteFile(watched + "/queued.txt", "queued");
    ChangeEvent job;
    job.jobtype = ChangeCreated;
    job.src = watched + "/queued.txt";
    job.dest = backup + "/queued.txt";
    InsertJob(job);  // written behind the session's back: only a wake-up makes the worker read it
    SetEvent(wake);
    EXPECT_TRUE(test::WaitUntil([&] { return std::filesystem::exists(backup + "/queued.txt"); }));
    CloseHandle(wake);
    StopSession();
    EXPECT_EQ(OpenWakeEvent(), nullptr);
}

TEST(WakeEvent, ATakenNameGivesASeparateEvent) {
    const std::string name = "pellmar-wake-test-" + std::to_string(GetCurrentProcessId());
    auto first = platform::WakeEvent::Create(name);
    auto second = platform::WakeEvent::Create(name);
    first->Set();
    EXPECT_TRUE(first->Wait(0));
    EXPECT_FALSE(second->Wait(0));
    first->Reset();
    HANDLE byName = OpenEventW(EVENT_MODIFY_STATE, FALSE, platform::win32::Widen(name).c_str());
    ASSERT_NE(byName, nullptr);
    SetEvent(byName);
    CloseHandle(byName);
    EXPECT_TRUE(first->Wait(platform::kInfinite));
}

}  // namespace
}  // namespace pellmar
