#pragma once
// Settings of the SQLite library that the SQLite ODBC driver links, made by this process
// before the driver first opens a database.
#include "ODBCApi.h"

#include <string>

// The driver that a connect reaches: the library file registered for the data source's
// driver (or for the DRIVER of a connection string, or of its DSN), else the driver's name
// as given; empty when nothing names one. DataSource goes first, as Connect tries it first.
std::string ConnectDriver(SQLHENV Env, const std::string& DataSource, const std::string& ConnectString);
// The driver (a name or a library file, as ConnectDriver gives it) is the SQLite one.
bool IsSqliteDriver(const std::string& Driver);

// Turns the memory statistics of the process's SQLite library off, once, while no database
// is open yet. True when the library took the setting, now or earlier; false, with nothing
// changed, when the library is not installed or refused (it was in use already).
bool QuietSqliteMemoryStatistics();
