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

# Gives `target` the headers of `folder` (a folder of the repository, included as
# "folder/Name.hpp") through a view: a folder in the build tree holding nothing but a link to
# it. A library sees its own view and those of the libraries it links, and no other header of
# ours, so an include of a layer above it, or of one it does not link, does not compile.
function(tavrel_include_view target folder)
  set(view ${PROJECT_BINARY_DIR}/include-views/${target})
  get_filename_component(parent ${view}/${folder} DIRECTORY)
  file(MAKE_DIRECTORY ${parent})
  if(NOT EXISTS ${view}/${folder})
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${view}/${folder} SYMBOLIC)
  endif()
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    target_include_directories(${target} INTERFACE ${view})
  else()
    target_include_directories(${target} PUBLIC ${view})
  endif()
endfunction()
