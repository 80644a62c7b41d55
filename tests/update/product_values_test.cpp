#include "update/product_values.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

#include "fakes/fake_registry.h"
#include "platform/error.h"

namespace nv {
namespace {

using test::FakeRegistry;
constexpr auto HKCU = RootKey::HKeyCurrentUser;

// The text of the nv::Error that `f` raises, or "no error".
template <class F>
std::string ErrorOf(F f) {
  try {
    f();
  } catch (const Error& e) {
    return e.what();
  }
  return "no error";
}

class ProductValues : public ::testing::Test {
 protected:
  void SetUp() override { ::setenv("NORVANE_UPDATE_HOST", "updates.example", 1); }
  void TearDown() override { ::unsetenv("NORVANE_UPDATE_HOST"); }
  const RegValue* Value(const char* name) const { return registry.Get(HKCU, kProductKey, name); }
  FakeRegistry registry;
};

TEST_F(ProductValues, FirstStartWritesTheDefaultsAndTurnsTheCheckOnInOneWrite) {
  EXPECT_TRUE(LoadProductValues(registry, "2010.1.2"));
  EXPECT_EQ(registry.writes, 1);
  ASSERT_NE(Value("HelpURL"), nullptr);
  EXPECT_EQ(Value("HelpURL")->type, reg::Sz);
  EXPECT_EQ(Value("HelpURL")->AsString(), "http://updates.example/products/system-utility/velqor-norvane/help/");
  ASSERT_NE(Value("HomePage"), nullptr);
  EXPECT_EQ(Value("HomePage")->AsString(), "http://updates.example/products/system-utility/velqor-norvane/");
  ASSERT_NE(Value("CheckUpdate"), nullptr);
  EXPECT_EQ(Value("CheckUpdate")->type, reg::Dword);
  EXPECT_EQ(Value("CheckUpdate")->AsDword(), 1u);
  ASSERT_NE(Value("Version"), nullptr);
  EXPECT_EQ(Value("Version")->AsString(), "2010.1.2");
}

TEST_F(ProductValues, StoredValuesAreKeptAndCheckUpdateFollowsTheirs) {
  registry.Set(HKCU, kProductKey, "HelpURL", RegValue::String("http://mine/help"));
  registry.Set(HKCU, kProductKey, "HomePage", RegValue::String("%HOME%", reg::ExpandSz));
  registry.Set(HKCU, kProductKey, "CheckUpdate", RegValue::Dword(0));
  registry.Set(HKCU, kProductKey, "Version", RegValue::String("2010.1.2"));
  EXPECT_FALSE(LoadProductValues(registry, "2010.1.2"));
  EXPECT_EQ(registry.writes, 0);
  EXPECT_EQ(Value("HelpURL")->AsString(), "http://mine/help");

  registry.Set(HKCU, kProductKey, "CheckUpdate", RegValue::Dword(7));
  EXPECT_TRUE(LoadProductValues(registry, "2010.1.2"));
}

TEST_F(ProductValues, UnopenableKeyLeavesTheCheckOff) {
  registry.refusedKeys.insert(FakeRegistry::KeyName(HKCU, kProductKey));
  EXPECT_FALSE(LoadProductValues(registry, "2010.1.2"));
  EXPECT_EQ(InstalledVersion(registry), "");
}

TEST_F(ProductValues, WrongTypesAndRefusedWritesRaiseTheRegistryErrors) {
  struct Case {
    const char* value;
    RegValue stored;
    const char* error;
  };
  const Case cases[] = {
      {"HelpURL", RegValue::Dword(1), "Invalid data type for 'HelpURL'"},
      {"HomePage", RegValue::Binary({1, 2}), "Invalid data type for 'HomePage'"},
      {"CheckUpdate", RegValue::String("1"), "Invalid data type for 'CheckUpdate'"},
  };
  for (const auto& c : cases) {
    FakeRegistry reg;
    reg.Set(HKCU, kProductKey, c.value, c.stored);
    EXPECT_EQ(ErrorOf([&] { LoadProductValues(reg, "2010.1.2"); }), c.error);
    EXPECT_EQ(reg.writes, 0) << c.value;
  }
  // A refused write into a key that exists names the first value it held.
  registry.Set(HKCU, kProductKey, "HelpURL", RegValue::String("http://mine/help"));
  registry.refusedWrites.insert("homepage");
  EXPECT_EQ(ErrorOf([&] { LoadProductValues(registry, "2010.1.2"); }), "Failed to set data for 'Version'");
  EXPECT_EQ(Value("Version"), nullptr);
}

TEST_F(ProductValues, InstalledVersionReadsTheVersionString) {
  EXPECT_EQ(InstalledVersion(registry), "");
  registry.Set(HKCU, kProductKey, "Version", RegValue::String("2010.1.2"));
  EXPECT_EQ(InstalledVersion(registry), "2010.1.2");
  registry.Set(HKCU, kProductKey, "Version", RegValue::Dword(2010));
  EXPECT_EQ(ErrorOf([&] { InstalledVersion(registry); }), "Invalid data type for 'Version'");
}

TEST_F(ProductValues, TheBuildsVersionIsRecordedWhenTheStoredOneDiffers) {
  struct Case {
    const char* name;
    std::optional<RegValue> stored;
    int writes;
  };
  const Case cases[] = {
      {"none", std::nullopt, 1},
      {"the same", RegValue::String("2010.1.2"), 0},
      {"an older one", RegValue::String("2010.1.1"), 1},
      {"a newer one", RegValue::String("2099"), 1},
      {"a number", RegValue::Dword(2010), 1},
  };
  for (const auto& c : cases) {
    FakeRegistry reg;
    if (c.stored) reg.Set(HKCU, kProductKey, "Version", *c.stored);
    reg.Set(HKCU, kProductKey, "HelpURL", RegValue::String("http://mine/help"));
    reg.Set(HKCU, kProductKey, "HomePage", RegValue::String("http://mine/"));
    reg.Set(HKCU, kProductKey, "CheckUpdate", RegValue::Dword(1));
    const int before = reg.writes;
    LoadProductValues(reg, "2010.1.2");
    EXPECT_EQ(reg.writes - before, c.writes) << c.name;
    EXPECT_EQ(InstalledVersion(reg), "2010.1.2") << c.name;
  }
}

TEST_F(ProductValues, TheHomePageIsTheStoredValueOrItsDefault) {
  EXPECT_EQ(HomePage(registry), "http://updates.example/products/system-utility/velqor-norvane/");
  registry.Set(HKCU, kProductKey, "HomePage", RegValue::String("http://mine/"));
  EXPECT_EQ(HomePage(registry), "http://mine/");
}

TEST(ProductAddresses, UseTheBuiltInHostUnlessTheEnvironmentNamesAnother) {
  ::unsetenv("NORVANE_UPDATE_HOST");
  EXPECT_EQ(UpdateHost(), NORVANE_TEST_UPDATE_HOST);
  EXPECT_EQ(UpdateFileAddress(),
            "http://" NORVANE_TEST_UPDATE_HOST "/products/system-utility/velqor-norvane/update/Update.ini");
  ::setenv("NORVANE_UPDATE_HOST", "127.0.0.1:8080", 1);
  EXPECT_EQ(UpdateFileAddress(), "http://127.0.0.1:8080/products/system-utility/velqor-norvane/update/Update.ini");
  ::unsetenv("NORVANE_UPDATE_HOST");
}

}  // namespace
}  // namespace nv
