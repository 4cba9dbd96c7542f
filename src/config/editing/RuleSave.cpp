#include "RuleSave.h"

namespace vortalux {

RuleSaveOutcome SaveRule(const std::filesystem::path&, const RuleDraft&) { return RuleSaveOutcome::Failed; }

} // namespace vortalux
