# Windows parts of the Qt programs (brindle.exe, brindle-backups.exe): resources (icon,
# manifest, version information) and the runtime that must lie beside them. Each folder of a
# Qt program includes this file, for the link options below; the runtime's target is made
# once. Qt is used as DLLs built with MinGW's shared C++ runtime, so the programs that link Qt
# take that runtime as DLLs too: one libstdc++ in the process, whose exceptions and
# allocations cross the DLL boundary safely.

set(BRINDLE_BIN_DIR ${CMAKE_BINARY_DIR}/bin)

# The console programs link -static; drop it for everything that links Qt.
get_directory_property(_brindle_link_options LINK_OPTIONS)
list(REMOVE_ITEM _brindle_link_options -static)
set_directory_properties(PROPERTIES LINK_OPTIONS "${_brindle_link_options}")

# brindle_windows_resources(<target> <description>): icon, manifest and version information.
function(brindle_windows_resources target description)
  enable_language(RC)
  set(BRINDLE_EXE_NAME ${target})
  set(BRINDLE_DESCRIPTION "${description}")
  set(BRINDLE_ICON ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/brindle.ico)
  set(BRINDLE_MANIFEST ${CMAKE_CURRENT_BINARY_DIR}/${target}.manifest)
  set(major ${PROJECT_VERSION_MAJOR})
  set(minor ${PROJECT_VERSION_MINOR})
  if(NOT minor)
    set(minor 0)
  endif()
  set(BRINDLE_FILE_VERSION_DOTS ${major}.${minor}.0.0)
  set(BRINDLE_FILE_VERSION_COMMAS ${major},${minor},0,0)
  configure_file(${CMAKE_CURRENT_FUNCTION_LIST_DIR}/brindle.manifest ${BRINDLE_MANIFEST} @ONLY)
  configure_file(${CMAKE_CURRENT_FUNCTION_LIST_DIR}/brindle.rc.in
                 ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc @ONLY)
  target_sources(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc)
  set_source_files_properties(${CMAKE_CURRENT_BINARY_DIR}/${target}.rc PROPERTIES
    OBJECT_DEPENDS "${BRINDLE_ICON};${BRINDLE_MANIFEST}")
endfunction()

# The MinGW runtime DLLs that the Qt DLLs and our Qt programs load.
set(_brindle_mingw_dlls)
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
    OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT IS_ABSOLUTE "${path}" OR NOT EXISTS "${path}")
    message(FATAL_ERROR "${CMAKE_CXX_COMPILER} does not know where ${dll} is")
  endif()
  list(APPEND _brindle_mingw_dlls ${path})
endforeach()

if(TARGET brindle_qt_runtime)
  return()
endif()

# Copies into bin/ what the Qt programs there need at run time: Qt's DLLs, the platform plugins
# (windows for the program, offscreen for the tests), the native style and qt.conf, which
# points Qt at the plugins folder.
add_custom_target(brindle_qt_runtime
  COMMAND ${CMAKE_COMMAND} -E make_directory
    ${BRINDLE_BIN_DIR}/plugins/platforms ${BRINDLE_BIN_DIR}/plugins/styles
  COMMAND ${CMAKE_COMMAND} -E copy_if_different
    $<TARGET_FILE:Qt6::Core> $<TARGET_FILE:Qt6::Gui> $<TARGET_FILE:Qt6::Widgets>
    $<TARGET_FILE:Qt6::Test> ${_brindle_mingw_dlls} ${BRINDLE_BIN_DIR}
  COMMAND ${CMAKE_COMMAND} -E copy_if_different
    $<TARGET_FILE:Qt6::QWindowsIntegrationPlugin> $<TARGET_FILE:Qt6::QOffscreenIntegrationPlugin>
    ${BRINDLE_BIN_DIR}/plugins/platforms
  COMMAND ${CMAKE_COMMAND} -E copy_if_different
    $<TARGET_FILE:Qt6::QWindowsVistaStylePlugin> ${BRINDLE_BIN_DIR}/plugins/styles
  COMMAND ${CMAKE_COMMAND} -E copy_if_different
    ${CMAKE_CURRENT_LIST_DIR}/qt.conf ${BRINDLE_BIN_DIR}
  COMMENT "Copying Qt and the MinGW runtime into ${BRINDLE_BIN_DIR}"
  VERBATIM)
