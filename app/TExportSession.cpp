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
    FConnectError.clear();
    auto connection = std::make_unique<TODBC>();
    if (!connection->Connect(DataSource, UserName, Password, "", false, "", "")) {
        FConnectError = connection->LastError();
        return false;
    }
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

std::string TExportSession::ConnectFailureText(const std::string& DataSource) const {
    std::string text = "Cannot connect to Datasource: " + DataSource;
    if (!FConnectError.empty()) text += "\n" + FConnectError;
    return text;
}
