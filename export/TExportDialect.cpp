#include "TExportDialect.h"

#include "TFirebirdWriter.h"
#include "TFoxProWriter.h"
#include "TMySQLWriter.h"
#include "TOracleWriter.h"
#include "TPostgreSQLWriter.h"
#include "TSQLiteWriter.h"

#include <array>

namespace {

template <class Writer> std::unique_ptr<TDialectWriter> Make() {
    return std::make_unique<Writer>();
}

constexpr std::array<TDialectInfo, 8> kDialects{{
    {edMySQL, "mysql", " MySQL Dump using uExport", "", Make<TMySQLWriter>},
    {edFirebird, "firebird", " Firebird Dump using uExport", "", Make<TFirebirdWriter>},
    {edFoxPro, "foxpro", " FoxPro Dump using uExport", "", Make<TFoxProWriter>},
    {edTabText, "tab", "", "\t", Make<TDialectWriter>},
    {edCommaText, "comma", "", ",", Make<TDialectWriter>},
    {edOracle, "oracle", " Oracle Dump using uExport", "", Make<TOracleWriter>},
    {edSQLite, "sqlite", " SQLite Dump using uExport", "", Make<TSQLiteWriter>},
    {edPostgreSQL, "postgresql", " PostgreSQL Dump using uExport", "", Make<TPostgreSQLWriter>},
}};

} // namespace

std::span<const TDialectInfo> ExportDialects() {
    return kDialects;
}

const TDialectInfo* FindDialect(TExportDialect Dialect) {
    for (const TDialectInfo& info : kDialects)
        if (info.Code == Dialect) return &info;
    return nullptr;
}

std::unique_ptr<TDialectWriter> MakeDialectWriter(TExportDialect Dialect) {
    const TDialectInfo* info = FindDialect(Dialect);
    return info ? info->MakeWriter() : std::make_unique<TDialectWriter>();
}

TExportDialect DialectForKind(TDatabaseKind Kind) {
    switch (Kind) {
    case dkMySQL:
        return edMySQL;
    case dkFirebird:
        return edFirebird;
    default:
        return edOracle;
    }
}

bool DialectByName(std::string_view Name, TExportDialect& Dialect) {
    for (const TDialectInfo& info : kDialects)
        if (info.Name == Name) {
            Dialect = info.Code;
            return true;
        }
    return false;
}

std::string_view DialectName(TExportDialect Dialect) {
    const TDialectInfo* info = FindDialect(Dialect);
    return info ? info->Name : std::string_view();
}
