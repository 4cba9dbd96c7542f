#include "DefaultHandOff.h"

#include "PrintingHandOff.h"

#include <iostream>

namespace vortalux {

std::unique_ptr<HandOff> CreateDefaultHandOff()
{
    // Definition scripts cannot run in this build yet: the links go to standard output, where
    // a caller can take them.
    return std::make_unique<PrintingHandOff>(std::cout);
}

} // namespace vortalux
