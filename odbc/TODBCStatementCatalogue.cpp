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

// A name as a catalogue search pattern that matches only itself: '_' and '%' (and the
// escape itself) preceded by the driver's escape. Without an escape the name goes as it is.
std::string LiteralPattern(const std::string& Name, const std::string& Escape) {
    if (Escape.empty()) return Name;
    std::string pattern;
    pattern.reserve(Name.size() + 8);
    for (std::size_t i = 0; i < Name.size(); ++i) {
        if (Name[i] == '_' || Name[i] == '%' || Name.compare(i, Escape.size(), Escape) == 0) pattern += Escape;
        pattern += Name[i];
    }
    return pattern;
}

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
    FFailed = false;
    FLastError.clear();
    if (!Allocated) {
        SetFailed("The statement has no handle: its connection is closed or was never opened");
        return false;
    }
    ResetOnWorker();
    return true;
}

bool TODBCStatement::CatalogueRow() {
    SQLRETURN ret = ODBC_CALL(SQLFetch, StmtHandle);
    if (ret == SQL_SUCCESS) return true;
    if (!SQLSucceeded(ret) && ret != SQL_NO_DATA) SetFailedFromHandle("A catalogue row could not be read");
    return false;
}

std::string TODBCStatement::SchemaOrCurrent(const std::string& Schema) {
    // PostgreSQL's catalogue lists every schema for a null one, but only the tables of the
    // current schema can be selected by bare name.
    if (!Schema.empty() || !Connection || Connection->DatabaseKind() != dkPostgreSQL) return Schema;
    TODBCStatement query(Connection, true, true);
    if (!query.ExecSQL("select current_schema()", true)) return Schema;
    return std::string(query.FieldView(0));
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
    FinishAhead();
    OnWorker([&] { GetTableListOnWorker(Views, Schema, WithSchema, Tables); });
}

