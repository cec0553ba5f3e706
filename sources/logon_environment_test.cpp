#include "sources/logon_environment.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "testing/in_memory_environment_store.h"

namespace pathshrink {
namespace {

TEST(LogonEnvironmentTest, BuiltInWindowsOrderFromWhatIsStored) {
  InMemoryEnvironmentStore store;
  const auto plain = [](const char* text) { return StoredValue{text, StoredType::kString, {}}; };
  const auto expand = [](const char* text) {
    return StoredValue{text, StoredType::kExpandString, {}};
  };
  store.systemVariables = {{"SystemRoot", plain("C:\\Windows")}};
  store.Set(Scope::kMachine, "A", expand("%B%\\x"));  // B is not set yet when A is
  store.Set(Scope::kMachine, "B", expand("C:\\b"));
  store.Set(Scope::kMachine, "C", expand("%D%\\y"));  // D is plain: set before any expansion
  store.Set(Scope::kMachine, "D", plain("C:\\d"));
  store.Set(Scope::kMachine, "TEMP", expand("%SystemRoot%\\Temp"));
  store.Set(Scope::kMachine, "Path", expand("%SystemRoot%"));
  store.Set(Scope::kProfile, "USERPROFILE", plain("C:\\Users\\me"));
  store.Set(Scope::kUser, "TEMP", expand("%USERPROFILE%\\AppData\\Local\\Temp"));
  store.Set(Scope::kUser, "EMPTY", plain(""));
  const struct {
    Scope scope;
    const char* name;
    std::optional<std::string> value;
  } cases[] = {
      {Scope::kMachine, "a", "%B%\\x"},
      {Scope::kMachine, "C", "C:\\d\\y"},
      {Scope::kMachine, "TEMP", "C:\\Windows\\Temp"},
      {Scope::kMachine, "USERPROFILE", std::nullopt},  // the machine's Path never sees it
      {Scope::kMachine, "Path", std::nullopt},
      {Scope::kUser, "TEMP", "C:\\Users\\me\\AppData\\Local\\Temp"},
      {Scope::kUser, "SystemRoot", "C:\\Windows"},
      {Scope::kUser, "EMPTY", std::nullopt},  // an empty value sets nothing
  };
  for (const auto& c : cases) {
    LogonEnvironment logon(store, c.scope);
    EXPECT_EQ(logon.Variable(c.name), c.value) << c.name;
  }
}

}  // namespace
}  // namespace pathshrink
