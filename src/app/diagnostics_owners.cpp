// Where a tracked block's caller lies, and what it is called.
#include "app/diagnostics_owners.h"

#include <cxxabi.h>
#include <dlfcn.h>
#include <link.h>

#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr int kMaxRanges = 8;

struct OurCode {
    uintptr_t begin[kMaxRanges];
    uintptr_t end[kMaxRanges];
    int count;
};

OurCode g_ours; // constant-initialised; filled before main

// The first object dl_iterate_phdr reports is the executable itself.
int NoteExecutable(dl_phdr_info *info, size_t, void *) {
    for (int i = 0; i < info->dlpi_phnum && g_ours.count < kMaxRanges; ++i) {
        const ElfW(Phdr) &segment = info->dlpi_phdr[i];
        if (segment.p_type == PT_LOAD && (segment.p_flags & PF_X) != 0) {
            g_ours.begin[g_ours.count] = info->dlpi_addr + segment.p_vaddr;
            g_ours.end[g_ours.count] = info->dlpi_addr + segment.p_vaddr + segment.p_memsz;
            ++g_ours.count;
        }
    }
    return 1;
}

// The dynamic symbol's name, demangled, with the offset into it.
std::string SymbolOf(const Dl_info &info, uintptr_t address) {
    if (info.dli_sname == nullptr)
        return "??";
    int status = -1;
    char *plain = abi::__cxa_demangle(info.dli_sname, nullptr, nullptr, &status);
    std::string name = status == 0 && plain != nullptr ? plain : info.dli_sname;
    std::free(plain);
    char offset[32];
    std::snprintf(offset, sizeof offset, "+0x%" PRIxPTR,
                  address - reinterpret_cast<uintptr_t>(info.dli_saddr));
    return name + offset;
}

// Runs addr2line over the module for the offsets and fills the function and
// "file:line" of each (two lines per address); false when it cannot run.
bool RunAddr2line(const char *module, const uintptr_t *offsets, size_t count,
                  std::string *functions, std::string *lines) {
    std::string command = "addr2line -C -f -e '";
    command += module;
    command += "'";
    for (size_t i = 0; i < count; ++i) {
        char text[32];
        std::snprintf(text, sizeof text, " 0x%" PRIxPTR, offsets[i]);
        command += text;
    }
    command += " 2>/dev/null";
    FILE *pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return false;
    // Whole lines however long: a template's name can run to kilobytes.
    char *text = nullptr;
    size_t textBytes = 0;
    size_t got = 0;
    while (got < 2 * count && getline(&text, &textBytes, pipe) > 0) {
        text[std::strcspn(text, "\n")] = '\0';
        std::string &slot = got % 2 == 0 ? functions[got / 2] : lines[got / 2];
        slot = text;
        ++got;
    }
    std::free(text);
    return pclose(pipe) == 0 && got == 2 * count;
}

} // namespace

void FindOurCode() {
    g_ours.count = 0;
    dl_iterate_phdr(NoteExecutable, nullptr);
}

bool IsOurCode(const void *address) {
    const uintptr_t at = reinterpret_cast<uintptr_t>(address);
    for (int i = 0; i < g_ours.count; ++i) {
        if (at >= g_ours.begin[i] && at < g_ours.end[i])
            return true;
    }
    return false;
}

const char *CodeModuleOffset(const void *address, char *out, size_t outBytes) {
    Dl_info info{};
    if (dladdr(address, &info) == 0 || info.dli_fname == nullptr) {
        std::snprintf(out, outBytes, "??");
        return out;
    }
    const char *slash = std::strrchr(info.dli_fname, '/');
    std::snprintf(out, outBytes, "%s+0x%" PRIxPTR, slash != nullptr ? slash + 1 : info.dli_fname,
                  reinterpret_cast<uintptr_t>(address) -
                      reinterpret_cast<uintptr_t>(info.dli_fbase));
    return out;
}

void DescribeCode(const void *const *addresses, size_t count, char *texts, size_t textBytes) {
    if (count == 0 || textBytes == 0)
        return;
    Dl_info *infos = static_cast<Dl_info *>(std::calloc(count, sizeof(Dl_info)));
    bool *done = static_cast<bool *>(std::calloc(count, sizeof(bool)));
    uintptr_t *offsets = static_cast<uintptr_t *>(std::calloc(count, sizeof(uintptr_t)));
    size_t *members = static_cast<size_t *>(std::calloc(count, sizeof(size_t)));
    std::string *functions = new std::string[count];
    std::string *lines = new std::string[count];
    if (infos == nullptr || done == nullptr || offsets == nullptr || members == nullptr)
        count = 0;
    for (size_t i = 0; i < count; ++i) {
        if (dladdr(addresses[i], &infos[i]) == 0 || infos[i].dli_fname == nullptr) {
            char *text = texts + i * textBytes;
            std::snprintf(text, textBytes, "?? at ??:? in ?? (%p)", addresses[i]);
            done[i] = true;
        }
    }
    // One addr2line per module. A return address follows its call: one byte
    // back lies in the calling line.
    for (size_t first = 0; first < count; ++first) {
        if (done[first])
            continue;
        size_t n = 0;
        for (size_t i = first; i < count; ++i) {
            if (!done[i] && infos[i].dli_fbase == infos[first].dli_fbase) {
                members[n] = i;
                offsets[n] = reinterpret_cast<uintptr_t>(addresses[i]) - 1 -
                             reinterpret_cast<uintptr_t>(infos[i].dli_fbase);
                ++n;
            }
        }
        const char *module = infos[first].dli_fname;
        const bool resolved = RunAddr2line(module, offsets, n, functions, lines);
        const char *slash = std::strrchr(module, '/');
        const char *moduleName = slash != nullptr ? slash + 1 : module;
        for (size_t k = 0; k < n; ++k) {
            const size_t i = members[k];
            const uintptr_t at = reinterpret_cast<uintptr_t>(addresses[i]);
            std::string function = resolved ? functions[k] : "??";
            if (function == "??")
                function = SymbolOf(infos[i], at);
            const std::string line = resolved ? lines[k] : "??:?";
            char *text = texts + i * textBytes;
            std::snprintf(text, textBytes, "%s at %s in %s+0x%" PRIxPTR, function.c_str(),
                          line.c_str(), moduleName, offsets[k] + 1);
            done[i] = true;
        }
    }
    delete[] functions;
    delete[] lines;
    std::free(infos);
    std::free(done);
    std::free(offsets);
    std::free(members);
}
