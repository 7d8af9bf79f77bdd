#include "files/atomic_output.h"

#include "files/regular_input.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char* const temporarySuffix = ".partial-XXXXXX";
constexpr int linkLimit = 40;  // as the kernel's own
constexpr mode_t createMode = 0666;
constexpr mode_t permissionBits = 07777;
constexpr int signalExitBase = 128;

// Temporaries the signal handler removes. The handler may only read plain
// memory, so each is a fixed buffer with a flag saying it is in use.
constexpr int liveSlots = 16;
char livePaths[liveSlots][PATH_MAX];
volatile sig_atomic_t liveUsed[liveSlots];
bool handlersInstalled = false;

extern "C" void removeTemporariesAndExit(int signalNumber)
{
    for (int i = 0; i < liveSlots; ++i)
        if (liveUsed[i])
            unlink(livePaths[i]);
    _exit(signalExitBase + signalNumber);
}

void installHandlers()
{
    if (handlersInstalled)
        return;
    handlersInstalled = true;
    for (int signalNumber : {SIGINT, SIGTERM}) {
        struct sigaction old {};
        sigaction(signalNumber, nullptr, &old);
        if (old.sa_handler == SIG_IGN)  // started in the background with the signal ignored
            continue;
        struct sigaction action {};
        action.sa_handler = removeTemporariesAndExit;
        sigemptyset(&action.sa_mask);
        sigaction(signalNumber, &action, nullptr);
    }
}

// Blocks SIGINT and SIGTERM while the list of temporaries changes.
class SignalsHeld {
public:
    SignalsHeld()
    {
        sigset_t set;
        sigemptyset(&set);
        sigaddset(&set, SIGINT);
        sigaddset(&set, SIGTERM);
        sigprocmask(SIG_BLOCK, &set, &saved);
    }
    ~SignalsHeld() { sigprocmask(SIG_SETMASK, &saved, nullptr); }
    SignalsHeld(const SignalsHeld&) = delete;
    SignalsHeld& operator=(const SignalsHeld&) = delete;

private:
    sigset_t saved;
};

int registerTemporary(const std::string& path)
{
    installHandlers();
    if (path.size() >= PATH_MAX)
        return -1;
    for (int i = 0; i < liveSlots; ++i) {
        if (!liveUsed[i]) {
            std::memcpy(livePaths[i], path.c_str(), path.size() + 1);
            liveUsed[i] = 1;
            return i;
        }
    }
    return -1;
}

void unregisterTemporary(int slot)
{
    if (slot >= 0)
        liveUsed[slot] = 0;
}

std::string folderOf(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The file a chain of symbolic links starting at path ends at (path itself
// when it is no link); it need not exist. False on a loop.
bool followLinks(const std::string& path, std::string& target)
{
    target = path;
    for (int i = 0; i < linkLimit; ++i) {
        struct stat status;
        if (lstat(target.c_str(), &status) != 0 || !S_ISLNK(status.st_mode))
            return true;
        char text[PATH_MAX];
        const ssize_t length = readlink(target.c_str(), text, sizeof text - 1);
        if (length <= 0)
            return true;
        const std::string next(text, static_cast<size_t>(length));
        target = next[0] == '/' ? next : folderOf(target) + "/" + next;
    }
    return false;
}

std::string problemWithTarget(const std::string& target)
{
    struct stat status;
    if (lstat(target.c_str(), &status) == 0) {
        const std::string kind = fileKind(status.st_mode);
        if (kind == folderRefusal)
            return "that is a folder";
        if (kind == "not a regular file")
            return "that is " + kind;
        if (!kind.empty())
            return "that is " + kind + ", not a regular file";
        if (access(target.c_str(), W_OK) != 0)
            return "the file exists and cannot be replaced";
    } else if (errno != ENOENT) {
        return std::strerror(errno);
    }
    const std::string folder = folderOf(target);
    if (stat(folder.c_str(), &status) != 0)
        return "there is no folder " + folder;
    if (!S_ISDIR(status.st_mode))
        return folder + " is not a folder";
    if (access(folder.c_str(), W_OK | X_OK) != 0)
        return "the folder " + folder + " cannot be written";
    return "";
}

mode_t newFileMode()
{
    const mode_t mask = umask(0);
    umask(mask);
    return createMode & ~mask;
}

}  // namespace

std::string outputProblem(const std::string& path)
{
    if (path.empty())
        return "no file name given";
    std::string target;
    if (!followLinks(path, target))
        return "too many levels of symbolic links";
    return problemWithTarget(target);
}

AtomicOutput::~AtomicOutput()
{
    discard();
}

bool AtomicOutput::open(const std::string& path, std::string& error)
{
    discard();
    destination = path;
    const std::string problem = outputProblem(path);
    if (!problem.empty()) {
        error = "cannot write \"" + path + "\": " + problem;
        return false;
    }
    followLinks(path, target);
    std::string name = target + temporarySuffix;
    {
        SignalsHeld held;
        fd = mkstemp(&name[0]);
        if (fd >= 0) {
            temporary = name;
            slot = registerTemporary(temporary);
        }
    }
    if (fd < 0) {
        error = "cannot write \"" + path + "\": " + std::strerror(errno);
        return false;
    }
    // A file replaced keeps its permissions and, where the system allows,
    // its owner and group; a new one gets what creating it would give.
    struct stat status;
    if (stat(target.c_str(), &status) == 0) {
        // Only root can give a file away; others keep at least the group.
        if (fchown(fd, status.st_uid, status.st_gid) != 0)
            static_cast<void>(fchown(fd, static_cast<uid_t>(-1), status.st_gid) == 0);
        fchmod(fd, status.st_mode & permissionBits);
    } else {
        fchmod(fd, newFileMode());
    }
    return true;
}

std::FILE* AtomicOutput::stream()
{
    if (file == nullptr && fd >= 0)
        file = fdopen(fd, "wb");
    return file;
}

bool AtomicOutput::commit(std::string& error)
{
    if (fd < 0) {
        error = "cannot write \"" + destination + "\"";
        return false;
    }
    errno = 0;
    bool closed;
    if (file != nullptr)
        closed = std::fclose(file) == 0;
    else
        closed = close(fd) == 0;
    file = nullptr;
    fd = -1;
    if (!closed || std::rename(temporary.c_str(), target.c_str()) != 0) {
        error = "cannot write \"" + destination + "\"" +
                (errno != 0 ? std::string(": ") + std::strerror(errno) : std::string());
        discard();
        return false;
    }
    SignalsHeld held;
    unregisterTemporary(slot);
    slot = -1;
    temporary.clear();
    return true;
}

void AtomicOutput::discard()
{
    if (file != nullptr)
        std::fclose(file);
    else if (fd >= 0)
        close(fd);
    file = nullptr;
    fd = -1;
    if (!temporary.empty()) {
        SignalsHeld held;
        unlink(temporary.c_str());
        unregisterTemporary(slot);
    }
    slot = -1;
    temporary.clear();
}

bool writeFileAtomically(const std::string& path, const std::string& bytes, std::string& error)
{
    AtomicOutput output;
    if (!output.open(path, error))
        return false;
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(output.descriptor(), bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error = "cannot write \"" + path + "\": " + std::strerror(errno);
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return output.commit(error);
}
