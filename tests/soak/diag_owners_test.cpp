// Owners of tracked blocks in the diagnostics executable: ours or a library's,
// and their names.
#include "app/diagnostics_owners.h"
#include "memory/memory_tracker.h"
#include "support/block_caller.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

void *Keep(void *block) {
    asm volatile("" : "+r"(block));
    return block;
}

__attribute__((noinline)) void *AllocateForOwnerTest() {
    return Keep(::operator new(40));
}

// A function whose name reads as kilobytes of template arguments.
template <typename... T> __attribute__((noinline)) void *AllocateForLongName() {
    return Keep(::operator new(sizeof...(T)));
}
using Wide = std::vector<std::vector<std::vector<std::vector<std::string>>>>;
void *(*const g_longNamed)() = AllocateForLongName<Wide, Wide, Wide, Wide, Wide, Wide, Wide, Wide>;

class DiagOwners : public ::testing::Test {
  protected:
    void SetUp() override { FindOurCode(); }
    // The C library's own qsort (a sanitizer may put its own first in the
    // default search): code outside this executable.
    const void *libraryCode =
        dlsym(dlopen("libc.so.6", RTLD_LAZY | RTLD_NOLOAD), "qsort");
};

TEST_F(DiagOwners, OurBlocksAreOursAndLibraryCodeIsNot) {
    void *block = AllocateForOwnerTest();
    const void *caller = CallerOf(block);
    EXPECT_TRUE(IsOurCode(caller)) << caller;
    ::operator delete(block);
    ASSERT_NE(libraryCode, nullptr);
    EXPECT_FALSE(IsOurCode(libraryCode));
    EXPECT_FALSE(IsOurCode(nullptr));
}

TEST_F(DiagOwners, CodeIsNamedByFunctionAndModule) {
    void *block = AllocateForOwnerTest();
    const void *addresses[] = {CallerOf(block), libraryCode, nullptr};
    ::operator delete(block);
    constexpr size_t kBytes = 200;
    char texts[3][kBytes];
    DescribeCode(addresses, 3, &texts[0][0], kBytes);
    const std::string ours = texts[0], library = texts[1], none = texts[2];
    EXPECT_NE(ours.find("AllocateForOwnerTest() at "), std::string::npos) << ours;
    EXPECT_NE(ours.find(" in diag_owners_test+0x"), std::string::npos) << ours;
    EXPECT_NE(library.find("qsort"), std::string::npos) << library;
    EXPECT_NE(library.find(" in libc.so"), std::string::npos) << library;
    EXPECT_EQ(none.rfind("?? at ??:? in ??", 0), 0u) << none;

    // The census's quick form: module and offset only.
    char where[64];
    EXPECT_EQ(std::string(CodeModuleOffset(addresses[0], where, sizeof where)).rfind(
                  "diag_owners_test+0x", 0),
              0u)
        << where;
    EXPECT_EQ(std::string(CodeModuleOffset(libraryCode, where, sizeof where)).rfind("libc.so", 0),
              0u)
        << where;
    EXPECT_STREQ(CodeModuleOffset(nullptr, where, sizeof where), "??");
}

// A name longer than any line buffer keeps the next address's name its own.
TEST_F(DiagOwners, ALongNameDoesNotShiftTheNext) {
    void *blocks[] = {g_longNamed(), AllocateForOwnerTest()};
    const void *addresses[] = {CallerOf(blocks[0]), CallerOf(blocks[1])};
    ::operator delete(blocks[0]);
    ::operator delete(blocks[1]);
    constexpr size_t kBytes = 4096;
    std::vector<char> texts(2 * kBytes);
    DescribeCode(addresses, 2, texts.data(), kBytes);
    const std::string longName = texts.data(), next = texts.data() + kBytes;
    EXPECT_GT(longName.find(" at "), 1024u) << longName;
    EXPECT_EQ(longName.rfind("void* (anonymous namespace)::AllocateForLongName<", 0), 0u)
        << longName;
    EXPECT_EQ(next.rfind("(anonymous namespace)::AllocateForOwnerTest() at ", 0), 0u) << next;
}

} // namespace
