#include "CorpusRoundTrip.h"

#include "TestEnv.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>

namespace fs = std::filesystem;

namespace {

std::string ShellQuote(const std::string& s) {
    std::string r = "'";
    for (char c : s)
        r += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return r + "'";
}

std::string Lower(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string Upper(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::vector<std::string> SplitOn(const std::string& Text, char Separator) {
    std::vector<std::string> parts;
    std::string part;
    for (char c : Text) {
        if (c == Separator) {
            parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    parts.push_back(part);
    return parts;
}

std::vector<std::string> LinesOf(const std::string& Text) {
    std::vector<std::string> lines;
    std::istringstream in(Text);
    std::string line;
    while (std::getline(in, line))
        lines.push_back(line);
    return lines;
}

bool StartsWithNoCase(const std::string& Text, std::size_t At, const std::string& Word) {
    if (Text.size() - At < Word.size()) return false;
    for (std::size_t i = 0; i < Word.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(Text[At + i])) != std::tolower(static_cast<unsigned char>(Word[i])))
            return false;
    return true;
}

std::string FromHex(const std::string& Hex) {
    std::string bytes;
    for (std::size_t i = 0; i + 1 < Hex.size(); i += 2)
        bytes += static_cast<char>(std::stoi(Hex.substr(i, 2), nullptr, 16));
    return bytes;
}

std::string ToHex(const std::string& Bytes) {
    static const char* const digits = "0123456789ABCDEF";
    std::string hex;
    for (unsigned char c : Bytes) {
        hex += digits[c >> 4];
        hex += digits[c & 15];
    }
    return hex;
}

// Decimal text of a big-endian unsigned number of up to 8 bytes.
std::string BytesAsNumber(const std::string& Bytes) {
    unsigned long long n = 0;
    for (unsigned char c : Bytes)
        n = (n << 8) | c;
    return std::to_string(n);
}

// "1.50" -> "1.5", "-0.000" -> "0", "+007" -> "7"; text that is no plain decimal number
// stays as it is.
std::string CanonicalDecimal(const std::string& Text) {
    std::size_t i = 0;
    while (i < Text.size() && Text[i] == ' ')
        ++i;
    std::string sign;
    if (i < Text.size() && (Text[i] == '-' || Text[i] == '+')) sign = Text[i++] == '-' ? "-" : "";
    std::string whole, fraction;
    while (i < Text.size() && std::isdigit(static_cast<unsigned char>(Text[i])))
        whole += Text[i++];
    if (i < Text.size() && Text[i] == '.') {
        ++i;
        while (i < Text.size() && std::isdigit(static_cast<unsigned char>(Text[i])))
            fraction += Text[i++];
    }
    while (i < Text.size() && Text[i] == ' ')
        ++i;
    if (i != Text.size() || (whole.empty() && fraction.empty())) return Text;
    whole.erase(0, std::min(whole.find_first_not_of('0'), whole.size()));
    while (!fraction.empty() && fraction.back() == '0')
        fraction.pop_back();
    if (whole.empty()) whole = "0";
    std::string result = whole + (fraction.empty() ? "" : "." + fraction);
    return result == "0" ? result : sign + result;
}

// "12:00:00.0000" -> "12:00:00"; "…:59.1230" -> "…:59.123".
std::string WithoutZeroFraction(std::string Text) {
    const std::size_t dot = Text.rfind('.');
    if (dot == std::string::npos || Text.find(':') == std::string::npos || dot < Text.rfind(':')) return Text;
    while (Text.size() > dot + 1 && Text.back() == '0')
        Text.pop_back();
    if (Text.size() == dot + 1) Text.pop_back();
    return Text;
}

std::string MariaDBClient(const std::string& Database) {
    return "MYSQL_PWD=" + ShellQuote(MariaDBPassword()) + " mariadb --no-defaults --protocol=socket -S " +
           ShellQuote(MariaDBSocket()) + " -u" + MariaDBUser() + " --batch --skip-column-names " +
           ShellQuote(Database);
}

std::string IsqlCommand(const std::string& DbPath) {
    const std::string lockDir = TestEnvDir() + "/firebird-lock";
    std::error_code ec;
    fs::create_directories(lockDir, ec);
    return "FIREBIRD_LOCK=" + ShellQuote(lockDir) + " isql-fb -q -ch UTF8 -user SYSDBA " + ShellQuote(DbPath);
}

TValueKind KindOfTypeName(const std::string& TypeName) {
    const std::string t = Lower(TypeName);
    auto has = [&](const char* part) { return t.find(part) != std::string::npos; };
    if (t.rfind("bit", 0) == 0) return TValueKind::Bit;
    if (has("binary") || has("blob")) return TValueKind::Binary;
    if (t.rfind("char", 0) == 0) return TValueKind::FixedText;
    if (has("char") || has("text") || t.rfind("enum", 0) == 0 || t.rfind("set", 0) == 0) return TValueKind::Text;
    if (has("int") || t.rfind("year", 0) == 0) return TValueKind::Integer;
    if (has("decimal") || has("numeric")) return TValueKind::Decimal;
    if (has("double") || has("float") || has("real")) return TValueKind::Float;
    if (t.rfind("datetime", 0) == 0 || t.rfind("timestamp", 0) == 0) return TValueKind::DateTime;
    if (t.rfind("date", 0) == 0) return TValueKind::Date;
    if (t.rfind("time", 0) == 0) return TValueKind::Time;
    return TValueKind::Text;
}

std::string BacktickQuote(const std::string& Name) {
    std::string r = "`";
    for (char c : Name)
        r += c == '`' ? std::string("``") : std::string(1, c);
    return r + "`";
}

std::string DoubleQuote(const std::string& Name) {
    std::string r = "\"";
    for (char c : Name)
        r += c == '"' ? std::string("\"\"") : std::string(1, c);
    return r + "\"";
}

std::string SqlLiteral(const std::string& Text) {
    std::string r = "'";
    for (char c : Text)
        r += c == '\'' ? std::string("''") : std::string(1, c);
    return r + "'";
}

std::string RowKey(const TCorpusTable& Table, const TCorpusRow& Row) {
    std::string key;
    auto add = [&](std::size_t i) {
        key += i < Row.size() && Row[i] ? "V" + *Row[i] : std::string("N");
        key += '\x1f';
    };
    if (Table.Key.empty())
        for (std::size_t i = 0; i < Row.size(); ++i)
            add(i);
    else
        for (std::size_t i : Table.Key)
            add(i);
    return key;
}

std::string ShowValue(const std::optional<std::string>& Value) {
    return Value ? "'" + Printable(*Value) + "'" : std::string("NULL");
}

std::string ShowRow(const TCorpusRow& Row) {
    std::string text = "(";
    for (std::size_t i = 0; i < Row.size(); ++i)
        text += (i ? ", " : "") + ShowValue(Row[i]);
    return text + ")";
}

} // namespace

bool TCorpusTable::Has(const std::string& Column) const {
    return std::any_of(Columns.begin(), Columns.end(),
                       [&](const TCorpusColumn& c) { return Lower(c.Name) == Lower(Column); });
}

std::string CorpusFile(const std::string& Name) {
    return SourceDir() + "/tests/corpus/" + Name;
}

std::string RunExport(const std::string& Dir, const std::string& DataSource, const std::string& Args, int* ExitCode,
                      std::string* Errors, int TimeoutSeconds) {
    WriteFile(Dir + "/settings.ini", "[ODBC Parameters]\nDNS Name=" + DataSource + "\n");
    std::string out, err;
    const int rc = RunCommand("cd " + ShellQuote(Dir) + " && timeout " + std::to_string(TimeoutSeconds) + " " +
                                  ShellQuote(BinaryDir() + "/app/ferrocan-export") + " --settings settings.ini " +
                                  Args,
                              &out, &err);
    if (ExitCode) *ExitCode = rc;
    if (Errors) *Errors = err;
    const std::string name = out.substr(0, out.find('\n'));
    if (name.empty() || !fs::exists(Dir + "/" + name)) return "";
    return Dir + "/" + name;
}

std::vector<TScriptStatement> SplitScript(const std::string& Script, bool BackslashEscapes) {
    std::vector<TScriptStatement> statements;
    std::string terminator = ";";
    std::size_t start = 0, i = 0;
    const std::size_t n = Script.size();
    std::string body; // the statement without comments, to classify it
    auto finish = [&](std::size_t end) {
        TScriptStatement s;
        s.Text = Script.substr(start, end - start);
        std::size_t b = body.find_first_not_of(" \t\r\n");
        s.Empty = b == std::string::npos;
        s.IsInsert = !s.Empty && StartsWithNoCase(body, b, "insert ");
        if (!s.Empty && StartsWithNoCase(body, b, "set term ")) {
            // SET TERM <new> <old>: the new terminator is the word after TERM.
            std::istringstream words(body.substr(b + 9));
            std::string next;
            if (words >> next) terminator = next;
        }
        statements.push_back(s);
        body.clear();
        start = end;
    };
    while (i < n) {
        const char c = Script[i];
        if (c == '\'' || c == '"' || c == '`') {
            const std::size_t open = i++;
            while (i < n) {
                if (BackslashEscapes && c == '\'' && Script[i] == '\\' && i + 1 < n) {
                    i += 2;
                    continue;
                }
                if (Script[i] == c) {
                    if (i + 1 < n && Script[i + 1] == c) {
                        i += 2;
                        continue;
                    }
                    break;
                }
                ++i;
            }
            i = std::min(i + 1, n);
            body += Script.substr(open, i - open);
        } else if (c == '/' && i + 1 < n && Script[i + 1] == '*') {
            const std::size_t close = Script.find("*/", i + 2);
            i = close == std::string::npos ? n : close + 2;
            body += ' ';
        } else if (c == '-' && i + 1 < n && Script[i + 1] == '-') {
            const std::size_t eol = Script.find('\n', i);
            i = eol == std::string::npos ? n : eol;
        } else if (Script.compare(i, terminator.size(), terminator) == 0) {
            i += terminator.size();
            finish(i);
        } else {
            body += c;
            ++i;
        }
    }
    if (start < n) finish(n); // an unterminated tail is sent all the same
    return statements;
}

std::string InsertTableName(const std::string& Statement) {
    const std::string lower = Lower(Statement);
    std::size_t i = lower.find("insert");
    i = i == std::string::npos ? std::string::npos : lower.find("into", i);
    if (i == std::string::npos) return "";
    i += 4;
    while (i < Statement.size() && std::isspace(static_cast<unsigned char>(Statement[i])))
        ++i;
    if (i < Statement.size() && (Statement[i] == '`' || Statement[i] == '"')) {
        const std::size_t close = Statement.find(Statement[i], i + 1);
        return Statement.substr(i + 1, close == std::string::npos ? std::string::npos : close - i - 1);
    }
    std::size_t end = i;
    while (end < Statement.size() && !std::isspace(static_cast<unsigned char>(Statement[end])) && Statement[end] != '(')
        ++end;
    return Statement.substr(i, end - i);
}

std::string InsertsOf(const std::string& Script) {
    std::string inserts;
    for (const TScriptStatement& s : SplitScript(Script, false))
        if (s.IsInsert) inserts += s.Text + "\n";
    // SQLite stands in for Oracle: Oracle's CHR (a NUL in text) is SQLite's char. Only
    // outside literals, where a doubled quote toggles twice.
    std::string sqlite;
    bool quoted = false;
    for (std::size_t i = 0; i < inserts.size(); ++i) {
        if (inserts[i] == '\'') quoted = !quoted;
        if (!quoted && inserts.compare(i, 4, "CHR(") == 0) {
            sqlite += "char(";
            i += 3;
            continue;
        }
        sqlite += inserts[i];
    }
    return sqlite;
}

TLoadResult LoadIntoMariaDB(const std::string& Database, const std::string& Script) {
    TLoadResult result;
    for (const TScriptStatement& s : SplitScript(Script, true))
        result.Statements += s.Empty ? 0 : 1;
    ScratchDir tmp;
    // The script is UTF-8 as the source gave it; strict mode so that a value that does
    // not fit is an error instead of a silent change.
    WriteFile(tmp.File("load.sql"), "SET NAMES utf8mb4;\n"
                                    "SET SESSION sql_mode='STRICT_ALL_TABLES,NO_ZERO_IN_DATE,NO_ZERO_DATE,"
                                    "ERROR_FOR_DIVISION_BY_ZERO,NO_ENGINE_SUBSTITUTION';\n" +
                                        Script);
    std::string out, err;
    RunCommand(MariaDBClient(Database) + " --force < " + ShellQuote(tmp.File("load.sql")), &out, &err);
    for (const std::string& line : LinesOf(err))
        if (line.rfind("ERROR", 0) == 0) {
            ++result.Errors;
            result.Messages += line.substr(0, 300) + "\n";
        }
    return result;
}

TLoadResult LoadIntoFirebird(const std::string& DbPath, const std::string& Script) {
    TLoadResult result;
    std::string kept;
    for (const TScriptStatement& s : SplitScript(Script, false)) {
        if (s.Text.size() > 65535 && !s.Empty) {
            ++result.TooLong;
            continue;
        }
        result.Statements += s.Empty ? 0 : 1;
        kept += s.Text;
    }
    ScratchDir tmp;
    WriteFile(tmp.File("load.sql"), kept + "\nCOMMIT;\n");
    std::string out;
    RunCommand(IsqlCommand(DbPath) + " -i " + ShellQuote(tmp.File("load.sql")), &out);
    // Each error begins with "Statement failed" and ends with the line that names the
    // place in the script ("At line" or "After line"), or where the next one begins.
    bool inMessage = false;
    for (const std::string& line : LinesOf(out)) {
        if (line.rfind("Statement failed", 0) == 0) {
            ++result.Errors;
            inMessage = true;
        }
        if (!inMessage) continue;
        result.Messages += line.substr(0, 300) + "\n";
        if (line.rfind("At line", 0) == 0 || line.rfind("After line", 0) == 0) inMessage = false;
    }
    return result;
}

TLoadResult LoadIntoSqlite(const std::string& DbPath, const std::string& Script) {
    TLoadResult result;
    for (const TScriptStatement& s : SplitScript(Script, false))
        result.Statements += s.Empty ? 0 : 1;
    ScratchDir tmp;
    WriteFile(tmp.File("load.sql"), Script);
    std::string out, err;
    RunCommand("sqlite3 " + ShellQuote(DbPath) + " < " + ShellQuote(tmp.File("load.sql")), &out, &err);
    for (const std::string& line : LinesOf(err))
        if (line.find("error near line") != std::string::npos || line.rfind("Error:", 0) == 0) {
            ++result.Errors;
            result.Messages += line.substr(0, 300) + "\n";
        }
    return result;
}

std::vector<TCorpusTable> MariaDBCorpusTables(const std::string& Database) {
    std::vector<TCorpusTable> tables;
    const std::string columns = MariaDBQuery(
        Database, "SELECT table_name, column_name, column_type FROM information_schema.columns"
                  " WHERE table_schema = " +
                      SqlLiteral(Database) + " AND table_name LIKE 'bid%' ORDER BY table_name, ordinal_position;");
    for (const std::string& line : LinesOf(columns)) {
        const std::vector<std::string> f = SplitOn(line, '\t');
        if (f.size() < 3) continue;
        if (tables.empty() || tables.back().Name != f[0]) tables.push_back({f[0], {}, {}});
        tables.back().Columns.push_back({f[1], KindOfTypeName(f[2])});
    }
    const std::string keys =
        MariaDBQuery(Database, "SELECT table_name, column_name FROM information_schema.key_column_usage"
                               " WHERE table_schema = " +
                                   SqlLiteral(Database) +
                                   " AND constraint_name = 'PRIMARY' ORDER BY table_name, ordinal_position;");
    for (const std::string& line : LinesOf(keys)) {
        const std::vector<std::string> f = SplitOn(line, '\t');
        if (f.size() < 2) continue;
        for (TCorpusTable& t : tables)
            if (t.Name == f[0])
                for (std::size_t i = 0; i < t.Columns.size(); ++i)
                    if (t.Columns[i].Name == f[1]) t.Key.push_back(i);
    }
    return tables;
}

std::vector<TCorpusTable> SqliteCorpusTables(const std::string& DbPath) {
    std::vector<TCorpusTable> tables;
    for (const std::string& name : LinesOf(SqliteQuery(
             DbPath, "SELECT name FROM sqlite_master WHERE type = 'table' AND name LIKE 'bid%' ORDER BY name;"))) {
        TCorpusTable table{name, {}, {}};
        // cid|name|type|notnull|dflt_value|pk
        std::vector<std::pair<int, std::size_t>> key;
        for (const std::string& line :
             LinesOf(SqliteQuery(DbPath, "SELECT name, type, pk FROM pragma_table_info(" + SqlLiteral(name) +
                                             ") ORDER BY cid;"))) {
            const std::vector<std::string> f = SplitOn(line, '|');
            if (f.size() < 3) continue;
            if (std::atoi(f[2].c_str()) > 0) key.emplace_back(std::atoi(f[2].c_str()), table.Columns.size());
            table.Columns.push_back({f[0], KindOfTypeName(f[1])});
        }
        std::sort(key.begin(), key.end());
        for (const auto& k : key)
            table.Key.push_back(k.second);
        tables.push_back(table);
    }
    return tables;
}

const TCorpusTable* FindTable(const std::vector<TCorpusTable>& Tables, const std::string& Name) {
    for (const TCorpusTable& t : Tables)
        if (t.Name == Name) return &t;
    return nullptr;
}

std::string CanonicalValue(TValueKind Kind, const std::string& Value) {
    switch (Kind) {
    case TValueKind::FixedText: {
        std::string v = Value;
        while (!v.empty() && v.back() == ' ')
            v.pop_back();
        return v;
    }
    case TValueKind::Binary:
        return ToHex(Value);
    case TValueKind::Bit:
    case TValueKind::Integer:
    case TValueKind::Decimal:
        return CanonicalDecimal(Value);
    case TValueKind::Float: {
        char* end = nullptr;
        const double d = std::strtod(Value.c_str(), &end);
        if (end == Value.c_str() || *end != '\0') return Value;
        char buf[40];
        std::snprintf(buf, sizeof buf, "%.17g", d == 0 ? 0.0 : d);
        return buf;
    }
    case TValueKind::Time:
    case TValueKind::DateTime:
        return WithoutZeroFraction(Value);
    case TValueKind::Text:
    case TValueKind::Date:
        return Value;
    }
    return Value;
}

std::string Printable(const std::string& Value) {
    std::string text;
    for (unsigned char c : Value) {
        if (text.size() > 120) {
            text += "...(" + std::to_string(Value.size()) + " bytes)";
            break;
        }
        if (c < 32 || c == '\\' || c >= 127) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02X", c);
            text += buf;
        } else {
            text += static_cast<char>(c);
        }
    }
    return text;
}

TTableRows MariaDBTableRows(const std::string& Database, const TCorpusTable& Table, const std::string& Where) {
    TTableRows result;
    // Columns of the table as the database has them, matched to the corpus by position.
    std::vector<std::string> names;
    for (const std::string& line : LinesOf(MariaDBQuery(
             Database, "SELECT column_name FROM information_schema.columns WHERE table_schema = " +
                           SqlLiteral(Database) + " AND table_name = " + SqlLiteral(Table.Name) +
                           " ORDER BY ordinal_position;")))
        names.push_back(line);
    if (names.empty()) {
        result.Problem = "no table " + Table.Name;
        return result;
    }
    result.Found = true;
    if (names.size() != Table.Columns.size()) {
        result.Problem = "table " + Table.Name + " has " + std::to_string(names.size()) + " columns, not " +
                         std::to_string(Table.Columns.size());
        return result;
    }
    std::string select;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string c = BacktickQuote(names[i]);
        std::string expr;
        switch (Table.Columns[i].Kind) {
        case TValueKind::Text:
        case TValueKind::FixedText:
            expr = "HEX(CONVERT(" + c + " USING utf8mb4))";
            break;
        case TValueKind::Binary:
            expr = "HEX(" + c + ")";
            break;
        case TValueKind::Bit:
            expr = "CAST(" + c + " + 0 AS CHAR)";
            break;
        default:
            expr = "CAST(" + c + " AS CHAR)";
        }
        select += (i ? ", " : "") + expr;
    }
    const std::string text =
        MariaDBQuery(Database, "SELECT " + select + " FROM " + BacktickQuote(Table.Name) +
                                   (Where.empty() ? std::string() : " WHERE " + Where) + ";");
    for (const std::string& line : LinesOf(text)) {
        const std::vector<std::string> f = SplitOn(line, '\t');
        TCorpusRow row;
        for (std::size_t i = 0; i < f.size() && i < Table.Columns.size(); ++i) {
            if (f[i] == "NULL") {
                row.emplace_back();
                continue;
            }
            const TValueKind kind = Table.Columns[i].Kind;
            const bool hex = kind == TValueKind::Text || kind == TValueKind::FixedText || kind == TValueKind::Binary;
            row.emplace_back(CanonicalValue(kind, hex ? FromHex(f[i]) : f[i]));
        }
        result.Rows.push_back(row);
    }
    return result;
}

TTableRows SqliteTableRows(const std::string& DbPath, const TCorpusTable& Table, const std::string& Where) {
    TTableRows result;
    std::vector<std::string> names;
    for (const std::string& line : LinesOf(SqliteQuery(
             DbPath, "SELECT name FROM pragma_table_info(" + SqlLiteral(Table.Name) + ") ORDER BY cid;")))
        names.push_back(line);
    if (names.empty()) {
        result.Problem = "no table " + Table.Name;
        return result;
    }
    result.Found = true;
    if (names.size() != Table.Columns.size()) {
        result.Problem = "table " + Table.Name + " has " + std::to_string(names.size()) + " columns, not " +
                         std::to_string(Table.Columns.size());
        return result;
    }
    // N: NULL; B: a blob; V: any other storage class, as the bytes of its text.
    std::string select;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string c = DoubleQuote(names[i]);
        select += (i ? " || '|' || " : "") + std::string("CASE WHEN ") + c + " IS NULL THEN 'N' WHEN typeof(" + c +
                  ") = 'blob' THEN 'B' || hex(" + c + ") ELSE 'V' || hex(" + c + ") END";
    }
    const std::string text = SqliteQuery(DbPath, "SELECT " + select + " FROM " + DoubleQuote(Table.Name) +
                                                     (Where.empty() ? std::string() : " WHERE " + Where) + ";");
    for (const std::string& line : LinesOf(text)) {
        const std::vector<std::string> f = SplitOn(line, '|');
        TCorpusRow row;
        for (std::size_t i = 0; i < f.size() && i < Table.Columns.size(); ++i) {
            if (f[i].empty() || f[i][0] == 'N') {
                row.emplace_back();
                continue;
            }
            const TValueKind kind = Table.Columns[i].Kind;
            const std::string bytes = FromHex(f[i].substr(1));
            // SQLite keeps the storage class with the value: bytes that arrive as text
            // where a blob was sent (or the reverse) are a changed value.
            const bool blob = f[i][0] == 'B';
            if (kind == TValueKind::Binary)
                row.emplace_back(blob ? CanonicalValue(kind, bytes) : "(text) " + Printable(bytes));
            else if (kind == TValueKind::Bit && blob)
                row.emplace_back(BytesAsNumber(bytes));
            else if (blob)
                row.emplace_back("(blob) " + ToHex(bytes));
            else
                row.emplace_back(CanonicalValue(kind, bytes));
        }
        result.Rows.push_back(row);
    }
    return result;
}

