// A test-only stand-in for the ODBC driver manager: every entry point the layer binds,
// answering from a scripted state. Built in variants that lack one entry point.
#include "FakeDriverManager.h"

#include <sqlext.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <stdexcept>
#include <string>

namespace {

FakeDriverManagerState gState;

struct Binding {
    SQLPOINTER buffer;
    SQLLEN length;
    SQLLEN* indicator;
};

struct Statement {
    long row = -1;
    std::map<int, Binding> bindings;
    std::map<int, std::size_t> offsets; // how much of a column SQLGetData has handed out
};

int gHandleCounter = 0;

void Log(std::string text) {
    gState.calls.push_back(std::move(text));
}

void CopyOut(SQLCHAR* out, SQLSMALLINT size, SQLSMALLINT* length, const std::string& text) {
    if (length) *length = static_cast<SQLSMALLINT>(text.size());
    if (!out || size <= 0) return;
    std::size_t n = std::min<std::size_t>(text.size(), static_cast<std::size_t>(size - 1));
    std::memcpy(out, text.data(), n);
    out[n] = 0;
}

const std::string* Cell(Statement* st, SQLUSMALLINT column) {
    const auto& rows = gState.result.rows;
    if (st->row < 0 || st->row >= static_cast<long>(rows.size())) return nullptr;
    const auto& row = rows[st->row];
    if (column < 1 || column > row.size()) return nullptr;
    return &row[column - 1];
}

// "\x01" in a cell stands for NULL.
bool IsNull(const std::string* cell) {
    return !cell || *cell == "\x01";
}

SQLRETURN Open(SQLHSTMT handle) {
    auto* st = static_cast<Statement*>(handle);
    st->row = -1;
    st->offsets.clear();
    return SQL_SUCCESS;
}

} // namespace

