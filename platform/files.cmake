# sk_platform_files: the file layer and the cryptographic primitives (libcrypto natively, CNG
# loaded at run time on Windows).
add_library(sk_platform_files STATIC file_io.cpp file_system.cpp)
target_include_directories(sk_platform_files PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(sk_platform_files PUBLIC sk_util)
if(WIN32)
  target_sources(sk_platform_files PRIVATE win32/file_system_win.cpp win32/crypto_cng.cpp
    win32/system_dlls.cpp)
else()
  find_package(OpenSSL REQUIRED COMPONENTS Crypto)
  target_sources(sk_platform_files PRIVATE posix/file_system_posix.cpp posix/crypto_openssl.cpp)
  target_link_libraries(sk_platform_files PUBLIC OpenSSL::Crypto)
endif()
