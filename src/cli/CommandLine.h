#pragma once

#include <optional>
#include <string>
#include <vector>

// The exit statuses of the tool, as its help lists them.
enum TExitStatus {
    kExitOk = 0,
    kExitFailure = 1,     // usage, a file that cannot be read or written, ...
    kExitDamagedInput = 2 // the definitions file is damaged or was read with cuts
};
extern const char kExitStatusHelp[];

// The arguments of one routersdat command: positional arguments, flags
// (--json) and options with a value (--router NAME, --router=NAME, -o OUT).
// Arguments are taken as the raw bytes the system passed, so a path is
// opened exactly as it was given. "--" ends the options.
class TCommandLine {
public:
    TCommandLine(std::string command, std::string description);

    void AddPositional(std::string name, std::string help);
    // The exit statuses the help lists, where the command's own differ.
    void SetExitStatusHelp(std::string help) { m_exitStatusHelp = std::move(help); }
    void AddFlag(std::string name, std::string help);
    // shortName 0 for none; an option that is not given reads as
    // defaultValue.
    void AddOption(std::string name, std::string valueName, std::string help, char shortName = 0,
                   std::string defaultValue = {});

    // Parses the arguments behind the command's name. Returns the exit
    // status when the command must stop here: 0 after printing the help for
    // --help or -h, 1 after printing a usage error.
    std::optional<int> Parse(const std::vector<std::string>& arguments, std::size_t minPositional,
                             std::size_t maxPositional);

    bool IsSet(const std::string& name) const;
    const std::string& Value(const std::string& name) const; // the last one given
    // Every value of an option that may be given more than once, in order.
    const std::vector<std::string>& Values(const std::string& name) const;
    const std::vector<std::string>& Positional() const { return m_positional; }
    std::string HelpText() const;

private:
    struct TOption {
        std::string name;
        std::string valueName; // empty for a flag
        std::string help;
        char shortName = 0;
        std::string value;
        std::vector<std::string> values;
        bool set = false;
    };

    TOption* FindLong(const std::string& name);
    TOption* FindShort(char name);
    std::optional<int> UsageError(const std::string& message) const;

    std::string m_command;
    std::string m_description;
    std::vector<std::pair<std::string, std::string>> m_positionalHelp;
    std::vector<TOption> m_options;
    std::vector<std::string> m_positional;
    std::string m_exitStatusHelp = kExitStatusHelp;
};
