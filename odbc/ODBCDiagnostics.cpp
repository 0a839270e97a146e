#include "ODBCDiagnostics.h"

#include <cstring>

bool DiagnosticText(SQLSMALLINT HandleType, SQLHANDLE Handle, SQLSMALLINT Record, std::string& Text) {
    Text.clear();
    SQLCHAR state[6] = {};
    SQLCHAR message[512] = {};
    SQLINTEGER nativeError = 0;
    SQLSMALLINT length = 0;
    SQLRETURN ret = ODBC_CALL(SQLGetDiagRec, HandleType, Handle, Record, state, &nativeError, message,
                              sizeof message, &length);
    if (SQLSucceeded(ret) && std::strcmp(reinterpret_cast<char*>(state), "HY000") == 0)
        ret = ODBC_CALL(SQLGetDiagField, HandleType, Handle, Record, SQL_DIAG_MESSAGE_TEXT, message,
                        sizeof message, &length);
    if (!SQLSucceeded(ret)) return false;
    if (std::strcmp(reinterpret_cast<char*>(state), "IM001") == 0) return false;
    message[sizeof message - 1] = 0;
    Text = reinterpret_cast<char*>(message);
    Text += ". State:  ";
    Text += reinterpret_cast<char*>(state);
    return true;
}
