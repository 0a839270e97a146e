#include "TODBC.h"

#include "ODBCDiagnostics.h"
#include "SqliteTuning.h"
#include "TIniFile.h"
#include "TODBCStatement.h"
#include "Text.h"
#include "UiHooks.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

namespace {

SQLCHAR* Chars(const std::string& s) {
    return reinterpret_cast<SQLCHAR*>(const_cast<char*>(s.c_str()));
}

void AddConnectPair(std::string& Text, const std::string& Key, const std::string& Value) {
    if (Value.empty()) return;
    if (!Text.empty()) Text += ';';
    Text += Key;
    Text += '=';
    Text += Value;
}

bool IsFile(const std::string& Name) {
    std::error_code ec;
    return std::filesystem::is_regular_file(Name, ec);
}

// Settings that the driver's own libraries take only before it first opens a database.
void PrepareDriver(SQLHENV Env, const std::string& DataSource, const std::string& ConnectString) {
    if (IsSqliteDriver(ConnectDriver(Env, DataSource, ConnectString))) QuietSqliteMemoryStatistics();
}

} // namespace

TODBC::TODBC() : FWorker(std::make_unique<TMyThread>()) {
    OnWorker([&] {
        FLoaded = LoadODBC();
        if (!FLoaded) return;
        if (!SQLSucceeded(ODBC_CALL(SQLAllocHandle, SQL_HANDLE_ENV, SQL_NULL_HANDLE, &EnvHandle))) {
            EnvHandle = SQL_NULL_HENV;
            return;
        }
        ODBC_CALL(SQLSetEnvAttr, EnvHandle, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3),
                  0);
    });
}

TODBC::~TODBC() {
    OnWorker([&] {
        DisconnectOnWorker();
        if (EnvHandle != SQL_NULL_HENV) {
            CheckErrorOnWorker(ODBC_CALL(SQLFreeHandle, SQL_HANDLE_ENV, EnvHandle));
            EnvHandle = SQL_NULL_HENV;
        }
        if (FLoaded) {
            UnloadODBC();
            FLoaded = false;
        }
    });
    FWorker.reset();
}

bool TODBC::Connect(const std::string& DataSource, const std::string& UserName, const std::string& Password,
                    const std::string& Database, bool ManualCommit, const std::string& DriverName,
                    const std::string& ConnectOptions) {
    if (Connected) return true;
    bool result = false;
    OnWorker([&] {
        result = ConnectOnWorker(DataSource, UserName, Password, Database, ManualCommit, DriverName, ConnectOptions);
    });
    return result;
}

