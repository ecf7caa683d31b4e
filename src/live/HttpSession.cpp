#include "HttpSession.h"

#include "Cp1252Text.h"

#include <curl/curl.h>
#include <openssl/x509_vfy.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <mutex>
#include <new>
#include <optional>
#include <stdexcept>

namespace {

// An address, a request or what the library says (Windows-1252 bytes, as
// the record's texts) in a message, a line break in it escaped as well.
std::string InMessage(std::string_view cp1252)
{
    return Shown(TCp1252Text(cp1252));
}

void InitLibrary()
{
    static std::once_flag once;
    std::call_once(once, [] {
        if (curl_global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK)
            throw std::runtime_error("Die HTTP-Bibliothek lässt sich nicht starten.");
    });
}

// Why the certificate was not trusted, in words a user knows; libcurl's
// own text for the cases a router's certificate seldom has.
std::string CertificateReason(long verifyResult, std::string_view curlError)
{
    switch (verifyResult) {
    case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
    case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
        return "es ist selbst signiert, wie meist bei Routern";
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
        return "es stammt von keiner bekannten Zertifizierungsstelle";
    case X509_V_ERR_CERT_HAS_EXPIRED:
        return "es ist abgelaufen";
    case X509_V_ERR_CERT_NOT_YET_VALID:
        return "es ist noch nicht gültig";
    case X509_V_OK:
        // Verified, but issued for another name than the address.
        if (curlError.find("subject name") != std::string_view::npos)
            return "es ist für einen anderen Rechnernamen ausgestellt";
        break;
    default:
        break;
    }
    return InMessage(curlError);
}

std::string Seconds(int ms)
{
    return std::to_string((ms + 999) / 1000) + " s";
}

// A part of an address as the library reads it; empty where it has none.
std::string UrlPart(const std::string& url, CURLUPart part, unsigned flags = 0)
{
    CURLU* parsed = curl_url();
    std::string text;
    char* value = nullptr;
    if (parsed && curl_url_set(parsed, CURLUPART_URL, url.c_str(), 0) == CURLUE_OK
        && curl_url_get(parsed, part, &value, flags) == CURLUE_OK) {
        text = value;
        curl_free(value);
    }
    curl_url_cleanup(parsed);
    return text;
}

std::string HostPart(const std::string& url)
{
    const std::string scheme = UrlPart(url, CURLUPART_SCHEME);
    return scheme == "http" || scheme == "https" ? UrlPart(url, CURLUPART_HOST) : std::string();
}

// The address without "user:password@", which the library puts into a
// redirect target when it logs in by HTTP authentication.
std::string WithoutUserInfo(const std::string& url)
{
    CURLU* parsed = curl_url();
    std::string plain = url;
    char* value = nullptr;
    if (parsed && curl_url_set(parsed, CURLUPART_URL, url.c_str(), 0) == CURLUE_OK
        && curl_url_set(parsed, CURLUPART_USER, nullptr, 0) == CURLUE_OK
        && curl_url_set(parsed, CURLUPART_PASSWORD, nullptr, 0) == CURLUE_OK
        && curl_url_get(parsed, CURLUPART_URL, &value, 0) == CURLUE_OK) {
        plain = value;
        curl_free(value);
    }
    curl_url_cleanup(parsed);
    return plain;
}

bool EqualNoCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

} // namespace

bool StopsTheTest(TLiveFailure failure)
{
    return failure != TLiveFailure::None && failure != TLiveFailure::HttpStatus;
}

void TLiveCancel::Cancel()
{
    m_cancelled = true;
    std::lock_guard lock(m_mutex);
    if (m_multi)
        curl_multi_wakeup(static_cast<CURLM*>(m_multi));
}

void TLiveCancel::Attach(void* multi)
{
    std::lock_guard lock(m_mutex);
    m_multi = multi;
}

struct THttpSession::THandles {
    CURL* easy = nullptr;
    CURLM* multi = nullptr;
    curl_slist* headers = nullptr;
    char error[CURL_ERROR_SIZE] = {};
    std::string body;
    std::size_t limit = 0;
    bool tooLarge = false;

    ~THandles()
    {
        if (multi)
            curl_multi_cleanup(multi);
        if (easy)
            curl_easy_cleanup(easy);
        curl_slist_free_all(headers);
    }

