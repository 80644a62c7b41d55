#include "settings/settings_store.h"

#include <gtest/gtest.h>

#include "fakes/capturing_log.h"
#include "fakes/fake_registry.h"
#include "settings/idle_age_setting.h"
#include "platform/error.h"

namespace nv {
namespace {

using test::FakeRegistry;
constexpr auto HKLM = RootKey::HKeyLocalMachine;
const std::string kExe = "/opt/Velqor/norvane";

class SettingsStoreTest : public ::testing::Test {
 protected:
  FakeRegistry registry;
  SettingsStore store{registry, kExe};

  void StoreRecord(RegValue value) { registry.Set(HKLM, SettingsStore::kSettingsKey, SettingsStore::kSettingsValue, std::move(value)); }
  void StoreRun(RegValue value) { registry.Set(HKLM, kRunKeyPath, kAutostartValueName, std::move(value)); }
  const RegValue* Run() const { return registry.Get(HKLM, kRunKeyPath, kAutostartValueName); }
  std::string LoadError() {
    try {
      store.Load(false);
    } catch (const Error& e) {
      return e.what();
    }
    return "no error";
  }
};

// The Run key is not made: an empty one would change nothing but cost a write of the hive.
TEST_F(SettingsStoreTest, FirstRunCreatesTheSettingsKeyAndGivesDefaultsWithoutAutostart) {
  const auto stored = store.Load(false);
  EXPECT_EQ(stored.record, TSetInfo{});
  EXPECT_FALSE(stored.autoStart);
  EXPECT_TRUE(registry.keys.count(FakeRegistry::KeyName(HKLM, SettingsStore::kSettingsKey)));
  EXPECT_FALSE(registry.keys.count(FakeRegistry::KeyName(HKLM, kRunKeyPath)));
  EXPECT_EQ(registry.writes, 0);
}

TEST_F(SettingsStoreTest, StoredRecordIsReadByTheReadRule) {
  std::vector<uint8_t> options(28, 0);
  options[4] = 0xF4;  // AutoTime 500
  options[5] = 0x01;
  options[17] = 2;    // AutoProcessList, any non-zero byte
  for (uint32_t type : {reg::Binary, reg::None, reg::MultiSz}) {
    StoreRecord({type, options});
    const auto stored = store.Load(false);
    EXPECT_EQ(stored.record.AutoTime, 500) << type;
    EXPECT_TRUE(stored.record.AutoProcessList) << type;
    EXPECT_FALSE(stored.record.StopAuto) << type;
    EXPECT_EQ(stored.record.HotKeys, TSetInfo::DefaultHotKeys()) << type;
  }
}

TEST_F(SettingsStoreTest, RejectsStringsNumbersAndOversizedValues) {
  const RegValue rejected[] = {
      RegValue::Binary(std::vector<uint8_t>(93, 0)),
      RegValue::String("settings"),
      RegValue::String("%HOME%", reg::ExpandSz),
      RegValue::Dword(1),
  };
  for (const auto& value : rejected) {
    StoreRecord(value);
    EXPECT_EQ(LoadError(), "Invalid data type for 'NvSetInfo'") << value.type << " " << value.data.size();
  }
  // Restoring the defaults does not read the value, so it cannot fail on it.
  EXPECT_EQ(store.Load(true).record, TSetInfo{});
}

TEST_F(SettingsStoreTest, DefaultsOrAnUnavailableKeyWantAutostart) {
  StoreRecord(RegValue::Binary({1, 0, 0, 0, 9}));
  const auto defaults = store.Load(true);
  EXPECT_EQ(defaults.record, TSetInfo{});
  EXPECT_TRUE(defaults.autoStart);

  registry.refusedKeys.insert(FakeRegistry::KeyName(HKLM, SettingsStore::kSettingsKey));
  const auto unavailable = store.Load(false);
  EXPECT_EQ(unavailable.record, TSetInfo{});
  EXPECT_TRUE(unavailable.autoStart);
  EXPECT_EQ(registry.writes, 0);
}

TEST_F(SettingsStoreTest, AutostartEntryCountsOnlyWhenItNamesThisExecutable) {
  struct Case {
    const char* what;
    RegValue value;
    bool counts;
  };
  const Case cases[] = {
      {"exact path", RegValue::String(kExe), true},
      {"case and blanks", RegValue::String(" \t/OPT/velqor/NORVANE  \r\n"), true},
      {"other path", RegValue::String("/opt/Velqor/norvane2"), false},
      {"quoted path", RegValue::String("\"" + kExe + "\""), false},
      {"expandable string", RegValue::String(kExe, reg::ExpandSz), false},
      {"binary", RegValue::Binary({kExe.begin(), kExe.end()}), false},
  };
  for (const auto& c : cases) {
    StoreRun(c.value);
    EXPECT_EQ(store.Load(false).autoStart, c.counts) << c.what;
  }
  registry.keys.erase(FakeRegistry::KeyName(HKLM, kRunKeyPath));
  EXPECT_FALSE(store.Load(false).autoStart) << "no entry";
  registry.refusedKeys.insert(FakeRegistry::KeyName(HKLM, kRunKeyPath));
  EXPECT_FALSE(store.Load(false).autoStart) << "Run key unavailable";
}

TEST_F(SettingsStoreTest, SaveWritesTheWholeRecordAsBinary) {
  TSetInfo record;
  record.EmptyClipboard = true;
  record.HotKeys[3] = {true, 1334, 2, 'Q'};
  ASSERT_TRUE(store.SaveRecord(record));
  const auto* value = registry.Get(HKLM, SettingsStore::kSettingsKey, SettingsStore::kSettingsValue);
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(value->type, reg::Binary);
  const auto bytes = SerializeSetInfo(record);
  EXPECT_EQ(value->data, std::vector<uint8_t>(bytes.begin(), bytes.end()));
  EXPECT_EQ(store.Load(false).record, record);
}

TEST_F(SettingsStoreTest, SaveWithoutASettingsKeyWritesNothing) {
  registry.refusedKeys.insert(FakeRegistry::KeyName(HKLM, SettingsStore::kSettingsKey));
  EXPECT_FALSE(store.SaveRecord(TSetInfo{}));
  EXPECT_EQ(registry.writes, 0);
}

TEST_F(SettingsStoreTest, AutostartIsWrittenWithTheExactPathOrRemoved) {
  StoreRun(RegValue::String("  /OPT/VELQOR/NORVANE "));
  store.SaveAutostart(true);
  ASSERT_NE(Run(), nullptr);
  EXPECT_EQ(Run()->type, reg::Sz);
  EXPECT_EQ(Run()->AsString(), kExe);

  store.SaveAutostart(false);
  EXPECT_EQ(Run(), nullptr);
  EXPECT_NO_THROW(store.SaveAutostart(false)) << "removing an absent entry";
}

TEST_F(SettingsStoreTest, RefusedWritesNameTheirValue) {
  registry.refusedWrites.insert(FakeRegistry::Fold(SettingsStore::kSettingsValue));
  try {
    store.SaveRecord(TSetInfo{});
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "Failed to set data for 'NvSetInfo'");
  }

