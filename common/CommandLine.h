// The command line of every program, in one style: "--help" prints the
// usage on standard output, "--version" the program's name and version, and a
// bad argument gives "PROGRAM: reason" and "Try 'PROGRAM --help'." on stderr
// with exit status 2. The options themselves are declared on App() with the
// argument-parsing library, one line each, for example:
//
//   command.App().add_flag("--stats", stats, "print the loop's figures on exit");
//   command.App().add_option("--ini", iniFile, "program ini file")->type_name("PATH");
//
// The library reports its parse errors as exceptions; they are caught here,
// inside Parse, and turned into the exit status and the text above.
#pragma once

#include <CLI/CLI.hpp>

#include <cstddef>
#include <functional>
#include <string>

namespace command_line {

constexpr int kExitBadArguments = 2;
// Parse's result when the program goes on with its work.
constexpr int kGoOn = -1;

class CommandLine {
 public:
  // version: shown by --version after the program's name (nullptr: the
  // suite's version); summary: the first lines of --help; footer: the lines
  // after the options (environment, exit status, ...); both may be empty.
  CommandLine(const char* program, const char* version, const char* summary, const char* footer);
  CommandLine(const CommandLine&) = delete;
  CommandLine& operator=(const CommandLine&) = delete;

  CLI::App& App() { return app_; }
  const char* Program() const { return program_; }

  // Parses the arguments. kGoOn when the program goes on; otherwise the
  // status to end with at once: 0 after --help or --version, 2 (reported
  // on stderr) after a bad argument.
  int Parse(int argc, char** argv);
  // The same, with the reason of a bad argument in report instead of on
  // stderr; help and version are still printed on standard output.
  int Parse(int argc, char** argv, char* report, std::size_t size);

  // Reports a problem found after parsing (a value out of range for this
  // machine, options that exclude each other) in the same style. Returns 2.
  int Bad(const char* format, ...) __attribute__((format(printf, 2, 3)));

  std::string Help() const { return app_.help(); }

 private:
  const char* program_;
  CLI::App app_;
};

// A check for an option's value with the reason in the program's own words:
// the function returns "" when the value is good, else the reason.
CLI::Validator Check(std::function<std::string(const std::string&)> check, const char* description = "");

}  // namespace command_line
