#include "TSourceTable.h"

#include "SqliteColumns.h"
#include "TExport.h"
#include "TODBC.h"
#include "TODBCStatement.h"
#include "SqlText.h"
#include "Text.h"

#include <algorithm>
#include <map>
#include <set>

bool TSourceTable::Read(TExport& Export) {
    TODBCStatement& statement = *Export.Statement;
    Columns.clear();
    PrimaryKey.clear();
    Indexes.clear();
    const bool durations = Export.Connection && Export.Connection->DatabaseKind() == dkMySQL;
    for (bool row = statement.Columns("", "", Export.TableName, ""); row; row = statement.Fetch(fdNext, 1)) {
        TDriverColumn facts = FactsFromCatalogue([&](std::string_view c) { return statement.FieldByName(c); });
        facts.TimeIsDuration = durations;
        Columns.push_back(std::move(facts));
    }
    if (Columns.empty()) return false;
    // Read once at connect, on the connection's worker thread: no ODBC call from here.
    if (Export.Connection) Dbms = LowerCase(Export.Connection->DbmsName());
    if (Dbms == "sqlite") {
        // Generated columns come as plain ones, as other sources give them: their values are in the rows.
        const std::string ident = Export.SourceIdent(Export.TableName);
        InsertGeneratedColumns(Columns, SqliteColumnsWithGenerated(statement, Export.TableName, ident),
                               [](const TSqliteColumn& c) {
                                   TDriverColumn d;
                                   d.Name = c.Name;
                                   d.SqlType = c.SqlType;
                                   d.Size = c.Size;
                                   d.Nullable = !c.NotNull;
                                   d.SourceType = LowerCase(c.DeclaredType);
                                   return d;
                               });
        // SQLite keeps any number or text in a decimal column: where its values do not fit the
        // declared type, the other forms get one that holds them all.
        for (TDriverColumn& c : Columns) {
            const TSqliteDecimal* decimal = FindDecimal(Export.SqliteDecimals(), c.Name);
            const int standIn = decimal ? StandInSqlType(*decimal) : 0;
            if (standIn == 0) continue;
            c.SqlType = standIn;
            c.Unconstrained = standIn == SQL_DECIMAL;
            c.Size = -1;
        }
        // Nor does it hold a text to its column's declared length; a target that does gets the longest.
        for (const TSqliteLongText& text : Export.SqliteLongTexts())
            for (TDriverColumn& c : Columns)
                if (SameText(c.Name, text.Name)) c.Size = text.Longest;
    }
    ReadAutoIncrement(Export);
    ReadPrimaryKey(Export);
    ReadIndexes(Export);
    if (Dbms == "sqlite") ReadSqliteIndexOrder(Export);
    return true;
}

bool TSourceTable::InPrimaryKey(std::string_view Column) const {
    for (const std::string& k : PrimaryKey)
        if (SameText(k, Column)) return true;
    return false;
}

const TDriverColumn* TSourceTable::AutoIncrementKey() const {
    if (PrimaryKey.size() != 1) return nullptr;
    for (const TDriverColumn& c : Columns)
        if (c.AutoIncrement && SameText(c.Name, PrimaryKey[0])) return &c;
    return nullptr;
}

void TSourceTable::ReadAutoIncrement(TExport& Export) {
    // The driver tells from an empty result which columns number themselves.
    TODBCStatement& statement = *Export.Statement;
    statement.ExecSQL("SELECT * FROM " + Export.SourceIdent(Export.TableName) + " WHERE 1=0", true, false);
    for (int i = 0; i < statement.ColumnCount(); ++i) {
        if (statement.ColumnAttribute(i, SQL_DESC_AUTO_UNIQUE_VALUE) != SQL_TRUE) continue;
        const std::string name = statement.ColumnName(i); // upper-cased by the statement
        for (TDriverColumn& c : Columns)
            if (SameText(c.Name, name)) c.AutoIncrement = true;
    }
    // A column filled from a sequence is one too, whatever the driver says of it.
    for (TDriverColumn& c : Columns)
        if (LowerCase(c.Default).starts_with("nextval(")) c.AutoIncrement = true;
}

void TSourceTable::ReadPrimaryKey(TExport& Export) {
    TODBCStatement& statement = *Export.Statement;
    std::vector<std::pair<std::int32_t, std::string>> key;
    for (bool row = statement.PrimaryKeys(Export.TableName, "", ""); row; row = statement.Fetch(fdNext, 1))
        key.emplace_back(statement.FieldAsInteger("key_seq"), statement.FieldByName("column_name"));
    std::stable_sort(key.begin(), key.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (auto& [seq, name] : key)
        PrimaryKey.push_back(std::move(name));
}

void TSourceTable::ReadIndexes(TExport& Export) {
    TODBCStatement& statement = *Export.Statement;
    // Index kinds that the catalogue shows as plain indexes.
    std::map<std::string, std::string> kinds;
    if (Export.Connection && Export.Connection->DatabaseKind() == dkMySQL)
        for (bool row = statement.ExecSQL("SHOW INDEX FROM " + Export.SourceIdent(Export.TableName), true, false);
             row; row = statement.Fetch(fdNext, 1)) {
            const std::string type = UpperCase(statement.FieldByName("index_type"));
            if (type == "FULLTEXT" || type == "SPATIAL") kinds[statement.FieldByName("key_name")] = LowerCase(type);
        }
    for (bool row = statement.Statistics(Export.TableName, "", ""); row; row = statement.Fetch(fdNext, 1)) {
        const std::string column = statement.FieldByName("column_name");
        if (column.empty()) continue; // the table's statistics row
        const std::string name = statement.FieldByName("index_name");
        if (Indexes.empty() || Indexes.back().Name != name || statement.FieldAsInteger("ordinal_position") == 1) {
            TSourceIndex index;
            index.Name = name;
            index.Unique = !statement.FieldAsBoolean("non_unique");
            const auto kind = kinds.find(name);
            if (kind != kinds.end()) index.LeftOutKind = kind->second;
            Indexes.push_back(std::move(index));
        }
        Indexes.back().Columns.emplace_back(column, SameText(statement.FieldByName("asc_or_desc"), "D"));
    }
    // An index on an expression (PostgreSQL) names the expression as its column.
    for (TSourceIndex& index : Indexes)
        for (const auto& column : index.Columns)
            if (std::none_of(Columns.begin(), Columns.end(),
                             [&](const TDriverColumn& c) { return SameText(c.Name, column.first); }))
                index.LeftOutKind = "expression";
    // The primary key's own index is the key itself.
    if (PrimaryKey.empty()) return;
    const auto isKey = [&](const TSourceIndex& index) {
        if (!index.Unique || index.Columns.size() != PrimaryKey.size()) return false;
        for (std::size_t i = 0; i < PrimaryKey.size(); ++i)
            if (!SameText(index.Columns[i].first, PrimaryKey[i])) return false;
        return true;
    };
    const auto key = std::find_if(Indexes.begin(), Indexes.end(), isKey);
    if (key != Indexes.end()) Indexes.erase(key);
}

void TSourceTable::ReadSqliteIndexOrder(TExport& Export) {
    TODBCStatement& statement = *Export.Statement;
    for (TSourceIndex& index : Indexes)
        for (bool row = statement.ExecSQL("SELECT name, \"desc\" FROM pragma_index_xinfo('" + LiteralBody(index.Name) +
                                              "') WHERE key = 1",
                                          true, false);
             row; row = statement.Fetch(fdNext, 1))
            for (auto& [column, descending] : index.Columns)
                if (SameText(column, statement.FieldByName("name"))) descending = statement.FieldAsInteger("desc") != 0;
}
