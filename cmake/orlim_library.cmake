# orlim_library(NAME SOURCES...): each ORLIM library is compiled once, with
# hidden visibility so that only ORLIM_API declarations are exported, and linked
# twice: NAME, the shared library that is installed, and NAME-static, a twin
# that is never installed, through which the tests, the benchmarks and the fuzz
# targets reach the internals. Usage requirements go on NAME-objects (compiling)
# and on both libraries (linking).
function(orlim_library name)
  add_library(${name}-objects OBJECT ${ARGN})
  set_target_properties(${name}-objects PROPERTIES CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
  add_library(${name} SHARED $<TARGET_OBJECTS:${name}-objects>)
  add_library(${name}-static STATIC $<TARGET_OBJECTS:${name}-objects>)
  set_target_properties(${name} PROPERTIES VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR})
endfunction()
