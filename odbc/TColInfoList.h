#pragma once
// Result-column descriptions of a statement.
#include <sql.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// Growable byte array for column and scratch buffers.
using TodBytes = std::vector<char>;

enum TColumnType : std::uint8_t {
    ctUnknown = 0,
    ctString = 1,
    ctInteger = 2,
    ctFloat = 3,
    ctBoolean = 4,
    ctDate = 5,
    ctTime = 6,
    ctDateTime = 7,
    ctMemo = 8,
};

// Column type for an ODBC SQL data type code; unlisted types give ctUnknown.
TColumnType ColumnTypeOf(int SqlType);

struct TColInfoItem {
    std::string Name; // upper case, at most 128 characters
    TColumnType ColType = ctUnknown;
    std::int32_t Size = 0; // display size; 0 for unmapped types
    SQLLEN Indicator = 0;  // length/indicator cell filled by SQLBindCol in bound mode
};

// Owns its items; clearing frees them.
class TColInfoList {
  public:
    // Stores the upper-cased name cut to 128 characters; returns the new item's position.
    int AddColumn(std::string_view Name, TColumnType ColType, std::int32_t Size);
    void Clear() { items_.clear(); }
    int Count() const { return static_cast<int>(items_.size()); }
    TColInfoItem& operator[](int Index) { return *items_[Index]; }
    const TColInfoItem& operator[](int Index) const { return *items_[Index]; }

  private:
    // Items stay at fixed addresses: their Indicator cells are bound to the driver.
    std::vector<std::unique_ptr<TColInfoItem>> items_;
};
