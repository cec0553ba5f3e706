#include "driver/junction_registration.h"

#include <cstdint>
#include <limits>

#include "compact/lower_case.h"

namespace pathshrink {
namespace {

// The characters saved by writing the junction instead of its target, both
// in their long forms. Lengths beyond 2 GiB saturate rather than wrap.
std::int32_t Savings(const std::string& target, const std::string& junction) {
  const auto difference =
      static_cast<long long>(target.size()) - static_cast<long long>(junction.size());
  constexpr long long kMax = std::numeric_limits<std::int32_t>::max();
  constexpr long long kMin = std::numeric_limits<std::int32_t>::min();
  if (difference > kMax) return static_cast<std::int32_t>(kMax);
  if (difference < kMin) return static_cast<std::int32_t>(kMin);
  return static_cast<std::int32_t>(difference);
}

}  // namespace

void RegisterJunction(const std::string& junction, FileSystemQueries& queries, JunctionTable& table,
                      std::ostream& err) {
  try {
    const std::string target = queries.ReadJunctionTarget(junction);
    std::string shortJunction;
    std::string shortTarget;
    if (!queries.ShortPathName(junction, shortJunction) ||
        !queries.ShortPathName(target, shortTarget)) {
      err << "[can't use junction '" + junction + "']\n";
      return;
    }
    const std::int32_t savings = Savings(target, junction);
    if (savings <= 0) return;  // no shorter than its target: no use
    if (queries.Conventions().foldsCase) shortTarget = LowerCased(shortTarget);
    table.push_back({std::move(shortJunction), std::move(shortTarget), savings});
  } catch (...) {
    // Whatever went wrong, this junction is unusable; the rest still count.
    err << "[can't process junction '" + junction + "']\n";
  }
}

}  // namespace pathshrink
