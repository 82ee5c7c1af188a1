# The library never reaches its own exported functions through the dynamic linker: the shared
# library has no dynamic relocation (PLT slot or GOT entry) naming a ZLC_ symbol, and no object file
# of the library refers to a ZLC_ symbol at all. The second check holds whatever the link options,
# so a call slipped in through an exported name is caught even where -Bsymbolic-functions would
# bind it locally. OBJECTS is a comma-separated list.
function(zlc_symbol_references tool_output out_var)
  string(REGEX MATCHALL "[ \t]ZLC_[A-Za-z0-9_]+" refs "${tool_output}")
  list(TRANSFORM refs STRIP)
  list(REMOVE_DUPLICATES refs)
  set(${out_var} "${refs}" PARENT_SCOPE)
endfunction()

execute_process(COMMAND ${READELF} -rW ${LIBRARY} OUTPUT_VARIABLE out RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "readelf failed on ${LIBRARY}")
endif()
zlc_symbol_references("${out}" dynamic)
if(dynamic)
  message(FATAL_ERROR "The shared library reaches its own exported functions through the dynamic "
                      "linker: ${dynamic}")
endif()

string(REPLACE "," ";" objects "${OBJECTS}")
set(offenders "")
foreach(object IN LISTS objects)
  execute_process(COMMAND ${READELF} -rW ${object} OUTPUT_VARIABLE out RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "readelf failed on ${object}")
  endif()
  zlc_symbol_references("${out}" refs)
  if(refs)
    get_filename_component(name ${object} NAME)
    list(APPEND offenders "${name}: ${refs}")
  endif()
endforeach()
if(offenders)
  list(JOIN offenders "\n  " text)
  message(FATAL_ERROR "Library code calls exported ZLC_ functions; call their C++ counterparts:\n  ${text}")
endif()
list(LENGTH objects n)
message(STATUS "No internal reference to an exported function in the shared library or its ${n} objects")
