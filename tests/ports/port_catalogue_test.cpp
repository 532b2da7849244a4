// The port folder and the fixed mapping of COM numbers to devices (POSIX).

#include "ports/port_catalogue.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// A private port folder and a fake device root, so nothing depends on the
// machine's own serial ports.
class PortCatalogueTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "port_catalogue.XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        root_ = pattern;
        ports_ = root_ / "ports";
        dev_ = root_ / "dev";
        fs::create_directories(ports_);
        fs::create_directories(dev_);
        fs::permissions(ports_, fs::perms::owner_all);
    }

    void TearDown() override
    {
        std::error_code ec;
        fs::remove_all(root_, ec);
    }

    std::string Device(const std::string& name) const { return (dev_ / name).string(); }

    std::string MakeDevice(const std::string& name) const
    {
        std::ofstream(dev_ / name).put('x');
        return Device(name);
    }

    // A character device under a name of its own: a link to /dev/null,
    // which opens like a present port.
    std::string MakeCharDevice(const std::string& name) const
    {
        fs::create_symlink("/dev/null", dev_ / name);
        return Device(name);
    }

    void Link(const std::string& entry, const fs::path& target) const
    {
        fs::create_symlink(target, ports_ / entry);
    }

    SystemPortCatalogue Catalogue() const { return SystemPortCatalogue({ports_, dev_}); }

    fs::path root_, ports_, dev_;
};

TEST_F(PortCatalogueTest, FolderEntriesPinTheirNumbers)
{
    const std::string real = MakeCharDevice("real");
    MakeDevice("ttyS1");   // COM2 by the fixed mapping
    MakeDevice("ttyS6");   // COM7, but the folder pins COM7 elsewhere
    MakeDevice("ttyS9");   // COM10, overridden by a present device

    Link("COM5", real);
    Link("COM7", Device("missing"));   // dangling: COM7 absent, no fallback
    Link("COM9", "../dev/real");       // relative to the folder
    Link("COM10", real);
    Link("COM200", real);
    for (const char* ignored : {"COM0", "COM256", "COM011", "COM03", "COMx", "COM", "COM1x", "com3", "ttyS1"}) {
        Link(ignored, real);
    }

    const std::vector<PortEntry> expected = {
        {2, Device("ttyS1")}, {5, real}, {9, real}, {10, real}, {200, real}};
    EXPECT_EQ(Catalogue().Scan(), expected);

    const struct {
        int number;
        std::optional<std::string> path;
    } cases[] = {
        {7, Device("missing")},   // pinned, whether or not present
        {9, real},
        {1, Device("ttyS0")},     // fixed mapping, whether or not present
        {3, Device("ttyS2")},     // neither "COM03" nor "com3" counts
        {4, Device("ttyS3")},
        {97, std::nullopt},
        {0, std::nullopt},
        {256, std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Catalogue().DevicePath(c.number), c.path) << "COM" << c.number;
    }
}

TEST_F(PortCatalogueTest, NetworkPortsTakeTheirNumbersAheadOfDevicesButNotOfPinsInMemory)
{
    const std::string real = MakeCharDevice("real");
    Link("COM5", real);
    Link("COM6", real);
    SystemPortCatalogue catalogue = Catalogue();
    const NetworkAddress server{NetworkAddress::Scheme::Rfc2217, "192.0.2.7", 2217};
    const NetworkAddress converter{NetworkAddress::Scheme::Socket, "::1", 4001};
    catalogue.SetNetworkPorts({{5, server}, {40, converter}, {0, server}, {256, server}});
    catalogue.PinInMemory(40, real);  // this process's own choice wins

    const std::vector<PortEntry> expected = {
        {5, "rfc2217://192.0.2.7:2217", true}, {6, real}, {40, real}};
    EXPECT_EQ(catalogue.Scan(), expected);
    EXPECT_EQ(catalogue.NetworkPort(5), server);
    EXPECT_EQ(catalogue.DevicePath(5), std::nullopt);
    EXPECT_EQ(catalogue.NetworkPort(40), std::nullopt);
    EXPECT_EQ(catalogue.NetworkPort(6), std::nullopt);

    catalogue.Unpin(40);
    catalogue.SetNetworkPorts({{40, converter}});  // replaces the earlier set
    const std::vector<PortEntry> after = {{5, real}, {6, real}, {40, "socket://[::1]:4001", true}};
    EXPECT_EQ(catalogue.Scan(), after);
}

