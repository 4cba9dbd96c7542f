// Eval, Execute, ExecuteGlobal and GetRef: script text compiled and run while the script runs.
#include "BuiltinFunctions.h"
#include "Coercion.h"
#include "Interpreter.h"

namespace vortalux::script::builtins {

Variant Eval(Interpreter& interpreter, Args& args) { return interpreter.EvalText(ToString(args[0])); }

Variant Execute(Interpreter& interpreter, Args& args)
{
    interpreter.ExecuteText(ToString(args[0]), false);
    return {};
}

Variant ExecuteGlobal(Interpreter& interpreter, Args& args)
{
    interpreter.ExecuteText(ToString(args[0]), true);
    return {};
}

Variant GetRef(Interpreter& interpreter, Args& args)
{
    return Variant::FromObject(interpreter.ProcedureReferenceTo(ToString(args[0])));
}

} // namespace vortalux::script::builtins
