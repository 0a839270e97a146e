#pragma once
// The one object through which the program runs SQL and reads results: execute, and
// while the result is true, read fields and Fetch the next row.
#include "Format.h"
#include "ODBCApi.h"
#include "TColInfoList.h"

#include "TMyThread.h"

#include <atomic>
#include <functional>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class TODBC;

// The exact value of a field: its bytes as the driver gave them (raw bytes for binary
// columns) and whether it is NULL. Bytes stay valid until the next read of the same column,
// Fetch or execution.
struct TFieldData {
    std::string_view Bytes;
    bool Null = true;
};

enum TFetchDirection : std::uint8_t {
    fdNext = 0,
    fdFirst = 1,
    fdLast = 2,
    fdPrior = 3,
    fdAbsolute = 4,
    fdRelative = 5,
};

class TODBCStatement {
  public:
    // ReadOnly: read-only concurrency; PlainHandle: allocate the handle and nothing else.
    // Never fails: a statement whose allocation failed stays unregistered and fails every execution.
    TODBCStatement(TODBC* Connection, bool ReadOnly, bool PlainHandle);
    // Whoever created the statement deletes it, before or after its connection disconnects.
    ~TODBCStatement();
    TODBCStatement(const TODBCStatement&) = delete;
    TODBCStatement& operator=(const TODBCStatement&) = delete;

    // Null once the connection has detached the statement (Disconnect or its destruction).
    TODBC* Connection;
    SQLHSTMT StmtHandle = SQL_NULL_HSTMT;
    bool Allocated = false;
    TColInfoList ColumnList;
    bool BindColumns = false;
    std::vector<TodBytes> ColumnBuffers;
    std::int32_t BufferCount = 0;
    bool ForwardOnly = false, CanRefresh = false, CanAbsolute = false, CanRelative = false;
    // Set by a window handler during a direct execution to cancel it.
    std::atomic<bool> CancelRequested{false};
    // True while a direct execution is waiting.
    std::atomic<bool> Executing{false};

    // True: a row is current (row-returning statement) or the statement succeeded.
    bool ExecSQL(const std::string& SQL, bool IsQuery = false, bool Prepared = false);
    // Formats with the safe formatter (%s, %d, %%) and runs ExecSQL; a bad pattern raises FormatError.
    bool ExecSQLFmt(std::string_view Fmt, FormatArgs Args);
    // False at the end of the rows and on a failure; Failed tells them apart. A field of the
    // current row that could not be read makes the next Fetch fail.
    bool Fetch(TFetchDirection Direction = fdNext, std::int32_t Offset = 1);
    // The last ExecSQL, Fetch or catalogue call failed: an error, not the end of the rows.
    bool Failed() const { return FFailed; }
    // "SQLSTATE: text" of that failure, all records joined by "\n"; empty when it did not fail.
    const std::string& LastError() const { return FLastError; }

    int ColumnCount() const { return ColumnList.Count(); }
    std::string ColumnName(int Index) const;
    int ColumnIndex(std::string_view Name) const;
    TColumnType ColumnType(int Index) const;
    std::int32_t ColumnSize(int Index) const;
    // The ODBC SQL data type the driver described; SQL_UNKNOWN_TYPE outside the columns.
    SQLSMALLINT ColumnSqlType(int Index) const;
    // Binary, varbinary and long varbinary columns (blobs; MariaDB reports wider bit columns
    // so): read as raw bytes.
    bool ColumnIsBinary(int Index) const;
    // How a column of the current result is fetched: SQL_C_CHAR (the driver's text), or the
    // binary C type whose text is written here (TODBC::BinaryNumbers).
    SQLSMALLINT ColumnCType(int Index) const;
    // A numeric column attribute (SQL_DESC_AUTO_UNIQUE_VALUE and the like) asked of the
    // driver on the connection's worker thread; nullopt outside the columns or when refused.
    std::optional<SQLLEN> ColumnAttribute(int Index, SQLUSMALLINT Field);

