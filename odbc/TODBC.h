#pragma once
// The connection: owns the environment and one connection handle, works out the kind
// of database it reached and whether statements read through bound buffers.
#include "ODBCApi.h"
#include "TMyThread.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

enum TDatabaseKind : std::uint8_t {
    dkUnknown = 0,
    dkOracle = 1,
    dkMySQL = 2,
    dkFoxPro = 3,
    dkFirebird = 4,
    dkAccess = 5,
    dkSQLServer = 6,
    dkPostgreSQL = 7,
};

class TODBCStatement;

class TODBC {
  public:
    // Loads the driver manager and allocates the environment; never fails, but an object
    // whose set-up failed fails every Connect.
    TODBC();
    ~TODBC();
    TODBC(const TODBC&) = delete;
    TODBC& operator=(const TODBC&) = delete;

    SQLHENV EnvHandle = SQL_NULL_HENV;
    SQLHDBC DbcHandle = SQL_NULL_HDBC;
    // Statements created afterwards read their columns through bound buffers.
    bool BindColumns = false;
    bool UseDescribeCol = false;
    // Statements reading a forward-only result forward have the worker read their next
    // block of rows while the caller goes through the current one.
    bool ReadAhead = true;
    // MariaDB and MySQL: plain DOUBLE and integer columns read in arrays are fetched as
    // binary numbers and written as text here, the same bytes as the connector's text
    // (false: its text).
    bool BinaryNumbers = true;
    // Gates every diagnostic message box of the connection and its statements.
    bool ShowErrors = false;
    bool AllowEmptyResult = false;
    // Statements created on this connection; a slot may be empty. The creator of a statement
    // owns it; Disconnect frees the ODBC handles of those still here and detaches them.
    std::vector<TODBCStatement*> Statements;
    bool Connected = false;
    std::string ConnectInfo;

    bool Connect(const std::string& DataSource, const std::string& UserName, const std::string& Password,
                 const std::string& Database = "", bool ManualCommit = false,
                 const std::string& DriverName = "", const std::string& ConnectOptions = "");
    // Frees the handles of the registered statements (they stay alive, detached, for their
    // owners to delete) and closes the connection.
    void Disconnect();
    // Asks every statement of the connection that is executing to cancel.
    void CancelRunning();
    // The diagnostics of the last failed Connect, one "SQLSTATE: text" per record joined by
    // "\n"; empty after a success.
    std::string LastError() const { return FLastError; }
    bool EndTransaction(bool Commit);
    // Runs the connection's later statements inside one read-only transaction that sees one
    // consistent state of the database, where the source offers one (MySQL kind: a
    // consistent snapshot; PostgreSQL: repeatable read; SQLite: one read transaction).
    // False when it has none or refused it: Reason says why, and nothing changed.
    bool BeginReadTransaction(std::string& Reason);
    // Ends the read transaction (it wrote nothing, so nothing is lost); nothing when none runs.
    void EndReadTransaction();
    bool InReadTransaction() const { return !FEndReadSQL.empty(); }
    TDatabaseKind DatabaseKind() const { return FDatabaseKind; }
    // The driver's SQL_DBMS_NAME, read at connect ("SQLite", "MariaDB", ...); empty when none.
    const std::string& DbmsName() const { return FDbmsName; }
    // The driver's escape for '_' and '%' in catalogue search patterns; empty when it has none.
    const std::string& SearchPatternEscape() const { return FSearchPatternEscape; }
    // Lists data source names or descriptions; with a Match buffer (1024 bytes) holding a
    // name, replaces it by that data source's description instead.
    void GetDataSources(bool Names, std::vector<std::string>* List, char* Match);
    // Shows the connection's diagnostics ("ODBC Error: ") when ShowErrors is set and Ret failed.
    void CheckError(SQLRETURN Ret);

    // The thread that makes every ODBC call of this connection and its statements.
    TMyThread& Worker() { return *FWorker; }
    // Runs Work on the worker and waits, then shows the boxes it asked for.
    template <class F>
    void OnWorker(F&& Work) {
        FWorker->Run(Work);
        FlushBoxes();
    }
    // A diagnostic box: shown at once on the calling thread, or held until the worker's
    // work is done (message boxes belong to the window thread).
    void Box(const std::string& Text);
    void FlushBoxes();

    void RegisterStatement(TODBCStatement* Statement);
    void UnregisterStatement(TODBCStatement* Statement);

    // Kind for a text by the substring rules ("mariadb" counts as MySQL); dkUnknown when none matches.
    static TDatabaseKind KindFromText(const std::string& Text);
    // Connection string of a file data source: the keys of its "ODBC" section in file order.
    static std::string FileDsnConnectString(const std::string& FileName);
    // The connection string of the second connect route.
    static std::string BuildConnectString(const std::string& DataSource, const std::string& UserName,
                                          const std::string& Password, const std::string& Database,
                                          const std::string& DriverName, const std::string& ConnectOptions);

  private:
    bool ConnectOnWorker(const std::string& DataSource, const std::string& UserName, const std::string& Password,
                         const std::string& Database, bool ManualCommit, const std::string& DriverName,
                         const std::string& ConnectOptions);
    void DisconnectOnWorker();
    void CheckErrorOnWorker(SQLRETURN Ret);
    bool GetDiagText(SQLSMALLINT Record, std::string& Text);
    void DetectDatabaseKind();
    void DecideBindColumns();

    TDatabaseKind FDatabaseKind = dkUnknown;
    std::string FDbmsName;
    bool FLoaded = false;
    std::string FLastError;
    std::string FSearchPatternEscape;
    // The statement that ends the running read transaction; empty when none runs.
    std::string FEndReadSQL;
    std::unique_ptr<TMyThread> FWorker;
    std::mutex FBoxLock;
    std::vector<std::string> FBoxes;
};

#include "TODBCStatement.h"

template <class F>
void TODBCStatement::OnWorker(F&& Work) {
    if (Connection)
        Connection->OnWorker(Work);
    else
        Work();
}
