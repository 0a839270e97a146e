#pragma once
// The FoxPro form: no NOT NULL, and lengths from the FoxPro catalogue's own columns.
#include "TDialectWriter.h"

class TFoxProWriter : public TDialectWriter {
  public:
    std::span<const TColInfo> TypeTable(TExportDialect Source) const override;
    bool WritesNotNull() const override { return false; }
    std::string_view NulExpression() const override { return "CHR(0)"; }

  protected:
    std::string_view LengthColumn(const TColInfo&, bool) const override { return "length"; }
    std::string_view ScaleColumn() const override { return "scale"; }
};
