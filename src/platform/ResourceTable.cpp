#include "platform/ResourceTable.h"

namespace platform {

const ResourceEntry* FindResourceEntry(std::string_view type, int id) {
    for (int i = 0; i < kResourceEntryCount; ++i) {
        const ResourceEntry& entry = kResourceEntries[i];
        if (entry.id == id && type == entry.type) {
            return &entry;
        }
    }
    return nullptr;
}

}  // namespace platform
