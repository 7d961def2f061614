#pragma once
// The embedded resource table the build generates (one per executable).

struct ResourceEntry {
    const char *type;           // named type such as "TEXTURES"; null for raw data
    int id;
    const unsigned char *begin; // bytes, valid for the whole run
    const unsigned char *end;
};

extern const ResourceEntry kResourceTable[];
extern const unsigned kResourceCount;
