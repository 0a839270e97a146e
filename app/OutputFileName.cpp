#include "OutputFileName.h"

#include <sys/stat.h>
#include <unistd.h>

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
