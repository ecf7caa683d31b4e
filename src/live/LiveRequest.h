#pragma once

#include <string>
#include <string_view>
#include <variant>

// How a request of a definition becomes what is sent to the router. Texts
// are Windows-1252 bytes, as in the record.

// Where the router answers: http://HOST:PORT/ or https://HOST:PORT/.
struct TRouterAddress {
    std::string scheme; // "http" or "https"
    std::string host;   // a name, an IPv4 address or an IPv6 address in brackets
    int port = 80;

    std::string Base() const; // scheme://host:port/
};

// Reads what the user typed: a host name or IP address, optionally ":PORT",
// optionally "http://" or "https://" in front and "/" behind. Without a port
// the definition's HTTPPort is taken (443 for https when that is 80).
// Returns the German reason when the text is no such address.
std::variant<TRouterAddress, std::string> ParseRouterAddress(std::string_view text, int httpPort);

struct TCredentials {
    std::string user;
    std::string password;
};

// One request, ready to send. Every secret (the password and its MD5) is
// filled into `url` and `body`; the `shown` texts hold "***" in its place
// and are the only ones that go into logs and messages.
struct TLiveRequest {
    std::string name; // what it is for: "login", "status", "status2", "signoff", ...
    bool post = false;
    std::string url;
    std::string body;
    std::string shownUrl;
    std::string shownBody;

    const char* Method() const { return post ? "POST" : "GET"; }
};

// The request text of a record field: relative to the router's address; a
// leading "<POST>" sends the part behind the first "?" as a form body;
// "%USERNAME%" and "%PASSWORD%" become the percent-encoded user name and
// password, "MD5PasswordL()" and "MD5PasswordU()" the MD5 of the password in
// lower- or upper-case hex. A request that is a complete http:// or https://
// address is taken as such.
TLiveRequest BuildLiveRequest(std::string name, std::string_view request, const TRouterAddress& address,
                              const TCredentials& credentials);

// The MD5 of bytes in lower-case hex.
std::string Md5Hex(std::string_view bytes);
// Every byte but A-Z, a-z, 0-9, "-", ".", "_" and "~" as %XX.
std::string PercentEncoded(std::string_view bytes);
