# The AppStream metadata, filled in with the version, its release date and
# the project's addresses; SKYRILL_METAINFO_FILE is the file to install.
set(SKYRILL_APPSTREAM_ID io.github.skyrill.skyrill)
set(SKYRILL_HOMEPAGE_URL "https://github.com/skyrill/skyrill"
    CACHE STRING "The project's home page, named in the AppStream metadata")
set(SKYRILL_SCREENSHOT_URL
    "https://raw.githubusercontent.com/skyrill/skyrill/main/docs/skyrill-window.png"
    CACHE STRING "Where software centres fetch the screenshot named in the AppStream metadata")
set(SKYRILL_METAINFO_FILE ${PROJECT_BINARY_DIR}/resources/${SKYRILL_APPSTREAM_ID}.metainfo.xml)
configure_file(${CMAKE_CURRENT_LIST_DIR}/${SKYRILL_APPSTREAM_ID}.metainfo.xml.in
               ${SKYRILL_METAINFO_FILE} @ONLY)
