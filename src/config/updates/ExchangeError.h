#pragma once

namespace vortalux {

// Why an exchange with the update server did not bring a whole reply.
enum class ExchangeError {
    None,
    AddressRefused, // the server address is refused (not https://, or http:// to another computer)
    Busy, // another exchange was under way
    HostNotFound,
    ConnectionRefused,
    ConnectionLost, // the connection broke, or closed before the reply's header ended
    SilenceLimit, // no data for the silence limit
    UntrustedCertificate,
    TlsFailure,
    NotHttp, // the reply is not an HTTP/1.x response
    HeaderTooLarge,
    HttpStatus, // a status other than 200 (a redirect is not followed)
    ReplyTooLarge, // the reply passes the size limit
    IncompleteTransmission, // the body ended short of its Content-Length or ran past it
    Cancelled, // Cancel() ended the wait
    NetworkError, // any other socket failure
};

} // namespace vortalux
