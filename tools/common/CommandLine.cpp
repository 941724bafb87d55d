#include "tools/common/CommandLine.h"

#include <CLI/CLI.hpp>

namespace tessaro::cli {

struct CommandLine::Given {
  CLI::Option* option;
  bool* given;
};

CommandLine::CommandLine() : app_(std::make_unique<CLI::App>()) {
  app_->set_help_flag();
  app_->allow_extras();
  app_->option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
}

CommandLine::~CommandLine() = default;

void CommandLine::Flag(const std::string& names, bool& set) {
  app_->add_flag(names, set);
}

void CommandLine::Value(const std::string& name, std::string& value, bool* given) {
  CLI::Option* option = app_->add_option(name, value);
  if (given != nullptr) given_.push_back({option, given});
}

void CommandLine::Positionals(std::vector<std::string>& words) {
  app_->add_option("words", words);
}

CommandLine::Error CommandLine::Parse(int argc, const char* const* argv) {
  Error error;
  try {
    app_->parse(argc, argv);
  } catch (const CLI::ConversionError& e) {
    // A flag given a value: "Could not convert: --passive = x".
    const std::string what = e.what();
    const std::size_t from = what.find("--");
    error.kind = Error::Kind::kFlagValue;
    error.option =
        from == std::string::npos ? what : what.substr(from, what.find(' ', from) - from);
    return error;
  } catch (const CLI::ParseError& e) {
    // The library names the option first: "--port: 1 required TEXT missing".
    const std::string what = e.what();
    error.kind = Error::Kind::kNoValue;
    error.option = what.substr(0, what.find(':'));
    return error;
  }
  for (const Given& g : given_) *g.given = g.option->count() > 0;
  const std::vector<std::string> extras = app_->remaining();
  if (!extras.empty()) {
    error.kind = Error::Kind::kUnknown;
    error.option = extras.front();
  }
  return error;
}

}  // namespace tessaro::cli
