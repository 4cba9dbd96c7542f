#include "ServerCommandLine.h"

#include "JsonWriter.h"
#include "ReportStore.h"
#include "TerminalText.h"
#include "UpdateServer.h"

#include <QCoreApplication>
#include <QFile>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>

#include <charconv>
#include <map>

namespace vortalux::server {

namespace {

constexpr const char* Usage
    = "usage: vortalux-server serve --root DIR --listen ADDRESS:PORT [--db FILE]\n"
      "                             [--tls-cert FILE --tls-key FILE] [--max-body BYTES]\n"
      "                             [--reports-per-minute N] [--trusted-proxy ADDRESS]\n"
      "       vortalux-server reports --db FILE [--json]\n";

// Options of the form "--name value" and "--flag"; false on an unknown or incomplete option.
bool ParseOptions(const std::vector<std::string>& arguments, const std::vector<std::string>& valued,
    const std::vector<std::string>& flags, std::map<std::string, std::string>& options, std::ostream& err)
{
    for (size_t i = 1; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (std::find(flags.begin(), flags.end(), argument) != flags.end()) {
            options[argument] = "";
        } else if (std::find(valued.begin(), valued.end(), argument) != valued.end()
            && i + 1 < arguments.size()) {
            options[argument] = arguments[++i];
        } else {
            err << "vortalux-server: unexpected argument " << TerminalText(argument) << "\n" << Usage;
            return false;
        }
    }
    return true;
}

template<typename Number> bool ParseNumber(const std::string& text, Number& value)
{
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return !text.empty() && error == std::errc() && end == text.data() + text.size();
}

bool ParseListen(const std::string& text, QHostAddress& address, quint16& port)
{
    std::string host;
    std::string portText;
    if (text.starts_with('[')) {
        const size_t close = text.find("]:");
        if (close == std::string::npos)
            return false;
        host = text.substr(1, close - 1);
        portText = text.substr(close + 2);
    } else {
        const size_t colon = text.rfind(':');
        if (colon == std::string::npos)
            return false;
        host = text.substr(0, colon);
        portText = text.substr(colon + 1);
    }
    if (host == "localhost")
        address = QHostAddress(QHostAddress::LocalHost);
    else if (host == "*")
        address = QHostAddress(QHostAddress::Any);
    else
        address = QHostAddress(QString::fromStdString(host));
    return !address.isNull() && ParseNumber(portText, port);
}

bool LoadTls(
    const std::string& certPath, const std::string& keyPath, QSslConfiguration& tls, std::ostream& err)
{
    const auto chain = QSslCertificate::fromPath(QString::fromStdString(certPath), QSsl::Pem);
    QFile keyFile(QString::fromStdString(keyPath));
    if (chain.isEmpty() || !keyFile.open(QIODevice::ReadOnly)) {
        err << "vortalux-server: cannot read the certificate " << TerminalText(certPath) << " or the key "
            << TerminalText(keyPath) << "\n";
        return false;
    }
    const QByteArray keyBytes = keyFile.readAll();
    QSslKey key;
    for (const QSsl::KeyAlgorithm algorithm : {QSsl::Rsa, QSsl::Ec, QSsl::Dsa}) {
        key = QSslKey(keyBytes, algorithm, QSsl::Pem);
        if (!key.isNull())
            break;
    }
    if (key.isNull()) {
        err << "vortalux-server: the key " << TerminalText(keyPath) << " is not a PEM private key\n";
        return false;
    }
    tls = QSslConfiguration::defaultConfiguration();
    tls.setLocalCertificateChain(chain);
    tls.setPrivateKey(key);
    tls.setPeerVerifyMode(QSslSocket::VerifyNone);
    return true;
}

int Serve(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err)
{
    std::map<std::string, std::string> options;
    if (!ParseOptions(arguments,
            {"--root", "--listen", "--db", "--tls-cert", "--tls-key", "--max-body", "--reports-per-minute",
                "--trusted-proxy"},
            {}, options, err))
        return 2;
    if (!options.contains("--root") || !options.contains("--listen")
        || options.contains("--tls-cert") != options.contains("--tls-key")) {
        err << Usage;
        return 2;
    }
    ServerSettings settings;
    settings.root = options["--root"];
    if (options.contains("--db"))
        settings.database = options["--db"];
    if (options.contains("--max-body") && !ParseNumber(options["--max-body"], settings.limits.maxBodyBytes)) {
        err << "vortalux-server: --max-body takes a number of bytes\n";
        return 2;
    }
    if (options.contains("--reports-per-minute")
        && !ParseNumber(options["--reports-per-minute"], settings.reportsPerMinute)) {
        err << "vortalux-server: --reports-per-minute takes a whole number (0: no limit)\n";
        return 2;
    }
    if (options.contains("--trusted-proxy")) {
        settings.trustedProxy = QHostAddress(QString::fromStdString(options["--trusted-proxy"]));
        if (settings.trustedProxy->isNull()) {
            err << "vortalux-server: --trusted-proxy takes an IP address\n";
            return 2;
        }
    }
    QHostAddress address;
    quint16 port = 0;
    if (!ParseListen(options["--listen"], address, port)) {
        err << "vortalux-server: --listen takes ADDRESS:PORT, for example 127.0.0.1:8080 or [::1]:8080\n";
        return 2;
    }
    std::error_code fsError;
    if (!std::filesystem::is_directory(settings.root, fsError)) {
        err << "vortalux-server: " << TerminalText(settings.root.string()) << " is not a folder\n";
        return 1;
    }
    if (!std::filesystem::exists(settings.root / "core" / "versions.ini", fsError))
        err << "vortalux-server: warning: "
            << TerminalText((settings.root / "core" / "versions.ini").string())
            << " is missing; \"versions\" is refused until it exists\n";

    QSslConfiguration tls;
    const bool useTls = options.contains("--tls-cert");
    if (useTls && !LoadTls(options["--tls-cert"], options["--tls-key"], tls, err))
        return 1;
    std::string error;
    auto server = UpdateServer::Create(settings, error);
    if (!server) {
        err << "vortalux-server: " << TerminalText(error) << "\n";
        return 1;
    }
    const quint16 listening = server->Listen(address, port, useTls ? &tls : nullptr, error);
    if (listening == 0) {
        err << "vortalux-server: cannot listen on " << TerminalText(options["--listen"]) << ": "
            << TerminalText(error) << "\n";
        return 1;
    }
    const std::string host = address.protocol() == QAbstractSocket::IPv6Protocol
        ? "[" + address.toString().toStdString() + "]"
        : address.toString().toStdString();
    out << "vortalux-server: serving " << TerminalText(settings.root.string()) << " on "
        << (useTls ? "https://" : "http://") << host << ":" << listening << "/vtl.php" << std::endl;
    return QCoreApplication::exec();
}

int Reports(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err)
{
    std::map<std::string, std::string> options;
    if (!ParseOptions(arguments, {"--db"}, {"--json"}, options, err))
        return 2;
    if (!options.contains("--db")) {
        err << Usage;
        return 2;
    }
    std::string error;
    auto store = ReportStore::Open(options["--db"], ReportStore::OpenMode::ExistingOnly, error);
    std::vector<StoredReport> reports;
    if (!store || !store->All(reports, error)) {
        err << "vortalux-server: cannot read " << TerminalText(options["--db"]) << ": " << TerminalText(error)
            << "\n";
        return 1;
    }
    if (options.contains("--json")) {
        JsonWriter json(out);
        json.BeginArray();
        for (const StoredReport& report : reports) {
            json.BeginObject();
            json.Key("id").Number(report.id);
            json.Key("received").String(report.received);
            json.Key("address").String(report.address);
            json.Key("fields").BeginArray();
            for (const FormField& field : report.fields)
                json.BeginArray().String(field.name).String(field.value).EndArray();
            json.EndArray();
            json.EndObject();
        }
        json.EndArray();
        json.Finish();
    } else {
        for (const StoredReport& report : reports) {
            out << "#" << report.id << " " << report.received << " " << TerminalText(report.address) << "\n";
            for (const FormField& field : report.fields)
                out << "  " << TerminalText(field.name) << " = " << TerminalText(field.value) << "\n";
        }
        out << reports.size() << " reports\n";
    }
    out.flush();
    return out ? 0 : 1;
}

} // namespace

int RunServerCommandLine(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err)
{
    if (!arguments.empty() && arguments[0] == "serve")
        return Serve(arguments, out, err);
    if (!arguments.empty() && arguments[0] == "reports")
        return Reports(arguments, out, err);
    err << Usage;
    return 2;
}

} // namespace vortalux::server
