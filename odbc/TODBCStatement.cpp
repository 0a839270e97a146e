#include "TODBCStatement.h"

#include "MariaDBDoubleText.h"
#include "ODBCDiagnostics.h"
#include "TMyThread.h"
#include "TODBC.h"
#include "Text.h"
#include "UiHooks.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

// Bound buffers and first chunks never start wider than this; longer values are read on demand.
constexpr std::size_t MaxInitialBuffer = 64 * 1024;
// Rows read ahead per hand-over to the worker thread, and the arena size that ends a block early.
// Each hand-over waits for the other thread to be scheduled, which on a busy machine costs
// far more than the rows themselves, so blocks are large.
constexpr int BlockRows = 4096;
constexpr std::size_t BlockBytes = 4 * 1024 * 1024;
// Rows per array fetch at most (fewer when they would take more than BlockBytes), and at
// least: fewer gain nothing over single rows.
constexpr std::size_t ArrayRows = 4096;
constexpr std::size_t MinArrayRows = 8;
// The narrowest array cell that holds the connector's text of any double whole
// ("-0.0000000000000012345678901234567" and the terminator); into a narrower one it writes
// some values in another form, which MariaDBDoubleText does not follow.
constexpr SQLLEN MinDoubleTextWidth = 35;
constexpr const char* NoHandle = "The statement has no handle: its connection is closed or was never opened";
// A bound buffer that the driver cut is widened up to this for the following rows.
constexpr std::size_t MaxBoundBuffer = 1024 * 1024;
// Growth of one chunk when the driver cannot tell the total length (SQL_NO_TOTAL).
constexpr std::size_t MaxChunkGrowth = 1024 * 1024;

// Bytes of one value read into a bound array, its terminator included; 0 when the column's
// described size does not bound its values. Display sizes count characters (UTF-8: up to 4
// bytes each); numbers, dates and times get room for a sign, point and fraction besides.
SQLLEN ArrayValueBytes(TColumnType Type, std::int32_t Size) {
    if (Size < 1) return 0;
    switch (Type) {
    case ctString:
        return Size <= 16384 ? SQLLEN{Size} * 4 + 1 : 0;
    case ctInteger:
    case ctFloat:
    case ctBoolean:
    case ctDate:
    case ctTime:
    case ctDateTime:
        return Size <= 256 ? SQLLEN{Size} + 21 : 0;
    default:
        return 0;
    }
}

// A MariaDB identifier in backquotes, which any sql_mode accepts.
std::string Backquoted(std::string_view Name) {
    std::string quoted = "`";
    for (char c : Name) {
        quoted += c;
        if (c == '`') quoted += '`';
    }
    return quoted + '`';
}

// The C type that reads a column of this SHOW COLUMNS type as a binary number whose text
// this program writes as the connector does: "double", and integers without zero fill
// ("int(11)", "bigint(20) unsigned"). SQL_C_CHAR for every other type. (A DATE is not one:
// the connector gives a zero date to SQL_C_TYPE_DATE as NULL.)
SQLSMALLINT NativeCTypeOf(std::string_view Type) {
    if (SameText(Type, "double")) return SQL_C_DOUBLE;
    bool big = false;
    std::size_t at = 0;
    for (std::string_view prefix : {"tinyint", "smallint", "mediumint", "bigint", "int"}) {
        if (Type.size() >= prefix.size() && SameText(Type.substr(0, prefix.size()), prefix)) {
            big = prefix == "bigint";
            at = prefix.size();
            break;
        }
    }
    if (at == 0) return SQL_C_CHAR;
    if (at < Type.size() && Type[at] == '(') {
        const std::size_t close = Type.find(')', at);
        if (close == std::string_view::npos || close == at + 1) return SQL_C_CHAR;
        for (std::size_t i = at + 1; i < close; ++i)
            if (Type[i] < '0' || Type[i] > '9') return SQL_C_CHAR;
        at = close + 1;
    }
    const std::string_view rest = Type.substr(at);
    if (rest.empty()) return SQL_C_SBIGINT;
    if (SameText(rest, " unsigned")) return big ? SQL_C_UBIGINT : SQL_C_SBIGINT;
    return SQL_C_CHAR;
}

// The C type of a column the driver describes so, should its definition be a plain one.
SQLSMALLINT ExpectedCType(SQLSMALLINT SqlType) {
    switch (SqlType) {
    case SQL_DOUBLE:
        return SQL_C_DOUBLE;
    case SQL_INTEGER:
    case SQL_SMALLINT:
    case SQL_TINYINT:
    case SQL_BIGINT:
        return SQL_C_SBIGINT;
    default:
        return SQL_C_CHAR;
    }
}

bool IsBinarySqlType(SQLSMALLINT SqlType) {
    return SqlType == SQL_BINARY || SqlType == SQL_VARBINARY || SqlType == SQL_LONGVARBINARY;
}

bool IsNumeric(TColumnType Type) {
    return Type == ctFloat || Type == ctInteger;
}

// Bytes for a column's text: display sizes count characters, and UTF-8 takes up to 4 bytes each.
std::size_t TextBytes(TColumnType Type, std::int32_t Size) {
    std::size_t length = Size < 1 ? 10 : static_cast<std::size_t>(Size);
    if (IsNumeric(Type)) length += 20;
    if (Type == ctString) length = std::min<std::size_t>(length, MaxInitialBuffer / 4) * 4;
    return std::min(length, MaxInitialBuffer);
}

// Optional sign and decimal digits, fitting in 32 bits; anything else is 0.
std::int32_t StrictInteger(std::string_view Text) {
    std::int32_t value = 0;
    const char* first = Text.data();
    const char* last = first + Text.size();
    if (first != last && *first == '+') ++first;
    if (first == last || (first + 1 == last && *first == '-')) return 0;
    auto [end, ec] = std::from_chars(first, last, value);
    return (ec == std::errc() && end == last) ? value : 0;
}

// What a driver's conversion to SQL_C_LONG gives for a text: fractions are cut, a number
// out of range or a text that is no number leaves the preset 0.
std::int32_t DriverInteger(std::string_view Text) {
    if (Text.empty()) return 0;
    std::int32_t strict = StrictInteger(Text);
    if (strict != 0 || Text == "0" || Text == "-0" || Text == "+0") return strict;
    std::string copy(Text);
    char* end = nullptr;
    double d = std::strtod(copy.c_str(), &end);
    if (end != copy.c_str() + copy.size() || !std::isfinite(d)) return 0;
    d = std::trunc(d);
    if (d < std::numeric_limits<std::int32_t>::min() || d > std::numeric_limits<std::int32_t>::max())
        return 0;
    return static_cast<std::int32_t>(d);
}

} // namespace

