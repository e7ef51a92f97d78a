# The shipping build (tools/release.sh): small, and the same bytes from the same commit wherever
# it is built: no link time stamp in the PE header, no build folder in the binary, symbols
# stripped, unused sections dropped. The RAR decoders keep the speed option, everything else is
# built for size (bench/ measures what each costs).
option(SK_RELEASE "Build the shipping Setup.exe" OFF)
set(SK_RELEASE_SIZE_OPT "-Os" CACHE STRING "Optimisation of the shipping build outside the decoders")
set(SK_RELEASE_SPEED_OPT "-O2" CACHE STRING "Optimisation of the RAR library in the shipping build")
if(SK_RELEASE)
  add_compile_options(${SK_RELEASE_SIZE_OPT} -ffunction-sections -fdata-sections
    -ffile-prefix-map=${CMAKE_SOURCE_DIR}/=
    -ffile-prefix-map=${CMAKE_BINARY_DIR}/=)
  add_link_options(-Wl,--gc-sections -Wl,--no-insert-timestamp -s)
endif()
