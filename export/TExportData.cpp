// Rows: INSERT statements for the SQL dialects, delimited lines for the text dialects.
#include "ExactFloats.h"
#include "SqliteStorageClass.h"
#include "KeyChunks.h"
#include "SqlText.h"
#include "TDialectWriter.h"
#include "TExport.h"
#include "TInsertBatch.h"
#include "TODBC.h"
#include "TODBCStatement.h"
#include "TOutFile.h"
#include "Text.h"
#include "UiHooks.h"

#include <algorithm>

namespace {

// The where clause as the statement carries it: the formatter turns "%%" into "%".
std::string AsFormatted(std::string_view Clause) {
    std::string r;
    r.reserve(Clause.size());
    for (std::size_t i = 0; i < Clause.size(); ++i) {
        r += Clause[i];
        if (Clause[i] == '%' && i + 1 < Clause.size() && Clause[i + 1] == '%') ++i;
    }
    return r;
}

// Text bound for the statement formatter: every "%" doubled.
std::string DoublePercents(std::string_view Text) {
    std::string r;
    r.reserve(Text.size());
    for (char c : Text) {
        r += c;
        if (c == '%') r += '%';
    }
    return r;
}

// An optional sign, digits and at most one point: a number that can stand in SQL as it is.
bool IsPlainNumber(std::string_view Text) {
    if (!Text.empty() && (Text[0] == '-' || Text[0] == '+')) Text.remove_prefix(1);
    bool digit = false, point = false;
    for (char c : Text) {
        if (c >= '0' && c <= '9') {
            digit = true;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            return false;
        }
    }
    return digit;
}

// Key columns whose values order as their literals do: integers, exact decimals, text,
// dates and times; not floating point (its text need not give back the stored value),
// binary or long values.
bool KeyOrdersByLiteral(const TODBCStatement& St, int Index) {
    if (Index < 0 || St.ColumnIsBinary(Index)) return false;
    const SQLSMALLINT sqlType = St.ColumnSqlType(Index);
    switch (St.ColumnType(Index)) {
    case ctInteger:
    case ctString:
    case ctDate:
    case ctTime:
    case ctDateTime:
        return true;
    case ctFloat:
        return sqlType == SQL_DECIMAL || sqlType == SQL_NUMERIC;
    default:
        return false;
    }
}

} // namespace

