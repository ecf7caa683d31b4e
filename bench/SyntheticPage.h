#pragma once

#include <chrono>
#include <cstddef>
#include <cstdio>
#include <string>

// A router status page of about `size` bytes: indented table rows with
// labels and values, as routers serve them, and the wanted rows at the end.
inline std::string SyntheticStatusPage(std::size_t size, const std::string& tail)
{
    std::string page = "<html>\r\n<head><title>Status</title></head>\r\n<body>\r\n<table class=\"status\">\r\n";
    char row[256];
    for (int i = 0; page.size() + tail.size() < size; ++i) {
        std::snprintf(row, sizeof row,
                      "  <tr id=\"row%d\">\r\n    <td class=\"label\">Verbindung %d:</td>\r\n"
                      "    <td class=\"value\">verbunden seit %d Minuten; Paket %d</td>\r\n  </tr>\r\n",
                      i, i % 7, i % 1440, i * 31);
        page += row;
    }
    page += tail;
    return page;
}

// Wall-clock seconds of one call.
template <typename Work>
double SecondsOf(Work&& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}
