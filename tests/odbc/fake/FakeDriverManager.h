#pragma once
// State of the test-only fake driver manager. The library exports FakeDriverManagerState()
// so that a test can script answers and read back what the layer asked for.
#include <sql.h>

#include <string>
#include <vector>

struct FakeDiagRecord {
    std::string state;
    std::string message;      // what SQLGetDiagRec gives
    std::string fieldMessage; // what SQLGetDiagField gives (read for HY000)
};

struct FakeResult {
    std::vector<std::string> names;
    std::vector<SQLSMALLINT> types;
    std::vector<std::vector<std::string>> rows;
    std::vector<SQLRETURN> fetchCodes; // per row; SQL_SUCCESS when missing
    bool noTotal = false;              // SQLGetData reports SQL_NO_TOTAL for cut pieces
};

struct FakeDriverManagerState {
    std::vector<std::string> calls; // "SQLSetStmtAttr 7=2" and the like
    bool refuseAttributes = false;  // every Set*Attr call fails (SQL_ERROR)
    bool refuseConnect = false;     // SQLConnect fails; SQLDriverConnect succeeds
    std::string driverConnectIn;    // last connection string given to SQLDriverConnect
    std::string driverConnectOut;   // completed string it answers with
    std::vector<std::pair<std::string, std::string>> dataSources; // name, description
    std::vector<FakeDiagRecord> diagnostics;
    FakeResult result; // answer to SQLExecDirect, SQLTables and SQLColumns
    bool throwOnExecute = false; // SQLExecDirect raises a C++ exception
};
