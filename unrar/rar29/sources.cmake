# The RAR 2.9 decoder (method versions 29 and 36), built into the unrar library.
target_sources(unrar PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/filters.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ppmd.cpp
  ${CMAKE_CURRENT_LIST_DIR}/rar29_unpacker.cpp
)
