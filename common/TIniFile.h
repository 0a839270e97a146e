#pragma once
// Reads INI files the way the Windows profile-string interface does: section and key
// names match without regard to case, blanks around values are dropped, a value in a
// pair of matching quotes loses them, and at most 2047 characters of a value are taken.
#include <string>
#include <string_view>
#include <vector>

class TIniFile {
  public:
    static constexpr std::size_t MaxValueLength = 2047;

    // Reads the whole file; a missing or unreadable file reads as empty.
    explicit TIniFile(const std::string& fileName);

    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view defaultValue) const;
    // The keys of a section in file order.
    std::vector<std::string> ReadSectionKeys(std::string_view section) const;
    bool Loaded() const { return loaded_; }

  private:
    struct Entry {
        std::string key;
        std::string value;
    };
    struct Section {
        std::string name;
        std::vector<Entry> entries;
    };
    const Section* FindSection(std::string_view name) const;

    std::vector<Section> sections_;
    bool loaded_ = false;
};
