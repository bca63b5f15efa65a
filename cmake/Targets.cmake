# Helpers that turn the folder layout into targets.

set(QUILLET_WARNINGS -Wall -Wextra -Wpedantic -Werror -Wno-missing-field-initializers)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  # g++ 12 reports optimised coroutine, std::optional and std::string code as maybe-uninitialized or as
  # overlapping copies where it is not; the warnings stay visible but do not stop the build.
  list(APPEND QUILLET_WARNINGS -Wno-error=maybe-uninitialized -Wno-error=restrict)
endif()

# The vptr check is off: JavaScriptCore is built without RTTI and calls the shared_ptr code our objects
# define, so every object it releases there would be reported as having an invalid vptr.
if(QUILLET_SANITIZE STREQUAL "address")
  add_compile_options(-fsanitize=address,undefined -fno-sanitize=vptr -fno-sanitize-recover=undefined
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
elseif(QUILLET_SANITIZE STREQUAL "thread")
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
elseif(NOT QUILLET_SANITIZE STREQUAL "")
  message(FATAL_ERROR "QUILLET_SANITIZE must be empty, 'address' or 'thread'")
endif()

# Every test program links the kit statically, so full debug information is repeated in each of them (some
# 100 MB a program). "lines" keeps function names, files and lines, all that sanitizer reports and backtraces
# show, at a sixth of the size and quicker to compile and link; CI builds use it (.ci/run).
if(QUILLET_DEBUG_INFO STREQUAL "lines")
  foreach(language C CXX)
    foreach(config DEBUG RELWITHDEBINFO)
      string(REGEX REPLACE "(^| )-g( |$)" "\\1-g1\\2" CMAKE_${language}_FLAGS_${config}
                           "${CMAKE_${language}_FLAGS_${config}}")
    endforeach()
  endforeach()
elseif(NOT QUILLET_DEBUG_INFO STREQUAL "full")
  message(FATAL_ERROR "QUILLET_DEBUG_INFO must be 'full' or 'lines'")
endif()

# Applies the project's compile settings to one of our own targets.
function(quillet_target_settings target)
  target_compile_options(${target} PRIVATE ${QUILLET_WARNINGS})
  target_compile_definitions(${target} PRIVATE QT_NO_KEYWORDS QUILLET_VERSION="${PROJECT_VERSION}"
                             QUILLET_BUILD="${QUILLET_BUILD_NUMBER}")
  set_target_properties(${target} PROPERTIES AUTOMOC ON)
endfunction()

# One static library per source folder, linking exactly what its code includes.
# quillet_library(<name> <folder> <libraries...> [WIDGETS <files...> [WIDGETS_LINK <libraries...>]]): the files
# named after WIDGETS (without suffix) are the folder's widgets, in a library of their own, <name>_widgets, which
# links <name> and Qt Widgets; they are the only files of a layer below the UI kit that may include Qt Widgets.
function(quillet_library name dir)
  cmake_parse_arguments(PARSE_ARGV 2 QL "" "" "WIDGETS;WIDGETS_LINK")
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.cpp ${CMAKE_SOURCE_DIR}/${dir}/*.h)
  list(FILTER sources EXCLUDE REGEX "/main\\.cpp$")
  set(widget_sources "")
  foreach(widget ${QL_WIDGETS})
    list(APPEND widget_sources ${CMAKE_SOURCE_DIR}/${dir}/${widget}.cpp ${CMAKE_SOURCE_DIR}/${dir}/${widget}.h)
    set_property(GLOBAL APPEND PROPERTY QUILLET_WIDGET_FILES ${dir}/${widget})
  endforeach()
  list(REMOVE_ITEM sources ${widget_sources})
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}/src ${QUILLET_GENERATED_DIR})
  target_link_libraries(${name} PUBLIC ${QL_UNPARSED_ARGUMENTS})
  quillet_target_settings(${name})
  if(widget_sources)
    add_library(${name}_widgets STATIC ${widget_sources})
    target_link_libraries(${name}_widgets PUBLIC ${name} ${QL_WIDGETS_LINK} Qt6::Widgets)
    quillet_target_settings(${name}_widgets)
  endif()
endfunction()

# The program itself, from src/app/main.cpp once it exists.
function(quillet_executable name main)
  if(EXISTS ${CMAKE_SOURCE_DIR}/${main}.cpp)
    add_executable(${name} ${CMAKE_SOURCE_DIR}/${main}.cpp)
    target_link_libraries(${name} PRIVATE app_shell)
    add_dependencies(${name} quillet-script-worker quillet-clipboard-keeper)
    quillet_target_settings(${name})
  endif()
endfunction()

# One GoogleTest program per test source file, so that a test file being written never stops the others
# from building. Tests under tests/e2e run inside their own X server and session bus.
# quillet_tests(<folder> <libraries...> [SUPPORT <names...>]): each name is a file tests/support/<name>.cpp
# shared by the test programs of several folders.
function(quillet_tests dir)
  cmake_parse_arguments(PARSE_ARGV 1 QT "" "" "SUPPORT")
  set(shared_support "")
  foreach(name ${QT_SUPPORT})
    list(APPEND shared_support ${CMAKE_CURRENT_SOURCE_DIR}/support/${name}.cpp)
  endforeach()
  file(GLOB_RECURSE test_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*_test.cpp)
  foreach(source ${test_sources})
    file(RELATIVE_PATH rel ${CMAKE_CURRENT_SOURCE_DIR} ${source})
    string(REGEX REPLACE "\\.cpp$" "" rel ${rel})
    string(REPLACE "/" "_" target "test_${rel}")
    get_filename_component(folder ${source} DIRECTORY)
    file(GLOB support CONFIGURE_DEPENDS ${folder}/*_support.cpp)
    add_executable(${target} ${source} ${support} ${shared_support})
    target_link_libraries(${target} PRIVATE ${QT_UNPARSED_ARGUMENTS} GTest::gtest GTest::gmock GTest::gtest_main)
    add_dependencies(${target} quillet-script-worker quillet-clipboard-keeper)
    target_include_directories(${target} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
    target_compile_definitions(${target} PRIVATE QUILLET_TEST_DATA="${CMAKE_CURRENT_SOURCE_DIR}"
                               QUILLET_BIN_DIR="${CMAKE_BINARY_DIR}/bin")
    quillet_target_settings(${target})
    if(rel MATCHES "^e2e/")
      # The discovery reads the wrapper from this property, so it is set first.
      set_property(TARGET ${target} PROPERTY CROSSCOMPILING_EMULATOR ${CMAKE_SOURCE_DIR}/scripts/with-x-session)
      # A test with a real office application starts it and drives it for about a minute, longer under a sanitizer.
      set(timeout 120)
      if(rel MATCHES "^e2e/writer_")
        set(timeout 300)
      endif()
      gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
                           TEST_PREFIX "e2e." PROPERTIES LABELS e2e TIMEOUT ${timeout})
    else()
      gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 120
                           ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
    endif()
  endforeach()
endfunction()

if(QUILLET_FUZZ)
  # Coverage for libFuzzer in every library, and the sanitizers that turn silent corruption into a finding.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize=vptr -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()
