#include "platform/system/RuntimeFolder.h"

#include <cerrno>
#include <cstdlib>
#include <pwd.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace plat::sys {

namespace {

// The temporary folder as Qt finds it: TMPDIR when it names an absolute path.
std::string temporaryFolder()
{
    const char* tmp = std::getenv("TMPDIR");
    std::string base = tmp && tmp[0] == '/' ? tmp : "/tmp";
    while (base.size() > 1 && base.back() == '/')
        base.pop_back();
    return base;
}

std::string userName()
{
    if (const passwd* pw = ::getpwuid(::geteuid()); pw && pw->pw_name && pw->pw_name[0])
        return pw->pw_name;
    return std::to_string(::geteuid());
}

// The folder at path exists or was just made, is a real folder (no link) and
// belongs to the user; its mode is narrowed to 0700.
bool ownPrivateFolder(const std::string& path)
{
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid())
        return false;
    return (st.st_mode & 07777) == 0700 || ::chmod(path.c_str(), 0700) == 0;
}

} // namespace

void provideRuntimeFolder()
{
    if (const char* set = std::getenv("XDG_RUNTIME_DIR"); set && set[0])
        return;
    std::string folder = temporaryFolder() + "/runtime-" + userName();
    if (!ownPrivateFolder(folder)) {
        // Someone else's folder (or a link) stands at that name: one of our
        // own, which mkdtemp makes 0700, for this run.
        std::string pattern = folder + "-XXXXXX";
        if (!::mkdtemp(pattern.data()))
            return;
        folder = pattern;
    }
    ::setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
}

} // namespace plat::sys
