#pragma once

#include "Cp1252.h"
#include "Cp1252Text.h"
#include "JsonWriter.h"

#include <iostream>
#include <string_view>

struct TPageTrace;
struct TStaticTestResult;

// Standard output, written piece by piece: a value can run to the end of a
// page of any size, and is converted and written a piece at a time instead
// of being copied whole.
class TOutput {
public:
    void Raw(std::string_view bytes) { std::cout.write(bytes.data(), std::streamsize(bytes.size())); }

    // Windows-1252 text as UTF-8; only its line breaks are the output's
    // own, any other control character from the page or file is escaped.
    void Text(std::string_view cp1252Text, std::string_view keep = "\n")
    {
        for (std::size_t at = 0; at < cp1252Text.size(); at += kPiece)
            Raw(Cp1252ToUtf8(EscapeControls(cp1252Text.substr(at, kPiece), keep)));
    }
    // A name or value from the page or file, line breaks escaped too.
    void Value(std::string_view cp1252Text) { Text(cp1252Text, {}); }
    // German words of the program, as its messages show them.
    void Words(const std::string& utf8) { Text(ToCp1252Text(utf8).Bytes()); }

    void Json(std::string_view cp1252Text)
    {
        Raw("\"");
        for (std::size_t at = 0; at < cp1252Text.size(); at += kPiece)
            Raw(JsonStringContent(cp1252Text.substr(at, kPiece)));
        Raw("\"");
    }

    void JsonWords(const std::string& utf8) { Json(ToCp1252Text(utf8).Bytes()); }

    bool Finish()
    {
        std::cout.flush();
        if (!std::cout)
            ReportOutputFailure();
        return bool(std::cout);
    }

private:
    static void ReportOutputFailure();
    static constexpr std::size_t kPiece = 64 * 1024;
};

// One status query's result as "routersdat test" prints it: text lines, or
// the members of its JSON object ("state" and "ip", or "values"; "trace"
// when a trace is given), without the braces.
void WriteTestResult(TOutput& out, const TStaticTestResult& result, int statusQuery, bool json,
                     const TPageTrace* trace, std::string_view page);