    static std::size_t Write(char* data, std::size_t size, std::size_t count, void* user)
    {
        auto* self = static_cast<THandles*>(user);
        const std::size_t bytes = size * count;
        if (bytes > self->limit - self->body.size()) {
            self->tooLarge = true;
            return 0;
        }
        self->body.append(data, bytes);
        return bytes;
    }

    // One transfer, woken by TLiveCancel::Cancel while it waits. The read
    // timeout runs from the moment the request has gone out.
    CURLcode Perform(const TLiveCancel& cancel, std::chrono::milliseconds readTimeout)
    {
        using Clock = std::chrono::steady_clock;
        std::optional<Clock::time_point> sentAt;
        body.clear();
        tooLarge = false;
        error[0] = '\0';
        if (cancel.Cancelled())
            return CURLE_ABORTED_BY_CALLBACK;
        curl_multi_add_handle(multi, easy);
        CURLcode result = CURLE_OK;
        for (;;) {
            int running = 0;
            if (curl_multi_perform(multi, &running) != CURLM_OK) {
                result = CURLE_OUT_OF_MEMORY;
                break;
            }
            if (running == 0) {
                int queued = 0;
                while (CURLMsg* message = curl_multi_info_read(multi, &queued)) {
                    if (message->msg == CURLMSG_DONE)
                        result = message->data.result;
                }
                break;
            }
            if (cancel.Cancelled()) {
                result = CURLE_ABORTED_BY_CALLBACK;
                break;
            }
            long sent = 0;
            if (!sentAt && curl_easy_getinfo(easy, CURLINFO_REQUEST_SIZE, &sent) == CURLE_OK && sent > 0)
                sentAt = Clock::now();
            auto wait = std::chrono::milliseconds(1000);
            if (sentAt) {
                const auto left = readTimeout - std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - *sentAt);
                if (left.count() <= 0) {
                    result = CURLE_OPERATION_TIMEDOUT;
                    break;
                }
                wait = std::min(wait, left);
            }
            curl_multi_poll(multi, nullptr, 0, int(wait.count()), nullptr);
        }
        curl_multi_remove_handle(multi, easy);
        return result;
    }
};

THttpSession::THttpSession(TRouterAddress address, TCredentials credentials, bool httpAuth, TLiveLimits limits,
                           TLiveCancel& cancel)
    : m_address(std::move(address)),
      m_credentials(std::move(credentials)),
      m_limits(limits),
      m_cancel(cancel),
      m_handles(std::make_unique<THandles>())
{
    InitLibrary();
    if (!m_credentials.password.empty()) {
        std::string md5 = Md5Hex(m_credentials.password);
        std::string md5Upper = md5;
        for (char& c : md5Upper)
            c = char(std::toupper(static_cast<unsigned char>(c)));
        std::string plusForSpace = m_credentials.password;
        std::replace(plusForSpace.begin(), plusForSpace.end(), ' ', '+');
        m_secrets = {PercentEncoded(m_credentials.password), m_credentials.password, plusForSpace, md5, md5Upper};
    }
    THandles& h = *m_handles;
    h.easy = curl_easy_init();
    h.multi = curl_multi_init();
    if (!h.easy || !h.multi)
        throw std::bad_alloc();
    h.limit = m_limits.maxResponseBytes;
    CURL* easy = h.easy;
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    // A name that takes long to resolve must not hold up a cancel or a
    // timeout: its lookup is left to end on its own.
    curl_easy_setopt(easy, CURLOPT_QUICK_EXIT, 1L);
    // The router is asked directly, never through a proxy from the environment.
    curl_easy_setopt(easy, CURLOPT_PROXY, "");
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_COOKIEFILE, "");
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(easy, CURLOPT_USERAGENT, "Mozilla/5.0 (compatible)");
    // Some routers compress their pages even unasked; they are read as a
    // browser shows them. The request itself asks for no compression.
    curl_easy_setopt(easy, CURLOPT_ACCEPT_ENCODING, "");
    h.headers = curl_slist_append(nullptr, "Accept-Encoding:");
    if (!h.headers)
        throw std::bad_alloc();
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, h.headers);
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, long(m_limits.connectTimeoutMs));
    curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, long(m_limits.connectTimeoutMs) + m_limits.readTimeoutMs);
    curl_easy_setopt(easy, CURLOPT_MAXFILESIZE_LARGE, curl_off_t(m_limits.maxResponseBytes));
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &THandles::Write);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &h);
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, h.error);
    if (m_limits.acceptAnyCertificate) {
        curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 0L);
        curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 0L);
    }
    if (httpAuth) {
        curl_easy_setopt(easy, CURLOPT_HTTPAUTH, long(CURLAUTH_BASIC | CURLAUTH_DIGEST));
        curl_easy_setopt(easy, CURLOPT_USERNAME, m_credentials.user.c_str());
        curl_easy_setopt(easy, CURLOPT_PASSWORD, m_credentials.password.c_str());
    }
    m_cancel.Attach(h.multi);
}

