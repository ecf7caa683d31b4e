#include "CommandLine.h"
#include "CliSupport.h"

#include <algorithm>
#include <iostream>

const char kExitStatusHelp[] =
    "Exit status:\n"
    "  0  success\n"
    "  1  failure: wrong arguments, a file that cannot be read or written, an\n"
    "     unknown router, not enough memory\n"
    "  2  a definitions file read is damaged (cut off or with stray bytes at its\n"
    "     end), or holds texts that had to be cut; what could be read was still\n"
    "     used, except by convert without --force\n"
    "  (diff: 0 equal, 1 different, 2 trouble)\n";

TCommandLine::TCommandLine(std::string command, std::string description)
    : m_command(std::move(command)), m_description(std::move(description))
{
}

void TCommandLine::AddPositional(std::string name, std::string help)
{
    m_positionalHelp.emplace_back(std::move(name), std::move(help));
}

void TCommandLine::AddFlag(std::string name, std::string help)
{
    AddOption(std::move(name), {}, std::move(help));
}

void TCommandLine::AddOption(std::string name, std::string valueName, std::string help, char shortName,
                             std::string defaultValue)
{
    TOption option;
    option.name = std::move(name);
    option.valueName = std::move(valueName);
    option.help = std::move(help);
    option.shortName = shortName;
    option.value = std::move(defaultValue);
    m_options.push_back(std::move(option));
}

TCommandLine::TOption* TCommandLine::FindLong(const std::string& name)
{
    const auto found = std::find_if(m_options.begin(), m_options.end(),
                                    [&](const TOption& option) { return option.name == name; });
    return found == m_options.end() ? nullptr : &*found;
}

TCommandLine::TOption* TCommandLine::FindShort(char name)
{
    const auto found = std::find_if(m_options.begin(), m_options.end(),
                                    [&](const TOption& option) { return option.shortName == name; });
    return found == m_options.end() ? nullptr : &*found;
}

std::optional<int> TCommandLine::UsageError(const std::string& message) const
{
    return Fail(message + "; siehe '" + m_command + " --help'");
}

std::optional<int> TCommandLine::Parse(const std::vector<std::string>& arguments, std::size_t minPositional,
                                       std::size_t maxPositional)
{
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
            m_positional.push_back(argument);
            continue;
        }
        if (argument == "--") {
            optionsEnded = true;
            continue;
        }
        if (argument == "--help" || argument == "-h") {
            std::cout << HelpText() << std::flush;
            if (std::cout)
                return 0;
            std::cerr << "routersdat: Die Standardausgabe kann nicht geschrieben werden.\n";
            return 1;
        }
        const bool isLong = argument[1] == '-';
        const std::size_t equals = isLong ? argument.find('=') : std::string::npos;
        const std::string name = isLong ? argument.substr(2, equals - 2) : argument.substr(1, 1);
        TOption* option = isLong ? FindLong(name) : FindShort(argument[1]);
        if (!option || (!isLong && argument.size() > 2))
            return UsageError("unbekannte Option '" + Shown(argument) + "'");
        if (option->valueName.empty()) {
            if (equals != std::string::npos)
                return UsageError("Option '--" + option->name + "' nimmt keinen Wert");
        } else if (equals != std::string::npos) {
            option->value = argument.substr(equals + 1);
        } else if (i + 1 < arguments.size()) {
            option->value = arguments[++i];
        } else {
            return UsageError("Option '" + Shown(argument) + "' braucht einen Wert");
        }
        option->set = true;
        if (!option->valueName.empty())
            option->values.push_back(option->value);
    }
    if (m_positional.size() < minPositional || m_positional.size() > maxPositional)
        return UsageError("falsche Anzahl von Argumenten");
    return std::nullopt;
}

bool TCommandLine::IsSet(const std::string& name) const
{
    return std::any_of(m_options.begin(), m_options.end(),
                       [&](const TOption& option) { return option.name == name && option.set; });
}

const std::string& TCommandLine::Value(const std::string& name) const
{
    static const std::string none;
    for (const TOption& option : m_options) {
        if (option.name == name)
            return option.value;
    }
    return none;
}

const std::vector<std::string>& TCommandLine::Values(const std::string& name) const
{
    static const std::vector<std::string> none;
    const auto found = std::find_if(m_options.begin(), m_options.end(),
                                    [&](const TOption& option) { return option.name == name; });
    return found == m_options.end() ? none : found->values;
}

std::string TCommandLine::HelpText() const
{
    std::string text = "Usage: " + m_command + " [options]";
    for (const auto& [name, help] : m_positionalHelp)
        text += " " + name;
    text += "\n" + m_description + "\n\nOptions:\n";
    const auto row = [&](std::string left, const std::string& help) {
        left.resize(std::max<std::size_t>(left.size() + 2, 24), ' ');
        text += "  " + left + help + "\n";
    };
    for (const TOption& option : m_options) {
        std::string left = option.shortName ? std::string("-") + option.shortName + ", " : "";
        left += "--" + option.name + (option.valueName.empty() ? "" : " " + option.valueName);
        row(left, option.help);
    }
    row("-h, --help", "Displays help on commandline options.");
    if (!m_positionalHelp.empty()) {
        text += "\nArguments:\n";
        for (const auto& [name, help] : m_positionalHelp)
            row(name, help);
    }
    return text + "\n" + m_exitStatusHelp;
}