#ifdef __linux__
TEST_F(PortCatalogueTest, FixedMappingCoversEachFamilyEdgeToEdge)
{
    const struct {
        const char* name;
        int number;
    } cases[] = {
        {"ttyS0", 1},    {"ttyS31", 32},   {"ttyUSB0", 33}, {"ttyUSB31", 64},
        {"ttyACM0", 65}, {"ttyACM31", 96},
    };
    std::vector<PortEntry> expected;
    for (const auto& c : cases) expected.push_back({c.number, MakeDevice(c.name)});
    // Past each family's end, and names the mapping never scans.
    for (const char* stray : {"ttyS32", "ttyUSB32", "ttyACM32", "ttyAMA0", "ptmx", "COM1"}) {
        MakeDevice(stray);
    }
    fs::create_directories(dev_ / "pts");
    MakeDevice("pts/0");

    EXPECT_EQ(Catalogue().Scan(), expected);
}
#endif

TEST_F(PortCatalogueTest, PresenceFollowsWhetherTheDeviceOpens)
{
    const std::string locked = MakeDevice("locked");
    fs::permissions(locked, fs::perms::none);
    fs::create_directories(dev_ / "folder");

    const struct {
        std::string path;
        bool present;
    } cases[] = {
        {MakeDevice("file"), true},
        // Access denied means busy or not ours, which is still a port. As
        // root the open succeeds outright: present either way.
        {locked, true},
        {Device("missing"), false},
        {Device("folder"), false},
        {"", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsDevicePresent(c.path), c.present) << c.path;
    }
}

TEST_F(PortCatalogueTest, RegisteredPseudoTerminalIsListedUntilUnregistered)
{
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(grantpt(master), 0);
    ASSERT_EQ(unlockpt(master), 0);
    const std::string pts = ptsname(master);

    // Registration creates a missing folder, private to the user.
    const fs::path folder = root_ / "run" / "quorvel" / "ports";
    const SystemPortCatalogue catalogue({folder, dev_});
    ASSERT_TRUE(RegisterPort(folder, 200, pts));
    EXPECT_EQ(fs::status(folder).permissions() & fs::perms::all, fs::perms::owner_all);
    EXPECT_EQ(catalogue.Scan(), (std::vector<PortEntry>{{200, pts}}));

    // Registering again replaces the entry.
    const std::string real = MakeCharDevice("real");
    ASSERT_TRUE(RegisterPort(folder, 200, real));
    EXPECT_EQ(catalogue.Scan(), (std::vector<PortEntry>{{200, real}}));
    ASSERT_TRUE(RegisterPort(folder, 200, pts));

    UnregisterPort(folder, 200);
    EXPECT_TRUE(catalogue.Scan().empty());
    EXPECT_EQ(catalogue.DevicePath(200), std::nullopt);
    EXPECT_EQ(fs::directory_iterator(folder), fs::directory_iterator());  // no temporary left behind

    EXPECT_FALSE(RegisterPort(folder, 0, pts));
    EXPECT_FALSE(RegisterPort(folder, 256, pts));
    EXPECT_TRUE(catalogue.Scan().empty());
    close(master);
}

