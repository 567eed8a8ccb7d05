# Gives the debugger the symbols of a library the program mapped from memory, at the address it
# was mapped at, each time one is mapped. The symbols come from the library file the build made
# (with its debugging sections); set $quillon_library_folder first if it is not build/bin.
#   gdb -x tools/gdb-loaded-image.gdb --args build/bin/quillon
set breakpoint pending on
break quillon_image_mapped
commands
  silent
  if $_isvoid($quillon_library_folder)
    set $quillon_library_folder = "build/bin"
  end
  eval "add-symbol-file %s/%s -o %p", $quillon_library_folder, name, loadAddress
  continue
end
