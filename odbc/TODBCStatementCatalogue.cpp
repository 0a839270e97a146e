// The catalogue queries of TODBCStatement.
#include "TODBC.h"
#include "TODBCStatement.h"
#include "Text.h"

#include <cstring>

namespace {

// An empty text goes to the catalogue functions as a null pointer with length 0.
struct CatalogArg {
    explicit CatalogArg(const std::string& s)
        : text(s.empty() ? nullptr : reinterpret_cast<SQLCHAR*>(const_cast<char*>(s.c_str()))),
          length(s.empty() ? 0 : SQL_NTS) {}
    SQLCHAR* text;
    SQLSMALLINT length;
};

void AddToCommaList(std::string& List, std::string_view Item) {
    if (!List.empty()) List += ',';
    List += Item;
}

// Catalogue columns are bound to 128-byte buffers announced as 126 bytes.
struct NameBuffer {
    char text[128];
    SQLLEN indicator;
    void Clear() {
        text[0] = 0;
        indicator = 0;
    }
    std::string_view View() const {
        if (indicator == SQL_NULL_DATA) return {};
        return std::string_view(text, strnlen(text, sizeof text));
    }
};

} // namespace

bool TODBCStatement::BeginCatalogueCall() {
    FFailed = FReadFailed = false;
    FLastError.clear();
    FReadError.clear();
    if (!Allocated) {
        SetFailed("The statement has no handle: its connection is closed or was never opened");
        return false;
    }
    Reset();
    return true;
}

bool TODBCStatement::CatalogueRow() {
    SQLRETURN ret = ODBC_CALL(SQLFetch, StmtHandle);
    if (ret == SQL_SUCCESS) return true;
    if (!SQLSucceeded(ret) && ret != SQL_NO_DATA) SetFailedFromHandle("A catalogue row could not be read");
    return false;
}

std::string TODBCStatement::CurrentCatalog() {
    char name[256] = {};
    SQLINTEGER length = 0;
    SQLHDBC dbc = Connection ? Connection->DbcHandle : SQL_NULL_HDBC;
    if (dbc == SQL_NULL_HDBC || !SQLSucceeded(ODBC_CALL(SQLGetConnectAttr, dbc, SQL_ATTR_CURRENT_CATALOG,
                                                        name, sizeof name - 1, &length)))
        return {};
    return std::string(name, strnlen(name, sizeof name));
}

void TODBCStatement::GetTableList(std::string& Views, const std::string& Schema, bool WithSchema,
                                  std::string& Tables) {
    Tables.clear();
    if (!BeginCatalogueCall()) return;
    CatalogArg schema(Schema);
    SQLRETURN ret =
        ODBC_CALL(SQLTables, StmtHandle, nullptr, 0, schema.text, schema.length, nullptr, 0, nullptr, 0);
    if (!SQLSucceeded(ret)) SetFailedFromHandle("The table list could not be read");
    if (SQLSucceeded(ret)) {
        // Some drivers (MariaDB's) list the tables of every database on the server for a null
        // catalog; only those of the connection's current catalog can be selected by bare name.
        const std::string current = CurrentCatalog();
        NameBuffer catalogName{}, schemaName{}, tableName{}, tableType{};
        CheckError(
            ODBC_CALL(SQLBindCol, StmtHandle, 1, SQL_C_CHAR, catalogName.text, 126, &catalogName.indicator));
        CheckError(
            ODBC_CALL(SQLBindCol, StmtHandle, 2, SQL_C_CHAR, schemaName.text, 126, &schemaName.indicator));
        CheckError(
            ODBC_CALL(SQLBindCol, StmtHandle, 3, SQL_C_CHAR, tableName.text, 126, &tableName.indicator));
        CheckError(
            ODBC_CALL(SQLBindCol, StmtHandle, 4, SQL_C_CHAR, tableType.text, 126, &tableType.indicator));
        for (;;) {
            catalogName.Clear();
            schemaName.Clear();
            tableName.Clear();
            tableType.Clear();
            // A row that comes with SQL_SUCCESS_WITH_INFO ends the list.
            if (!CatalogueRow()) break;
            if (!current.empty() && !catalogName.View().empty() && catalogName.View() != current) continue;
            std::string name(tableName.View());
            const std::string_view type = tableType.View();
            bool isTable, isView;
            if (WithSchema) {
                if (!schemaName.View().empty()) name = std::string(schemaName.View()) + "." + name;
                isTable = FindText(type, "table") != std::string_view::npos;
                isView = !isTable && FindText(type, "view") != std::string_view::npos;
            } else {
                isTable = SameText(type, "table");
                isView = SameText(type, "view");
            }
            if (isTable)
                AddToCommaList(Tables, name);
            else if (isView)
                AddToCommaList(Views, name);
        }
    }
    ODBC_CALL(SQLFreeStmt, StmtHandle, SQL_UNBIND);
}

