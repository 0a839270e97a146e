// The table's facts read once from the catalogue, then CREATE TABLE with one definition per
// column, the index section and the target's own sections.
#include "SqlText.h"
#include "SqliteColumns.h"
#include "TDialectWriter.h"
#include "TExport.h"
#include "TODBC.h"
#include "TODBCStatement.h"
#include "TOutFile.h"
#include "TTableFacts.h"
#include "TypeFromFacts.h"
#include "UiHooks.h"

#include <algorithm>
#include <cstdlib>
#include <sql.h>
#include <sqlext.h>

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

bool TTableFacts::IsKeyIndex(const TIndexFacts& Index) const {
    if (!Index.Unique || Index.Columns.size() != KeyColumns.Items.size()) return false;
    for (std::size_t i = 0; i < Index.Columns.size(); ++i)
        if (!SameText(Index.Columns[i].Name, KeyColumns.Items[i])) return false;
    return true;
}

std::string TColumnFacts::Catalogue(std::string_view Column) const {
    if (SameText(Column, "column_size")) return Size;
    if (SameText(Column, "decimal_digits")) return DecimalDigits;
    if (SameText(Column, "data_precision")) return Precision;
    if (SameText(Column, "length")) return Length;
    if (SameText(Column, "scale")) return Scale;
    if (SameText(Column, "type_name")) return TypeName;
    return {};
}

// A PostgreSQL default ('x'::character varying, NULL::bit, (-1), now()) in the plain form
// the writers read; an expression no target shares is left out.
static std::string PortableDefault(const std::string& Default) {
    const TColumnDefault d = ParseDefault(Default);
    switch (d.Kind) {
    case TColumnDefault::Literal:
        return "'" + LiteralBody(d.Value) + "'";
    case TColumnDefault::Number:
    case TColumnDefault::Boolean:
        return d.Value;
    default:
        return std::string(StandardClock(d.Kind));
    }
}

static TDriverColumn DriverColumnOf(const TColumnFacts& Column) {
    TDriverColumn d;
    d.Name = Column.Name;
    d.SqlType = Column.SqlType;
    d.Size = Column.Size.empty() ? -1 : std::atoll(Column.Size.c_str());
    d.Digits = Column.DecimalDigits.empty() ? -1 : std::atoi(Column.DecimalDigits.c_str());
    d.Nullable = Column.Nullable;
    d.AutoIncrement = Column.AutoIncrement;
    d.Unconstrained = Column.Unconstrained;
    d.SourceType = LowerCase(Column.TypeName);
    d.Default = Column.Default;
    return d;
}

bool TExport::MarksAutoIncrement(const TColumnFacts& Column, const TTableFacts& Facts) const {
    if (SourceDialect == edMySQL) return true;
    // Other sources may number several columns, or one outside any key; MySQL takes one
    // auto-increment column, and only at the head of an index: the first such column.
    const auto leads = [&Facts](const std::string& Name) {
        if (!Facts.KeyColumns.Items.empty() && SameText(Facts.KeyColumns.Items[0], Name)) return true;
        return std::any_of(Facts.Indexes.begin(), Facts.Indexes.end(), [&](const TIndexFacts& Index) {
            return Index.Kind.empty() && !Index.Columns.empty() && SameText(Index.Columns[0].Name, Name);
        });
    };
    for (const TColumnFacts& c : Facts.Columns)
        if (c.AutoIncrement && leads(c.Name)) return SameText(c.Name, Column.Name);
    return false;
}

bool TExport::TypesFromFacts() const {
    // A pair without a type table would copy the source's type names, which its target may
    // not know; so would the Oracle table for the other kinds that share the Oracle source
    // dialect (PostgreSQL, SQLite, SQL Server...). The Oracle catalogue select has no
    // driver facts.
    if (OracleSelect) return false;
    if (FWriter->TypeTable(SourceDialect).empty()) return true;
    return SourceDialect == edOracle && (!Connection || Connection->DatabaseKind() != dkOracle);
}

