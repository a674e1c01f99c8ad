// The resource table compiled into the program from resources/: byte blobs
// looked up by type ("txt", "xml", ...) and number.
#pragma once

#include <cstddef>
#include <string_view>

namespace platform {

struct ResourceEntry {
    const char* type;
    int id;
    const unsigned char* data;
    std::size_t size;
};

// Defined by the generated ResourceData.cpp.
extern const ResourceEntry kResourceEntries[];
extern const int kResourceEntryCount;

// The entry of that type and number, or nullptr when the build has none.
const ResourceEntry* FindResourceEntry(std::string_view type, int id);

}  // namespace platform