    // The trimmed text of a field of the current row, whole however long; empty for NULL
    // and outside the columns.
    std::string FieldAsString(int Index);
    // As FieldAsString, without a copy: valid until the next read of this column, Fetch or
    // execution. This is the dump's per-field path.
    std::string_view FieldView(int Index);
    // True when the field of the current row is NULL (the read that answers it counts as the column's read).
    bool FieldIsNull(int Index);
    // The exact value: never trimmed, NULL told apart from empty, binary columns as raw bytes.
    // Outside the columns: NULL. Valid as FieldView.
    TFieldData FieldData(int Index);
    std::string FieldByName(std::string_view Name);
    std::int32_t FieldAsInteger(std::string_view Name);
    bool FieldAsBoolean(std::string_view Name) { return FieldAsInteger(Name) != 0; }

    // Shows the statement's diagnostics ("Stmt Error: ") when ShowErrors is set and Ret failed.
    void CheckError(SQLRETURN Ret);
    void Reset();
    void DescribeColumns();

    // Catalogue queries.
    void GetTableList(std::string& Views, const std::string& Schema, bool WithSchema, std::string& Tables);
    void GetColumnList(const std::string& Table, std::string& Columns);
    bool Columns(const std::string& Catalog, const std::string& Schema, const std::string& Table,
                 const std::string& Column);
    bool Statistics(const std::string& Table, const std::string& Catalog, const std::string& Schema);
    bool PrimaryKeys(const std::string& Table, const std::string& Catalog, const std::string& Schema);

    // Third blank-separated word of Text, upper-cased ("INTO" for select x into y).
    static std::string ThirdWord(std::string_view Text);

  private:
    friend class TODBC;
    // Runs Work on the connection's worker thread (at once when there is no connection).
    template <class F>
    void OnWorker(F&& Work);
    // Called by the connection before it closes: frees the handle, keeps the object.
    void Detach();
    void SetFailed(std::string Text);
    // Clears the failure state and resets the handle; false (failed) without a handle.
    bool BeginCatalogueCall();
    // SQLFetch of a catalogue list: true for a row that came with SQL_SUCCESS.
    bool CatalogueRow();
    void SetFailedFromHandle(const char* Fallback);
    // The current row's value of a column, untrimmed; null when there is no current row.
    std::string_view RawField(int Index, bool& Null) const;
    // The connection's current catalog (database), empty when the driver has none.
    std::string CurrentCatalog();
    // Schema, or when it is empty on PostgreSQL the connection's current schema.
    std::string SchemaOrCurrent(const std::string& Schema);
    void RenderBit(int Index, char* Text, std::size_t Length) const;
    bool FullSetup(bool ReadOnly);
    // The body of ExecSQL, run on the worker; Result gets the execution's return code.
    bool ExecuteOnWorker(const std::string& SQL, bool IsQuery, bool Prepared, std::atomic<std::int32_t>& Result);
    void CheckErrorOnWorker(SQLRETURN Ret);
    void GetTableListOnWorker(std::string& Views, const std::string& Schema, bool WithSchema, std::string& Tables);
    void GetColumnListOnWorker(const std::string& Table, std::string& Columns);
    bool ColumnsOnWorker(const std::string& Catalog, const std::string& Schema, const std::string& Table,
                         const std::string& Column);
    bool StatisticsOnWorker(const std::string& Table, const std::string& Catalog, const std::string& Schema);
    bool PrimaryKeysOnWorker(const std::string& Table, const std::string& Catalog, const std::string& Schema);
    void ResetOnWorker();
    void DescribeOnWorker();
    bool FetchOnWorker(TFetchDirection Direction, std::int32_t Offset);
    // Per-column facts of the current result.
    struct TFieldSlot {
        bool Bound = false;
        // Bound in bound mode when the result was described. Unlike Bound, which a fill
        // rewrites when it widens a buffer, the caller's thread may read it while the
        // worker reads ahead.
        bool BoundInBoundMode = false;
        SQLLEN BindLength = 0;  // buffer length given to SQLBindCol
        std::size_t GrowTo = 0; // rebind this wide before the next fetch
        SQLSMALLINT SqlType = SQL_UNKNOWN_TYPE;
        bool Binary = false;
    };
    // Where a value of a row read ahead lies in the arena.
    struct TFieldRef {
        std::size_t Offset = 0;
        std::size_t Length = 0;
        bool Null = true;
    };
    // Rows read ahead: values in one arena, reused from block to block.
    struct TBlock {
        TodBytes Arena;
        std::size_t ArenaUsed = 0;
        std::vector<TFieldRef> Fields; // Rows rows of ColumnCount() fields
        int Rows = 0;
        bool End = false;    // the driver reported the end of the rows after the block
        bool Failed = false; // ... or a failure, with Error
        std::string Error;
        void Clear();
    };

