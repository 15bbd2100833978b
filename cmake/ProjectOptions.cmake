# Compiler settings shared by every target of ours.

# Warnings are errors in our code only; third-party headers come in as system headers.
function(tavrel_set_project_options target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
  # GCC 12 reports std::string concatenation at -O3 as overlapping memcpy (GCC bug 105651).
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    target_compile_options(${target} PRIVATE -Wno-restrict)
  endif()
  # Source locations in log records read "Source/jobs/AppBundleJob.cpp", not the checkout path.
  target_compile_options(${target} PRIVATE "-fmacro-prefix-map=${PROJECT_SOURCE_DIR}/=")
endfunction()
