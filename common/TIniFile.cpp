#include "TIniFile.h"

#include "Text.h"

#include <filesystem>
#include <fstream>

TIniFile::TIniFile(const std::string& fileName) {
    std::error_code ec;
    // A folder opens as a stream on Linux but reads nothing.
    if (std::filesystem::is_directory(fileName, ec)) return;
    std::ifstream in(fileName, std::ios::binary);
    if (!in) return;
    loaded_ = true;
    Section* current = nullptr;
    std::string line;
    bool first = true;
    while (std::getline(in, line)) {
        std::string_view l = line;
        // Editors may save a UTF-8 byte order mark; it is not part of the first line.
        if (first && l.starts_with("\xEF\xBB\xBF")) l.remove_prefix(3);
        first = false;
        l = TrimView(l);
        if (l.empty() || l.front() == ';') continue;
        if (l.front() == '[') {
            std::size_t close = l.find(']');
            std::string name(
                TrimView(l.substr(1, close == std::string_view::npos ? l.size() - 1 : close - 1)));
            // A repeated section adds to the first one of that name, as lookups only see the first.
            current = const_cast<Section*>(FindSection(name));
            if (!current) {
                sections_.push_back({name, {}});
                current = &sections_.back();
            }
            continue;
        }
        if (!current) continue;
        std::size_t eq = l.find('=');
        std::string_view key = TrimView(l.substr(0, eq));
        std::string_view value =
            eq == std::string_view::npos ? std::string_view() : TrimView(l.substr(eq + 1));
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
            value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        current->entries.push_back({std::string(key), std::string(value.substr(0, MaxValueLength))});
    }
}

const TIniFile::Section* TIniFile::FindSection(std::string_view name) const {
    for (const Section& s : sections_)
        if (SameText(s.name, name)) return &s;
    return nullptr;
}

std::string TIniFile::ReadString(std::string_view section, std::string_view key,
                                 std::string_view defaultValue) const {
    if (const Section* s = FindSection(section))
        for (const Entry& e : s->entries)
            if (SameText(e.key, key)) return e.value;
    // Like the profile interface, the default loses its trailing blanks.
    std::size_t end = defaultValue.find_last_not_of(' ');
    defaultValue = end == std::string_view::npos ? std::string_view() : defaultValue.substr(0, end + 1);
    return std::string(defaultValue.substr(0, MaxValueLength));
}

std::vector<std::string> TIniFile::ReadSectionKeys(std::string_view section) const {
    std::vector<std::string> keys;
    if (const Section* s = FindSection(section))
        for (const Entry& e : s->entries)
            keys.push_back(e.key);
    return keys;
}
