#pragma once
// Everything the driver-facts writers need to know about one source table, read through
// the catalogue calls every driver has: its columns, the primary key in key order, which
// columns number themselves, and its other indexes.
#include "TypeFromFacts.h"

#include <string>
#include <utility>
#include <vector>

class TExport;

struct TSourceIndex {
    std::string Name;
    bool Unique = false;
    // A kind plain indexes cannot stand for (full-text, spatial): left out, with a comment.
    std::string LeftOutKind;
    std::vector<std::pair<std::string, bool>> Columns; // name, descending
};

class TSourceTable {
  public:
    std::vector<TDriverColumn> Columns;
    std::vector<std::string> PrimaryKey;
    std::vector<TSourceIndex> Indexes; // every index but the primary key's own
    // The source's DBMS name as its driver reports it, in lower case.
    std::string Dbms;

    // Reads the table of Export (TableName, on its Statement and Connection). False when
    // the column catalogue gave no row.
    bool Read(TExport& Export);
    bool InPrimaryKey(std::string_view Column) const;
    // The single primary-key column when it is also the table's auto-increment column.
    const TDriverColumn* AutoIncrementKey() const;

  private:
    void ReadAutoIncrement(TExport& Export);
    void ReadPrimaryKey(TExport& Export);
    void ReadIndexes(TExport& Export);
    // The SQLite driver reports every index column as ascending.
    void ReadSqliteIndexOrder(TExport& Export);
};
