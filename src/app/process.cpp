#include "app/process.h"

#include "app/registry_internal.h"

#include <algorithm>

namespace {

struct ProcessRegistry {
    std::vector<CProcess *> pending;
    std::vector<CProcess *> active;
};

ProcessRegistry g_processes;

void RemoveAll(std::vector<CProcess *> &list, CProcess *process) {
    list.erase(std::remove(list.begin(), list.end(), process), list.end());
}

} // namespace

CProcess::CProcess() {
    g_processes.pending.push_back(this);
}

CProcess::~CProcess() {
    RemoveAll(g_processes.pending, this);
    RemoveAll(g_processes.active, this);
}

void UpdateProcesses() {
    std::vector<CProcess *> &active = g_processes.active;
    active.insert(active.end(), g_processes.pending.begin(), g_processes.pending.end());
    g_processes.pending.clear();
    // By index: processes constructed during the walk only join the pending list.
    for (size_t i = 0; i < active.size(); ++i)
        active[i]->Process();
}

void DeleteAllProcesses() {
    // Each destructor takes its object out of the lists.
    while (!g_processes.pending.empty())
        delete g_processes.pending.front();
    while (!g_processes.active.empty())
        delete g_processes.active.front();
}

const std::vector<CProcess *> &PendingProcesses() {
    return g_processes.pending;
}
const std::vector<CProcess *> &ActiveProcesses() {
    return g_processes.active;
}