namespace {

std::vector<FirebirdRow> FirebirdColumnsOf(const std::string& DbPath, const std::string& Relation) {
    return FirebirdRows(DbPath, "SELECT rf.rdb$field_name, f.rdb$field_type, coalesce(f.rdb$character_set_id, -1)"
                                " FROM rdb$relation_fields rf JOIN rdb$fields f"
                                " ON f.rdb$field_name = rf.rdb$field_source WHERE rf.rdb$relation_name = " +
                                    SqlLiteral(Relation) + " ORDER BY rf.rdb$field_position");
}

} // namespace

std::string FirebirdRelationOf(const std::string& DbPath, const TCorpusTable& Table) {
    std::vector<std::string> relations;
    for (const FirebirdRow& r : FirebirdRows(DbPath, "SELECT rdb$relation_name FROM rdb$relations"
                                                     " WHERE rdb$system_flag = 0 AND rdb$view_blr IS NULL"))
        if (!r.empty() && r[0]) relations.push_back(*r[0]);
    for (const std::string& r : relations)
        if (Upper(r) == Upper(Table.Name)) return r;
    if (Table.Name.size() <= 31) return "";
    // A name longer than 31 bytes must have been shortened: the one relation that begins
    // like it and has as many columns.
    std::vector<std::string> candidates;
    for (const std::string& r : relations) {
        std::size_t common = 0;
        while (common < r.size() && common < Table.Name.size() &&
               std::toupper(static_cast<unsigned char>(r[common])) ==
                   std::toupper(static_cast<unsigned char>(Table.Name[common])))
            ++common;
        if (common >= 12 && FirebirdColumnsOf(DbPath, r).size() == Table.Columns.size()) candidates.push_back(r);
    }
    return candidates.size() == 1 ? candidates[0] : "";
}