bool TExport::ReadTableFacts(TTableFacts& Facts) {
    struct TShowColumn {
        std::string Field, Type, OnUpdate;
        bool Nullable;
    };
    std::vector<TShowColumn> showColumns; // MySQL: declared type and on-update clock
    if (SourceDialect == edMySQL) {
        for (bool row = Statement->ExecSQL("SHOW COLUMNS FROM " + SourceIdent(TableName), true, false); row;
             row = Statement->Fetch(fdNext, 1)) {
            const std::string extra = LowerCase(Statement->FieldByName("extra"));
            if (extra.find("auto_increment") != std::string::npos)
                Facts.AutoIncColumns.Add(Statement->FieldByName("field"));
            constexpr std::string_view onUpdate = "on update ";
            const std::size_t at = extra.find(onUpdate);
            showColumns.push_back({Statement->FieldByName("field"), Statement->FieldByName("type"),
                                   at == std::string::npos ? std::string() : extra.substr(at + onUpdate.size()),
                                   SameText(Statement->FieldByName("null"), "YES")});
        }
    }
    // Columns that a Firebird source fills by trigger, for a MySQL target to mark them.
    if (SourceDialect == edFirebird && Dialect == edMySQL) {
        for (bool row = Statement->ExecSQLFmt("SELECT * FROM rdb$triggers WHERE rdb$relation_name = '%s'",
                                              {LiteralBody(TableName)});
             row; row = Statement->Fetch(fdNext, 1)) {
            const std::string name = LowerCase(Statement->FieldByName("rdb$trigger_name"));
            const std::string prefix = name.substr(0, 9);
            if (prefix == "td_update" || prefix == "ai_insert") {
                const std::string column = TriggerColumn(name);
                if (!column.empty())
                    (prefix == "td_update" ? Facts.TimestampColumns : Facts.AutoIncColumns).Add(column);
            }
        }
    }
    std::vector<std::pair<std::int32_t, std::string>> key; // position in the key, column
    for (bool row = Statement->PrimaryKeys(TableName, "", ""); row; row = Statement->Fetch(fdNext, 1))
        key.emplace_back(Statement->FieldAsInteger("key_seq"), Statement->FieldByName("column_name"));
    std::stable_sort(key.begin(), key.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (auto& [position, column] : key)
        Facts.KeyColumns.Add(std::move(column));

    const bool postgres = Connection && Connection->DatabaseKind() == dkPostgreSQL;
    // PostgreSQL's identity columns have no default to tell them by; the driver marks them
    // (and serial columns) as numbering themselves in a result's description.
    std::vector<std::string> numbered;
    if (postgres) {
        Statement->ExecSQL("SELECT * FROM " + SourceIdent(TableName) + " WHERE 1=0", true, false); // no row
        for (int i = 0; i < Statement->ColumnCount(); ++i)
            if (Statement->ColumnAttribute(i, SQL_DESC_AUTO_UNIQUE_VALUE) == SQL_TRUE)
                numbered.push_back(Statement->ColumnName(i));
    }

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
        return false;
    }
    for (; haveRow; haveRow = Statement->Fetch(fdNext, 1)) {
        TColumnFacts c;
        c.Name = Statement->FieldByName("column_name");
        c.TypeName = Statement->FieldByName("type_name");
        c.SqlType = Statement->FieldAsInteger("data_type");
        c.Size = Statement->FieldByName("column_size");
        c.DecimalDigits = Statement->FieldByName("decimal_digits");
        c.Precision = Statement->FieldByName("data_precision");
        c.Length = Statement->FieldByName("length");
        c.Scale = Statement->FieldByName("scale");
        const std::string nullable = Statement->FieldByName("is_nullable");
        // The PostgreSQL driver leaves is_nullable empty; its "nullable" (SQL_NULLABLE) says it.
        if (nullable.empty() && !OracleSelect)
            c.Nullable = Statement->FieldAsInteger("nullable") == SQL_NULLABLE;
        else
            c.Nullable = !nullable.empty() && nullable[0] == 'Y';
        c.Default = Statement->FieldByName("column_def");
        if (postgres) {
            // A PostgreSQL column filled from a sequence (serial) numbers itself.
            if (LowerCase(c.Default).starts_with("nextval(") ||
                std::any_of(numbered.begin(), numbered.end(), [&](const std::string& n) { return SameText(n, c.Name); }))
                Facts.AutoIncColumns.Add(c.Name);
            c.Default = PortableDefault(c.Default);
        }
        c.Unconstrained = (c.SqlType == SQL_NUMERIC || c.SqlType == SQL_DECIMAL) && Statement->FieldByName("typmod") == "-1";
        c.AutoIncrement = Facts.AutoIncColumns.Contains(c.Name);
        if (SourceDialect == edMySQL && LowerCase(c.TypeName) == "timestamp") Facts.TimestampColumns.Add(c.Name);
        c.Timestamp = Facts.TimestampColumns.Contains(c.Name);
        for (const TShowColumn& show : showColumns)
            if (SameText(show.Field, c.Name)) {
                c.DeclaredType = show.Type;
                c.OnUpdate = show.OnUpdate;
                // The MariaDB connector calls every timestamp column nullable.
                c.Nullable = show.Nullable;
                break;
            }
        Facts.Columns.push_back(std::move(c));
    }
    const bool sqlite = Connection && SameText(Connection->DbmsName(), "SQLite");
    if (sqlite && !OracleSelect)
        // Generated columns come as plain ones, as other sources give them: their values are in the rows.
        InsertGeneratedColumns(Facts.Columns, SqliteColumnsWithGenerated(*Statement, TableName, SourceIdent(TableName)),
                               [](const TSqliteColumn& g) {
                                   TColumnFacts c;
                                   c.Name = g.Name;
                                   c.TypeName = g.DeclaredType;
                                   c.SqlType = g.SqlType;
                                   if (g.Size >= 0) c.Size = std::to_string(g.Size);
                                   c.Nullable = !g.NotNull;
                                   return c;
                               });
    if (sqlite)
        // SQLite keeps any number or text in a decimal column: where its values do not fit the
        // declared type, the target gets one that holds them all.
        for (TColumnFacts& c : Facts.Columns) {
            const TSqliteDecimal* decimal = FindDecimal(SqliteDecimals(), c.Name);
            const int standIn = decimal ? StandInSqlType(*decimal) : 0;
            if (standIn == 0) continue;
            c.SqlType = standIn;
            c.Unconstrained = standIn == SQL_DECIMAL;
            c.Size.clear();
        }
    // Nor does it hold a text to its column's declared length; a target that does gets the longest.
    for (const TSqliteLongText& text : sqlite ? SqliteLongTexts() : std::vector<TSqliteLongText>{})
        for (TColumnFacts& c : Facts.Columns)
            if (SameText(c.Name, text.Name)) c.Size = std::to_string(text.Longest);

    // The index catalogue: one row per index column, grouped by index, the columns of
    // each in key order; a new name or a position of 1 begins the next index.
    std::vector<TIndexFacts> indexes;
    if (Statement->Statistics(TableName, "", "")) {
        const std::string_view positionColumn =
            SourceDialect == edFoxPro ? "seq_in_index" : "ordinal_position";
        for (bool row = true; row; row = Statement->Fetch(fdNext, 1)) {
            const std::string column = Statement->FieldByName("column_name");
            if (column.empty()) continue; // the driver's table-statistics rows
            const std::string name = Statement->FieldByName("index_name");
            if (indexes.empty() || indexes.back().Name != name ||
                Statement->FieldAsInteger(positionColumn) == 1) {
                TIndexFacts index;
                index.Name = name;
                index.Unique = !Statement->FieldAsBoolean("non_unique");
                indexes.push_back(std::move(index));
            }
            indexes.back().Columns.push_back({column, SameText(Statement->FieldByName("asc_or_desc"), "D")});
        }
    }
    // MySQL tells full-text and spatial indexes apart only in SHOW INDEX.
    if (SourceDialect == edMySQL && !indexes.empty()) {
        for (bool row = Statement->ExecSQL("SHOW INDEX FROM " + SourceIdent(TableName), true, false); row;
             row = Statement->Fetch(fdNext, 1)) {
            const std::string kind = UpperCase(Statement->FieldByName("index_type"));
            if (kind != "FULLTEXT" && kind != "SPATIAL") continue;
            const std::string name = Statement->FieldByName("key_name");
            for (TIndexFacts& index : indexes)
                if (index.Name == name) index.Kind = kind;
        }
    }
    // The SQLite driver calls every index column ascending; SQLite itself knows better.
    if (sqlite)
        for (TIndexFacts& index : indexes)
            for (bool row = Statement->ExecSQL("SELECT name, \"desc\" FROM pragma_index_xinfo('" +
                                                   LiteralBody(index.Name) + "') WHERE key = 1",
                                               true, false);
                 row; row = Statement->Fetch(fdNext, 1))
                for (TIndexColumn& column : index.Columns)
                    if (SameText(column.Name, Statement->FieldByName("name")))
                        column.Descending = Statement->FieldAsInteger("desc") != 0;
    // An index on an expression (PostgreSQL) names the expression as its column; no plain
    // index can stand for it.
    for (TIndexFacts& index : indexes)
        for (const TIndexColumn& column : index.Columns)
            if (std::none_of(Facts.Columns.begin(), Facts.Columns.end(),
                             [&](const TColumnFacts& c) { return SameText(c.Name, column.Name); }))
                index.Kind = "EXPRESSION";
    for (TIndexFacts& index : indexes)
        if (!Facts.IsKeyIndex(index)) Facts.Indexes.push_back(std::move(index));
    return true;
}

