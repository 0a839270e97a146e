#pragma once
// The Firebird form: type tables from MySQL and Firebird sources, and the objects Firebird
// needs around a table: generators, triggers, the grant and the generator values.
#include "TDialectWriter.h"

class TFirebirdWriter : public TDialectWriter {
  public:
    std::span<const TColInfo> TypeTable(TExportDialect Source) const override;
    void WriteTableExtras(TExport& Export, const TTableFacts& Facts) const override;
    void WriteAfterRows(TExport& Export) const override;

  private:
    void WriteFromMySQL(TExport& Export, const TTableFacts& Facts) const;
    void WriteFromFirebird(TExport& Export) const;
};
