#pragma once
// The dump engine: writes one table of the connected database per DumpTable call as an
// SQL script (MySQL, Firebird, FoxPro, Oracle) or as delimited text.
#include "Format.h"
#include "SqliteColumns.h"
#include "TExportDialect.h"

#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class TODBC;
class TODBCStatement;
class TOutFile;
class TOutDevice;
class TDialectWriter;
enum class TExactForm : unsigned char; // ExactFloats.h
struct TNameList;
struct TTableFacts;
struct TColumnFacts;
struct TResultColumn;

// Raised by the rows writers when the select or a fetch fails.
class TReadError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Progress: table name and row value; a negative value marks the end of the table.
using TExportProgressEvent = std::function<void(const std::string& TableName, std::int32_t Row)>;

// Clock and locale of the banner, injectable so tests can pin them.
struct TBannerClock {
    std::function<std::tm()> Now;                      // local date and time
    std::function<std::string(int Month)> MonthAbbrev; // Month 1..12
    std::function<char()> DateSeparator;
    std::function<char()> TimeSeparator;

    // The system's clock and the C library's locale data.
    static TBannerClock System();
};

class TExport {
  public:
    TExport(TODBC* Connection, TExportDialect SourceDialect);
    ~TExport();
    TExport(const TExport&) = delete;
    TExport& operator=(const TExport&) = delete;

    // Result codes of DumpTable.
    static constexpr std::int32_t ResultOK = 0;
    static constexpr std::int32_t ResultNoColumns = 1;
    static constexpr std::int32_t ResultCannotOpen = 2;
    static constexpr std::int32_t ResultWriteError = 4;
    static constexpr std::int32_t ResultBadDialect = 5;

    TExportProgressEvent OnProgress;
    TExportDialect Dialect = edMySQL;
    TExportDialect SourceDialect = edMySQL;
    bool DropFirst = false;
    bool Cancelled = false;
    bool OracleSelect = false;
    std::string SelectSQL;
    std::string TableName;
    std::string FileName;
    std::string WhereClause;
    std::int32_t ResultCode = 0;
    // Why the last DumpTable returned non-zero, naming the table and the cause (the file
    // and the system's reason, or the row reached and the driver's diagnostic); empty
    // after a success.
    std::string ErrorText;
    TODBC* Connection;
    TODBCStatement* Statement;
    // Rows per key-ordered chunk when a table with a primary key is read from a driver that
    // holds whole results in memory (MariaDB, MySQL); 0 reads every table in one select.
    std::int32_t KeyChunkRows = 50000;
    // PostgreSQL form: each table's rows as one COPY block (loads with psql only), not INSERTs.
    bool CopyRows = false;
    // Rows per INSERT where the target reads several (the MySQL, SQLite and PostgreSQL
    // forms); with more than one, the MySQL form's rows also go inside one transaction.
    // Every other form writes one row per INSERT.
    std::int32_t RowsPerInsert = 1;
    // No INSERT of several rows grows past this many bytes (a single longer row stands
    // alone). Below 1 MiB, the smallest max_allowed_packet default any MariaDB or MySQL
    // server has had (16 MiB today, in the server and the mariadb client), with room for the
    // packet's header; mariadb-dump cuts its own multi-row INSERTs at about the same size
    // (net_buffer_length, 1,046,528 bytes). SQLite and PostgreSQL take up to 1 GB.
    std::size_t MaxInsertBytes = 1000000;
    TBannerClock Clock = TBannerClock::System();

    // Dumps one table; never throws. Returns 0, 1, 2, 4 or 5.
    std::int32_t DumpTable(TExportDialect Dialect, const std::string& TableName, const std::string& FileName,
                           const std::string& WhereClause, bool WithStructure, bool WithData, bool DropFirst,
                           bool AppendToFile, const std::string& SelectSQL);

    // Tests only: where the output goes instead of the named file (null = the file), and
    // the size of the output buffer.
    using TDeviceFactory =
        std::function<std::unique_ptr<TOutDevice>(const std::string& FileName, bool Append)>;
    void SetOutputDevice(TDeviceFactory Factory, std::size_t BufferSize);

    // Output primitives of the sections; a failed write raises TWriteError.
    void Line(std::string_view Text);
    void LineFmt(std::string_view Pattern, FormatArgs Args);
    void Text(std::string_view Text);
    // A section's comment header: "/*", " <Title> for table '<name>'" and, for SectionHeader, "*/".
    void SectionStart(std::string_view Title);
    void SectionHeader(std::string_view Title);
    // Identifiers: for the script (target quoting) and for statements run on the source.
    std::string Ident(std::string_view Name) const;
    std::string SourceIdent(std::string_view Name) const;
    // An SQLite source's columns declared decimal(p,s) or numeric(p,s), with how their values
    // fit that type: read once per table, for the structure and the rows alike.
    const std::vector<TSqliteDecimal>& SqliteDecimals();
    // An SQLite source's character columns holding texts longer than their declared length,
    // for a target that enforces it: read once per table, none for the SQLite form.
    const std::vector<TSqliteLongText>& SqliteLongTexts();

