#pragma once
// The Oracle form, also the form for every database kind without one of its own.
#include "TDialectWriter.h"

class TOracleWriter : public TDialectWriter {
  public:
    std::span<const TColInfo> TypeTable(TExportDialect Source) const override;
    std::string_view NulExpression() const override { return "CHR(0)"; }
    void IndexableType(std::string& Text, std::string& Note, std::size_t KeyWidth) const override;

  protected:
    bool IsReserved(std::string_view Name) const override;
};
