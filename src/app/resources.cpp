#include "app/resources.h"

#include "app/resource_table.h"

#include <cstdio>
#include <cstring>

namespace {

// A name "#<n>" stands for the integer id n, as platform resource names do.
bool ParseIdName(const char *name, int *id) {
    if (name[0] != '#' || name[1] == '\0')
        return false;
    long value = 0;
    for (const char *p = name + 1; *p; ++p) {
        if (*p < '0' || *p > '9' || value > 0xFFFF)
            return false;
        value = value * 10 + (*p - '0');
    }
    *id = static_cast<int>(value);
    return true;
}

const unsigned char *Find(const char *type, int id, uint32_t *sizeOut) {
    for (unsigned i = 0; i < kResourceCount; ++i) {
        const ResourceEntry &e = kResourceTable[i];
        const bool sameType = type ? (e.type && std::strcmp(e.type, type) == 0) : !e.type;
        if (!sameType || e.id != id)
            continue;
        if (sizeOut)
            *sizeOut = static_cast<uint32_t>(e.end - e.begin);
        return e.begin;
    }
    return nullptr;
}

} // namespace

const unsigned char *LoadResourceBytes(int id, uint32_t *sizeOut) {
    return Find(nullptr, id & 0xFFFF, sizeOut);
}

const unsigned char *LoadTypedResourceBytes(int id, const char *typeName, uint32_t *sizeOut) {
    if (!typeName)
        return nullptr;
    char name[256];
    std::snprintf(name, sizeof name, "#%d", id);
    int parsed = 0;
    if (!ParseIdName(name, &parsed))
        return nullptr;
    return Find(typeName, parsed, sizeOut);
}
