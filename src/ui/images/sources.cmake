list(APPEND LUMETRA_CORE_SOURCES
  src/ui/images/inflate.cpp
  src/ui/images/png_decode.cpp
  src/ui/images/premultiply.cpp)
list(APPEND LUMETRA_WIN_SOURCES
  src/ui/images/png_image.cpp)
