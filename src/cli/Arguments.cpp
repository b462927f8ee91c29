#include "cli/Arguments.h"

#include <algorithm>
#include <cctype>
#include <set>

namespace kvt::cli {
namespace {

constexpr std::string_view kPort = "--port";
constexpr std::string_view kSimulate = "--simulate";
constexpr std::string_view kWorkdir = "--workdir";
constexpr std::string_view kLog = "--log";
constexpr std::string_view kJson = "--json";
constexpr std::string_view kHelp = "--help";
constexpr std::string_view kShortHelp = "-h";

constexpr OptionSpec kGlobalOptions[] = {
    {kPort, true},  {kSimulate, false}, {kWorkdir, true},    {kLog, false},
    {kJson, false}, {kHelp, false},     {kShortHelp, false},
};

bool looksLikeOption(const std::string& word) {
    if (word.size() < 2 || word[0] != '-') {
        return false;
    }
    // "-5" and "-0.5" are numbers.
    return !(std::isdigit(static_cast<unsigned char>(word[1])) || word[1] == '.');
}

const OptionSpec* findOption(std::span<const OptionSpec> options, std::string_view name) {
    const auto it = std::find_if(options.begin(), options.end(),
                                 [&](const OptionSpec& o) { return o.name == name; });
    return it != options.end() ? &*it : nullptr;
}

class Parser {
  public:
    Parser(std::span<const std::string> args, const CommandLookup& lookup)
        : args_(args), lookup_(lookup) {}

    ParseResult run() {
        ParseResult result;
        if (!parseAll(result.invocation)) {
            result.error = error_;
            return result;
        }
        Invocation& inv = result.invocation;
        if (!inv.global.port.empty() && inv.global.simulate) {
            result.error = "--port and --simulate exclude each other";
            return result;
        }
        if (inv.global.help) {
            result.ok = true;
            return result;
        }
        if (inv.command == nullptr) {
            result.error = "no command given";
            return result;
        }
        const CommandSpec& c = *inv.command;
        if (inv.args.size() < c.minArgs) {
            result.error = std::string(c.name) + ": too few arguments";
            return result;
        }
        if (inv.args.size() > c.maxArgs) {
            result.error =
                std::string(c.name) + ": unexpected argument '" + inv.args[c.maxArgs] + "'";
            return result;
        }
        result.ok = true;
        return result;
    }

  private:
    bool parseAll(Invocation& inv) {
        bool optionsEnded = false;
        for (std::size_t i = 0; i < args_.size(); ++i) {
            const std::string& word = args_[i];
            if (!optionsEnded && word == "--") {
                optionsEnded = true;
                continue;
            }
            if (!optionsEnded && looksLikeOption(word)) {
                if (!parseOption(inv, i)) {
                    return false;
                }
                continue;
            }
            if (inv.command == nullptr) {
                inv.command = lookup_(word);
                if (inv.command == nullptr) {
                    return fail("unknown command '" + word + "'");
                }
                continue;
            }
            inv.args.push_back(word);
        }
        return true;
    }

    bool parseOption(Invocation& inv, std::size_t& i) {
        std::string name = args_[i];
        std::optional<std::string> inlineValue;
        if (const auto eq = name.find('='); eq != std::string::npos && name.rfind("--", 0) == 0) {
            inlineValue = name.substr(eq + 1);
            name.resize(eq);
        }
        const OptionSpec* entry = findOption(kGlobalOptions, name);
        const bool global = entry != nullptr;
        if (!global && inv.command != nullptr) {
            entry = findOption(inv.command->options, name);
        }
        if (entry == nullptr) {
            return fail(inv.command == nullptr && !global
                            ? "unknown option '" + name + "' (options of a command follow it)"
                            : "unknown option '" + name + "'");
        }
        std::string value;
        if (entry->takesValue) {
            if (inlineValue) {
                value = *inlineValue;
            } else if (i + 1 < args_.size()) {
                value = args_[++i];
            } else {
                return fail("option " + name + " needs a value");
            }
        } else if (inlineValue) {
            return fail("option " + name + " takes no value");
        }
        if (!seen_.insert(entry).second) {
            return fail("option " + name + " given twice");
        }
        if (global) {
            setGlobal(inv.global, entry->name, value);
        } else {
            inv.options.emplace_back(std::string(entry->name), value);
        }
        return true;
    }

    static void setGlobal(GlobalOptions& g, std::string_view name, const std::string& value) {
        if (name == kPort) {
            g.port = value;
        } else if (name == kSimulate) {
            g.simulate = true;
        } else if (name == kWorkdir) {
            g.workdir = value;
        } else if (name == kLog) {
            g.log = true;
        } else if (name == kJson) {
            g.json = true;
        } else {
            g.help = true;
        }
    }

    bool fail(std::string message) {
        error_ = std::move(message);
        return false;
    }

    std::span<const std::string> args_;
    const CommandLookup& lookup_;
    std::string error_;
    std::set<const OptionSpec*> seen_;
};

}  // namespace

bool Invocation::has(std::string_view option) const {
    return std::any_of(options.begin(), options.end(),
                       [&](const auto& o) { return o.first == option; });
}

std::optional<std::string> Invocation::value(std::string_view option) const {
    for (const auto& [name, value] : options) {
        if (name == option) {
            return value;
        }
    }
    return std::nullopt;
}

ParseResult parseArguments(std::span<const std::string> args, const CommandLookup& lookup) {
    return Parser(args, lookup).run();
}

}  // namespace kvt::cli
