# One manual page per program, made at build time from the program's own
# --help and --version output by skyrill-help-to-man, into man/man1 of the
# build tree. SKYRILL_MAN_PAGES lists them for installation.
add_executable(skyrill-help-to-man ${CMAKE_CURRENT_LIST_DIR}/help_to_man.cpp)
skyrill_warnings(skyrill-help-to-man)

# Each program with the line of its page's NAME section.
set(SKYRILL_MAN_NAME_skyrill
    "show one weather station's hourly observations for one day in a window")
set(SKYRILL_MAN_NAME_skyrill-day
    "show, export or fetch one station-day of hourly observations without a window")
set(SKYRILL_MAN_NAME_skyrill-summary "sum up saved days as a table or a chart")
set(SKYRILL_MAN_NAME_skyrill-fetch "fetch past days of weather stations into the History archive")
set(SKYRILL_MAN_NAME_skyrill-sample-service
    "serve synthetic hourly observations and a station directory over HTTP")
set(SKYRILL_MAN_NAME_skyrill-barb-icons "draw the wind-barb icons and the application icon's sizes")
set(SKYRILL_MAN_PROGRAMS skyrill skyrill-day skyrill-summary skyrill-fetch skyrill-sample-service
    skyrill-barb-icons)

set(SKYRILL_MAN_DIR ${PROJECT_BINARY_DIR}/man/man1)
string(JOIN "," skyrill_man_see_also ${SKYRILL_MAN_PROGRAMS})
set(SKYRILL_MAN_PAGES)
foreach(program IN LISTS SKYRILL_MAN_PROGRAMS)
  set(page ${SKYRILL_MAN_DIR}/${program}.1)
  add_custom_command(
    OUTPUT ${page}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${SKYRILL_MAN_DIR}
    COMMAND skyrill-help-to-man $<TARGET_FILE:${program}> ${page}
            --name ${SKYRILL_MAN_NAME_${program}} --date ${SKYRILL_RELEASE_DATE}
            --see-also ${skyrill_man_see_also}
    DEPENDS skyrill-help-to-man ${program}
    COMMENT "Making the manual page ${program}.1"
    VERBATIM)
  list(APPEND SKYRILL_MAN_PAGES ${page})
endforeach()
add_custom_target(skyrill-man-pages ALL DEPENDS ${SKYRILL_MAN_PAGES})
