#include "TFirebirdWriter.h"

#include "ExactFloats.h"
#include "ReservedWords.h"
#include "SqlText.h"
#include "TExport.h"
#include "TODBC.h"
#include "TODBCStatement.h"
#include "TTableFacts.h"
#include "TypeMapping.h"
#include "Text.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <utility>

namespace {

// From a MySQL source. Firebird has no double, and MySQL's enum, text and blob types
// become what holds their values.
// Unsigned types take the next wider type, as Firebird has no unsigned ones.
constexpr TColInfo kFromMySQL[] = {
    {"tinyint", "smallint", false, false},
    {"tinyint unsigned", "smallint", false, false},
    {"smallint", "smallint", false, false},
    {"smallint unsigned", "int", false, false},
    {"mediumint", "int", false, false},
    {"mediumint unsigned", "int", false, false},
    {"int", "int", false, false},
    {"int unsigned", "bigint", false, false},
    {"integer", "int", false, false},
    {"integer unsigned", "bigint", false, false},
    {"bigint", "bigint", false, false},
    {"bigint unsigned", "varchar(20)", false, false, "bigint unsigned: no Firebird number holds every value"},
    {"float", "float", false, false},
    {"float unsigned", "float", false, false},
    {"double", "double precision", false, false},
    {"double unsigned", "double precision", false, false},
    {"decimal", "decimal", true, true},
    {"decimal unsigned", "decimal", true, true},
    {"year", "smallint", false, false},
    // bit(1) is read as 0 or 1; wider bits as their bytes.
    {"bit", "bit", true, false},
    {"binary", "char", true, false, "binary: bytes"},
    {"varbinary", "varchar", true, false, "varbinary: bytes"},
    {"set", "varchar", true, false, "set: its values as text"},
    {"char", "char", true, false},
    {"varchar", "varchar", true, false},
    {"datetime", "timestamp", false, false},
    {"timestamp", "", false, false},
    {"date", "date", false, false},
    // MySQL's time is a duration (-838:59:59.999999 to 838:59:59.999999), Firebird's a time
    // of day; DeclaredType narrows the text to the column's fractional digits.
    {"time", "varchar(17)", false, false, "time: durations beyond Firebird's time of day, kept as text"},
    // char(1) would refuse every value longer than one letter.
    {"enum", "varchar", true, false},
    {"tinytext", "blob sub_type text", false, false},
    {"text", "blob sub_type text", false, false},
    {"mediumtext", "blob sub_type text", false, false},
    {"longtext", "blob sub_type text", false, false},
    {"tinyblob", "blob", false, false},
    {"blob", "blob", false, false},
    {"mediumblob", "blob", false, false},
    {"longblob", "blob", false, false},
    // MariaDB's own types: read as their text; spatial values as their stored bytes.
    {"uuid", "char(36)", false, false, "uuid: its text"},
    {"inet4", "varchar(15)", false, false, "inet4: its text"},
    {"inet6", "varchar(45)", false, false, "inet6: its text"},
    {"geometry", "blob", false, false, "geometry: its stored bytes"},
    {"point", "blob", false, false, "point: its stored bytes"},
    {"linestring", "blob", false, false, "linestring: its stored bytes"},
    {"polygon", "blob", false, false, "polygon: its stored bytes"},
    {"multipoint", "blob", false, false, "multipoint: its stored bytes"},
    {"multilinestring", "blob", false, false, "multilinestring: its stored bytes"},
    {"multipolygon", "blob", false, false, "multipolygon: its stored bytes"},
    {"geometrycollection", "blob", false, false, "geometrycollection: its stored bytes"},
};

// From a Firebird source: every name stays.
constexpr TColInfo kFromFirebird[] = {
    {"smallint", "", false, false},
    {"int", "", false, false},
    {"float", "", false, false},
    {"double", "", false, false},
    {"decimal", "", true, true},
    {"char", "", true, false},
    {"varchar", "", true, false},
    {"timestamp", "", false, false},
    {"date", "", false, false},
    {"time", "", false, false},
};

// Runs the select of the table's generators (named GEN$TABLE$column) on Statement.
bool SelectGenerators(TODBCStatement& Statement, const std::string& TableName) {
    return Statement.ExecSQLFmt("SELECT * FROM rdb$generators WHERE rdb$generator_name LIKE '%s%%'",
                                {LiteralBody("GEN$" + UpperCase(TableName) + "$")});
}

// A generator value: the text of a whole number (64 bits), 0 for anything else.
std::string WholeNumber(const std::string& Text) {
    std::size_t i = Text.starts_with('-') ? 1 : 0;
    if (i == Text.size() || Text.size() > 20) return "0";
    for (; i < Text.size(); ++i)
        if (Text[i] < '0' || Text[i] > '9') return "0";
    return Text;
}

} // namespace

