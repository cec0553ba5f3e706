#include "junctions/junction_advice.h"

#include <sstream>

#include "compact/junction_suggestions.h"
#include "junctions/junction_registration.h"
#include "junctions/planned_junctions.h"
#include "junctions/suggestion_script.h"
#include "pathtext/path_spelling.h"
#include "report/report.h"

namespace pathshrink {
namespace {

// The least number of the proposals, taken in order, with which the list
// is at most `target` long (all of them where none does).
std::size_t FirstThatReach(std::size_t target, const std::vector<SuggestedJunction>& proposals,
                           const AdviceRequest& request, FileSystemQueries& files) {
  const PathConventions conventions = files.Conventions();
  for (std::size_t k = 0; k < proposals.size(); ++k) {
    const std::vector<SuggestedJunction> first(proposals.begin(),
                                               proposals.begin() + static_cast<std::ptrdiff_t>(k));
    PlannedJunctions trial(files, first, request.restrictedFolder);
    JunctionTable table = *request.registered;
    std::ostringstream quiet;
    for (const SuggestedJunction& proposal : first) {
      RegisterJunction(proposal.link, trial, table, quiet);
    }
    OrderBySavings(table);
    if (Utf16Length(JoinEntries(WriteEntries(*request.entries, table, conventions))) <= target) {
      return k;
    }
  }
  return proposals.size();
}

}  // namespace

std::string AdviseJunctions(const AdviceRequest& request, FileSystemQueries& files,
                            std::ostream& err) {
  const PathConventions conventions = files.Conventions();
  const std::vector<ResolvedEntry>& entries = *request.entries;
  std::vector<SuggestedJunction> proposals =
      SuggestJunctions(entries, *request.junctions, request.linkFolder, files);
  if (request.target) proposals.resize(FirstThatReach(*request.target, proposals, request, files));
  PlannedJunctions planned(files, proposals, request.restrictedFolder);
  JunctionTable junctions = *request.registered;
  for (const SuggestedJunction& proposal : proposals) {
    RegisterJunction(proposal.link, planned, junctions, err);
  }
  const std::size_t without =
      JoinEntries(WriteEntries(entries, *request.junctions, conventions)).size();
  OrderBySavings(junctions);
  const PathList newList = JoinEntries(WriteEntries(entries, junctions, conventions));
  WriteReport(request.given, newList, err);
  return SuggestionScript(proposals, *request.typed, {without, newList.size()},
                          request.sourceArguments, request.restrictedFolder, conventions);
}

}  // namespace pathshrink