THttpSession::~THttpSession()
{
    m_cancel.Attach(nullptr);
}

TLiveExchange THttpSession::Send(const TLiveRequest& request)
{
    TLiveExchange exchange;
    exchange.name = request.name;
    exchange.method = request.Method();
    exchange.shownUrl = request.shownUrl;
    if (!SameHost(request.url)) {
        Fail(exchange, TLiveFailure::OtherHost,
             "Die Anfrage geht nicht an den Router, sondern an " + InMessage(Masked(request.shownUrl))
                 + "; sie wird nicht gesendet.");
        return exchange;
    }
    CURL* easy = m_handles->easy;
    std::string url = request.url;
    bool post = request.post;
    const auto started = std::chrono::steady_clock::now();
    long status = 0;
    for (int hop = 0;; ++hop) {
        curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
        if (post) {
            curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, curl_off_t(request.body.size()));
            curl_easy_setopt(easy, CURLOPT_COPYPOSTFIELDS, request.body.c_str());
        } else {
            curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
        }
        const CURLcode result = m_handles->Perform(m_cancel, std::chrono::milliseconds(m_limits.readTimeoutMs));
        exchange.ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started)
                          .count();
        if (result != CURLE_OK) {
            Classify(exchange, result, m_handles->tooLarge, url);
            return exchange;
        }
        curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
        char* location = nullptr;
        curl_easy_getinfo(easy, CURLINFO_REDIRECT_URL, &location);
        if (status < 300 || status > 399 || !location)
            break;
        url = WithoutUserInfo(location);
        exchange.redirects.push_back(Masked(url));
        if (hop == m_limits.maxRedirects) {
            exchange.status = status;
            Fail(exchange, TLiveFailure::TooManyRedirects,
                 "Der Router leitet mehr als " + std::to_string(m_limits.maxRedirects) + "-mal weiter; abgebrochen.");
            return exchange;
        }
        if (!SameHost(url)) {
            exchange.status = status;
            Fail(exchange, TLiveFailure::OtherHost,
                 "Der Router leitet an einen anderen Rechner weiter (" + InMessage(Masked(url))
                     + "); dorthin wird nicht verbunden.");
            return exchange;
        }
        // As browsers do: these redirects are followed with GET, 307 and 308 repeat the POST.
        if (status != 307 && status != 308)
            post = false;
    }
    exchange.status = status;
    exchange.body = std::move(m_handles->body);
    exchange.bytes = exchange.body.size();
    if (status == 401 || status == 403)
        Fail(exchange, TLiveFailure::WrongPassword,
             "Der Router lehnt die Anmeldung ab (HTTP " + std::to_string(status)
                 + "). Stimmen Benutzername und Passwort?");
    else if (status < 200 || status > 299)
        Fail(exchange, TLiveFailure::HttpStatus, "Der Router antwortet mit HTTP " + std::to_string(status) + ".");
    return exchange;
}

bool THttpSession::SameHost(const std::string& url) const
{
    return EqualNoCase(HostPart(url), m_address.host);
}

std::string THttpSession::Masked(std::string text) const
{
    const auto maskAll = [this](std::string form) {
        for (const std::string& secret : m_secrets) {
            for (std::size_t at = form.find(secret); at != std::string::npos; at = form.find(secret, at + 3))
                form.replace(at, secret.size(), "***");
        }
        return form;
    };
    // A secret may come back encoded in any way; where it shows in a decoded
    // form of the text, that form is shown, with the secret masked.
    std::string shown = maskAll(std::move(text));
    for (const bool plusIsSpace : {false, true}) {
        std::string decoded = shown;
        if (plusIsSpace)
            std::replace(decoded.begin(), decoded.end(), '+', ' ');
        decoded = Unescaped(decoded);
        if (std::string masked = maskAll(decoded); masked != decoded)
            shown = std::move(masked);
    }
    return shown;
}

