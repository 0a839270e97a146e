#include "TColInfoList.h"

#include "Text.h"

#include <sqlext.h>
#include <sqlucode.h>

TColumnType ColumnTypeOf(int SqlType) {
    switch (SqlType) {
    case SQL_CHAR:
    case SQL_VARCHAR:
    case SQL_WCHAR:
    case SQL_WVARCHAR:
    case SQL_VARBINARY:
        return ctString;
    case SQL_INTEGER:
    case SQL_SMALLINT:
    case SQL_TINYINT:
    case SQL_BIGINT:
        return ctInteger;
    case SQL_NUMERIC:
    case SQL_DECIMAL:
    case SQL_FLOAT:
    case SQL_REAL:
    case SQL_DOUBLE:
        return ctFloat;
    case SQL_BIT:
        return ctBoolean;
    case SQL_TYPE_DATE:
        return ctDate;
    case SQL_TIME:
    case SQL_TYPE_TIME:
        return ctTime;
    case SQL_DATETIME:
    case SQL_TIMESTAMP:
    case SQL_TYPE_TIMESTAMP:
        return ctDateTime;
    case SQL_LONGVARCHAR:
        return ctMemo;
    default:
        return ctUnknown;
    }
}

int TColInfoList::AddColumn(std::string_view Name, TColumnType ColType, std::int32_t Size) {
    auto item = std::make_unique<TColInfoItem>();
    item->Name = UpperCase(Name.substr(0, 128));
    item->ColType = ColType;
    item->Size = Size;
    item->Indicator = 0;
    items_.push_back(std::move(item));
    return Count() - 1;
}
