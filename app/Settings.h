#pragma once
// The settings file ZURIREV.ini: section "ODBC Parameters", keys "DNS Name", "User Name"
// and "Password".
#include <string>

// Folder of the running program file, with a trailing separator.
std::string ProgramFolder();
// ZURIREV.ini beside the program file when there is one, else the name in /etc (the
// system configuration folder stands in for the Windows directory).
std::string SettingsFileName();
// Reads the three values; each is empty when the file, section or key is missing.
// FileName empty: the file that SettingsFileName finds.
void ReadODBCSettings(std::string& DataSource, std::string& UserName, std::string& Password,
                      const std::string& FileName = "");
