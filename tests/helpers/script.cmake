# Variants of the uninstaller built with test scripts (into <build>/variants).
include(UninstallVariant)
add_uninstall_variant(uninstall_minimal SCRIPT ${CMAKE_CURRENT_SOURCE_DIR}/scripts/minimal.xml)
