#pragma once

#include <memory>
#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace tessaro::cli {

// The option syntax every command-line program shares: "--opt value" and
// "--opt=value" alike, flags, "--" before positionals, the last of a
// repeated option wins.  It only splits the command line: each program
// checks the values and words its own errors.
class CommandLine {
 public:
  struct Error {
    enum class Kind { kNone, kUnknown, kNoValue, kFlagValue };
    Kind kind = Kind::kNone;
    // The word not understood, the option without a value, or the flag given
    // one ("--passive=x").
    std::string option;
  };

  CommandLine();
  ~CommandLine();
  CommandLine(const CommandLine&) = delete;
  CommandLine& operator=(const CommandLine&) = delete;

  // `names`: "--passive", or "-h,--help".  `set` becomes true when given.
  void Flag(const std::string& names, bool& set);
  // An option with a value; `given` (if not null) becomes true when it
  // appeared, even with an empty value.
  void Value(const std::string& name, std::string& value, bool* given = nullptr);
  // The words that are not options, in order.
  void Positionals(std::vector<std::string>& words);

  Error Parse(int argc, const char* const* argv);

 private:
  struct Given;
  std::unique_ptr<CLI::App> app_;
  std::vector<Given> given_;
};

}  // namespace tessaro::cli