    // Reads up to MaxRows rows with SQLFetch (the first one already fetched when Fetched),
    // every value whole into the arena. Ends at the end of the rows or a failure, which the
    // block keeps for the Fetch that reaches it.
    void FillBlock(bool Fetched, int MaxRows);
    // Reads every column of the row the driver is on into row Row of the block.
    bool ReadRow(int Row);
    // Appends the whole value of a column, read with SQLGetData, to the arena.
    bool ReadWhole(int Index, TFieldRef& Field);
    // Forgets every row read ahead (no read-ahead may be running).
    void ClearBlock();
    // Starts filling the other block on the worker while the caller reads this one.
    void StartAhead();
    // Waits for a fill started by StartAhead; its rows are then in FFill.
    void FinishAhead();
    bool BindColumn(int Index, std::size_t Bytes);
    // After a row-returning execution: binds what can be bound for the reads to come, as
    // arrays of rows where the driver can fetch them so, else one row at a time.
    void PlanReads();
    bool PlanArrayReads();
    // Per column: the C type to fetch it as. A binary one for a plain DOUBLE or integer
    // column whose text this program writes exactly as the connector would (see the
    // definition), SQL_C_CHAR for the others.
    std::vector<SQLSMALLINT> NativeColumns(const std::vector<SQLLEN>& TextWidths);
    // The text of a binary value of a column, in that column's scratch.
    std::string_view NumberText(int Index, SQLSMALLINT CType, const char* Cell) const;
    // Back to one row per fetch with nothing bound to arrays.
    void EndArrayReads();
    // Takes the rows of the rowset the driver fetched (fetching it first unless Fetched).
    bool BlockFetchEnds(SQLRETURN Ret);
    void FillArrayBlock(bool Fetched);
    bool GetDiagText(SQLSMALLINT Record, std::string& Text);

    std::vector<TFieldSlot> slots_;
    // Some columns are bound one row at a time (bound mode, or bound for speed).
    bool FRowBound = false;
    SQLUINTEGER FGetDataExtensions = 0;
    bool FGetDataKnown = false;
    // Rows per fetch while reading into bound arrays; 0 when one row is fetched at a time.
    SQLULEN FArrayRows = 0;
    SQLULEN FRowsFetched = 0;
    std::vector<SQLUSMALLINT> FRowStatus;
    std::vector<char> FArrayData;          // column by column: FArrayRows values of FArrayWidth each
    std::vector<std::size_t> FArrayOffset; // per column: where its values start in FArrayData
    std::vector<SQLLEN> FArrayWidth;       // per column: bytes per value, the terminator included
    std::vector<SQLLEN> FArrayIndicator;   // column by column: FArrayRows cells each
    std::vector<SQLSMALLINT> FArrayCType;  // per column: SQL_C_CHAR, or a binary number whose text is made here
    mutable std::vector<char> FNumberText; // per column: the text of its current binary number
    bool growPending_ = false;
    bool FFailed = false;
    std::string FLastError;
    TBlock FBlocks[2];
    TBlock* FShow = &FBlocks[0]; // the rows handed out
    TBlock* FFill = &FBlocks[0]; // the block being filled: FShow, or the other one while reading ahead
    int FCurrent = -1;           // the current row within FShow; -1: none
    // Reading ahead: a plain forward-only result whose next block the worker fills meanwhile.
    bool FForwardCursor = false;
    bool FAhead = false;
    TMyThread* FAheadWorker = nullptr;
    std::function<void()> FAheadWork;
    TMyThread::TTask FAheadTask;
};
