#pragma once
// Diagnostic records as the error boxes show them.
#include "ODBCApi.h"

#include <string>

// Text of one diagnostic record of a handle: message + ". State:  " + SQLSTATE. "HY000"
// records are read again through SQLGetDiagField. False when the record does not exist,
// and for "IM001" (function not supported), which ends the records that are shown.
bool DiagnosticText(SQLSMALLINT HandleType, SQLHANDLE Handle, SQLSMALLINT Record, std::string& Text);

// Every diagnostic record of a handle as "SQLSTATE: message", joined by "\n"; empty when
// there is none. Read right after the failed call: the next call on the handle clears them.
std::string DiagnosticRecords(SQLSMALLINT HandleType, SQLHANDLE Handle);
