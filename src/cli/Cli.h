#pragma once

// The command framework of brickmelody-cli. Each command lives in its own
// source file and registers itself:
//
//     static int RunWadList(bm::cli::Invocation& in) { ... }
//     static bm::cli::Registrar wadList{{"wad list", "ARCHIVE [--magic WADn|WCPn] [--json]",
//         "Lists the entries of an archive.", RunWadList}};
//
// Exit status: 0 success, 1 the operation failed (one line on stderr that
// begins "brickmelody-cli: "), 2 usage error.

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace bm::cli {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

// A command's arguments after its name: positional words and --options.
// Options take a value when the command declares them with Value(); others
// are flags. "--name=value" is accepted as well as "--name value".
class Invocation {
public:
    Invocation(std::string programFolder, std::vector<std::string> words, std::ostream& out, std::ostream& err);

    const std::string& ProgramFolder() const { return m_programFolder; }
    bool Json() const { return Flag("json"); }

    // Positional argument i, or empty when missing.
    std::string Arg(size_t i) const { return i < m_positional.size() ? m_positional[i] : std::string(); }
    size_t ArgCount() const { return m_positional.size(); }

    bool Flag(const std::string& name) const;
    std::optional<std::string> Value(const std::string& name) const;
    // Reads a numeric option; reports a usage error (and returns false) when
    // the value is not a whole number in [min, max].
    bool IntValue(const std::string& name, int64_t min, int64_t max, int64_t& out);
    bool DoubleValue(const std::string& name, double& out);

    // Checks the shape of the call: positional count in [min, max], only
    // known options. On failure prints the usage and returns false.
    bool Expect(size_t minArgs, size_t maxArgs, const std::vector<std::string>& flags,
                const std::vector<std::string>& valueOptions);

    // Commands that make a new file from another never replace their input
    // (a song with its export, a sample with its copy): true, after saying
    // so, when `output` names the same file as `input`.
    bool ReplacesInput(const std::string& input, const std::string& output);

    // "brickmelody-cli: <message>" on stderr; returns kExitFailed.
    int Failed(const std::string& message);
    // "brickmelody-cli: <message>" and the command's usage; returns kExitUsage.
    int Usage(const std::string& message);

    std::ostream& Out() { return m_out; }
    std::ostream& Err() { return m_err; }

    // Set by the dispatcher: the command's name and usage line.
    std::string commandName;
    std::string commandUsage;

private:
    std::string m_programFolder;
    std::vector<std::string> m_positional;
    std::map<std::string, std::vector<std::string>> m_options; // name -> values ("" for a flag)
    std::vector<std::string> m_raw;
    std::ostream& m_out;
    std::ostream& m_err;
    bool m_parsed = false;
    bool m_usageError = false;
    void Parse(const std::vector<std::string>& valueOptions);
};

struct CommandInfo {
    std::string name;     // one or two words: "wad list", "render"
    std::string usage;    // arguments after the name
    std::string summary;  // one line
    std::function<int(Invocation&)> run;
};

struct Registrar {
    explicit Registrar(CommandInfo info);
};

const std::vector<CommandInfo>& Commands();

// Runs the tool with its command-line words (without the program name).
int Main(const std::vector<std::string>& words, std::ostream& out, std::ostream& err);

} // namespace bm::cli