void TExport::WriteStructure() {
    Connection->BindColumns = true;
    if (FWriter->WriteStructure(*this)) return;
    TTableFacts facts;
    if (!ReadTableFacts(facts)) {
        Fail(ResultNoColumns, "the column catalogue has no column of this table");
    } else {
        Line("");
        SectionHeader("Table structure");
        if (DropFirst) LineFmt("DROP TABLE %s;", {Ident(TableName)});
        LineFmt("CREATE TABLE %s (", {Ident(TableName)});
        std::vector<std::string> autoIncDefs;
        bool written = false;
        for (const TColumnFacts& column : facts.Columns) {
            if (Cancelled) break;
            if (written) Line(",");
            std::string autoIncDef;
            WriteColumnDef(column, facts, autoIncDef);
            if (!autoIncDef.empty()) autoIncDefs.push_back(std::move(autoIncDef));
            written = true;
            ProcessMessages();
        }
        if (written) {
            FOut->EndLine();
            Line(FWriter->CreateTableEnd());
        }
        WriteIndexes(facts);
        FWriter->WriteAutoIncrement(*this, autoIncDefs);
    }
    FWriter->WriteTableExtras(*this, facts);
}

bool TExport::IsDefaultExpression(std::string_view Default) const {
    // MariaDB's catalogue quotes a literal default and gives an expression bare (uuid(),
    // concat('a','b'), (1 + 1)); other sources give literals bare too, so only MariaDB's
    // tell the two apart. An expression is taken only when it cannot end the statement.
    if (SourceDialect != edMySQL || !Connection || !SameText(Connection->DbmsName(), "MariaDB")) return false;
    std::string precision;
    if (Default.empty() || Default == "NULL" || Default.front() == '\'' || IsNumber(Default) ||
        ClockDefault(Default, precision) != TClockDefault::None)
        return false;
    return Default.find_first_of(";\r\n") == std::string_view::npos && Default.find("--") == std::string_view::npos &&
           Default.find("/*") == std::string_view::npos && Default.find('#') == std::string_view::npos;
}