  registry.refusedKeys.insert(FakeRegistry::KeyName(HKLM, kRunKeyPath));
  try {
    store.SaveAutostart(true);
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "Failed to set data for 'Velqor Norvane'");
  }
  EXPECT_NO_THROW(store.SaveAutostart(false)) << "an unavailable Run key holds no entry";
}

// The idle age beside the settings: taken when it is a DWORD of 1 to 86400 seconds, else
// left to the default, and said why in the log.
TEST(StoredIdleAge, TakesWholeSecondsFromOneToADayAndLogsWhyOthersAreIgnored) {
  struct Case {
    const char* what;
    std::optional<RegValue> value;
    std::optional<std::chrono::seconds> age;
    const char* logged;
  };
  const Case cases[] = {
      {"no value", std::nullopt, std::nullopt, ""},
      {"five minutes", RegValue::Dword(300), std::chrono::seconds(300), ""},
      {"one second", RegValue::Dword(1), std::chrono::seconds(1), ""},
      {"a day", RegValue::Dword(86400), std::chrono::seconds(86400), ""},
      {"zero", RegValue::Dword(0), std::nullopt, "0 is not from 1 to 86400 seconds"},
      {"over a day", RegValue::Dword(86401), std::nullopt, "86401 is not from 1 to 86400 seconds"},
      {"a string", RegValue::String("120"), std::nullopt, "it is no REG_DWORD"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FakeRegistry registry;
    if (c.value) registry.Set(HKLM, SettingsStore::kSettingsKey, kIdleAgeValue, *c.value);
    test::CapturingLog log;
    EXPECT_EQ(StoredIdleAge(registry), c.age);
    if (*c.logged == '\0')
      EXPECT_TRUE(log.lines.empty());
    else
      EXPECT_TRUE(log.Holds(c.logged)) << (log.lines.empty() ? "nothing logged" : log.lines[0].message);
  }
  FakeRegistry noKey;
  EXPECT_EQ(StoredIdleAge(noKey), std::nullopt);
  EXPECT_TRUE(noKey.keys.empty()) << "reading the age creates no key";
}

}  // namespace
}  // namespace nv
