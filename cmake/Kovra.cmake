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

# kovra_delay_import(dll...): for each system DLL, an imported library `delay::<dll>` whose
# functions load the DLL on their first call instead of at process start. Start-up then maps only
# what showing the first window needs (shell32 alone brings two more libraries with it). Link it
# in place of the plain library name.
function(kovra_delay_import)
  find_program(KOVRA_NM NAMES ${CMAKE_CXX_COMPILER_TARGET}-nm x86_64-w64-mingw32-nm REQUIRED)
  find_program(KOVRA_DLLTOOL NAMES x86_64-w64-mingw32-dlltool REQUIRED)
  set(dir ${CMAKE_BINARY_DIR}/delay-imports)
  file(MAKE_DIRECTORY ${dir})
  foreach(dll ${ARGN})
    if(TARGET delay::${dll})
      continue()
    endif()
    find_library(implib_${dll} NAMES lib${dll}.a REQUIRED)
    set(implib ${implib_${dll}})
    set(def ${dir}/${dll}.def)
    set(lib ${dir}/lib${dll}_delay.a)
    if(NOT EXISTS ${lib} OR ${implib} IS_NEWER_THAN ${lib})
      # The exports are the import library's __imp_ symbols.
      execute_process(COMMAND ${KOVRA_NM} ${implib} OUTPUT_VARIABLE symbols
                      COMMAND_ERROR_IS_FATAL ANY)
      string(REGEX MATCHALL "[0-9a-f]+ I __imp_[A-Za-z0-9_@?$]+" imports "${symbols}")
      list(TRANSFORM imports REPLACE "^[0-9a-f]+ I __imp_" "")
      list(REMOVE_DUPLICATES imports)
      list(JOIN imports "\n" exports)
      file(WRITE ${def} "LIBRARY ${dll}.dll\nEXPORTS\n${exports}\n")
      execute_process(COMMAND ${KOVRA_DLLTOOL} --input-def ${def} --output-delaylib ${lib}
                              --dllname ${dll}.dll COMMAND_ERROR_IS_FATAL ANY)
    endif()
    add_library(delay::${dll} STATIC IMPORTED GLOBAL)
    set_target_properties(delay::${dll} PROPERTIES IMPORTED_LOCATION ${lib})
  endforeach()
endfunction()
