#include "ODBCApi.h"

#include <cstdint>
#include <cstdio>

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

bool gTrace = false;
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

SQLRETURN ODBCTraceCall(const char* name, SQLRETURN ret) {
    if (gTrace) std::fprintf(stderr, "odbc: %s -> %d\n", name, static_cast<int>(ret));
    return ret;
}
