// The Windows probe of \\.\COM1 .. \\.\COM255, through the system's own file
// calls. The cross build runs it under Wine, in a prefix that maps a few
// numbers to things that open, refuse or are missing (tests/wine_prefix.sh).

#include "ports/port_catalogue.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

TEST(ComProbe, BusyPortsCountAndOtherErrorsDoNot)
{
    const struct {
        unsigned long error;
        bool present;
    } cases[] = {
        {0, true},      // opened
        {5, true},      // access denied
        {31, true},     // general failure
        {32, true},     // sharing violation
        {121, true},    // semaphore time-out
        {2, false},     // file not found: the usual answer for a missing port
        {3, false},     // path not found
        {6, false},     {30, false}, {33, false}, {120, false}, {122, false},
        {1167, false},  // device not connected
    };
    for (const auto& c : cases) EXPECT_EQ(ProbeFindsPort(c.error), c.present) << c.error;
}

TEST(ComProbe, DevicePathsAreTheSystemsOwnNames)
{
    const SystemPortCatalogue catalogue;
    EXPECT_EQ(catalogue.DevicePath(1), "\\\\.\\COM1");
    EXPECT_EQ(catalogue.DevicePath(10), "\\\\.\\COM10");
    EXPECT_EQ(catalogue.DevicePath(255), "\\\\.\\COM255");
    EXPECT_EQ(catalogue.DevicePath(0), std::nullopt);
    EXPECT_EQ(catalogue.DevicePath(256), std::nullopt);
}

// Opens a device as the probe does: 0, or the system's error code.
unsigned long OpenError(const std::string& path)
{
    HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return GetLastError();
    CloseHandle(handle);
    return 0;
}

std::vector<PortEntry> PortsFrom(int first)
{
    std::vector<PortEntry> ports;
    for (PortEntry& port : SystemPortCatalogue().Scan()) {
        if (port.number >= first) ports.push_back(std::move(port));
    }
    return ports;
}

// The numbers the test run's prefix maps, all from 200 up, clear of the ports
// Wine gives the machine's own serial devices (COM1 onwards):
//   COM200 a device        COM201 a folder (access denied)   COM202 a file
//   COM203 a link to nothing    COM255 a device    COM256 a device past the range
class PreparedPorts : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (std::getenv("QUORVEL_PREPARED_COM_PORTS") == nullptr) {
            GTEST_SKIP() << "needs the COM numbers the test run's Wine prefix maps";
        }
    }
};

TEST_F(PreparedPorts, ScanFindsWhatOpensOrIsBusy)
{
    // What the system answers, so the scan below is read against it.
    EXPECT_EQ(OpenError("\\\\.\\COM200"), 0u);
    EXPECT_EQ(OpenError("\\\\.\\COM201"), static_cast<unsigned long>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(OpenError("\\\\.\\COM203"), static_cast<unsigned long>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(OpenError("\\\\.\\COM204"), static_cast<unsigned long>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(OpenError("\\\\.\\COM256"), 0u);

    EXPECT_EQ(PortsFrom(200), (std::vector<PortEntry>{{200, "\\\\.\\COM200"},
                                                      {201, "\\\\.\\COM201"},
                                                      {202, "\\\\.\\COM202"},
                                                      {255, "\\\\.\\COM255"}}));
}

TEST_F(PreparedPorts, APortHeldElsewhereStillCounts)
{
    HANDLE held = CreateFileA("\\\\.\\COM202", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE) << GetLastError();
    EXPECT_EQ(OpenError("\\\\.\\COM202"), static_cast<unsigned long>(ERROR_SHARING_VIOLATION));
    EXPECT_TRUE(IsDevicePresent("\\\\.\\COM202"));
    EXPECT_EQ(PortsFrom(202), (std::vector<PortEntry>{{202, "\\\\.\\COM202"}, {255, "\\\\.\\COM255"}}));
    CloseHandle(held);
}

}  // namespace
