# Fails when the extension's manifest.json carries another version than the project's, so that a
# version bump in CMakeLists.txt cannot leave the extension behind. manifest.json stays as it is
# in the source tree, loadable unpacked by the browsers.
#   cmake -DMANIFEST=browser/extension/manifest.json -DVERSION=1.2.3 -P ManifestVersion.cmake
file(READ "${MANIFEST}" manifest)
string(JSON manifestVersion ERROR_VARIABLE failure GET "${manifest}" version)
if(failure)
  message(FATAL_ERROR "${MANIFEST}: no \"version\": ${failure}")
endif()
if(NOT manifestVersion STREQUAL VERSION)
  message(FATAL_ERROR "${MANIFEST} has version \"${manifestVersion}\", the project (CMakeLists.txt) "
    "\"${VERSION}\": set the manifest's \"version\" to \"${VERSION}\"")
endif()
