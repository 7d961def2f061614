#include "app/process.h"
#include "app/registry_internal.h"
#include "app/renderable.h"
#include "render/render_device.h"
#include "render/render_device_internal.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> g_log;

class CLoggingProcess : public CProcess {
  public:
    explicit CLoggingProcess(std::string name, bool *destroyed = nullptr)
        : m_name(std::move(name)), m_destroyed(destroyed) {}
    ~CLoggingProcess() override {
        g_log.push_back("~" + m_name);
        if (m_destroyed)
            *m_destroyed = true;
    }
    void Process() override { g_log.push_back("p:" + m_name); }

  private:
    std::string m_name;
    bool *m_destroyed;
};

// A process that constructs another one during its own update.
class CSpawningProcess : public CProcess {
  public:
    void Process() override {
        g_log.push_back("p:spawner");
        if (!child)
            child = new CLoggingProcess("child");
    }
    CProcess *child = nullptr;
};

class CLoggingRenderable : public CRenderable {
  public:
    explicit CLoggingRenderable(std::string name) : m_name(std::move(name)) {}
    void Render() override { g_log.push_back("r:" + m_name); }

  private:
    std::string m_name;
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

TEST_F(RegistryTest, ConstructedProcessWaitsInPendingUntilFirstUpdate) {
    CProcess *p = new CLoggingProcess("a");
    ASSERT_EQ(PendingProcesses().size(), 1u);
    EXPECT_EQ(PendingProcesses()[0], p);
    EXPECT_TRUE(ActiveProcesses().empty());
    UpdateProcesses();
    EXPECT_TRUE(PendingProcesses().empty());
    ASSERT_EQ(ActiveProcesses().size(), 1u);
    EXPECT_EQ(g_log, (std::vector<std::string>{"p:a"}));
}

TEST_F(RegistryTest, ProcessesRunInConstructionOrderEveryUpdate) {
    new CLoggingProcess("a");
    new CLoggingProcess("b");
    UpdateProcesses();
    new CLoggingProcess("c");
    UpdateProcesses();
    EXPECT_EQ(g_log, (std::vector<std::string>{"p:a", "p:b", "p:a", "p:b", "p:c"}));
}

TEST_F(RegistryTest, ProcessDestroyedBeforeUpdateNeverRuns) {
    CProcess *p = new CLoggingProcess("gone");
    new CLoggingProcess("kept");
    delete p;
    g_log.clear();
    UpdateProcesses();
    EXPECT_EQ(g_log, (std::vector<std::string>{"p:kept"}));
}

TEST_F(RegistryTest, DestroyedActiveProcessLeavesActiveList) {
    CProcess *p = new CLoggingProcess("a");
    UpdateProcesses();
    delete p;
    EXPECT_TRUE(ActiveProcesses().empty());
    g_log.clear();
    UpdateProcesses();
    EXPECT_TRUE(g_log.empty());
}

TEST_F(RegistryTest, ProcessConstructedDuringUpdateRunsFromNextUpdate) {
    CSpawningProcess *spawner = new CSpawningProcess();
    UpdateProcesses();
    EXPECT_EQ(g_log, (std::vector<std::string>{"p:spawner"}));
    ASSERT_EQ(PendingProcesses().size(), 1u);
    EXPECT_EQ(PendingProcesses()[0], spawner->child);
    g_log.clear();
    UpdateProcesses();
    EXPECT_EQ(g_log, (std::vector<std::string>{"p:spawner", "p:child"}));
}

TEST_F(RegistryTest, DeleteAllProcessesEmptiesBothListsPendingFirst) {
    bool destroyedA = false, destroyedB = false, destroyedC = false;
    new CLoggingProcess("a", &destroyedA);
    new CLoggingProcess("b", &destroyedB);
    UpdateProcesses();
    new CLoggingProcess("c", &destroyedC);
    g_log.clear();
    DeleteAllProcesses();
    EXPECT_TRUE(destroyedA && destroyedB && destroyedC);
    EXPECT_EQ(g_log, (std::vector<std::string>{"~c", "~a", "~b"}));
    EXPECT_TRUE(PendingProcesses().empty());
    EXPECT_TRUE(ActiveProcesses().empty());
}

TEST_F(RegistryTest, AddingRenderableTwiceKeepsOneEntryAtTheEnd) {
    CLoggingRenderable a("a"), b("b");
    AddRenderable(1, &a);
    AddRenderable(1, &b);
    AddRenderable(1, &a);
    ASSERT_EQ(LayerRenderables(1).size(), 2u);
    EXPECT_EQ(LayerRenderables(1)[0], &b);
    EXPECT_EQ(LayerRenderables(1)[1], &a);
    EXPECT_TRUE(LayerRenderables(0).empty());
}

TEST_F(RegistryTest, CallbacksAreMovedNotDuplicatedAndRemovedByValue) {
    AddRenderCallback(2, CallbackA);
    AddRenderCallback(2, CallbackB);
    AddRenderCallback(2, CallbackA);
    ASSERT_EQ(LayerCallbacks(2).size(), 2u);
    EXPECT_EQ(LayerCallbacks(2)[0], &CallbackB);
    EXPECT_EQ(LayerCallbacks(2)[1], &CallbackA);
    RemoveRenderCallback(2, CallbackB);
    ASSERT_EQ(LayerCallbacks(2).size(), 1u);
    EXPECT_EQ(LayerCallbacks(2)[0], &CallbackA);
}

TEST_F(RegistryTest, RemovingUnregisteredCallbackDoesNothing) {
    AddRenderCallback(0, CallbackA);
    RemoveRenderCallback(0, CallbackB);
    RemoveRenderCallback(1, CallbackA);
    ASSERT_EQ(LayerCallbacks(0).size(), 1u);
    EXPECT_EQ(LayerCallbacks(0)[0], &CallbackA);
}

TEST_F(RegistryTest, RenderPassDrawsLayersInOrderObjectsBeforeCallbacks) {
    CLoggingRenderable a("a"), b("b"), c("c");
    AddRenderCallback(0, CallbackB);
    AddRenderable(2, &c);
    AddRenderable(0, &a);
    AddRenderCallback(1, CallbackA);
    AddRenderable(0, &b);
    RenderLayers();
    EXPECT_EQ(g_log, (std::vector<std::string>{"r:a", "r:b", "cb:B", "cb:A", "r:c"}));
}

TEST_F(RegistryTest, RenderPassResetsArenaEvenWithEmptyLayers) {
    Vertex2D *v = nullptr;
    ASSERT_NE(AllocFrameVertices(10, &v), nullptr);
    ASSERT_NE(FrameArenaCursor(), FrameArenaBase());
    RenderLayers();
    EXPECT_EQ(FrameArenaCursor(), FrameArenaBase());
    EXPECT_TRUE(g_log.empty());
}

TEST_F(RegistryTest, ClearRenderLayersEmptiesAllSixListsWithoutDestroying) {
    CLoggingRenderable a("a");
    for (int layer = 0; layer < kRenderLayerCount; ++layer) {
        AddRenderable(layer, &a);
        AddRenderCallback(layer, CallbackA);
    }
    ClearRenderLayers();
    for (int layer = 0; layer < kRenderLayerCount; ++layer) {
        EXPECT_TRUE(LayerRenderables(layer).empty());
        EXPECT_TRUE(LayerCallbacks(layer).empty());
    }
    RenderLayers();
    EXPECT_TRUE(g_log.empty());
}

// A renderable that re-adds itself while drawn must not make the pass endless.
class CReAddingRenderable : public CRenderable {
  public:
    void Render() override {
        ++count;
        AddRenderable(0, this);
    }
    int count = 0;
};

TEST_F(RegistryTest, RenderPassEndsWhenRenderableReAddsItself) {
    CReAddingRenderable r;
    CLoggingRenderable other("other");
    AddRenderable(0, &r);
    AddRenderable(0, &other);
    RenderLayers();
    EXPECT_GE(r.count, 1);
    EXPECT_LE(r.count, 2);
    ASSERT_EQ(LayerRenderables(0).size(), 2u);
    EXPECT_EQ(LayerRenderables(0)[1], &r);
}

} // namespace
