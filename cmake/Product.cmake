# The product's facts, in one place: the version resources of Setup.exe and skmedium.exe are
# filled from these (app/Setup.rc.in, uninstall/UnInstall.rc.in, tools/skmedium/skmedium.rc.in).
set(SK_VERSION_MAJOR 7)
set(SK_VERSION_MINOR 2)
set(SK_VERSION_PATCH 0)
set(SK_VERSION_BUILD 0)
set(SK_COMPANY "Sketrion Software")
set(SK_PRODUCT "Sketrion")
set(SK_COPYRIGHT "(c) Sketrion Software")

set(SK_VERSION_COMMAS "${SK_VERSION_MAJOR},${SK_VERSION_MINOR},${SK_VERSION_PATCH},${SK_VERSION_BUILD}")
set(SK_FILE_VERSION "${SK_VERSION_MAJOR}.${SK_VERSION_MINOR}.${SK_VERSION_PATCH}.${SK_VERSION_BUILD}")
set(SK_PRODUCT_VERSION "${SK_VERSION_MAJOR}.${SK_VERSION_MINOR}")
