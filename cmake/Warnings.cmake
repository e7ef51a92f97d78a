add_compile_options(-Wall -Wextra -Wno-unused-parameter)
if(WIN32)
  add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
  # One self-contained executable: no libgcc/libstdc++/winpthread DLLs beside it.
  add_link_options(-static -static-libgcc -static-libstdc++)
elseif(SK_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