TODBCStatement::TODBCStatement(TODBC* Connection_, bool ReadOnly, bool PlainHandle)
    : Connection(Connection_) {
    BindColumns = Connection && Connection->BindColumns;
    // Without a connection handle the driver manager would reject the allocation; with a
    // driver manager that failed to load there is no table to call at all.
    if (Connection && Connection->DbcHandle != SQL_NULL_HDBC && ODBCLoaded()) {
        OnWorker([&] {
            if (PlainHandle)
                Allocated = SQLSucceeded(
                    ODBC_CALL(SQLAllocHandle, SQL_HANDLE_STMT, Connection->DbcHandle, &StmtHandle));
            else
                Allocated = FullSetup(ReadOnly);
        });
    }
    if (!Allocated) StmtHandle = SQL_NULL_HSTMT;
    if (Allocated) Connection->RegisterStatement(this);
}

TODBCStatement::~TODBCStatement() {
    FinishAhead();
    // A detached statement has no handle and no connection left to touch.
    if (Connection) Connection->UnregisterStatement(this);
    OnWorker([&] { Detach(); });
}

void TODBCStatement::Detach() {
    if (Allocated) {
        CheckErrorOnWorker(ODBC_CALL(SQLCancel, StmtHandle));
        ResetOnWorker();
        CheckErrorOnWorker(ODBC_CALL(SQLFreeHandle, SQL_HANDLE_STMT, StmtHandle));
        StmtHandle = SQL_NULL_HSTMT;
        Allocated = false;
    }
    Connection = nullptr;
    ColumnList.Clear();
    ColumnBuffers.clear();
    BufferCount = 0;
    ClearBlock();
}

void TODBCStatement::SetFailed(std::string Text) {
    FFailed = true;
    FLastError = std::move(Text);
}

void TODBCStatement::SetFailedFromHandle(const char* Fallback) {
    std::string text = DiagnosticRecords(SQL_HANDLE_STMT, StmtHandle);
    SetFailed(text.empty() ? Fallback : std::move(text));
}

bool TODBCStatement::FullSetup(bool ReadOnly) {
    if (!SQLSucceeded(ODBC_CALL(SQLAllocHandle, SQL_HANDLE_STMT, Connection->DbcHandle, &StmtHandle)))
        return false;
    auto setAttr = [this](SQLINTEGER attr, SQLULEN value) {
        return ODBC_CALL(SQLSetStmtAttr, StmtHandle, attr, reinterpret_cast<SQLPOINTER>(value),
                         SQL_IS_UINTEGER);
    };
    if (ReadOnly) {
        CheckErrorOnWorker(setAttr(SQL_ATTR_CONCURRENCY, SQL_CONCUR_READ_ONLY));
    } else {
        for (SQLULEN concurrency : {SQL_CONCUR_ROWVER, SQL_CONCUR_VALUES, SQL_CONCUR_LOCK})
            if (setAttr(SQL_ATTR_CONCURRENCY, concurrency) != SQL_ERROR) break;
    }
    CheckErrorOnWorker(setAttr(SQL_ATTR_CURSOR_TYPE, SQL_CURSOR_DYNAMIC));

    auto cursorType = [this] {
        SQLULEN type = 0;
        CheckErrorOnWorker(
            ODBC_CALL(SQLGetStmtAttr, StmtHandle, SQL_ATTR_CURSOR_TYPE, &type, SQL_IS_UINTEGER, nullptr));
        return type;
    };
    // A static cursor is a copy of the whole result in the client (the SQLite driver gives one
    // for the dynamic cursor asked for, and so does MySQL's), so memory would grow with the
    // table; every reader moves forward only, so take the forward-only cursor instead.
    TDatabaseKind kind = Connection->DatabaseKind();
    SQLULEN granted = cursorType();
    if ((kind == dkOracle && granted == SQL_CURSOR_KEYSET_DRIVEN) || granted == SQL_CURSOR_STATIC)
        CheckErrorOnWorker(setAttr(SQL_ATTR_CURSOR_TYPE, SQL_CURSOR_FORWARD_ONLY));

    SQLULEN type = cursorType();
    SQLUSMALLINT query = SQL_FORWARD_ONLY_CURSOR_ATTRIBUTES1;
    if (type == SQL_CURSOR_KEYSET_DRIVEN)
        query = SQL_KEYSET_CURSOR_ATTRIBUTES1;
    else if (type == SQL_CURSOR_DYNAMIC)
        query = SQL_DYNAMIC_CURSOR_ATTRIBUTES1;
    else if (type == SQL_CURSOR_STATIC)
        query = SQL_STATIC_CURSOR_ATTRIBUTES1;
    SQLUINTEGER attributes = 0;
    SQLRETURN ret =
        ODBC_CALL(SQLGetInfo, Connection->DbcHandle, query, &attributes, sizeof attributes, nullptr);
    Connection->CheckError(ret);
    if (!SQLSucceeded(ret)) attributes = 0;
    CanRefresh = (attributes & SQL_CA1_POS_REFRESH) && type != SQL_CURSOR_STATIC;
    CanAbsolute = attributes & SQL_CA1_ABSOLUTE;
    CanRelative = attributes & SQL_CA1_RELATIVE;
    ForwardOnly = !CanAbsolute && !CanRelative;

    CheckErrorOnWorker(setAttr(SQL_ATTR_MAX_ROWS, 0));
    return true;
}

void TODBCStatement::Reset() {
    FinishAhead();
    OnWorker([&] { ResetOnWorker(); });
}

void TODBCStatement::ResetOnWorker() {
    ClearBlock();
    if (!Allocated) return;
    EndArrayReads();
    CheckErrorOnWorker(ODBC_CALL(SQLFreeStmt, StmtHandle, SQL_CLOSE));
    CheckErrorOnWorker(ODBC_CALL(SQLFreeStmt, StmtHandle, SQL_UNBIND));
    CheckErrorOnWorker(ODBC_CALL(SQLFreeStmt, StmtHandle, SQL_RESET_PARAMS));
}

bool TODBCStatement::ExecSQL(const std::string& SQL, bool IsQuery, bool Prepared) {
    FinishAhead();
    FFailed = false;
    FLastError.clear();
    // An unallocated statement fails here as the driver manager would fail its null handle.
    if (!Allocated || !Connection) {
        ClearBlock();
        SetFailed(NoHandle);
        return false;
    }
    std::atomic<std::int32_t> result{TMyThread::Running};
    bool answer = false;
    auto work = [&] { answer = ExecuteOnWorker(SQL, IsQuery, Prepared, result); };
    TMyThread& worker = Connection->Worker();
    if (worker.OnWorker()) {
        work();
        return answer;
    }
    // The worker executes (and reads the first rows) while this thread keeps the window's
    // events flowing and passes a cancel request on.
    CancelRequested = false;
    Executing = true;
    TMyThread::TTask task = TMyThread::Task(work);
    worker.Post(task);
    while (!worker.WaitFor(task, 20)) {
        ProcessMessages();
        if (CancelRequested && result.load() == TMyThread::Running) ODBC_CALL(SQLCancel, StmtHandle);
    }
    Executing = false;
    Connection->FlushBoxes();
    worker.Wait(task);
    if (answer) StartAhead();
    return answer;
}

