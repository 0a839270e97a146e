#pragma once
// A list of names that keeps insertion order and duplicates and finds names without
// regard to ASCII letter case.
#include "Text.h"

#include <string>
#include <vector>

struct TNameList {
    std::vector<std::string> Items;

    void Add(std::string Name) { Items.push_back(std::move(Name)); }
    bool Contains(std::string_view Name) const {
        for (const std::string& item : Items)
            if (SameText(item, Name)) return true;
        return false;
    }
};
