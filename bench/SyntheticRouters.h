#pragma once

#include "RouterFile.h"

#include <random>
#include <string>

enum class TRouterOrder { Random, Sorted };

// Routers of about 290 bytes each in the file, in no particular order, or
// sorted by name as the editor writes them.
inline std::string DefinitionsFile(int count, TRouterOrder order = TRouterOrder::Random)
{
    std::mt19937 random(42);
    TRouterList list(order == TRouterOrder::Sorted ? TRouterList::TOrder::Sorted : TRouterList::TOrder::Unsorted);
    for (int i = 0; i < count; ++i) {
        auto entry = std::make_unique<TRouterEntry>(NewRouterEntry());
        entry->HTTPPort = 80;
        entry->BrowserAuth = 1;
        entry->SavedAt = 38000.5 + i;
        const std::string name = (random() % 2 ? "Router " : "router ") + std::to_string(random() % 1000000);
        entry->RouterVendor = name;
        entry->RouterVendorURL = "www.example.com/router";
        entry->Comments = "Firmware 2.0";
        entry->GoOnline = "cgi-bin/goinet.cgi?user=%USERNAME%";
        entry->GoOffline = "cgi-bin/online3.cgi?stop=1";
        entry->StatusPage = "doc/m5.htm";
        entry->OfflineCode = "<td>0.0.0.0</td>";
        entry->BeforeIPAddress = "IP-Adresse:</td><td>";
        entry->AfterIPAddress = "</td>";
        entry->Status2Values.Add("Uptime=<td>Verbunden seit:</td><td>");
        entry->Status2Values.Add("DNS=<td>DNS-Server:</td><td>");
        list.Add(name, std::move(entry));
    }
    return SerializeRouterList(list);
}
