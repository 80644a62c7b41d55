#include "engine/paging_file.h"

#include <gtest/gtest.h>

#include <string>

#include "fakes/fake_paging.h"
#include "fakes/fake_registry.h"

namespace nv {
namespace {

std::vector<uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

TEST(SystemManagedPagingFiles, OneEntryOnTheDriveOfTheWindowsDirectory) {
  const std::vector<uint8_t> d = Bytes(std::string("D:\\pagefile.sys 0 0\0\0", 21));
  EXPECT_EQ(SystemManagedPagingFiles("D:\\WINDOWS"), d);
  EXPECT_EQ(SystemManagedPagingFiles("D:\\WINDOWS\\"), d);
  EXPECT_EQ(SystemManagedPagingFiles("D:\\"), d);
  EXPECT_EQ(SystemManagedPagingFiles(kWindowsDirectory), Bytes(std::string("C:\\pagefile.sys 0 0\0\0", 21)));
}

class ConfigurePagingTest : public ::testing::Test {
 protected:
  const RegValue* Written() const {
    return registry.Get(RootKey::HKeyLocalMachine, kMemoryManagementKey, "PagingFiles");
  }
  test::FakeRegistry registry;
  test::FakePagingConfiguration paging;
};

TEST_F(ConfigurePagingTest, ReplacesThePagingFilesValueThenConfiguresTheSystem) {
  registry.Set(RootKey::HKeyLocalMachine, kMemoryManagementKey, "PagingFiles",
               RegValue::String("E:\\pagefile.sys 512 1024", reg::MultiSz));

  EXPECT_TRUE(ConfigureSystemManagedPaging(registry, paging, "D:\\WINDOWS"));

  ASSERT_NE(Written(), nullptr);
  EXPECT_EQ(Written()->type, uint32_t(reg::MultiSz));
  EXPECT_EQ(Written()->data.size(), 21u);
  EXPECT_EQ(Written()->data, SystemManagedPagingFiles("D:\\WINDOWS"));
  EXPECT_EQ(paging.calls, 1);
}

// The failure carries the reason of the step that refused, for the caller to show.
std::string ReasonOf(const Result<void>& result) { return result ? "succeeded" : result.error().reason; }

TEST_F(ConfigurePagingTest, FailsWithTheReasonOfWhicheverWriteIsRefused) {
  // The key refused: nothing is written anywhere.
  registry.refusedKeys.insert(test::FakeRegistry::KeyName(RootKey::HKeyLocalMachine, kMemoryManagementKey));
  EXPECT_NE(ReasonOf(ConfigureSystemManagedPaging(registry, paging)).find("is refused"), std::string::npos);
  EXPECT_EQ(Written(), nullptr);
  EXPECT_EQ(paging.calls, 0);

  // The value refused: the system configuration is not touched either.
  registry.refusedKeys.clear();
  registry.refusedWrites.insert("pagingfiles");
  EXPECT_NE(ReasonOf(ConfigureSystemManagedPaging(registry, paging)).find("the value PagingFiles is refused"),
            std::string::npos);
  EXPECT_EQ(paging.calls, 0);

  // The system configuration refused after the value was written.
  registry.refusedWrites.clear();
  paging.fails = true;
  EXPECT_EQ(ReasonOf(ConfigureSystemManagedPaging(registry, paging)), "the system configuration refused");
  EXPECT_NE(Written(), nullptr);
  EXPECT_EQ(paging.calls, 1);
}

TEST_F(ConfigurePagingTest, ADriveThatCannotHoldAPagingFileIsRefusedWithItsReasonBeforeAnyWrite) {
  paging.cannotHold = true;
  EXPECT_EQ(ReasonOf(ConfigureSystemManagedPaging(registry, paging)), "no paging file here");
  EXPECT_EQ(Written(), nullptr);
  EXPECT_EQ(paging.calls, 0);
}

}  // namespace
}  // namespace nv
