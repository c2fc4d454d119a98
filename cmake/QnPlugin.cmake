# qn_add_plugin(<target> SOURCES ... [LIBRARIES ...])
# A plug-in library: a shared object named after the target (no "lib" prefix), placed in
# <build>/plugins, linking its own copy of the framework and exporting exactly
# getModuleProperties and makeModule.
set(QN_PLUGIN_OUTPUT_DIR "${CMAKE_BINARY_DIR}/plugins")

function(qn_add_plugin target)
  cmake_parse_arguments(PARSE_ARGV 1 ARG "" "" "SOURCES;LIBRARIES")
  add_library(${target} SHARED ${ARG_SOURCES})
  target_link_libraries(${target} PRIVATE qn_plugin_entry_points qn_framework ${ARG_LIBRARIES})
  set_target_properties(${target} PROPERTIES
    PREFIX ""
    CXX_VISIBILITY_PRESET hidden
    C_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON
    LIBRARY_OUTPUT_DIRECTORY "${QN_PLUGIN_OUTPUT_DIR}"
    RUNTIME_OUTPUT_DIRECTORY "${QN_PLUGIN_OUTPUT_DIR}")
  if(WIN32)
    target_sources(${target} PRIVATE "${PROJECT_SOURCE_DIR}/framework/plugin/plugin_exports.def")
    target_link_options(${target} PRIVATE -static-libgcc -static-libstdc++ -static)
  else()
    target_link_options(${target} PRIVATE
      "LINKER:--version-script=${PROJECT_SOURCE_DIR}/framework/plugin/plugin_exports.map"
      "LINKER:-Bsymbolic")
    # clang links sanitizer runtimes into executables only: an instrumented plug-in takes them
    # from the process that loads it, so its sanitizer symbols stay undefined until then.
    if(NOT ((QN_SANITIZERS OR QN_BUILD_FUZZERS) AND CMAKE_CXX_COMPILER_ID STREQUAL "Clang"))
      target_link_options(${target} PRIVATE "LINKER:--no-undefined")
    endif()
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS
      "${PROJECT_SOURCE_DIR}/framework/plugin/plugin_exports.map")
  endif()
endfunction()
