#include "SqliteTuning.h"

#include "Text.h"

#include <cstring>
#include <mutex>
#include <string_view>

#ifndef _WIN32
#include <dlfcn.h>
#endif

namespace {

// The value of Key in a connection string ("KEY=value;..." or "KEY={value};..."), keys
// compared without case; empty when absent.
std::string ConnectValue(std::string_view Text, std::string_view Key) {
    std::size_t at = 0;
    while (at < Text.size()) {
        const std::size_t equals = Text.find('=', at);
        if (equals == std::string_view::npos) break;
        const std::string_view key = TrimView(Text.substr(at, equals - at));
        std::size_t start = Text.find_first_not_of(" \t", equals + 1), end;
        if (start == std::string_view::npos) start = Text.size();
        std::string_view value;
        if (start < Text.size() && Text[start] == '{') {
            end = Text.find('}', start);
            if (end == std::string_view::npos) end = Text.size();
            value = Text.substr(start + 1, end - start - 1);
            end = Text.find(';', end);
        } else {
            end = Text.find(';', start);
            value = Text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
        }
        if (SameText(key, Key)) return std::string(TrimView(value));
        if (end == std::string_view::npos) break;
        at = end + 1;
    }
    return {};
}

// The driver named in the data source's entry (unixODBC hands it out as the description).
std::string DataSourceDriver(SQLHENV Env, const std::string& Name) {
    SQLCHAR name[256], driver[1024];
    SQLSMALLINT nameLength = 0, driverLength = 0;
    for (SQLUSMALLINT direction = SQL_FETCH_FIRST;; direction = SQL_FETCH_NEXT) {
        name[0] = driver[0] = 0;
        if (!SQLSucceeded(ODBC_CALL(SQLDataSources, Env, direction, name, sizeof name, &nameLength, driver,
                                    sizeof driver, &driverLength)))
            return {};
        if (SameText(reinterpret_cast<const char*>(name), Name)) return reinterpret_cast<const char*>(driver);
    }
}

// The library file registered for a driver name ("Driver=" among its attributes), or the
// name itself when no registered driver has it.
std::string DriverLibrary(SQLHENV Env, const std::string& Driver) {
    SQLCHAR name[256], attributes[4096];
    SQLSMALLINT nameLength = 0, attributesLength = 0;
    for (SQLUSMALLINT direction = SQL_FETCH_FIRST;; direction = SQL_FETCH_NEXT) {
        name[0] = attributes[0] = 0;
        if (!SQLSucceeded(ODBC_CALL(SQLDrivers, Env, direction, name, sizeof name, &nameLength, attributes,
                                    sizeof attributes - 1, &attributesLength)))
            return Driver;
        if (!SameText(reinterpret_cast<const char*>(name), Driver)) continue;
        // "key=value" pairs, each ended by a zero byte, the list by a second one.
        attributes[sizeof attributes - 1] = 0;
        for (const char* pair = reinterpret_cast<const char*>(attributes); *pair; pair += std::strlen(pair) + 1) {
            const std::string_view text(pair);
            if (text.size() > 7 && SameText(text.substr(0, 7), "Driver=")) return std::string(text.substr(7));
        }
        return Driver;
    }
}

} // namespace

std::string ConnectDriver(SQLHENV Env, const std::string& DataSource, const std::string& ConnectString) {
    if (Env == SQL_NULL_HENV || !ODBCLoaded()) return {};
    std::string driver;
    if (!DataSource.empty()) {
        driver = DataSourceDriver(Env, DataSource);
    } else {
        driver = ConnectValue(ConnectString, "DRIVER");
        if (driver.empty()) {
            const std::string name = ConnectValue(ConnectString, "DSN");
            if (!name.empty()) driver = DataSourceDriver(Env, name);
        }
    }
    return driver.empty() ? driver : DriverLibrary(Env, driver);
}

bool IsSqliteDriver(const std::string& Driver) {
    return FindText(Driver, "sqlite") != std::string_view::npos;
}

bool QuietSqliteMemoryStatistics() {
#ifdef _WIN32
    return false;
#else
    // The SQLite library counts every allocation under a process-wide mutex, and glibc makes
    // each lock an atomic instruction once a process has a second thread, as every program
    // here has (the connection's worker). The counts serve only sqlite3_status and heap
    // limits, which the ODBC driver never uses; without them a SQLite export takes about a
    // sixth less processor time. The setting must come before the library's first use: the
    // driver links the same soname, so it finds the library loaded and set up. The library
    // stays loaded for good, or a later load would bring back the defaults.
    static bool taken = false;
    static std::once_flag once;
    std::call_once(once, [] {
        void* library = dlopen("libsqlite3.so.0", RTLD_NOW | RTLD_LOCAL);
        if (!library) return;
        using TConfig = int (*)(int, ...);
        auto config = reinterpret_cast<TConfig>(dlsym(library, "sqlite3_config"));
        constexpr int ConfigMemStatus = 9; // SQLITE_CONFIG_MEMSTATUS
        constexpr int Ok = 0;              // SQLITE_OK; SQLITE_MISUSE once the library is in use
        taken = config && config(ConfigMemStatus, 0) == Ok;
        if (!taken) dlclose(library);
    });
    return taken;
#endif
}
