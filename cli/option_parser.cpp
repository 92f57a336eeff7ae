#include "cli/option_parser.h"

#include "core/calendar_date.h"
#include "core/picture_format.h"

namespace skyrill {

OptionParser& OptionParser::flag(const std::string& name, bool& set) {
  options_[name] = Option{.flag = &set};
  return *this;
}

OptionParser& OptionParser::value(const std::string& name, std::string& text, bool* given) {
  options_[name] = Option{.text = &text, .given = given};
  return *this;
}

OptionParser& OptionParser::values(const std::string& name, std::vector<std::string>& texts) {
  options_[name] = Option{.texts = &texts};
  return *this;
}

OptionParser& OptionParser::operands(std::vector<std::string>& texts, std::string noun,
                                     std::size_t most) {
  operands_ = &texts;
  operandNoun_ = std::move(noun);
  mostOperands_ = most;
  return *this;
}

bool OptionParser::take(const Option& option, const std::string& name, const std::string* value,
                        std::string& error) const {
  if (option.flag) {
    if (value) {
      error = name + " takes no value";
      return false;
    }
    *option.flag = true;
    return true;
  }
  if (!value) {
    error = name + " needs a value";
    return false;
  }
  if (option.texts) {
    option.texts->push_back(*value);
  } else {
    *option.text = *value;
    if (option.given) *option.given = true;
  }
  return true;
}

std::string OptionParser::tooManyOperands(const std::string& arg) const {
  if (!operands_ || mostOperands_ == 0) return "unexpected argument " + arg;
  if (mostOperands_ == 1) return "only one " + operandNoun_ + " may be given";
  return "at most " + std::to_string(mostOperands_) + " " + operandNoun_ + " may be given";
}

bool OptionParser::parse(const std::vector<std::string>& args, std::string& error) const {
  bool onlyOperands = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (!onlyOperands && arg == "--") {
      onlyOperands = true;
      continue;
    }
    if (onlyOperands || arg.size() < 2 || arg[0] != '-') {
      if (!operands_ || operands_->size() >= mostOperands_) {
        error = tooManyOperands(arg);
        return false;
      }
      operands_->push_back(arg);
      continue;
    }
    std::string name = arg == "-h" ? "--help" : arg;
    std::string attached;
    const bool hasAttached = name.starts_with("--") && name.find('=') != std::string::npos;
    if (hasAttached) {
      attached = name.substr(name.find('=') + 1);
      name.resize(name.find('='));
    }
    const auto option = options_.find(name);
    if (option == options_.end()) {
      error = "unknown option " + name;
      return false;
    }
    const std::string* value = hasAttached ? &attached : nullptr;
    // A value option takes the next argument whatever it looks like, so
    // that "--key -x" passes "-x" on.
    if (!hasAttached && !option->second.flag && i + 1 < args.size()) value = &args[++i];
    if (!take(option->second, name, value, error)) return false;
  }
  return true;
}

bool readDateOption(const std::string& option, const std::string& text, int& date,
                    std::string& error) {
  const auto number = readDateNumber(text);
  if (!number) {
    error = option + " takes a date that exists, as YYYY-MM-DD, YYYY-M-D or YYYYMMDD (not \"" +
            text + "\")";
    return false;
  }
  date = *number;
  return true;
}

bool checkPictureOption(const std::string& option, const std::string& file, std::string& error) {
  if (file.empty() || pictureFormatOf(file)) return true;
  error = option + " takes a picture file ending in " + pictureEndingsText(", ", " or ") +
          " (not \"" + file + "\")";
  return false;
}

}  // namespace skyrill
