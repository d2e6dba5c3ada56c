# Compiler settings shared by every target of the project.
option(KOVRA_SANITIZE "Build the native tests with AddressSanitizer and UndefinedBehaviorSanitizer" ON)

add_library(kovra_options INTERFACE)
target_compile_options(kovra_options INTERFACE -Wall -Wextra)
target_include_directories(kovra_options INTERFACE ${KOVRA_ROOT}/src)

if(WIN32)
  # Unicode Win32 throughout; static runtime so that each .exe needs no DLL beyond Windows' own.
  target_compile_definitions(kovra_options INTERFACE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX
                                                     _WIN32_WINNT=0x0601 WINVER=0x0601 STRICT_TYPED_ITEMIDS)
  # Page-aligned sections let Wine map the image instead of copying it whole (debug sections
  # included) into memory: a smaller working set and a faster start.
  target_link_options(kovra_options INTERFACE -static -static-libgcc -static-libstdc++
                                              -Wl,--file-alignment,4096)
elseif(KOVRA_SANITIZE)
  target_compile_options(kovra_options INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer
                                                 -fno-sanitize-recover=all)
  target_link_options(kovra_options INTERFACE -fsanitize=address,undefined)
endif()

# kovra_add_windows_exe(name GUI|CONSOLE sources...): a Windows program with a wide entry point.
function(kovra_add_windows_exe name kind)
  add_executable(${name} ${ARGN})
  target_link_options(${name} PRIVATE -municode)
  if(kind STREQUAL "GUI")
    target_link_options(${name} PRIVATE -mwindows)
  endif()
  target_link_libraries(${name} PRIVATE kovra_options)
endfunction()
