// Writing outputs: every kind of target the module meets, a signal in the
// middle of a write, an allocation failure with a temporary open, and every
// writer on a full or read-only file system.
#include "command_run.h"
#include "files/atomic_output.h"
#include "files/regular_input.h"
#include "test_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <set>
#include <sstream>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <thread>
#include <unistd.h>

namespace {

std::string contents(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::set<std::string> names(const std::string& folder)
{
    std::set<std::string> found;
    DIR* d = opendir(folder.c_str());
    while (dirent* entry = readdir(d))
        if (entry->d_name[0] != '.')
            found.insert(entry->d_name);
    closedir(d);
    return found;
}

mode_t typeOf(const std::string& path)
{
    struct stat status {};
    lstat(path.c_str(), &status);
    return status.st_mode & S_IFMT;
}

mode_t permissionsOf(const std::string& path)
{
    struct stat status {};
    stat(path.c_str(), &status);
    return status.st_mode & 07777;
}

struct TargetCase {
    const char* kind;
    // Makes "out" (and anything beside it) in the working folder; false
    // when this system cannot make it.
    bool (*make)();
    bool written;          // the bytes reach the file "out" leads to
    const char* readBack;  // where they are read back
    mode_t mode;           // its permissions afterwards (0: not checked)
};

bool writeOld(const char* path) { return static_cast<bool>(std::ofstream(path) << "old"); }
bool plainFile() { return writeOld("out"); }

const TargetCase targetCases[] = {
    {"no file", [] { return true; }, true, "out", 0},
    {"file", plainFile, true, "out", 0},
    {"mode-600 file", [] { return plainFile() && chmod("out", 0600) == 0; }, true, "out", 0600},
    {"link to a file",
     [] { return writeOld("real") && chmod("real", 0640) == 0 && symlink("real", "out") == 0; },
     true, "real", 0640},
    {"link to no file", [] { return mkdir("sub", 0755) == 0 && symlink("sub/new", "out") == 0; }, true,
     "sub/new", 0},
    {"planted temporaries",
     [] {
         return writeOld("victim") && symlink("victim", "out.tmp") == 0 &&
                symlink("victim", "out.partial-XXXXXX") == 0;
     },
     true, "out", 0},
    {"FIFO", [] { return mkfifo("out", 0644) == 0; }, false, nullptr, 0},
    {"device", [] { return mknod("out", S_IFCHR | 0666, makedev(1, 3)) == 0; }, false, nullptr, 0},
    {"folder", [] { return mkdir("out", 0755) == 0; }, false, nullptr, 0},
    {"link to a FIFO", [] { return mkfifo("pipe", 0644) == 0 && symlink("pipe", "out") == 0; }, false,
     nullptr, 0},
};

}  // namespace

TEST(AtomicOutput, EveryKindOfTargetIsWrittenThroughOrRefusedUntouched)
{
    for (const TargetCase& c : targetCases) {
        TestDir dir;
        if (!c.make()) {
            std::cerr << "note: cannot make a " << c.kind << " here; case skipped\n";
            continue;
        }
        const std::set<std::string> before = names(".");
        const mode_t typeBefore = typeOf("out");
        std::string error;
        EXPECT_EQ(outputProblem("out").empty(), c.written) << c.kind;
        EXPECT_EQ(writeFileAtomically("out", "new", error), c.written) << c.kind << ": " << error;
        if (c.written) {
            EXPECT_EQ(contents(c.readBack), "new") << c.kind;
            if (c.mode != 0) {
                EXPECT_EQ(permissionsOf(c.readBack), c.mode) << c.kind;
            }
        } else {
            EXPECT_NE(error.find("\"out\""), std::string::npos) << c.kind << ": " << error;
        }
        // A link stays a link; a refused target keeps its type; nothing
        // but the file written (a new one) appears.
        if (typeBefore != 0) {
            EXPECT_EQ(typeOf("out"), typeBefore) << c.kind;
        }
        std::set<std::string> expected = before;
        if (c.written && std::string(c.readBack) == "out")
            expected.insert("out");
        EXPECT_EQ(names("."), expected) << c.kind;
        if (std::ifstream("victim").good()) {
            EXPECT_EQ(contents("victim"), "old") << c.kind;
        }
    }
}

TEST(AtomicOutput, ASignalMidWriteRemovesTheTemporaryAndSetsTheStatus)
{
    TestDir dir;
    std::ofstream("big.csv") << "old";
    for (const auto& [signal, status] : {std::pair{"INT", 130}, std::pair{"TERM", 143}}) {
        // A request of minutes; the signal comes once its temporary exists.
        // A job the shell starts in the background has SIGINT ignored
        // unless env resets it; a watchdog ends it if the signal goes
        // unheeded.
        const CommandRun run = runCommand(
            "env --default-signal=INT " + std::string(PALEOVIZ_INSOLATION_TOOL) +
            " daily --time -5000:0:1 --lat -90:90:1 --lon 0:359:1 -o big.csv & pid=$!; "
            "(sleep 60; kill -9 $pid) >/dev/null 2>&1 & watchdog=$!; "
            "for i in $(seq 400); do ls | grep -q partial && break; sleep 0.05; done; "
            "kill -" + signal + " $pid; wait $pid; echo status=$?; kill $watchdog");
        EXPECT_NE(run.out.find("status=" + std::to_string(status)), std::string::npos) << signal << run.out;
        EXPECT_EQ(names("."), std::set<std::string>{"big.csv"}) << signal;
        EXPECT_EQ(contents("big.csv"), "old") << signal;
    }
}

TEST(AtomicOutput, AnAllocationFailureEndsWithStatusOneAndNoTemporary)
{
    TestDir dir;
    testing::internal::CaptureStderr();
    const int status = guardAllocation("prog", [] {
        AtomicOutput output;
        std::string error;
        if (!output.open("out", error) || names(".").size() != 1)
            return 3;
        throw std::bad_alloc();
        return 0;
    });
    EXPECT_EQ(status, 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr().find("prog: not enough memory"), 0u);
    EXPECT_TRUE(names(".").empty());
}

std::string readAll(std::istream& in)
{
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

TEST(RegularInput, FilesAndPipesAreReadToTheirEndAndNothingWaits)
{
    TestDir dir;
    std::ofstream("file") << "x";
    ASSERT_EQ(mkfifo("fifo", 0644), 0);
    ASSERT_EQ(mkfifo("early", 0644), 0);
    mkdir("folder", 0755);
    // An anonymous pipe, named as a shell's <(...) names it, whose writer
    // sends more than the pipe holds and then closes.
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    const std::string streamed(200000, 's');
    std::thread writer([&] {
        for (size_t at = 0; at < streamed.size();)
            at += size_t(std::max<ssize_t>(0, write(ends[1], streamed.data() + at, streamed.size() - at)));
        close(ends[1]);
    });
    // A FIFO whose writer wrote and is about to close.
    const int early = open("early", O_RDWR);
    ASSERT_EQ(write(early, "early", 5), 5);
    const struct {
        std::string path;
        bool opens;
        const char* refusal;
        std::string text;
    } cases[] = {{"file", true, "", "x"},
                 {"/dev/fd/" + std::to_string(ends[0]), true, "", streamed},
                 {"fifo", true, "", ""},  // nobody writes: empty at once
                 {"early", true, "", "early"},
                 {"folder", false, "a folder", ""},
                 {"/dev/zero", false, "a device", ""},
                 {"missing", false, "", ""}};
    for (const auto& c : cases) {
        RegularFileStream stream(c.path);
        if (c.path == "early")
            close(early);
        EXPECT_EQ(stream.good(), c.opens) << c.path;
        EXPECT_EQ(stream.refusal, c.refusal) << c.path;
        if (c.opens) {
            EXPECT_EQ(readAll(stream), c.text) << c.path;
        }
    }
    writer.join();
    close(ends[0]);
}

namespace {

// A 64 KiB tmpfs mounted on "fs" in the working folder, unmounted when the
// guard goes (before the folder is removed).
class SmallFileSystem {
public:
    SmallFileSystem()
    {
        mkdir("fs", 0755);
        mounted = mount("tmpfs", "fs", "tmpfs", 0, "size=64k") == 0;
        why = mounted ? "" : std::strerror(errno);
    }
    ~SmallFileSystem()
    {
        if (mounted)
            umount2("fs", MNT_DETACH);
    }
    SmallFileSystem(const SmallFileSystem&) = delete;
    SmallFileSystem& operator=(const SmallFileSystem&) = delete;

    enum Spoil { full, nearlyFull, readOnly };
    // Leaves it full (a filler takes every free byte), with 16 KiB free, or
    // read-only.
    void spoil(Spoil how) const
    {
        if (how == readOnly) {
            mount(nullptr, "fs", nullptr, MS_REMOUNT | MS_RDONLY, "size=64k");
            return;
        }
        std::ofstream filler("fs/filler", std::ios::binary);
        const std::string block(1024, 'x');
        const int blocks = how == full ? 64 : 64 - 16 - 4;  // "old" takes a page
        for (int k = 0; k < blocks && filler.write(block.data(), std::streamsize(block.size())); ++k)
            filler.flush();
    }
    void restore() const
    {
        mount(nullptr, "fs", nullptr, MS_REMOUNT, "size=64k");
        for (const std::string& name : names("fs"))
            std::remove(("fs/" + name).c_str());
    }

    bool mounted;
    std::string why;
};

}  // namespace

TEST(AtomicOutput, EveryWriterOnAFullOrReadOnlyFileSystemKeepsTheOldFile)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "mounting a small tmpfs needs root";
    TestDir dir;
    SmallFileSystem fs;
    if (!fs.mounted)
        GTEST_SKIP() << "cannot mount a tmpfs here: " << fs.why;
    // The fitting tool's table: the first 5800 kyr of the published past.
    ASSERT_EQ(runCommand("zcat " + std::string(PALEOVIZ_SOURCE_DIR) +
                         "/data/la2004/la2004-past-0-51000kyr.asc.gz | head -5800 > table.asc")
                  .status,
              0);
    const std::string daily = std::string(PALEOVIZ_INSOLATION_TOOL) +
                              " daily --time -5000:0:1 --lat -90:90:1 --lon 0:359:30 -o ";
    const struct {
        const char* file;
        std::string before, after;  // the command around the file's path
        bool large;                 // more than 16 KiB
    } writers[] = {
        {"out.csv", daily, "", true},
        {"out.nc", daily, "", true},
        {"orbit95b", std::string(ORBIT_SERIES_TOOL) + " la2004 ", "", true},
        {"terms.h", std::string(ORBIT_FIT_TOOL) + " table.asc ", " 3", false},
        {"logo.rgba", std::string(LOGO_IMAGE_TOOL) + " ", "", true},
        {"icon.png", std::string(LOGO_ICON_TOOL) + " " + PALEOVIZ_SOURCE_DIR + "/data/logo.rgba ", "",
         false},
    };
    // A full disk is met while writing, at once or part of the way (status
    // 1); a read-only one is refused before any work (status 2).
    using Spoil = SmallFileSystem::Spoil;
    for (const Spoil how : {Spoil::full, Spoil::nearlyFull, Spoil::readOnly}) {
        for (const auto& w : writers) {
            if (how == Spoil::nearlyFull && !w.large)
                continue;
            const std::string path = std::string("fs/") + w.file;
            std::ofstream(path) << "old";
            fs.spoil(how);
            const std::set<std::string> before = names("fs");
            const std::string command = w.before + path + w.after;
            const CommandRun run = runCommand(command);
            const std::string what = std::string(w.file) + " " + std::to_string(how);
            EXPECT_EQ(run.status, how == Spoil::readOnly ? 2 : 1) << what << ": " << run.out;
            EXPECT_NE(run.out.find(path), std::string::npos) << what << ": " << run.out;
            EXPECT_EQ(contents(path), "old") << what;
            EXPECT_EQ(names("fs"), before) << what;
            fs.restore();
        }
    }
}
