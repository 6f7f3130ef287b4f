# Boost.Filesystem (with Boost.System) and GoogleTest.
find_package(Boost 1.74 REQUIRED COMPONENTS filesystem)
find_package(GTest REQUIRED)
