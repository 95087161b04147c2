// The service manager against real services of Wine's service control manager: copies of the
// tests' service program, registered under unique names.
#include "core/Exception.h"
#include "core/SystemError.h"
#include "support/ServiceSupport.h"
#include "sys/processes/Computer.h"
#include "sys/services/ServiceManager.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// STANDARD_RIGHTS_READ | SC_MANAGER_ENUMERATE_SERVICE | SC_MANAGER_QUERY_LOCK_STATUS, as the
// service step opens the manager.
const DWORD ManagerRead = 0x20014;
const DWORD Control = SERVICE_START | SERVICE_STOP | SERVICE_PAUSE_CONTINUE;

// A manager for one service of the tests that writes down every message it reports.
class ServiceManagerTest : public testing::Test {
protected:
    void Use(const test::TTestService& Service) {
        Manager.SetMachineName(TComputer::GetComputerName());
        Manager.SetServiceName(Service.Name());
        Manager.SetOnMessage([this](TServiceManager& Sender, const std::wstring& Message) {
            EXPECT_EQ(&Sender, &Manager);
            Messages.push_back(Message);
        });
    }
    // Runs Operation and returns how long it took, in milliseconds.
    template <class F> DWORD Timed(F Operation) {
        DWORD start = GetTickCount();
        Operation();
        return GetTickCount() - start;
    }

    TServiceManager Manager;
    std::vector<std::wstring> Messages;
};

TEST_F(ServiceManagerTest, AMissingServiceDoesNotOpen) {
    EXPECT_FALSE(Manager.IsOpen()); // queries nothing before Open
    Manager.SetServiceName(test::UniqueName(L"UtNoSuchService-"));
    Manager.SetOnMessage(
        [this](TServiceManager&, const std::wstring& m) { Messages.push_back(m); });
    EXPECT_FALSE(Manager.Open(ManagerRead, SERVICE_STOP));
    EXPECT_EQ(Manager.LastMessage(), L"SCM Open Service failed");
    EXPECT_EQ(Messages, std::vector<std::wstring>{L"SCM Open Service failed"});
    EXPECT_FALSE(Manager.IsOpen());
    // The manager was opened; only the service is missing, so a status query fails.
    try {
        Manager.State();
        ADD_FAILURE() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(),
                  L"GetServiceState failed (" + SystemErrorText(ERROR_INVALID_HANDLE) + L")");
    }
}

// A service that is still starting when the time is up is a failed start.
TEST_F(ServiceManagerTest, AStartThatDoesNotCompleteInTimeFails) {
    test::TTestService service({.Arguments = L"-service -slowstart"});
    Use(service);
    ASSERT_TRUE(Manager.Open(ManagerRead, Control));
    EXPECT_FALSE(Manager.Start(1000));
    EXPECT_EQ(Manager.LastMessage(), L"Service start failed (Timeout)");
    EXPECT_EQ(service.State(), static_cast<DWORD>(SERVICE_START_PENDING));
}

// Open reports the state twice; the forms without waiting report what they asked for.
TEST_F(ServiceManagerTest, OpensStartsPausesContinuesStopsAndCloses) {
    test::TTestService service;
    Use(service);
    ASSERT_TRUE(Manager.Open(ManagerRead, Control));
    EXPECT_EQ(Messages, (std::vector<std::wstring>{L"The service is not running.",
                                                   L"The service is not running."}));
    EXPECT_EQ(Manager.State(), static_cast<DWORD>(SERVICE_STOPPED));
    EXPECT_TRUE(Manager.IsOpen());

    EXPECT_TRUE(Manager.Start(10000));
    EXPECT_EQ(Manager.LastMessage(), L"Service started");
    EXPECT_EQ(Manager.StateAsString(), L"The service is running.");
    EXPECT_EQ(Manager.LastMessage(), L"The service is running.");
    // Asked to start again, the running service refuses at once.
    EXPECT_FALSE(Manager.Start(10000));
    EXPECT_EQ(Manager.LastMessage(), L"Service start failed");

    EXPECT_TRUE(Manager.Pause());
    EXPECT_EQ(Manager.LastMessage(), L"Service paused");
    EXPECT_EQ(Manager.State(), static_cast<DWORD>(SERVICE_PAUSED));
    EXPECT_TRUE(Manager.Continue());
    EXPECT_EQ(Manager.LastMessage(), L"Service continued");
    EXPECT_EQ(Manager.State(), static_cast<DWORD>(SERVICE_RUNNING));

    EXPECT_TRUE(Manager.Stop(10000));
    EXPECT_EQ(Manager.LastMessage(), L"Service stopped");
    EXPECT_EQ(service.State(), static_cast<DWORD>(SERVICE_STOPPED));
    EXPECT_FALSE(Manager.Pause());
    EXPECT_EQ(Manager.LastMessage(), L"Service pause failed");
    EXPECT_FALSE(Manager.Continue());
    EXPECT_EQ(Manager.LastMessage(), L"Service continue failed");

    EXPECT_TRUE(Manager.Close());
    EXPECT_EQ(Manager.LastMessage(), L"SCM Closed");
    EXPECT_FALSE(Manager.IsOpen());
    EXPECT_FALSE(Manager.Close());
    EXPECT_EQ(Manager.LastMessage(), L"SCM Close failed");
}

