#include "TypeMapping.h"

#include "TExport.h"
#include "Text.h"

#include <array>

namespace {

constexpr std::array<TColInfo, 30> kTableA{{
    {"tinyint", "smallint", false, false},
    {"tinyint unsigned", "smallint", false, false},
    {"smallint", "smallint", false, false},
    {"smallint unsigned", "smallint", false, false},
    {"mediumint", "int", false, false},
    {"mediumint unsigned", "int", false, false},
    {"int", "int", false, false},
    {"int unsigned", "int", false, false},
    {"integer", "int", false, false},
    {"integer unsigned", "int", false, false},
    {"bigint", "bigint", false, false},
    {"bigint unsigned", "bigint", false, false},
    {"float", "float", false, false},
    // Firebird has no type called double.
    {"double", "double precision", false, false},
    {"decimal", "decimal", true, true},
    {"char", "char", true, false},
    {"varchar", "varchar", true, false},
    {"datetime", "timestamp", false, false},
    {"timestamp", "", false, false},
    {"date", "date", false, false},
    {"time", "time", false, false},
    // char(1) would refuse every value longer than one letter.
    {"enum", "varchar", true, false},
    {"tinytext", "blob sub_type text", false, false},
    {"text", "blob sub_type text", false, false},
    {"mediumtext", "blob sub_type text", false, false},
    {"longtext", "blob sub_type text", false, false},
    {"tinyblob", "blob", false, false},
    {"blob", "blob", false, false},
    {"mediumblob", "blob", false, false},
    {"longblob", "blob", false, false},
}};

constexpr std::array<TColInfo, 10> kTableB{{
    {"smallint", "", false, false},
    {"int", "", false, false},
    {"float", "", false, false},
    {"double", "", false, false},
    {"decimal", "", true, true},
    {"char", "", true, false},
    {"varchar", "", true, false},
    {"timestamp", "", false, false},
    {"date", "", false, false},
    {"time", "", false, false},
}};

constexpr std::array<TColInfo, 5> kTableC{{
    {"n", "number", true, true},
    {"l", "logical", false, false},
    {"c", "char", true, false},
    {"d", "date", false, false},
    {"t", "timedate", false, false},
}};

constexpr std::array<TColInfo, 10> kTableD{{
    {"smallint", "", false, false},
    {"int", "", false, false},
    {"float", "", false, false},
    {"double", "", false, false},
    {"decimal", "", true, true},
    {"char", "", true, false},
    {"varchar", "", true, false},
    {"timestamp", "datetime", false, false},
    {"date", "", false, false},
    {"time", "", false, false},
}};

constexpr std::array<TColInfo, 19> kTableE{{
    {"tinyint", "", true, false},
    {"tinyint unsigned", "", true, false},
    {"smallint", "", true, false},
    {"smallint unsigned", "", true, false},
    {"mediumint", "", true, false},
    {"mediumint unsigned", "", true, false},
    {"int", "", true, false},
    {"int unsigned", "", true, false},
    {"bigint", "", true, false},
    {"bigint unsigned", "", true, false},
    {"float", "", true, false},
    {"double", "", true, false},
    {"decimal", "", true, true},
    {"char", "", true, false},
    {"varchar", "", true, false},
    {"datetime", "", false, false},
    {"date", "", false, false},
    {"time", "", false, false},
    {"enum", "", false, false},
}};

constexpr std::array<TColInfo, 5> kTableF{{
    {"char", "", true, false},
    {"date", "", false, false},
    {"decimal", "", true, true},
    {"number", "decimal", true, true},
    {"varchar2", "", true, false},
}};

} // namespace

const std::span<const TColInfo> TypeTableA{kTableA};
const std::span<const TColInfo> TypeTableB{kTableB};
const std::span<const TColInfo> TypeTableC{kTableC};
const std::span<const TColInfo> TypeTableD{kTableD};
const std::span<const TColInfo> TypeTableE{kTableE};
const std::span<const TColInfo> TypeTableF{kTableF};

std::span<const TColInfo> TypeTableFor(std::uint8_t Target, std::uint8_t Source) {
    if (Target == edFirebird && Source == edMySQL) return TypeTableA;
    if (Target == edFirebird && Source == edFirebird) return TypeTableB;
    if (Target == edFoxPro && Source == edFoxPro) return TypeTableC;
    if (Target == edMySQL && Source == edFirebird) return TypeTableD;
    if (Target == edMySQL && Source == edMySQL) return TypeTableE;
    if (Target == edOracle && Source == edOracle) return TypeTableF;
    return {};
}

std::string TypeText(std::uint8_t Target, std::uint8_t Source, bool OracleSelect, bool TimestampOverride,
                     const TCatalogueField& Field) {
    std::string text = LowerCase(Field("type_name"));
    for (const TColInfo& entry : TypeTableFor(Target, Source)) {
        if (entry.SourceType != text) continue;
        if (!entry.TargetType.empty()) text = entry.TargetType;
        if (entry.HasLength) {
            std::string_view lengthColumn = "column_size";
            if (Target == edFoxPro)
                lengthColumn = "length";
            else if (OracleSelect && entry.SourceType == "number")
                lengthColumn = "data_precision";
            text += '(';
            text += Field(lengthColumn);
            if (entry.HasScale) {
                text += ',';
                text += Field(Target == edFoxPro ? "scale" : "decimal_digits");
            }
            text += ')';
        }
        break;
    }
    if (TimestampOverride && Target == edMySQL && Source == edFirebird) text = "timestamp";
    return text;
}