bool TODBCStatement::ExecuteOnWorker(const std::string& SQL, bool IsQuery, bool Prepared,
                                     std::atomic<std::int32_t>& Result) {
    ClearBlock();
    EndArrayReads();
    if (!Prepared) ODBC_CALL(SQLFreeStmt, StmtHandle, SQL_UNBIND);
    CheckErrorOnWorker(ODBC_CALL(SQLFreeStmt, StmtHandle, SQL_CLOSE));

    SQLRETURN ret;
    if (Prepared) {
        ret = ODBC_CALL(SQLExecute, StmtHandle);
    } else {
        try {
            ret = ODBC_CALL(SQLExecDirect, StmtHandle, reinterpret_cast<SQLCHAR*>(const_cast<char*>(SQL.c_str())),
                            SQL_NTS);
        } catch (...) {
            // An exception out of the driver is a failed execution.
            ret = SQL_ERROR;
        }
    }
    Result.store(ret);
    std::string keyword = Trim(UpperCase(std::string_view(SQL).substr(0, 6)));

    if (SQLSucceeded(ret)) {
        DescribeOnWorker();
        if (keyword == "SELECT" || IsQuery) {
            if (ThirdWord(SQL) == "INTO") return true;
            PlanReads();
            if (FetchOnWorker(fdNext, 1)) return true;
            return !FFailed && Connection->AllowEmptyResult;
        }
        return true;
    }
    if (ret == SQL_NO_DATA) return keyword == "INSERT" || keyword == "DELETE" || keyword == "UPDATE";
    SetFailedFromHandle("The statement failed without a diagnostic");
    return false;
}

bool TODBCStatement::ExecSQLFmt(std::string_view Fmt, FormatArgs Args) {
    return ExecSQL(Format(Fmt, Args), false, false);
}

std::string TODBCStatement::ThirdWord(std::string_view Text) {
    // Positions as in a 1-based string: 0 means "no blank".
    std::size_t blank = Text.find(' ');
    std::size_t p1 = blank == std::string_view::npos ? 0 : blank + 1;
    blank = Text.substr(p1).find(' ');
    std::size_t p2 = blank == std::string_view::npos ? 0 : blank + 1;
    // Trimmed and cut before upper-casing, so only the word is copied, not the rest of the statement.
    std::string_view tail = TrimView(Text.substr(std::min(p1 + p2, Text.size())));
    return UpperCase(tail.substr(0, tail.find(' ')));
}

bool TODBCStatement::BindColumn(int Index, std::size_t Bytes) {
    TFieldSlot& slot = slots_[Index];
    TodBytes& buffer = ColumnBuffers[Index];
    buffer.assign(Bytes + 2, 0);
    slot.BindLength = static_cast<SQLLEN>(Bytes + 1);
    SQLRETURN ret = ODBC_CALL(SQLBindCol, StmtHandle, static_cast<SQLUSMALLINT>(Index + 1), SQL_C_CHAR,
                              buffer.data(), slot.BindLength, &ColumnList[Index].Indicator);
    CheckErrorOnWorker(ret);
    slot.Bound = SQLSucceeded(ret);
    return slot.Bound;
}

void TODBCStatement::DescribeColumns() {
    FinishAhead();
    OnWorker([&] { DescribeOnWorker(); });
}

