#pragma once

#include <string>
#include <string_view>

namespace skyrill {

// The kind of day requested.
enum class QueryMode {
  History = 0,  // a past day, records listed oldest first
  Today = 1,    // the current day so far, records listed newest first
};

// Which wind observation fills the wind fields; stored as 1 to 3.
enum class WindVariant {
  MaxInstant = 1,     // last hour's maximum instantaneous wind
  TwoMinuteMean = 2,  // last hour's 2-minute mean wind
  HourlyInstant = 3,  // instantaneous wind on the hour
};

// Which visibility fills the visibility field; stored as 1 and 2.
enum class VisibilityVariant {
  TenMinuteMean = 1,  // last hour's 10-minute mean visibility
  Reported = 2,       // reported visibility of the last hour
};

// The inputs of one run, read from the window when the run needs them.
struct QueryRequest {
  QueryMode mode = QueryMode::History;
  std::string stationNumber;
  std::string year;  // selected item texts of the date lists, e.g. "2019", "7", "5"
  std::string month;
  std::string day;
  bool advancedSource = false;
  std::string apiKey;
  bool proxyEnabled = false;
  std::string proxyAddress;
  WindVariant windVariant = WindVariant::MaxInstant;
  VisibilityVariant visibilityVariant = VisibilityVariant::TenMinuteMean;
};

// Sets the request's year, month and day texts to the date YYYYMMDD, as the
// window's date lists give them ("2019", "7", "5").
void setRequestDate(QueryRequest& request, int date);

// "res" for History, "today" for Today.
std::string_view recordPrefix(QueryMode mode);

// The part of a path after its last "/" or "\".
std::string fileNameOfPath(std::string_view path);

// The mode number an opened file carries in its name: the integer value of
// the first two characters of the name (folders dropped) when the second
// character is "_", else the realtime tick.
// May give numbers other than 0 and 1; callers refuse those.
int modeNumberFromFileName(std::string_view path, bool realtimeTicked);

// Captions of the wind and visibility menu titles for the variants in use.
std::string windMenuCaption(WindVariant variant);
std::string visibilityMenuCaption(VisibilityVariant variant);

}  // namespace skyrill