std::vector<std::string> FirebirdColumnNames(const std::string& DbPath, const std::string& Relation) {
    std::vector<std::string> names;
    for (const FirebirdRow& r : FirebirdColumnsOf(DbPath, Relation))
        names.push_back(r.empty() ? "" : r[0].value_or(""));
    return names;
}

TTableRows FirebirdTableRows(const std::string& DbPath, const TCorpusTable& Table) {
    TTableRows result;
    const std::string relation = FirebirdRelationOf(DbPath, Table);
    if (relation.empty()) {
        result.Problem = "no table " + Table.Name;
        return result;
    }
    result.Found = true;
    const std::vector<FirebirdRow> columns = FirebirdColumnsOf(DbPath, relation);
    if (columns.size() != Table.Columns.size()) {
        result.Problem = "table " + relation + " has " + std::to_string(columns.size()) + " columns, not " +
                         std::to_string(Table.Columns.size());
        return result;
    }
    std::string select;
    std::vector<bool> asBytes, octets;
    std::vector<std::size_t> slices; // result columns per table column
    constexpr long slice = 32000;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const std::string c = DoubleQuote(columns[i][0].value_or(""));
        const int type = std::atoi(columns[i][1].value_or("0").c_str());
        const bool textual = type == 14 || type == 37 || type == 261; // char, varchar, blob
        asBytes.push_back(textual);
        octets.push_back(std::atoi(columns[i][2].value_or("-1").c_str()) == 1);
        // isql-fb shows OCTETS strings as hex: every byte of a text or blob value comes
        // back exactly that way. A blob longer than one string comes in slices of bytes.
        long longest = 0;
        if (type == 261)
            longest = std::atol(
                FirebirdQuery(DbPath, "SELECT MAX(OCTET_LENGTH(" + c + ")) FROM " + DoubleQuote(relation)).c_str());
        slices.push_back(longest > slice ? static_cast<std::size_t>((longest + slice - 1) / slice) : 1);
        for (std::size_t k = 0; k < slices.back(); ++k) {
            const std::string part =
                slices.back() == 1 ? c
                                   : "SUBSTRING(CAST(" + c + " AS BLOB SUB_TYPE BINARY) FROM " +
                                         std::to_string(k * slice + 1) + " FOR " + std::to_string(slice) + ")";
            const std::string expr = textual ? "CAST(" + part + " AS VARCHAR(32000) CHARACTER SET OCTETS)" : c;
            select += (select.empty() ? "" : ", ") + expr + " AS V" + std::to_string(i) + "_" + std::to_string(k);
        }
    }
    for (const FirebirdRow& sliced : FirebirdRows(DbPath, "SELECT " + select + " FROM " + DoubleQuote(relation))) {
        FirebirdRow r;
        for (std::size_t i = 0, at = 0; i < slices.size() && at < sliced.size(); at += slices[i], ++i) {
            r.push_back(sliced[at]);
            for (std::size_t k = 1; k < slices[i] && at + k < sliced.size(); ++k)
                if (r.back() && sliced[at + k]) *r.back() += *sliced[at + k];
        }
        TCorpusRow row;
        for (std::size_t i = 0; i < r.size() && i < Table.Columns.size(); ++i) {
            if (!r[i]) {
                row.emplace_back();
                continue;
            }
            const TValueKind kind = Table.Columns[i].Kind;
            const std::string value = asBytes[i] ? FromHex(*r[i]) : *r[i];
            if (kind == TValueKind::Bit && octets[i])
                row.emplace_back(BytesAsNumber(value));
            else
                row.emplace_back(CanonicalValue(kind, value));
        }
        result.Rows.push_back(row);
    }
    return result;
}