std::span<const TColInfo> TFirebirdWriter::TypeTable(TExportDialect Source) const {
    if (Source == edMySQL) return kFromMySQL;
    if (Source == edFirebird) return kFromFirebird;
    return {};
}

std::string TFirebirdWriter::DeclaredType(TExportDialect Source, std::string_view CatalogueType,
                                          std::string_view ShowType, std::string& Note) const {
    if (Source != edMySQL) return {};
    const std::string declared = LowerCase(MySQLDeclaredType(CatalogueType, ShowType));
    // MySQL's time holds durations: negative, and up to 838 hours. Firebird's time is a time
    // of day, so every MySQL time is text: sign, three hour digits, and the fraction.
    if (declared == "time" || (declared.starts_with("time(") && declared.size() == 7 && declared[6] == ')')) {
        const int digits = declared == "time" ? 0 : declared[5] - '0';
        if (digits < 0 || digits > 6) return {};
        Note = declared + ": durations beyond Firebird's time of day, kept as text";
        return "varchar(" + std::to_string(10 + (digits > 0 ? digits + 1 : 0)) + ")";
    }
    // Firebird keeps four fractional digits of a second; MySQL up to six. A column with
    // more than four keeps its values as text (date, time and every digit).
    for (const auto& [name, width] : {std::pair{std::string_view("datetime"), 20}, {"timestamp", 20}}) {
        if (!declared.starts_with(name) || declared.size() != name.size() + 3 || declared[name.size()] != '(')
            continue;
        const int digits = declared[name.size() + 1] - '0';
        if (digits <= 4 || digits > 6) return {};
        Note = declared + ": more fractional digits than Firebird's four, kept as text";
        return "varchar(" + std::to_string(width + digits) + ")";
    }
    return {};
}

std::string TFirebirdWriter::IndexName(std::string_view Table, std::string_view Index) const {
    // Firebird's index names are unique in the whole database, not per table.
    return std::string(Table) + "_" + std::string(Index);
}

void TFirebirdWriter::WriteIndex(TExport& Export, const TIndexFacts& Index) const {
    if (SkipMissingKind(Export, Index)) return;
    // A Firebird index runs one way for all its columns.
    std::size_t descending = 0;
    for (const TIndexColumn& column : Index.Columns)
        if (column.Descending) ++descending;
    const bool allDescending = descending == Index.Columns.size() && descending > 0;
    if (descending > 0 && !allDescending)
        Export.Line("/* index " + CommentText(Index.Name) +
                    " is ascending here: a Firebird index runs one way for all its columns */");
    std::string text = IndexHead(Export, Index, allDescending ? "DESCENDING " : "");
    for (std::size_t i = 0; i < Index.Columns.size(); ++i) {
        if (i > 0) text += ',';
        text += Ident(Index.Columns[i].Name);
    }
    Export.Line(text + ");");
}