void TODBCStatement::GetTableListOnWorker(std::string& Views, const std::string& Schema, bool WithSchema,
                                  std::string& Tables) {
    Tables.clear();
    if (!BeginCatalogueCall()) return;
    const std::string schemaPattern = LiteralPattern(SchemaOrCurrent(Schema), Connection->SearchPatternEscape());
    CatalogArg schema(schemaPattern);
    SQLRETURN ret =
        ODBC_CALL(SQLTables, StmtHandle, nullptr, 0, schema.text, schema.length, nullptr, 0, nullptr, 0);
    if (!SQLSucceeded(ret)) SetFailedFromHandle("The table list could not be read");
    if (SQLSucceeded(ret)) {
        // Some drivers (MariaDB's) list the tables of every database on the server for a null
        // catalog; only those of the connection's current catalog can be selected by bare name.
        const std::string current = CurrentCatalog();
        NameBuffer catalogName{}, schemaName{}, tableName{}, tableType{};
        CheckErrorOnWorker(
            ODBC_CALL(SQLBindCol, StmtHandle, 1, SQL_C_CHAR, catalogName.text, 126, &catalogName.indicator));
        CheckErrorOnWorker(
            ODBC_CALL(SQLBindCol, StmtHandle, 2, SQL_C_CHAR, schemaName.text, 126, &schemaName.indicator));
        CheckErrorOnWorker(
            ODBC_CALL(SQLBindCol, StmtHandle, 3, SQL_C_CHAR, tableName.text, 126, &tableName.indicator));
        CheckErrorOnWorker(
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
    FinishAhead();
    OnWorker([&] { GetColumnListOnWorker(Table, Columns); });
}

void TODBCStatement::GetColumnListOnWorker(const std::string& Table, std::string& Columns) {
    Columns.clear();
    if (!BeginCatalogueCall()) return;
    // The table name goes as a string even when empty, and matches only itself.
    std::string table = LiteralPattern(Table, Connection->SearchPatternEscape());
    const std::string schemaPattern = LiteralPattern(SchemaOrCurrent(""), Connection->SearchPatternEscape());
    CatalogArg schema(schemaPattern);
    SQLRETURN ret = ODBC_CALL(SQLColumns, StmtHandle, nullptr, 0, schema.text, schema.length,
                              reinterpret_cast<SQLCHAR*>(table.data()), SQL_NTS, nullptr, 0);
    if (!SQLSucceeded(ret)) SetFailedFromHandle("The column list could not be read");
    if (SQLSucceeded(ret)) {
        NameBuffer columnName{};
        CheckErrorOnWorker(
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
    FinishAhead();
    bool result = false;
    OnWorker([&] { result = ColumnsOnWorker(Catalog, Schema, Table, Column); });
    return result;
}

bool TODBCStatement::ColumnsOnWorker(const std::string& Catalog, const std::string& Schema, const std::string& Table,
                             const std::string& Column) {
    if (!BeginCatalogueCall()) return false;
    // Schema, table and column are search patterns here; the names are meant literally.
    const std::string& escape = Connection->SearchPatternEscape();
    const std::string schemaPattern = LiteralPattern(SchemaOrCurrent(Schema), escape),
                      tablePattern = LiteralPattern(Table, escape), columnPattern = LiteralPattern(Column, escape);
    CatalogArg catalog(Catalog), schema(schemaPattern), table(tablePattern), column(columnPattern);
    SQLRETURN ret = ODBC_CALL(SQLColumns, StmtHandle, catalog.text, catalog.length, schema.text,
                              schema.length, table.text, table.length, column.text, column.length);
    if (!SQLSucceeded(ret)) {
        SetFailedFromHandle("The catalogue call failed without a diagnostic");
        return false;
    }
    DescribeOnWorker();
    return FetchOnWorker(fdNext, 1);
}

bool TODBCStatement::Statistics(const std::string& Table, const std::string& Catalog,
                                const std::string& Schema) {
    FinishAhead();
    bool result = false;
    OnWorker([&] { result = StatisticsOnWorker(Table, Catalog, Schema); });
    return result;
}

bool TODBCStatement::StatisticsOnWorker(const std::string& Table, const std::string& Catalog,
                                const std::string& Schema) {
    if (!BeginCatalogueCall()) return false;
    const std::string schemaName = SchemaOrCurrent(Schema);
    CatalogArg catalog(Catalog), schema(schemaName), table(Table);
    SQLRETURN ret = ODBC_CALL(SQLStatistics, StmtHandle, catalog.text, catalog.length, schema.text,
                              schema.length, table.text, table.length, SQL_INDEX_ALL, SQL_QUICK);
    if (!SQLSucceeded(ret)) {
        SetFailedFromHandle("The catalogue call failed without a diagnostic");
        return false;
    }
    DescribeOnWorker();
    return FetchOnWorker(fdNext, 1);
}

bool TODBCStatement::PrimaryKeys(const std::string& Table, const std::string& Catalog,
                                 const std::string& Schema) {
    FinishAhead();
    bool result = false;
    OnWorker([&] { result = PrimaryKeysOnWorker(Table, Catalog, Schema); });
    return result;
}

bool TODBCStatement::PrimaryKeysOnWorker(const std::string& Table, const std::string& Catalog,
                                 const std::string& Schema) {
    if (!BeginCatalogueCall()) return false;
    const std::string schemaName = SchemaOrCurrent(Schema);
    CatalogArg catalog(Catalog), schema(schemaName), table(Table);
    SQLRETURN ret = ODBC_CALL(SQLPrimaryKeys, StmtHandle, catalog.text, catalog.length, schema.text,
                              schema.length, table.text, table.length);
    if (!SQLSucceeded(ret)) {
        SetFailedFromHandle("The catalogue call failed without a diagnostic");
        return false;
    }
    DescribeOnWorker();
    return FetchOnWorker(fdNext, 1);
}
