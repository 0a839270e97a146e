#pragma once
// The output file name of an export: the free-name rule that never overwrites a file,
// the forced delete of the ".zip" of the same name, and extension handling.
#include <cstddef>
#include <string>
#include <string_view>

bool FileExists(const std::string& Name);
// The letters that follow base_ in the free-name candidate number Index (0 gives A,
// 25 Z, 26 AA, 701 ZZ, 702 AAA).
std::string FreeNameSuffix(std::size_t Index);
// The first of Name, base_A.ext ... base_ZZZ.ext for which no file exists; empty when
// every candidate is taken, so that no file is ever overwritten.
std::string MakeFreeFileName(const std::string& Name);
// Removes a file even when it is read-only; reports nothing.
void ForceDeleteFile(const std::string& Name);
// Name with its extension (from the last dot of the file part on) replaced by NewExt.
std::string ChangeFileExt(const std::string& Name, std::string_view NewExt);
// Where a script is written until it is whole: Name with ".partial" appended.
std::string PartialFileName(const std::string& Name);
// Gives the finished file From its final name To: its data forced to the disk first, and
// never replacing a file that already holds the name To. False with Error (naming the
// file and the system's reason) when that fails; From is then left as it is.
bool PublishFile(const std::string& From, const std::string& To, std::string& Error);
