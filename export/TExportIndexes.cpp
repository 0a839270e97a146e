// The key section: the primary key once, whole, then every other index in the target's
// own syntax.
#include "SqlText.h"
#include "TDialectWriter.h"
#include "TExport.h"
#include "TTableFacts.h"
#include "UiHooks.h"

void TExport::WriteIndexes(const TTableFacts& Facts) {
    SectionHeader("Indexes");
    if (!Facts.KeyColumns.Items.empty() && !Cancelled) {
        std::string text = "ALTER TABLE " + Ident(TableName) + " ADD PRIMARY KEY (";
        for (std::size_t i = 0; i < Facts.KeyColumns.Items.size(); ++i) {
            if (i > 0) text += ',';
            text += Ident(Facts.KeyColumns.Items[i]);
        }
        Line(text + ");");
    }
    for (const TIndexFacts& index : Facts.Indexes) {
        if (Cancelled) break;
        FWriter->WriteIndex(*this, index);
        ProcessMessages();
    }
}
