# Warnings for the project's own targets.
add_library(veltrane_warnings INTERFACE)
target_compile_options(veltrane_warnings INTERFACE -Wall -Wextra)