std::string FirebirdName(std::string_view Name) {
    constexpr std::size_t limit = 31, keep = 22;
    if (Name.size() <= limit) return std::string(Name);
    std::uint32_t hash = 2166136261u; // FNV-1a
    for (char c : Name) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 16777619u;
    }
    std::size_t cut = keep;
    while (cut > 0 && (static_cast<unsigned char>(Name[cut]) & 0xC0) == 0x80)
        --cut;
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string r(Name.substr(0, cut));
    r += '$';
    for (int shift = 28; shift >= 0; shift -= 4)
        r += digits[(hash >> shift) & 15];
    return r;
}

std::string TFirebirdWriter::TargetName(std::string_view Name) const {
    return FirebirdName(Name);
}

bool TFirebirdWriter::IsReserved(std::string_view Name) const {
    return IsReservedIn(FirebirdReservedWords, Name);
}

void TFirebirdWriter::FinishType(std::string& Text, TExportDialect, bool, std::string& Note) const {
    // "name(digits[,digits])" parts of a type text.
    const auto number = [&Text](std::size_t From, std::size_t To) -> long {
        if (From >= To) return -1;
        long n = 0;
        for (std::size_t i = From; i < To; ++i) {
            if (Text[i] < '0' || Text[i] > '9' || n > 100000) return -1;
            n = n * 10 + (Text[i] - '0');
        }
        return n;
    };
    const std::size_t open = Text.find('(');
    const std::size_t close = Text.find(')');
    if (open == std::string::npos || close == std::string::npos || close < open) return;
    const std::string name = Text.substr(0, open);
    const std::size_t comma = Text.find(',', open);
    const long first = number(open + 1, comma < close ? comma : close);
    if (name == "bit" && first > 0) {
        if (first == 1) {
            Text = "smallint";
        } else {
            Text = "char(" + std::to_string((first + 7) / 8) + ") character set octets";
            Note = "bit(" + std::to_string(first) + "): its bytes";
        }
    } else if ((name == "char" || name == "varchar") && Note.ends_with("bytes")) {
        Text += " character set octets";
    } else if (name == "decimal" && first > 18) {
        // Firebird's numbers end at 18 digits; the text holds every digit and the sign.
        Text = "varchar(" + std::to_string(first + 2) + ")";
        Note = "decimal(" + std::to_string(first) + "): above Firebird's 18 digits, kept as text";
    }
}

void TFirebirdWriter::WriteTableExtras(TExport& Export, const TTableFacts& Facts) const {
    if (Export.SourceDialect == edFirebird)
        WriteFromFirebird(Export);
    else if (Export.SourceDialect == edMySQL || !Facts.AutoIncColumns.Items.empty())
        WriteMadeUp(Export, Facts); // a PostgreSQL identity or serial column numbers itself too

    Export.LineFmt("/*  Grant Statement for table '%s' */", {CommentText(Export.TableName)});
    Export.LineFmt("GRANT ALL ON %s TO PUBLIC;", {Ident(Export.TableName)});
}

void TFirebirdWriter::WriteMadeUp(TExport& Export, const TTableFacts& Facts) const {
    const std::string& tableName = Export.TableName;
    MakeClockTriggers(Export, Facts);
    Export.SectionHeader("Generators and Triggers");
    const std::string table = Ident(tableName);
    TODBCStatement& statement = *Export.Statement;
    for (const std::string& c : Facts.AutoIncColumns.Items) {
        const std::string column = Ident(c);
        const std::string generator = Ident(UpperCase("GEN$" + tableName + "$" + c));
        if (Export.DropFirst) Export.LineFmt("DROP GENERATOR %s;", {generator});
        Export.LineFmt("CREATE GENERATOR %s;", {generator});
        const bool row = statement.ExecSQLFmt("SELECT MAX(%s) max FROM %s",
                                              {Export.SourceIdent(c), Export.SourceIdent(tableName)});
        Export.LineFmt("SET GENERATOR %s TO %s;", {generator, WholeNumber(row ? statement.FieldByName("max") : "")});
        Export.Line("SET TERM !! ;");
        Export.LineFmt("CREATE TRIGGER %s FOR %s", {Ident("ai_insert$" + tableName + "$" + c), table});
        Export.Line("BEFORE INSERT");
        Export.Line("POSITION 0 AS");
        Export.Line("BEGIN");
        Export.LineFmt("  IF (NEW.%s IS NULL) THEN", {column});
        Export.Line("  BEGIN");
        Export.LineFmt("    NEW.%s = GEN_ID(%s, 1);", {column, generator});
        Export.Line("  END");
        Export.Line("END !!");
        Export.Line("SET TERM ; !!");
    }
}

