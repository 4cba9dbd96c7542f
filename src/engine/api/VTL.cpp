#include "VTL.h"

#include "DefaultHandOff.h"
#include "frmSelectURLs.h"
#include "frmWait.h"
#include "HeadlessEngine.h"
#include "Intake.h"
#include "OriginPage.h"
#include "ProgramDirectory.h"
#include "QtMessagePresenter.h"
#include "TerminalStatus.h"
#include "UrlList.h"
#include "Version.h"

#include <iostream>
#include <optional>

namespace vortalux {

VTL::VTL()
    : VTL(VtlOptions {})
{
}

VTL::VTL(VtlOptions options)
    : m_options(std::move(options))
{
}

VTL::~VTL() = default;

std::string VTL::Version() const { return VersionText(); }

bool VTL::UseWindows()
{
    switch (m_options.interface) {
    case VtlOptions::Interface::Headless:
        ApplicationScope::Ensure(ApplicationScope::Kind::Console);
        return false;
    case VtlOptions::Interface::Windows:
    case VtlOptions::Interface::Automatic:
        break;
    }
    return ApplicationScope::Ensure(ApplicationScope::Kind::WindowsWhenPossible);
}

std::filesystem::path VTL::ProgramDirectoryToUse() const
{
    return m_options.programDirectory.empty() ? ProgramDirectory() : m_options.programDirectory;
}

HandOffFactory VTL::HandOffFactoryToUse() const
{
    return m_options.handOffFactory ? m_options.handOffFactory : HandOffFactory(CreateDefaultHandOff);
}

struct VTL::CallContext {
    bool windows = false;
    std::filesystem::path directory;
    RuleStore rules;
    ManagerStore managers;
    HandOffFactory handOffFactory;

    HeadlessEngine MakeHeadlessEngine() const
    {
        return HeadlessEngine(
            rules, managers, handOffFactory(), directory, std::cerr, TerminalStatus::StandardErrorStyle());
    }
};

void VTL::RunCall(const std::function<void(CallContext&)>& work)
{
    CallContext call;
    call.windows = UseWindows();
    std::optional<QtMessagePresenterScope> presenter;
    if (call.windows)
        presenter.emplace();
    call.directory = ProgramDirectoryToUse();
    call.handOffFactory = HandOffFactoryToUse();
    if (RunIntake(call.directory, call.rules, call.managers))
        work(call);
}

void VTL::AddUrl(const std::string& url, const std::string& desc, const std::string& referer)
{
    RunCall([&](CallContext& call) {
        if (!call.windows) {
            call.MakeHeadlessEngine().AddUrl(url, referer);
            return;
        }
        frmWait window(call.rules, call.managers, call.handOffFactory, call.directory);
        window.URL = url;
        window.Desc = desc;
        window.Referer = referer;
        window.exec();
    });
}

void VTL::AddUrlList(const std::vector<std::string>& urlList)
{
    RunCall([&](CallContext& call) {
        SetOriginPage(urlList.empty() ? std::string() : urlList.front());
        if (!call.windows) {
            UrlList list;
            list.Fill(urlList, call.rules);
            call.MakeHeadlessEngine().AddUrlList(list);
            return;
        }
        frmSelectURLs window(call.rules, call.managers, call.handOffFactory(), call.directory);
        window.FillList(urlList);
        window.exec();
    });
}

} // namespace vortalux
