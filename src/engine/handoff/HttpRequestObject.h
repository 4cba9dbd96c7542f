#pragma once

#include "RunBudget.h"
#include "ScriptObject.h"

#include <chrono>
#include <string>
#include <utility>
#include <vector>

namespace vortalux::script {
class ScriptHost;
}

namespace vortalux {

// "MSXML2.XMLHTTP", "MSXML2.ServerXMLHTTP" and "WinHttp.WinHttpRequest.5.1": one synchronous
// HTTP(S) request at a time, on Qt Network. `send` returns when the response is complete; while
// it waits, the thread's Qt events run (windows stay responsive), which needs a QCoreApplication.
//   open(method, url [, async [, user, password]])   async is accepted; send still completes
//   setRequestHeader(name, value), send([body]), abort
//   status, statusText, responseText, readyState, getResponseHeader(name),
//   getAllResponseHeaders, waitForResponse([seconds])
//   setTimeouts(resolve, connect, send, receive)     milliseconds; the largest bounds silence
//   setOption 2, flags / Option(4) = flags           non-zero: accept any server certificate
// Failures to reach the server raise WinHTTP's error numbers (for example -2147012867, "A
// connection with the server could not be established"); an HTTP error status is not a failure.
//
// Time: the time-outs keep WinHTTP's meaning, a limit on silence (each byte that arrives starts
// it again); what bounds the whole request is the running script's deadline (RunBudget): a
// server that trickles one byte a second is cut off there, and the run stops with 9000 "Script
// timed out" as a long loop does.
//
// Nothing from the script reaches the wire as a control byte: control bytes, blanks and bytes
// above 0x7F in the URL are percent-encoded; a method that is not an HTTP token, or a header
// name or value with a control byte (a tab in a value excepted), is refused with E_INVALIDARG
// (-2147024809, "The parameter is incorrect.").
class HttpRequestObject final : public script::ScriptObject {
public:
    // A server that sends nothing for this long fails the request: below the 10 s a definition
    // may run, so that the message names the server rather than the time limit.
    static constexpr std::chrono::milliseconds DefaultTimeout {8000};
    // Replies are read up to this size; the rest is dropped.
    static constexpr size_t MaxResponseBytes = size_t {64} << 20;

    explicit HttpRequestObject(std::string typeName);

    std::string TypeName() const override { return m_typeName; }
    script::Variant GetProperty(std::string_view name, std::vector<script::Variant>& args) override;
    void SetProperty(
        std::string_view name, std::vector<script::Variant>& args, const script::Variant& value) override;
    script::Variant CallMethod(std::string_view name, std::vector<script::Variant>& args) override;

private:
    enum class State { Unsent = 0, Opened = 1, Done = 4 };

    void Open(std::vector<script::Variant>& args);
    void SetRequestHeader(std::vector<script::Variant>& args);
    void ForgetResponse();
    void Send(const std::string& body);
    void RequireResponse() const;
    std::string ResponseHeader(std::string_view name) const;

    std::string m_typeName;
    State m_state = State::Unsent;
    std::string m_method;
    std::string m_url;
    std::vector<std::pair<std::string, std::string>> m_requestHeaders;
    std::chrono::milliseconds m_timeout = DefaultTimeout;
    bool m_ignoreCertificateErrors = false;

    int32_t m_status = 0;
    std::string m_statusText;
    std::string m_responseText;
    // The response text counts against the script's memory limit while the object keeps it.
    script::RunBudget::Reservation m_responseCharge;
    std::vector<std::pair<std::string, std::string>> m_responseHeaders;
};

// Registers the three ProgIDs on `host`.
void RegisterHttpRequestObjects(script::ScriptHost& host);

} // namespace vortalux
