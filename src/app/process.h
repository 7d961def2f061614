#pragma once
// Objects updated once per frame. Constructing a process registers it (it runs
// from the next UpdateProcesses on); destroying it unregisters it.

class CProcess {
  public:
    CProcess();
    CProcess(const CProcess &) = delete;
    CProcess &operator=(const CProcess &) = delete;

    // The per-frame update. Must not destroy any process.
    virtual void Process() = 0;
    virtual ~CProcess();
};

// Moves the processes constructed since the last call to the end of the active
// list, then calls Process on every active process in list order.
void UpdateProcesses();
// Deletes every registered process, those not yet run first.
void DeleteAllProcesses();
