# skyrill_charts: the chart and wind-strip drawing library (QtGui, and QtSvg
# inside for SVG files).
qt_add_resources(SKYRILL_BARB_RESOURCES ${PROJECT_SOURCE_DIR}/resources/barbs.qrc)
add_library(skyrill_charts STATIC
  barb_icons.cpp
  barb_icons.h
  barb_table.h
  chart_axes.cpp
  chart_axes.h
  chart_colours.h
  comparison_chart.cpp
  comparison_chart.h
  day_chart.cpp
  day_chart.h
  picture_files.cpp
  picture_files.h
  summary_chart.cpp
  summary_chart.h
  wind_strip.cpp
  wind_strip.h
  ${SKYRILL_BARB_RESOURCES}
)
target_include_directories(skyrill_charts PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(skyrill_charts PUBLIC skyrill_archive Qt6::Gui PRIVATE Qt6::Svg)
skyrill_warnings(skyrill_charts)
