#pragma once

#include <Qt>

#include <algorithm>
#include <optional>

namespace skyrill {

// Where the arrow keys take a chart's readout among `count` places (hours,
// days), from the place it shows (none yet): Right and Left one place on,
// stopping at the ends, and from none to the first or the last; Home and End
// to the ends. Nothing for any other key.
inline std::optional<int> placeAfterKey(int key, std::optional<int> current, int count) {
  const int last = std::max(0, count - 1);
  switch (key) {
    case Qt::Key_Right:
      return current ? std::min(*current + 1, last) : 0;
    case Qt::Key_Left:
      return current ? std::max(*current - 1, 0) : last;
    case Qt::Key_Home:
      return 0;
    case Qt::Key_End:
      return last;
    default:
      return std::nullopt;
  }
}

}  // namespace skyrill
