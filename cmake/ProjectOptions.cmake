# Compiler settings shared by every target of ours.

# Warnings are errors in our code only; third-party headers come in as system headers.
function(tavrel_set_project_options target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
  # Source locations in log records read "Source/Job/AppBundleJob.cpp", not the checkout path.
  target_compile_options(${target} PRIVATE "-fmacro-prefix-map=${PROJECT_SOURCE_DIR}/=")
endfunction()