bool TODBC::ConnectOnWorker(const std::string& DataSource, const std::string& UserName,
                            const std::string& Password, const std::string& Database, bool ManualCommit,
                            const std::string& DriverName, const std::string& ConnectOptions) {
    FLastError.clear();
    // Without a loaded driver manager no table slot may be called.
    if (!FLoaded) {
        FLastError = "The ODBC driver manager " + ODBCLibraryName() + " could not be loaded";
        return false;
    }
    if (EnvHandle == SQL_NULL_HENV) {
        FLastError = "The ODBC environment could not be allocated";
        return false;
    }
    if (!SQLSucceeded(ODBC_CALL(SQLAllocHandle, SQL_HANDLE_DBC, EnvHandle, &DbcHandle))) {
        DbcHandle = SQL_NULL_HDBC;
        FLastError = DiagnosticRecords(SQL_HANDLE_ENV, EnvHandle);
        if (FLastError.empty()) FLastError = "The ODBC connection handle could not be allocated";
        return false;
    }

    CheckErrorOnWorker(
        ODBC_CALL(SQLSetConnectAttr, DbcHandle, SQL_ATTR_LOGIN_TIMEOUT, reinterpret_cast<SQLPOINTER>(5), 0));
    if (!Database.empty())
        CheckErrorOnWorker(
            ODBC_CALL(SQLSetConnectAttr, DbcHandle, SQL_ATTR_CURRENT_CATALOG, Chars(Database), SQL_NTS));
    if (ManualCommit)
        CheckErrorOnWorker(ODBC_CALL(SQLSetConnectAttr, DbcHandle, SQL_ATTR_AUTOCOMMIT,
                             reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), SQL_IS_INTEGER));
    CheckErrorOnWorker(ODBC_CALL(SQLSetConnectAttr, DbcHandle, SQL_ATTR_ODBC_CURSORS,
                         reinterpret_cast<SQLPOINTER>(SQL_CUR_USE_IF_NEEDED), SQL_IS_INTEGER));

    SQLRETURN ret = SQL_ERROR;
    // The first route's diagnostics, kept for when the second route says nothing.
    std::string firstError;
    if (!DataSource.empty()) {
        PrepareDriver(EnvHandle, DataSource, "");
        ret = ODBC_CALL(SQLConnect, DbcHandle, Chars(DataSource), SQL_NTS, Chars(UserName), SQL_NTS,
                        Chars(Password), SQL_NTS);
        if (!SQLSucceeded(ret)) firstError = DiagnosticRecords(SQL_HANDLE_DBC, DbcHandle);
    }
    if (SQLSucceeded(ret)) {
        char match[1024] = {};
        std::strncpy(match, DataSource.c_str(), sizeof match - 1);
        GetDataSources(false, nullptr, match);
        ConnectInfo = match;
    } else if (DataSource.empty() && DriverName.empty() && ConnectOptions.empty()) {
        // Nothing names a source. unixODBC would hand "DRIVER={}" to the first registered
        // driver, which may create a database named after the connection string.
        ret = SQL_ERROR;
        firstError = "No data source, driver or connection options given";
    } else {
        std::string text =
            BuildConnectString(DataSource, UserName, Password, Database, DriverName, ConnectOptions);
        PrepareDriver(EnvHandle, "", text);
        SQLCHAR out[1024] = {};
        SQLSMALLINT outLength = 0;
        ret = ODBC_CALL(SQLDriverConnect, DbcHandle, nullptr, Chars(text), SQL_NTS, out, 1023, &outLength,
                        SQL_DRIVER_NOPROMPT);
        if (SQLSucceeded(ret)) {
            std::size_t n = std::clamp<int>(outLength, 0, 1023);
            ConnectInfo.assign(reinterpret_cast<const char*>(out),
                               strnlen(reinterpret_cast<const char*>(out), n));
        }
    }
    if (!SQLSucceeded(ret)) {
        FLastError = DiagnosticRecords(SQL_HANDLE_DBC, DbcHandle);
        if (FLastError.empty()) FLastError = firstError;
        CheckErrorOnWorker(ret);
        ODBC_CALL(SQLFreeHandle, SQL_HANDLE_DBC, DbcHandle);
        DbcHandle = SQL_NULL_HDBC;
        return false;
    }

    DetectDatabaseKind();
    DecideBindColumns();
    char escape[8] = {};
    SQLSMALLINT escapeLength = 0;
    FSearchPatternEscape.clear();
    if (SQLSucceeded(ODBC_CALL(SQLGetInfo, DbcHandle, SQL_SEARCH_PATTERN_ESCAPE, escape, sizeof escape - 1,
                               &escapeLength)))
        FSearchPatternEscape.assign(escape, strnlen(escape, sizeof escape));
    Connected = true;
    return true;
}

void TODBC::DetectDatabaseKind() {
    char name[256] = {};
    SQLSMALLINT length = 0;
    FDbmsName.clear();
    if (SQLSucceeded(ODBC_CALL(SQLGetInfo, DbcHandle, SQL_DBMS_NAME, name, sizeof name - 1, &length)))
        FDbmsName = name;
    TDatabaseKind kind = KindFromText(ConnectInfo);
    // unixODBC reports a data source's driver name as its description, which often names
    // no database; the DBMS name then decides.
    if (kind == dkUnknown && !FDbmsName.empty()) kind = KindFromText(FDbmsName);
    if (kind != dkUnknown) FDatabaseKind = kind;
}

void TODBC::DecideBindColumns() {
    SQLUINTEGER value = 0;
    CheckErrorOnWorker(ODBC_CALL(SQLGetInfo, DbcHandle, SQL_GETDATA_EXTENSIONS, &value, sizeof value, nullptr));
    BindColumns = !((value & SQL_GD_ANY_COLUMN) && (value & SQL_GD_ANY_ORDER));
    if (BindColumns) return;
    CheckErrorOnWorker(ODBC_CALL(SQLGetInfo, DbcHandle, SQL_SCROLL_OPTIONS, &value, sizeof value, nullptr));
    SQLUSMALLINT query = SQL_FORWARD_ONLY_CURSOR_ATTRIBUTES1;
    if (value & SQL_SO_DYNAMIC)
        query = SQL_DYNAMIC_CURSOR_ATTRIBUTES1;
    else if ((value & SQL_SO_KEYSET_DRIVEN) && FDatabaseKind != dkOracle && FDatabaseKind != dkMySQL)
        query = SQL_KEYSET_CURSOR_ATTRIBUTES1;
    CheckErrorOnWorker(ODBC_CALL(SQLGetInfo, DbcHandle, query, &value, sizeof value, nullptr));
    BindColumns = !(value & SQL_CA1_POS_REFRESH);
}

