// CREATE TABLE with one definition per column, then the index and Firebird sections.
#include "SqlText.h"
#include "TDialectWriter.h"
#include "TExport.h"
#include "TNameList.h"
#include "TODBC.h"
#include "TODBCStatement.h"
#include "TOutFile.h"
#include "UiHooks.h"

namespace {

// The column taken from a trigger named prefix$table$column (prefix 9 letters long).
std::string TriggerColumn(const std::string& Name) {
    if (Name.size() <= 10) return {};
    const std::string rest = Name.substr(10, 99);
    const std::size_t p = rest.find('$');
    if (p == std::string::npos) return {};
    if (p + 11 > Name.size()) return {};
    return Name.substr(p + 11, 99);
}

} // namespace

void TExport::WriteStructure() {
    Connection->BindColumns = true;
    TNameList autoIncColumns, keyColumns, timestampColumns;
    FShowTypes.clear();

    if (SourceDialect == edMySQL) {
        for (bool row = Statement->ExecSQL("SHOW COLUMNS FROM " + SourceIdent(TableName), true, false); row;
             row = Statement->Fetch(fdNext, 1)) {
            if (Statement->FieldByName("extra").find("auto_increment") != std::string::npos)
                autoIncColumns.Add(Statement->FieldByName("field"));
            FShowTypes.emplace_back(Statement->FieldByName("field"), Statement->FieldByName("type"));
        }
    }
    if (SourceDialect == edFirebird && Dialect == edMySQL) {
        for (bool row = Statement->ExecSQLFmt("SELECT * FROM rdb$triggers WHERE rdb$relation_name = '%s'",
                                              {LiteralBody(TableName)});
             row; row = Statement->Fetch(fdNext, 1)) {
            const std::string name = LowerCase(Statement->FieldByName("rdb$trigger_name"));
            const std::string prefix = name.substr(0, 9);
            if (prefix == "td_update" || prefix == "ai_insert") {
                const std::string column = TriggerColumn(name);
                if (!column.empty()) (prefix == "td_update" ? timestampColumns : autoIncColumns).Add(column);
            }
        }
    }
    for (bool row = Statement->PrimaryKeys(TableName, "", ""); row; row = Statement->Fetch(fdNext, 1))
        keyColumns.Add(Statement->FieldByName("column_name"));

    bool haveRow;
    if (OracleSelect)
        haveRow = Statement->ExecSQLFmt("select column_name,data_type as type_name,data_length as "
                                        "column_size,data_precision,data_scale as "
                                        "decimal_digits,nullable as is_nullable FROM all_tab_columns where "
                                        "table_name='%s' order by column_id",
                                        {LiteralBody(TableName)});
    else
        haveRow = Statement->Columns("", "", TableName, "");

    if (!haveRow) {
        Statement->CheckError(SQL_ERROR);
        ResultCode = ResultNoColumns;
    } else {
        Line("");
        SectionHeader("Table structure");
        if (DropFirst) LineFmt("DROP TABLE %s;", {Ident(TableName)});
        LineFmt("CREATE TABLE %s (", {Ident(TableName)});
        std::vector<std::string> autoIncDefs;
        int written = 0;
        while (haveRow && !Cancelled) {
            if (written > 0) Line(",");
            std::string autoIncDef;
            WriteColumnDef(autoIncColumns, keyColumns, timestampColumns, autoIncDef);
            if (!autoIncDef.empty()) autoIncDefs.push_back(std::move(autoIncDef));
            ++written;
            if (Cancelled) break;
            haveRow = Statement->Fetch(fdNext, 1);
            ProcessMessages();
        }
        if (written > 0) {
            FOut->EndLine();
            Line(FWriter->CreateTableEnd());
        }
        WriteIndexes(keyColumns);
        FWriter->WriteAutoIncrement(*this, autoIncDefs);
    }
    FWriter->WriteTableExtras(*this, autoIncColumns, timestampColumns);
}

void TExport::WriteColumnDef(const TNameList& AutoIncColumns, const TNameList& KeyColumns,
                             TNameList& TimestampColumns, std::string& AutoIncDef) {
    const std::string columnName = Statement->FieldByName("column_name");
    const std::string typeName = LowerCase(Statement->FieldByName("type_name"));
    const bool mysqlTimestamp = typeName == "timestamp" && SourceDialect == edMySQL;
    if (mysqlTimestamp) TimestampColumns.Add(columnName);

    std::string nullText;
    const std::string nullable = Statement->FieldByName("is_nullable");
    if (FWriter->WritesNotNull() && (nullable.empty() || nullable[0] != 'Y' || KeyColumns.Contains(columnName)))
        nullText = " NOT NULL";

    std::string defaultText, autoIncText;
    const bool autoInc = AutoIncColumns.Contains(columnName);
    if (!autoInc) {
        const std::string def = Statement->FieldByName("column_def");
        if (!def.empty() && def != "NULL" && def != "'0000-00-00'" && !mysqlTimestamp) {
            if (def[0] == '\'' || IsNumber(def))
                defaultText = " DEFAULT " + def;
            else
                defaultText = " DEFAULT '" + def + "'";
        }
    } else {
        autoIncText = FWriter->AutoIncrementMarker();
    }

    const bool timestampOverride = TimestampColumns.Contains(columnName);
    std::string typeText;
    // Types whose catalogue name and size lose what the column holds (enum values, binary lengths).
    for (const auto& [field, showType] : FShowTypes)
        if (SameText(field, columnName)) {
            typeText = FWriter->DeclaredType(SourceDialect, typeName, showType);
            break;
        }
    if (typeText.empty())
        typeText = FWriter->TypeText(SourceDialect, OracleSelect, timestampOverride,
                                     [this](std::string_view column) { return Statement->FieldByName(column); });

    std::string def = Ident(columnName);
    def += ' ';
    def += typeText;
    def += defaultText;
    def += nullText;
    Text("  " + def);
    if (!autoIncText.empty()) AutoIncDef = def + autoIncText;
}
