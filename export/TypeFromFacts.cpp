#include "TypeFromFacts.h"

#include "SqlText.h"
#include "Text.h"

#include <sqlext.h>

#include <algorithm>
#include <array>
#include <charconv>

namespace {

long long ToNumber(const std::string& Text, long long Fallback) {
    long long v = 0;
    const char* end = Text.data() + Text.size();
    const auto [p, ec] = std::from_chars(Text.data(), end, v);
    return ec == std::errc() && p == end ? v : Fallback;
}

std::string Trimmed(std::string_view Text) {
    const std::size_t b = Text.find_first_not_of(" \t\r\n");
    if (b == std::string_view::npos) return {};
    const std::size_t e = Text.find_last_not_of(" \t\r\n");
    return std::string(Text.substr(b, e - b + 1));
}

// "decimal(10,2) unsigned" gives "decimal", 10 and 2.
std::string BaseName(std::string_view Type, int* First = nullptr, int* Second = nullptr) {
    const std::size_t open = Type.find('(');
    if (open != std::string_view::npos && First) {
        const std::size_t close = Type.find(')', open);
        const std::string inside(Type.substr(open + 1, close == std::string_view::npos ? 0 : close - open - 1));
        const std::size_t comma = inside.find(',');
        *First = static_cast<int>(ToNumber(Trimmed(inside.substr(0, comma)), -1));
        if (Second && comma != std::string::npos) *Second = static_cast<int>(ToNumber(Trimmed(inside.substr(comma + 1)), -1));
    }
    std::string base = Trimmed(Type.substr(0, open));
    for (std::string_view suffix : {" unsigned", " zerofill", " signed"})
        if (base.ends_with(suffix)) base.resize(base.size() - suffix.size());
    return base;
}

bool OneOf(std::string_view Name, std::initializer_list<std::string_view> Names) {
    return std::find(Names.begin(), Names.end(), Name) != Names.end();
}

bool IsCharacterName(std::string_view Base) {
    return OneOf(Base, {"char", "character", "bpchar", "nchar", "varchar", "character varying", "nvarchar",
                        "varchar2", "nvarchar2", "national char", "national varchar", "string"});
}

bool IsLongTextName(std::string_view Base) {
    return OneOf(Base, {"text", "tinytext", "mediumtext", "longtext", "clob", "nclob", "ntext", "memo", "citext",
                        "long varchar", "long"});
}

// Beside a bit string kept as text: the digits load and read back as they were.
constexpr const char* kBitStringNote = "bit string: its 0/1 digits as text";
// A time with its zone where the target has no such type: its text, at most
// 23:59:59.999999+15:59:59.
constexpr long long kTimeTzLength = 24;
constexpr const char* kTimeTzNote = "time with time zone: its text";

std::string WithLength(std::string_view Name, long long Length) {
    return std::string(Name) + "(" + std::to_string(Length) + ")";
}

std::string WithPrecision(std::string_view Name, int Precision, int Scale) {
    return std::string(Name) + "(" + std::to_string(Precision) + "," + std::to_string(Scale) + ")";
}

std::string DecimalName(const TValueShape& S) {
    if (S.Precision < 0) return "numeric";
    return WithPrecision("decimal", S.Precision, S.Scale);
}

TTargetType ToSQLite(const TValueShape& S) {
    switch (S.Kind) {
    case TValueKind::Boolean:
    case TValueKind::Int8:
    case TValueKind::Int16:
    case TValueKind::Int32:
    case TValueKind::Int64:
        return {"INTEGER", ""};
    case TValueKind::UInt64:
        return {"TEXT", "unsigned 64-bit: kept as text, SQLite integers stop at 2^63-1"};
    case TValueKind::Decimal:
        // SQLite keeps 15 significant digits of a number; longer ones stay exact only as text.
        if (S.Precision > 0 && S.Precision <= 15)
            return {WithPrecision("DECIMAL", S.Precision, S.Scale), ""};
        return {"TEXT", DecimalName(S) + ": digits kept exactly as text"};
    case TValueKind::Real:
    case TValueKind::Double:
        return {"REAL", ""};
    case TValueKind::Char:
        return {WithLength("CHAR", S.Length), ""};
    case TValueKind::VarChar:
        return {WithLength("VARCHAR", S.Length), ""};
    case TValueKind::Binary:
    case TValueKind::VarBinary:
    case TValueKind::Blob:
        return {"BLOB", ""};
    case TValueKind::BitString:
        return {"TEXT", kBitStringNote};
    case TValueKind::Date:
        return {"DATE", ""};
    case TValueKind::Time:
    case TValueKind::Duration:
        return {"TIME", ""};
    case TValueKind::Timestamp:
    case TValueKind::TimestampTz:
        return {"DATETIME", ""};
    case TValueKind::TimeTz:
        return {"TEXT", kTimeTzNote};
    default:
        return {"TEXT", ""};
    }
}

// Array and other types of PostgreSQL that a PostgreSQL target takes by their own name.
bool IsPostgreSQLOwnType(std::string_view Base) {
    return OneOf(Base, {"interval", "inet", "cidr", "macaddr", "macaddr8", "xml", "jsonb", "json", "tsvector",
                        "int4range", "int8range", "numrange", "tsrange", "tstzrange", "daterange", "point", "line",
                        "lseg", "box", "path", "polygon", "circle", "bit", "varbit", "oid"});
}

TTargetType ToPostgreSQL(const TValueShape& S, bool AutoIncrement) {
    constexpr long long kMaxLength = 10485760;
    switch (S.Kind) {
    case TValueKind::Boolean:
        return {"boolean", ""};
    case TValueKind::Int8:
    case TValueKind::Int16:
        return {"smallint", ""};
    case TValueKind::Int32:
        return {"integer", ""};
    case TValueKind::Int64:
        return {"bigint", ""};
    case TValueKind::UInt64:
        if (AutoIncrement) return {"bigint", "unsigned 64-bit counter: an identity column is at most bigint"};
        return {"numeric(20,0)", ""};
    case TValueKind::Decimal:
        if (S.Precision > 0 && S.Precision <= 1000) return {WithPrecision("numeric", S.Precision, S.Scale), ""};
        return {"numeric", ""};
    case TValueKind::Real:
        return {"real", ""};
    case TValueKind::Double:
        return {"double precision", ""};
    case TValueKind::Char:
        return {S.Length <= kMaxLength ? WithLength("character", S.Length) : "text", ""};
    case TValueKind::VarChar:
        return {S.Length <= kMaxLength ? WithLength("varchar", S.Length) : "text", ""};
    case TValueKind::Binary:
    case TValueKind::VarBinary:
    case TValueKind::Blob:
        return {"bytea", ""};
    case TValueKind::Date:
        return {"date", ""};
    case TValueKind::Time:
        return {S.Fraction >= 0 && S.Fraction < 6 ? WithLength("time", S.Fraction) : "time", ""};
    case TValueKind::Duration:
        return {"interval", "the source's time holds durations"};
    case TValueKind::Timestamp:
        return {S.Fraction >= 0 && S.Fraction < 6 ? WithLength("timestamp", S.Fraction) : "timestamp", ""};
    case TValueKind::TimestampTz:
        return {S.Fraction >= 0 && S.Fraction < 6 ? WithLength("timestamptz", S.Fraction) : "timestamptz", ""};
    case TValueKind::TimeTz:
        return {(S.Fraction >= 0 && S.Fraction < 6 ? WithLength("time", S.Fraction) : "time") + " with time zone", ""};
    case TValueKind::Uuid:
        return {"uuid", ""};
    case TValueKind::Json:
        return {S.SourceName == "jsonb" ? "jsonb" : "json", ""};
    case TValueKind::BitString:
        // A bit string's length is not reported, and bare "bit" is bit(1) to PostgreSQL.
        return {"varbit", ""};
    default:
        // A PostgreSQL array reports its element type with a leading underscore.
        if (S.SourceName.size() > 1 && S.SourceName[0] == '_' && IsPlainIdentifier(S.SourceName))
            return {S.SourceName.substr(1) + "[]", ""};
        if (IsPostgreSQLOwnType(S.SourceName)) return {S.SourceName, ""};
        if (S.SourceName == "inet4" || S.SourceName == "inet6") return {"inet", ""};
        return {"text", ""};
    }
}

TTargetType ToMySQL(const TValueShape& S) {
    switch (S.Kind) {
    case TValueKind::Boolean:
        return {"tinyint(1)", ""};
    case TValueKind::Int8:
        return {"tinyint", ""};
    case TValueKind::Int16:
        return {"smallint", ""};
    case TValueKind::Int32:
        return {"int", ""};
    case TValueKind::Int64:
        return {"bigint", ""};
    case TValueKind::UInt64:
        return {"bigint unsigned", ""};
    case TValueKind::Decimal:
        if (S.Precision > 0 && S.Precision <= 65 && S.Scale <= 30) return {DecimalName(S), ""};
        return {"longtext", DecimalName(S) + ": digits kept exactly as text"};
    case TValueKind::Real:
        return {"float", ""};
    case TValueKind::Double:
        return {"double", ""};
    case TValueKind::Char:
        if (S.Length <= 255) return {WithLength("char", S.Length), ""};
        [[fallthrough]];
    case TValueKind::VarChar:
        if (S.Length <= 16383) return {WithLength("varchar", S.Length), ""};
        return {"longtext", ""};
    case TValueKind::Binary:
        if (S.Length > 0 && S.Length <= 255) return {WithLength("binary", S.Length), ""};
        [[fallthrough]];
    case TValueKind::VarBinary:
        if (S.Length > 0 && S.Length <= 65535) return {WithLength("varbinary", S.Length), ""};
        [[fallthrough]];
    case TValueKind::Blob:
        return {"longblob", ""};
    case TValueKind::Date:
        return {"date", ""};
    case TValueKind::Time:
    case TValueKind::Duration:
        return {WithLength("time", S.Fraction >= 0 && S.Fraction <= 6 ? S.Fraction : 6), ""};
    case TValueKind::Timestamp:
    case TValueKind::TimestampTz:
        return {WithLength("datetime", S.Fraction >= 0 && S.Fraction <= 6 ? S.Fraction : 6), ""};
    case TValueKind::TimeTz:
        return {WithLength("varchar", kTimeTzLength), kTimeTzNote};
    case TValueKind::Uuid:
        return {"char(36)", ""};
    case TValueKind::BitString:
        // MySQL's bit(n) is a number of at most 64 bits and shows no leading zeros; the
        // driver reports no length that would bound the text.
        return {"longtext", kBitStringNote};
    default:
        return {"longtext", ""};
    }
}

TTargetType ToFirebird(const TValueShape& S) {
    // 8191 characters of four bytes fill Firebird's 32 KB limit.
    constexpr long long kMaxChars = 8191;
    switch (S.Kind) {
    case TValueKind::Boolean:
    case TValueKind::Int8:
    case TValueKind::Int16:
        return {"smallint", ""};
    case TValueKind::Int32:
        return {"integer", ""};
    case TValueKind::Int64:
        return {"bigint", ""};
    case TValueKind::UInt64:
        return {"varchar(20)", "unsigned 64-bit: kept as text, Firebird integers stop at 2^63-1"};
    case TValueKind::Decimal:
        if (S.Precision > 0 && S.Precision <= 18) return {DecimalName(S), ""};
        return {"varchar(1024)", DecimalName(S) + ": digits kept exactly as text"};
    case TValueKind::Real:
        return {"float", ""};
    case TValueKind::Double:
        return {"double precision", ""};
    case TValueKind::Char:
        if (S.Length <= kMaxChars) return {WithLength("char", S.Length), ""};
        return {"blob sub_type text", ""};
    case TValueKind::VarChar:
        if (S.Length <= kMaxChars) return {WithLength("varchar", S.Length), ""};
        return {"blob sub_type text", ""};
    case TValueKind::Binary:
        if (S.Length > 0 && S.Length <= 32767) return {WithLength("char", S.Length) + " character set octets", ""};
        return {"blob", ""};
    case TValueKind::VarBinary:
        if (S.Length > 0 && S.Length <= 32765) return {WithLength("varchar", S.Length) + " character set octets", ""};
        return {"blob", ""};
    case TValueKind::Blob:
        return {"blob", ""};
    case TValueKind::Date:
        return {"date", ""};
    case TValueKind::Time:
        return {"time", ""};
    case TValueKind::Duration:
        // -838:59:59.999999
        return {"varchar(17)", "the source's time holds durations"};
    case TValueKind::Timestamp:
    case TValueKind::TimestampTz:
        return {"timestamp", ""};
    case TValueKind::TimeTz:
        return {WithLength("varchar", kTimeTzLength), kTimeTzNote};
    case TValueKind::Uuid:
        return {"char(36)", ""};
    case TValueKind::BitString:
        return {"blob sub_type text", kBitStringNote};
    default:
        return {"blob sub_type text", ""};
    }
}

TTargetType ToOracle(const TValueShape& S) {
    switch (S.Kind) {
    case TValueKind::Boolean:
        return {"number(1)", ""};
    case TValueKind::Int8:
        return {"number(3)", ""};
    case TValueKind::Int16:
        return {"number(5)", ""};
    case TValueKind::Int32:
        return {"number(10)", ""};
    case TValueKind::Int64:
        return {"number(19)", ""};
    case TValueKind::UInt64:
        return {"number(20)", ""};
    case TValueKind::Decimal:
        if (S.Precision > 0 && S.Precision <= 38) return {WithPrecision("number", S.Precision, S.Scale), ""};
        return {"number", ""};
    case TValueKind::Real:
        return {"binary_float", ""};
    case TValueKind::Double:
        return {"binary_double", ""};
    case TValueKind::Char:
        if (S.Length <= 2000) return {WithLength("char", S.Length), ""};
        [[fallthrough]];
    case TValueKind::VarChar:
        if (S.Length <= 4000) return {WithLength("varchar2", S.Length), ""};
        return {"clob", ""};
    case TValueKind::Binary:
    case TValueKind::VarBinary:
        if (S.Length > 0 && S.Length <= 2000) return {WithLength("raw", S.Length), ""};
        [[fallthrough]];
    case TValueKind::Blob:
        return {"blob", ""};
    case TValueKind::Date:
        return {"date", ""};
    case TValueKind::Time:
    case TValueKind::Duration:
        return {"varchar2(18)", "time of day kept as text"};
    case TValueKind::Timestamp:
        return {S.Fraction >= 0 && S.Fraction <= 9 ? WithLength("timestamp", S.Fraction) : "timestamp", ""};
    case TValueKind::TimestampTz:
        return {"timestamp with time zone", ""};
    case TValueKind::TimeTz:
        return {WithLength("varchar2", kTimeTzLength), kTimeTzNote};
    case TValueKind::Uuid:
        return {"char(36)", ""};
    case TValueKind::BitString:
        return {"clob", kBitStringNote};
    default:
        return {"clob", ""};
    }
}

TTargetType ToFoxPro(const TValueShape& S) {
    switch (S.Kind) {
    case TValueKind::Boolean:
        return {"logical", ""};
    case TValueKind::Int8:
    case TValueKind::Int16:
    case TValueKind::Int32:
        return {"integer", ""};
    case TValueKind::Int64:
    case TValueKind::UInt64:
        return {"numeric(20,0)", ""};
    case TValueKind::Decimal:
        if (S.Precision > 0 && S.Precision <= 20) return {WithPrecision("numeric", S.Precision, S.Scale), ""};
        return {"memo", DecimalName(S) + ": digits kept exactly as text"};
    case TValueKind::Real:
    case TValueKind::Double:
        return {"double", ""};
    case TValueKind::Char:
        if (S.Length <= 254) return {WithLength("char", S.Length), ""};
        return {"memo", ""};
    case TValueKind::VarChar:
        if (S.Length <= 254) return {WithLength("varchar", S.Length), ""};
        return {"memo", ""};
    case TValueKind::Binary:
    case TValueKind::VarBinary:
    case TValueKind::Blob:
        return {"blob", ""};
    case TValueKind::Date:
        return {"date", ""};
    case TValueKind::Timestamp:
    case TValueKind::TimestampTz:
        return {"datetime", ""};
    case TValueKind::Time:
    case TValueKind::Duration:
        return {"char(18)", "time of day kept as text"};
    case TValueKind::TimeTz:
        return {WithLength("varchar", kTimeTzLength), kTimeTzNote};
    case TValueKind::Uuid:
        return {"char(36)", ""};
    case TValueKind::BitString:
        return {"memo", kBitStringNote};
    default:
        return {"memo", ""};
    }
}

} // namespace

