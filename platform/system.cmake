# sk_platform: registry, system folders, free space, fonts, restart, shell links, message
# boxes: the interfaces, and on Windows their Win32 implementations.
add_library(sk_platform STATIC
  registry.cpp
)
target_include_directories(sk_platform PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(sk_platform PUBLIC sk_util)
if(WIN32)
  target_sources(sk_platform PRIVATE
    win32/registry_win.cpp
    win32/system_win.cpp
    win32/dialogs_win.cpp
    win32/drives_win.cpp
    win32/shell_win.cpp
  )
  target_link_libraries(sk_platform PUBLIC advapi32 user32 gdi32 shell32 ole32 uuid)

  # comctl32 is not among the DLLs Windows always takes from System32: it is imported through a
  # delay-load library, so that it loads on its first call, once the program has restricted the
  # DLL search (its manifest still binds version 6). Link sk_comctl32, never comctl32.
  include(${CMAKE_CURRENT_LIST_DIR}/delay_import.cmake)
  find_library(SK_COMCTL32_IMPORT NAMES comctl32 REQUIRED)
  set(comctl32_delayed ${CMAKE_CURRENT_BINARY_DIR}/libcomctl32_delayed.a)
  delay_import_library(comctl32.dll ${SK_COMCTL32_IMPORT} ${comctl32_delayed})
  add_library(sk_comctl32 INTERFACE)
  target_link_libraries(sk_comctl32 INTERFACE ${comctl32_delayed})
  target_compile_definitions(sk_comctl32 INTERFACE WINCOMMCTRLAPI=)
endif()

# Stand-ins for tests, on both builds: registry, files (in memory, or failing where a test asks),
# machine, shell, message boxes.
add_library(sk_platform_fake STATIC
  fake/fake_file_system.cpp
  fake/faulty_file_system.cpp
  fake/fake_drives.cpp
  fake/fake_registry.cpp
  fake/fake_shell.cpp
  fake/fake_system.cpp
  fake/scripted_message_boxes.cpp
)
target_link_libraries(sk_platform_fake PUBLIC sk_platform sk_platform_files sk_util)
