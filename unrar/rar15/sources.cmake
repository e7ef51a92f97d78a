# The RAR 1.5 decoder (method version 15), built into the unrar library.
target_sources(unrar PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/place_table.cpp
  ${CMAKE_CURRENT_LIST_DIR}/rar15_unpacker.cpp
)
