#include "cli/option_parser.h"

#include <gtest/gtest.h>

namespace skyrill {
namespace {

// A command line like the tools': two flags, two values, one repeated
// option and at most one operand.
struct Line {
  bool help = false, slots = false, keyGiven = false;
  std::string station, key;
  std::vector<std::string> keys, files;

  bool parse(const std::vector<std::string>& args, std::string& error) {
    return OptionParser()
        .flag("--help", help)
        .flag("--slots", slots)
        .value("--station", station)
        .value("--key", key, &keyGiven)
        .values("--accept", keys)
        .operands(files, "FILE", 1)
        .parse(args, error);
  }
};

TEST(OptionParser, readsValuesEitherWayAndFlags) {
  Line line;
  std::string error;
  ASSERT_TRUE(line.parse({"--station=54511", "--key", "", "-h", "--slots", "--accept", "a",
                          "--accept=b=c", "day.json"},
                         error))
      << error;
  EXPECT_EQ(line.station, "54511");
  EXPECT_TRUE(line.keyGiven) << "an empty value counts as given";
  EXPECT_TRUE(line.help);
  EXPECT_TRUE(line.slots);
  EXPECT_EQ(line.keys, (std::vector<std::string>{"a", "b=c"}));
  EXPECT_EQ(line.files, std::vector<std::string>{"day.json"});
}

TEST(OptionParser, aValueMayLookLikeAnOptionAndOperandsFollowTheDoubleDash) {
  Line line;
  std::string error;
  ASSERT_TRUE(line.parse({"--station", "--slots", "--", "-day.json"}, error)) << error;
  EXPECT_EQ(line.station, "--slots");
  EXPECT_FALSE(line.slots);
  EXPECT_EQ(line.files, std::vector<std::string>{"-day.json"});
}

TEST(OptionParser, refusesWhatItDoesNotUnderstand) {
  const struct {
    std::vector<std::string> args;
    std::string error;
  } cases[] = {
      {{"--bogus"}, "unknown option --bogus"},
      {{"--bogus=1"}, "unknown option --bogus"},
      {{"-x"}, "unknown option -x"},
      {{"--station"}, "--station needs a value"},
      {{"--slots=yes"}, "--slots takes no value"},
      {{"a.json", "b.json"}, "only one FILE may be given"},
  };
  for (const auto& c : cases) {
    Line line;
    std::string error;
    EXPECT_FALSE(line.parse(c.args, error)) << c.args.front();
    EXPECT_EQ(error, c.error);
  }
  std::string error;
  EXPECT_FALSE(OptionParser().parse({"stray"}, error));
  EXPECT_EQ(error, "unexpected argument stray");
}

TEST(OptionParser, readsDateOptionsAndNamesTheOptionOfAnImpossibleOne) {
  int date = 0;
  std::string error;
  EXPECT_TRUE(readDateOption("--date", "2024-1-20", date, error));
  EXPECT_EQ(date, 20240120);
  EXPECT_FALSE(readDateOption("--date", "2024-02-30", date, error));
  EXPECT_EQ(error,
            "--date takes a date that exists, as YYYY-MM-DD, YYYY-M-D or YYYYMMDD (not "
            "\"2024-02-30\")");
}

}  // namespace
}  // namespace skyrill
