#include "TFirebirdWriter.h"

#include "SqlText.h"
#include "TExport.h"
#include "TODBC.h"
#include "TODBCStatement.h"
#include "TTableFacts.h"

#include <array>
#include <utility>

namespace {

// From a MySQL source. Firebird has no double, and MySQL's enum, text and blob types
// become what holds their values.
constexpr std::array<TColInfo, 30> kFromMySQL{{
    {"tinyint", "smallint", false, false},
    {"tinyint unsigned", "smallint", false, false},
    {"smallint", "smallint", false, false},
    {"smallint unsigned", "smallint", false, false},
    {"mediumint", "int", false, false},
    {"mediumint unsigned", "int", false, false},
    {"int", "int", false, false},
    {"int unsigned", "int", false, false},
    {"integer", "int", false, false},
    {"integer unsigned", "int", false, false},
    {"bigint", "bigint", false, false},
    {"bigint unsigned", "bigint", false, false},
    {"float", "float", false, false},
    {"double", "double precision", false, false},
    {"decimal", "decimal", true, true},
    {"char", "char", true, false},
    {"varchar", "varchar", true, false},
    {"datetime", "timestamp", false, false},
    {"timestamp", "", false, false},
    {"date", "date", false, false},
    {"time", "time", false, false},
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
}};

// From a Firebird source: every name stays.
constexpr std::array<TColInfo, 10> kFromFirebird{{
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
}};

// Runs the select of the table's generators (named GEN$TABLE$column) on Statement.
bool SelectGenerators(TODBCStatement& Statement, const std::string& TableName) {
    return Statement.ExecSQLFmt("SELECT * FROM rdb$generators WHERE rdb$generator_name LIKE '%s%%'",
                                {LiteralBody("GEN$" + UpperCase(TableName) + "$")});
}

} // namespace

std::span<const TColInfo> TFirebirdWriter::TypeTable(TExportDialect Source) const {
    if (Source == edMySQL) return kFromMySQL;
    if (Source == edFirebird) return kFromFirebird;
    return {};
}

void TFirebirdWriter::WriteTableExtras(TExport& Export, const TTableFacts& Facts) const {
    if (Export.SourceDialect == edMySQL) WriteFromMySQL(Export, Facts);
    if (Export.SourceDialect == edFirebird) WriteFromFirebird(Export);
    Export.LineFmt("/*  Grant Statement for table '%s' */", {CommentText(Export.TableName)});
    Export.LineFmt("GRANT ALL ON %s TO PUBLIC;", {Ident(Export.TableName)});
}

void TFirebirdWriter::WriteFromMySQL(TExport& Export, const TTableFacts& Facts) const {
    const std::string& tableName = Export.TableName;
    Export.SectionHeader("Generators and Triggers");
    const std::string table = Ident(tableName);
    for (const std::string& c : Facts.TimestampColumns.Items) {
        const std::string column = Ident(c);
        Export.Line("SET TERM !! ;");
        for (const auto& [prefix, event] :
             {std::pair{"td_insert$", "INSERT"}, std::pair{"td_update$", "UPDATE"}}) {
            Export.LineFmt("CREATE TRIGGER %s FOR %s", {Ident(prefix + tableName + "$" + c), table});
            Export.LineFmt("BEFORE %s AS", {event});
            Export.Line("BEGIN");
            Export.LineFmt("  IF (NEW.%s IS NULL) THEN", {column});
            Export.LineFmt("    NEW.%s = CURRENT_TIMESTAMP;", {column});
            Export.Line("END !!");
        }
        Export.Line("SET TERM ; !!");
    }
    TODBCStatement& statement = *Export.Statement;
    for (const std::string& c : Facts.AutoIncColumns.Items) {
        const std::string column = Ident(c);
        const std::string generator = Ident(UpperCase("GEN$" + tableName + "$" + c));
        if (Export.DropFirst) Export.LineFmt("DROP GENERATOR %s;", {generator});
        Export.LineFmt("CREATE GENERATOR %s;", {generator});
        const bool row = statement.ExecSQLFmt("SELECT MAX(%s) max FROM %s",
                                              {Export.SourceIdent(c), Export.SourceIdent(tableName)});
        const std::int32_t max = row ? statement.FieldAsInteger("max") : 0;
        Export.LineFmt("SET GENERATOR %s TO %d;", {generator, max});
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

void TFirebirdWriter::WriteFromFirebird(TExport& Export) const {
    const std::string& tableName = Export.TableName;
    TODBCStatement& statement = *Export.Statement;
    Export.SectionHeader("Generators and Triggers");
    for (bool row = SelectGenerators(statement, tableName); row; row = statement.Fetch(fdNext, 1)) {
        const std::string generator = Ident(UpperCase(statement.FieldByName("rdb$generator_name")));
        if (Export.DropFirst) Export.LineFmt("DROP GENERATOR %s;", {generator});
        Export.LineFmt("CREATE GENERATOR %s;", {generator});
    }
    const std::string table = Ident(tableName);
    for (bool row = statement.ExecSQLFmt("SELECT * FROM rdb$triggers WHERE rdb$relation_name = '%s'",
                                         {LiteralBody(tableName)});
         row; row = statement.Fetch(fdNext, 1)) {
        const std::int32_t kind = statement.FieldAsInteger("rdb$trigger_type") + 1;
        Export.Line("SET TERM !! ;");
        Export.LineFmt("CREATE TRIGGER %s FOR %s", {Ident(statement.FieldByName("rdb$trigger_name")), table});
        // Firebird's single-action trigger types: odd values fire before, even after;
        // bits 2 and 4 tell insert, update and delete apart.
        std::string text = kind % 2 == 0 ? "BEFORE " : "AFTER ";
        switch (kind & 6) {
        case 2:
            text += "INSERT ";
            break;
        case 4:
            text += "UPDATE ";
            break;
        case 6:
            text += "DELETE ";
            break;
        default:
            break;
        }
        text += statement.FieldByName("rdb$trigger_source");
        text += " !!";
        Export.Line(text);
        Export.Line("SET TERM ; !!");
    }
}

void TFirebirdWriter::WriteAfterRows(TExport& Export) const {
    if (Export.SourceDialect != edFirebird) return;
    // The generator list stays open while each value is read, hence a second statement.
    TODBCStatement values(Export.Connection, false, false);
    TODBCStatement& statement = *Export.Statement;
    Export.SectionHeader("Current Generator Values");
    for (bool row = SelectGenerators(statement, Export.TableName); row; row = statement.Fetch(fdNext, 1)) {
        const std::string generator = statement.FieldByName("rdb$generator_name");
        const bool ok =
            values.ExecSQLFmt("SELECT gen_id(%s, 0) genid FROM rdb$database", {Export.SourceIdent(generator)});
        Export.LineFmt("SET GENERATOR %s TO %d;", {Ident(generator), ok ? values.FieldAsInteger("GENID") : 0});
    }
}
