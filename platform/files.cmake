# sk_platform_files: the file layer and the cryptographic primitives.
add_library(sk_platform_files INTERFACE)
target_include_directories(sk_platform_files INTERFACE ${CMAKE_SOURCE_DIR})
