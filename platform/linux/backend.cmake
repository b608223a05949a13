# Libraries of the Linux back end. Each back-end concern adds its packages here.
# (SDL2 for window and surfaces, GStreamer (and its GLib, also for MD5) for media, libcurl for HTTP.)

# GStreamer plays the songs (platform/linux/media_gstreamer.cpp).
pkg_check_modules(TAVRIX_GSTREAMER REQUIRED IMPORTED_TARGET gstreamer-1.0)
target_link_libraries(tavrix_platform PRIVATE PkgConfig::TAVRIX_GSTREAMER)

# libcurl: the HTTP client (platform/http.h). Its headers only: the library is opened with the first
# request (platform/linux/curl_library.cpp), so a start that asks no server never loads it.
pkg_check_modules(TAVRIX_CURL REQUIRED libcurl)
target_include_directories(tavrix_platform PRIVATE ${TAVRIX_CURL_INCLUDE_DIRS})
target_link_libraries(tavrix_platform PRIVATE ${CMAKE_DL_LIBS})

# MD5 of the settings fingerprint through GLib's checksums (md5_glib.cpp): GLib comes with GStreamer.

# Display: window, surfaces, events and message boxes on SDL2 (platform/sdl, shared with Windows);
# text through SDL2_ttf in the font that fontconfig matches for "Arial".
tavrix_platform_part(sdl)
pkg_check_modules(TAVRIX_SDL REQUIRED IMPORTED_TARGET sdl2 SDL2_ttf fontconfig)
target_link_libraries(tavrix_platform PRIVATE PkgConfig::TAVRIX_SDL)

# GStreamer's plugin utilities: missing-plugin messages and the system's codec installer.
pkg_check_modules(TAVRIX_GST_PBUTILS REQUIRED IMPORTED_TARGET gstreamer-pbutils-1.0)
target_link_libraries(tavrix_platform PRIVATE PkgConfig::TAVRIX_GST_PBUTILS)
