#include "TExport.h"

#include "SqlText.h"
#include "TDialectWriter.h"
#include "TODBC.h"
#include "TODBCStatement.h"
#include "TOutFile.h"

#include <filesystem>
#include <langinfo.h>

namespace fs = std::filesystem;

namespace {

// The first separator character of a strftime-style pattern (D_FMT, T_FMT), or Fallback.
char PatternSeparator(const char* Pattern, char Fallback) {
    if (!Pattern) return Fallback;
    for (const char* p = Pattern; *p; ++p) {
        if (*p == '%') {
            ++p;
            if (*p == 'E' || *p == 'O') ++p; // alternative-representation modifiers
            if (!*p) break;
            // Composite conversions carry their own separators.
            if (*p == 'D') return '/';
            if (*p == 'F') return '-';
            if (*p == 'T' || *p == 'R' || *p == 'r') return ':';
            continue;
        }
        if (*p != ' ') return *p;
    }
    return Fallback;
}

void AppendTwoDigits(std::string& Out, int Value) {
    Out += char('0' + (Value / 10) % 10);
    Out += char('0' + Value % 10);
}

} // namespace

TBannerClock TBannerClock::System() {
    TBannerClock c;
    c.Now = [] {
        std::time_t t = std::time(nullptr);
        std::tm tm{};
        localtime_r(&t, &tm);
        return tm;
    };
    c.MonthAbbrev = [](int Month) -> std::string {
        static const nl_item items[12] = {ABMON_1, ABMON_2, ABMON_3, ABMON_4,  ABMON_5,  ABMON_6,
                                          ABMON_7, ABMON_8, ABMON_9, ABMON_10, ABMON_11, ABMON_12};
        if (Month < 1 || Month > 12) return {};
        const char* s = nl_langinfo(items[Month - 1]);
        return s ? s : "";
    };
    c.DateSeparator = [] { return PatternSeparator(nl_langinfo(D_FMT), '/'); };
    c.TimeSeparator = [] { return PatternSeparator(nl_langinfo(T_FMT), ':'); };
    return c;
}

TExport::TExport(TODBC* Connection, TExportDialect SourceDialect)
    : SourceDialect(SourceDialect), Connection(Connection),
      Statement(new TODBCStatement(Connection, false, false)), FBufferSize(TOutFile::DefaultCapacity) {}

TExport::~TExport() {
    delete Statement;
}

void TExport::SetOutputDevice(TDeviceFactory Factory, std::size_t BufferSize) {
    FDeviceFactory = std::move(Factory);
    FBufferSize = BufferSize;
    FOut.reset(); // the next call builds its writer with the new buffer size
}

std::int32_t TExport::DumpTable(TExportDialect Dialect, const std::string& TableName,
                                const std::string& FileName, const std::string& WhereClause,
                                bool WithStructure, bool WithData, bool DropFirst, bool AppendToFile,
                                const std::string& SelectSQL) {
    try {
        this->Dialect = Dialect;
        ResultCode = ResultOK;
        ErrorText.clear();
        Cancelled = false;
        this->TableName = TableName;
        FSqliteDecimalsRead = false;
        FSqliteLongTextsRead = false;
        this->SelectSQL = SelectSQL;
        this->FileName = FileName;
        std::error_code ec;
        const fs::path folder = fs::path(FileName).parent_path();
        if (!folder.empty()) fs::create_directories(folder, ec); // failure shows when the file is opened
        this->DropFirst = DropFirst;
        this->WhereClause = WhereClause;
        const TDialectInfo* info = FindDialect(Dialect);
        if (!info) {
            ErrorText = "Table '" + TableName + "': " + std::to_string(int(Dialect)) + " is no dialect code";
            return ResultBadDialect;
        }
        FWriter = info->MakeWriter();
        FWriter->RowsPerInsert = RowsPerInsert;
        // PostgreSQL folds unquoted names to lower case, so its own form names its tables.
        const bool postgres = Connection && Connection->DatabaseKind() == dkPostgreSQL;
        FSourceWriter = MakeDialectWriter(postgres ? edPostgreSQL : SourceDialect);
        if (info->IsSQL()) return DumpSQL(WithStructure, WithData, AppendToFile);
        return DumpDelimited(WithStructure, WithData, AppendToFile);
    } catch (const std::exception& e) {
        // Only an allocation failure outside the sections can get here.
        if (FOut) FOut->Close();
        Fail(ResultWriteError, e.what());
        return ResultCode;
    }
}

void TExport::Fail(std::int32_t Result, std::string_view Cause) {
    // The first failure is the cause; a missing structure does not hide a later failure.
    const bool keep = !ErrorText.empty() && ResultCode != ResultNoColumns;
    ResultCode = Result;
    if (keep) return;
    ErrorText = "Table '" + TableName + "': ";
    ErrorText += Cause;
}