TEST_F(PortCatalogueTest, AnEntryLastsAsLongAsItsOwner)
{
    const std::string device = MakeCharDevice("adapter");
    // A process that has ended: its pid names no one (for this short while).
    const pid_t gone = fork();
    ASSERT_GE(gone, 0);
    if (gone == 0) _exit(0);
    ASSERT_EQ(waitpid(gone, nullptr, 0), gone);

    ASSERT_TRUE(RegisterPort(ports_, 7, device, static_cast<int>(getpid())));
    ASSERT_TRUE(RegisterPort(ports_, 8, device, static_cast<int>(gone)));
    ASSERT_TRUE(RegisterPort(ports_, 9, device));  // pinned by hand: no owner
    EXPECT_EQ(Catalogue().Scan(), (std::vector<PortEntry>{{7, device}, {9, device}}));
    EXPECT_FALSE(fs::exists(fs::symlink_status(ports_ / "COM8")));
    EXPECT_FALSE(fs::exists(fs::symlink_status(ports_ / "COM8.pid")));

    UnregisterPort(ports_, 7);
    EXPECT_FALSE(fs::exists(fs::symlink_status(ports_ / "COM7.pid")));
}

TEST_F(PortCatalogueTest, AnEntryIsFollowedOnlyToACharacterDevice)
{
    const std::string device = MakeCharDevice("adapter");
    const std::string file = MakeDevice("file");
    fs::create_directories(dev_ / "folder");
    ASSERT_EQ(mkfifo(Device("fifo").c_str(), 0600), 0);
    MakeDevice("ttyS4");  // COM5 by the fixed mapping: an entry hides it

    Link("COM5", file);
    Link("COM6", dev_ / "folder");
    Link("COM7", Device("fifo"));
    Link("COM8", device);
    SystemPortCatalogue catalogue = Catalogue();
    std::vector<std::string> said;
    catalogue.SetReasonSink([&said](const std::string& reason) { said.push_back(reason); });
    EXPECT_EQ(catalogue.Scan(), (std::vector<PortEntry>{{8, device}}));
    for (int number : {5, 6, 7}) EXPECT_EQ(catalogue.DevicePath(number), std::nullopt) << "COM" << number;
    EXPECT_EQ(catalogue.DevicePath(8), device);
    catalogue.Scan();

    // Each ignored entry says why, once, and keeps it for the port menu and
    // the command line.
    const std::pair<int, std::string> reasons[] = {
        {5, "Entrada COM5 da pasta de portas ignorada: leva a um arquivo comum (" + file + "), não a um dispositivo."},
        {6, "Entrada COM6 da pasta de portas ignorada: leva a uma pasta (" + (dev_ / "folder").string() +
                "), não a um dispositivo."},
        {7, "Entrada COM7 da pasta de portas ignorada: leva a um FIFO (" + Device("fifo") + "), não a um dispositivo."},
    };
    std::string all;
    std::vector<std::string> each;
    for (const auto& [number, reason] : reasons) {
        EXPECT_EQ(catalogue.IgnoredEntryReason(number), reason);
        all += (all.empty() ? "" : "\n") + reason;
        each.push_back(reason);
    }
    EXPECT_EQ(said, each);
    EXPECT_EQ(catalogue.IgnoredEntryReason(8), std::nullopt);
    EXPECT_EQ(catalogue.IgnoredFolderReason(), all);
    // An entry mended is no longer reported.
    fs::remove(ports_ / "COM5");
    catalogue.Scan();
    EXPECT_EQ(catalogue.IgnoredEntryReason(5), std::nullopt);
}

