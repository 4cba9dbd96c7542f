#include "OriginPage.h"

namespace vortalux {

namespace {

thread_local std::string t_originPage;

} // namespace

const std::string& OriginPage() { return t_originPage; }

void SetOriginPage(std::string page) { t_originPage = std::move(page); }

} // namespace vortalux