void TFirebirdWriter::MakeClockTriggers(const TExport& Export, const TTableFacts& Facts) const {
    FClockTriggers.clear();
    const std::string table = Ident(Export.TableName);
    const auto add = [this](std::string Line) { FClockTriggers.push_back(std::move(Line)); };
    for (const std::string& c : Facts.TimestampColumns.Items) {
        const std::string column = Ident(c);
        add("SET TERM !! ;");
        for (const auto& [prefix, event] : {std::pair{"td_insert$", "INSERT"}, std::pair{"td_update$", "UPDATE"}}) {
            add("CREATE TRIGGER " + Ident(prefix + Export.TableName + "$" + c) + " FOR " + table);
            add("BEFORE " + std::string(event) + " AS");
            add("BEGIN");
            add("  IF (NEW." + column + " IS NULL) THEN");
            add("    NEW." + column + " = CURRENT_TIMESTAMP;");
            add("END !!");
        }
        add("SET TERM ; !!");
    }
    for (const TColumnFacts& c : Facts.Columns) {
        std::string precision;
        if (c.OnUpdate.empty() || ClockDefault(c.OnUpdate, precision) != TClockDefault::Timestamp) continue;
        // MySQL sets the clock when an update changes another column and leaves this one as
        // it was; a column set to any value keeps that value.
        std::vector<std::string> others;
        for (const TColumnFacts& other : Facts.Columns)
            if (!SameText(other.Name, c.Name))
                others.push_back("NEW." + Ident(other.Name) + " IS DISTINCT FROM OLD." + Ident(other.Name));
        if (others.empty()) continue; // an update of this table never changes another column
        const std::string column = Ident(c.Name);
        add("SET TERM !! ;");
        add("CREATE TRIGGER " + Ident("on_update$" + Export.TableName + "$" + c.Name) +
                                    " FOR " + table);
        add("BEFORE UPDATE AS");
        add("BEGIN");
        add("  IF (NEW." + column + " IS NOT DISTINCT FROM OLD." + column + " AND (");
        for (std::size_t i = 0; i < others.size(); ++i)
            add("      " + others[i] + (i + 1 < others.size() ? " OR" : ")) THEN"));
        // Firebird's clock has at most three digits; a column without any gets whole seconds.
        const std::string digits = std::to_string(std::min(precision.empty() ? 0 : std::atoi(precision.c_str()), 3));
        add("    NEW." + column + " = CURRENT_TIMESTAMP(" + digits + ");");
        add("END !!");
        add("SET TERM ; !!");
    }
}

