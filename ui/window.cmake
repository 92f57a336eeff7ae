# skyrill_ui: the main window and its parts (QtWidgets).
add_library(skyrill_ui STATIC
  busy_panel.cpp
  busy_panel.h
  canvas.cpp
  canvas.h
  certificate_question.cpp
  certificate_question.h
  climate_window.cpp
  climate_window.h
  date_field.cpp
  date_field.h
  date_lists.cpp
  date_lists.h
  export_dialog.cpp
  export_dialog.h
  file_dialogs.cpp
  file_dialogs.h
  hover_readout.cpp
  hover_readout.h
  light_palette.cpp
  light_palette.h
  main_window.cpp
  main_window.h
  main_window_about.cpp
  main_window_climate.cpp
  main_window_commands.cpp
  main_window_export.cpp
  main_window_menu.cpp
  main_window_print.cpp
  main_window_table.cpp
  main_window_trust.cpp
  overview_export.cpp
  overview_window.cpp
  overview_window.h
  print_sheet.cpp
  print_sheet.h
  range_dialog.cpp
  range_dialog.h
  same_day_chart.cpp
  same_day_chart.h
  search_box.cpp
  search_box.h
  server_dialog.cpp
  server_dialog.h
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
  text_table.cpp
  text_table.h
  thread_runner.cpp
  thread_runner.h
  window_placement.cpp
  window_placement.h
)
set_target_properties(skyrill_ui PROPERTIES AUTOMOC ON)
target_include_directories(skyrill_ui PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(skyrill_ui PUBLIC skyrill_charts skyrill_core skyrill_stations skyrill_store skyrill_net skyrill_fetch Qt6::Widgets Qt6::PrintSupport)
skyrill_warnings(skyrill_ui)
target_compile_definitions(skyrill_ui PRIVATE SKYRILL_VERSION="${PROJECT_VERSION}")
