# The RAR5 decoder (method versions 50 and 70), built into the unrar library.
target_sources(unrar PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/bit_input.cpp
  ${CMAKE_CURRENT_LIST_DIR}/filters.cpp
  ${CMAKE_CURRENT_LIST_DIR}/huffman.cpp
  ${CMAKE_CURRENT_LIST_DIR}/rar5_unpacker.cpp
  ${CMAKE_CURRENT_LIST_DIR}/window.cpp
)
