#include "system/environment_store.h"

namespace pathshrink {

const char* ScopeKeyName(Scope scope) {
  return scope == Scope::kUser
             ? "HKEY_CURRENT_USER\\Environment"
             : "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\"
               "Environment";
}

}  // namespace pathshrink
