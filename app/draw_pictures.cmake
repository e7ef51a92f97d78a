# Draws the installer's icon (16, 32, 48, 64 and 256 pixels: sharp at every display scale, the
# largest for Explorer's big views) and the background picture with ImageMagick.
# The picture has 256 colours (a gradient needs no more): a third of the true-colour bytes, and
# uncompressed, which every Windows loads.
execute_process(COMMAND ${CONVERT} -size 256x256 xc:none
    -fill "#1d4e9e" -draw "roundrectangle 11,11 240,240 43,43"
    -stroke white -strokewidth 16 -fill none -draw "polyline 53,181 96,75 139,181 181,75 213,128"
    -define icon:auto-resize=256,64,48,32,16 ${ICON}
  RESULT_VARIABLE icon_rc)
execute_process(COMMAND ${CONVERT} -size 786x519 "gradient:#0c2a5c-#6f9ad6"
    -fill none -stroke "#9fc0ee" -strokewidth 1
    -draw "line 0,400 786,330" -draw "line 0,430 786,360" -draw "line 0,460 786,390"
    +dither -colors 256 -type Palette -compress None BMP3:${BITMAP}
  RESULT_VARIABLE bitmap_rc)
if(NOT icon_rc EQUAL 0 OR NOT bitmap_rc EQUAL 0)
  message(FATAL_ERROR "ImageMagick could not draw the icon or the background picture")
endif()
