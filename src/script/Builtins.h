#pragma once

#include "Variant.h"

#include <string_view>
#include <vector>

namespace vortalux::script {

class Interpreter;

// A built-in function. Arguments arrive evaluated; one left out arrives as Empty.
using BuiltinFn = Variant (*)(Interpreter& interpreter, std::vector<Variant>& args);

struct BuiltinFunction {
    std::string_view name; // lower case
    int minArgs;
    int maxArgs;
    BuiltinFn function;
};

// The index of the built-in function `key` (lower case), or -1.
int FindBuiltin(std::string_view key);
const BuiltinFunction& BuiltinAt(int index);
// The value of the built-in constant `key` (vbCrLf, vbOK, ...), or nullptr.
const Variant* FindBuiltinConstant(std::string_view key);

} // namespace vortalux::script