TDatabaseKind TODBC::KindFromText(const std::string& Text) {
    static constexpr struct {
        const char* text;
        TDatabaseKind kind;
    } rules[] = {
        {"oracle", dkOracle},        {"firebird", dkFirebird}, {"mysql", dkMySQL}, {"mariadb", dkMySQL},
        {"sql server", dkSQLServer}, {"foxpro", dkFoxPro},     {"dbf", dkFoxPro},  {"access", dkAccess},
        {"postgres", dkPostgreSQL},
    };
    for (const auto& rule : rules)
        if (FindText(Text, rule.text) != std::string_view::npos) return rule.kind;
    return dkUnknown;
}

std::string TODBC::FileDsnConnectString(const std::string& FileName) {
    TIniFile ini(FileName);
    std::string result;
    for (const std::string& key : ini.ReadSectionKeys("ODBC")) {
        std::string value = ini.ReadString("ODBC", key, "");
        if (value.find(' ') != std::string::npos && SameText(key, "DRIVER")) value = "{" + value + "}";
        if (!result.empty()) result += ';';
        result += key;
        result += '=';
        result += value;
    }
    return result;
}

std::string TODBC::BuildConnectString(const std::string& DataSource, const std::string& UserName,
                                      const std::string& Password, const std::string& Database,
                                      const std::string& DriverName, const std::string& ConnectOptions) {
    std::string text;
    if (!DataSource.empty() && IsFile(DataSource)) text = FileDsnConnectString(DataSource);
    if (text.empty()) {
        AddConnectPair(text, "DSN", DataSource);
        AddConnectPair(text, "DRIVER", "{" + DriverName + "}");
        const char* databaseKey = FindText(DriverName, "oracle") != std::string_view::npos   ? "DBQ"
                                  : FindText(DriverName, "foxpro") != std::string_view::npos ? "SourceDB"
                                                                                             : "Database";
        AddConnectPair(text, databaseKey, Database);
    }
    AddConnectPair(text, "UID", UserName);
    AddConnectPair(text, "PWD", Password);
    if (!ConnectOptions.empty()) {
        if (!text.empty()) text += ';';
        text += ConnectOptions;
    }
    return text;
}

void TODBC::Disconnect() {
    OnWorker([&] { DisconnectOnWorker(); });
}

void TODBC::DisconnectOnWorker() {
    // A statement's handle cannot outlive the connection handle, but the object belongs to
    // whoever created it: free the handle here and leave the object for its owner to delete.
    for (TODBCStatement*& statement : Statements)
        if (statement) {
            statement->Detach();
            statement = nullptr;
        }
    // The server ends a read transaction with the session.
    FEndReadSQL.clear();
    if (Connected) {
        ODBC_CALL(SQLEndTran, SQL_HANDLE_DBC, DbcHandle, static_cast<SQLSMALLINT>(SQL_COMMIT));
        CheckErrorOnWorker(ODBC_CALL(SQLDisconnect, DbcHandle));
        CheckErrorOnWorker(ODBC_CALL(SQLFreeHandle, SQL_HANDLE_DBC, DbcHandle));
        DbcHandle = SQL_NULL_HDBC;
        Connected = false;
    }
}

void TODBC::CancelRunning() {
    // The waiting loop of each executing statement passes the request on to the driver.
    for (TODBCStatement* statement : Statements)
        if (statement && statement->Executing.load()) statement->CancelRequested = true;
}

bool TODBC::EndTransaction(bool Commit) {
    if (!Connected) return true;
    bool result = false;
    OnWorker([&] {
        result = SQLSucceeded(ODBC_CALL(SQLEndTran, SQL_HANDLE_DBC, DbcHandle,
                                        static_cast<SQLSMALLINT>(Commit ? SQL_COMMIT : SQL_ROLLBACK)));
    });
    return result;
}

