#include "RoundTripUtil.h"

#include "TODBC.h"
#include "TODBCStatement.h"
#include "TestEnv.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <sstream>

namespace {

// The digits of a plain decimal number without its sign's plus, leading zeros, trailing
// fraction zeros and a bare point; other texts (exponents, words) unchanged.
std::string CanonicalDecimal(std::string Text) {
    if (Text.empty() || Text.find_first_not_of("+-0123456789.") != std::string::npos) return Text;
    bool negative = Text[0] == '-';
    if (Text[0] == '-' || Text[0] == '+') Text.erase(0, 1);
    if (Text.find('.') != std::string::npos) {
        while (!Text.empty() && Text.back() == '0')
            Text.pop_back();
        if (!Text.empty() && Text.back() == '.') Text.pop_back();
    }
    const std::size_t first = Text.find_first_not_of('0');
    Text = first == std::string::npos ? "0" : Text.substr(first);
    if (Text[0] == '.') Text.insert(0, "0");
    if (Text == "0") negative = false;
    return negative ? "-" + Text : Text;
}

bool SameNumber(const std::string& A, const std::string& B) {
    if (CanonicalDecimal(A) == CanonicalDecimal(B)) return true;
    // Floating-point texts: the same double, however written.
    char* endA = nullptr;
    char* endB = nullptr;
    const double a = std::strtod(A.c_str(), &endA);
    const double b = std::strtod(B.c_str(), &endB);
    return endA && !*endA && endB && !*endB && !A.empty() && !B.empty() && a == b;
}

std::string Show(const std::optional<std::string>& V) {
    if (!V) return "NULL";
    std::string r = "'";
    for (unsigned char c : *V) {
        if (c < 32 || c > 126) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", c);
            r += hex;
        } else {
            r += static_cast<char>(c);
        }
    }
    return r + "'";
}

} // namespace

std::vector<TValueRow> ReadRows(const std::string& Dsn, const std::string& Sql, const std::string& User,
                                const std::string& Password) {
    std::vector<TValueRow> rows;
    TODBC connection;
    if (!connection.Connect(Dsn, User, Password)) {
        ADD_FAILURE() << "cannot connect to " << Dsn << ": " << connection.LastError();
        return rows;
    }
    TODBCStatement statement(&connection, false, false);
    bool row = statement.ExecSQL(Sql, true, false);
    EXPECT_FALSE(statement.Failed()) << Sql << ": " << statement.LastError();
    for (; row; row = statement.Fetch(fdNext, 1)) {
        TValueRow values;
        for (int i = 0; i < statement.ColumnCount(); ++i) {
            const TFieldData field = statement.FieldData(i);
            values.push_back(field.Null ? std::nullopt : std::optional<std::string>(std::string(field.Bytes)));
        }
        rows.push_back(std::move(values));
    }
    EXPECT_FALSE(statement.Failed()) << Sql << ": " << statement.LastError();
    return rows;
}

void ExpectSameRows(const std::vector<TValueRow>& Source, const std::vector<TValueRow>& Target,
                    const std::set<int>& Numeric, const std::string& Label) {
    ASSERT_EQ(Source.size(), Target.size()) << Label << ": row count";
    for (std::size_t r = 0; r < Source.size(); ++r) {
        ASSERT_EQ(Source[r].size(), Target[r].size()) << Label << ": columns of row " << r + 1;
        for (std::size_t c = 0; c < Source[r].size(); ++c) {
            const auto& a = Source[r][c];
            const auto& b = Target[r][c];
            const bool same = a.has_value() == b.has_value() &&
                              (!a || *a == *b || (Numeric.count(static_cast<int>(c)) && SameNumber(*a, *b)));
            EXPECT_TRUE(same) << Label << ", row " << r + 1 << ", column " << c + 1 << ": source " << Show(a)
                              << ", target " << Show(b);
        }
    }
}

std::string SqliteLoad(const std::string& DbPath, const std::string& ScriptPath, int* Status) {
    std::string output;
    *Status = RunCommand("sqlite3 -bail '" + DbPath + "' < '" + ScriptPath + "' 2>&1", &output);
    return output;
}

namespace {

std::string Quoted(const std::string& Text) {
    std::string r = "'";
    for (char c : Text)
        r += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return r + "'";
}

} // namespace

int PostgresLoad(const std::string& Database, const std::string& ScriptPath, const std::string& ServerOptions,
                 std::string* Output, std::string* Errors) {
    const std::string command = "PGOPTIONS=" + Quoted(ServerOptions) + " PGPASSWORD=" + Quoted(PostgresPassword()) +
                                " PGCLIENTENCODING=UTF8 psql -X -q -v ON_ERROR_STOP=1 -h " +
                                Quoted(PostgresSocketDir()) + " -p " + std::to_string(PostgresPort()) + " -U " +
                                Quoted(PostgresUser()) + " -d " + Quoted(Database) + " -f " + Quoted(ScriptPath);
    return RunCommand(command, Output, Errors);
}

int MariaDBLoad(const std::string& Database, const std::string& ScriptPath, std::string* Output) {
    const std::string command = "MYSQL_PWD=" + Quoted(MariaDBPassword()) +
                                " mariadb --no-defaults --protocol=socket --default-character-set=utf8mb4 -S " +
                                Quoted(MariaDBSocket()) + " -u " + Quoted(MariaDBUser()) +
                                " --init-command=\"SET sql_mode='STRICT_ALL_TABLES'\" " + Quoted(Database) + " < " +
                                Quoted(ScriptPath) + " 2>&1";
    return RunCommand(command, Output);
}

