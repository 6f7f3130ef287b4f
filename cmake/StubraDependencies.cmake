# Boost.Filesystem (with Boost.System) and GoogleTest.
#
# Natively both come from the system. For Windows both are built here from
# sources: Boost.Filesystem from Debian's boost1.74 source package (fetched by
# scripts/setup-debian.sh) against the same Boost headers as the native build,
# GoogleTest from the sources of Debian's googletest package. Third-party
# sources are compiled without the tree's warning flags; their headers are
# system headers to our code.
if(NOT WIN32)
    find_package(Boost 1.74 REQUIRED COMPONENTS filesystem)
    find_package(GTest REQUIRED)
    return()
endif()

set(STUBRA_BOOST_FILESYSTEM_SOURCES "/opt/stubra-deps/boost1.74-src/libs/filesystem/src"
    CACHE PATH "Boost.Filesystem sources for the Windows build")
set(STUBRA_BOOST_HEADERS "/usr/include/boost"
    CACHE PATH "The boost folder of the Boost headers")
set(STUBRA_GOOGLETEST_SOURCES "/usr/src/googletest/googletest"
    CACHE PATH "GoogleTest sources for the Windows build")

if(NOT EXISTS "${STUBRA_BOOST_FILESYSTEM_SOURCES}/operations.cpp")
    message(FATAL_ERROR "Boost.Filesystem sources not found in ${STUBRA_BOOST_FILESYSTEM_SOURCES}; "
                        "run scripts/setup-debian.sh")
endif()

# Only the boost folder goes on the include path, never the native include
# folder with it: a private folder holds a link to it.
set(stubra_boost_include "${CMAKE_BINARY_DIR}/boost-include")
file(MAKE_DIRECTORY "${stubra_boost_include}")
file(CREATE_LINK "${STUBRA_BOOST_HEADERS}" "${stubra_boost_include}/boost" SYMBOLIC)

add_library(stubra_boost_filesystem STATIC
    "${STUBRA_BOOST_FILESYSTEM_SOURCES}/codecvt_error_category.cpp"
    "${STUBRA_BOOST_FILESYSTEM_SOURCES}/directory.cpp"
    "${STUBRA_BOOST_FILESYSTEM_SOURCES}/exception.cpp"
    "${STUBRA_BOOST_FILESYSTEM_SOURCES}/operations.cpp"
    "${STUBRA_BOOST_FILESYSTEM_SOURCES}/path.cpp"
    "${STUBRA_BOOST_FILESYSTEM_SOURCES}/path_traits.cpp"
    "${STUBRA_BOOST_FILESYSTEM_SOURCES}/portability.cpp"
    "${STUBRA_BOOST_FILESYSTEM_SOURCES}/unique_path.cpp"
    "${STUBRA_BOOST_FILESYSTEM_SOURCES}/utf8_codecvt_facet.cpp"
    "${STUBRA_BOOST_FILESYSTEM_SOURCES}/windows_file_codecvt.cpp"
)
set_property(TARGET stubra_boost_filesystem PROPERTY COMPILE_OPTIONS -w)
target_include_directories(stubra_boost_filesystem SYSTEM PUBLIC "${stubra_boost_include}")
target_compile_definitions(stubra_boost_filesystem
    PUBLIC BOOST_ALL_NO_LIB BOOST_FILESYSTEM_STATIC_LINK=1
    PRIVATE BOOST_FILESYSTEM_SOURCE)
# unique_path draws its random bytes from CryptGenRandom.
target_link_libraries(stubra_boost_filesystem PUBLIC advapi32)
add_library(Boost::filesystem ALIAS stubra_boost_filesystem)

set(gtest_disable_pthreads ON CACHE BOOL "GoogleTest uses Win32 threads on Windows")
add_subdirectory("${STUBRA_GOOGLETEST_SOURCES}" "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL SYSTEM)
# The sources name their targets GTest::gtest and GTest::gtest_main as well.
set_property(TARGET gtest gtest_main PROPERTY COMPILE_OPTIONS -w)
