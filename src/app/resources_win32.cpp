// Resource lookup over the Win32 resources of the program's own module.
#include "app/resources.h"

#include <windows.h>

#include <cstdio>

namespace {

// Find, load, size, lock; null at the first step that fails, *sizeOut then
// untouched. Resource memory belongs to the module image and is never freed.
const unsigned char *LoadFound(HRSRC found, uint32_t *sizeOut) {
    if (!found)
        return nullptr;
    HGLOBAL loaded = LoadResource(nullptr, found);
    if (!loaded)
        return nullptr;
    if (sizeOut)
        *sizeOut = static_cast<uint32_t>(SizeofResource(nullptr, found));
    return static_cast<const unsigned char *>(LockResource(loaded));
}

} // namespace

const unsigned char *LoadResourceBytes(int id, uint32_t *sizeOut) {
    return LoadFound(FindResourceA(nullptr, MAKEINTRESOURCEA(id & 0xFFFF), MAKEINTRESOURCEA(10)),
                     sizeOut);
}

const unsigned char *LoadTypedResourceBytes(int id, const char *typeName, uint32_t *sizeOut) {
    if (!typeName)
        return nullptr;
    char name[256];
    std::snprintf(name, sizeof name, "#%d", id);
    return LoadFound(FindResourceA(nullptr, name, typeName), sizeOut);
}
