#include "RoundTripUtil.h"

#include "TODBC.h"
#include "TODBCStatement.h"
#include "TestEnv.h"

#include <gtest/gtest.h>

#include <cstdlib>

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
