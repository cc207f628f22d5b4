# The benchmark's banner measurer needs the program's own library. Included from the top
# CMakeLists.txt after the targets exist, or given as CMAKE_PROJECT_INCLUDE (bench/run.sh
# does that), in which case it runs again at the end of the top directory.
if(NOT TARGET quillon_core)
  cmake_language(EVAL CODE
    "cmake_language(DEFER DIRECTORY [[${CMAKE_SOURCE_DIR}]] CALL include [[${CMAKE_CURRENT_LIST_FILE}]])")
  return()
endif()
if(TARGET banner_cpu)
  target_link_libraries(banner_cpu PRIVATE quillon_core)
  target_compile_definitions(banner_cpu PRIVATE QUILLON_BENCH_CORE=1)
endif()
