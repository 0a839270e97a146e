// Rows: INSERT statements for the SQL dialects, delimited lines for the text dialects.
#include "SqlText.h"
#include "TDialectWriter.h"
#include "TExport.h"
#include "TODBCStatement.h"
#include "TOutFile.h"
#include "UiHooks.h"

// True when a row is current; a select that fails simply leaves no row to write.
// A where clause whose percent signs are no valid directives raises FormatError.
bool TExport::RunRowSelect() {
    std::string sql = SelectSQL.empty() ? std::string("SELECT * FROM %s") : SelectSQL;
    if (!WhereClause.empty()) sql += " WHERE " + WhereClause;
    bool haveRow;
    if (!SelectSQL.empty())
        haveRow = Statement->ExecSQL(sql, false, false);
    else
        haveRow = Statement->ExecSQLFmt(sql, {SourceIdent(TableName)});
    ResolveReadColumns();
    return haveRow;
}

// Each value is read by its column's name, so a repeated name reads the first column of
// that name; the lookup is done once per select instead of once per field.
void TExport::ResolveReadColumns() {
    const int count = Statement->ColumnCount();
    FReadIndex.assign(count, 0);
    FReadType.assign(count, ctUnknown);
    for (int i = 0; i < count; ++i) {
        const int index = Statement->ColumnIndex(Statement->ColumnName(i));
        FReadIndex[i] = index < 0 ? i : index;
        FReadType[i] = Statement->ColumnType(i);
    }
}

void TExport::WriteDataSection() {
    Line("");
    SectionStart("Dumping data");
    if (!WhereClause.empty()) LineFmt(" WHERE: %s", {CommentText(WhereClause)});
    bool haveRow = RunRowSelect();
    Line("*/");
    ReportProgress(1);
    std::int32_t counter = 1;

    std::string prefix = "INSERT INTO ";
    FWriter->AppendIdent(prefix, TableName);
    prefix += " VALUES(";
    const TDialectWriter& writer = *FWriter;
    const int count = static_cast<int>(FReadIndex.size());
    while (haveRow && !Cancelled) {
        std::string& out = FOut->Buffer();
        out.append(prefix);
        for (int i = 0; i < count; ++i) {
            if (i > 0) out += ',';
            writer.AppendValue(out, Statement->FieldView(FReadIndex[i]), static_cast<TColumnType>(FReadType[i]));
        }
        out.append(");\r\n", 4);
        FOut->Commit();
        haveRow = Statement->Fetch(fdNext, 1);
        ++counter;
        if (counter % 1000 == 0) ReportProgress(counter);
        ProcessMessages();
    }
    ReportProgress(-counter);
}

void TExport::WriteDelimitedHeader(const std::string& Delimiter) {
    const int count = Statement->ColumnCount();
    std::string& out = FOut->Buffer();
    for (int i = 0; i < count; ++i) {
        if (i > 0) out.append(Delimiter);
        AppendDelimited(out, Statement->ColumnName(i), Delimiter);
        if (Cancelled) break;
        ProcessMessages();
    }
    FOut->EndLine();
}

void TExport::WriteDelimitedRows(bool WithHeader) {
    const std::string delimiter(FindDialect(Dialect)->Delimiter);
    bool haveRow = RunRowSelect();
    if (WithHeader) WriteDelimitedHeader(delimiter);
    ReportProgress(1);
    std::int32_t counter = 1;
    const int count = static_cast<int>(FReadIndex.size());
    while (haveRow && !Cancelled) {
        std::string& out = FOut->Buffer();
        for (int i = 0; i < count; ++i) {
            if (i > 0) out.append(delimiter);
            AppendDelimited(out, Statement->FieldView(FReadIndex[i]), delimiter);
        }
        out.append("\r\n", 2);
        FOut->Commit();
        haveRow = Statement->Fetch(fdNext, 1);
        ProcessMessages();
        ++counter;
        if (counter % 1000 == 0) ReportProgress(counter);
    }
    ReportProgress(-counter);
}
