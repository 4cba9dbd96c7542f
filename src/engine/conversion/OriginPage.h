#pragma once

#include <string>

namespace vortalux {

// The page the last list of links came from (element 0 of the last AddUrlList), kept for the
// referer of the batch. Like all of the engine's state it exists once per thread.
const std::string& OriginPage();
void SetOriginPage(std::string page);

} // namespace vortalux
