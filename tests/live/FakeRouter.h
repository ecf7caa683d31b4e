#pragma once

#include "RouterEntry.h"

#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>

// The fake router that the tests start (fake_router.py): its ports and
// definitions of the login styles it serves.
namespace fakerouter {

inline const std::string kUser = "admin";
inline const std::string kPassword = "p&ss +w\xF6rt=1"; // Windows-1252, as sent
inline const std::string kPasswordUtf8 = "p&ss +w\xC3\xB6rt=1";

inline int Port(const std::string& name)
{
    std::ifstream state(FAKE_ROUTER_STATE);
    std::map<std::string, int> ports;
    std::string key;
    int value = 0;
    while (state >> key >> value)
        ports[key] = value;
    return ports.at(name);
}

inline std::string Address(const std::string& listener = "http")
{
    return "127.0.0.1:" + std::to_string(Port(listener));
}

// A definition whose status query 1 reads the fake status page; status
// queries 2 to 4 read its extra pages where the definition requests them.
inline TRouterEntry Router(const std::string& name, bool httpAuth, const std::string& statusPage)
{
    TRouterEntry entry = NewRouterEntry();
    entry.RouterVendor = name;
    entry.HTTPPort = 80;
    entry.BrowserAuth = httpAuth;
    entry.StatusPage = statusPage;
    entry.OfflineCode = "<td>Offline</td>";
    entry.BeforeIPAddress = "WAN-IP:</td><td>";
    entry.AfterIPAddress = "</td>";
    entry.Status2Values.SetValue("DNS1", "DNS1:<b>");
    entry.Status2Values.SetValue("DNS2", "DNS2:<b>");
    entry.Status3Values.SetValue("Firmware", "Firmware:<i>");
    entry.Status4Values.SetValue("DHCP", "name=dhcp");
    return entry;
}

// Logs in through a form with the MD5 of the password, keeps the session
// cookie, reads three extra pages and signs off.
inline TRouterEntry FormRouter()
{
    TRouterEntry entry = Router("Fake Formular", false, "form/status.htm");
    entry.AuthString = "<POST>form/login.cgi?user=%USERNAME%&md5=MD5PasswordL()";
    entry.Status2Page = "form/status2.htm";
    entry.Status3Page = "form/status3.htm";
    entry.Status4Page = "form/status4.htm";
    entry.SignOffURL = "form/logout.cgi";
    return entry;
}

} // namespace fakerouter