TRowDiff CompareRows(const TCorpusTable& Table, const TTableRows& Expected, const TTableRows& Actual) {
    TRowDiff diff;
    if (!Actual.Found || !Actual.Problem.empty()) {
        diff.MissingRows = static_cast<int>(Expected.Rows.size());
        diff.Report = Table.Name + ": " + (Actual.Problem.empty() ? "not found" : Actual.Problem) + "\n";
        return diff;
    }
    std::multimap<std::string, const TCorpusRow*> actual;
    for (const TCorpusRow& row : Actual.Rows)
        actual.emplace(RowKey(Table, row), &row);
    for (const TCorpusRow& row : Expected.Rows) {
        auto it = actual.find(RowKey(Table, row));
        if (it == actual.end()) {
            ++diff.MissingRows;
            diff.Report += Table.Name + ": missing row " + ShowRow(row) + "\n";
            continue;
        }
        const TCorpusRow& got = *it->second;
        int wrong = 0;
        for (std::size_t i = 0; i < row.size(); ++i) {
            const std::optional<std::string> g = i < got.size() ? got[i] : std::nullopt;
            if (g != row[i]) {
                ++wrong;
                diff.Report += Table.Name + "." + Table.Columns[i].Name + " in row " +
                               ShowRow(TCorpusRow(row.begin(), row.begin() + 1)) + ": expected " +
                               ShowValue(row[i]) + ", got " + ShowValue(g) + "\n";
            }
        }
        if (wrong) {
            ++diff.WrongRows;
            diff.WrongValues += wrong;
        }
        actual.erase(it);
    }
    for (const auto& [key, row] : actual) {
        ++diff.ExtraRows;
        diff.Report += Table.Name + ": unexpected row " + ShowRow(*row) + "\n";
    }
    return diff;
}