void TFirebirdWriter::WriteFromFirebird(TExport& Export) const {
    const std::string& tableName = Export.TableName;
    TODBCStatement& statement = *Export.Statement;
    Export.SectionHeader("Generators and Triggers");
    for (bool row = SelectGenerators(statement, tableName); row; row = statement.Fetch(fdNext, 1)) {
        const std::string generator = Ident(UpperCase(statement.FieldByName("rdb$generator_name")));
        if (Export.DropFirst) Export.LineFmt("DROP GENERATOR %s;", {generator});
        Export.LineFmt("CREATE GENERATOR %s;", {generator});
    }
    // The source's own triggers come after the rows: loading must not fire them (a trigger
    // that numbers, stamps or audits every insert would rewrite the rows it loads).
    FCopiedTriggers.clear();
    const std::string table = Ident(tableName);
    for (bool row = statement.ExecSQLFmt("SELECT * FROM rdb$triggers WHERE rdb$relation_name = '%s'",
                                         {LiteralBody(tableName)});
         row; row = statement.Fetch(fdNext, 1)) {
        FCopiedTriggers.push_back("SET TERM !! ;");
        FCopiedTriggers.push_back("CREATE TRIGGER " + Ident(statement.FieldByName("rdb$trigger_name")) + " FOR " +
                                  table);
        std::string text = statement.FieldAsInteger("rdb$trigger_inactive") == 1 ? "INACTIVE " : "";
        text += TriggerEvents(statement.FieldAsInteger("rdb$trigger_type"));
        if (const std::int32_t position = statement.FieldAsInteger("rdb$trigger_sequence"); position != 0)
            text += "POSITION " + std::to_string(position) + " ";
        text += statement.FieldByName("rdb$trigger_source");
        text += " !!";
        FCopiedTriggers.push_back(std::move(text));
        FCopiedTriggers.push_back("SET TERM ; !!");
    }
}

std::string TFirebirdWriter::TriggerEvents(std::int32_t Type) {
    // One more than Firebird's trigger type: even fires before, odd after; each two-bit slot
    // from bit 1 up names one event (1 insert, 2 update, 3 delete), so a single-action type
    // has one slot and "INSERT OR UPDATE" two.
    const std::int32_t kind = Type + 1;
    std::string text = kind % 2 == 0 ? "BEFORE " : "AFTER ";
    static constexpr std::string_view events[] = {"", "INSERT", "UPDATE", "DELETE"};
    bool first = true;
    for (int shift = 1; shift <= 5; shift += 2) {
        const std::string_view event = events[(kind >> shift) & 3];
        if (event.empty()) continue;
        if (!first) text += "OR ";
        text += event;
        text += ' ';
        first = false;
    }
    return text;
}

void TFirebirdWriter::WriteAfterRows(TExport& Export) const {
    for (auto [title, lines] : {std::pair{"Clock Triggers", &FClockTriggers}, std::pair{"Triggers", &FCopiedTriggers}}) {
        if (lines->empty()) continue;
        Export.SectionHeader(title);
        for (const std::string& line : *lines)
            Export.Line(line);
        lines->clear();
    }
    if (Export.SourceDialect != edFirebird) return;
    // The generator list stays open while each value is read, hence a second statement.
    TODBCStatement values(Export.Connection, false, false);
    TODBCStatement& statement = *Export.Statement;
    Export.SectionHeader("Current Generator Values");
    for (bool row = SelectGenerators(statement, Export.TableName); row; row = statement.Fetch(fdNext, 1)) {
        const std::string generator = statement.FieldByName("rdb$generator_name");
        const bool ok =
            values.ExecSQLFmt("SELECT gen_id(%s, 0) genid FROM rdb$database", {Export.SourceIdent(generator)});
        Export.LineFmt("SET GENERATOR %s TO %s;", {Ident(generator), WholeNumber(ok ? values.FieldByName("GENID") : "")});
    }
}

void TFirebirdWriter::AppendField(std::string& Out, const TFieldData& Field, const TResultColumn& Column) const {
    // A floating-point value whose text Firebird would read one step off, or refuse (beyond
    // its scale of 308), goes as a product it computes exactly.
    // A float column narrows that double, and refuses one beyond the largest float.
    if (!Field.Null && !Column.Binary && IsFloatSqlType(Column.SqlType)) {
        std::string text;
        if (Column.SqlType == SQL_REAL && WidenedFloatText(Field.Bytes, text)) {
            AppendField(Out, TFieldData{text, false}, TResultColumn{{}, Column.Type, SQL_DOUBLE, false});
            return;
        }
        if (ExactProductText(Field.Bytes, text)) {
            Out += text;
            return;
        }
    }
    TDialectWriter::AppendField(Out, Field, Column);
}
