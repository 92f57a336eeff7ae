# skyrill_charts: the chart and wind-strip drawing library.
add_library(skyrill_charts STATIC day_chart.cpp wind_strip.cpp)
target_include_directories(skyrill_charts PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(skyrill_charts PUBLIC skyrill_core Qt6::Gui)
skyrill_warnings(skyrill_charts)