std::string THttpSession::Unescaped(const std::string& text) const
{
    int length = 0;
    char* plain = curl_easy_unescape(m_handles->easy, text.data(), int(text.size()), &length);
    if (!plain)
        return text;
    std::string decoded(plain, std::size_t(length));
    curl_free(plain);
    return decoded;
}

void THttpSession::Fail(TLiveExchange& exchange, TLiveFailure failure, const std::string& message) const
{
    exchange.failure = failure;
    exchange.message = message;
}

void THttpSession::Classify(TLiveExchange& exchange, int code, bool tooLarge, const std::string& url) const
{
    CURL* easy = m_handles->easy;
    // Named as asked last: after a redirect, that may be another port.
    const std::string where =
        InMessage(UrlPart(url, CURLUPART_HOST)) + ":" + UrlPart(url, CURLUPART_PORT, CURLU_DEFAULT_PORT);
    const bool https = UrlPart(url, CURLUPART_SCHEME) == "https";
    if (code == CURLE_ABORTED_BY_CALLBACK && m_cancel.Cancelled())
        return Fail(exchange, TLiveFailure::Cancelled, "Der Test wurde abgebrochen.");
    if (tooLarge || code == CURLE_FILESIZE_EXCEEDED)
        return Fail(exchange, TLiveFailure::TooLarge,
                    "Die Antwort ist größer als " + std::to_string(m_limits.maxResponseBytes >> 20)
                        + " MiB; der Empfang wurde abgebrochen.");
    switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
        return Fail(exchange, TLiveFailure::Unreachable,
                    "Der Rechner \"" + InMessage(m_address.host)
                        + "\" ist nicht bekannt (der Name lässt sich nicht auflösen).");
    case CURLE_COULDNT_CONNECT: {
        long error = 0;
        curl_easy_getinfo(easy, CURLINFO_OS_ERRNO, &error);
#ifdef _WIN32
        const long refused = 10061; // WSAECONNREFUSED
#else
        const long refused = ECONNREFUSED;
#endif
        if (error == refused)
            return Fail(exchange, TLiveFailure::Refused,
                        where + " lehnt die Verbindung ab: Dort antwortet kein Webserver. Stimmen Adresse und Port?");
        return Fail(exchange, TLiveFailure::Unreachable, where + " ist nicht erreichbar.");
    }
    case CURLE_OPERATION_TIMEDOUT: {
        long sent = 0;
        curl_easy_getinfo(easy, CURLINFO_REQUEST_SIZE, &sent);
        if (sent == 0)
            return Fail(exchange, TLiveFailure::ConnectTimeout,
                        "Keine Verbindung zu " + where + " innerhalb von " + Seconds(m_limits.connectTimeoutMs)
                            + ": Der Router antwortet nicht.");
        return Fail(exchange, TLiveFailure::ReadTimeout,
                    "Zeitüberschreitung: " + where + " hat nicht innerhalb von "
                        + Seconds(m_limits.readTimeoutMs) + " vollständig geantwortet.");
    }
    case CURLE_PEER_FAILED_VERIFICATION: {
        long verifyResult = X509_V_OK;
        curl_easy_getinfo(easy, CURLINFO_SSL_VERIFYRESULT, &verifyResult);
        return Fail(exchange, TLiveFailure::Certificate,
                    "Das Zertifikat von " + where + " ist nicht vertrauenswürdig ("
                        + CertificateReason(verifyResult, Masked(m_handles->error)) + ").");
    }
    case CURLE_UNSUPPORTED_PROTOCOL:
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_GOT_NOTHING:
    case CURLE_SSL_CONNECT_ERROR:
        return Fail(exchange, TLiveFailure::NotHttp,
                    where + (https ? " antwortet nicht mit HTTPS (TLS)." : " antwortet nicht mit HTTP."));
    case CURLE_PARTIAL_FILE:
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
        return Fail(exchange, TLiveFailure::Interrupted,
                    where + " hat die Verbindung abgebrochen, bevor die Antwort vollständig war.");
    default:
        break;
    }
    const std::string detail = m_handles->error[0] ? m_handles->error : curl_easy_strerror(CURLcode(code));
    Fail(exchange, TLiveFailure::Other,
         "Die Anfrage an " + where + " ist fehlgeschlagen: " + InMessage(Masked(detail)));
}