TDriverColumn FactsFromCatalogue(const TCatalogueField& Field) {
    TDriverColumn f;
    f.Name = Field("column_name");
    f.SqlType = static_cast<int>(ToNumber(Field("data_type"), SQL_UNKNOWN_TYPE));
    f.Size = ToNumber(Field("column_size"), -1);
    f.Digits = static_cast<int>(ToNumber(Field("decimal_digits"), -1));
    f.Nullable = ToNumber(Field("nullable"), SQL_NULLABLE) != SQL_NO_NULLS;
    f.SourceType = LowerCase(Field("type_name"));
    f.Default = Field("column_def");
    // One driver reports the type modifier; -1 on a numeric means no declared precision.
    if ((f.SqlType == SQL_NUMERIC || f.SqlType == SQL_DECIMAL) && Field("typmod") == "-1") f.Unconstrained = true;
    // It describes a time with its zone as text; the modifier is its fractional digits.
    if (f.SourceType == "timetz") f.Digits = static_cast<int>(ToNumber(Field("typmod"), -1));
    return f;
}

TValueShape ShapeOf(const TDriverColumn& Facts) {
    TValueShape s;
    int first = -1, second = -1;
    s.SourceName = BaseName(Facts.SourceType, &first, &second);
    const std::string& base = s.SourceName;
    const bool isUnsigned = Facts.SourceType.find("unsigned") != std::string::npos;
    s.Length = Facts.Size > 0 ? Facts.Size : -1;
    auto integer = [&](TValueKind Signed, TValueKind Wider) {
        s.Kind = isUnsigned ? Wider : Signed;
    };
    switch (Facts.SqlType) {
    case SQL_BIT:
        s.Kind = TValueKind::Boolean;
        break;
    case SQL_TINYINT:
        integer(TValueKind::Int8, TValueKind::Int16);
        break;
    case SQL_SMALLINT:
        integer(TValueKind::Int16, TValueKind::Int32);
        break;
    case SQL_INTEGER:
        integer(TValueKind::Int32, TValueKind::Int64);
        break;
    case SQL_BIGINT:
        integer(TValueKind::Int64, TValueKind::UInt64);
        break;
    case SQL_DECIMAL:
    case SQL_NUMERIC:
        s.Kind = TValueKind::Decimal;
        s.Precision = Facts.Unconstrained || Facts.Size <= 0 ? -1 : static_cast<int>(Facts.Size);
        s.Scale = Facts.Digits > 0 ? Facts.Digits : 0;
        break;
    case SQL_REAL:
    case SQL_FLOAT:
    case SQL_DOUBLE:
        if ((base == "decimal" || base == "numeric") && first > 0) {
            // The SQLite driver reports a declared decimal as a double; the declaration
            // has the digits.
            s.Kind = TValueKind::Decimal;
            s.Precision = first;
            s.Scale = second > 0 ? second : 0;
        } else {
            s.Kind = Facts.SqlType == SQL_REAL ? TValueKind::Real : TValueKind::Double;
        }
        break;
    case SQL_CHAR:
    case SQL_WCHAR:
    case SQL_VARCHAR:
    case SQL_WVARCHAR:
        if (IsCharacterName(base) || base.empty()) {
            const bool fixed = Facts.SqlType == SQL_CHAR || Facts.SqlType == SQL_WCHAR;
            s.Kind = s.Length < 0 ? TValueKind::Text : fixed ? TValueKind::Char : TValueKind::VarChar;
        } else if (base == "enum" || base == "set") {
            // The size is the longest member (list); the values are texts of that length.
            s.Kind = s.Length < 0 ? TValueKind::Text : TValueKind::VarChar;
        } else if (base == "bool" || base == "boolean") {
            s.Kind = TValueKind::Boolean;
        } else if (base == "json" || base == "jsonb") {
            s.Kind = TValueKind::Json;
        } else if (base == "decimal" || base == "numeric") {
            // A driver that reports a declared decimal as text: the declaration has the digits.
            s.Kind = TValueKind::Decimal;
            s.Precision = first;
            s.Scale = second > 0 ? second : 0;
        } else if (IsLongTextName(base)) {
            s.Kind = TValueKind::Text;
        } else if (base == "bit" || base == "varbit" || base == "bit varying") {
            s.Kind = TValueKind::BitString;
        } else if (base == "timetz" || base == "time with time zone") {
            s.Kind = TValueKind::TimeTz;
            s.Fraction = Facts.Digits >= 0 && Facts.Digits <= 9 ? Facts.Digits : -1;
        } else {
            // Types a driver reports as text of a default size (arrays, network types...):
            // their values can be longer than that size.
            s.Kind = TValueKind::Other;
        }
        break;
    case SQL_LONGVARCHAR:
    case SQL_WLONGVARCHAR:
        s.Kind = base == "json" || base == "jsonb" ? TValueKind::Json : TValueKind::Text;
        break;
    case SQL_BINARY:
        s.Kind = TValueKind::Binary;
        break;
    case SQL_VARBINARY:
        s.Kind = TValueKind::VarBinary;
        break;
    case SQL_LONGVARBINARY:
        // MariaDB describes its uuid and address types so, but reads them as their text.
        s.Kind = base == "uuid" ? TValueKind::Uuid : base == "inet4" || base == "inet6" ? TValueKind::Other
                                                                                       : TValueKind::Blob;
        break;
    case SQL_TYPE_DATE:
    case SQL_DATE:
        s.Kind = TValueKind::Date;
        break;
    case SQL_TYPE_TIME:
    case SQL_TIME:
        s.Kind = Facts.TimeIsDuration ? TValueKind::Duration : TValueKind::Time;
        s.Fraction = Facts.Digits >= 0 && Facts.Digits <= 9 ? Facts.Digits : -1;
        break;
    case SQL_TYPE_TIMESTAMP:
    case SQL_TIMESTAMP:
        s.Kind = base == "timestamptz" || base.find("with time zone") != std::string::npos ? TValueKind::TimestampTz
                                                                                            : TValueKind::Timestamp;
        s.Fraction = Facts.Digits >= 0 && Facts.Digits <= 9 ? Facts.Digits : -1;
        break;
    case SQL_GUID:
        s.Kind = TValueKind::Uuid;
        break;
    default:
        s.Kind = TValueKind::Other;
        break;
    }
    if (s.Kind == TValueKind::Text && (base == "json" || base == "jsonb")) s.Kind = TValueKind::Json;
    return s;
}