namespace {

// Lines of "id|integer|exponent" as value = integer * 2^(exponent - 53); with High, lines of
// "id|high|low|exponent", the integer being high * 2^26 + low.
std::map<int, double> ExactDoublesOf(const std::string& Rows, bool High = false) {
    std::map<int, double> values;
    std::istringstream in(Rows);
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        int id = 0, exponent = 0;
        long long whole = 0, low = 0;
        char bar = 0;
        fields >> id >> bar >> whole >> bar;
        if (High) fields >> low >> bar;
        fields >> exponent;
        EXPECT_FALSE(fields.fail()) << line;
        if (High) whole = whole * 67108864 + low;
        values[id] = std::ldexp(static_cast<double>(whole), exponent - 53);
    }
    return values;
}

} // namespace

// floor(log2) may be one off near a power of two; times 2^(53 - e) the value is then an
// integer all the same, of up to 55 bits. The power is split in two so neither overflows.
std::map<int, double> SqliteExactDoubles(const std::string& DbPath, const std::string& Table,
                                         const std::string& Column) {
    return ExactDoublesOf(SqliteQuery(
        DbPath, "SELECT id, CAST(v * pow(2, (53 - e) / 2) * pow(2, 53 - e - (53 - e) / 2) AS INTEGER), e FROM "
                "(SELECT id, " + Column + " AS v, CAST(floor(log2(abs(" + Column + "))) AS INTEGER) AS e FROM " +
                    Table + " WHERE " + Column + " <> 0) ORDER BY id"));
}

// Firebird's POWER is not exact; its powers of two come from a table made by doubling. Its
// cast of a double to BIGINT adds a half first, which rounds an odd integer of 53 bits up:
// the integer comes in two halves of 27 bits.
std::map<int, double> FirebirdExactDoubles(const std::string& DbPath, const std::string& Table,
                                           const std::string& Column) {
    FirebirdRunScript(DbPath,
                      "RECREATE TABLE exact_pow2 (k int, v double precision);\nCOMMIT;\n"
                      "INSERT INTO exact_pow2 WITH RECURSIVE u (k, v) AS (SELECT 0, CAST(1 AS DOUBLE PRECISION) "
                      "FROM rdb$database UNION ALL SELECT k + 1, v * 2 FROM u WHERE k < 600) SELECT k, v FROM u;\n"
                      "INSERT INTO exact_pow2 WITH RECURSIVE u (k, v) AS (SELECT -1, CAST(0.5 AS DOUBLE PRECISION) "
                      "FROM rdb$database UNION ALL SELECT k - 1, v / 2 FROM u WHERE k > -600) SELECT k, v FROM u;\n"
                      "COMMIT;\n");
    return ExactDoublesOf(
        FirebirdQuery(DbPath, "SELECT id, CAST(FLOOR(p / 67108864) AS BIGINT), CAST(p - FLOOR(p / 67108864) * 67108864 "
                              "AS BIGINT), e FROM (SELECT t.id, CAST(t." + Column + " AS DOUBLE PRECISION) * a.v * b.v AS p, "
                              "t.e FROM (SELECT id, " + Column + ", CAST(FLOOR(LOG(2, ABS(" + Column + "))) AS INTEGER) AS e "
                              "FROM " + Table + " WHERE " + Column + " <> 0) t JOIN exact_pow2 a ON a.k = (53 - t.e) / 2 "
                              "JOIN exact_pow2 b ON b.k = 53 - t.e - (53 - t.e) / 2) ORDER BY id"),
        true);
}

namespace {

bool IsInt64Digits(std::string_view Field) {
    if (!Field.empty() && Field[0] == '-') Field.remove_prefix(1);
    return !Field.empty() && Field.size() <= 19 &&
           Field.find_first_not_of("0123456789") == std::string_view::npos;
}

// Each line's fields (split at '|' or tab) as the shortest text of their double, NULL as it
// stands: texts of one value in different spellings compare equal, any other bit does not.
std::vector<std::string> CanonicalLines(const std::string& Text, bool KeepIntegers) {
    std::vector<std::string> lines;
    std::istringstream in(Text);
    for (std::string line; std::getline(in, line);) {
        std::string canonical;
        std::size_t at = 0;
        while (at <= line.size()) {
            const std::size_t end = std::min(line.find_first_of("|\t", at), line.size());
            const std::string field = line.substr(at, end - at);
            double value = 0;
            const auto [ptr, ec] = std::from_chars(field.data(), field.data() + field.size(), value);
            char text[64];
            if (KeepIntegers && IsInt64Digits(field))
                canonical += field;
            else
                canonical += ec == std::errc() && ptr == field.data() + field.size()
                                 ? std::string(text, std::to_chars(text, text + sizeof text, value).ptr)
                                 : "<" + field + ">";
            canonical += ' ';
            at = end + 1;
        }
        lines.push_back(canonical);
    }
    return lines;
}

} // namespace

std::vector<std::string> DoubleLines(const std::string& Text) {
    return CanonicalLines(Text, false);
}

std::vector<std::string> NumberLines(const std::string& Text) {
    return CanonicalLines(Text, true);
}
