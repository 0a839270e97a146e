#include "CorpusPostgreSQL.h"

#include "TestEnv.h"

#include <algorithm>
#include <cstdlib>

namespace {

std::string Quote(const std::string& Text, char Mark) {
    std::string r(1, Mark);
    for (char c : Text) {
        if (c == Mark) r += Mark;
        r += c;
    }
    return r + Mark;
}

std::string Literal(const std::string& Text) {
    return Quote(Text, '\'');
}

std::string Ident(const std::string& Name) {
    return Quote(Name, '"');
}

std::string Shell(const std::string& Text) {
    std::string r = "'";
    for (char c : Text)
        r += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return r + "'";
}

std::vector<std::string> Lines(const std::string& Text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < Text.size()) {
        std::size_t end = Text.find('\n', start);
        if (end == std::string::npos) end = Text.size();
        lines.push_back(Text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

std::vector<std::string> Fields(const std::string& Line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = Line.find('\t', start);
        fields.push_back(Line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos) return fields;
        start = tab + 1;
    }
}

std::string FromHex(const std::string& Hex) {
    std::string bytes;
    for (std::size_t i = 0; i + 1 < Hex.size(); i += 2)
        bytes += static_cast<char>(std::strtol(Hex.substr(i, 2).c_str(), nullptr, 16));
    return bytes;
}

std::string ToHex(const std::string& Bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string hex;
    for (unsigned char c : Bytes) {
        hex += digits[c >> 4];
        hex += digits[c & 15];
    }
    return hex;
}

std::string BytesAsNumber(const std::string& Bytes) {
    unsigned long long n = 0;
    for (unsigned char c : Bytes)
        n = (n << 8) | c;
    return std::to_string(n);
}

bool Contains(const std::string& Text, const char* Part) {
    return Text.find(Part) != std::string::npos;
}

// The corpus kind of a PostgreSQL column by its information_schema data type.
TValueKind KindOfPostgresType(const std::string& DataType) {
    if (DataType == "bytea") return TValueKind::Binary;
    if (DataType.rfind("bit", 0) == 0) return TValueKind::Bit;
    if (DataType == "boolean" || Contains(DataType, "int")) return TValueKind::Integer;
    if (DataType == "numeric") return TValueKind::Decimal;
    if (DataType == "double precision" || DataType == "real") return TValueKind::Float;
    if (DataType.rfind("timestamp", 0) == 0) return TValueKind::DateTime;
    if (DataType == "date") return TValueKind::Date;
    if (DataType.rfind("time", 0) == 0) return TValueKind::Time;
    if (DataType == "character") return TValueKind::FixedText;
    return TValueKind::Text;
}

// How one column is read: B its bytes as hex, T its text as hex, D a bit string's digits,
// N a number or other plain text.
char ReadForm(const std::string& DataType) {
    if (DataType == "bytea") return 'B';
    if (DataType.rfind("bit", 0) == 0) return 'D';
    if (DataType == "boolean") return 'N';
    const TValueKind kind = KindOfPostgresType(DataType);
    return kind == TValueKind::Text || kind == TValueKind::FixedText ? 'T' : 'N';
}

} // namespace

std::vector<TCorpusTable> PostgresCorpusTables(const std::string& Database) {
    std::vector<TCorpusTable> tables;
    const std::string columns = PostgresQuery(
        Database, "SELECT table_name, column_name, data_type FROM information_schema.columns"
                  " WHERE table_schema = current_schema() AND table_name LIKE 'bid%'"
                  " ORDER BY table_name, ordinal_position;");
    for (const std::string& line : Lines(columns)) {
        const std::vector<std::string> f = Fields(line);
        if (f.size() < 3) continue;
        if (tables.empty() || tables.back().Name != f[0]) tables.push_back({f[0], {}, {}});
        tables.back().Columns.push_back({f[1], KindOfPostgresType(f[2])});
    }
    const std::string keys = PostgresQuery(
        Database, "SELECT k.table_name, k.column_name FROM information_schema.table_constraints c"
                  " JOIN information_schema.key_column_usage k ON k.constraint_name = c.constraint_name"
                  " AND k.table_schema = c.table_schema AND k.table_name = c.table_name"
                  " WHERE c.constraint_type = 'PRIMARY KEY' AND c.table_schema = current_schema()"
                  " ORDER BY k.table_name, k.ordinal_position;");
    for (const std::string& line : Lines(keys)) {
        const std::vector<std::string> f = Fields(line);
        if (f.size() < 2) continue;
        for (TCorpusTable& t : tables)
            if (t.Name == f[0])
                for (std::size_t i = 0; i < t.Columns.size(); ++i)
                    if (t.Columns[i].Name == f[1]) t.Key.push_back(i);
    }
    return tables;
}

TTableRows PostgresTableRows(const std::string& Database, const TCorpusTable& Table, const std::string& Where) {
    TTableRows result;
    std::vector<std::pair<std::string, std::string>> columns; // name, data type
    for (const std::string& line :
         Lines(PostgresQuery(Database, "SELECT column_name, data_type FROM information_schema.columns"
                                       " WHERE table_schema = current_schema() AND table_name = " +
                                           Literal(Table.Name) + " ORDER BY ordinal_position;"))) {
        const std::vector<std::string> f = Fields(line);
        if (f.size() >= 2) columns.emplace_back(f[0], f[1]);
    }
    if (columns.empty()) {
        result.Problem = "no table " + Table.Name;
        return result;
    }
    result.Found = true;
    if (columns.size() != Table.Columns.size()) {
        result.Problem = "table " + Table.Name + " has " + std::to_string(columns.size()) + " columns, not " +
                         std::to_string(Table.Columns.size());
        return result;
    }
    std::string select;
    std::vector<char> forms;
    for (const auto& [name, type] : columns) {
        const std::string c = Ident(name);
        const char form = ReadForm(type);
        std::string expr;
        if (form == 'B')
            expr = "encode(" + c + ", 'hex')";
        else if (form == 'T')
            expr = "encode(convert_to(" + c + "::text, 'UTF8'), 'hex')";
        else if (type == "boolean")
            expr = "CASE WHEN " + c + " THEN '1' WHEN NOT " + c + " THEN '0' END";
        else
            expr = c + "::text";
        select += (select.empty() ? "" : ", ") + expr;
        forms.push_back(form);
    }
    const std::string text = PostgresQuery(Database, "SELECT " + select + " FROM " + Ident(Table.Name) +
                                                         (Where.empty() ? std::string() : " WHERE " + Where) + ";");
    for (const std::string& line : Lines(text)) {
        const std::vector<std::string> f = Fields(line);
        TCorpusRow row;
        for (std::size_t i = 0; i < f.size() && i < Table.Columns.size(); ++i) {
            if (f[i] == "NULL") {
                row.emplace_back();
                continue;
            }
            const TValueKind kind = Table.Columns[i].Kind;
            if (forms[i] == 'B') {
                const std::string bytes = FromHex(f[i]);
                if (kind == TValueKind::Binary)
                    row.emplace_back(ToHex(bytes));
                else if (kind == TValueKind::Bit)
                    row.emplace_back(BytesAsNumber(bytes));
                else
                    row.emplace_back("(bytea) " + Printable(bytes));
            } else if (forms[i] == 'D' && f[i].size() <= 64) {
                // A bit string's digits as the number they spell.
                unsigned long long n = 0;
                for (char c : f[i])
                    n = n * 2 + (c == '1' ? 1 : 0);
                row.emplace_back(kind == TValueKind::Bit ? std::to_string(n) : "(bits) " + f[i]);
            } else {
                const std::string value = forms[i] == 'T' ? FromHex(f[i]) : f[i];
                // Bytes that arrive as text where the corpus has binary are a changed value.
                if (kind == TValueKind::Binary)
                    row.emplace_back("(text) " + Printable(value));
                else
                    row.emplace_back(CanonicalValue(kind, value));
            }
        }
        result.Rows.push_back(row);
    }
    return result;
}

TLoadResult LoadIntoPostgres(const std::string& Database, const std::string& Script) {
    TLoadResult result;
    for (const TScriptStatement& s : SplitScript(Script, false))
        result.Statements += s.Empty ? 0 : 1;
    ScratchDir tmp;
    WriteFile(tmp.File("load.sql"), Script);
    std::string out, err;
    const int rc = RunCommand("PGPASSWORD=" + Shell(PostgresPassword()) +
                                  " PGCLIENTENCODING=UTF8 psql -X -q -v ON_ERROR_STOP=1 -h " +
                                  Shell(PostgresSocketDir()) + " -p " + std::to_string(PostgresPort()) + " -U " +
                                  Shell(PostgresUser()) + " -d " + Shell(Database) + " -f " +
                                  Shell(tmp.File("load.sql")),
                              &out, &err);
    for (const std::string& line : Lines(err))
        if (Contains(line, "ERROR:")) {
            ++result.Errors;
            result.Messages += line.substr(0, 300) + "\n";
        }
    if (rc != 0 && result.Errors == 0) {
        result.Errors = 1;
        result.Messages += "psql exit " + std::to_string(rc) + ": " + err.substr(0, 300) + "\n";
    }
    return result;
}