TTargetType TypeFromShape(const TValueShape& Shape, TExportDialect Target, bool AutoIncrement) {
    switch (Target) {
    case edSQLite:
        return ToSQLite(Shape);
    case edPostgreSQL:
        return ToPostgreSQL(Shape, AutoIncrement);
    case edMySQL:
        return ToMySQL(Shape);
    case edFirebird:
        return ToFirebird(Shape);
    case edFoxPro:
        return ToFoxPro(Shape);
    case edOracle:
        return ToOracle(Shape);
    default:
        return {};
    }
}

TTargetType TypeFromFacts(const TDriverColumn& Facts, TExportDialect Target) {
    return TypeFromShape(ShapeOf(Facts), Target, Facts.AutoIncrement);
}

TColumnDefault ParseDefault(std::string_view Raw) {
    TColumnDefault d;
    std::string text = Trimmed(Raw);
    // PostgreSQL wraps expressions in parentheses: ('x'::text), (-1).
    while (text.size() >= 2 && text.front() == '(' && text.back() == ')') text = Trimmed(std::string_view(text).substr(1, text.size() - 2));
    if (text.empty() || SameText(text, "null") || text.starts_with("NULL::")) return d;
    if (text[0] == '\'') {
        std::string value;
        std::size_t i = 1;
        for (; i < text.size(); ++i) {
            if (text[i] == '\'') {
                if (i + 1 < text.size() && text[i + 1] == '\'') {
                    value += '\'';
                    ++i;
                    continue;
                }
                break;
            }
            value += text[i];
        }
        if (i >= text.size()) return {TColumnDefault::Unknown, text};
        const std::string rest = Trimmed(std::string_view(text).substr(i + 1));
        if (!rest.empty() && !rest.starts_with("::")) return {TColumnDefault::Unknown, text};
        return {TColumnDefault::Literal, value};
    }
    if (IsNumber(text)) return {TColumnDefault::Number, text};
    const std::string lower = LowerCase(text);
    if (lower == "true" || lower == "false") return {TColumnDefault::Boolean, lower == "true" ? "1" : "0"};
    // The expression's name without an empty or a precision argument list: now(), current_timestamp(3).
    std::string name = lower;
    const std::size_t open = name.find('(');
    if (open != std::string::npos && name.back() == ')') {
        const std::string args = name.substr(open + 1, name.size() - open - 2);
        if (args.find_first_not_of("0123456789 ") == std::string::npos) name = Trimmed(std::string_view(name).substr(0, open));
    }
    if (OneOf(name, {"current_timestamp", "now", "localtimestamp", "getdate", "sysdate", "systimestamp",
                     "transaction_timestamp", "statement_timestamp"}))
        return {TColumnDefault::CurrentTimestamp, ""};
    if (OneOf(name, {"current_date", "curdate"})) return {TColumnDefault::CurrentDate, ""};
    if (OneOf(name, {"current_time", "curtime", "localtime"})) return {TColumnDefault::CurrentTime, ""};
    if (IsPlainIdentifier(text) && !OneOf(lower, {"current_user", "user", "session_user"}))
        // A driver that strips the quotes off a literal default.
        return {TColumnDefault::Literal, text};
    return {TColumnDefault::Unknown, text};
}

std::string_view StandardClock(TColumnDefault::TKind Kind) {
    switch (Kind) {
    case TColumnDefault::CurrentTimestamp:
        return "CURRENT_TIMESTAMP";
    case TColumnDefault::CurrentDate:
        return "CURRENT_DATE";
    case TColumnDefault::CurrentTime:
        return "CURRENT_TIME";
    default:
        return {};
    }
}