// A folder someone else can write to, or that is not the user's, could
// send the tool to any file: it is ignored, the fixed mapping shows through
// and the reason is kept for the port menu.
TEST_F(PortCatalogueTest, AFolderOthersCouldSteerIsIgnored)
{
    const std::string device = MakeCharDevice("adapter");
    MakeDevice("ttyS4");  // COM5 by the fixed mapping
    Link("COM5", device);
    Link("COM200", device);
    const std::vector<PortEntry> pinned = {{5, device}, {200, device}};
    const std::vector<PortEntry> fixed = {{5, Device("ttyS4")}};

    const SystemPortCatalogue catalogue = Catalogue();
    ASSERT_EQ(catalogue.Scan(), pinned);

    const fs::perms folderMode = fs::perms::owner_all;
    const fs::perms rootMode = fs::status(root_).permissions();
    const struct {
        const char* name;
        fs::path folder;
        fs::perms mode;
    } cases[] = {
        {"group-writable folder", ports_, folderMode | fs::perms::group_write},
        {"world-writable folder", ports_, folderMode | fs::perms::others_all | fs::perms::sticky_bit},
        {"group-writable holding folder", root_, rootMode | fs::perms::group_write},
        {"world-writable holding folder", root_, rootMode | fs::perms::others_write},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::perms saved = fs::status(c.folder).permissions();
        fs::permissions(c.folder, c.mode);
        EXPECT_EQ(catalogue.Scan(), fixed);
        EXPECT_EQ(catalogue.DevicePath(200), std::nullopt);
        EXPECT_NE(catalogue.IgnoredFolderReason(), "");
        EXPECT_EQ(RegisteredPortNumbers(ports_), std::vector<int>{});
        EXPECT_FALSE(RegisterPort(ports_, 9, device));
        fs::permissions(c.folder, saved);
        EXPECT_EQ(catalogue.Scan(), pinned);
        EXPECT_EQ(catalogue.IgnoredFolderReason(), "");
    }

    // Named with a trailing slash, the holding folder is still the one checked.
    fs::permissions(root_, rootMode | fs::perms::others_write);
    EXPECT_EQ(SystemPortCatalogue({ports_.string() + "/", dev_}).Scan(), fixed);
    fs::permissions(root_, rootMode);

    // The folder as a link to a good folder: lstat sees the link.
    const fs::path linked = root_ / "linked";
    fs::create_directory_symlink(ports_, linked);
    const SystemPortCatalogue throughLink({linked, dev_});
    EXPECT_EQ(throughLink.Scan(), fixed);
    EXPECT_NE(throughLink.IgnoredFolderReason(), "");
}

TEST_F(PortCatalogueTest, AFolderOwnedByAnotherUserIsIgnored)
{
    if (geteuid() != 0) GTEST_SKIP() << "giving a folder away needs root";
    const std::string device = MakeCharDevice("adapter");
    Link("COM200", device);
    constexpr uid_t kNobody = 65534;
    for (const fs::path& folder : {ports_, root_}) {
        SCOPED_TRACE(folder.string());
        ASSERT_EQ(lchown(folder.c_str(), kNobody, static_cast<gid_t>(-1)), 0);
        const SystemPortCatalogue catalogue = Catalogue();
        EXPECT_EQ(catalogue.Scan(), std::vector<PortEntry>{});
        EXPECT_NE(catalogue.IgnoredFolderReason().find("outro usuário"), std::string::npos)
            << catalogue.IgnoredFolderReason();
        ASSERT_EQ(lchown(folder.c_str(), geteuid(), static_cast<gid_t>(-1)), 0);
        EXPECT_EQ(Catalogue().Scan(), (std::vector<PortEntry>{{200, device}}));
    }
}

TEST(DefaultPortFolderTest, FollowsXdgRuntimeDir)
{
    const char* saved = std::getenv("XDG_RUNTIME_DIR");
    const std::optional<std::string> original = saved ? std::optional<std::string>(saved) : std::nullopt;
    const fs::path fallback = fs::path("/tmp") / ("quorvel-" + std::to_string(getuid())) / "ports";

    const struct {
        std::optional<std::string> value;
        fs::path expected;
    } cases[] = {
        {"/run/user/1000", "/run/user/1000/quorvel/ports"},
        {std::nullopt, fallback},
        {"", fallback},
    };
    for (const auto& c : cases) {
        if (c.value) setenv("XDG_RUNTIME_DIR", c.value->c_str(), 1);
        else unsetenv("XDG_RUNTIME_DIR");
        EXPECT_EQ(DefaultPortFolder(), c.expected) << c.value.value_or("(unset)");
    }

    if (original) setenv("XDG_RUNTIME_DIR", original->c_str(), 1);
    else unsetenv("XDG_RUNTIME_DIR");
}

}  // namespace
