// The lookup reads kResourceTable as a constant array; here it is writable so
// each run can point its one entry at the input. Hence a copy of the record,
// checked against the declared one, instead of the declaration at file scope.
#include "fuzz_target.h"

namespace declared {
#include "app/resource_table.h"
}

struct ResourceEntry {
    const char *type;
    int id;
    const unsigned char *begin;
    const unsigned char *end;
};
static_assert(sizeof(ResourceEntry) == sizeof(declared::ResourceEntry), "record size");
static_assert(offsetof(ResourceEntry, id) == offsetof(declared::ResourceEntry, id), "id");
static_assert(offsetof(ResourceEntry, begin) == offsetof(declared::ResourceEntry, begin), "begin");
static_assert(offsetof(ResourceEntry, end) == offsetof(declared::ResourceEntry, end), "end");

ResourceEntry kResourceTable[1] = {{nullptr, -1, nullptr, nullptr}};
extern const unsigned kResourceCount = 1;

void SetFuzzResource(const char *typeName, int id, const uint8_t *bytes, size_t size) {
    kResourceTable[0] = ResourceEntry{typeName, id, bytes, bytes + size};
}