void TExport::WriteColumnDef(const TColumnFacts& Column, const TTableFacts& Facts, std::string& AutoIncDef) {
    // A MySQL timestamp column gets its value from triggers in other targets, never from a
    // default; a MySQL target keeps the server's default and on-update clock, which a server
    // that no longer adds them itself (explicit_defaults_for_timestamp) would otherwise lose.
    const bool mysqlTimestamp = SourceDialect == edMySQL && LowerCase(Column.TypeName) == "timestamp";
    const bool keepsServerClock = SourceDialect == edMySQL && Dialect == edMySQL;
    std::string nullText;
    if (FWriter->WritesNotNull() && (!Column.Nullable || Facts.KeyColumns.Contains(Column.Name)))
        nullText = " NOT NULL";
    else if (mysqlTimestamp && keepsServerClock)
        nullText = " NULL"; // without it older servers make a timestamp NOT NULL

    std::string defaultText, autoIncText;
    if (Column.AutoIncrement && MarksAutoIncrement(Column, Facts))
        autoIncText = FWriter->AutoIncrementMarker();
    else if (IsDefaultExpression(Column.Default))
        // Only a MySQL target reads MariaDB's expressions; another leaves the default out, named.
        defaultText = Dialect == edMySQL ? " DEFAULT (" + Column.Default + ")"
                                         : " /* default left out: " + CommentText(Column.Default) + " */";
    else if (!mysqlTimestamp || keepsServerClock)
        defaultText = FWriter->DefaultClause(Column.Default, SourceDialect == edMySQL);
    if (keepsServerClock && !Column.OnUpdate.empty()) defaultText += FWriter->OnUpdateClause(Column.OnUpdate);

    // Types whose catalogue name and size lose what the column holds (enum values, binary lengths).
    std::string typeText, note;
    if (!Column.DeclaredType.empty())
        typeText = FWriter->DeclaredType(SourceDialect, LowerCase(Column.TypeName), Column.DeclaredType, note);
    if (typeText.empty() && TypesFromFacts()) {
        const TTargetType type = TypeFromFacts(DriverColumnOf(Column), Dialect);
        typeText = type.Text;
        note = type.Note;
    }
    if (typeText.empty())
        typeText = FWriter->TypeText(SourceDialect, OracleSelect, Column.Timestamp,
                                     [&Column](std::string_view name) { return Column.Catalogue(name); },
                                     &note);

    // A key or index column needs a type the target can index.
    std::size_t keyWidth = Facts.KeyColumns.Contains(Column.Name) ? Facts.KeyColumns.Items.size() : 0;
    for (const TIndexFacts& index : Facts.Indexes)
        if (index.Kind.empty() && std::any_of(index.Columns.begin(), index.Columns.end(), [&](const TIndexColumn& c) {
                return SameText(c.Name, Column.Name);
            }))
            keyWidth = std::max(keyWidth, index.Columns.size());
    if (keyWidth > 0) FWriter->IndexableType(typeText, note, keyWidth);

    std::string def = Ident(Column.Name);
    def += ' ';
    def += typeText;
    def += defaultText;
    def += nullText;
    Text("  " + def);
    if (!note.empty()) Text(" /* " + CommentText(note) + " */");
    if (!autoIncText.empty()) AutoIncDef = def + autoIncText;
}
