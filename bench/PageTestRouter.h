#pragma once

#include "RouterEntry.h"

#include <sys/resource.h>

#include <string>

// The rows that the status-page benchmarks put at the end of a synthetic
// page, and a router whose rules read them: offline code, address, and five
// properties of status query 2, one of which the page lacks.
inline const char* const kStatusPageTail =
    "<tr>\r\n  <td>IP-Adresse:</td> <td> 84.1.2.3 </td>\r\n</tr>\r\n"
    "<tr><td>DNS:</td><td>9.9.9.9</td></tr>\r\n<tr><td>Firmware:</td><td>1.14</td></tr>\r\n"
    "<input type=\"checkbox\" name=\"dhcp\" checked>\r\n</table></body></html>\r\n";

inline TRouterEntry StatusPageRouter()
{
    TRouterEntry entry = NewRouterEntry();
    entry.OfflineCode = "Status:getrennt";
    entry.BeforeIPAddress = "IP-Adresse:</td><td>";
    entry.AfterIPAddress = "</td>";
    entry.Status2Values.Add("DNS=DNS:</td><td>");
    entry.Status2Values.Add("Firmware={startpos=Firmware}<td>");
    entry.Status2Values.Add("DHCP=name=\"dhcp\"");
    entry.Status2Values.Add("Verbindung={3}Verbindung");
    entry.Status2Values.Add("Fehlt=<td>Uptime:</td>");
    return entry;
}

// 2,000 properties of status query 3 for a page that holds "key" every 4 KiB
// and no terminator: property i takes the rest behind the i-th "key", so
// every value runs to the end of the page.
inline void AddKeyProperties(TPropertyList& properties)
{
    for (int i = 0; i < 2000; ++i)
        properties.Add("Wert" + std::to_string(i) + "={" + std::to_string(i + 1) + "}key");
}

// The process's peak resident memory so far.
inline double PeakRssMiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0; // kilobytes on Linux
}