bool TExport::OpenOut(bool AppendToFile, bool& Created, std::string& Error) {
    std::error_code ec;
    const bool append = AppendToFile && fs::exists(FileName, ec);
    Created = !append;
    if (!FOut) FOut = std::make_unique<TOutFile>(FBufferSize);
    std::unique_ptr<TOutDevice> device;
    if (FDeviceFactory) {
        device = FDeviceFactory(FileName, append);
        if (!device) Error = "cannot open " + FileName;
    } else {
        auto file = std::make_unique<TFileDevice>();
        if (file->Open(FileName, append, Error)) device = std::move(file);
    }
    if (!device) return false;
    FOut->Attach(std::move(device));
    return true;
}

void TExport::WriteBanner() {
    Line("/*");
    Line(FindDialect(Dialect)->Banner);
    Line("");
    const std::tm date = Clock.Now();
    std::string text = " Date: " + Clock.MonthAbbrev(date.tm_mon + 1) + ' ';
    AppendTwoDigits(text, date.tm_mday);
    text += Clock.DateSeparator();
    text += std::to_string(date.tm_year + 1900);
    Line(text);
    const std::tm time = Clock.Now();
    const char sep = Clock.TimeSeparator();
    text = " Time: ";
    AppendTwoDigits(text, time.tm_hour);
    text += sep;
    AppendTwoDigits(text, time.tm_min);
    text += sep;
    AppendTwoDigits(text, time.tm_sec);
    Line(text);
    Line("--------------------------------------------------------");
    Line("*/");
}

template <class Sections> std::int32_t TExport::WithOutFile(bool AppendToFile, Sections&& RunSections) {
    bool created = false;
    std::string openError;
    if (!OpenOut(AppendToFile, created, openError)) {
        Fail(ResultCannotOpen, openError);
        return ResultCode;
    }
    try {
        RunSections(created);
    } catch (const TWriteError& e) {
        Fail(ResultWriteError, FileName + ": " + e.what());
    } catch (const std::exception& e) {
        Fail(ResultWriteError, e.what());
    } catch (...) {
        Fail(ResultWriteError, "unknown failure");
    }
    // Closed on every path; a write error that shows only now still fails the call.
    if (!FOut->Close()) Fail(ResultWriteError, FileName + ": " + FOut->Error());
    return ResultCode;
}

std::int32_t TExport::DumpSQL(bool WithStructure, bool WithData, bool AppendToFile) {
    return WithOutFile(AppendToFile, [&](bool Created) {
        if (Created) {
            WriteBanner();
            if (!FWriter->ScriptPreamble().empty()) Line(FWriter->ScriptPreamble());
        }
        if (WithStructure) WriteStructure();
        if (WithData) WriteDataSection();
        if (WithStructure) FWriter->WriteAfterRows(*this);
    });
}

std::int32_t TExport::DumpDelimited(bool WithStructure, bool WithData, bool AppendToFile) {
    return WithOutFile(AppendToFile, [&](bool) {
        if (WithData) WriteDelimitedRows(WithStructure);
    });
}

void TExport::ReportProgress(std::int32_t Row) {
    if (OnProgress) OnProgress(TableName, Row);
}

std::string TExport::Ident(std::string_view Name) const {
    return FWriter->Ident(Name);
}

std::string TExport::SourceIdent(std::string_view Name) const {
    return FSourceWriter->Ident(Name);
}

const std::vector<TSqliteDecimal>& TExport::SqliteDecimals() {
    if (!FSqliteDecimalsRead) {
        FSqliteDecimalsRead = true;
        FSqliteDecimals.clear();
        if (Connection && SameText(Connection->DbmsName(), "SQLite"))
            FSqliteDecimals = SqliteDecimalColumns(*Statement, TableName, [this](std::string_view Name) {
                return SourceIdent(Name);
            });
    }
    return FSqliteDecimals;
}

const std::vector<TSqliteLongText>& TExport::SqliteLongTexts() {
    if (!FSqliteLongTextsRead) {
        FSqliteLongTextsRead = true;
        FSqliteLongTexts.clear();
        if (Connection && Dialect != edSQLite && SameText(Connection->DbmsName(), "SQLite"))
            FSqliteLongTexts = SqliteLongTextColumns(*Statement, TableName, [this](std::string_view Name) {
                return SourceIdent(Name);
            });
    }
    return FSqliteLongTexts;
}

void TExport::SectionStart(std::string_view Title) {
    Line("/*");
    std::string text = " ";
    text += Title;
    text += " for table '";
    text += CommentText(TableName);
    text += '\'';
    Line(text);
}

void TExport::SectionHeader(std::string_view Title) {
    SectionStart(Title);
    Line("*/");
}

void TExport::Line(std::string_view Text) {
    FOut->WriteLine(Text);
}

void TExport::LineFmt(std::string_view Pattern, FormatArgs Args) {
    // Formatted apart, so a pattern that fails leaves no half line behind.
    FOut->WriteLine(Format(Pattern, Args));
}

void TExport::Text(std::string_view Text) {
    FOut->Write(Text);
}
