# skyrill_ui: the main window and its parts (QtWidgets).
add_library(skyrill_ui STATIC
  canvas.cpp
  canvas.h
  date_lists.cpp
  date_lists.h
  hover_readout.cpp
  hover_readout.h
  main_window.cpp
  main_window.h
  main_window_commands.cpp
  main_window_menu.cpp
  main_window_table.cpp
  search_box.cpp
  search_box.h
  status_strip.cpp
  status_strip.h
  station_field.cpp
  station_field.h
  station_picker.cpp
  station_picker.h
  sunken_line_edit.cpp
  sunken_line_edit.h
  table_window.cpp
  table_window.h
  window_placement.cpp
  window_placement.h
)
set_target_properties(skyrill_ui PROPERTIES AUTOMOC ON)
target_include_directories(skyrill_ui PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(skyrill_ui PUBLIC skyrill_charts skyrill_core skyrill_stations skyrill_store Qt6::Widgets)
skyrill_warnings(skyrill_ui)
