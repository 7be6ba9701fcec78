#include "common/CommandLine.h"

#include <cstdarg>
#include <cstdio>

#include "common/TextFcns.h"

namespace command_line {

CommandLine::CommandLine(const char* program, const char* version, const char* summary, const char* footer)
    : program_(program), app_(summary != nullptr ? summary : "", program) {
  app_.set_help_flag("-h,--help", "show this text and exit");
  app_.set_version_flag("--version", std::string(program) + " " + (version != nullptr ? version : TARNEL_VERSION),
                        "show the version and exit");
  if (footer != nullptr && footer[0] != '\0') {
    app_.footer(footer);
  }
  // Unknown arguments are gathered and reported in our own words.
  app_.allow_extras();
  app_.get_formatter()->column_width(26);
}

int CommandLine::Parse(int argc, char** argv) {
  char report[1024];
  const int status = Parse(argc, argv, report, sizeof report);
  if (status == kExitBadArguments) {
    std::fprintf(stderr, "%s: %s\nTry '%s --help'.\n", program_, report, program_);
  }
  return status;
}

int CommandLine::Parse(int argc, char** argv, char* report, std::size_t size) {
  if (report != nullptr && size > 0) {
    report[0] = '\0';
  }
  try {
    app_.parse(argc, argv);
  } catch (const CLI::CallForHelp&) {
    std::fputs(app_.help().c_str(), stdout);
    std::fflush(stdout);
    return 0;
  } catch (const CLI::CallForVersion& version) {
    std::printf("%s\n", version.what());
    std::fflush(stdout);
    return 0;
  } catch (const CLI::ArgumentMismatch& error) {
    // "--scale: 1 required F missing" says less than "--scale needs a value".
    const std::string text = error.what();
    const std::size_t colon = text.find(": ");
    if (text.find(" missing") != std::string::npos && colon != std::string::npos) {
      FormatBounded(report, size, "%s needs a value", text.substr(0, colon).c_str());
    } else {
      FormatBounded(report, size, "%s", text.c_str());
    }
    return kExitBadArguments;
  } catch (const CLI::ParseError& error) {
    // An unknown argument explains a missing one ("--rol sim"): name it first.
    const std::vector<std::string> extras = app_.remaining();
    if (!extras.empty()) {
      FormatBounded(report, size, "unknown argument '%s'", extras.front().c_str());
    } else {
      FormatBounded(report, size, "%s", error.what());
    }
    return kExitBadArguments;
  }
  const std::vector<std::string> extras = app_.remaining();
  if (!extras.empty()) {
    FormatBounded(report, size, "unknown argument '%s'", extras.front().c_str());
    return kExitBadArguments;
  }
  return kGoOn;
}

int CommandLine::Bad(const char* format, ...) {
  std::fprintf(stderr, "%s: ", program_);
  va_list args;
  va_start(args, format);
  std::vfprintf(stderr, format, args);
  va_end(args);
  std::fprintf(stderr, "\nTry '%s --help'.\n", program_);
  return kExitBadArguments;
}

CLI::Validator Check(std::function<std::string(const std::string&)> check, const char* description) {
  return CLI::Validator([check = std::move(check)](std::string& value) { return check(value); },
                        description != nullptr ? description : "");
}

}  // namespace command_line
