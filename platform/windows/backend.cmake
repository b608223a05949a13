# Libraries of the Windows back end, all static (scripts/windows/build-deps.sh builds them):
# SDL2 and SDL2_ttf for window, surfaces, events and text (platform/sdl, shared with Linux), Media
# Foundation and waveOut for media, WinINet for HTTP, bcrypt for MD5, the shell for folders and files.
if(NOT WIN32)
  message(FATAL_ERROR "The windows back end builds with the mingw-w64 toolchain: -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake")
endif()

tavrix_platform_part(sdl)
# Their CMake packages bring the static libraries' own dependencies (FreeType, the system's DLLs).
find_package(SDL2 REQUIRED CONFIG)
find_package(SDL2_ttf REQUIRED CONFIG)
target_link_libraries(tavrix_platform PRIVATE SDL2_ttf::SDL2_ttf-static SDL2::SDL2-static)
# SDL's main() wrapper is not used: the programs have their own main.
target_compile_definitions(tavrix_platform PRIVATE SDL_MAIN_HANDLED)

# The Unicode (W) names of the Windows API, at the Windows 7 level.
target_compile_definitions(tavrix_platform PRIVATE UNICODE _UNICODE WIN32_LEAN_AND_MEAN _WIN32_WINNT=0x0601 WINVER=0x0601)
target_link_libraries(tavrix_platform PRIVATE mfreadwrite mfplat mfuuid winmm wininet ws2_32 bcrypt shell32 ole32 uuid
                      oleaut32 uuid gdi32 user32)

# Every program that links the platform carries the manifest (UTF-8 names) and opens files in
# binary mode by default (binary_files.cpp), so text files get the same bytes as on Linux.
set(TAVRIX_MANIFEST ${CMAKE_CURRENT_LIST_DIR}/tavrix.manifest)
configure_file(${CMAKE_CURRENT_LIST_DIR}/tavrix.rc.in ${CMAKE_CURRENT_BINARY_DIR}/tavrix.rc @ONLY)
target_sources(tavrix_platform INTERFACE ${CMAKE_CURRENT_BINARY_DIR}/tavrix.rc)
target_sources(tavrix_platform INTERFACE ${CMAKE_CURRENT_LIST_DIR}/binary_files.cpp)
