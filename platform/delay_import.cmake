# Makes a delay-load import library for a system DLL from mingw-w64's import library of it:
# every function the import library names, loaded by the DLL's bare name on its first call.
#   delay_import_library(<dll name> <import library> <output library>)
# Callers must compile without the DLL's dllimport declarations (for comctl32, WINCOMMCTRLAPI
# defined empty): GNU ld leaves the thunk of a delay import that is reached only through its
# __imp_ pointer unlinked, and the first call then jumps to address 0.
function(delay_import_library dll import_lib out)
  find_program(SK_NM NAMES i686-w64-mingw32-nm REQUIRED)
  find_program(SK_DLLTOOL NAMES i686-w64-mingw32-dlltool REQUIRED)
  execute_process(COMMAND ${SK_NM} -g --defined-only ${import_lib}
    OUTPUT_VARIABLE symbols COMMAND_ERROR_IS_FATAL ANY)
  # "00000000 T _InitCommonControlsEx@4": the functions, without the C prefix "_".
  string(REGEX MATCHALL "[0-9a-f]+ T _[^\r\n]+" functions "${symbols}")
  set(def "LIBRARY ${dll}\nEXPORTS\n")
  foreach(line IN LISTS functions)
    string(REGEX REPLACE "^[0-9a-f]+ T _" "" name "${line}")
    string(APPEND def "${name}\n")
  endforeach()
  list(LENGTH functions count)
  if(count EQUAL 0)
    message(FATAL_ERROR "no functions found in ${import_lib}")
  endif()
  get_filename_component(stem ${out} NAME_WE)
  get_filename_component(out_dir ${out} DIRECTORY)
  get_filename_component(out_name ${out} NAME)
  file(WRITE ${out_dir}/${stem}.def "${def}")
  # Run in the output folder: dlltool names its symbols after the library's path as given.
  execute_process(COMMAND ${SK_DLLTOOL} -k -d ${stem}.def -y ${out_name}
    WORKING_DIRECTORY ${out_dir} COMMAND_ERROR_IS_FATAL ANY)
endfunction()