bool TODBC::BeginReadTransaction(std::string& Reason) {
    Reason.clear();
    if (!Connected) {
        Reason = "not connected";
        return false;
    }
    if (InReadTransaction()) return true;
    // Started by statements rather than by switching autocommit off, so the drivers'
    // own transaction handling stays as it is; every statement handle of the connection
    // then runs inside the transaction.
    std::string begin, end = "ROLLBACK";
    if (FDatabaseKind == dkMySQL) {
        begin = "START TRANSACTION WITH CONSISTENT SNAPSHOT, READ ONLY";
    } else if (FDatabaseKind == dkPostgreSQL) {
        begin = "BEGIN ISOLATION LEVEL REPEATABLE READ, READ ONLY";
    } else if (LowerCase(FDbmsName).find("sqlite") != std::string::npos) {
        // A deferred transaction reads one state of the file from its first read on. It
        // writes nothing, so COMMIT ends it as well, without aborting a read still open on
        // another statement as ROLLBACK would.
        begin = "BEGIN";
        end = "COMMIT";
    } else {
        Reason = "no read transaction is known for " + (FDbmsName.empty() ? std::string("this database") : FDbmsName);
        return false;
    }
    TODBCStatement statement(this, false, true);
    if (!statement.ExecSQL(begin)) {
        Reason = statement.LastError();
        if (Reason.empty()) Reason = begin + " failed";
        return false;
    }
    FEndReadSQL = end;
    return true;
}

void TODBC::EndReadTransaction() {
    if (!InReadTransaction()) return;
    const std::string end = std::move(FEndReadSQL);
    FEndReadSQL.clear();
    if (!Connected) return;
    TODBCStatement statement(this, false, true);
    // A failed end (a lost connection) leaves nothing to undo: the transaction wrote nothing.
    statement.ExecSQL(end);
}

void TODBC::GetDataSources(bool Names, std::vector<std::string>* List, char* Match) {
    if (List) List->clear();
    if (!FWorker->OnWorker()) {
        OnWorker([&] { GetDataSources(Names, List, Match); });
        return;
    }
    if (EnvHandle == SQL_NULL_HENV) return;
    SQLCHAR name[255], description[255];
    SQLSMALLINT nameLength = 0, descriptionLength = 0;
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    for (;;) {
        name[0] = description[0] = 0;
        SQLRETURN ret = ODBC_CALL(SQLDataSources, EnvHandle, direction, name, sizeof name, &nameLength,
                                  description, sizeof description, &descriptionLength);
        if (!SQLSucceeded(ret)) break;
        direction = SQL_FETCH_NEXT;
        const char* entryName = reinterpret_cast<const char*>(name);
        const char* entryDescription = reinterpret_cast<const char*>(description);
        if (Match) {
            if (std::strcmp(entryName, Match) == 0) {
                // Match is a 1024-byte buffer; the description fits in 255.
                std::strcpy(Match, entryDescription);
                return;
            }
        } else if (List) {
            List->push_back(Names ? entryName : entryDescription);
        }
    }
}

bool TODBC::GetDiagText(SQLSMALLINT Record, std::string& Text) {
    Text.clear();
    if (DbcHandle == SQL_NULL_HDBC) return false;
    return DiagnosticText(SQL_HANDLE_DBC, DbcHandle, Record, Text);
}

void TODBC::CheckError(SQLRETURN Ret) {
    if (!ShowErrors || SQLSucceeded(Ret)) return;
    OnWorker([&] { CheckErrorOnWorker(Ret); });
}

void TODBC::CheckErrorOnWorker(SQLRETURN Ret) {
    if (!ShowErrors || SQLSucceeded(Ret)) return;
    std::string text;
    for (SQLSMALLINT record = 1; GetDiagText(record, text); ++record)
        Box("ODBC Error: " + text);
}

void TODBC::Box(const std::string& Text) {
    if (!FWorker->OnWorker()) {
        ShowMessage(Text);
        return;
    }
    std::lock_guard<std::mutex> lock(FBoxLock);
    FBoxes.push_back(Text);
}

void TODBC::FlushBoxes() {
    if (FWorker->OnWorker()) return;
    std::vector<std::string> boxes;
    {
        std::lock_guard<std::mutex> lock(FBoxLock);
        if (FBoxes.empty()) return;
        boxes.swap(FBoxes);
    }
    for (const std::string& text : boxes)
        ShowMessage(text);
}

void TODBC::RegisterStatement(TODBCStatement* Statement) {
    auto slot = std::find(Statements.begin(), Statements.end(), nullptr);
    if (slot != Statements.end())
        *slot = Statement;
    else
        Statements.push_back(Statement);
}

void TODBC::UnregisterStatement(TODBCStatement* Statement) {
    auto slot = std::find(Statements.begin(), Statements.end(), Statement);
    if (slot != Statements.end()) *slot = nullptr;
}
