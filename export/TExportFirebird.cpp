// Firebird targets: generators, triggers, the grant, and the current generator values.
#include "SqlText.h"
#include "TExport.h"
#include "TNameList.h"
#include "TODBC.h"
#include "TODBCStatement.h"
#include "TOutFile.h"

#include <utility>

namespace {
// Runs the select of the table's generators (named GEN$TABLE$column) on Statement.
bool SelectGenerators(TODBCStatement& Statement, const std::string& TableName) {
    return Statement.ExecSQLFmt("SELECT * FROM rdb$generators WHERE rdb$generator_name LIKE '%s%%'",
                                {LiteralBody("GEN$" + UpperCase(TableName) + "$")});
}
} // namespace

void TExport::WriteFirebirdFromMySQL(const TNameList& AutoIncColumns, const TNameList& TimestampColumns) {
    SectionHeader("Generators and Triggers");
    const std::string table = Ident(TableName);
    for (const std::string& c : TimestampColumns.Items) {
        const std::string column = Ident(c);
        Line("SET TERM !! ;");
        for (const auto& [prefix, event] :
             {std::pair{"td_insert$", "INSERT"}, std::pair{"td_update$", "UPDATE"}}) {
            LineFmt("CREATE TRIGGER %s FOR %s", {Ident(prefix + TableName + "$" + c), table});
            LineFmt("BEFORE %s AS", {event});
            Line("BEGIN");
            LineFmt("  IF (NEW.%s IS NULL) THEN", {column});
            LineFmt("    NEW.%s = CURRENT_TIMESTAMP;", {column});
            Line("END !!");
        }
        Line("SET TERM ; !!");
    }
    for (const std::string& c : AutoIncColumns.Items) {
        const std::string column = Ident(c);
        const std::string generator = Ident(UpperCase("GEN$" + TableName + "$" + c));
        if (DropFirst) LineFmt("DROP GENERATOR %s;", {generator});
        LineFmt("CREATE GENERATOR %s;", {generator});
        const bool row =
            Statement->ExecSQLFmt("SELECT MAX(%s) max FROM %s", {SourceIdent(c), SourceIdent(TableName)});
        const std::int32_t max = row ? Statement->FieldAsInteger("max") : 0;
        LineFmt("SET GENERATOR %s TO %d;", {generator, max});
        Line("SET TERM !! ;");
        LineFmt("CREATE TRIGGER %s FOR %s", {Ident("ai_insert$" + TableName + "$" + c), table});
        Line("BEFORE INSERT");
        Line("POSITION 0 AS");
        Line("BEGIN");
        LineFmt("  IF (NEW.%s IS NULL) THEN", {column});
        Line("  BEGIN");
        LineFmt("    NEW.%s = GEN_ID(%s, 1);", {column, generator});
        Line("  END");
        Line("END !!");
        Line("SET TERM ; !!");
    }
}

void TExport::WriteFirebirdFromFirebird() {
    SectionHeader("Generators and Triggers");
    for (bool row = SelectGenerators(*Statement, TableName); row; row = Statement->Fetch(fdNext, 1)) {
        const std::string generator = Ident(UpperCase(Statement->FieldByName("rdb$generator_name")));
        if (DropFirst) LineFmt("DROP GENERATOR %s;", {generator});
        LineFmt("CREATE GENERATOR %s;", {generator});
    }
    const std::string table = Ident(TableName);
    for (bool row = Statement->ExecSQLFmt("SELECT * FROM rdb$triggers WHERE rdb$relation_name = '%s'",
                                          {LiteralBody(TableName)});
         row; row = Statement->Fetch(fdNext, 1)) {
        const std::int32_t kind = Statement->FieldAsInteger("rdb$trigger_type") + 1;
        Line("SET TERM !! ;");
        LineFmt("CREATE TRIGGER %s FOR %s", {Ident(Statement->FieldByName("rdb$trigger_name")), table});
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
        text += Statement->FieldByName("rdb$trigger_source");
        text += " !!";
        Line(text);
        Line("SET TERM ; !!");
    }
}

void TExport::WriteGrant() {
    LineFmt("/*  Grant Statement for table '%s' */", {CommentText(TableName)});
    LineFmt("GRANT ALL ON %s TO PUBLIC;", {Ident(TableName)});
}

void TExport::WriteGeneratorValues() {
    if (Dialect != edFirebird || SourceDialect != edFirebird) return;
    // The generator list stays open while each value is read, hence a second statement.
    TODBCStatement values(Connection, false, false);
    SectionHeader("Current Generator Values");
    for (bool row = SelectGenerators(*Statement, TableName); row; row = Statement->Fetch(fdNext, 1)) {
        const std::string generator = Statement->FieldByName("rdb$generator_name");
        const bool ok =
            values.ExecSQLFmt("SELECT gen_id(%s, 0) genid FROM rdb$database", {SourceIdent(generator)});
        LineFmt("SET GENERATOR %s TO %d;", {Ident(generator), ok ? values.FieldAsInteger("GENID") : 0});
    }
}
