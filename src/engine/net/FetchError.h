#pragma once

namespace vortalux {

// Why a page download ended without the whole page.
enum class FetchError {
    None,
    AddressRefused, // not an http, https or ftp address, a bad port, a host with control bytes
    Busy, // another download of the same fetcher was under way
    HostNotFound,
    ConnectionRefused,
    ConnectionLost, // the connection broke, or closed before the response header ended
    SilenceLimit, // no data for the silence limit
    TimeLimit, // the page took longer than the overall limit (what had arrived is kept)
    UntrustedCertificate,
    TlsFailure,
    NotHttp, // the answer is not an HTTP/1.x response
    HeaderTooLarge,
    PageTooLarge, // the page was cut at the size limit (the part is kept)
    TooManyRedirects,
    HttpStatus, // a status other than 200, or a redirect without a usable Location
    Stopped, // Finish() ended the wait (what had arrived is kept)
    Cancelled, // Cancel() ended the wait
    NetworkError, // any other socket failure
};

} // namespace vortalux