extern "C" {

FakeDriverManagerState* FakeDriverManagerStateOf() {
    return &gState;
}

SQLRETURN SQLAllocHandle(SQLSMALLINT type, SQLHANDLE, SQLHANDLE* out) {
    Log("SQLAllocHandle " + std::to_string(type));
    if (type == SQL_HANDLE_STMT)
        *out = new Statement;
    else
        *out = reinterpret_cast<SQLHANDLE>(static_cast<std::intptr_t>(++gHandleCounter + 0x1000));
    return SQL_SUCCESS;
}

SQLRETURN SQLFreeHandle(SQLSMALLINT type, SQLHANDLE handle) {
    Log("SQLFreeHandle " + std::to_string(type));
    if (type == SQL_HANDLE_STMT) delete static_cast<Statement*>(handle);
    return SQL_SUCCESS;
}

SQLRETURN SQLGetEnvAttr(SQLHENV, SQLINTEGER, SQLPOINTER, SQLINTEGER, SQLINTEGER*) {
    return SQL_ERROR;
}
SQLRETURN SQLSetEnvAttr(SQLHENV, SQLINTEGER, SQLPOINTER, SQLINTEGER) {
    return SQL_SUCCESS;
}
SQLRETURN SQLDrivers(SQLHENV, SQLUSMALLINT, SQLCHAR*, SQLSMALLINT, SQLSMALLINT*, SQLCHAR*, SQLSMALLINT,
                     SQLSMALLINT*) {
    return SQL_ERROR;
}

SQLRETURN SQLDataSources(SQLHENV, SQLUSMALLINT direction, SQLCHAR* name, SQLSMALLINT nameSize,
                         SQLSMALLINT* nameLength, SQLCHAR* description, SQLSMALLINT descriptionSize,
                         SQLSMALLINT* descriptionLength) {
    static std::size_t next = 0;
    if (direction == SQL_FETCH_FIRST) next = 0;
    if (next >= gState.dataSources.size()) return SQL_NO_DATA;
    CopyOut(name, nameSize, nameLength, gState.dataSources[next].first);
    CopyOut(description, descriptionSize, descriptionLength, gState.dataSources[next].second);
    ++next;
    return SQL_SUCCESS;
}

SQLRETURN SQLGetConnectAttr(SQLHDBC, SQLINTEGER, SQLPOINTER, SQLINTEGER, SQLINTEGER*) {
    return SQL_ERROR;
}

SQLRETURN SQLSetConnectAttr(SQLHDBC, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER length) {
    std::string text = length == SQL_NTS ? std::string(static_cast<const char*>(value))
                                         : std::to_string(reinterpret_cast<std::intptr_t>(value));
    Log("SQLSetConnectAttr " + std::to_string(attribute) + "=" + text);
    return gState.refuseAttributes ? SQL_ERROR : SQL_SUCCESS;
}

SQLRETURN SQLConnect(SQLHDBC, SQLCHAR* dsn, SQLSMALLINT, SQLCHAR* user, SQLSMALLINT, SQLCHAR* password,
                     SQLSMALLINT) {
    Log(std::string("SQLConnect ") + reinterpret_cast<char*>(dsn) + "/" + reinterpret_cast<char*>(user) +
        "/" + reinterpret_cast<char*>(password));
    return gState.refuseConnect ? SQL_ERROR : SQL_SUCCESS;
}

SQLRETURN SQLDriverConnect(SQLHDBC, SQLHWND, SQLCHAR* in, SQLSMALLINT, SQLCHAR* out, SQLSMALLINT outSize,
                           SQLSMALLINT* outLength, SQLUSMALLINT) {
    gState.driverConnectIn = reinterpret_cast<char*>(in);
    Log("SQLDriverConnect");
    CopyOut(out, outSize, outLength, gState.driverConnectOut);
    return SQL_SUCCESS;
}

#ifndef FAKE_OMIT_SQLBrowseConnect
SQLRETURN SQLBrowseConnect(SQLHDBC, SQLCHAR*, SQLSMALLINT, SQLCHAR*, SQLSMALLINT, SQLSMALLINT*) {
    Log("SQLBrowseConnect");
    return SQL_ERROR;
}
#endif

SQLRETURN SQLGetInfo(SQLHDBC, SQLUSMALLINT type, SQLPOINTER value, SQLSMALLINT size, SQLSMALLINT* length) {
    if (type == SQL_DBMS_NAME) {
        CopyOut(static_cast<SQLCHAR*>(value), size, length, "Fake");
        return SQL_SUCCESS;
    }
    // Any column in any order, dynamic cursors that refresh: the unbound mode.
    SQLUINTEGER answer = 0;
    if (type == SQL_GETDATA_EXTENSIONS) answer = SQL_GD_ANY_COLUMN | SQL_GD_ANY_ORDER;
    if (type == SQL_SCROLL_OPTIONS) answer = SQL_SO_FORWARD_ONLY;
    if (type == SQL_FORWARD_ONLY_CURSOR_ATTRIBUTES1) answer = SQL_CA1_POS_REFRESH;
    std::memcpy(value, &answer, sizeof answer);
    return SQL_SUCCESS;
}

SQLRETURN SQLGetStmtAttr(SQLHSTMT, SQLINTEGER, SQLPOINTER value, SQLINTEGER, SQLINTEGER*) {
    SQLULEN type = SQL_CURSOR_FORWARD_ONLY;
    std::memcpy(value, &type, sizeof type);
    return SQL_SUCCESS;
}

SQLRETURN SQLSetStmtAttr(SQLHSTMT, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER) {
    Log("SQLSetStmtAttr " + std::to_string(attribute) + "=" +
        std::to_string(reinterpret_cast<std::intptr_t>(value)));
    // With refused attributes, the lock concurrency is the one the fake accepts.
    if (gState.refuseAttributes &&
        !(attribute == SQL_ATTR_CONCURRENCY && value == reinterpret_cast<SQLPOINTER>(SQL_CONCUR_LOCK)))
        return SQL_ERROR;
    return SQL_SUCCESS;
}

SQLRETURN SQLTables(SQLHSTMT st, SQLCHAR*, SQLSMALLINT, SQLCHAR*, SQLSMALLINT, SQLCHAR*, SQLSMALLINT,
                    SQLCHAR*, SQLSMALLINT) {
    Log("SQLTables");
    return Open(st);
}

SQLRETURN SQLColumns(SQLHSTMT st, SQLCHAR*, SQLSMALLINT, SQLCHAR*, SQLSMALLINT, SQLCHAR*, SQLSMALLINT,
                     SQLCHAR*, SQLSMALLINT) {
    Log("SQLColumns");
    return Open(st);
}

SQLRETURN SQLStatistics(SQLHSTMT st, SQLCHAR*, SQLSMALLINT, SQLCHAR*, SQLSMALLINT, SQLCHAR*, SQLSMALLINT,
                        SQLUSMALLINT, SQLUSMALLINT) {
    return Open(st);
}

SQLRETURN SQLPrimaryKeys(SQLHSTMT st, SQLCHAR*, SQLSMALLINT, SQLCHAR*, SQLSMALLINT, SQLCHAR*, SQLSMALLINT) {
    return Open(st);
}

SQLRETURN SQLForeignKeys(SQLHSTMT, SQLCHAR*, SQLSMALLINT, SQLCHAR*, SQLSMALLINT, SQLCHAR*, SQLSMALLINT,
                         SQLCHAR*, SQLSMALLINT, SQLCHAR*, SQLSMALLINT, SQLCHAR*, SQLSMALLINT) {
    return SQL_ERROR;
}

SQLRETURN SQLExecDirect(SQLHSTMT st, SQLCHAR*, SQLINTEGER) {
    if (gState.throwOnExecute) throw std::runtime_error("driver exception");
    return Open(st);
}
SQLRETURN SQLPrepare(SQLHSTMT, SQLCHAR*, SQLINTEGER) {
    return SQL_ERROR;
}
SQLRETURN SQLExecute(SQLHSTMT) {
    return SQL_ERROR;
}
SQLRETURN SQLEndTran(SQLSMALLINT, SQLHANDLE, SQLSMALLINT) {
    return SQL_SUCCESS;
}

SQLRETURN SQLNumResultCols(SQLHSTMT, SQLSMALLINT* count) {
    *count = static_cast<SQLSMALLINT>(gState.result.names.size());
    return SQL_SUCCESS;
}

SQLRETURN SQLFetch(SQLHSTMT handle) {
    auto* st = static_cast<Statement*>(handle);
    st->offsets.clear();
    if (++st->row >= static_cast<long>(gState.result.rows.size())) return SQL_NO_DATA;
    for (auto& [column, binding] : st->bindings) {
        const std::string* cell = Cell(st, static_cast<SQLUSMALLINT>(column));
        if (IsNull(cell)) {
            *binding.indicator = SQL_NULL_DATA;
            continue;
        }
        std::size_t n = std::min<std::size_t>(cell->size(), static_cast<std::size_t>(binding.length - 1));
        std::memcpy(binding.buffer, cell->data(), n);
        static_cast<char*>(binding.buffer)[n] = 0;
        *binding.indicator = static_cast<SQLLEN>(cell->size());
    }
    const auto& codes = gState.result.fetchCodes;
    return st->row < static_cast<long>(codes.size()) ? codes[st->row] : SQL_SUCCESS;
}

SQLRETURN SQLFetchScroll(SQLHSTMT handle, SQLSMALLINT, SQLLEN) {
    return SQLFetch(handle);
}

SQLRETURN SQLGetData(SQLHSTMT handle, SQLUSMALLINT column, SQLSMALLINT type, SQLPOINTER buffer, SQLLEN length,
                     SQLLEN* indicator) {
    // Text pieces are terminated, binary ones fill the whole buffer.
    const SQLLEN terminator = type == SQL_C_BINARY ? 0 : 1;
    auto* st = static_cast<Statement*>(handle);
    const std::string* cell = Cell(st, column);
    if (IsNull(cell)) {
        *indicator = SQL_NULL_DATA;
        return SQL_SUCCESS;
    }
    std::size_t& offset = st->offsets[column];
    if (offset > cell->size() || (offset == cell->size() && offset > 0)) return SQL_NO_DATA;
    std::size_t left = cell->size() - offset;
    std::size_t n =
        length > terminator ? std::min<std::size_t>(left, static_cast<std::size_t>(length - terminator)) : 0;
    if (length > 0) {
        std::memcpy(buffer, cell->data() + offset, n);
        if (terminator) static_cast<char*>(buffer)[n] = 0;
    }
    bool cut = n < left;
    *indicator = cut && gState.result.noTotal ? SQL_NO_TOTAL : static_cast<SQLLEN>(left);
    offset += n;
    if (!cut) offset = cell->size() + (cell->empty() ? 1 : 0);
    return cut ? SQL_SUCCESS_WITH_INFO : SQL_SUCCESS;
}

SQLRETURN SQLDescribeCol(SQLHSTMT, SQLUSMALLINT, SQLCHAR*, SQLSMALLINT, SQLSMALLINT*, SQLSMALLINT*, SQLULEN*,
                         SQLSMALLINT*, SQLSMALLINT*) {
    return SQL_ERROR;
}

SQLRETURN SQLColAttribute(SQLHSTMT, SQLUSMALLINT column, SQLUSMALLINT field, SQLPOINTER text,
                          SQLSMALLINT size, SQLSMALLINT* length, SQLLEN* number) {
    std::size_t i = column - 1u;
    if (field == SQL_DESC_NAME) CopyOut(static_cast<SQLCHAR*>(text), size, length, gState.result.names.at(i));
    if (field == SQL_DESC_DISPLAY_SIZE) *number = 8;
    if (field == SQL_DESC_CONCISE_TYPE)
        *number = i < gState.result.types.size() ? gState.result.types[i] : SQL_VARCHAR;
    return SQL_SUCCESS;
}

SQLRETURN SQLSpecialColumns(SQLHSTMT, SQLUSMALLINT, SQLCHAR*, SQLSMALLINT, SQLCHAR*, SQLSMALLINT, SQLCHAR*,
                            SQLSMALLINT, SQLUSMALLINT, SQLUSMALLINT) {
    return SQL_ERROR;
}

SQLRETURN SQLBindCol(SQLHSTMT handle, SQLUSMALLINT column, SQLSMALLINT, SQLPOINTER buffer, SQLLEN length,
                     SQLLEN* indicator) {
    static_cast<Statement*>(handle)->bindings[column] = {buffer, length, indicator};
    return SQL_SUCCESS;
}

SQLRETURN SQLBindParameter(SQLHSTMT, SQLUSMALLINT, SQLSMALLINT, SQLSMALLINT, SQLSMALLINT, SQLULEN,
                           SQLSMALLINT, SQLPOINTER, SQLLEN, SQLLEN*) {
    return SQL_ERROR;
}

SQLRETURN SQLSetPos(SQLHSTMT, SQLSETPOSIROW, SQLUSMALLINT, SQLUSMALLINT) {
    return SQL_ERROR;
}
SQLRETURN SQLPutData(SQLHSTMT, SQLPOINTER, SQLLEN) {
    return SQL_ERROR;
}
SQLRETURN SQLCloseCursor(SQLHSTMT) {
    return SQL_SUCCESS;
}
SQLRETURN SQLDisconnect(SQLHDBC) {
    return SQL_SUCCESS;
}

SQLRETURN SQLFreeStmt(SQLHSTMT handle, SQLUSMALLINT option) {
    if (option == SQL_UNBIND) static_cast<Statement*>(handle)->bindings.clear();
    return SQL_SUCCESS;
}

SQLRETURN SQLGetDiagField(SQLSMALLINT, SQLHANDLE, SQLSMALLINT record, SQLSMALLINT, SQLPOINTER text,
                          SQLSMALLINT size, SQLSMALLINT* length) {
    if (record < 1 || record > static_cast<SQLSMALLINT>(gState.diagnostics.size())) return SQL_NO_DATA;
    CopyOut(static_cast<SQLCHAR*>(text), size, length, gState.diagnostics[record - 1].fieldMessage);
    return SQL_SUCCESS;
}

SQLRETURN SQLGetDiagRec(SQLSMALLINT, SQLHANDLE, SQLSMALLINT record, SQLCHAR* state, SQLINTEGER* native,
                        SQLCHAR* message, SQLSMALLINT size, SQLSMALLINT* length) {
    if (record < 1 || record > static_cast<SQLSMALLINT>(gState.diagnostics.size())) return SQL_NO_DATA;
    const FakeDiagRecord& r = gState.diagnostics[record - 1];
    CopyOut(state, 6, nullptr, r.state);
    if (native) *native = 0;
    CopyOut(message, size, length, r.message);
    return SQL_SUCCESS;
}

#ifndef FAKE_OMIT_SQLCancel
SQLRETURN SQLCancel(SQLHSTMT) {
    return SQL_SUCCESS;
}
#endif

} // extern "C"
