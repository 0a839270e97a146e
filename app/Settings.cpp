#include "Settings.h"

#include "TIniFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace {
const char* const SettingsName = "ZURIREV.ini";
const char* const SystemFolder = "/etc/";
} // namespace

std::string ProgramFolder() {
    std::vector<char> buffer(4096);
    const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (n <= 0) return std::string();
    std::string path(buffer.data(), static_cast<std::size_t>(n));
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string SettingsFileName() {
    std::string beside = ProgramFolder() + SettingsName;
    struct stat st {};
    if (::stat(beside.c_str(), &st) == 0) return beside;
    return std::string(SystemFolder) + SettingsName;
}

void ReadODBCSettings(std::string& DataSource, std::string& UserName, std::string& Password,
                      const std::string& FileName) {
    const TIniFile ini(FileName.empty() ? SettingsFileName() : FileName);
    DataSource = ini.ReadString("ODBC Parameters", "DNS Name", "");
    UserName = ini.ReadString("ODBC Parameters", "User Name", "");
    Password = ini.ReadString("ODBC Parameters", "Password", "");
}
