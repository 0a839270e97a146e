// One statement per index: an index that begins with a primary-key column as ALTER TABLE,
// every other index as CREATE INDEX.
#include "SqlText.h"
#include "TExport.h"
#include "TOutFile.h"
#include "TTableFacts.h"
#include "UiHooks.h"

void TExport::WriteIndexes(const TTableFacts& Facts) {
    SectionHeader("Indexes");
    for (const TIndexFacts& index : Facts.Indexes) {
        if (Cancelled) break;
        std::string text;
        for (std::size_t i = 0; i < index.Columns.size(); ++i) {
            const TIndexColumn& column = index.Columns[i];
            if (i > 0 || !index.HasHead) {
                text += ',' + Ident(column.Name);
            } else if (Facts.KeyColumns.Contains(column.Name)) {
                text = "ALTER TABLE " + Ident(TableName) + " ADD PRIMARY KEY (" + Ident(column.Name);
            } else {
                text = "CREATE ";
                if (column.Descending) text += "DESCENDING ";
                if (index.Unique) text += "UNIQUE ";
                text += "INDEX " + Ident(index.Name) + " ON " + Ident(TableName) + " (" + Ident(column.Name);
            }
        }
        Line(text + ");");
        ProcessMessages();
    }
}
