#include "InstallUpdates.h"

#include "ServerExchange.h"
#include "UpdateFileList.h"
#include "UpdateInstaller.h"

namespace fs = std::filesystem;

namespace vortalux {

namespace {

// One install run: the frame it shows and the exchange it waits on.
class Installer {
public:
    Installer(ServerExchange& exchange, const fs::path& programDirectory, const UpdateCheckResult& check,
        const InstallViewCallback& onView, std::string_view decimalSeparator)
        : m_exchange(exchange)
        , m_directory(programDirectory)
        , m_check(check)
        , m_onView(onView)
        , m_decimalSeparator(decimalSeparator)
    {
        m_result.view.results = check.results;
    }

    InstallResult Run()
    {
        InstallView& view = m_result.view;
        for (size_t row = 0; row < 3; ++row)
            view.captions[row] = InstallTexts::InstallCaptions[row];
        Show();
        if (m_check.coreStatus >= 1 && !InstallProgramFiles())
            return Stop();
        if (!InstallItems(UpdateList::Managers, m_check.managerUpdates, m_result.installedManagers))
            return Stop();
        if (!InstallItems(UpdateList::Rules, m_check.ruleUpdates, m_result.installedRules))
            return Stop();
        m_result.outcome = InstallResult::Outcome::Done;
        return std::move(m_result);
    }

private:
    bool InstallProgramFiles()
    {
        InstallView& view = m_result.view;
        view.status = view.captions[0];
        view.results[0] = InstallTexts::FileList;
        view.boldRow = 0;
        view.progress = 0;
        Show();
        if (!Fetch("core", {}))
            return false;
        const std::string& reply = m_exchange.ReplyText();
        const auto names
            = reply.starts_with("ok") ? ReadProgramFileList(std::string_view(reply).substr(2)) : std::nullopt;
        if (!names)
            return IncorrectData();

        const std::vector<std::string> fetched = ProgramFilesToFetch(*names, m_check.coreStatus);
        for (size_t k = 0; k < fetched.size(); ++k) {
            const std::string& name = fetched[k];
            view.results[0] = std::to_string(k + 1) + "/" + std::to_string(fetched.size()) + ": " + name;
            view.progress = 0;
            Show();
            if (!Fetch("core/" + name, name))
                return false;
            const fs::path copy = m_directory / (name + std::string(UpdateInstaller::CopySuffix));
            if (!Save(copy, name))
                return false;
            m_result.programCopies.push_back(copy);
        }
        view.results[0] = InstallTexts::RowDone;
        view.boldRow = -1;
        Show();
        std::error_code error;
        if (!UpdateFileList::Write(m_directory, m_result.programCopies, error))
            return WriteFailure(std::string(UpdateFileList::FileName), error);
        return true;
    }

    bool InstallItems(
        UpdateList list, const std::vector<UpdateItem>& items, std::vector<std::string>& installed)
    {
        InstallView& view = m_result.view;
        const size_t row = list == UpdateList::Managers ? 1 : 2;
        view.status = view.captions[row];
        view.results[row] = "-";
        view.boldRow = static_cast<int>(row);
        Show();
        for (size_t i = 0; i < items.size(); ++i) {
            const UpdateItem& item = items[i];
            if (!item.selected)
                continue;
            // The position counts the items passed over too.
            view.results[row] = std::to_string(i + 1) + "/" + std::to_string(items.size()) + ": " + item.name;
            view.progress = 0;
            Show();
            const std::string fileName = ItemFileName(list, item.name);
            if (!Fetch(ItemRequestName(list, item.name), fileName))
                return false;
            if (!Save(ItemTarget(m_directory, list, item.name), fileName))
                return false;
            installed.push_back(item.name);
        }
        view.results[row] = InstallTexts::RowDone;
        view.boldRow = -1;
        Show();
        return true;
    }

    // One "getfile" exchange; `shownName` names the file in the progress and in the message of an
    // incomplete transmission (the file list has none: it has no progress caption). False, with
    // the frame showing why, when the reply is not a whole "ok" reply.
    bool Fetch(const std::string& requestName, const std::string& shownName)
    {
        InstallView& view = m_result.view;
        m_exchange.ClearRequest();
        m_exchange.AddVarToBuffer("action", "getfile");
        m_exchange.AddVarToBuffer("name", requestName);
        const auto step = [&](std::int64_t contentLength, std::uint64_t received) {
            if (contentLength <= 0)
                return;
            const float percent = DownloadPercent(received, contentLength);
            view.progress = static_cast<int>(percent);
            if (!shownName.empty())
                view.status = DownloadingText(shownName, percent, m_decimalSeparator);
            Show();
        };
        const ExchangeError error = m_exchange.PostToServer([&](const ServerExchange::Progress& progress) {
            step(progress.contentLength, progress.received);
        });
        step(m_exchange.ContentLength(), m_exchange.ReplyText().size());
        if (error == ExchangeError::IncompleteTransmission) {
            m_result.failure = m_exchange.LastFailure();
            // The file list has no completeness message of its own: a cut list is incorrect data.
            if (shownName.empty())
                return IncorrectData();
            return Fail(std::string(InstallTexts::IncompleteTransmission) + shownName);
        }
        if (error != ExchangeError::None) {
            m_result.failure = m_exchange.LastFailure();
            // A refused address is said as it is: nothing was asked of any server.
            if (error == ExchangeError::AddressRefused)
                return Fail(m_result.failure);
            return IncorrectData();
        }
        if (!m_exchange.ReplyText().starts_with("ok"))
            return IncorrectData();
        return true;
    }

    bool Save(const fs::path& target, const std::string& shownName)
    {
        std::error_code error;
        if (!SaveFetchedFile(target, std::string_view(m_exchange.ReplyText()).substr(2), error))
            return WriteFailure(shownName, error);
        return true;
    }

    bool WriteFailure(const std::string& shownName, const std::error_code& error)
    {
        m_result.failure = error.message();
        return Fail(std::string(InstallTexts::CannotWrite) + shownName + " (" + error.message() + ")");
    }

    bool IncorrectData() { return Fail(std::string(UpdateTexts::IncorrectData)); }

    bool Fail(std::string status)
    {
        m_result.view.status = std::move(status);
        m_result.view.progress = 0;
        Show();
        return false;
    }

    InstallResult Stop()
    {
        m_result.outcome = InstallResult::Outcome::Stopped;
        return std::move(m_result);
    }

    void Show()
    {
        if (m_onView)
            m_onView(m_result.view);
    }

    ServerExchange& m_exchange;
    const fs::path& m_directory;
    const UpdateCheckResult& m_check;
    const InstallViewCallback& m_onView;
    std::string_view m_decimalSeparator;
    InstallResult m_result;
};

} // namespace

InstallResult InstallUpdates(ServerExchange& exchange, const fs::path& programDirectory,
    const UpdateCheckResult& check, const InstallViewCallback& onView, std::string_view decimalSeparator)
{
    return Installer(exchange, programDirectory, check, onView, decimalSeparator).Run();
}

} // namespace vortalux
