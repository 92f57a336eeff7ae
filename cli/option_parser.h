#pragma once

#include <cstddef>
#include <limits>
#include <map>
#include <string>
#include <vector>

// The one way every Skyrill program reads its command line.
namespace skyrill {

// The exit status of a command line a program does not understand; the
// usage goes to standard error with it.
inline constexpr int kUsageStatus = 2;

// Reads "--name value" and "--name=value", flags that take no value, "-h" as
// "--help", and operands (every argument after "--" is one, even when it
// begins with "-"). A value given twice keeps the last.
class OptionParser {
 public:
  // A flag: `set` becomes true when the option is given.
  OptionParser& flag(const std::string& name, bool& set);
  // An option with a value; `given`, when there, tells that it was given
  // (an empty value included).
  OptionParser& value(const std::string& name, std::string& text, bool* given = nullptr);
  // An option that may be given many times; each value is kept in order.
  OptionParser& values(const std::string& name, std::vector<std::string>& texts);
  // The arguments that are no options, at most `most` of them; `noun`
  // names one in messages ("FILE").
  OptionParser& operands(std::vector<std::string>& texts, std::string noun,
                         std::size_t most = std::numeric_limits<std::size_t>::max());

  // False with a one-line error for an unknown option, a value missing or
  // given to a flag, or an operand too many.
  bool parse(const std::vector<std::string>& args, std::string& error) const;

 private:
  struct Option {
    bool* flag = nullptr;
    std::string* text = nullptr;
    bool* given = nullptr;
    std::vector<std::string>* texts = nullptr;
  };
  bool take(const Option& option, const std::string& name, const std::string* value,
            std::string& error) const;
  std::string tooManyOperands(const std::string& arg) const;

  std::map<std::string, Option> options_;
  std::vector<std::string>* operands_ = nullptr;
  std::string operandNoun_;
  std::size_t mostOperands_ = 0;
};

// Reads the date given to `option` (a date as readDateNumber takes it) into
// `date` as YYYYMMDD; false with an error naming the option and the forms
// when the text is no date that exists.
bool readDateOption(const std::string& option, const std::string& text, int& date,
                    std::string& error);

// Checks that the file given to `option` names a picture format by its
// ending; false with an error listing the endings when it does not. An
// option not given (empty) passes.
bool checkPictureOption(const std::string& option, const std::string& file, std::string& error);

}  // namespace skyrill
