#pragma once

#include "PropertyList.h"

#include <cstdint>
#include <string>

// One router definition. Copying a record copies its property lists too, so
// a copy shares nothing with its source.
struct TRouterEntry {
    std::int32_t HTTPPort = 0;
    std::uint8_t BrowserAuth = 0; // 0 is false, any other value true
    std::string AuthString;
    double SavedAt = 0; // days since 30 December 1899, local time
    std::string RouterVendor;
    std::string RouterVendorURL;
    std::string Comments;
    std::string GoOnline;
    std::string GoOffline;
    std::string SignOffURL;
    std::string StatusPage;
    std::string OfflineCode;
    std::string BeforeIPAddress;
    std::string AfterIPAddress;
    std::string Status2Page;
    TPropertyList Status2Values;
    std::string Status3Page;
    TPropertyList Status3Values;
    std::string Status4Page;
    TPropertyList Status4Values;
    std::string UserDef1;
    std::string UserDef2;
    std::string UserDef3;
    std::string Reserved1;
    std::string Reserved2;
    std::uint8_t ReservedFlag = 0;

    bool operator==(const TRouterEntry&) const = default;
};

// The record that a new entry starts from at its first save: everything zero
// or empty, ReservedFlag 1.
TRouterEntry NewRouterEntry();

// The current local date and time in days since 30 December 1899, with
// milliseconds.
double CurrentDateTime();
