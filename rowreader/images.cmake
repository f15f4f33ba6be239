# Decoding the pictures the reader reads: PNG, JPEG and TIFF to grey, and the annotated page
# to PNG. The platform's own libraries do the work: libpng, libjpeg-turbo and libtiff on Linux;
# on Windows the Windows Imaging Component, which is part of the system, so the static .exe
# needs no DLL.
add_library(trevalune_images STATIC image_decode.cpp)
target_link_libraries(trevalune_images PUBLIC trevalune_options)
if(WIN32)
    target_sources(trevalune_images PRIVATE image_windows.cpp)
    # Files are opened by their UTF-16 names.
    target_link_libraries(trevalune_images PRIVATE trevalune_common windowscodecs ole32 uuid)
else()
    find_package(PNG REQUIRED)
    find_package(JPEG REQUIRED)
    find_package(TIFF 4.5 REQUIRED)  # 4.5: error handlers per handle (TIFFOpenOptions)
    target_sources(trevalune_images PRIVATE image_linux.cpp)
    target_link_libraries(trevalune_images PRIVATE PNG::PNG JPEG::JPEG TIFF::TIFF)
endif()
