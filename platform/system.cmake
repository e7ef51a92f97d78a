# sk_platform: registry, system folders, free space, message boxes.
add_library(sk_platform INTERFACE)
target_include_directories(sk_platform INTERFACE ${CMAKE_SOURCE_DIR})
