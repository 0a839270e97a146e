#include "TExportSession.h"

#include "TExportJob.h"
#include "TODBC.h"

TExportSession::TExportSession() = default;

TExportSession::~TExportSession() {
    Close();
}

bool TExportSession::Open(const std::string& DataSource, const std::string& UserName,
                          const std::string& Password, TExportProgressEvent OnProgress) {
    Close();
    auto connection = std::make_unique<TODBC>();
    if (!connection->Connect(DataSource, UserName, Password, "", false, "", "")) return false;
    FConnection = std::move(connection);
    FDialect = DialectForKind(FConnection->DatabaseKind());
    FExporter = std::make_unique<TExport>(FConnection.get(), FDialect);
    FExporter->OnProgress = std::move(OnProgress);
    return true;
}

void TExportSession::Close() {
    FExporter.reset();
    FConnection.reset();
}
