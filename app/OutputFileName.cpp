#include "OutputFileName.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

// Position of the extension's dot within the file part of Name, or npos.
std::size_t ExtensionDot(const std::string& Name) {
    const std::size_t slash = Name.find_last_of('/');
    const std::size_t dot = Name.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return std::string::npos;
    return dot;
}

// The last candidate index tried: ZZZ. Past it every name counts as taken.
constexpr std::size_t LastFreeNameIndex = 26 + 26 * 26 + 26 * 26 * 26 - 1;

} // namespace

bool FileExists(const std::string& Name) {
    struct stat st {};
    return ::stat(Name.c_str(), &st) == 0;
}

std::string FreeNameSuffix(std::size_t Index) {
    // Bijective base 26 of Index + 1: A..Z, AA..ZZ, AAA.. as the sequence demands.
    std::string suffix;
    std::size_t n = Index + 1;
    while (n > 0) {
        --n;
        suffix.insert(suffix.begin(), char('A' + n % 26));
        n /= 26;
    }
    return suffix;
}

std::string MakeFreeFileName(const std::string& Name) {
    if (!FileExists(Name)) return Name;
    const std::size_t dot = ExtensionDot(Name);
    const std::string base = dot == std::string::npos ? Name : Name.substr(0, dot);
    const std::string ext = dot == std::string::npos ? std::string() : Name.substr(dot);
    for (std::size_t i = 0; i <= LastFreeNameIndex; ++i) {
        std::string candidate = base + "_" + FreeNameSuffix(i) + ext;
        if (!FileExists(candidate)) return candidate;
    }
    return std::string();
}

void ForceDeleteFile(const std::string& Name) {
    struct stat st {};
    if (::stat(Name.c_str(), &st) == 0) ::chmod(Name.c_str(), st.st_mode | S_IWUSR);
    ::unlink(Name.c_str());
}

std::string ChangeFileExt(const std::string& Name, std::string_view NewExt) {
    const std::size_t dot = ExtensionDot(Name);
    return (dot == std::string::npos ? Name : Name.substr(0, dot)) + std::string(NewExt);
}

std::string PartialFileName(const std::string& Name) {
    return Name + ".partial";
}

bool PublishFile(const std::string& From, const std::string& To, std::string& Error) {
    // A delayed write error (a full disk under delayed allocation) shows only here.
    const int fd = ::open(From.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        Error = "cannot open " + From + ": " + std::strerror(errno);
        return false;
    }
    const bool synced = ::fsync(fd) == 0 || errno == EINVAL;
    const int syncError = errno;
    ::close(fd);
    if (!synced) {
        Error = "write failed on " + From + ": " + std::strerror(syncError);
        return false;
    }
    if (::renameat2(AT_FDCWD, From.c_str(), AT_FDCWD, To.c_str(), RENAME_NOREPLACE) == 0) return true;
    int error = errno;
    if (error == EINVAL || error == ENOSYS) {
        // A file system without the no-replace rename: a hard link fails just as well when
        // To exists.
        if (::link(From.c_str(), To.c_str()) == 0) {
            ::unlink(From.c_str());
            return true;
        }
        error = errno;
    }
    Error = "cannot rename " + From + " to " + To + ": " + std::strerror(error);
    return false;
}
