#include "OriginPage.h"

namespace vortalux {

namespace {

thread_local std::string g_originPage;

} // namespace

const std::string& OriginPage() { return g_originPage; }

void SetOriginPage(std::string page) { g_originPage = std::move(page); }

} // namespace vortalux
