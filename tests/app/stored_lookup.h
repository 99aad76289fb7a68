// Stored settings as a map, read through the settings file's lookup: what
// the poster and field readers see of pz.ini, without a file.
#pragma once
#include <map>
#include <string>
#include "app/poster/poster_settings.h"

namespace apptest {

using Stored = std::map<std::string, std::string>;

inline app::StoredLookup LookupIn(const Stored& stored) {
    return [&stored](const std::string& key, std::string* value) {
        auto at = stored.find(key);
        if (at == stored.end()) return false;
        *value = at->second;
        return true;
    };
}

}  // namespace apptest
