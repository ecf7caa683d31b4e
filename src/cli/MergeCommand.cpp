#include "CliSupport.h"
#include "CommandLine.h"
#include "Commands.h"
#include "Cp1252Text.h"
#include "FileMessages.h"
#include "RouterMerge.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <numeric>
#include <string_view>

namespace {

// Reads `count` decimal digits.
bool ReadDigits(std::string_view text, std::size_t& pos, std::size_t count, int& value)
{
    if (text.size() - pos < count)
        return false;
    value = 0;
    for (std::size_t end = pos + count; pos < end; ++pos) {
        if (text[pos] < '0' || text[pos] > '9')
            return false;
        value = value * 10 + (text[pos] - '0');
    }
    return true;
}

bool ReadChar(std::string_view text, std::size_t& pos, std::string_view choices)
{
    if (pos >= text.size() || choices.find(text[pos]) == std::string_view::npos)
        return false;
    ++pos;
    return true;
}

// "YYYY-MM-DD", optionally followed by "THH:MM", ":SS" and a fraction of
// the second (a blank may stand for the T), as days since 30 December 1899.
std::optional<double> ParseDateTime(std::string_view text)
{
    std::size_t pos = 0;
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    double fraction = 0;
    if (!ReadDigits(text, pos, 4, year) || !ReadChar(text, pos, "-") || !ReadDigits(text, pos, 2, month) ||
        !ReadChar(text, pos, "-") || !ReadDigits(text, pos, 2, day))
        return std::nullopt;
    if (pos < text.size()) {
        if (!ReadChar(text, pos, "T ") || !ReadDigits(text, pos, 2, hour) || !ReadChar(text, pos, ":") ||
            !ReadDigits(text, pos, 2, minute))
            return std::nullopt;
        if (ReadChar(text, pos, ":")) {
            if (!ReadDigits(text, pos, 2, second))
                return std::nullopt;
            if (ReadChar(text, pos, ".")) {
                double scale = 0.1;
                for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos, scale /= 10)
                    fraction += (text[pos] - '0') * scale;
            }
        }
    }
    using namespace std::chrono;
    const year_month_day date{std::chrono::year(year), std::chrono::month(unsigned(month)),
                              std::chrono::day(unsigned(day))};
    if (pos != text.size() || !date.ok() || hour > 23 || minute > 59 || second > 59)
        return std::nullopt;
    const auto sinceDayZero = sys_days(date) - sys_days(1899y / December / 30);
    return double(sinceDayZero.count()) + (hour * 3600.0 + minute * 60.0 + second + fraction) / 86400.0;
}

// SavedAt as days since 30 December 1899 (a number, as dump prints it), or
// a local date-time.
std::optional<double> ParseSavedAt(const std::string& text)
{
    double days = 0;
    const char* end = text.data() + text.size();
    if (const auto [ptr, error] = std::from_chars(text.data(), end, days);
        error == std::errc() && ptr == end && std::isfinite(days))
        return days;
    return ParseDateTime(text);
}

} // namespace

int RunMergeCommand(const TArguments& arguments)
{
    TCommandLine line(
        "routersdat merge",
        "Takes routers over from SOURCE into TARGET as the editor's \"Routers.dat hinzumischen...\"\n"
        "does: each copy goes to its sorted place, and the first router of its name (ignoring\n"
        "case) is saved as the editor saves it. TARGET is replaced crash-safely (a missing one\n"
        "is created); SOURCE is never changed.");
    line.AddPositional("TARGET", "The definitions file to merge into.");
    line.AddPositional("SOURCE", "The definitions file to take routers from.");
    line.AddOption("router", "NAME", "Take the first router of this name (ignoring case).");
    line.AddFlag("all", "Take every router of SOURCE, in file order.");
    line.AddFlag("skip-existing", "Leave out routers whose name TARGET already holds.");
    line.AddOption("saved-at", "TIME",
                   "Save time: days since 1899-12-30 or YYYY-MM-DD[THH:MM[:SS]] (default: now).");
    if (const auto status = line.Parse(arguments, 2, 2))
        return *status;
    if (line.IsSet("router") == line.IsSet("all"))
        return Fail("Geben Sie entweder --router NAME oder --all an; siehe 'routersdat merge --help'.");
    const std::optional<double> savedAt =
        line.IsSet("saved-at") ? ParseSavedAt(line.Value("saved-at")) : CurrentDateTime();
    if (!savedAt)
        return Fail("--saved-at erwartet eine Zahl von Tagen oder Datum und Uhrzeit wie 2024-05-01T12:00:00.");

    const std::string& targetPath = line.Positional().at(0);
    const std::string& sourcePath = line.Positional().at(1);
    TRouterList source(TRouterList::TOrder::Unsorted);
    const std::optional<TLoadResult> read = ReadDefinitions(sourcePath, source);
    if (!read)
        return 1;
    int status = StatusAfterReading(*read);
    std::vector<int> chosen;
    if (line.IsSet("all")) {
        chosen.resize(std::size_t(source.Count()));
        std::iota(chosen.begin(), chosen.end(), 0);
    } else {
        const std::optional<std::string> name = ArgumentAsCp1252(line.Value("router"), "Der Routername");
        if (!name)
            return 1;
        const int index = source.FindByName(*name);
        if (index < 0)
            return Fail(Quoted(sourcePath) + " enthält keinen Router namens " + QuotedText(TCp1252Text(*name)) + ".");
        chosen.push_back(index);
    }

    const std::string sameFile = "TARGET und SOURCE sind dieselbe Datei; es wurde nichts geschrieben.";
    if (SameFile(targetPath, sourcePath))
        return Fail(sameFile);
    // Locked from reading the target to writing it, so that no other
    // program's change made meanwhile is lost.
    TAtomicFile output(targetPath);
    if (!OpenOutput(output, targetPath))
        return kExitFailure;
    if (IsOpenedOutput(output, sourcePath))
        return Fail(sameFile);
    const std::string interrupted = output.InterruptedSave();
    if (!interrupted.empty()) {
        Fail(InterruptedSaveMessage(targetPath, interrupted) + " Es wurde nichts geschrieben.");
        return kExitDamagedInput;
    }
    std::string bytes;
    if (const int error = output.ReadCurrent(bytes, MaxDefinitionsFileSize()))
        return Fail(CannotRead(targetPath, error));
    TRouterList target;
    const TLoadResult loaded = LoadRouterBytes(std::move(bytes), target);
    WarnAboutLoad(targetPath, loaded);
    // As the editor keeps a damaged Routers.dat.
    const bool keepOriginal = output.TargetExists() && !loaded.Faithful();
    status = std::max(status, StatusAfterReading(loaded));
    const TMergeResult result = MergeRouters(target, source, chosen, {line.IsSet("skip-existing"), *savedAt});
    for (const std::string& skipped : result.skippedNames) {
        Note(QuotedText(TCp1252Text(skipped)) + " ausgelassen: " + Quoted(targetPath) +
             " enthält schon einen Router dieses Namens.");
    }
    if (result.merged.empty())
        return status;
    if (!WriteDefinitions(target, output, targetPath, keepOriginal))
        return kExitFailure;
    if (!output.BackupPath().empty())
        Note("Das beschädigte Original wurde als " + Quoted(output.BackupPath()) + " aufbewahrt.");
    return status;
}
