#pragma once

#include "LoopbackHttpServer.h"
#include "ScriptObject.h"
#include "TestSupport.h"

#include <memory>
#include <string>

namespace vortalux::script::test {

// The `Fixture` object of the host-object test scripts: a temporary folder, a loopback HTTP
// server and a few looks at the process from outside.
//   Fixture.Folder                     a fresh temporary folder
//   Fixture.Url(path)                  the loopback server: /echo answers "METHOD BODY",
//                                      /status/N answers status N, /redirect goes to /echo
//   Fixture.SilentUrl                  accepts connections and never answers
//   Fixture.RequestCount, Fixture.Request(i, part)   part: "method", "target", "body" or a header
//   Fixture.ReadFile(path), Fixture.WriteFile(path, text)   bytes as they are on disk
//   Fixture.Children                   child processes of this process not yet reaped (zombies too)
class HostFixture final : public ScriptObject {
public:
    HostFixture();
    ~HostFixture() override;

    std::string TypeName() const override { return "Fixture"; }
    Variant CallMethod(std::string_view name, std::vector<Variant>& args) override;

private:
    vortalux::test::TempDir m_folder;
    vortalux::test::LoopbackHttpServer m_server;
    int m_silentListener = -1;
    uint16_t m_silentPort = 0;
};

// Children of this process, zombies included, as /proc lists them.
int CountChildProcesses();

} // namespace vortalux::script::test