// A service that accepts the stop request but goes on running: the wait ends at the limit
// given, here 2 seconds instead of the step's 60.
TEST_F(ServiceManagerTest, AServiceThatDoesNotStopTimesOut) {
    test::TTestService service({.Arguments = L"-service -ignorestop"});
    service.Start();
    Use(service);
    ASSERT_TRUE(Manager.Open(ManagerRead, SERVICE_STOP));
    bool stopped = true;
    DWORD took = Timed([&] { stopped = Manager.Stop(2000); });
    EXPECT_FALSE(stopped);
    EXPECT_EQ(Manager.LastMessage(), L"Service stop failed (Timeout)");
    EXPECT_GE(took, 2000u);
    EXPECT_LT(took, 3500u);
    EXPECT_EQ(Manager.State(), static_cast<DWORD>(SERVICE_RUNNING));
}

// A service that does not accept the request, and a handle without the right to ask: both
// refuse at once.
TEST_F(ServiceManagerTest, ARefusedStopFailsAtOnce) {
    test::TTestService service({.Arguments = L"-service -nostop"});
    service.Start();
    Use(service);
    ASSERT_TRUE(Manager.Open(ManagerRead, SERVICE_STOP));
    bool stopped = true;
    DWORD took = Timed([&] { stopped = Manager.Stop(60000); });
    EXPECT_FALSE(stopped);
    EXPECT_EQ(Manager.LastMessage(), L"Service stop failed");
    EXPECT_LT(took, 1000u);
    EXPECT_FALSE(Manager.Stop());
    EXPECT_EQ(Manager.LastMessage(), L"Service stop failed");

    test::TTestService other;
    other.Start();
    Use(other);
    ASSERT_TRUE(Manager.Open(ManagerRead, 0)); // status and configuration only
    EXPECT_FALSE(Manager.Stop(60000));
    EXPECT_EQ(Manager.LastMessage(), L"Service stop failed");
    EXPECT_EQ(other.State(), static_cast<DWORD>(SERVICE_RUNNING));
}

// The start type is read from the configuration; an unchanged one makes no request (which
// this handle may not make), a changed one is written.
TEST_F(ServiceManagerTest, ReadsAndWritesTheStartType) {
    test::TTestService service;
    Use(service);
    ASSERT_TRUE(Manager.Open(ManagerRead, 0));
    EXPECT_EQ(Manager.StartType(), stDemandStart);
    EXPECT_NO_THROW(Manager.SetStartType(stDemandStart));
    try {
        Manager.SetStartType(stDisabled);
        ADD_FAILURE() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(),
                  L"SetServiceStartType failed (" + SystemErrorText(ERROR_ACCESS_DENIED) + L")");
    }

    ASSERT_TRUE(Manager.Open(ManagerRead, SERVICE_CHANGE_CONFIG));
    Manager.SetStartType(stDisabled);
    EXPECT_EQ(Manager.StartType(), stDisabled);

    TServiceManager unopened;
    try {
        unopened.StartType();
        ADD_FAILURE() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(),
                  L"GetServiceStartType failed (" + SystemErrorText(ERROR_INVALID_HANDLE) + L")");
    }
}

} // namespace