void TODBCStatement::DescribeOnWorker() {
    ColumnList.Clear();
    ClearBlock();
    growPending_ = false;
    SQLSMALLINT count = 0;
    if (!Allocated || !SQLSucceeded(ODBC_CALL(SQLNumResultCols, StmtHandle, &count))) count = 0;
    if (count < 0) count = 0;
    ColumnBuffers.clear();
    ColumnBuffers.resize(BindColumns ? count : 0);
    BufferCount = BindColumns ? count : 0;
    FRowBound = BindColumns;
    FForwardCursor = false; // PlanReads decides for the results of executions
    // Slots keep their buffers across executions so that repeated queries do not allocate.
    if (slots_.size() < static_cast<std::size_t>(count)) slots_.resize(count);
    for (auto& slot : slots_) {
        slot.Bound = slot.BoundInBoundMode = false;
        slot.BindLength = 0;
        slot.GrowTo = 0;
        slot.SqlType = SQL_UNKNOWN_TYPE;
        slot.Binary = false;
    }

    for (SQLUSMALLINT column = 1; column <= count; ++column) {
        char name[254] = {};
        SQLSMALLINT nameLength = 0;
        SQLSMALLINT sqlType = SQL_CHAR;
        std::int64_t size = 0;
        if (Connection->UseDescribeCol) {
            SQLULEN columnSize = 0;
            SQLSMALLINT decimals = 0, nullable = 0;
            CheckErrorOnWorker(ODBC_CALL(SQLDescribeCol, StmtHandle, column, reinterpret_cast<SQLCHAR*>(name),
                                 sizeof name, &nameLength, &sqlType, &columnSize, &decimals, &nullable));
            size = static_cast<std::int64_t>(columnSize);
        } else {
            CheckErrorOnWorker(ODBC_CALL(SQLColAttribute, StmtHandle, column, SQL_DESC_NAME, name, sizeof name,
                                 &nameLength, nullptr));
            char scratch[32] = {};
            SQLLEN number = 0;
            CheckErrorOnWorker(ODBC_CALL(SQLColAttribute, StmtHandle, column, SQL_DESC_DISPLAY_SIZE, scratch,
                                 sizeof scratch, nullptr, &number));
            size = number;
            number = 0;
            SQLRETURN ret = ODBC_CALL(SQLColAttribute, StmtHandle, column, SQL_DESC_CONCISE_TYPE, nullptr, 0,
                                      nullptr, &number);
            sqlType = SQLSucceeded(ret) ? static_cast<SQLSMALLINT>(number & 0xFFFF) : SQL_CHAR;
        }
        // The column's data type as the driver describes it. The SQLite driver answers the
        // concise type with the C type it would convert to (SQL_CHAR for a blob), so the
        // column-type code keeps that answer while binary values are told by this one.
        SQLSMALLINT describedType = sqlType;
        if (!Connection->UseDescribeCol) {
            SQLULEN columnSize = 0;
            SQLSMALLINT decimals = 0, nullable = 0, ignoredLength = 0, type = 0;
            char ignored[2];
            if (SQLSucceeded(ODBC_CALL(SQLDescribeCol, StmtHandle, column, reinterpret_cast<SQLCHAR*>(ignored),
                                       sizeof ignored, &ignoredLength, &type, &columnSize, &decimals,
                                       &nullable)))
                describedType = type;
        }
        std::size_t length = std::clamp<int>(nameLength, 0, 253);
        std::string_view columnName(name, strnlen(name, length));
        // Sizes beyond 32 bits (MariaDB reports 4294967295 for LONGTEXT) are held at the largest value.
        std::int32_t size32 = static_cast<std::int32_t>(std::clamp<std::int64_t>(
            size, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
        TColumnType type = ColumnTypeOf(sqlType);
        if (type == ctUnknown && sqlType != SQL_UNKNOWN_TYPE) size32 = 0;
        int index = ColumnList.AddColumn(columnName, type, size32);
        slots_[index].SqlType = describedType;
        slots_[index].Binary = IsBinarySqlType(describedType);

        if (BindColumns) {
            // Long text, binary values and unlisted types are read in full with SQLGetData,
            // never bound: binary values come as raw bytes, not as the driver's text.
            if (type == ctMemo || type == ctUnknown || slots_[index].Binary)
                ColumnBuffers[index].assign(1, 0);
            else
                slots_[index].BoundInBoundMode = BindColumn(index, TextBytes(type, size32));
        }
    }
}

void TODBCStatement::TBlock::Clear() {
    ArenaUsed = 0;
    Rows = 0;
    End = Failed = false;
    Error.clear();
}

void TODBCStatement::ClearBlock() {
    FBlocks[0].Clear();
    FBlocks[1].Clear();
    FShow = FFill = &FBlocks[0];
    FCurrent = -1;
}

void TODBCStatement::StartAhead() {
    // Only a forward-only cursor read forward: a scrolling reader counts on the driver
    // standing on the last row handed out.
    if (!FForwardCursor || !Connection || !Connection->ReadAhead || FAhead || FShow->Rows == 0 || FShow->End || FShow->Failed) return;
    TMyThread& worker = Connection->Worker();
    if (worker.OnWorker()) return;
    FFill = FShow == &FBlocks[0] ? &FBlocks[1] : &FBlocks[0];
    FAheadWork = [this] { FillBlock(false, BlockRows); };
    FAheadTask = TMyThread::Task(FAheadWork);
    FAheadWorker = &worker;
    worker.Post(FAheadTask);
    FAhead = true;
}

void TODBCStatement::FinishAhead() {
    if (!FAhead) return;
    FAhead = false;
    // A statement detached meanwhile had its handle freed by a task queued after the fill,
    // so the fill has run; its worker may be gone with the connection.
    if (!Connection) return;
    try {
        FAheadWorker->Wait(FAheadTask);
    } catch (const std::exception& e) {
        FFill->Rows = 0;
        FFill->Failed = true;
        FFill->Error = e.what();
    }
}

void TODBCStatement::PlanReads() {
    FForwardCursor = false;
    const int columns = ColumnList.Count();
    if (columns == 0 || !Connection) return;
    if (!FGetDataKnown) {
        FGetDataKnown = true;
        if (!SQLSucceeded(ODBC_CALL(SQLGetInfo, Connection->DbcHandle, SQL_GETDATA_EXTENSIONS, &FGetDataExtensions,
                                    sizeof FGetDataExtensions, nullptr)))
            FGetDataExtensions = 0;
    }
    SQLULEN cursor = 0;
    FForwardCursor = SQLSucceeded(ODBC_CALL(SQLGetStmtAttr, StmtHandle, SQL_ATTR_CURSOR_TYPE, &cursor,
                                            SQL_IS_UINTEGER, nullptr)) &&
                     cursor == SQL_CURSOR_FORWARD_ONLY;
    if (PlanArrayReads()) return;
    // One row per fetch. Bound mode has bound its columns already; otherwise bind those of
    // bounded size too, so that one SQLFetch moves them without a call per field. A value
    // longer than its buffer is then read again whole with SQLGetData, which the driver must
    // allow on bound columns, in any order.
    if (BindColumns) return;
    constexpr SQLUINTEGER needed = SQL_GD_BOUND | SQL_GD_ANY_COLUMN | SQL_GD_ANY_ORDER;
    if ((FGetDataExtensions & needed) != needed) return;
    ColumnBuffers.assign(static_cast<std::size_t>(columns), TodBytes{});
    BufferCount = columns;
    for (int i = 0; i < columns; ++i) {
        const TColumnType type = ColumnList[i].ColType;
        if (type == ctMemo || type == ctUnknown || slots_[i].Binary) {
            ColumnBuffers[i].assign(1, 0);
            continue;
        }
        if (BindColumn(i, TextBytes(type, ColumnList[i].Size))) FRowBound = true;
    }
}

bool TODBCStatement::PlanArrayReads() {
    // A value cut in an array cannot be read again: no driver here positions within a rowset
    // for SQLGetData reliably (MariaDB's connector then reads another row and loses rows after
    // it, SQLite's refuses on a forward-only cursor). So arrays are used only where the server
    // keeps every value within its column's described length, as MariaDB and MySQL do, and
    // only for columns of such a length; a cell that is cut all the same fails the read.
    if (Connection->DatabaseKind() != dkMySQL || !FForwardCursor) return false;
    const int columns = ColumnList.Count();
    FArrayWidth.assign(static_cast<std::size_t>(columns), 0);
    FArrayOffset.assign(static_cast<std::size_t>(columns), 0);
    std::size_t rowBytes = 0;
    for (int i = 0; i < columns; ++i) {
        if (slots_[i].Binary) return false;
        const SQLLEN width = ArrayValueBytes(ColumnList[i].ColType, ColumnList[i].Size);
        if (width == 0) return false;
        FArrayWidth[i] = width;
        rowBytes += static_cast<std::size_t>(width);
    }
    const auto rows = static_cast<SQLULEN>(std::min<std::size_t>(ArrayRows, BlockBytes / rowBytes));
    if (rows < MinArrayRows) return false;
    // The connector's conversion of numbers to text is the largest part of its fetch.
    FArrayCType = NativeColumns(FArrayWidth);
    std::size_t at = 0;
    for (int i = 0; i < columns; ++i) {
        const SQLSMALLINT cType = FArrayCType[static_cast<std::size_t>(i)];
        if (cType != SQL_C_CHAR) {
            // A fixed-size C type is laid out at its own size, whatever the buffer length.
            FArrayWidth[i] = 8;
            at = (at + 7) / 8 * 8;
        }
        FArrayOffset[i] = at;
        at += static_cast<std::size_t>(FArrayWidth[i]) * rows;
    }
    FArrayData.resize(at);
    FArrayIndicator.assign(static_cast<std::size_t>(columns) * rows, 0);
    FRowStatus.assign(rows, SQL_ROW_NOROW);

    // Bound mode bound the columns one row at a time.
    ODBC_CALL(SQLFreeStmt, StmtHandle, SQL_UNBIND);
    auto setAttr = [this](SQLINTEGER attr, SQLPOINTER value) {
        return SQLSucceeded(ODBC_CALL(SQLSetStmtAttr, StmtHandle, attr, value, 0));
    };
    FArrayRows = rows; // from here on EndArrayReads undoes what was set
    SQLULEN granted = 0;
    bool ok = setAttr(SQL_ATTR_ROW_BIND_TYPE, reinterpret_cast<SQLPOINTER>(SQL_BIND_BY_COLUMN)) &&
              setAttr(SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(rows)) &&
              SQLSucceeded(ODBC_CALL(SQLGetStmtAttr, StmtHandle, SQL_ATTR_ROW_ARRAY_SIZE, &granted, SQL_IS_UINTEGER,
                                     nullptr)) &&
              granted == rows && setAttr(SQL_ATTR_ROWS_FETCHED_PTR, &FRowsFetched) &&
              setAttr(SQL_ATTR_ROW_STATUS_PTR, FRowStatus.data());
    for (int i = 0; ok && i < columns; ++i)
        ok = SQLSucceeded(ODBC_CALL(SQLBindCol, StmtHandle, static_cast<SQLUSMALLINT>(i + 1),
                                    FArrayCType[static_cast<std::size_t>(i)],
                                    FArrayData.data() + FArrayOffset[i], FArrayWidth[i],
                                    FArrayIndicator.data() + static_cast<std::size_t>(i) * rows));
    if (ok) {
        FRowBound = false;
        return true;
    }
    EndArrayReads();
    if (BindColumns)
        for (int i = 0; i < columns; ++i)
            if (slots_[i].Bound) BindColumn(i, TextBytes(ColumnList[i].ColType, ColumnList[i].Size));
    return false;
}

std::vector<SQLSMALLINT> TODBCStatement::NativeColumns(const std::vector<SQLLEN>& TextWidths) {
    const auto columns = static_cast<std::size_t>(ColumnList.Count());
    std::vector<SQLSMALLINT> native(columns, SQL_C_CHAR);
    if (!Connection->BinaryNumbers) return native;
    // The connector describes a DOUBLE(M,D), a ZEROFILL double or integer and a YEAR just
    // like plain ones, but writes their values with fixed decimals or padding; only the
    // definition of the column tells them apart. So a column qualifies only when it is a
    // table's or a view's column (an expression or a derived table's column has no database)
    // whose type, as the table stands for this session, is a plain "double" or integer.
    struct TOrigin {
        std::string Catalog, Table, Column;
    };
    std::vector<TOrigin> origins(columns);
    auto name = [this](SQLUSMALLINT Column, SQLUSMALLINT Field) {
        char text[256];
        SQLSMALLINT length = 0;
        if (!SQLSucceeded(ODBC_CALL(SQLColAttribute, StmtHandle, Column, Field, text, sizeof text, &length, nullptr)) ||
            length <= 0 || length >= static_cast<SQLSMALLINT>(sizeof text))
            return std::string();
        return std::string(text, static_cast<std::size_t>(length));
    };
    bool any = false;
    for (std::size_t i = 0; i < columns; ++i) {
        const SQLSMALLINT type = slots_[i].SqlType;
        if (ExpectedCType(type) == SQL_C_CHAR || (type == SQL_DOUBLE && TextWidths[i] < MinDoubleTextWidth)) continue;
        const auto column = static_cast<SQLUSMALLINT>(i + 1);
        TOrigin origin{name(column, SQL_DESC_CATALOG_NAME), name(column, SQL_DESC_BASE_TABLE_NAME),
                       name(column, SQL_DESC_BASE_COLUMN_NAME)};
        if (origin.Catalog.empty() || origin.Table.empty() || origin.Column.empty()) continue;
        origins[i] = std::move(origin);
        any = true;
    }
    if (!any) return native;

    // SHOW COLUMNS finds what the select found, a temporary table hiding a table of the same
    // name included (information_schema does not list temporary tables).
    SQLHSTMT look = SQL_NULL_HSTMT;
    if (!SQLSucceeded(ODBC_CALL(SQLAllocHandle, SQL_HANDLE_STMT, Connection->DbcHandle, &look))) return native;
    constexpr SQLULEN lookRows = 64;
    constexpr SQLLEN fieldWidth = 257, typeWidth = 32; // a longer type is no plain one
    std::vector<char> fields(lookRows * fieldWidth), types(lookRows * typeWidth);
    std::vector<SQLLEN> fieldLength(lookRows), typeLength(lookRows);
    SQLULEN fetched = 0;
    bool ok = SQLSucceeded(ODBC_CALL(SQLSetStmtAttr, look, SQL_ATTR_ROW_ARRAY_SIZE,
                                     reinterpret_cast<SQLPOINTER>(lookRows), 0)) &&
              SQLSucceeded(ODBC_CALL(SQLSetStmtAttr, look, SQL_ATTR_ROWS_FETCHED_PTR, &fetched, 0)) &&
              SQLSucceeded(ODBC_CALL(SQLBindCol, look, 1, SQL_C_CHAR, fields.data(), fieldWidth, fieldLength.data())) &&
              SQLSucceeded(ODBC_CALL(SQLBindCol, look, 2, SQL_C_CHAR, types.data(), typeWidth, typeLength.data()));
    std::vector<bool> looked(columns, false);
    for (std::size_t first = 0; ok && first < columns; ++first) {
        if (origins[first].Table.empty() || looked[first]) continue;
        const TOrigin& table = origins[first];
        std::string sql = "SHOW COLUMNS FROM " + Backquoted(table.Table) + " FROM " + Backquoted(table.Catalog);
        ODBC_CALL(SQLFreeStmt, look, SQL_CLOSE);
        if (!SQLSucceeded(ODBC_CALL(SQLExecDirect, look, reinterpret_cast<SQLCHAR*>(sql.data()), SQL_NTS))) break;
        std::vector<std::pair<std::string, SQLSMALLINT>> plain;
        for (;;) {
            fetched = 0;
            const SQLRETURN ret = ODBC_CALL(SQLFetch, look);
            if (!SQLSucceeded(ret)) break;
            for (SQLULEN row = 0; row < std::min(fetched, lookRows); ++row) {
                const SQLLEN fieldBytes = fieldLength[row], typeBytes = typeLength[row];
                if (fieldBytes <= 0 || fieldBytes >= fieldWidth || typeBytes <= 0 || typeBytes >= typeWidth) continue;
                const SQLSMALLINT cType =
                    NativeCTypeOf(std::string_view(types.data() + row * typeWidth, static_cast<std::size_t>(typeBytes)));
                if (cType != SQL_C_CHAR)
                    plain.emplace_back(std::string(fields.data() + row * fieldWidth, static_cast<std::size_t>(fieldBytes)),
                                       cType);
            }
        }
        for (std::size_t i = first; i < columns; ++i) {
            if (origins[i].Table != table.Table || origins[i].Catalog != table.Catalog) continue;
            looked[i] = true;
            const SQLSMALLINT expected = ExpectedCType(slots_[i].SqlType);
            for (const auto& [column, cType] : plain)
                if (SameText(column, origins[i].Column) && (cType == expected || (expected == SQL_C_SBIGINT && cType == SQL_C_UBIGINT)))
                    native[i] = cType;
        }
    }
    ODBC_CALL(SQLFreeHandle, SQL_HANDLE_STMT, look);
    return native;
}

void TODBCStatement::EndArrayReads() {
    if (!FArrayRows) return;
    FArrayRows = 0;
    ODBC_CALL(SQLFreeStmt, StmtHandle, SQL_UNBIND);
    ODBC_CALL(SQLSetStmtAttr, StmtHandle, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(1), 0);
    ODBC_CALL(SQLSetStmtAttr, StmtHandle, SQL_ATTR_ROWS_FETCHED_PTR, nullptr, 0);
    ODBC_CALL(SQLSetStmtAttr, StmtHandle, SQL_ATTR_ROW_STATUS_PTR, nullptr, 0);
}

// Marks the end of the rows or the fetch's failure for the block being filled.
bool TODBCStatement::BlockFetchEnds(SQLRETURN Ret) {
    if (Ret == SQL_NO_DATA) {
        FFill->End = true;
        return true;
    }
    if (SQLSucceeded(Ret)) return false;
    FFill->Failed = true;
    FFill->Error = DiagnosticRecords(SQL_HANDLE_STMT, StmtHandle);
    if (FFill->Error.empty()) FFill->Error = "Fetch failed without a diagnostic";
    return true;
}

void TODBCStatement::FillArrayBlock(bool Fetched) {
    FFill->Clear();
    SQLRETURN ret = SQL_SUCCESS;
    if (!Fetched) {
        FRowsFetched = 0;
        ret = ODBC_CALL(SQLFetch, StmtHandle);
    }
    if (BlockFetchEnds(ret)) return;
    const auto columns = static_cast<std::size_t>(ColumnList.Count());
    const std::size_t rows = std::min(FRowsFetched, FArrayRows);
    if (FFill->Fields.size() < rows * columns) FFill->Fields.resize(rows * columns);
    for (std::size_t row = 0; row < rows; ++row) {
        const SQLUSMALLINT status = FRowStatus[row];
        if (status == SQL_ROW_NOROW) break;
        if (status == SQL_ROW_ERROR) {
            FFill->Failed = true;
            FFill->Error = DiagnosticRecords(SQL_HANDLE_STMT, StmtHandle);
            if (FFill->Error.empty()) FFill->Error = "A row could not be read";
            return;
        }
        for (std::size_t i = 0; i < columns; ++i) {
            TFieldRef& field = FFill->Fields[row * columns + i];
            const SQLLEN indicator = FArrayIndicator[i * FArrayRows + row];
            field = TFieldRef{FFill->ArenaUsed, 0, indicator == SQL_NULL_DATA};
            if (field.Null) continue;
            TodBytes& arena = FFill->Arena;
            if (FArrayCType[i] != SQL_C_CHAR) {
                const auto width = static_cast<std::size_t>(FArrayWidth[i]);
                const char* cell = FArrayData.data() + FArrayOffset[i] + row * width;
                double value = 0;
                if (FArrayCType[i] == SQL_C_DOUBLE) std::memcpy(&value, cell, sizeof value);
                if (!std::isfinite(value)) {
                    FFill->Failed = true;
                    FFill->Error = "A value of column " + ColumnList[static_cast<int>(i)].Name + " is not a finite number";
                    return;
                }
                if (arena.size() < FFill->ArenaUsed + width)
                    arena.resize(std::max(FFill->ArenaUsed + width, arena.size() * 2));
                std::memcpy(arena.data() + FFill->ArenaUsed, cell, width);
                field.Length = width;
                FFill->ArenaUsed += width;
                continue;
            }
            const SQLLEN room = FArrayWidth[i] - 1;
            if (indicator < 0 || indicator > room) {
                // Never handed out cut: the read fails, naming the column.
                FFill->Failed = true;
                FFill->Error = "A value of column " + ColumnList[static_cast<int>(i)].Name +
                              " is longer than the driver described its column (" + std::to_string(room) +
                              " bytes)";
                return;
            }
            // Copied out: the arrays take the next rowset while the caller still reads these rows.
            const auto length = static_cast<std::size_t>(indicator);
            if (arena.size() < FFill->ArenaUsed + length)
                arena.resize(std::max(FFill->ArenaUsed + length, arena.size() * 2));
            std::memcpy(arena.data() + FFill->ArenaUsed,
                        FArrayData.data() + FArrayOffset[i] + row * static_cast<std::size_t>(FArrayWidth[i]), length);
            RenderBit(static_cast<int>(i), arena.data() + FFill->ArenaUsed, length);
            field.Length = length;
            FFill->ArenaUsed += length;
        }
        ++FFill->Rows;
    }
}

bool TODBCStatement::Fetch(TFetchDirection Direction, std::int32_t Offset) {
    FFailed = false;
    FLastError.clear();
    // Forward-only cursors move to the next row whatever the direction.
    bool next = Direction == fdNext || ForwardOnly;
    if (next && FCurrent + 1 < FShow->Rows) {
        ++FCurrent; // read ahead already
        return true;
    }
    if (FAhead) {
        FinishAhead();
        if (next) {
            // The next block, read while this one was handed out.
            FShow = FFill;
            FCurrent = -1;
            if (FShow->Rows > 0) {
                FCurrent = 0;
                StartAhead();
                return true;
            }
            if (FShow->Failed || FShow->End) {
                if (FShow->Failed) SetFailed(FShow->Error);
                ClearBlock();
                return false;
            }
        } else {
            // A move elsewhere: the driver is a block further on than the rows handed out.
            FFill->Clear();
            FFill = FShow;
        }
    }
    if (next && (FShow->End || FShow->Failed) && FShow->Rows > 0) {
        // The block ended with the end of the rows or a failure; report it once.
        if (FShow->Failed) SetFailed(FShow->Error);
        ClearBlock();
        return false;
    }
    if (!Allocated) {
        ClearBlock();
        SetFailed(NoHandle);
        return false;
    }
    bool result = false;
    OnWorker([&] { result = FetchOnWorker(Direction, Offset); });
    if (result && next) StartAhead();
    return result;
}

bool TODBCStatement::FetchOnWorker(TFetchDirection Direction, std::int32_t Offset) {
    FFill = FShow; // filled while the caller waits
    int direction = Direction;
    if ((Direction == fdFirst || Direction == fdLast || Direction == fdAbsolute) && !CanAbsolute)
        direction = -1;
    if ((Direction == fdPrior || Direction == fdRelative) && !CanRelative) direction = -1;
    if (Direction > fdRelative) direction = -1;
    if (ForwardOnly) direction = fdNext;

    // The driver stands on the last row read ahead (or after the end): moves relative to
    // the current row count the rows it is ahead.
    SQLLEN ahead = FShow->Rows > 0 ? (FShow->Rows - 1 - FCurrent) + (FShow->End ? 1 : 0) : 0;
    SQLSMALLINT orientation = SQL_FETCH_NEXT;
    SQLLEN offset = 0;
    switch (direction) {
    case fdNext:
        break;
    case fdFirst:
        orientation = SQL_FETCH_FIRST;
        break;
    case fdLast:
        orientation = SQL_FETCH_LAST;
        break;
    case fdPrior:
        orientation = ahead ? SQL_FETCH_RELATIVE : SQL_FETCH_PRIOR;
        offset = -1 - ahead;
        break;
    case fdAbsolute:
        orientation = SQL_FETCH_ABSOLUTE;
        offset = Offset;
        break;
    case fdRelative:
        orientation = SQL_FETCH_RELATIVE;
        offset = Offset - ahead;
        break;
    default:
        ClearBlock();
        SetFailed("The cursor cannot move in that direction");
        return false;
    }
    if (orientation == SQL_FETCH_PRIOR) offset = 0;
    bool fetched = false;
    if (orientation != SQL_FETCH_NEXT) {
        SQLRETURN ret = ODBC_CALL(SQLFetchScroll, StmtHandle, orientation, offset);
        if (ret != SQL_NO_DATA && !SQLSucceeded(ret)) {
            // A refused move leaves the cursor, and the rows read ahead, where they were.
            SetFailedFromHandle("Fetch failed without a diagnostic");
            return false;
        }
        if (ret == SQL_NO_DATA) {
            ClearBlock();
            return false;
        }
        fetched = true;
    }
    // Only moves to the next row read further ahead: a scrolling reader wants one row.
    FillBlock(fetched, direction == fdNext ? BlockRows : 1);
    if (FShow->Rows > 0) {
        FCurrent = 0;
        return true;
    }
    if (FShow->Failed) SetFailed(FShow->Error);
    return false;
}

void TODBCStatement::FillBlock(bool Fetched, int MaxRows) {
    if (FArrayRows) {
        FillArrayBlock(Fetched);
        return;
    }
    FFill->Clear();
    const int columns = ColumnList.Count();
    for (int row = 0; row < MaxRows; ++row) {
        if (FRowBound && !(row == 0 && Fetched)) {
            if (growPending_) {
                // A value was cut in an earlier row: widen that buffer for the rows to come.
                growPending_ = false;
                for (int i = 0; i < BufferCount && i < columns; ++i)
                    if (slots_[i].GrowTo) {
                        BindColumn(i, slots_[i].GrowTo);
                        slots_[i].GrowTo = 0;
                    }
            }
            for (int i = 0; i < BufferCount && i < columns; ++i) {
                ColumnBuffers[i][0] = 0;
                ColumnList[i].Indicator = 0;
            }
        }
        SQLRETURN ret = row == 0 && Fetched ? SQL_SUCCESS : ODBC_CALL(SQLFetch, StmtHandle);
        if (BlockFetchEnds(ret)) return;
        if (FFill->Fields.size() < static_cast<std::size_t>((row + 1) * columns))
            FFill->Fields.resize(static_cast<std::size_t>((row + 1) * columns));
        if (!ReadRow(row)) {
            // The row that could not be read whole is not handed out.
            FFill->Failed = true;
            return;
        }
        ++FFill->Rows;
        if (FFill->ArenaUsed > BlockBytes) return;
    }
}

bool TODBCStatement::ReadRow(int Row) {
    const int columns = ColumnList.Count();
    for (int i = 0; i < columns; ++i) {
        TFieldRef& field = FFill->Fields[static_cast<std::size_t>(Row * columns + i)];
        field = TFieldRef{FFill->ArenaUsed, 0, false};
        TFieldSlot& slot = slots_[i];
        if (FRowBound && slot.Bound) {
            SQLLEN indicator = ColumnList[i].Indicator;
            if (indicator == SQL_NULL_DATA) {
                field.Null = true;
                continue;
            }
            auto room = static_cast<std::size_t>(slot.BindLength - 1);
            if (indicator != SQL_NO_TOTAL && static_cast<std::size_t>(indicator) <= room) {
                auto length = static_cast<std::size_t>(indicator);
                if (FFill->Arena.size() < FFill->ArenaUsed + length)
                    FFill->Arena.resize(std::max(FFill->ArenaUsed + length, FFill->Arena.size() * 2));
                // An empty value may come while the arena has no storage yet (data() null).
                if (length != 0) std::memcpy(FFill->Arena.data() + FFill->ArenaUsed, ColumnBuffers[i].data(), length);
                RenderBit(i, FFill->Arena.data() + FFill->ArenaUsed, length);
                field.Length = length;
                FFill->ArenaUsed += length;
                continue;
            }
            // The driver cut the value: read it whole and bind wider for the following rows.
            if (slot.GrowTo == 0) {
                std::size_t want = indicator == SQL_NO_TOTAL ? room * 2 : static_cast<std::size_t>(indicator) + 16;
                slot.GrowTo = std::min(want, MaxBoundBuffer);
                growPending_ = true;
            }
        }
        if (!ReadWhole(i, field)) return false;
    }
    return true;
}

bool TODBCStatement::ReadWhole(int Index, TFieldRef& Field) {
    const TFieldSlot& slot = slots_[Index];
    // Text pieces arrive terminated, so a piece holds one byte less of them; binary ones do not.
    const SQLSMALLINT cType = slot.Binary ? SQL_C_BINARY : SQL_C_CHAR;
    const SQLLEN terminator = slot.Binary ? 0 : 1;
    std::size_t want =
        std::max<std::size_t>(TextBytes(ColumnList[Index].ColType, ColumnList[Index].Size) + 2, 64);
    std::size_t got = 0;
    for (;;) {
        if (FFill->Arena.size() < FFill->ArenaUsed + got + want)
            FFill->Arena.resize(std::max(FFill->ArenaUsed + got + want, FFill->Arena.size() * 2));
        auto available = static_cast<SQLLEN>(FFill->Arena.size() - FFill->ArenaUsed - got);
        SQLLEN indicator = 0;
        SQLRETURN ret = ODBC_CALL(SQLGetData, StmtHandle, static_cast<SQLUSMALLINT>(Index + 1), cType,
                                  FFill->Arena.data() + FFill->ArenaUsed + got, available, &indicator);
        if (ret == SQL_NO_DATA) break; // after the last piece
        if (!SQLSucceeded(ret)) {
            FFill->Error = DiagnosticRecords(SQL_HANDLE_STMT, StmtHandle);
            if (FFill->Error.empty()) FFill->Error = "A field could not be read";
            return false;
        }
        if (indicator == SQL_NULL_DATA) {
            Field.Null = true;
            break;
        }
        bool cut = ret == SQL_SUCCESS_WITH_INFO && (indicator == SQL_NO_TOTAL || indicator > available - terminator);
        if (!cut) {
            got += static_cast<std::size_t>(std::clamp<SQLLEN>(indicator, 0, available - terminator));
            break;
        }
        got += static_cast<std::size_t>(available - terminator);
        want = indicator == SQL_NO_TOTAL ? std::min<std::size_t>(got + 64, MaxChunkGrowth)
                                         : static_cast<std::size_t>(indicator - (available - terminator)) + 2;
    }
    Field.Length = got;
    RenderBit(Index, FFill->Arena.data() + FFill->ArenaUsed, got);
    FFill->ArenaUsed += got;
    return true;
}

std::string TODBCStatement::ColumnName(int Index) const {
    if (Index < 0 || Index >= ColumnList.Count()) return {};
    return ColumnList[Index].Name;
}

int TODBCStatement::ColumnIndex(std::string_view Name) const {
    // Stored names are upper-cased, so a case-blind match finds what upper-casing Name would,
    // without a copy on every by-name field read.
    for (int i = 0; i < ColumnList.Count(); ++i)
        if (SameText(ColumnList[i].Name, Name)) return i;
    return -1;
}

TColumnType TODBCStatement::ColumnType(int Index) const {
    if (Index < 0 || Index >= ColumnList.Count()) return ctUnknown;
    return ColumnList[Index].ColType;
}

std::int32_t TODBCStatement::ColumnSize(int Index) const {
    if (Index < 0 || Index >= ColumnList.Count()) return -1;
    return ColumnList[Index].Size;
}

SQLSMALLINT TODBCStatement::ColumnSqlType(int Index) const {
    if (Index < 0 || Index >= ColumnList.Count()) return SQL_UNKNOWN_TYPE;
    return slots_[Index].SqlType;
}

bool TODBCStatement::ColumnIsBinary(int Index) const {
    if (Index < 0 || Index >= ColumnList.Count()) return false;
    return slots_[Index].Binary;
}

SQLSMALLINT TODBCStatement::ColumnCType(int Index) const {
    if (Index < 0 || Index >= ColumnList.Count() || !FArrayRows) return SQL_C_CHAR;
    return FArrayCType[static_cast<std::size_t>(Index)];
}

std::optional<SQLLEN> TODBCStatement::ColumnAttribute(int Index, SQLUSMALLINT Field) {
    if (Index < 0 || Index >= ColumnList.Count()) return std::nullopt;
    std::optional<SQLLEN> value;
    OnWorker([&] {
        if (StmtHandle == SQL_NULL_HSTMT) return;
        SQLLEN number = 0;
        if (SQLSucceeded(ODBC_CALL(SQLColAttribute, StmtHandle, static_cast<SQLUSMALLINT>(Index + 1), Field,
                                   nullptr, 0, nullptr, &number)))
            value = number;
    });
    return value;
}

void TODBCStatement::RenderBit(int Index, char* Text, std::size_t Length) const {
    // MariaDB's connector hands BIT(1) to SQL_C_CHAR as the raw byte, which trimming would
    // empty; ODBC's rendering of a bit is "0" or "1".
    if (Length == 1 && ColumnList[Index].ColType == ctBoolean && (Text[0] == 0 || Text[0] == 1))
        Text[0] = static_cast<char>('0' + Text[0]);
}

std::string_view TODBCStatement::RawField(int Index, bool& Null) const {
    Null = true;
    if (FCurrent < 0 || FCurrent >= FShow->Rows) return {};
    const TFieldRef& field = FShow->Fields[static_cast<std::size_t>(FCurrent * ColumnList.Count() + Index)];
    Null = field.Null;
    if (field.Null) return {};
    // A column fetched as a binary number has its 8 bytes in the arena; its text is made here.
    if (FArrayRows) {
        const SQLSMALLINT cType = FArrayCType[static_cast<std::size_t>(Index)];
        if (cType != SQL_C_CHAR) return NumberText(Index, cType, FShow->Arena.data() + field.Offset);
    }
    return std::string_view(FShow->Arena.data() + field.Offset, field.Length);
}

std::string_view TODBCStatement::NumberText(int Index, SQLSMALLINT CType, const char* Cell) const {
    // Made here rather than on the worker, whose fetching is the longer part of a read.
    const std::size_t at = static_cast<std::size_t>(Index) * MariaDBDoubleTextMax;
    if (FNumberText.size() < at + MariaDBDoubleTextMax)
        FNumberText.resize(static_cast<std::size_t>(ColumnList.Count()) * MariaDBDoubleTextMax);
    char* text = FNumberText.data() + at;
    if (CType == SQL_C_DOUBLE) {
        double value;
        std::memcpy(&value, Cell, sizeof value);
        return std::string_view(text, MariaDBDoubleText(value, text));
    }
    std::to_chars_result written;
    if (CType == SQL_C_UBIGINT) {
        std::uint64_t value;
        std::memcpy(&value, Cell, sizeof value);
        written = std::to_chars(text, text + MariaDBDoubleTextMax, value);
    } else {
        std::int64_t value;
        std::memcpy(&value, Cell, sizeof value);
        written = std::to_chars(text, text + MariaDBDoubleTextMax, value);
    }
    return std::string_view(text, static_cast<std::size_t>(written.ptr - text));
}

std::string_view TODBCStatement::FieldView(int Index) {
    if (Index < 0 || Index >= ColumnList.Count()) return {};
    bool null;
    return TrimView(RawField(Index, null));
}

TFieldData TODBCStatement::FieldData(int Index) {
    if (Index < 0 || Index >= ColumnList.Count()) return {};
    TFieldData field;
    field.Bytes = RawField(Index, field.Null);
    return field;
}

std::string TODBCStatement::FieldAsString(int Index) {
    return std::string(FieldView(Index));
}

bool TODBCStatement::FieldIsNull(int Index) {
    if (Index < 0 || Index >= ColumnList.Count()) return false;
    // Without a current row there is no field to be NULL.
    if (FCurrent < 0 || FCurrent >= FShow->Rows) return false;
    return FShow->Fields[static_cast<std::size_t>(FCurrent * ColumnList.Count() + Index)].Null;
}

std::string TODBCStatement::FieldByName(std::string_view Name) {
    return FieldAsString(ColumnIndex(Name));
}

std::int32_t TODBCStatement::FieldAsInteger(std::string_view Name) {
    int index = ColumnIndex(Name);
    if (index < 0) return 0;
    // Long text is not held in a bound buffer, so in bound mode it never reads as a number.
    if (BindColumns) return slots_[index].BoundInBoundMode ? StrictInteger(FieldView(index)) : 0;
    return DriverInteger(FieldView(index));
}

bool TODBCStatement::GetDiagText(SQLSMALLINT Record, std::string& Text) {
    return DiagnosticText(SQL_HANDLE_STMT, StmtHandle, Record, Text);
}

void TODBCStatement::CheckError(SQLRETURN Ret) {
    if (!Connection || !Connection->ShowErrors || SQLSucceeded(Ret)) return;
    OnWorker([&] { CheckErrorOnWorker(Ret); });
}

void TODBCStatement::CheckErrorOnWorker(SQLRETURN Ret) {
    if (!Connection || !Connection->ShowErrors || SQLSucceeded(Ret)) return;
    if (!ODBCLoaded()) return;
    std::string text;
    for (SQLSMALLINT record = 1; GetDiagText(record, text); ++record)
        Connection->Box("Stmt Error: " + text);
}
