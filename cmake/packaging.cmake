# Two Debian packages, made with `cpack` in a build tree (scripts/package-debian):
#   vk2mp4        the command-line program and the sample generator, needs ffmpeg
#   vk2-mp4-tool  the Qt program with its desktop entry and icons, needs vk2mp4
# The shared-library dependencies (libc, libstdc++, the Qt 6 libraries) come from
# dpkg-shlibdeps, so they follow whatever the build linked.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vk2-mp4-tool)
set(CPACK_PACKAGE_VENDOR "VK2 MP4 Conversion Tool developers")
set(CPACK_PACKAGE_CONTACT "VK2 MP4 Conversion Tool developers")
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)

set(CPACK_COMPONENTS_ALL cli)
set(CPACK_DEBIAN_CLI_PACKAGE_NAME vk2mp4)
set(CPACK_DEBIAN_CLI_PACKAGE_DEPENDS ffmpeg)
set(CPACK_COMPONENT_CLI_DESCRIPTION "converts a vehicle camera's MMV recordings into MP4
vk2mp4 merges up to 15 consecutive MMV recordings, converts them with ffmpeg
into one MP4 with the camera's telemetry (clock, position, heading, speed,
engine speed, acceleration, alarm events) burnt in as subtitles, sorts a memory
card's recordings into trips and writes the telemetry as GPX, KML, GeoJSON or
CSV. mmv-synth makes sample recordings to try it on.")
if(VK2_BUILD_GUI)
  list(APPEND CPACK_COMPONENTS_ALL gui)
  set(CPACK_DEBIAN_GUI_PACKAGE_NAME vk2-mp4-tool)
  set(CPACK_COMPONENT_GUI_DEPENDS cli)
  set(CPACK_COMPONENT_GUI_DESCRIPTION "desktop program converting a vehicle camera's MMV recordings into MP4
vk2-mp4-tool opens one MMV recording, up to 15 consecutive ones or a whole
memory card and converts them into MP4 videos with the camera's telemetry as
subtitles; the span, the subtitle items and formats are chosen in a dialog.")
endif()
include(CPack)
