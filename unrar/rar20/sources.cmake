# The RAR 2.0 decoder (method versions 20 and 26), built into the unrar library.
target_sources(unrar PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/audio.cpp
  ${CMAKE_CURRENT_LIST_DIR}/old_window.cpp
  ${CMAKE_CURRENT_LIST_DIR}/rar20_unpacker.cpp
)
