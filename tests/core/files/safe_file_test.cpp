#include "core/files/safe_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include "support/file_size_limit.h"
#endif

namespace fs = std::filesystem;

namespace {

class SafeFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = fs::temp_directory_path() / ("safe_file_test_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                                            "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string Path(const std::string& name) const { return (dir_ / name).string(); }
    static void Put(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }
    static std::string Get(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    // Only the file itself: no temporary file left beside it.
    std::size_t Entries() const { return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir_), {})); }

    fs::path dir_;
};

TEST_F(SafeFileTest, WritesANewFileWholeAndReadsItBack)
{
    const std::string path = Path("backup.json");
    ASSERT_EQ(WriteFileAtomically(path, "{\"a\": 1}\n"), "");
    EXPECT_EQ(Get(path), "{\"a\": 1}\n");
    const FileContents read = ReadRegularFile(path, 100);
    ASSERT_TRUE(read.Ok()) << read.error;
    EXPECT_EQ(std::string(read.bytes.begin(), read.bytes.end()), "{\"a\": 1}\n");
    EXPECT_EQ(Entries(), 1u);
}

TEST_F(SafeFileTest, RefusesAFileLargerThanItsBound)
{
    const std::string path = Path("big");
    Put(path, std::string(101, 'x'));
    EXPECT_NE(ReadRegularFile(path, 100).error.find("more than the 100"), std::string::npos);
    EXPECT_TRUE(ReadRegularFile(path, 101).Ok());
}

#ifndef _WIN32

TEST_F(SafeFileTest, NewFilesArePrivateAndAReplacedFileKeepsItsMode)
{
    const mode_t mask = ::umask(022);
    const std::string fresh = Path("fresh");
    const std::string old = Path("old");
    Put(old, "before");
    fs::permissions(old, fs::perms(0640));
    ASSERT_EQ(WriteFileAtomically(fresh, "x"), "");
    ASSERT_EQ(WriteFileAtomically(old, "after"), "");
    ASSERT_EQ(WriteFileAtomically(Path("image.bin"), "x", Privacy::Plain), "");
    ::umask(mask);
    EXPECT_EQ(fs::status(fresh).permissions(), fs::perms(0600));
    EXPECT_EQ(fs::status(old).permissions(), fs::perms(0640));
    EXPECT_EQ(fs::status(Path("image.bin")).permissions(), fs::perms(0644));
    EXPECT_EQ(Get(old), "after");
}

// Every destination that is not a regular file is refused before anything is
// written, and is left as it was; a link to a regular file is followed.
TEST_F(SafeFileTest, WritesOnlyOverRegularFiles)
{
    ASSERT_EQ(::mkfifo(Path("fifo").c_str(), 0600), 0);
    fs::create_directory(Path("folder"));
    Put(Path("target"), "old");
    fs::create_symlink(Path("target"), Path("link"));
    fs::create_symlink(Path("nowhere"), Path("dangling"));
    // A device of our own when we may make one; else the system's null device,
    // which a non-root process could not replace anyway.
    std::string device = "/dev/null";
    if (::geteuid() == 0 && ::mknod(Path("device").c_str(), S_IFCHR | 0600, makedev(1, 3)) == 0) device = Path("device");

    // A folder no one may write to: root passes the check (it may write
    // anywhere), and the system then refuses the file itself.
    const std::string readOnly = ::geteuid() == 0 ? "" : "the folder /proc/self cannot be written";
    struct Case {
        std::string path;
        std::string refusal;  // what the check says first
        bool written;
    };
    const Case cases[] = {
        {Path("fifo"), "it is a FIFO, not a regular file", false},
        {Path("folder"), "it is a folder, not a regular file", false},
        {device, "it is a character device, not a regular file", false},
        {Path("dangling"), "it is a link to nothing", false},
        {Path("missing/file"), "the folder " + Path("missing") + " does not exist", false},
        {"/proc/self/quorvel-test", readOnly, false},
        {"", "no file name given", false},
        {Path("link"), "", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(CheckWriteDestination(c.path).substr(0, c.refusal.size()), c.refusal);
        const std::string error = WriteFileAtomically(c.path, "new");
        EXPECT_EQ(error.empty(), c.written) << error;
    }
    EXPECT_EQ(fs::symlink_status(Path("fifo")).type(), fs::file_type::fifo);
    EXPECT_EQ(fs::symlink_status(device).type(), fs::file_type::character);
    EXPECT_TRUE(fs::is_empty(Path("folder")));
    EXPECT_TRUE(fs::is_symlink(Path("link")));
    EXPECT_EQ(Get(Path("target")), "new");
}

TEST_F(SafeFileTest, AWriteCutShortLeavesTheOldFileAndNoTemporaryFile)
{
    const std::string path = Path("backup.json");
    Put(path, "the good backup");
    std::string error;
    {
        const FileSizeLimit limit(8);
        error = WriteFileAtomically(path, std::string(4096, 'x'));
    }
    EXPECT_EQ(error, "File too large");
    EXPECT_EQ(Get(path), "the good backup");
    EXPECT_EQ(Entries(), 1u);
}

// Reading never waits on a FIFO or a device, whatever opens it.
TEST_F(SafeFileTest, ReadsAndAppendsOnlyRegularFiles)
{
    ASSERT_EQ(::mkfifo(Path("fifo").c_str(), 0600), 0);
    fs::create_directory(Path("folder"));
    struct Case {
        std::string path;
        std::string refusal;
    };
    const Case cases[] = {
        {Path("fifo"), "it is a FIFO, not a regular file"},
        {Path("folder"), "it is a folder, not a regular file"},
        {"/dev/zero", "it is a character device, not a regular file"},
        {Path("missing"), "No such file or directory"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(ReadRegularFile(c.path, 1000).error, c.refusal);
        EXPECT_EQ(OpenRegularFileForReading(c.path, 1000).error, c.refusal);
    }
    // Appending refuses the same special files; a FIFO with no reader is
    // refused rather than waited on.
    EXPECT_NE(OpenForAppending(Path("fifo"), AppendTarget::RegularFileOrTerminal).error, "");
    EXPECT_NE(OpenForAppending("/dev/zero", AppendTarget::RegularFileOrTerminal).error, "");
    EXPECT_NE(OpenForAppending(Path("folder"), AppendTarget::RegularFile).error, "");
}

TEST_F(SafeFileTest, AppendsToARegularFileCreatedPrivateOrToATerminal)
{
    const mode_t mask = ::umask(0);
    OpenedFile log = OpenForAppending(Path("log"), AppendTarget::RegularFile);
    ::umask(mask);
    ASSERT_TRUE(log.file) << log.error;
    EXPECT_EQ(fs::status(Path("log")).permissions(), fs::perms(0600));

    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master), 0);
    ASSERT_EQ(::unlockpt(master), 0);
    const std::string terminal = ::ptsname(master);
    EXPECT_TRUE(OpenForAppending(terminal, AppendTarget::RegularFileOrTerminal).file);
    EXPECT_EQ(OpenForAppending(terminal, AppendTarget::RegularFile).error,
              "it is a character device, not a regular file");
    ::close(master);
}

#endif

}  // namespace
