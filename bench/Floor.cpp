#include "Floor.h"

#include <algorithm>
#include <cstring>
#include <dirent.h>
#include <strings.h>

namespace quillory::bench {

std::vector<std::string> floorList(const char* folder) {
    std::vector<std::string> names;
    DIR* dir = opendir(folder);
    if (!dir)
        return names;
    while (const dirent* entry = readdir(dir)) {
        if (!std::strchr(entry->d_name, '.'))
            names.emplace_back(entry->d_name);
    }
    closedir(dir);
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return strcasecmp(a.c_str(), b.c_str()) < 0;
    });
    return names;
}

} // namespace quillory::bench