  private:
    bool OpenOut(bool AppendToFile, bool& Created, std::string& Error);
    // Sets ResultCode and, for the first failure of the call, ErrorText.
    void Fail(std::int32_t Result, std::string_view Cause);
    void WriteBanner();
    // Opens the output, runs the sections (told whether the file was created) and closes it.
    template <class Sections> std::int32_t WithOutFile(bool AppendToFile, Sections&& RunSections);
    std::int32_t DumpSQL(bool WithStructure, bool WithData, bool AppendToFile);
    std::int32_t DumpDelimited(bool WithStructure, bool WithData, bool AppendToFile);
    void ReportProgress(std::int32_t Row);
    bool RunRowSelect();
    // Fetches the next row (number Row); false at the end, TReadError on a failure.
    bool FetchRow(std::int32_t Row);
    void ResolveReadColumns();
    // Where the engine builds the row select itself: the columns whose driver text may lose
    // digits get an exact text of theirs selected after the table's columns.
    void PlanSelectItems();
    void PlanExactFloats();
    // The value of result column Index of the current row, with the exact text of a
    // floating-point value where the driver's text would not give the stored number back.
    TFieldData ReadField(int Index);
    // The same for an INSERT: a SQLite target keeps the class of each value of a column
    // declared without a type, so Column is then repointed to a description of that class.
    TFieldData ReadField(int Index, const TResultColumn*& Column);
    // Decides whether the rows are read in key-ordered chunks and prepares them.
    bool PlanKeyChunks();
    // Selects the next chunk (the first when no key was read yet); true when a row is current.
    bool RunKeyChunk();
    // An SQLite decimal column whose values got another type in the structure: that type.
    void StandInColumnTypes(std::vector<TResultColumn>& Columns);
    void WriteDataSection();
    // Rows longer than one statement of the target: the key and the result's column names
    // as the catalogue has them, read at the first such row.
    struct TRowNames {
        bool Read = false;
        std::vector<std::string> Key;
        std::vector<std::string> Columns;
    };
    void ReadRowNames(TRowNames& Names);
    // Rewrites the row that begins at RowStart of Out when a value does not fit one
    // statement: the INSERT without it, then UPDATEs that append it in pieces. False when
    // the row fits as it is. Raises an error naming the row for a value it cannot split.
    bool WriteRowInPieces(std::string& Out, std::size_t RowStart, const std::string& Prefix,
                          const std::vector<TResultColumn>& Columns, TRowNames& Names, std::int32_t Row);
    void WriteDelimitedRows(bool WithHeader);
    void WriteDelimitedHeader(const std::string& Delimiter);
    void WriteStructure();
    // False when the column catalogue gave no row.
    bool ReadTableFacts(TTableFacts& Facts);
    // A source's default that is an expression, not a literal value.
    bool IsDefaultExpression(std::string_view Default) const;
    // One column definition, without line end; AutoIncDef gets it with the target's
    // auto-increment marker when the column has one.
    void WriteColumnDef(const TColumnFacts& Column, const TTableFacts& Facts, std::string& AutoIncDef);
    // Column types come from the driver's facts: no type table speaks for this source.
    bool TypesFromFacts() const;
    // Whether the column gets the target's auto-increment marker.
    bool MarksAutoIncrement(const TColumnFacts& Column, const TTableFacts& Facts) const;
    void WriteIndexes(const TTableFacts& Facts);

    std::vector<TSqliteDecimal> FSqliteDecimals;
    bool FSqliteDecimalsRead = false;
    std::vector<TSqliteLongText> FSqliteLongTexts;
    bool FSqliteLongTextsRead = false;
    std::unique_ptr<TOutFile> FOut;
    std::unique_ptr<TDialectWriter> FWriter;       // of Dialect
    std::unique_ptr<TDialectWriter> FSourceWriter; // of SourceDialect
    TDeviceFactory FDeviceFactory;
    std::size_t FBufferSize;
    std::vector<int> FReadIndex;         // per result column: the column its value is read from
    std::vector<std::uint8_t> FReadType; // per result column: its type code
    std::vector<bool> FReadBinary;       // per result column: read as raw bytes
    // Exact texts of floating-point columns, selected after the table's columns.
    struct TExactFloat {
        int Column = 0; // the table's column
        TExactForm Form{};
        bool Classed = false; // a SQLite column without a declared type: the value's class too
    };
    std::vector<TExactFloat> FExactPlan;  // one per extra column, in select order
    std::string FSelectItems = "*";     // the row select's columns, named where * leaves some out
    std::string FExactList;               // the extra select items, each after ", "
    int FExactBase = 0;                   // the table's column count: the first extra column
    // TExactRead::Column when no extra column stands in: the driver's text as it is, or in
    // lower case (a PostgreSQL uuid, which the driver gives in upper case).
    static constexpr int kDriverText = -1;
    static constexpr int kLowerCaseText = -2;
    struct TExactRead {
        int Column = kDriverText;             // the extra column of its exact form, or one of the above
        TExactForm Form{};                    // what that column gives
        bool Classed = false;                 // the extra column is a storage class item
        std::string Text;                     // the text (or a blob's bytes) written instead
    };
    std::vector<TExactRead> FExactRead;   // per result column
    // Key-ordered chunks of the current row select.
    bool FChunked = false;
    std::vector<std::string> FChunkKey;  // key columns, quoted for the source
    std::vector<std::string> FChunkNames; // the same as the catalogue names them
    std::vector<int> FChunkIndex;        // their result columns
    std::vector<std::string> FChunkLast; // literals of the last key read; empty before the first chunk
    std::string FChunkFilter;            // the where clause without its ordering
    bool FChunkBackslashes = true;       // the source reads backslash escapes in literals
    std::int64_t FChunkRowsRead = 0;     // rows of the current chunk handed out
};
