#include "system/Resources.h"

#include "platform/ResourceTable.h"

bool LoadResourceText(int id, const std::string& type, std::string& text) {
    const platform::ResourceEntry* entry = platform::FindResourceEntry(type, id);
    if (entry == nullptr || entry->size == 0) {
        return false;
    }
    text.assign(reinterpret_cast<const char*>(entry->data), entry->size);
    return true;
}
