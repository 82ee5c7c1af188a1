#pragma once
// Each command group adds its subcommands to the application. A command's run() is called when
// its subcommand was the one parsed and returns the exit status; failures throw zlc_cli::Failure.
#include <CLI/CLI.hpp>
#include <functional>
#include <string>
#include <vector>

namespace zlc_cli {

struct Command {
    CLI::App* app;
    std::function<int()> run;
    // OpenSSL-style single-dash long options ("-in") the command takes; main rewrites them to the
    // double-dash form the parser knows.
    std::vector<std::string> single_dash_options;
};

// The parser checks required options before it reports unknown ones; checking them here, once
// parsing has passed, lets a mistyped option be the error that is named.
void require(const CLI::Option* option, const std::string& spelling);

void add_digest_commands(CLI::App& app, std::vector<Command>& commands);  // dgst, hmac, compare
void add_cipher_commands(CLI::App& app, std::vector<Command>& commands);  // enc, dec
void add_misc_commands(CLI::App& app,
                       std::vector<Command>& commands);  // rand, prime, selftest, version

}  // namespace zlc_cli
