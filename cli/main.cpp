// zlc: the library's digests, MACs, ciphers, random bytes and primes on the command line.
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "commands.h"
#include "io.h"

namespace {

// Rewrites the command's OpenSSL-style options ("-in") to the "--in" the parser knows; tokens
// after "--" stay as they are.
void rewrite_single_dash_options(std::vector<std::string>& args,
                                 const std::vector<zlc_cli::Command>& commands) {
    if (args.empty()) return;
    for (const auto& command : commands) {
        if (command.app->get_name() != args[0]) continue;
        for (std::size_t i = 1; i < args.size() && args[i] != "--"; ++i) {
            for (const auto& option : command.single_dash_options) {
                if (args[i] == "-" + option) args[i] = "--" + option;
            }
        }
    }
}

}  // namespace

void zlc_cli::require(const CLI::Option* option, const std::string& spelling) {
    if (option->count() == 0) throw Failure(spelling + " is required (see --help)", 2);
}

int main(int argc, char** argv) {
    CLI::App app{
        "Digests, MACs, block ciphers, random bytes and primes of the zeltavine cryptographic "
        "library.",
        "zlc"};
    app.require_subcommand(1, 1);
    std::vector<zlc_cli::Command> commands;
    zlc_cli::add_digest_commands(app, commands);
    zlc_cli::add_cipher_commands(app, commands);
    zlc_cli::add_misc_commands(app, commands);

    std::vector<std::string> args(argv + 1, argv + argc);
    rewrite_single_dash_options(args, commands);
    std::vector<std::string> reversed(args.rbegin(), args.rend());  // the order CLI11 consumes
    try {
        app.parse(reversed);
    } catch (const CLI::ParseError& error) {
        if (error.get_exit_code() == 0) return app.exit(error);  // --help
        std::fprintf(stderr, "zlc: %s\n", error.what());
        return 2;
    }

    try {
        for (const auto& command : commands) {
            if (!command.app->parsed()) continue;
            const int status = command.run();
            if (std::fflush(stdout) != 0) throw zlc_cli::Failure("standard output: write error");
            return status;
        }
    } catch (const zlc_cli::Failure& failure) {
        std::fflush(stdout);
        std::fprintf(stderr, "zlc: %s\n", failure.what());
        return failure.code();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "zlc: %s\n", error.what());
        return 1;
    }
    return 2;
}
