#pragma once
// Run-time binding of the ODBC driver manager. Nothing of ODBC is linked: the library
// is loaded by name and its 40 entry points are looked up in table order. The types and
// prototypes come from the platform's ODBC headers (SQLLEN/SQLULEN are 64-bit here).
#include <sql.h>
#include <sqlext.h>

#include <string>

// Every entry point the layer knows, in lookup order. A missing one fails the load,
// also for the ten that are never called.
#define FERROCAN_ODBC_ENTRY_POINTS(X)                                                                        \
    X(SQLAllocHandle)                                                                                        \
    X(SQLGetEnvAttr)                                                                                         \
    X(SQLSetEnvAttr)                                                                                         \
    X(SQLDrivers)                                                                                            \
    X(SQLDataSources)                                                                                        \
    X(SQLGetConnectAttr)                                                                                     \
    X(SQLSetConnectAttr)                                                                                     \
    X(SQLConnect)                                                                                            \
    X(SQLDriverConnect)                                                                                      \
    X(SQLBrowseConnect)                                                                                      \
    X(SQLGetInfo)                                                                                            \
    X(SQLGetStmtAttr)                                                                                        \
    X(SQLSetStmtAttr)                                                                                        \
    X(SQLTables)                                                                                             \
    X(SQLStatistics)                                                                                         \
    X(SQLPrimaryKeys)                                                                                        \
    X(SQLForeignKeys)                                                                                        \
    X(SQLExecDirect)                                                                                         \
    X(SQLPrepare)                                                                                            \
    X(SQLExecute)                                                                                            \
    X(SQLEndTran)                                                                                            \
    X(SQLNumResultCols)                                                                                      \
    X(SQLFetch)                                                                                              \
    X(SQLFetchScroll)                                                                                        \
    X(SQLGetData)                                                                                            \
    X(SQLDescribeCol)                                                                                        \
    X(SQLColAttribute)                                                                                       \
    X(SQLColumns)                                                                                            \
    X(SQLSpecialColumns)                                                                                     \
    X(SQLBindCol)                                                                                            \
    X(SQLBindParameter)                                                                                      \
    X(SQLSetPos)                                                                                             \
    X(SQLPutData)                                                                                            \
    X(SQLCloseCursor)                                                                                        \
    X(SQLDisconnect)                                                                                         \
    X(SQLFreeHandle)                                                                                         \
    X(SQLFreeStmt)                                                                                           \
    X(SQLGetDiagField)                                                                                       \
    X(SQLGetDiagRec)                                                                                         \
    X(SQLCancel)

// Process-wide table of entry points, typed after the header prototypes.
struct TODBCEntryPoints {
#define FERROCAN_ODBC_SLOT(name) decltype(&::name) name = nullptr;
    FERROCAN_ODBC_ENTRY_POINTS(FERROCAN_ODBC_SLOT)
#undef FERROCAN_ODBC_SLOT
};
extern TODBCEntryPoints ODBCApi;

// Loads the driver manager and fills the table; true when all 40 entry points were found.
// A missing entry point releases the library again and looks up no later name. Loads are
// counted: while one is held, a further call only adds a reference.
bool LoadODBC();
// Drops one successful load; the last one clears the table and releases the library.
void UnloadODBC();
bool ODBCLoaded();

// Tests only: load another library file instead of the platform's driver manager.
void SetODBCLibraryName(const std::string& fileName);
const std::string& ODBCLibraryName();

// The funnel every call goes through; traces name and return code when tracing is on.
// SetODBCTrace writes to standard error.
void SetODBCTrace(bool on);
// Writes every call and its return code to the file Path (created or emptied) from now on;
// an empty Path ends file tracing. False, with nothing changed, when the file cannot be opened.
bool SetODBCTraceFile(const std::string& Path);
SQLRETURN ODBCTraceCall(const char* name, SQLRETURN ret);
// Name of a return code ("SQL_SUCCESS", ...), or "" for one the standard does not define.
const char* ReturnCodeName(SQLRETURN ret);
#define ODBC_CALL(fn, ...) ODBCTraceCall(#fn, ODBCApi.fn(__VA_ARGS__))

// SQL_SUCCESS or SQL_SUCCESS_WITH_INFO.
inline bool SQLSucceeded(SQLRETURN ret) {
    return ret == SQL_SUCCESS || ret == SQL_SUCCESS_WITH_INFO;
}
