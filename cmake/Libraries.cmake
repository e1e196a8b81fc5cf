# Finds the libraries a part of the build links, for the system it is built for. A part whose
# libraries are missing there (a cross build without the target's development packages) is
# left out with one message rather than failing the configuration, unless it was asked for.
find_package(PkgConfig QUIET)

# quillane_header_library(PACKAGE TARGET HEADER): TARGET from find_package(PACKAGE), or where
# the target system has no copy, from the build machine's: a header-only library compiles the
# same for any target. Only the library's own directory is put on the include path, through a
# link in the build tree, so none of the build machine's other headers reach the compiler.
function(quillane_header_library a_Package a_Target a_Header)
    find_package(${a_Package} QUIET)
    if(TARGET ${a_Target})
        return()
    endif()
    find_path(QUILLANE_HOST_${a_Package}_DIR ${a_Header} PATHS /usr/include /usr/local/include
        NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
    if(NOT QUILLANE_HOST_${a_Package}_DIR)
        return()
    endif()
    string(REGEX REPLACE "/.*" "" top ${a_Header})
    set(dir ${PROJECT_BINARY_DIR}/host-include/${a_Package})
    file(MAKE_DIRECTORY ${dir})
    file(CREATE_LINK ${QUILLANE_HOST_${a_Package}_DIR}/${top} ${dir}/${top} SYMBOLIC)
    add_library(${a_Target} INTERFACE IMPORTED GLOBAL)
    target_include_directories(${a_Target} SYSTEM INTERFACE ${dir})
endfunction()

# quillane_require(OUT WHAT [REQUIRED] [TARGETS target...] [MODULES module...]): OUT is ON when
# every target exists and every pkg-config module is found for the target system (as the
# imported target PkgConfig::<module>); otherwise OFF, and one message says that WHAT is left
# out and what is missing. With REQUIRED, what is missing stops the configuration instead.
function(quillane_require a_Out a_What)
    cmake_parse_arguments(PARSE_ARGV 2 a "REQUIRED" "" "TARGETS;MODULES")
    set(missing "")
    foreach(target ${a_TARGETS})
        if(NOT TARGET ${target})
            list(APPEND missing ${target})
        endif()
    endforeach()
    foreach(module ${a_MODULES})
        if(PKG_CONFIG_FOUND)
            pkg_check_modules(${module} QUIET IMPORTED_TARGET GLOBAL ${module})
        endif()
        if(NOT ${module}_FOUND)
            list(APPEND missing ${module})
        endif()
    endforeach()
    if(missing)
        list(JOIN missing ", " missing)
        if(a_REQUIRED)
            message(FATAL_ERROR "${a_What} cannot be built: not found for "
                "${CMAKE_SYSTEM_PROCESSOR}: ${missing}")
        endif()
        message(STATUS "${a_What} left out: not found for ${CMAKE_SYSTEM_PROCESSOR}: ${missing}")
        set(${a_Out} OFF PARENT_SCOPE)
    else()
        set(${a_Out} ON PARENT_SCOPE)
    endif()
endfunction()

# quillane_gtest(): GoogleTest for the tests, as GTest::gtest_main. A cross build compiles it
# from Debian's sources (QUILLANE_GTEST_SOURCE_DIR) with the target's compiler, since the build
# machine's copy is of no use to the target.
macro(quillane_gtest)
    if(QUILLANE_GTEST_SOURCE_DIR)
        set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
        set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
        add_subdirectory(${QUILLANE_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
        if(NOT TARGET GTest::gtest_main)
            add_library(GTest::gtest_main ALIAS gtest_main)
        endif()
    else()
        find_package(GTest REQUIRED)
    endif()
    include(GoogleTest)
endmacro()
