#include "platform/DataFolder.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <vector>

namespace platform {

namespace {

std::string HomeFolder() {
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/')
        return home;
    // A session without HOME (started by a service manager, say) still has a home in the user database.
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_dir &&
        found->pw_dir[0] == '/')
        return found->pw_dir;
    return {};
}

bool IsFolder(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// One of the XDG base folders: the variable when it holds an absolute path (the XDG rules call a
// relative one invalid), otherwise the default below the home folder. Empty without a home.
std::string XdgBaseFolder(const char* variable, const char* defaultBelowHome) {
    const char* value = std::getenv(variable);
    std::string base;
    if (value && value[0] == '/') {
        base = value;
    } else {
        const std::string home = HomeFolder();
        if (home.empty())
            return {};
        base = home + defaultBelowHome;
    }
    while (base.size() > 1 && base.back() == '/')
        base.pop_back();
    return base;
}

} // namespace

std::string GetDataFolder() {
    const std::string base = XdgBaseFolder("XDG_CONFIG_HOME", "/.config");
    return base.empty() ? base : base + "/Lockwarden";
}

std::string GetRecoveryFolder() {
    // Qt has no state location; the copies are state, not configuration or data the user manages.
    const std::string base = XdgBaseFolder("XDG_STATE_HOME", "/.local/state");
    return base.empty() ? base : base + "/Lockwarden/recovery";
}

std::string GetRuntimeFallbackFolder() {
    // State rather than the cache: a cache folder is the kind a user points at a shared disk.
    const std::string base = XdgBaseFolder("XDG_STATE_HOME", "/.local/state");
    return base.empty() ? base : base + "/Lockwarden/run";
}

bool IsPrivateFolder(const std::string& folder, std::string& why) {
    struct stat st {};
    // lstat: a link could be changed to point elsewhere after the check.
    if (folder.empty() || ::lstat(folder.c_str(), &st) != 0) {
        why = "it does not exist";
        return false;
    }
    if (!S_ISDIR(st.st_mode)) {
        why = S_ISLNK(st.st_mode) ? "it is a symbolic link" : "it is not a folder";
        return false;
    }
    if (st.st_uid != ::getuid()) {
        why = "it belongs to user id " + std::to_string(st.st_uid) + ", not to " + std::to_string(::getuid());
        return false;
    }
    if ((st.st_mode & 077) != 0) {
        char mode[8];
        std::snprintf(mode, sizeof mode, "%04o", unsigned(st.st_mode & 07777));
        why = std::string("its mode is ") + mode + ", which lets others in (it must be 0700)";
        return false;
    }
    return true;
}

bool EnsureFolder(const std::string& folder) {
    if (folder.empty())
        return false;
    if (IsFolder(folder))
        return true;
    // Make each missing component in turn, from the root down.
    size_t pos = 0;
    while (pos != std::string::npos) {
        pos = folder.find('/', pos + 1);
        const std::string part = folder.substr(0, pos);
        if (part.empty() || IsFolder(part))
            continue;
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
    }
    return IsFolder(folder);
}

bool GetVolumeSerial(const std::string& path, uint32_t& serial) {
    struct statvfs info {};
    if (path.empty() || ::statvfs(path.c_str(), &info) != 0)
        return false;
    serial = static_cast<uint32_t>(info.f_fsid & 0xFFFFFFFFu);
    return true;
}

} // namespace platform
