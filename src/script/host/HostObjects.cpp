#include "HostObjects.h"

#include "DictionaryObject.h"
#include "FileSystemObject.h"
#include "RegExpObject.h"
#include "ScriptHost.h"
#include "ShellObject.h"

namespace vortalux::script {

void RegisterHostObjects(ScriptHost& host)
{
    host.RegisterObjectFactory("WScript.Shell", [] { return std::make_shared<ShellObject>(); });
    host.RegisterObjectFactory(
        "Scripting.FileSystemObject", [] { return std::make_shared<FileSystemObject>(); });
    host.RegisterObjectFactory("Scripting.Dictionary", [] { return std::make_shared<DictionaryObject>(); });
    host.RegisterObjectFactory("VBScript.RegExp", [] { return std::make_shared<RegExpObject>(); });
}

} // namespace vortalux::script
