# One INTERFACE target carries the language level, warnings, defines and sanitizer flags
# for every target of the project.
add_library(vortalux_build_options INTERFACE)
add_library(Vortalux::BuildOptions ALIAS vortalux_build_options)

target_compile_features(vortalux_build_options INTERFACE cxx_std_20)
set(CMAKE_CXX_EXTENSIONS OFF)
set(CMAKE_POSITION_INDEPENDENT_CODE ON)

target_compile_options(vortalux_build_options INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wcast-align -Woverloaded-virtual
  -Wimplicit-fallthrough -Wold-style-cast -Wcast-qual)
target_compile_definitions(vortalux_build_options INTERFACE
  VORTALUX_VERSION_MAJOR=${PROJECT_VERSION_MAJOR}
  VORTALUX_VERSION_MINOR=${PROJECT_VERSION_MINOR}
  VORTALUX_VERSION_PATCH=${PROJECT_VERSION_PATCH}
  QT_NO_CAST_FROM_ASCII QT_NO_CONTEXTLESS_CONNECT)

if(VORTALUX_WERROR)
  target_compile_options(vortalux_build_options INTERFACE -Werror)
endif()

if(VORTALUX_SANITIZE)
  target_compile_options(vortalux_build_options INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_link_options(vortalux_build_options INTERFACE -fsanitize=address,undefined)
endif()

if(VORTALUX_FUZZ)
  target_compile_options(vortalux_build_options INTERFACE
    -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_link_options(vortalux_build_options INTERFACE -fsanitize=address,undefined)
endif()
