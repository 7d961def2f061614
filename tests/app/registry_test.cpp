#include "app/process.h"
#include "app/registry_internal.h"
#include "app/renderable.h"
#include "render/render_device_internal.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Log = std::vector<std::string>;
Log g_log;

// Logs its updates and its end; a spawner makes a child in its first update.
class CLoggingProcess : public CProcess {
  public:
    explicit CLoggingProcess(std::string n, bool s = false) : name(std::move(n)), spawn(s) {}
    ~CLoggingProcess() override { g_log.push_back("~" + name); }
    void Process() override {
        g_log.push_back("p:" + name);
        if (spawn && !child)
            child = new CLoggingProcess(name + "'");
    }
    std::string name;
    bool spawn;
    CProcess *child = nullptr;
};

class CLoggingRenderable : public CRenderable {
  public:
    explicit CLoggingRenderable(std::string n) : name(std::move(n)) {}
    void Render() override { g_log.push_back("r:" + name); }
    std::string name;
};

void CallbackA() {
    g_log.push_back("cb:A");
}
void CallbackB() {
    g_log.push_back("cb:B");
}

class RegistryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        g_log.clear();
        CreateFrameArena();
    }
    void TearDown() override {
        ClearRenderLayers();
        DeleteAllProcesses();
        DestroyFrameArena();
    }
};

TEST_F(RegistryTest, ProcessesRunFromTheUpdateAfterTheirConstructionInOrder) {
    CProcess *a = new CLoggingProcess("a");
    CProcess *gone = new CLoggingProcess("gone");
    CLoggingProcess *spawner = new CLoggingProcess("s", true);
    EXPECT_EQ(PendingProcesses(), (std::vector<CProcess *>{a, gone, spawner}));
    EXPECT_TRUE(ActiveProcesses().empty());
    delete gone; // never runs
    UpdateProcesses();
    EXPECT_EQ(PendingProcesses(), (std::vector<CProcess *>{spawner->child}));
    delete a;
    UpdateProcesses();
    EXPECT_EQ(ActiveProcesses(), (std::vector<CProcess *>{spawner, spawner->child}));
    new CLoggingProcess("c");
    DeleteAllProcesses(); // pending ones first
    EXPECT_EQ(g_log, (Log{"~gone", "p:a", "p:s", "~a", "p:s", "p:s'", "~c", "~s", "~s'"}));
}

TEST_F(RegistryTest, RenderPassDrawsLayersInOrderObjectsBeforeCallbacks) {
    CLoggingRenderable a("a"), b("b"), c("c");
    AddRenderCallback(0, CallbackB);
    AddRenderable(2, &c);
    AddRenderable(0, &a);
    AddRenderCallback(1, CallbackA);
    AddRenderable(0, &b);
    AddRenderable(0, &a); // moves to the end, not added twice
    AddRenderCallback(1, CallbackB);
    AddRenderCallback(1, CallbackA); // likewise
    RemoveRenderCallback(0, CallbackB);
    RemoveRenderCallback(2, CallbackA); // not there: nothing happens
    RenderLayers();
    EXPECT_EQ(g_log, (Log{"r:b", "r:a", "cb:B", "cb:A", "r:c"}));
}

} // namespace
