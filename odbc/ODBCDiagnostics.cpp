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

std::string DiagnosticRecords(SQLSMALLINT HandleType, SQLHANDLE Handle) {
    std::string result;
    if (Handle == SQL_NULL_HANDLE || !ODBCLoaded()) return result;
    std::string message(512, '\0');
    for (SQLSMALLINT record = 1;; ++record) {
        SQLCHAR state[6] = {};
        SQLINTEGER nativeError = 0;
        SQLSMALLINT length = 0;
        SQLRETURN ret = ODBC_CALL(SQLGetDiagRec, HandleType, Handle, record, state, &nativeError,
                                  reinterpret_cast<SQLCHAR*>(message.data()),
                                  static_cast<SQLSMALLINT>(message.size()), &length);
        if (ret == SQL_SUCCESS_WITH_INFO && length >= static_cast<SQLSMALLINT>(message.size())) {
            // The message was cut: read the record again with room for all of it.
            message.assign(static_cast<std::size_t>(length) + 1, '\0');
            ret = ODBC_CALL(SQLGetDiagRec, HandleType, Handle, record, state, &nativeError,
                            reinterpret_cast<SQLCHAR*>(message.data()),
                            static_cast<SQLSMALLINT>(message.size()), &length);
        }
        if (!SQLSucceeded(ret)) break;
        if (!result.empty()) result += '\n';
        result += reinterpret_cast<const char*>(state);
        result += ": ";
        result.append(message.data(), strnlen(message.data(), message.size()));
    }
    return result;
}
