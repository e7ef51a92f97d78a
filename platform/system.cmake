# sk_platform: registry, system folders, free space, fonts, restart, shell links, message
# boxes: the interfaces, and on Windows their Win32 implementations.
add_library(sk_platform STATIC
  registry.cpp
)
target_include_directories(sk_platform PUBLIC ${CMAKE_SOURCE_DIR})
if(WIN32)
  target_sources(sk_platform PRIVATE
    win32/registry_win.cpp
    win32/system_win.cpp
    win32/dialogs_win.cpp
    win32/drives_win.cpp
    win32/shell_win.cpp
  )
  target_link_libraries(sk_platform PUBLIC advapi32 user32 gdi32 shell32 ole32 uuid)
endif()

# In-memory stand-ins for tests, on both builds: registry, files, machine, shell, message boxes.
add_library(sk_platform_fake STATIC
  fake/fake_file_system.cpp
  fake/fake_drives.cpp
  fake/fake_registry.cpp
  fake/fake_shell.cpp
  fake/fake_system.cpp
  fake/scripted_message_boxes.cpp
)
target_link_libraries(sk_platform_fake PUBLIC sk_platform sk_platform_files sk_util)
