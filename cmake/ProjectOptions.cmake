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
  # Release builds are what the packages ship: hardened as Debian builds its own (fortified libc
  # calls, stack protector, read-only relocations bound at start-up). A toolchain that already
  # defines _FORTIFY_SOURCE would otherwise see it redefined.
  target_compile_options(${target} PRIVATE
    "$<$<CONFIG:Release>:-U_FORTIFY_SOURCE;-D_FORTIFY_SOURCE=2;-fstack-protector-strong>")
  target_link_options(${target} PRIVATE "$<$<CONFIG:Release>:LINKER:-z,relro,-z,now>")
endfunction()
