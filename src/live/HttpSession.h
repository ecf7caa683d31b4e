#pragma once

#include "LiveRequest.h"

#include <atomic>
#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// The bounds of a live test.
struct TLiveLimits {
    int connectTimeoutMs = 5000;
    int readTimeoutMs = 15000; // for the whole answer, from the request sent
    int maxRedirects = 5;
    std::size_t maxResponseBytes = 16u << 20;
    bool acceptAnyCertificate = false; // the user chose so, for this test only
};

// Why a request brought no usable answer.
enum class TLiveFailure {
    None,
    Unreachable,    // no such host, or no route to it
    Refused,        // nothing listens on the port
    ConnectTimeout, // no connection within the connect timeout
    ReadTimeout,    // no complete answer within the read timeout
    WrongPassword,  // HTTP 401 or 403
    Certificate,    // the TLS certificate is not trusted
    NotHttp,        // something answered, but not in HTTP (or HTTPS)
    Interrupted,    // the connection broke off before the answer was complete
    TooLarge,       // the answer exceeds the size limit
    OtherHost,      // a redirect to another host, refused
    TooManyRedirects,
    HttpStatus,     // an answer other than 2xx
    Cancelled,
    Other,
};

// Whether the test must stop after a request that failed so: a failure of
// the connection or the login leaves nothing to read from later requests.
bool StopsTheTest(TLiveFailure failure);

// One request as the log shows it, with the response.
struct TLiveExchange {
    std::string name;     // as TLiveRequest::name
    std::string method;   // "GET" or "POST"
    std::string shownUrl; // the password as "***"
    long status = 0;      // the final HTTP status, 0 without an answer
    std::size_t bytes = 0;
    long long ms = 0;     // from the first byte sent to the last received, redirects included
    std::vector<std::string> redirects; // the addresses followed, secrets as "***"
    TLiveFailure failure = TLiveFailure::None;
    std::string message;  // German when it failed
    std::string body;     // the final answer's content, as received
};

// Stops a running test from any thread, promptly: the request under way is
// woken from its wait and aborted.
class TLiveCancel {
public:
    void Cancel();
    bool Cancelled() const { return m_cancelled; }

private:
    friend class THttpSession;
    void Attach(void* multi);

    std::atomic<bool> m_cancelled{false};
    std::mutex m_mutex;
    void* m_multi = nullptr; // the session's multi handle while it lives
};

// The connection of one test: one HTTP client that keeps the cookies the
// router sets and reuses its connection, answering HTTP authentication
// (Basic and Digest) when asked to.
class THttpSession {
public:
    THttpSession(TRouterAddress address, TCredentials credentials, bool httpAuth, TLiveLimits limits,
                 TLiveCancel& cancel);
    ~THttpSession();
    THttpSession(const THttpSession&) = delete;
    THttpSession& operator=(const THttpSession&) = delete;

    // Sends the request and follows redirects on the same host.
    TLiveExchange Send(const TLiveRequest& request);

private:
    struct THandles;

    bool SameHost(const std::string& url) const;
    // Replaces the password and its MD5 in a text from outside (a redirect
    // target, a library message) by "***".
    std::string Masked(std::string text) const;
    std::string Unescaped(const std::string& text) const;
    void Fail(TLiveExchange& exchange, TLiveFailure failure, const std::string& message) const;
    // `url` is the address asked last.
    void Classify(TLiveExchange& exchange, int curlCode, bool tooLarge, const std::string& url) const;

    TRouterAddress m_address;
    TCredentials m_credentials;
    TLiveLimits m_limits;
    TLiveCancel& m_cancel;
    std::vector<std::string> m_secrets;
    std::unique_ptr<THandles> m_handles;
};

