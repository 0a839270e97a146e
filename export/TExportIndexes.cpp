// One statement per index: the primary key as ALTER TABLE, every other index as CREATE INDEX.
#include "SqlText.h"
#include "TExport.h"
#include "TNameList.h"
#include "TODBCStatement.h"
#include "TOutFile.h"
#include "UiHooks.h"

void TExport::WriteIndexes(const TNameList& KeyColumns) {
    SectionHeader("Indexes");
    bool haveRow = Statement->Statistics(TableName, "", "");
    if (!haveRow) return;
    const std::string_view positionColumn = SourceDialect == edFoxPro ? "seq_in_index" : "ordinal_position";
    bool open = false;
    while (haveRow && !Cancelled) {
        const std::string column = Statement->FieldByName("column_name");
        if (!column.empty()) {
            const std::int32_t position = Statement->FieldAsInteger(positionColumn);
            if (open && position == 1) Line(");");
            open = true;
            std::string text;
            if (position == 1) {
                if (KeyColumns.Contains(column)) {
                    text = "ALTER TABLE " + Ident(TableName) + " ADD PRIMARY KEY (" + Ident(column);
                } else {
                    text = "CREATE ";
                    if (SameText(Statement->FieldByName("asc_or_desc"), "D")) text += "DESCENDING ";
                    if (!Statement->FieldAsBoolean("non_unique")) text += "UNIQUE ";
                    text += "INDEX " + Ident(Statement->FieldByName("index_name")) + " ON " +
                            Ident(TableName) + " (" + Ident(column);
                }
            } else {
                text = "," + Ident(column);
            }
            Text(text);
        }
        haveRow = Statement->Fetch(fdNext, 1);
        ProcessMessages();
    }
    if (open) Line(");");
}
