#pragma once
// Start-up shared by both programs: connect to the data source, choose the dialect from
// the kind of database reached, create the dump engine and bind its progress event.
// Releases the engine before the connection, whose statement list holds the engine's.
#include "TExport.h"

#include <cstdint>
#include <memory>
#include <string>

class TODBC;

class TExportSession {
  public:
    TExportSession();
    ~TExportSession();
    TExportSession(const TExportSession&) = delete;
    TExportSession& operator=(const TExportSession&) = delete;

    // False when the connect failed; nothing is kept then, and ConnectError holds the
    // driver manager's diagnostics (one "SQLSTATE: text" per line).
    bool Open(const std::string& DataSource, const std::string& UserName, const std::string& Password,
              TExportProgressEvent OnProgress);
    void Close();

    TODBC* Connection() const { return FConnection.get(); }
    TExport* Exporter() const { return FExporter.get(); }
    // The dialect of the database connected to; the engine's source dialect and the
    // target of every table unless the caller chooses another.
    TExportDialect Dialect() const { return FDialect; }
    const std::string& ConnectError() const { return FConnectError; }
    // The start-up failure message: "Cannot connect to Datasource: " and the name, then
    // the diagnostics on lines of their own.
    std::string ConnectFailureText(const std::string& DataSource) const;

  private:
    std::unique_ptr<TODBC> FConnection;
    std::unique_ptr<TExport> FExporter;
    TExportDialect FDialect = edOracle;
    std::string FConnectError;
};
