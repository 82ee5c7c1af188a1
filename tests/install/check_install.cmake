# cmake -P check_install.cmake with the -D values tests/install/CMakeLists.txt passes.
function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    string(REPLACE ";" " " command "${ARGN}")
    message(FATAL_ERROR "${command}\nexited with ${rc}\n${out}\n${err}")
  endif()
  set(run_output "${out}" PARENT_SCOPE)
endfunction()
function(expect_file path)
  if(NOT EXISTS ${path} OR IS_DIRECTORY ${path})
    message(FATAL_ERROR "not installed: ${path}")
  endif()
endfunction()
function(expect_link link target)
  if(NOT IS_SYMLINK ${link})
    message(FATAL_ERROR "${link} is not a symbolic link")
  endif()
  file(READ_SYMLINK ${link} points_to)
  if(NOT points_to STREQUAL target)
    message(FATAL_ERROR "${link} points to ${points_to}, not ${target}")
  endif()
endfunction()

set(prefix ${WORK_DIR}/prefix)
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
# --strip as a distributor might ask: the signed library must still come out unchanged.
run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix} --strip)

# The shared library, byte for byte as built, under its SONAME and development links.
set(lib ${prefix}/${LIBDIR})
string(REGEX MATCH "^[0-9]+" major ${VERSION})
expect_file(${lib}/libzeltavine_crypto.so.${VERSION})
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${LIBRARY} ${lib}/libzeltavine_crypto.so.${VERSION}
                RESULT_VARIABLE differs)
if(differs)
  message(FATAL_ERROR "the installed library differs from the built ${LIBRARY}")
endif()
expect_link(${lib}/libzeltavine_crypto.so.${major} libzeltavine_crypto.so.${VERSION})
expect_link(${lib}/libzeltavine_crypto.so libzeltavine_crypto.so.${major})
run(${READELF} -d ${lib}/libzeltavine_crypto.so.${VERSION})
if(NOT run_output MATCHES "Library soname: \\[libzeltavine_crypto\\.so\\.${major}\\]")
  message(FATAL_ERROR "no SONAME libzeltavine_crypto.so.${major}:\n${run_output}")
endif()
if(run_output MATCHES "R(UN)?PATH")
  message(FATAL_ERROR "the library carries a run path:\n${run_output}")
endif()
foreach(file ${lib}/libzeltavine_crypto.a ${prefix}/${INCLUDEDIR}/zlc.h ${lib}/pkgconfig/zeltavine-crypto.pc
        ${lib}/cmake/ZeltavineCrypto/ZeltavineCryptoConfig.cmake
        ${lib}/cmake/ZeltavineCrypto/ZeltavineCryptoConfigVersion.cmake
        ${lib}/cmake/ZeltavineCrypto/ZeltavineCryptoTargets.cmake)
  expect_file(${file})
endforeach()

if(APP)
  expect_file(${prefix}/${BINDIR}/tessarin)
  # The installed tool finds the installed library without help.
  run(ldd ${prefix}/${BINDIR}/tessarin)
  string(FIND "${run_output}" "libzeltavine_crypto.so.${major} => ${prefix}/" found)
  if(found EQUAL -1)
    message(FATAL_ERROR "the installed tessarin does not load the library under ${prefix}:\n${run_output}")
  endif()
  run(${DESKTOP_FILE_VALIDATE} ${prefix}/${DATADIR}/applications/tessarin.desktop)
  foreach(size 16 22 24 32 48 64 128 256)
    expect_file(${prefix}/${DATADIR}/icons/hicolor/${size}x${size}/apps/tessarin.png)
  endforeach()
endif()

# The package's targets and version rule, and the static library linked from C.
run(${CMAKE_COMMAND} -S ${PACKAGE_CHECK_DIR} -B ${WORK_DIR}/package_targets -G ${GENERATOR}
    -DCMAKE_C_COMPILER=${C_COMPILER} -DCMAKE_PREFIX_PATH=${prefix} -DEXAMPLE_DIR=${EXAMPLE_DIR}
    -DEXPECTED_INCLUDE_DIR=${prefix}/${INCLUDEDIR}
    "-DCMAKE_C_FLAGS=${SANITIZE_FLAGS}" "-DCMAKE_EXE_LINKER_FLAGS=${SANITIZE_FLAGS}")
run(${CMAKE_COMMAND} --build ${WORK_DIR}/package_targets)

# The example: once through find_package, once through pkg-config.
run(${CMAKE_COMMAND} -S ${EXAMPLE_DIR} -B ${WORK_DIR}/example -G ${GENERATOR}
    -DCMAKE_C_COMPILER=${C_COMPILER} -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_BUILD_TYPE=Debug
    "-DCMAKE_C_FLAGS=${SANITIZE_FLAGS}" "-DCMAKE_EXE_LINKER_FLAGS=${SANITIZE_FLAGS}")
run(${CMAKE_COMMAND} --build ${WORK_DIR}/example)
set(ENV{PKG_CONFIG_PATH} ${lib}/pkgconfig)
run(${PKG_CONFIG} --modversion zeltavine-crypto)
if(NOT run_output STREQUAL "${VERSION}\n")
  message(FATAL_ERROR "pkg-config gives version ${run_output}")
endif()
run(${PKG_CONFIG} --cflags --libs zeltavine-crypto)
separate_arguments(pc_flags UNIX_COMMAND "${run_output}")
separate_arguments(sanitize UNIX_COMMAND "${SANITIZE_FLAGS}")
run(${C_COMPILER} ${sanitize} ${EXAMPLE_DIR}/sha256_file.c ${pc_flags} -o ${WORK_DIR}/sha256_file_pc)

# A message that spans several read blocks and ends inside one.
string(REPEAT "0123456789abcdef\n" 12000 text)
set(message ${WORK_DIR}/message.txt)
file(WRITE ${message} "${text}")
run(${SHA256SUM} ${message})
string(REGEX MATCH "^[0-9a-f]+" expected "${run_output}")
foreach(program ${WORK_DIR}/example/sha256_file ${WORK_DIR}/sha256_file_pc)
  run(${CMAKE_COMMAND} -E env LD_LIBRARY_PATH=${lib} ${program} ${message})
  if(NOT run_output STREQUAL "${expected}\n")
    message(FATAL_ERROR "${program} printed \"${run_output}\", sha256sum ${expected}")
  endif()
endforeach()
