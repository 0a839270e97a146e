// Rows too long for one statement of the target (Firebird 3 takes 64 KB per statement and
// a string literal of 16383 characters of four bytes): the INSERT carries the short values
// and each long one follows in pieces, appended by UPDATE statements that find the row by
// its primary key.
#include "SqlText.h"
#include "TDialectWriter.h"
#include "TExport.h"
#include "TODBC.h"
#include "TODBCStatement.h"
#include "TOutFile.h"
#include "Text.h"

#include <algorithm>

namespace {

// The longest head of Value, cut at a character's start, whose literal stays within
// Budget bytes; at least one character.
std::size_t PieceLength(const TDialectWriter& Writer, std::string_view Value, TColumnType Type, bool Binary,
                        std::size_t Budget, std::string& Literal) {
    std::size_t n = std::min(Value.size(), Binary ? Budget / 2 - 3 : Budget);
    for (;;) {
        while (n > 1 && n < Value.size() && (static_cast<unsigned char>(Value[n]) & 0xC0) == 0x80)
            --n;
        Literal.clear();
        Writer.AppendValue(Literal, TFieldData{Value.substr(0, n), false}, Type, Binary);
        if (Literal.size() <= Budget || n <= 1) return n;
        n = std::max<std::size_t>(1, n * Budget / Literal.size() * 9 / 10);
    }
}

bool TextLike(TColumnType Type, bool Binary) {
    return Binary || Type == ctString || Type == ctMemo || Type == ctUnknown;
}

} // namespace

void TExport::ReadRowNames(TRowNames& Names) {
    Names.Read = true;
    // The row select holds the engine's statement, and its result names are upper case:
    // the catalogue on a statement of its own gives the key and the names as they stand.
    TODBCStatement catalogue(Connection, false, false);
    std::vector<std::pair<std::int32_t, std::string>> key;
    for (bool row = catalogue.PrimaryKeys(TableName, "", ""); row; row = catalogue.Fetch(fdNext, 1))
        key.emplace_back(catalogue.FieldAsInteger("key_seq"), catalogue.FieldByName("column_name"));
    std::stable_sort(key.begin(), key.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (auto& [position, column] : key)
        Names.Key.push_back(std::move(column));
    std::vector<std::string> columns;
    for (bool row = catalogue.Columns("", "", TableName, ""); row; row = catalogue.Fetch(fdNext, 1))
        columns.push_back(catalogue.FieldByName("column_name"));
    for (int i = 0; i < static_cast<int>(FReadIndex.size()); ++i) {
        std::string name = Statement->ColumnName(i);
        for (const std::string& c : columns)
            if (SameText(c, name)) {
                name = c;
                break;
            }
        Names.Columns.push_back(std::move(name));
    }
}

bool TExport::WriteRowInPieces(std::string& Out, std::size_t RowStart, const std::string& Prefix,
                               const std::vector<TResultColumn>& Columns, TRowNames& Names, std::int32_t Row) {
    const std::size_t statementLimit = FWriter->StatementLimit();
    // A literal holds at most a quarter of a statement: a character may take four bytes.
    const std::size_t pieceLimit = statementLimit / 4 - 400;
    const std::size_t insertLimit = statementLimit - 2 * pieceLimit;
    const int count = static_cast<int>(FReadIndex.size());
    std::vector<std::string> literals(count);
    bool fits = Out.size() - RowStart <= insertLimit;
    for (int i = 0; i < count; ++i) {
        // As the row path writes it: a writer may give a value a form of its own.
        const TResultColumn* column = &Columns[i];
        const TFieldData field = ReadField(i, column);
        FWriter->AppendField(literals[i], field, *column);
        if (literals[i].size() > (FReadBinary[i] ? 2 * pieceLimit : pieceLimit)) fits = false;
    }
    if (fits) return false;

    // The key's values find the row again.
    if (!Names.Read) ReadRowNames(Names);
    std::string where;
    for (const std::string& name : Names.Key) {
        int at = -1;
        for (int i = 0; i < count && at < 0; ++i)
            if (SameText(Names.Columns[i], name)) at = i;
        if (at < 0 || ReadField(at).Null || literals[at].size() > pieceLimit) {
            where.clear();
            break;
        }
        where += where.empty() ? " WHERE " : " AND ";
        where += Ident(name) + " = " + literals[at];
    }

    Out.resize(RowStart);
    std::string insert = Prefix;
    std::vector<int> deferred;
    for (int i = 0; i < count; ++i) {
        if (i > 0) insert += ',';
        const auto type = static_cast<TColumnType>(FReadType[i]);
        const bool long_ = literals[i].size() > pieceLimit || insert.size() + literals[i].size() > insertLimit;
        if (!long_) {
            insert += literals[i];
            continue;
        }
        const std::size_t bytes = ReadField(i).Bytes.size();
        if (!TextLike(type, FReadBinary[i]) || where.empty())
            throw std::runtime_error(Format(
                "row %d, column %s: a value of %s bytes is longer than one statement of the target takes, and "
                "the table has no primary key by which to add it in pieces",
                {Row, Names.Columns[i], std::to_string(bytes)}));
        FWriter->AppendValue(insert, TFieldData{std::string_view(), false}, type, FReadBinary[i]);
        deferred.push_back(i);
    }
    Out += insert;
    Out += ");\r\n";
    const std::string table = Ident(TableName);
    for (int i : deferred) {
        const auto type = static_cast<TColumnType>(FReadType[i]);
        const std::string column = Ident(Names.Columns[i]);
        std::string_view rest = ReadField(i).Bytes;
        std::string literal;
        while (!rest.empty()) {
            const std::size_t n = PieceLength(*FWriter, rest, type, FReadBinary[i], pieceLimit, literal);
            Out += "UPDATE " + table + " SET " + column + " = " + column + " || " + literal + where + ";\r\n";
            rest.remove_prefix(n);
            FOut->Commit();
        }
    }
    return true;
}
