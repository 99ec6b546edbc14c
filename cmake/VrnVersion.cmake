# The one version number of VRN, from project(): every program that shows a version (About,
# mainVRN.exe, mainVRN-glpk, vrn-gen) and the package take it from here.
add_library(vrn_version INTERFACE)
target_compile_definitions(vrn_version INTERFACE VRN_VERSION="${PROJECT_VERSION}")
