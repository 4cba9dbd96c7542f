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

#include <QApplication>

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
        ApplicationScope::Ensure(false);
        return false;
    case VtlOptions::Interface::Windows:
        return ApplicationScope::Ensure(true);
    case VtlOptions::Interface::Automatic:
        break;
    }
    if (QCoreApplication::instance() != nullptr)
        return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
    return ApplicationScope::Ensure(ApplicationScope::DisplayAvailable());
}

std::filesystem::path VTL::ProgramDirectoryToUse() const
{
    return m_options.programDirectory.empty() ? ProgramDirectory() : m_options.programDirectory;
}

HandOffFactory VTL::HandOffFactoryToUse() const
{
    return m_options.handOffFactory ? m_options.handOffFactory : HandOffFactory(CreateDefaultHandOff);
}

void VTL::AddUrl(const std::string& url, const std::string& desc, const std::string& referer)
{
    const bool windows = UseWindows();
    std::optional<QtMessagePresenterScope> presenter;
    if (windows)
        presenter.emplace();
    const std::filesystem::path directory = ProgramDirectoryToUse();
    RuleStore rules;
    ManagerStore managers;
    if (!RunIntake(directory, rules, managers))
        return;

    if (!windows) {
        HeadlessEngine engine(rules, managers, HandOffFactoryToUse()(), directory, std::cerr,
            TerminalStatus::StandardErrorIsTerminal());
        engine.AddUrl(url, referer);
        return;
    }
    frmWait window(rules, managers, HandOffFactoryToUse(), directory);
    window.URL = url;
    window.Desc = desc;
    window.Referer = referer;
    window.exec();
}

void VTL::AddUrlList(const std::vector<std::string>& urlList)
{
    const bool windows = UseWindows();
    std::optional<QtMessagePresenterScope> presenter;
    if (windows)
        presenter.emplace();
    const std::filesystem::path directory = ProgramDirectoryToUse();
    RuleStore rules;
    ManagerStore managers;
    if (!RunIntake(directory, rules, managers))
        return;
    SetOriginPage(urlList.empty() ? std::string() : urlList.front());

    if (!windows) {
        UrlList list;
        list.Fill(urlList, rules);
        HeadlessEngine engine(rules, managers, HandOffFactoryToUse()(), directory, std::cerr,
            TerminalStatus::StandardErrorIsTerminal());
        engine.AddUrlList(list);
        return;
    }
    frmSelectURLs window(rules, managers, HandOffFactoryToUse()(), directory);
    window.FillList(urlList);
    window.exec();
}

} // namespace vortalux
