# Build and test helpers shared by every folder.

if(CMAKE_CROSSCOMPILING AND WIN32)
  set(VELMOR_WINDOWS ON)
  # One Wine prefix per build tree, booted once by the wine-prefix test fixture.
  set(VELMOR_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
  set(VELMOR_WINE_RUN ${CMAKE_SOURCE_DIR}/scripts/wine-run)
  # A second prefix where the virtual camera driver answers instead of the in-process emulator.
  set(VELMOR_VCAM_PREFIX ${CMAKE_BINARY_DIR}/wineprefix-vcam)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${VELMOR_WINE_RUN} ${VELMOR_WINEPREFIX})
  include(${CMAKE_CURRENT_LIST_DIR}/VelmorThirdParty.cmake)
else()
  set(VELMOR_WINDOWS OFF)
endif()

# Warnings, sanitizers and the static runtime on every target of ours.
function(velmor_target_defaults target)
  target_compile_options(${target} PRIVATE
    $<$<COMPILE_LANGUAGE:CXX>:-Wall -Wextra -Wno-missing-field-initializers>
    $<$<COMPILE_LANGUAGE:C>:-Wall -Wextra>)
  if(VELMOR_WINDOWS)
    target_compile_definitions(${target} PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "EXECUTABLE" OR type STREQUAL "SHARED_LIBRARY")
      # libstdc++, libgcc and winpthreads go inside: we ship one self-contained DLL.
      target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++)
    endif()
  elseif(VELMOR_SANITIZE)
    target_compile_options(${target} PRIVATE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
    target_link_options(${target} PRIVATE -fsanitize=address,undefined)
  endif()
endfunction()

# Pixel loops: GCC 12 vectorises byte and table loops only from -O3 on; SSE2 stays the baseline.
function(velmor_pixel_code target)
  target_compile_options(${target} PRIVATE $<$<NOT:$<CONFIG:Debug>>:-O3>)
endfunction()

# Sources built for AVX2; their loops run only after the run-time check of the pipeline's level.
# The Windows stack is only 16-byte aligned, and GCC may spill 32-byte registers with aligned
# moves there: the assembler turns every aligned vector move into an unaligned one.
function(velmor_avx2_sources target)
  set(options -mavx2)
  if(VELMOR_WINDOWS)
    list(APPEND options -Wa,-muse-unaligned-vector-move)
  endif()
  target_sources(${target} PRIVATE ${ARGN})
  set_source_files_properties(${ARGN} TARGET_DIRECTORY ${target} PROPERTIES COMPILE_OPTIONS "${options}")
endfunction()

if(BUILD_TESTING)
  find_package(GTest CONFIG QUIET)
  if(NOT GTest_FOUND)
    find_package(GTest REQUIRED)
  endif()
endif()

if(VELMOR_WINDOWS)
  add_test(NAME wine-prefix COMMAND ${CMAKE_SOURCE_DIR}/scripts/wine-prefix ${VELMOR_WINEPREFIX})
  set_tests_properties(wine-prefix PROPERTIES FIXTURES_SETUP wineprefix LABELS "unit")
  add_test(NAME wine-prefix-vcam COMMAND ${CMAKE_SOURCE_DIR}/scripts/wine-prefix ${VELMOR_VCAM_PREFIX})
  set_tests_properties(wine-prefix-vcam PROPERTIES FIXTURES_SETUP wineprefix_vcam LABELS "virtual-camera")
endif()

# velmor_add_virtual_camera_run(test program labels)
# CTest test `test` running the Windows program `program` against the virtual camera driver of the
# second prefix, with VELMOR_EMULATION's words (if any) as the driver's settings.
function(velmor_add_virtual_camera_run test program labels)
  add_test(NAME ${test}
    COMMAND ${VELMOR_WINE_RUN} --virtual-camera $<TARGET_FILE:velmor_vcam> ${VELMOR_VCAM_PREFIX} $<TARGET_FILE:${program}>)
  set_tests_properties(${test} PROPERTIES LABELS "${labels};virtual-camera" FIXTURES_REQUIRED wineprefix_vcam
    RESOURCE_LOCK virtual-camera)
endfunction()

# velmor_add_virtual_camera_test(name [OUTPUT dir])
# Runs the Windows test `name` (defined before, in the same folder) a second time as name_vcam:
# with VELMOR_EMULATION unset, against the virtual camera driver installed with the settings the
# variable held, through the SDK's Win32 port, in its own working folder. OUTPUT replaces
# VELMOR_TEST_OUTPUT's folder.
function(velmor_add_virtual_camera_test name)
  cmake_parse_arguments(V "" "OUTPUT" "" ${ARGN})
  get_test_property(${name} LABELS labels)
  velmor_add_virtual_camera_run(${name}_vcam ${name} "${labels}")
  # A folder of its own: the first run may be writing its files (rate.avi, lost.avi) beside it.
  set(folder ${CMAKE_CURRENT_BINARY_DIR}/vcam)
  file(MAKE_DIRECTORY ${folder})
  set_tests_properties(${name}_vcam PROPERTIES WORKING_DIRECTORY ${folder})
  get_test_property(${name} ENVIRONMENT environment)
  if(environment)
    if(V_OUTPUT)
      string(REGEX REPLACE "VELMOR_TEST_OUTPUT=[^;]*" "VELMOR_TEST_OUTPUT=Z:${V_OUTPUT}" environment "${environment}")
    endif()
    set_tests_properties(${name}_vcam PROPERTIES ENVIRONMENT "${environment}")
  endif()
  get_test_property(${name} TIMEOUT timeout)
  if(timeout)
    set_tests_properties(${name}_vcam PROPERTIES TIMEOUT ${timeout})
  endif()
endfunction()

# velmor_add_test(name SOURCES ... [LIBS ...] [LABELS ...] [GUI] [VIRTUAL_CAMERA] [ARGS ...] [ENVIRONMENT ...]
#                  [RESOURCE_LOCK ...])
# A GoogleTest program run as one CTest test; on Windows under Wine, GUI tests under Xvfb.
# Tests that use the registry or the shared camera block take RESOURCE_LOCK "camera-state".
# VIRTUAL_CAMERA: a program that runs only against the virtual camera driver and sets it up itself.
function(velmor_add_test name)
  cmake_parse_arguments(T "GUI;VIRTUAL_CAMERA" "" "SOURCES;LIBS;LABELS;ARGS;ENVIRONMENT;RESOURCE_LOCK" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  velmor_target_defaults(${name})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  if(T_VIRTUAL_CAMERA)
    velmor_add_virtual_camera_run(${name} ${name} "${T_LABELS}")
    return()
  endif()
  if(VELMOR_WINDOWS AND T_GUI)
    set_target_properties(${name} PROPERTIES CROSSCOMPILING_EMULATOR "${VELMOR_WINE_RUN};--gui;${VELMOR_WINEPREFIX}")
  endif()
  add_test(NAME ${name} COMMAND ${name} ${T_ARGS})
  set_tests_properties(${name} PROPERTIES LABELS "${T_LABELS}")
  if(T_RESOURCE_LOCK)
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK "${T_RESOURCE_LOCK}")
  endif()
  if(T_ENVIRONMENT)
    # The argument arrives split at every ';', also at the escaped ones inside a value
    # (VELMOR_EMULATION=devices=0\;timing=fast): a piece that does not start a NAME= entry
    # belongs to the value before it.
    set(entries "")
    foreach(piece IN LISTS T_ENVIRONMENT)
      if(piece MATCHES "^[A-Z_][A-Z0-9_]*=" OR entries STREQUAL "")
        list(APPEND entries "${piece}")
      else()
        list(POP_BACK entries last)
        list(APPEND entries "${last}<semicolon>${piece}")
      endif()
    endforeach()
    string(REPLACE "<semicolon>" "\\;" entries "${entries}")
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${entries}")
  endif()
  if(VELMOR_WINDOWS)
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wineprefix)
  endif()
endfunction()
