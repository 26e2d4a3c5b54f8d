#include "cli/Cli.h"

#include "core/Paths.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <ostream>

namespace bm::cli {

namespace {

std::vector<CommandInfo>& Registry()
{
    static std::vector<CommandInfo> commands;
    return commands;
}

bool Contains(const std::vector<std::string>& list, const std::string& name)
{
    return std::find(list.begin(), list.end(), name) != list.end();
}

void PrintToolHelp(std::ostream& out)
{
    out << "Usage: brickmelody-cli [--program-folder DIR] COMMAND [ARGS] [--json]\n\n"
           "Headless work on Brickmelody songs, samples and archives. The program\n"
           "folder (archive, library.dat, samples, options) defaults to the folder\n"
           "of this executable.\n\nCommands:\n";
    std::vector<CommandInfo> sorted = Registry();
    std::sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
    for (const auto& c : sorted) {
        std::string head = "  " + c.name;
        if (head.size() < 20)
            head.resize(20, ' ');
        else
            head += "  ";
        out << head << c.summary << '\n';
    }
    out << "\n'brickmelody-cli COMMAND --help' describes a command.\n"
           "Exit status: 0 success, 1 the operation failed, 2 usage error.\n";
}

} // namespace

Registrar::Registrar(CommandInfo info) { Registry().push_back(std::move(info)); }

const std::vector<CommandInfo>& Commands() { return Registry(); }

Invocation::Invocation(std::string programFolder, std::vector<std::string> words, std::ostream& out,
                       std::ostream& err)
    : m_programFolder(std::move(programFolder)), m_raw(std::move(words)), m_out(out), m_err(err)
{
}

void Invocation::Parse(const std::vector<std::string>& valueOptions)
{
    m_parsed = true;
    m_positional.clear();
    m_options.clear();
    bool onlyPositional = false;
    for (size_t i = 0; i < m_raw.size(); ++i) {
        const std::string& word = m_raw[i];
        if (onlyPositional || word.size() < 3 || word.compare(0, 2, "--") != 0) {
            if (word == "--") {
                onlyPositional = true;
                continue;
            }
            m_positional.push_back(word);
            continue;
        }
        std::string name = word.substr(2);
        std::string value;
        bool hasValue = false;
        if (auto eq = name.find('='); eq != std::string::npos) {
            value = name.substr(eq + 1);
            name.resize(eq);
            hasValue = true;
        }
        if (Contains(valueOptions, name) && !hasValue) {
            if (i + 1 >= m_raw.size()) {
                m_usageError = true;
                m_err << "brickmelody-cli: option --" << name << " needs a value\n";
                continue;
            }
            value = m_raw[++i];
        }
        m_options[name].push_back(value);
    }
}

bool Invocation::Expect(size_t minArgs, size_t maxArgs, const std::vector<std::string>& flags,
                        const std::vector<std::string>& valueOptions)
{
    Parse(valueOptions);
    if (m_usageError) {
        Usage("invalid options");
        return false;
    }
    for (const auto& [name, values] : m_options) {
        bool known = name == "json" || Contains(flags, name) || Contains(valueOptions, name);
        if (!known) {
            Usage("unknown option --" + name);
            return false;
        }
        if (Contains(flags, name) && !values.front().empty()) {
            Usage("option --" + name + " takes no value");
            return false;
        }
    }
    if (m_positional.size() < minArgs) {
        Usage("missing arguments");
        return false;
    }
    if (m_positional.size() > maxArgs) {
        Usage("too many arguments");
        return false;
    }
    return true;
}

bool Invocation::Flag(const std::string& name) const { return m_options.count(name) != 0; }

std::optional<std::string> Invocation::Value(const std::string& name) const
{
    auto it = m_options.find(name);
    if (it == m_options.end())
        return std::nullopt;
    return it->second.back();
}

bool Invocation::IntValue(const std::string& name, int64_t min, int64_t max, int64_t& out)
{
    auto text = Value(name);
    if (!text)
        return true;
    errno = 0;
    char* end = nullptr;
    long long value = std::strtoll(text->c_str(), &end, 10);
    if (text->empty() || *end != '\0' || errno != 0 || value < min || value > max) {
        Usage("--" + name + " must be a whole number from " + std::to_string(min) + " to " + std::to_string(max));
        return false;
    }
    out = value;
    return true;
}

bool Invocation::DoubleValue(const std::string& name, double& out)
{
    auto text = Value(name);
    if (!text)
        return true;
    char* end = nullptr;
    double value = std::strtod(text->c_str(), &end);
    if (text->empty() || *end != '\0') {
        Usage("--" + name + " must be a number");
        return false;
    }
    out = value;
    return true;
}

bool Invocation::ReplacesInput(const std::string& input, const std::string& output)
{
    std::error_code ignored;
    if (!std::filesystem::equivalent(input, output, ignored))
        return false;
    Failed("will not write " + output + ": it is the input " + input + "; choose another name");
    return true;
}

int Invocation::Failed(const std::string& message)
{
    m_err << "brickmelody-cli: " << message << '\n';
    return kExitFailed;
}

int Invocation::Usage(const std::string& message)
{
    m_usageError = true;
    m_err << "brickmelody-cli: " << commandName << ": " << message << '\n'
          << "usage: brickmelody-cli " << commandName << ' ' << commandUsage << '\n';
    return kExitUsage;
}

int Main(const std::vector<std::string>& words, std::ostream& out, std::ostream& err)
{
    std::string programFolder = ProgramFolder();
    size_t i = 0;
    while (i < words.size() && words[i].size() > 1 && words[i][0] == '-') {
        const std::string& word = words[i];
        if (word == "--help" || word == "-h") {
            PrintToolHelp(out);
            return kExitOk;
        }
        if (word == "--version") {
            out << "brickmelody-cli 1.2.24\n";
            return kExitOk;
        }
        if (word == "--program-folder" || word.rfind("--program-folder=", 0) == 0) {
            std::string value;
            if (word == "--program-folder") {
                if (i + 1 >= words.size()) {
                    err << "brickmelody-cli: --program-folder needs a folder\n";
                    return kExitUsage;
                }
                value = words[++i];
            } else {
                value = word.substr(std::string("--program-folder=").size());
            }
            programFolder = AsFolder(MakeAbsolute(value));
            ++i;
            continue;
        }
        break;
    }
    if (i >= words.size()) {
        PrintToolHelp(err);
        return kExitUsage;
    }

    // Commands have one or two words; the longer name wins.
    const CommandInfo* command = nullptr;
    size_t used = 0;
    for (const auto& c : Registry()) {
        size_t space = c.name.find(' ');
        if (space == std::string::npos) {
            if (c.name == words[i] && used < 1) {
                command = &c;
                used = 1;
            }
        } else if (i + 1 < words.size() && c.name == words[i] + " " + words[i + 1]) {
            command = &c;
            used = 2;
        }
    }
    if (!command) {
        bool isGroup = false;
        for (const auto& c : Registry())
            isGroup = isGroup || c.name.rfind(words[i] + " ", 0) == 0;
        if (isGroup) {
            err << "brickmelody-cli: '" << words[i] << "' needs a subcommand:\n";
            for (const auto& c : Registry()) {
                if (c.name.rfind(words[i] + " ", 0) == 0)
                    err << "  " << c.name << ' ' << c.usage << '\n';
            }
        } else {
            err << "brickmelody-cli: unknown command '" << words[i] << "' (see brickmelody-cli --help)\n";
        }
        return kExitUsage;
    }
    std::vector<std::string> rest(words.begin() + static_cast<std::ptrdiff_t>(i + used), words.end());
    if (std::find(rest.begin(), rest.end(), "--help") != rest.end()) {
        out << "usage: brickmelody-cli " << command->name << ' ' << command->usage << "\n\n"
            << command->summary << '\n';
        return kExitOk;
    }
    Invocation invocation(programFolder, std::move(rest), out, err);
    invocation.commandName = command->name;
    invocation.commandUsage = command->usage;
    return command->run(invocation);
}

} // namespace bm::cli
