#include "ODBCApi.h"

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <mutex>

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

TODBCEntryPoints ODBCApi;

namespace {

#ifdef _WIN32
std::string gLibraryName = "ODBC32.DLL";
HMODULE gLibrary = nullptr;
void* LookUp(const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(gLibrary, name));
}
bool OpenLibrary() {
    gLibrary = LoadLibraryA(gLibraryName.c_str());
    return reinterpret_cast<std::uintptr_t>(gLibrary) >= 32;
}
void CloseLibrary() {
    FreeLibrary(gLibrary);
}
#else
std::string gLibraryName = "libodbc.so.2";
void* gLibrary = nullptr;
void* LookUp(const char* name) {
    return dlsym(gLibrary, name);
}
bool OpenLibrary() {
    gLibrary = dlopen(gLibraryName.c_str(), RTLD_NOW | RTLD_LOCAL);
    return gLibrary != nullptr;
}
void CloseLibrary() {
    dlclose(gLibrary);
}
#endif

// Read on every call, from the worker thread too; the file and its writes sit under the lock.
std::atomic<bool> gTrace{false};
std::atomic<bool> gTraceToFile{false};
std::mutex gTraceLock;
std::FILE* gTraceFile = nullptr;
int gLoadCount = 0;

void Release() {
    ODBCApi = TODBCEntryPoints{};
    CloseLibrary();
    gLibrary = nullptr;
}

} // namespace

bool LoadODBC() {
    // Connection objects share one load; each successful load is matched by one UnloadODBC.
    if (gLoadCount > 0) {
        ++gLoadCount;
        return true;
    }
    if (!OpenLibrary()) {
        gLibrary = nullptr;
        return false;
    }
#define FERROCAN_ODBC_LOOKUP(name)                                                                           \
    ODBCApi.name = reinterpret_cast<decltype(ODBCApi.name)>(LookUp(#name));                                  \
    if (!ODBCApi.name) {                                                                                     \
        Release();                                                                                           \
        return false;                                                                                        \
    }
    FERROCAN_ODBC_ENTRY_POINTS(FERROCAN_ODBC_LOOKUP)
#undef FERROCAN_ODBC_LOOKUP
    gLoadCount = 1;
    return true;
}

void UnloadODBC() {
    if (gLoadCount > 0 && --gLoadCount == 0) Release();
}

bool ODBCLoaded() {
    return gLoadCount > 0;
}

void SetODBCLibraryName(const std::string& fileName) {
    gLibraryName = fileName;
}
const std::string& ODBCLibraryName() {
    return gLibraryName;
}

void SetODBCTrace(bool on) {
    gTrace = on;
}

bool SetODBCTraceFile(const std::string& Path) {
    std::FILE* file = nullptr;
    if (!Path.empty()) {
        file = std::fopen(Path.c_str(), "w");
        if (!file) return false;
    }
    std::lock_guard<std::mutex> lock(gTraceLock);
    if (gTraceFile) std::fclose(gTraceFile);
    gTraceFile = file;
    gTraceToFile = file != nullptr;
    return true;
}

const char* ReturnCodeName(SQLRETURN ret) {
    switch (ret) {
    case SQL_SUCCESS:
        return "SQL_SUCCESS";
    case SQL_SUCCESS_WITH_INFO:
        return "SQL_SUCCESS_WITH_INFO";
    case SQL_ERROR:
        return "SQL_ERROR";
    case SQL_INVALID_HANDLE:
        return "SQL_INVALID_HANDLE";
    case SQL_NO_DATA:
        return "SQL_NO_DATA";
    case SQL_NEED_DATA:
        return "SQL_NEED_DATA";
    case SQL_STILL_EXECUTING:
        return "SQL_STILL_EXECUTING";
    default:
        return "";
    }
}

SQLRETURN ODBCTraceCall(const char* name, SQLRETURN ret) {
    if (gTrace) std::fprintf(stderr, "odbc: %s -> %d\n", name, static_cast<int>(ret));
    if (gTraceToFile.load(std::memory_order_relaxed)) {
        std::lock_guard<std::mutex> lock(gTraceLock);
        // Flushed per line: a trace is read most when the program did not end normally.
        if (gTraceFile) {
            std::fprintf(gTraceFile, "%s -> %d %s\n", name, static_cast<int>(ret), ReturnCodeName(ret));
            std::fflush(gTraceFile);
        }
    }
    return ret;
}