void TODBCStatement::GetColumnList(const std::string& Table, std::string& Columns) {
    Columns.clear();
    if (!BeginCatalogueCall()) return;
    // The table name goes as a string even when empty.
    SQLRETURN ret =
        ODBC_CALL(SQLColumns, StmtHandle, nullptr, 0, nullptr, 0,
                  reinterpret_cast<SQLCHAR*>(const_cast<char*>(Table.c_str())), SQL_NTS, nullptr, 0);
    if (!SQLSucceeded(ret)) SetFailedFromHandle("The column list could not be read");
    if (SQLSucceeded(ret)) {
        NameBuffer columnName{};
        CheckError(
            ODBC_CALL(SQLBindCol, StmtHandle, 4, SQL_C_CHAR, columnName.text, 126, &columnName.indicator));
        for (;;) {
            columnName.Clear();
            if (!CatalogueRow()) break;
            AddToCommaList(Columns, UpperCase(columnName.View()));
        }
    }
    ODBC_CALL(SQLFreeStmt, StmtHandle, SQL_UNBIND);
}

bool TODBCStatement::Columns(const std::string& Catalog, const std::string& Schema, const std::string& Table,
                             const std::string& Column) {
    if (!BeginCatalogueCall()) return false;
    CatalogArg catalog(Catalog), schema(Schema), table(Table), column(Column);
    SQLRETURN ret = ODBC_CALL(SQLColumns, StmtHandle, catalog.text, catalog.length, schema.text,
                              schema.length, table.text, table.length, column.text, column.length);
    if (!SQLSucceeded(ret)) {
        SetFailedFromHandle("The catalogue call failed without a diagnostic");
        return false;
    }
    DescribeColumns();
    return Fetch(fdNext, 1);
}

bool TODBCStatement::Statistics(const std::string& Table, const std::string& Catalog,
                                const std::string& Schema) {
    if (!BeginCatalogueCall()) return false;
    CatalogArg catalog(Catalog), schema(Schema), table(Table);
    SQLRETURN ret = ODBC_CALL(SQLStatistics, StmtHandle, catalog.text, catalog.length, schema.text,
                              schema.length, table.text, table.length, SQL_INDEX_ALL, SQL_QUICK);
    if (!SQLSucceeded(ret)) {
        SetFailedFromHandle("The catalogue call failed without a diagnostic");
        return false;
    }
    DescribeColumns();
    return Fetch(fdNext, 1);
}

bool TODBCStatement::PrimaryKeys(const std::string& Table, const std::string& Catalog,
                                 const std::string& Schema) {
    if (!BeginCatalogueCall()) return false;
    CatalogArg catalog(Catalog), schema(Schema), table(Table);
    SQLRETURN ret = ODBC_CALL(SQLPrimaryKeys, StmtHandle, catalog.text, catalog.length, schema.text,
                              schema.length, table.text, table.length);
    if (!SQLSucceeded(ret)) {
        SetFailedFromHandle("The catalogue call failed without a diagnostic");
        return false;
    }
    DescribeColumns();
    return Fetch(fdNext, 1);
}