bool TExport::PlanKeyChunks() {
    FChunked = false;
    // Only drivers that hold a whole result in memory need chunks; others stream.
    if (KeyChunkRows <= 0 || !SelectSQL.empty() || !Connection || Connection->DatabaseKind() != dkMySQL)
        return false;
    const TRowOrder order = SplitRowOrder(WhereClause);
    if (!order.Chunkable) return false;
    std::vector<std::pair<std::int32_t, std::string>> key; // position in the key, column
    for (bool row = Statement->PrimaryKeys(TableName, "", ""); row; row = Statement->Fetch(fdNext, 1))
        key.emplace_back(Statement->FieldAsInteger("key_seq"), Statement->FieldByName("column_name"));
    if (Statement->Failed() || key.empty()) return false;
    std::stable_sort(key.begin(), key.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    FChunkNames.clear();
    FChunkKey.clear();
    for (auto& [position, column] : key) {
        FChunkKey.push_back(SourceIdent(column));
        FChunkNames.push_back(std::move(column));
    }
    // A select ordered otherwise than by the key is read as it asks, in one go.
    if (!order.OrderBy.empty() && !OrderIsKey(order.OrderBy, FChunkNames)) return false;
    FChunkBackslashes = true;
    if (Statement->ExecSQL("select @@sql_mode", true) &&
        UpperCase(Statement->FieldView(0)).find("NO_BACKSLASH_ESCAPES") != std::string::npos)
        FChunkBackslashes = false;
    FChunkFilter = order.Filter;
    FChunkLast.clear();
    FChunked = true;
    return true;
}

bool TExport::RunKeyChunk() {
    std::string where = FChunkFilter;
    if (!FChunkLast.empty()) {
        const std::string after = DoublePercents(AfterKeyCondition(FChunkKey, FChunkLast));
        where = where.empty() ? after : "(" + where + ") AND (" + after + ")";
    }
    std::string sql = "SELECT " + DoublePercents(FSelectItems + FExactList) + " FROM %s";
    if (!where.empty()) sql += " WHERE " + where;
    sql += " ORDER BY ";
    for (std::size_t i = 0; i < FChunkKey.size(); ++i) {
        if (i > 0) sql += ", ";
        sql += DoublePercents(FChunkKey[i]);
    }
    sql += " LIMIT " + std::to_string(KeyChunkRows);
    const bool haveRow = Statement->ExecSQLFmt(sql, {SourceIdent(TableName)});
    FChunkRowsRead = haveRow ? 1 : 0;
    return haveRow;
}

// True when a row is current. A select that fails raises TReadError; a where clause whose
// percent signs are no valid directives raises FormatError.
bool TExport::RunRowSelect() {
    PlanSelectItems();
    PlanExactFloats();
    if (PlanKeyChunks()) {
        const bool haveRow = RunKeyChunk();
        if (Statement->Failed()) throw TReadError("the row select failed: " + Statement->LastError());
        FChunkIndex.clear();
        for (const std::string& name : FChunkNames) {
            FChunkIndex.push_back(Statement->ColumnIndex(name));
            if (!KeyOrdersByLiteral(*Statement, FChunkIndex.back())) FChunked = false;
        }
        if (FChunked) {
            ResolveReadColumns();
            return haveRow;
        }
    }
    std::string sql =
        SelectSQL.empty() ? "SELECT " + DoublePercents(FSelectItems + FExactList) + " FROM %s" : SelectSQL;
    if (!WhereClause.empty()) sql += " WHERE " + WhereClause;
    bool haveRow;
    if (!SelectSQL.empty())
        haveRow = Statement->ExecSQL(sql, false, false);
    else
        haveRow = Statement->ExecSQLFmt(sql, {SourceIdent(TableName)});
    if (Statement->Failed()) throw TReadError("the row select failed: " + Statement->LastError());
    ResolveReadColumns();
    return haveRow;
}

bool TExport::FetchRow(std::int32_t Row) {
    if (FChunked && FChunkRowsRead >= KeyChunkRows) {
        // The chunk is full: the next one starts after the key of its last row.
        FChunkLast.clear();
        for (std::size_t i = 0; i < FChunkIndex.size(); ++i) {
            const TFieldData value = Statement->FieldData(FChunkIndex[i]);
            if (value.Null)
                throw TReadError("reading row " + std::to_string(Row) + " failed: key column " + FChunkNames[i] +
                                 " is NULL");
            const TColumnType type = Statement->ColumnType(FChunkIndex[i]);
            FChunkLast.push_back((type == ctInteger || type == ctFloat) && IsPlainNumber(value.Bytes)
                                     ? std::string(value.Bytes)
                                     : MySQLTextLiteral(value.Bytes, FChunkBackslashes));
        }
        const bool haveRow = RunKeyChunk();
        if (Statement->Failed())
            throw TReadError("reading row " + std::to_string(Row) + " failed: " + Statement->LastError());
        return haveRow;
    }
    if (Statement->Fetch(fdNext, 1)) {
        ++FChunkRowsRead;
        return true;
    }
    if (Statement->Failed())
        throw TReadError("reading row " + std::to_string(Row) + " failed: " + Statement->LastError());
    return false;
}

// Each value is read by its column's name, so a repeated name reads the first column of
// that name; the lookup is done once per select instead of once per field.
void TExport::ResolveReadColumns() {
    int count = Statement->ColumnCount();
    if (!FExactPlan.empty()) {
        if (count != FExactBase + static_cast<int>(FExactPlan.size()))
            throw TReadError("the table's columns changed while it was read");
        count = FExactBase;
    }
    FExactRead.assign(static_cast<std::size_t>(std::max(count, 0)), {});
    for (std::size_t j = 0; j < FExactPlan.size(); ++j)
        FExactRead[FExactPlan[j].Column] = {FExactBase + static_cast<int>(j), FExactPlan[j].Form,
                                            FExactPlan[j].Classed, {}};
    FReadIndex.assign(count, 0);
    FReadType.assign(count, ctUnknown);
    FReadBinary.assign(count, false);
    // PostgreSQL's own text of a uuid is lower case; its driver gives the upper case, which a
    // target keeping it as text would compare differently.
    const bool lowerGuids = Connection && Connection->DatabaseKind() == dkPostgreSQL;
    for (int i = 0; i < count; ++i) {
        const int index = Statement->ColumnIndex(Statement->ColumnName(i));
        FReadIndex[i] = index < 0 ? i : index;
        FReadType[i] = Statement->ColumnType(i);
        FReadBinary[i] = Statement->ColumnIsBinary(i);
        if (lowerGuids && Statement->ColumnSqlType(i) == SQL_GUID && FExactRead[i].Column == kDriverText)
            FExactRead[i].Column = kLowerCaseText;
    }
}

void TExport::PlanSelectItems() {
    FSelectItems = "*";
    if (!SelectSQL.empty() || !Connection || Connection->DatabaseKind() != dkMySQL) return;
    // * leaves out invisible columns, which the structure has (the catalogue lists them) and
    // an INSERT without column names must fill; they are named then, in the table's order.
    // The catalogue, not SHOW COLUMNS: after SHOW COLUMNS of a missing table fails, the
    // connector (3.1.15) reads a freed error text in the next statement. A name with a
    // backslash, whose literal depends on the session's sql_mode, is left to *.
    if (TableName.find('\\') != std::string::npos) return;
    std::string names;
    bool hidden = false;
    for (bool row = Statement->ExecSQL("SELECT column_name, extra FROM information_schema.columns WHERE "
                                       "table_schema = DATABASE() AND table_name = '" +
                                           LiteralBody(TableName) + "' ORDER BY ordinal_position",
                                       true, false);
         row; row = Statement->Fetch(fdNext, 1)) {
        if (LowerCase(Statement->FieldByName("extra")).find("invisible") != std::string::npos) hidden = true;
        names += (names.empty() ? "" : ", ") + SourceIdent(Statement->FieldByName("column_name"));
    }
    if (hidden && !Statement->Failed()) FSelectItems = names;
}

void TExport::PlanExactFloats() {
    FExactPlan.clear();
    FExactList.clear();
    FExactBase = 0;
    if (!SelectSQL.empty() || !Connection) return;
    const TDatabaseKind kind = Connection->DatabaseKind();
    const bool sqlite = SameText(Connection->DbmsName(), "SQLite");
    if (kind != dkMySQL && !sqlite) return;
    // Columns whose values each keep their class: those declared without a type, and decimal
    // columns whose values the driver's text may not give back.
    std::vector<std::string> untyped;
    if (sqlite) {
        for (bool row = Statement->ExecSQL("SELECT name FROM pragma_table_xinfo('" + LiteralBody(TableName) +
                                               "') WHERE type = ''",
                                           true, false);
             row; row = Statement->Fetch(fdNext, 1))
            untyped.push_back(Statement->FieldByName("name"));
        SqliteDecimals();
    }
    // The columns as the row select will see them; a failure is left to the row select.
    Statement->ExecSQL("SELECT " + FSelectItems + " FROM " + SourceIdent(TableName) + " WHERE 1=0", true, false);
    if (Statement->Failed()) return;
    const int count = Statement->ColumnCount();
    for (int i = 0; i < count; ++i) {
        const std::string name = Statement->ColumnName(i);
        // Names are kept to 128 characters: a longer one could not be selected by it.
        if (name.size() >= 128) continue;
        TExactForm form = TExactForm::Fraction;
        const auto named = [&name](const std::string& u) { return SameText(u, name); };
        const TSqliteDecimal* decimal = sqlite ? FindDecimal(FSqliteDecimals, name) : nullptr;
        const bool classed = std::any_of(untyped.begin(), untyped.end(), named) ||
                             (decimal && NeedsClassItem(*decimal, Statement->ColumnType(i) == ctString));
        std::string item =
            classed ? StorageClassExpression(SourceIdent(name))
                    : ExactFloatExpression(kind, Connection->DbmsName(), Statement->ColumnSqlType(i),
                                           Statement->ColumnType(i), SourceIdent(name), form);
        if (item.empty() && kind == dkMySQL && Statement->ColumnSqlType(i) == SQL_DOUBLE &&
            Statement->ColumnAttribute(i, SQL_DESC_UNSIGNED) == SQL_TRUE) {
            // MariaDB's connector gives some values of a zero-filled double (described as
            // unsigned) as garbage, such as 1.2345678901234567e-308; their product with one
            // is a plain double that it writes whole, and stands in where the text differs.
            item = "(" + SourceIdent(name) + " * 1e0)";
            form = TExactForm::Double;
        }
        if (item.empty()) continue;
        FExactList += ", " + item;
        FExactPlan.push_back({i, form, classed});
    }
    FExactBase = count;
}

TFieldData TExport::ReadField(int Index) {
    TFieldData field = Statement->FieldData(FReadIndex[Index]);
    TExactRead& exact = FExactRead[Index];
    if (exact.Column == kDriverText || field.Null) return field;
    if (exact.Column == kLowerCaseText) {
        exact.Text.assign(field.Bytes);
        for (char& c : exact.Text)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        field.Bytes = exact.Text;
        return field;
    }
    const TFieldData text = Statement->FieldData(exact.Column);
    std::string_view digits = text.Bytes;
    if (exact.Classed && ReadStorageClass(text.Bytes, text.Null, digits) != TStorageClass::Real) return field;
    if (!text.Null && ExactFloatText(field.Bytes, digits, exact.Form, exact.Text)) field.Bytes = exact.Text;
    return field;
}

TFieldData TExport::ReadField(int Index, const TResultColumn*& Column) {
    TExactRead& exact = FExactRead[Index];
    if (!exact.Classed || Dialect != edSQLite) return ReadField(Index);
    TFieldData field = Statement->FieldData(FReadIndex[Index]);
    if (field.Null) return field;
    static const TResultColumn integer{{}, ctInteger, SQL_BIGINT, false};
    static const TResultColumn real{{}, ctFloat, SQL_DOUBLE, false};
    static const TResultColumn blob{{}, ColumnTypeOf(SQL_LONGVARBINARY), SQL_LONGVARBINARY, true};
    static const TResultColumn text{{}, ctString, SQL_LONGVARCHAR, false};
    const TFieldData item = Statement->FieldData(exact.Column);
    std::string_view content;
    switch (ReadStorageClass(item.Bytes, item.Null, content)) {
    case TStorageClass::Integer:
        Column = &integer;
        break;
    case TStorageClass::Real:
        Column = &real;
        if (ExactFloatText(field.Bytes, content, exact.Form, exact.Text)) field.Bytes = exact.Text;
        break;
    case TStorageClass::Blob:
        if (DecodeHex(content, exact.Text)) {
            Column = &blob;
            field.Bytes = exact.Text;
        }
        break;
    case TStorageClass::Text:
        // A text in a column the driver calls a number stays text.
        if (Column->Type != ctString) Column = &text;
        break;
    }
    return field;
}

void TExport::StandInColumnTypes(std::vector<TResultColumn>& Columns) {
    // The structure gave an SQLite decimal column whose values its declared type does not
    // hold another type; its values are written for that one.
    for (TResultColumn& c : Columns) {
        const TSqliteDecimal* decimal = FindDecimal(SqliteDecimals(), c.Name);
        if (!decimal || c.Binary) continue;
        switch (StandInSqlType(*decimal)) {
        case 0:
            break;
        case SQL_BIGINT:
            c.Type = ctInteger;
            c.SqlType = SQL_BIGINT;
            break;
        case SQL_DOUBLE:
            c.Type = ctFloat;
            c.SqlType = SQL_DOUBLE;
            break;
        default:
            // Numbers beyond a double's digits go as their exact text, which every target of
            // an unconstrained decimal or a text reads without rounding.
            c.Type = ctString;
            c.SqlType = SQL_VARCHAR;
            break;
        }
    }
}

void TExport::WriteDataSection() {
    Line("");
    SectionStart("Dumping data");
    if (!WhereClause.empty())
        LineFmt(" WHERE: %s", {CommentText(SelectSQL.empty() ? AsFormatted(WhereClause) : WhereClause)});
    // The comment is closed first, so a select that fails leaves no comment open.
    Line("*/");
    bool haveRow = RunRowSelect();
    ReportProgress(1);
    std::int32_t counter = 1;

    const int count = static_cast<int>(FReadIndex.size());
    std::vector<TResultColumn> columns;
    for (int i = 0; i < count; ++i)
        columns.push_back({Statement->ColumnName(i), static_cast<TColumnType>(FReadType[i]),
                           Statement->ColumnSqlType(i), FReadBinary[i]});
    if (Dialect != edSQLite) StandInColumnTypes(columns);
    const TRowForm form = FWriter->RowForm(*this, columns);
    const std::string& prefix = form.Head;
    const TDialectWriter& writer = *FWriter;
    const bool bracketed = haveRow && !Cancelled && !form.Begin.empty();
    if (bracketed) Text(form.Begin);
    // A row longer than a quarter of the target's statement limit may hold a literal too long.
    const std::size_t longRow = writer.StatementLimit() / 4;
    TRowNames rowNames;
    TInsertBatch batch(prefix, form.Tail, form.RowsPerStatement, MaxInsertBytes);
    while (haveRow && !Cancelled) {
        std::string& out = FOut->Buffer();
        const std::size_t rowStart = batch.BeginRow(out);
        for (int i = 0; i < count; ++i) {
            if (i > 0) out += form.Separator;
            try {
                const TResultColumn* column = &columns[i];
                const TFieldData field = ReadField(i, column);
                writer.AppendField(out, field, *column);
            } catch (const TValueRefused& e) {
                // The refused row is dropped whole; the rows before it are undone by the target.
                batch.DropRow(out, rowStart);
                const std::string reason =
                    Format("column %s, row %d: %s", {columns[i].Name, counter, std::string(e.what())});
                if (bracketed) Text(writer.RowsFailed(reason));
                throw TValueRefused(reason);
            }
        }
        batch.EndRow(out, rowStart);
        if (longRow > 0 && out.size() - rowStart > longRow) WriteRowInPieces(out, rowStart, prefix, columns, rowNames, counter);
        FOut->Commit();
        try {
            haveRow = FetchRow(counter + 1);
        } catch (const TReadError& e) {
            // A table read only in part is not committed.
            batch.Close(FOut->Buffer());
            if (bracketed) Text(writer.RowsFailed(e.what()));
            throw;
        }
        ++counter;
        if (counter % 1000 == 0) ReportProgress(counter);
        ProcessMessages();
    }
    batch.Close(FOut->Buffer());
    // A table cut short by a cancel is not committed either.
    if (bracketed) Text(haveRow ? writer.RowsFailed("the export was interrupted") : form.End);
    ReportProgress(-counter);
}

void TExport::WriteDelimitedHeader(const std::string& Delimiter) {
    const int count = static_cast<int>(FReadIndex.size());
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
            const TFieldData field = ReadField(i);
            if (FReadBinary[i] && !field.Null) {
                // Raw bytes would break the line; a binary value is written as its hex digits.
                std::string hex;
                AppendHexLiteral(hex, field.Bytes, 'X');
                out.append(hex, 2, hex.size() - 3);
            } else {
                AppendDelimited(out, field.Bytes, delimiter);
            }
        }
        out.append("\r\n", 2);
        FOut->Commit();
        haveRow = FetchRow(counter + 1);
        ProcessMessages();
        ++counter;
        if (counter % 1000 == 0) ReportProgress(counter);
    }
    ReportProgress(-counter);
}
