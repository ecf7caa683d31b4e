#include "LiveRequest.h"

#include "Cp1252Text.h"
#include "Normalize.h"
#include "mwIPos.h"

#include <curl/curl.h>
#include <openssl/evp.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <new>
#include <stdexcept>
#include <memory>

namespace {

constexpr std::string_view kPost = "<POST>";

bool StartsWithNoCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && FindTextNoCase(prefix, text.substr(0, prefix.size())) == 1;
}

void AppendHex(std::string& out, unsigned char byte, bool upper = true)
{
    const char* digits = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    out += digits[byte >> 4];
    out += digits[byte & 15];
}

// The bytes of a request that a URL or a form body cannot carry as they
// are: control characters, space, non-ASCII and the characters that are
// never valid in a URL. Everything else, "%" included, stays as written.
std::string UrlSafe(std::string_view text)
{
    constexpr std::string_view unsafe = "\"<>\\^`{|}";
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte >= 0x7F || unsafe.find(c) != std::string_view::npos) {
            out += '%';
            AppendHex(out, byte);
        } else {
            out += c;
        }
    }
    return out;
}

// A request text with its placeholders filled in: once with the secrets,
// once with "***" in their place.
struct TFilled {
    std::string real;
    std::string shown;
};

TFilled FillPlaceholders(std::string_view text, const TCredentials& credentials)
{
    const std::string md5 = Md5Hex(credentials.password);
    std::string md5Upper = md5;
    for (char& c : md5Upper)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    const std::array<std::pair<std::string_view, std::pair<std::string, bool>>, 4> placeholders = {{
        {"%USERNAME%", {PercentEncoded(credentials.user), false}},
        {"%PASSWORD%", {PercentEncoded(credentials.password), true}},
        {"MD5PasswordL()", {md5, true}},
        {"MD5PasswordU()", {md5Upper, true}},
    }};
    TFilled filled;
    std::size_t literal = 0;
    std::size_t at = 0;
    while (at < text.size()) {
        const auto found = std::find_if(placeholders.begin(), placeholders.end(), [&](const auto& placeholder) {
            return StartsWithNoCase(text.substr(at), placeholder.first);
        });
        if (found == placeholders.end()) {
            ++at;
            continue;
        }
        const std::string safe = UrlSafe(text.substr(literal, at - literal));
        const auto& [value, secret] = found->second;
        filled.real += safe + value;
        filled.shown += safe + (secret ? std::string("***") : value);
        at += found->first.size();
        literal = at;
    }
    const std::string rest = UrlSafe(text.substr(literal));
    filled.real += rest;
    filled.shown += rest;
    return filled;
}

struct TUrlDeleter {
    void operator()(CURLU* url) const { curl_url_cleanup(url); }
};

std::string UrlPart(CURLU* url, CURLUPart part, unsigned flags = 0)
{
    char* value = nullptr;
    if (curl_url_get(url, part, &value, flags) != CURLUE_OK)
        return {};
    std::string text = value;
    curl_free(value);
    return text;
}

} // namespace

std::string TRouterAddress::Base() const
{
    return scheme + "://" + host + ":" + std::to_string(port) + "/";
}

std::variant<TRouterAddress, std::string> ParseRouterAddress(std::string_view text, int httpPort)
{
    const std::string typed(text);
    const std::string invalid = "\"" + Shown(TCp1252Text(typed)) +
                                "\" ist keine Adresse eines Routers (Rechnername oder IP-Adresse, "
                                "optional mit :Port und http:// oder https://).";
    if (typed.empty())
        return std::string("Bitte die Adresse des Routers angeben.");
    const bool hasScheme = typed.find("://") != std::string::npos;
    std::unique_ptr<CURLU, TUrlDeleter> url(curl_url());
    if (curl_url_set(url.get(), CURLUPART_URL, (hasScheme ? typed : "http://" + typed).c_str(), 0) != CURLUE_OK)
        return invalid;
    TRouterAddress address;
    address.scheme = UrlPart(url.get(), CURLUPART_SCHEME);
    address.host = UrlPart(url.get(), CURLUPART_HOST);
    const std::string path = UrlPart(url.get(), CURLUPART_PATH);
    if ((address.scheme != "http" && address.scheme != "https") || address.host.empty()
        || (!path.empty() && path != "/") || !UrlPart(url.get(), CURLUPART_USER).empty()
        || !UrlPart(url.get(), CURLUPART_QUERY).empty() || !UrlPart(url.get(), CURLUPART_FRAGMENT).empty())
        return invalid;
    const std::string port = UrlPart(url.get(), CURLUPART_PORT, CURLU_NO_DEFAULT_PORT);
    if (!port.empty())
        address.port = std::stoi(port);
    else if (httpPort < 1 || httpPort > 65535)
        address.port = address.scheme == "https" ? 443 : 80;
    else
        address.port = address.scheme == "https" && httpPort == 80 ? 443 : httpPort;
    if (address.port == 0) // the library takes ":0", but nothing listens there
        return invalid;
    return address;
}

TLiveRequest BuildLiveRequest(std::string name, std::string_view request, const TRouterAddress& address,
                              const TCredentials& credentials)
{
    const std::string normalized = NormalizeRequest(request);
    std::string_view target = normalized;
    TLiveRequest built;
    built.name = std::move(name);
    built.post = StartsWithNoCase(target, kPost);
    std::string_view body;
    if (built.post) {
        target.remove_prefix(kPost.size());
        if (const std::size_t question = target.find('?'); question != std::string_view::npos) {
            body = target.substr(question + 1);
            target = target.substr(0, question);
        }
        if (!target.empty() && target.front() == '/')
            target.remove_prefix(1);
    }
    const bool absolute = StartsWithNoCase(target, "http://") || StartsWithNoCase(target, "https://");
    const std::string base = absolute ? std::string() : address.Base();
    const TFilled url = FillPlaceholders(target, credentials);
    built.url = base + url.real;
    built.shownUrl = base + url.shown;
    const TFilled form = FillPlaceholders(body, credentials);
    built.body = form.real;
    built.shownBody = form.shown;
    return built;
}

std::string Md5Hex(std::string_view bytes)
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (!EVP_Digest(bytes.data(), bytes.size(), digest, &length, EVP_md5(), nullptr))
        throw std::runtime_error("MD5 ist auf diesem System nicht verfügbar.");
    std::string hex;
    for (unsigned int i = 0; i < length; ++i)
        AppendHex(hex, digest[i], false);
    return hex;
}

std::string PercentEncoded(std::string_view bytes)
{
    char* escaped = curl_easy_escape(nullptr, bytes.data(), int(bytes.size()));
    if (!escaped)
        throw std::bad_alloc();
    std::string text = escaped;
    curl_free(escaped);
    return text;
}
